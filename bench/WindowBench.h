// What the window benchmarks share: a QApplication on the offscreen platform, a message service
// that answers for the absent user, the large synthetic project and keys sent straight to a widget.
#pragma once

#include "TestProject.h"
#include "engine/Demo.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QKeyEvent>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace korvex::bench {

// 2,000 items of about 20 lines each: the size of the largest projects estimators bring.
constexpr int kLargeProjectItems = 2000;

inline void ensureApplication() {
    // Never destroyed: at exit the cached projects, message services and fonts the runs leave in
    // statics go in an order the application's destructor does not expect, and it crashed there.
    static QApplication* app = nullptr;
    if (app)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "korvex_bench";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
}

// No one is at the keyboard: every question gets the same answer and every message is counted,
// so a modal box never stops the run.
class AnsweringMessages : public ui::MessageService {
public:
    explicit AnsweringMessages(ui::MessageAnswer questionAnswer) : questionAnswer_(questionAnswer) {}

    ui::MessageAnswer show(QWidget*, const QString&, const QString& text, ui::MessageButtons buttons,
                           ui::MessageIcon) override {
        ++shown;
        last = text;
        return buttons == ui::MessageButtons::Ok ? ui::MessageAnswer::Ok : questionAnswer_;
    }

    int shown = 0;
    QString last;

private:
    ui::MessageAnswer questionAnswer_;
};

// The synthetic project of `korvex demo --items N` in a root folder of its own, with the
// application and the answering message service in place.
struct LargeProject {
    testing::TempRoot root;
    QString folder;
    AnsweringMessages messages;

    explicit LargeProject(ui::MessageAnswer questionAnswer, int items = kLargeProjectItems)
        : messages(questionAnswer) {
        ensureApplication();
        ui::setMessageService(&messages);
        const auto demo = engine::CrearProyectoEjemplo(root.root(), "Grande", items);
        if (!demo.ok)
            throw std::runtime_error(demo.message.toStdString());
        folder = demo.folder;
        std::fprintf(stderr, "bench project: %d items, %d lines\n", demo.items, demo.lineas);
    }

    ui::WindowContext context() const {
        ui::WindowContext c;
        c.projectFolder = folder;
        c.rootFolder = root.root();
        return c;
    }
};

inline void sendKey(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

template <typename Window> std::unique_ptr<Window> showWindow(const ui::WindowContext& context) {
    auto window = std::make_unique<Window>(context);
    window->show();
    QCoreApplication::processEvents();
    return window;
}

} // namespace korvex::bench
