// Screenshots of the budget windows on the sample project, for the documentation: run with
// KORVEX_SCREENSHOTS=<folder> (under xvfb-run for the real platform); skipped otherwise.
#include "FakeMessages.h"
#include "TestProject.h"

#include "budget/frmAnalisis.h"
#include "budget/frmDatosPresupuesto.h"
#include "budget/frmDescripcion.h"
#include "budget/frmPresPresu.h"
#include "engine/Demo.h"
#include "ui/Grid.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace korvex;

namespace {

// Latin-1 letters have key codes of their capital's code point, as a Spanish keyboard sends them.
void keys(const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(c.toUpper().unicode()),
                            QString(c), Qt::NoModifier);
}

void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }

template <typename W> std::unique_ptr<W> showWindow(const ui::WindowContext& context)
{
    auto w = std::make_unique<W>(context);
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
}

void save(QWidget* w, const QString& folder, const char* name)
{
    QTest::qWait(100);
    ASSERT_TRUE(w->grab().save(QDir(folder).filePath(name)));
}

TEST(Screenshots, ItemsEditorAndPresentationOnTheSampleProject)
{
    const QString out = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    if (out.isEmpty())
        GTEST_SKIP() << "KORVEX_SCREENSHOTS not set";
    QDir().mkpath(out);
    korvex::testing::TempRoot root;
    korvex::testing::FakeMessages messages;
    const auto demo = engine::CrearProyectoEjemplo(root.root());
    ASSERT_TRUE(demo.ok) << demo.message.toStdString();
    ui::WindowContext context;
    context.projectFolder = demo.folder;
    context.rootFolder = root.root();

    {
        auto w = showWindow<budget::frmDatosPresupuesto>(context);
        auto* grid = w->findChild<ui::Grid*>("msfgDatosPres");
        grid->setFocus();
        const int last = w->hoja().items();
        grid->setCell(last + 1, 0);
        for (const QStringList& row : {QStringList{"P-01", "20", "Pintura de caucho interior, dos manos", "m2", "350,5"},
                                       QStringList{"C-01", "21", "Cerámica de piso 30x30 cm", "m2", "120"},
                                       QStringList{"X-99", "22", "Rubro de prueba para borrar", "u", "1"}}) {
            for (const QString& cell : row) {
                keys(cell);
                key(Qt::Key_Return);
            }
        }
        grid->setCell(last + 1, 0); // the paint goes to the top of the list
        key(Qt::Key_F8);
        grid->setCell(1, 0);
        key(Qt::Key_Return);
        grid->setCell(last + 3, 0); // the test item goes away
        key(Qt::Key_F10);
        key(Qt::Key_F9);
        EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
        w->close();
    }
    {
        auto w = showWindow<budget::frmDatosPresupuesto>(context);
        w->findChild<ui::Grid*>("msfgDatosPres")->setCell(3, 2);
        save(w.get(), out, "budget-items.png");
    }
    {
        auto w = showWindow<budget::frmPresPresu>(context);
        save(w.get(), out, "budget-presentation.png");
    }
    {
        auto w = showWindow<budget::frmDescripcion>(context);
        save(w.get(), out, "budget-project-data.png");
    }
    {
        auto w = showWindow<budget::frmAnalisis>(context);
        save(w.get(), out, "budget-item-picker.png");
    }
}

} // namespace
