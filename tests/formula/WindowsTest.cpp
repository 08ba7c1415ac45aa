#include "FakeMessages.h"
#include "ProjectFixture.h"
#include "engine/Demo.h"
#include "formula/frmCuadrilla.h"
#include "formula/frmFormula.h"
#include "formula/frmSimbolos.h"
#include "ui/Grid.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace korvex;
using namespace korvex::formula;
using korvex::testing::FailureGuard;
using korvex::testing::FakeMessages;
using korvex::testing::FormulaProject;

namespace {

template <typename Window> std::unique_ptr<Window> openWindow(FormulaProject& p) {
    auto window = std::make_unique<Window>(ui::WindowContext{p.folder(), p.root(), nullptr, {}});
    window->show();
    window->activateWindow(); // under a real X server without a window manager too
    QApplication::setActiveWindow(window.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

ui::Grid* grid(QWidget& w, const char* name) {
    return w.findChild<ui::Grid*>(name);
}
QLineEdit* txtIngreso(QWidget& w) {
    return w.findChild<QLineEdit*>("txtIngreso");
}
QString label(QWidget& w, const char* name) {
    return w.findChild<QLabel*>(name)->text();
}
bool warningShown(QWidget& w) {
    return !w.findChild<QLabel*>("lblAvisoCoeficiente")->isHidden();
}

void typeInto(ui::Grid* g, int row, int col, const QString& text, QWidget& window) {
    g->setFocus();
    g->setCell(row, col);
    QTest::keyClicks(g, text.left(1));
    QTest::keyClicks(txtIngreso(window), text.mid(1));
    QTest::keyClick(txtIngreso(window), Qt::Key_Return);
}

QString storedSymbol(FormulaProject& p, const QString& description) {
    auto rs = p.db().openRecordSet("SELECT Simbolo FROM SimbolosMat WHERE DescripcionMat = ?", {description});
    return rs.eof() ? QString("<none>") : rs.text("Simbolo");
}

} // namespace

TEST(frmSimbolos, TypedSymbolsAreSavedWithF9AndOnlySymbolRowsTakeThem) {
    FormulaProject p;
    p.fillSample();
    FakeMessages messages;
    auto w = openWindow<frmSimbolos>(p);
    ui::Grid* g = grid(*w, "msfgSimbolos");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->text(0, 3), "% C.DIR.");
    EXPECT_EQ(g->text(1, 1), "Arena");
    EXPECT_EQ(g->text(3, 1), separatorText());
    EXPECT_EQ(g->text(9, 1), "Mano de Obra");

    typeInto(g, 1, 0, " a'1 ", *w);
    EXPECT_EQ(g->text(1, 0), "a'1");
    EXPECT_EQ(g->alignment(1, 0) & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(g->row(), 2);

    g->setCell(3, 0); // the separator takes no symbol
    QTest::keyClick(g, Qt::Key_X);
    EXPECT_TRUE(txtIngreso(*w)->isHidden());
    g->setCell(2, 1); // nor does a description
    QTest::keyClick(g, Qt::Key_X);
    EXPECT_TRUE(txtIngreso(*w)->isHidden());

    typeInto(g, 9, 0, "B", *w);
    EXPECT_TRUE(w->hasUnsavedChanges());
    QTest::keyClick(g, Qt::Key_F9);
    EXPECT_FALSE(w->hasUnsavedChanges());
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(p.count("SimbolosMat"), 8);
    EXPECT_EQ(storedSymbol(p, "Arena"), "a'1");
    EXPECT_EQ(storedSymbol(p, "Mano de Obra"), "B");
    EXPECT_EQ(storedSymbol(p, "Cemento"), "");
    EXPECT_FALSE(label(*w, "lblEstado").isEmpty());
}

TEST(frmSimbolos, WarnsWhenATwelfthSymbolIsTyped) {
    FormulaProject p;
    p.item("1", 1);
    for (int i = 0; i < 12; ++i)
        p.material("1", QString("Material %1").arg(i, 2, 10, QChar('0')), "u", 1, 1);
    FakeMessages messages;
    auto w = openWindow<frmSimbolos>(p);
    ui::Grid* g = grid(*w, "msfgSimbolos");
    for (int i = 0; i < 11; ++i)
        typeInto(g, i + 1, 0, QString(QChar('A' + i)), *w);
    typeInto(g, 12, 0, "a", *w); // the same as A
    QApplication::processEvents();
    EXPECT_EQ(messages.count(), 0);

    typeInto(g, 12, 0, "Z", *w);
    QApplication::processEvents();
    // Said in the status line, so the next key typed goes on to the grid.
    EXPECT_EQ(messages.count(), 0);
    EXPECT_TRUE(label(*w, "lblEstado").contains("\"Z\""));
    EXPECT_TRUE(label(*w, "lblEstado").contains("máximo 11 símbolos"));
    EXPECT_EQ(g->text(12, 0), "Z"); // kept, so symbols can be moved about before reducing them
}

TEST(frmSimbolos, ClosingWithChangesAsksAndAFailedSaveKeepsTheWindowAndTheTable) {
    FormulaProject p;
    p.fillSample();
    FailureGuard guard;
    FakeMessages messages;
    auto w = openWindow<frmSimbolos>(p);
    ui::Grid* g = grid(*w, "msfgSimbolos");
    w->findChild<QPushButton*>("cmdGrabar")->click();
    typeInto(g, 1, 0, "A", *w);

    messages.answer(ui::MessageAnswer::Cancel);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");

    store::testing::failAfterWrites(0);
    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_FALSE(w->close());
    store::testing::failAfterWrites(-1);
    EXPECT_TRUE(messages.lastText().startsWith("No se grabaron los símbolos"));
    EXPECT_EQ(storedSymbol(p, "Arena"), "");
    EXPECT_EQ(p.count("SimbolosMat"), 8);

    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(storedSymbol(p, "Arena"), "A");
}

// Ctrl+Z and Ctrl+Y on the symbols and on the formula's descriptions, with a save between: a
// save empties the history, and what is undone back to the saved text is no change.
TEST(frmSimbolos, UndoAndRedoSymbolsAndDescriptionsWithASaveBetween) {
    FormulaProject p;
    p.fillSample();
    p.symbol("M", "Arena", 60, "m3");
    FakeMessages messages;
    {
        auto w = openWindow<frmSimbolos>(p);
        ui::Grid* g = grid(*w, "msfgSimbolos");
        typeInto(g, 1, 0, "A", *w);
        typeInto(g, 2, 0, "C", *w);
        QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(g->text(2, 0), "");
        QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(g->text(1, 0), "M");
        EXPECT_FALSE(w->hasUnsavedChanges());
        QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(g, Qt::Key_F9);
        EXPECT_EQ(storedSymbol(p, "Arena"), "A");
        EXPECT_EQ(storedSymbol(p, "Cemento"), "");
        QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(g->text(1, 0), "A");
        typeInto(g, 1, 0, "B", *w);
        QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(w->hasUnsavedChanges());
        QTest::keyClick(g, Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible());
    }
    auto f = openWindow<frmFormula>(p);
    ui::Grid* g = grid(*f, "msfgSimbolos");
    typeInto(g, 1, 1, "Arena fina", *f);
    typeInto(g, 1, 1, "Arena gruesa", *f);
    QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(g->text(1, 1), "Arena fina");
    QTest::keyClick(g, Qt::Key_F9);
    QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier); // nothing left to redo after a save
    EXPECT_EQ(g->text(1, 1), "Arena fina");
    typeInto(g, 1, 1, "Grava", *f);
    QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(f->hasUnsavedChanges());
    QTest::keyClick(g, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    auto rs = p.db().openRecordSet("SELECT DescripcionSim FROM SimbolosDesc WHERE Simbolo = 'A'");
    EXPECT_EQ(rs.text("DescripcionSim"), "Arena fina");
}

TEST(frmSimbolos, GridGrowsPastItsDesignRowsAndEveryLineIsSaved) {
    FormulaProject p;
    p.item("1", 1);
    {
        store::Transaction t(p.db());
        for (int i = 0; i < 230; ++i)
            p.material("1", QString("Material %1").arg(i, 3, 10, QChar('0')), "u", 1, 1);
        t.commit();
    }
    FakeMessages messages;
    auto w = openWindow<frmSimbolos>(p);
    ui::Grid* g = grid(*w, "msfgSimbolos");
    EXPECT_EQ(g->text(230, 1), "Material 229");
    EXPECT_EQ(g->text(237, 1), "Mano de Obra");
    typeInto(g, 230, 0, "Z", *w);
    EXPECT_TRUE(w->GrabarSimbolos());
    EXPECT_EQ(p.count("SimbolosMat"), 236);
    EXPECT_EQ(storedSymbol(p, "Material 229"), "Z");
}

// With KORVEX_SCREENSHOTS=<folder>: the symbols window on the sample project after a twelfth
// symbol was typed, its warning on the status line and the keys still in the grid.
TEST(frmSimbolos, ScreenshotOfTheWarningOnTheSampleProject) {
    const QString out = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    if (out.isEmpty())
        GTEST_SKIP() << "KORVEX_SCREENSHOTS not set";
    FormulaProject p;
    engine::LlenarProyectoEjemplo(p.folder());
    FakeMessages messages;
    auto w = openWindow<frmSimbolos>(p);
    ui::Grid* g = grid(*w, "msfgSimbolos");
    for (int i = 0; i < 12; ++i)
        typeInto(g, i + 1, 0, QString(QChar('A' + i)), *w);
    QApplication::processEvents();
    EXPECT_TRUE(label(*w, "lblEstado").contains("\"L\""));
    EXPECT_EQ(QApplication::focusWidget(), g);
    EXPECT_TRUE(w->grab().save(QDir(out).filePath("formula-frmSimbolos.png")));
}

TEST(frmFormula, OpeningComputesAndStoresTheFormulaDescriptionsAreKeptAndABadSumIsShown) {
    FormulaProject p;
    p.fillSample();
    p.symbol("M", "Arena", 60, "m3");
    p.symbol("B", "Mano de Obra", 40);
    FakeMessages messages;
    {
        auto w = openWindow<frmFormula>(p);
        EXPECT_EQ(messages.count(), 0);
        EXPECT_EQ(p.count("SimbolosDesc"), 2);
        ui::Grid* g = grid(*w, "msfgSimbolos");
        EXPECT_EQ(g->text(1, 0), "B");
        EXPECT_EQ(g->text(1, 3), "0.400");
        EXPECT_EQ(label(*w, "lblTotCoeficiente"), "1.000");
        EXPECT_FALSE(warningShown(*w));
        EXPECT_EQ(g->row(), 1);
        EXPECT_EQ(g->col(), 1);

        typeInto(g, 2, 1, "Arena \"fina\" d'Or", *w);
        EXPECT_TRUE(w->hasUnsavedChanges());
        QTest::keyClick(g, Qt::Key_F9);
        EXPECT_FALSE(w->hasUnsavedChanges());
    }
    {
        auto again = openWindow<frmFormula>(p);
        EXPECT_EQ(grid(*again, "msfgSimbolos")->text(2, 1), "Arena \"fina\" d'Or");
    }
    // A sum other than one is shown in red.
    p.db().execute("UPDATE SimbolosMat SET PorcentajeSimb = 50.1");
    auto uneven = openWindow<frmFormula>(p);
    EXPECT_EQ(label(*uneven, "lblTotCoeficiente"), "1.001");
    EXPECT_TRUE(warningShown(*uneven));
    EXPECT_EQ(label(*uneven, "lblAvisoCoeficiente"), "La suma de coeficientes no es 1.000");
}

TEST(frmFormula, MoreThanElevenSymbolsWarnAndTheFirstElevenAreSaved) {
    FormulaProject p;
    p.fillSample();
    for (int i = 0; i < 13; ++i)
        p.symbol(QString(QChar('A' + i)), QString("Material %1").arg(i), 100.0 / 13, "u");
    p.add("SimbolosDesc", {"Simbolo", "DescripcionSim"}, {"X", "de antes"});
    FakeMessages messages;
    auto w = openWindow<frmFormula>(p);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(messages.lastText().contains("quedan fuera de ella: L, M"));
    // The first eleven in symbol order are shown and stored; the stale "X" is gone.
    EXPECT_EQ(p.count("SimbolosDesc"), 11);
    auto* grid = w->findChild<korvex::ui::Grid*>("msfgSimbolos");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(11, 0), "K");
    EXPECT_EQ(grid->text(12, 0), "");

    EXPECT_TRUE(w->GrabarFormula());
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(p.count("SimbolosDesc"), 11);
}

TEST(frmCuadrilla, ShowsLabourAndTheMechanic) {
    FormulaProject p;
    p.fillSample();
    FakeMessages messages;
    auto w = openWindow<frmCuadrilla>(p);
    ui::Grid* g = grid(*w, "msfgCuadrilla");
    EXPECT_EQ(g->text(1, 0), "Peon");
    EXPECT_EQ(g->text(2, 0), "Mecanico de Mantenimiento");
    EXPECT_EQ(g->text(2, 2), "2.20"); // 11 % of equipment 20; transport does not count here
    EXPECT_EQ(label(*w, "lblTotSimbolo"), "32.20");
    EXPECT_EQ(label(*w, "lblTotCoeficiente"), "1.000");
    EXPECT_FALSE(warningShown(*w));
    EXPECT_EQ(messages.count(), 0);
}
