#pragma once
// A main window on a temporary root folder, with scripted message boxes and a registry of its own.

#include "FakeMessages.h"
#include "TestProject.h"
#include "engine/Demo.h"
#include "shell/Desktop.h"
#include "shell/FolderLists.h"
#include "shell/frmPrincipal.h"
#include "shell/mdiPrincipal.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace korvex::testing {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        principal = std::make_unique<shell::frmPrincipal>(temp.root(), registry);
        principal->resize(1100, 560);
        principal->show();
        QApplication::setActiveWindow(principal.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(principal.get()));
    }
    void TearDown() override {
        principal.reset();
        registry.clear();
    }

    shell::FolderList* dir1() const { return principal->folderList(); }
    QPushButton* button(const QString& name) const { return principal->findChild<QPushButton*>(name); }
    QStringList visibleTabButtons() const {
        QStringList names;
        for (const shell::TabButtonSpec& dataDef : shell::frmPrincipal::tabButtonSpecs())
            if (!principal->tabButton(dataDef.name)->isHidden())
                names.append(dataDef.name);
        return names;
    }
    void openProject(const QString& folder) {
        ASSERT_TRUE(dir1()->setPath(folder));
        principal->openSelectedFolder();
        ASSERT_FALSE(principal->modoAbrir());
    }
    // Runs then() on the modal dialog the next action opens.
    static void onNextModal(std::function<void(QWidget*)> then) {
        QTimer::singleShot(0, [then] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            then(modal);
        });
    }

    TempRoot temp;
    FakeMessages messages;
    ui::WindowRegistry registry;
    std::unique_ptr<shell::frmPrincipal> principal;
};

// The frame with the program's own wiring, open on the sample project.
class SampleFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        const engine::ResultadoDemo sample = engine::CrearProyectoEjemplo(temp.root());
        ASSERT_TRUE(sample.ok) << sample.message.toStdString();
        folder = sample.folder;
        registry.clear();
        wireAllWindows(registry);
        frame = std::make_unique<shell::mdiPrincipal>(temp.root(), registry);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        ASSERT_TRUE(frame->principal()->folderList()->setPath(folder));
        frame->principal()->openSelectedFolder();
        ASSERT_FALSE(frame->principal()->modoAbrir());
    }
    void TearDown() override {
        registry.closeAll();
        frame.reset();
        registry.clear();
    }

    QWidget* open(const QString& name, QVariantMap arguments = {}) {
        ui::WindowContext context = frame->principal()->context();
        context.arguments = arguments;
        QWidget* window = registry.openWindow(name, context);
        settle();
        return window;
    }
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static QString focusName() {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString("<none>");
    }
    static void press(int key) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        settle();
    }
    QWidget* activeWindow() const {
        QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
        return sub ? sub->widget() : nullptr;
    }

    TempRoot temp;
    FakeMessages messages;
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    std::unique_ptr<shell::mdiPrincipal> frame;
    QString folder;
};

} // namespace korvex::testing
