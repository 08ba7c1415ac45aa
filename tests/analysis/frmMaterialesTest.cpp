// The analysis editor window driven through typed keys, as an estimator uses it.
#include "analysis/frmMateriales.h"

#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "analysis/AnalysisText.h"
#include "engine/Demo.h"
#include "engine/Numbers.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace korvex;
using namespace korvex::analysis;
using korvex::testing::AnalysisProject;
using korvex::testing::FakeMessages;

namespace korvex {
void wiring_analysis(ui::WindowRegistry& registry);
void wiring_undo(ui::WindowRegistry& registry);
} // namespace korvex

namespace {

const QStringList kMatFields = {"DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"};
const QStringList kManFields = {"DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan", "SalarioMan"};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.setHeader(20, 5, true);
        p.addItem("A1", "1", "Hormigón simple f'c = 180 kg/cm2", "m3");
        p.addItem("B2", "1", "Enlucido vertical", "m2");
        p.addMaterial("B2", "1", "Cemento", "kg", 8, 10);
        p.addMaterial("B2", "1", "Cemento", "saco", 1, 7.9);
        p.addMaterial("B2", "1", "Arena fina", "m3", 0.02, 14);
        p.addMaterial("B2", "1", "Aditivo f'c alto", "l", 0.1, 4.2);
        p.addEquipment("B2", "1", "Andamio metálico", 1, 1, 0.75);
        p.addEquipment("B2", "1", "Herramienta menor", 1, 1, 0.5);
        p.addLabour("B2", "1", "Peón", "E2", 1, 1, 3);
        p.addLabour("B2", "1", "Albañil", "D2", 1, 1, 3.65);
    }

    frmMateriales& open(const QString& code, const QString& item) {
        window.reset(new frmMateriales(context(code, item)));
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid("msfgMateriales")->setFocus();
        return *window;
    }

    ui::WindowContext context(const QString& code, const QString& item) const {
        ui::WindowContext c;
        c.projectFolder = p.folder;
        c.rootFolder = p.root.root();
        c.arguments = {{"txtCod", code}, {"txtItem", item}};
        return c;
    }

    ui::Grid* grid(const QString& name) const { return window->findChild<ui::Grid*>(name); }
    QLineEdit* editor() const { return window->findChild<QLineEdit*>("txtIngreso"); }
    ui::Grid* list() const { return window->findChild<ui::Grid*>("msfgIngreso"); }
    QLabel* label(const QString& name) const { return window->findChild<QLabel*>(name); }
    QString text(const QString& name) const { return label(name)->text(); }
    bool listShown() const { return list() && list()->isVisible(); }

public:
    // Keys go where the focus is, as they do for a person at the keyboard.
    static void pressKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    static void typeKeys(const QString& keys) {
        for (const QChar c : keys) {
            if (c.unicode() < 128)
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
            else
                typeNonAscii(c);
        }
    }

    // QTest maps only ASCII to keys; a key event carrying the text is what a keyboard sends.
    static void typeNonAscii(QChar c) {
        QWidget* target = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }

protected:
    static void press(Qt::Key key) { pressKey(key); }
    static void type(const QString& keys) { typeKeys(keys); }
    // Types a value into the current cell and confirms it with Enter.
    static void enter(const QString& keys) {
        type(keys);
        press(Qt::Key_Return);
    }

    FakeMessages messages;
    AnalysisProject p;
    std::unique_ptr<frmMateriales> window;
};

} // namespace

TEST_F(EditorTest, WorkedExampleFromTheKeyboardAloneGivesTheUnitPrice) {
    open("A1", "1");
    EXPECT_EQ(text("lblRubro"), "Hormigón simple f'c = 180 kg/cm2");
    EXPECT_EQ(text("lblCodigo"), "A1");
    EXPECT_EQ(text("lblUnidad"), "m3");
    EXPECT_EQ(text("lblProyecto"), "Edificio Central");
    EXPECT_EQ(text("Label9"), "COSTOS INDIRECTOS    20 %");
    EXPECT_EQ(text("lblPU"), "");

    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");
    type("cem");
    ASSERT_TRUE(listShown());
    ASSERT_EQ(list()->rows(), 2); // one row per unit the description is used with
    EXPECT_EQ(list()->text(0, 0), "Cemento");
    EXPECT_EQ(list()->text(1, 1), "saco");
    // The list hangs right under the editor, as wide as it.
    EXPECT_EQ(list()->x(), editor()->x());
    EXPECT_EQ(list()->y(), editor()->y() + editor()->height());
    EXPECT_EQ(list()->width(), editor()->width());
    press(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), list());
    press(Qt::Key_Return);
    EXPECT_EQ(materials->text(1, 0), "Cemento");
    EXPECT_EQ(materials->text(1, 1), "kg");
    EXPECT_EQ(transport->text(1, 0), "Cemento");
    EXPECT_EQ(transport->text(1, 1), "kg");
    EXPECT_EQ(materials->col(), 2); // the next stop after a pick is the quantity
    enter("2");
    EXPECT_EQ(materials->text(1, 2), "2.000");
    EXPECT_EQ(transport->text(1, 2), "2.000");
    EXPECT_EQ(materials->row(), 2);
    EXPECT_EQ(materials->col(), 0);

    press(Qt::Key_F1);
    press(Qt::Key_F1);
    ui::Grid* labour = grid("msfgManoObra");
    ASSERT_TRUE(labour->isVisible());
    type("pe");
    ASSERT_TRUE(listShown());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(labour->text(1, 0), "Peón");
    EXPECT_EQ(labour->text(1, 1), "E2");
    enter("8");
    enter("0,5");
    EXPECT_EQ(labour->text(1, 2), "8.00");
    EXPECT_EQ(labour->text(1, 5), "0.500");
    EXPECT_EQ(labour->row(), 2);

    press(Qt::Key_F5);
    EXPECT_EQ(labour->text(1, 3), "3.00");
    EXPECT_EQ(labour->text(1, 4), "24.00");
    EXPECT_EQ(labour->text(1, 6), "12.00");
    EXPECT_EQ(materials->text(1, 4), "20.00");
    EXPECT_EQ(text("lblSubtotal"), "12.00");
    EXPECT_TRUE(label("lblHerrMan")->isVisible());
    EXPECT_EQ(text("lblHerrMan"), "0.60");
    EXPECT_EQ(text("lblDirectos"), "32.60");
    EXPECT_EQ(text("lblIndirectos"), "6.52");
    EXPECT_EQ(text("lblOtrosInd"), "1.63");
    EXPECT_EQ(text("lblPU"), "40.75");

    press(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(p.lines("Materiales", "A1", "1", kMatFields),
              QStringList{"DescripcionMat=Cemento|UnidadMat=kg|CantidadMat=2|PrecioUniMat=10"});
    EXPECT_EQ(p.lines("ManoObra", "A1", "1", kManFields),
              QStringList{"DescripcionMan=Peón|CategoriaMan=E2|HorasMan=8|RendimientoMan=0.5|SalarioMan=3"});
    EXPECT_EQ(p.lines("Transporte", "A1", "1", {"DescripcionTran", "CantidadTran", "PrecioTran"}),
              QStringList{"DescripcionTran=Cemento|CantidadTran=2|PrecioTran=0"});
    EXPECT_TRUE(text("lblEstado").contains("grabado")) << text("lblEstado").toStdString();
    EXPECT_FALSE(window->isModified());
}

TEST_F(EditorTest, UndoAndRedoByKeysAcrossInsertEditDeleteAndASave) {
    open("B2", "1");
    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");
    const auto lines = [](const ui::Grid* g) {
        QStringList shown;
        for (int r = 1; r <= 5; ++r)
            shown << g->text(r, 0) + "|" + g->text(r, 2);
        return shown;
    };
    const QStringList loaded = lines(materials);
    const QStringList loadedTransport = lines(transport);
    press(Qt::Key_F2); // an empty line at row 1
    materials->setCell(2, 2);
    enter("7"); // the first loaded line's quantity, mirrored into transport
    const QStringList edited = lines(materials);
    EXPECT_EQ(materials->text(2, 2), "7.000");
    press(Qt::Key_Down);
    press(Qt::Key_F10); // the second loaded line
    EXPECT_NE(lines(materials), edited);

    // One step each: the deletion, the edit, the insertion.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(materials), edited);
    // The frame's "Deshacer" acts on the active window as Ctrl+Z does.
    ui::WindowRegistry registry;
    wiring_undo(registry);
    const auto actions = registry.menuActions("Edición");
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].objectName, "actDeshacer");
    EXPECT_EQ(actions[1].text, "Rehacer");
    actions[0].action({});
    EXPECT_EQ(materials->text(2, 2), loaded[0].section('|', 1));
    EXPECT_EQ(lines(transport), loadedTransport); // the item has no transport lines of its own
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(materials), loaded);
    EXPECT_EQ(lines(transport), loadedTransport);
    EXPECT_FALSE(window->isModified());

    // Redo the insertion and the edit, save: the stored lines are the grid's, and the save empties
    // the history.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(lines(materials), edited);
    press(Qt::Key_F9);
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(p.lines("Materiales", "B2", "1", {"CantidadMat"}).count("CantidadMat=7"), 1);
    EXPECT_EQ(p.lines("Materiales", "B2", "1", {"CantidadMat"}).size(), 4);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(materials), edited);
}

// A line deleted and brought back by an undo is the stored line again: edited, it is updated where
// it stands; as loaded, it is not written at all. F5's figures are no step of their own.
TEST_F(EditorTest, UndoneDeletionIsTheStoredLineAgainAndARecalculationIsNoStep) {
    korvex::testing::FailureGuard guard;
    open("B2", "1");
    ui::Grid* materials = grid("msfgMateriales");
    const auto undo = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier); };
    const auto redo = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier); };
    const QStringList stored = p.lines("Materiales", "B2", "1", kMatFields);
    materials->setCell(2, 2); // the grid shows the lines by description
    enter("0,05");            // "Arena fina"
    materials->setCell(2, 0);
    press(Qt::Key_F10);
    EXPECT_EQ(materials->text(2, 0).toStdString(), "Cemento");
    press(Qt::Key_F5);
    EXPECT_EQ(materials->text(2, 4).toStdString(), "80.00");
    undo(); // the deletion, not the recalculation
    EXPECT_EQ((materials->text(2, 0) + " " + materials->text(2, 2)).toStdString(), "Arena fina 0.050");
    EXPECT_EQ(materials->text(3, 0).toStdString(), "Cemento");
    undo();
    EXPECT_EQ(materials->text(2, 2).toStdString(), "0.020");
    EXPECT_FALSE(window->isModified());
    redo(); // a redo is a change to save again
    EXPECT_TRUE(window->isModified());
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    QStringList expected = stored;
    expected[2].replace("CantidadMat=0.02", "CantidadMat=0.05");
    const auto storedNow = [&] {
        return p.lines("Materiales", "B2", "1", kMatFields).join("\n").toStdString();
    };
    EXPECT_EQ(storedNow(), expected.join("\n").toStdString()); // updated in its place

    // After the save: deleted and undone, the line is as stored, so the save writes nothing.
    materials->setCell(2, 0);
    press(Qt::Key_F10);
    undo();
    EXPECT_FALSE(window->isModified());
    store::testing::failAfterWrites(0);
    press(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(storedNow(), expected.join("\n").toStdString());
}

TEST_F(EditorTest, EquipmentListCarriesDescriptionsOnlyAndQuotesAreLookedUp) {
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    type("aditivo f'");
    ASSERT_TRUE(listShown());
    EXPECT_EQ(list()->rows(), 1);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(materials->text(1, 0), "Aditivo f'c alto");
    EXPECT_EQ(materials->text(1, 1), "l");

    press(Qt::Key_F1);
    ui::Grid* equipment = grid("msfgMaquinaria");
    type("H");
    ASSERT_TRUE(listShown());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(equipment->text(1, 0), "Herramienta menor");
    EXPECT_EQ(equipment->text(1, 1), "");
    EXPECT_EQ(equipment->col(), 1); // no unit to fill: the next stop is the quantity
    enter("1");
    enter("abc"); // a yield that is not a number
    EXPECT_EQ(equipment->text(1, 1), "1.00");
    EXPECT_EQ(equipment->text(1, 4), "0.00");

    // Typing on, past every match, leaves the list as it was; Esc drops the typing.
    type("Zz");
    press(Qt::Key_Escape);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(equipment->text(2, 0), "");
    EXPECT_EQ(QApplication::focusWidget(), equipment);
}

TEST_F(EditorTest, ExistingCellsKeepArrowsForTheCaretAndFocusLossDropsTyping) {
    p.addMaterial("A1", "1", "Arena", "m3", 0.5, 13);
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    press(Qt::Key_F12);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), "Arena");
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    type(" ");
    EXPECT_EQ(editor()->text(), "Are na");
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(materials->col(), 0);
    // The lookup runs on the edited text: Down goes into the list when one is shown.
    editor()->selectAll();
    type("Ar");
    ASSERT_TRUE(listShown());
    press(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), list());
    press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), editor());
    EXPECT_TRUE(listShown());
    press(Qt::Key_Escape);
    EXPECT_EQ(materials->text(1, 0), "Arena");

    // Clicking elsewhere while typing, with no list open, drops the typing.
    materials->setCell(1, 2);
    materials->setFocus();
    type("7");
    ASSERT_TRUE(editor()->isVisible());
    window->findChild<QPushButton*>("cmdCambiar")->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(materials->text(1, 2), "0.500");
    EXPECT_FALSE(window->isModified());
}

TEST_F(EditorTest, InsertAndDeleteAreMirroredIntoTransportWhichHasNoneOfItsOwn) {
    p.addMaterial("A1", "1", "Arena fina", "m3", 0.02, 14);
    p.addMaterial("A1", "1", "Cemento", "kg", 8, 10);
    p.addTransport("A1", "1", "Arena fina", "m3", 0.02, 1);
    p.addTransport("A1", "1", "Cemento", "kg", 8, 0.02);
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");

    materials->setCell(2, 1);
    press(Qt::Key_F2);
    EXPECT_EQ(materials->row(), 2);
    EXPECT_EQ(materials->col(), 0);
    EXPECT_TRUE(materials->isRowEmpty(2));
    EXPECT_TRUE(transport->isRowEmpty(2));
    EXPECT_EQ(materials->text(3, 0), "Cemento");
    EXPECT_EQ(transport->text(3, 0), "Cemento");

    materials->setCell(1, 0);
    press(Qt::Key_F10);
    EXPECT_EQ(materials->text(2, 0), "Cemento");
    EXPECT_EQ(transport->text(2, 0), "Cemento");
    EXPECT_TRUE(transport->isRowEmpty(1));
    EXPECT_EQ(materials->row(), 1);

    for (int i = 0; i < 3; ++i)
        press(Qt::Key_F1);
    ASSERT_TRUE(transport->isVisible());
    transport->setCell(2, 0);
    press(Qt::Key_F2);
    press(Qt::Key_F10);
    type("x"); // the transport grid takes no typing
    EXPECT_FALSE(editor()->isVisible());
    window->findChild<QPushButton*>("cmdSuprimir")->click();
    window->findChild<QPushButton*>("cmdInsertar")->click();
    EXPECT_EQ(transport->text(2, 0), "Cemento");
    EXPECT_TRUE(transport->isRowEmpty(1));
    EXPECT_EQ(QApplication::focusWidget(), transport);
}

TEST_F(EditorTest, ChangingGridsCyclesTitlesCaptionsAndSubtotals) {
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addEquipment("A1", "1", "Andamio metálico", 2, 1, 0.75);
    open("A1", "1");
    EXPECT_EQ(window->windowTitle(), "Materiales");
    EXPECT_EQ(text("Label1"), "Ingreso de Materiales");
    press(Qt::Key_F5);
    EXPECT_EQ(text("lblSubtotal"), "20.00");

    struct Step {
        const char* grid;
        const char* title;
        const char* heading;
        const char* caption;
        const char* subtotal;
    };
    const Step steps[] = {
        {"msfgMaquinaria", "Maquinaria", "Ingreso de Maquinaria", "Subtotal Equipo", "1.50"},
        {"msfgManoObra", "Mano de Obra", "Ingreso de Mano de Obra", "Subtotal Mano de Obra", "0.00"},
        {"msfgTransporte", "Transporte", "Ingreso de Transporte", "Subtotal Transporte", "0.00"},
        {"msfgMateriales", "Materiales", "Ingreso de Materiales", "Subtotal Materiales", "20.00"},
    };
    for (const Step& step : steps) {
        press(Qt::Key_F1);
        EXPECT_TRUE(grid(step.grid)->isVisible()) << step.grid;
        EXPECT_EQ(QApplication::focusWidget(), grid(step.grid));
        EXPECT_EQ(window->windowTitle(), step.title);
        EXPECT_EQ(text("Label1"), step.heading);
        EXPECT_EQ(text("Label7"), step.caption);
        EXPECT_EQ(text("lblSubtotal"), step.subtotal);
        int shown = 0;
        for (const char* name : {"msfgMateriales", "msfgMaquinaria", "msfgManoObra", "msfgTransporte"})
            shown += grid(name)->isVisible() ? 1 : 0;
        EXPECT_EQ(shown, 1);
    }
    // The hidden copies hold the lines as loaded with their stored prices.
    EXPECT_EQ(grid("msfgMaqui2")->text(1, 2), "0.75");
    EXPECT_FALSE(grid("msfgMaqui2")->isVisible());
}

TEST_F(EditorTest, RepeatedResourcesAreNamedAndSavedOnlyWhenTheUserAgrees) {
    open("A1", "1");
    enter("Cemento");
    enter("kg");
    enter("1");
    enter("cemento");
    enter("KG");
    enter("3");
    messages.answer(ui::MessageAnswer::No);
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(messages.lastText().contains("cemento (KG)")) << messages.lastText().toStdString();
    EXPECT_TRUE(p.lines("Materiales", "A1", "1", kMatFields).isEmpty());
    EXPECT_TRUE(window->isModified());

    messages.answer(ui::MessageAnswer::Yes);
    window->findChild<QPushButton*>("cmdGrabar")->click();
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat", "CantidadMat", "PrecioUniMat"}),
              QStringList{"DescripcionMat=Cemento|CantidadMat=1|PrecioUniMat=10"});
    EXPECT_EQ(QApplication::focusWidget(), grid("msfgMateriales"));
}

TEST_F(EditorTest, AFailedSaveSaysSoAndLeavesTheStoredAnalysisAsItWas) {
    korvex::testing::FailureGuard guard;
    p.addMaterial("A1", "1", "Arena fina", "m3", 0.02, 14);
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
    open("A1", "1");
    grid("msfgMateriales")->setCell(2, 0);
    enter("Cemento");
    enter("saco");
    enter("1");
    const QStringList before = p.all("Materiales", kMatFields) + p.all("ManoObra", kManFields);
    store::testing::failAfterWrites(1);
    press(Qt::Key_F9);
    store::testing::failAfterWrites(-1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().contains("No se pudo grabar")) << messages.lastText().toStdString();
    EXPECT_EQ(p.all("Materiales", kMatFields) + p.all("ManoObra", kManFields), before);
    EXPECT_TRUE(window->isModified());

    press(Qt::Key_F9);
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat", "PrecioUniMat"}).last(),
              "DescripcionMat=Cemento|PrecioUniMat=7.9");
}

// Two editors open on one item: the second F9 refuses the line the first one added meanwhile and
// overwrites nothing.
TEST_F(EditorTest, TwoEditorsOnOneItemTheSecondSaveRefuses) {
    open("A1", "1");
    std::unique_ptr<frmMateriales> second = std::move(window);
    open("A1", "1");
    enter("Cal");
    enter("saco");
    enter("1");
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 0) << messages.lastText().toStdString();

    std::swap(window, second);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    grid("msfgMateriales")->setFocus();
    enter("Piedra");
    enter("m3");
    enter("2");
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().contains("Cal (saco) cambiaron desde que abrió la ventana"))
        << messages.lastText().toStdString();
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat"}), QStringList{"DescripcionMat=Cal"});
    EXPECT_TRUE(window->isModified());
    messages.answer(ui::MessageAnswer::No);
}

TEST_F(EditorTest, GridsGrowBeyondFortyNineLinesAndEveryLineIsPricedAndStored) {
    {
        store::Transaction batch(p.db);
        for (int i = 1; i <= kDesignRows; ++i)
            p.addMaterial("A1", "1", QString("Material %1").arg(i, 2, 10, QChar('0')), "u", 1, 1);
        batch.commit();
    }
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    materials->setCell(kDesignRows, 0);
    press(Qt::Key_Down);
    EXPECT_EQ(materials->row(), kDesignRows + 1);
    enter("Cemento");
    enter("kg");
    enter("2");
    EXPECT_EQ(materials->row(), kDesignRows + 2);
    press(Qt::Key_F5);
    EXPECT_EQ(materials->text(kDesignRows + 1, 4), "20.00");
    EXPECT_EQ(text("lblSubtotal"), "69.00");
    press(Qt::Key_F9);
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat"}).size(), kDesignRows + 1);

    // Inserting at the top of a full grid pushes every line down; none is lost.
    materials->setCell(1, 0);
    press(Qt::Key_F2);
    EXPECT_EQ(materials->text(kDesignRows + 2, 0), "Cemento");
}

TEST_F(EditorTest, UnsavedChangesAreAskedAboutOnClosingAndOnChoosingAnotherItem) {
    p.addMaterial("A1", "1", "Arena fina", "m3", 0.02, 14);
    open("A1", "1");
    EXPECT_TRUE(window->close()); // nothing changed: closes at once
    EXPECT_EQ(messages.count(), 0);

    open("A1", "1");
    enter("Cemento");
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_TRUE(window->isVisible());

    // Choosing another item asks too; No drops the edits and loads it.
    messages.answer(ui::MessageAnswer::No);
    window->reopen(context("B2", "1"));
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(window->itemCode(), "B2");
    EXPECT_EQ(grid("msfgMateriales")->text(1, 0), "Aditivo f'c alto");
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat"}).size(), 1);

    // An item that does not exist is refused without losing the one on show.
    window->reopen(context("ZZ", "9"));
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_EQ(window->itemCode(), "B2");

    window->reopen(context("A1", "1"));
    grid("msfgMateriales")->setCell(2, 0);
    enter("Cemento");
    enter("kg");
    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat"}).size(), 2);
}

TEST_F(EditorTest, TheItemPickerOpensTheEditorThroughTheRegistryOnceForEachItem) {
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    registry.clear();
    wiring_analysis(registry);
    QWidget* first = registry.openWindow("frmMateriales", context("A1", "1"));
    ASSERT_NE(first, nullptr);
    QWidget* again = registry.openWindow("frmMateriales", context("B2", "1"));
    EXPECT_EQ(again, first);
    EXPECT_EQ(static_cast<frmMateriales*>(again)->itemCode(), "B2");
    registry.closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(registry.openWindow("frmMateriales", context("ZZ", "1")), nullptr);
    EXPECT_EQ(messages.lastTitle(), "Error");
    registry.clear();
}

// A whole analysis of a realistic item built from the keyboard alone on the sample budget. With
// KORVEX_SCREENSHOTS set to a folder, the lookup list and the four grids are saved there.
TEST(EditorSample, AnItemOfTheSampleBudgetIsBuiltFromTheKeyboard) {
    FakeMessages messages;
    AnalysisProject p;
    engine::LlenarProyectoEjemplo(p.folder);
    p.addItem("599001", "9.01", "Contrapiso de hormigón simple f'c = 180 kg/cm2, e = 8 cm", "m2");
    ui::WindowContext c;
    c.projectFolder = p.folder;
    c.arguments = {{"txtCod", "599001"}, {"txtItem", "9.01"}};
    frmMateriales window(c);
    window.resize(1000, 720);
    window.show();
    window.activateWindow(); // under a real X server without a window manager too
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.grid(Kind::Material)->setFocus();

    const QString folder = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    auto shoot = [&](const QString& name) {
        if (!folder.isEmpty())
            window.grab().save(folder + "/" + name);
    };
    auto pick = [](const QString& prefix) {
        EditorTest::typeKeys(prefix);
        EditorTest::pressKey(Qt::Key_Down);
        EditorTest::pressKey(Qt::Key_Return);
    };
    auto numbers = [](const QStringList& values) {
        for (const QString& v : values) {
            EditorTest::typeKeys(v);
            EditorTest::pressKey(Qt::Key_Return);
        }
    };

    EditorTest::typeKeys("Ce");
    shoot("analysis-lookup.png");
    EditorTest::pressKey(Qt::Key_Down);
    EditorTest::pressKey(Qt::Key_Return);
    numbers({"0,58"});
    pick("Arena");
    numbers({"0,05"});
    pick("Ripio");
    numbers({"0,07"});
    pick("Agua");
    numbers({"0,02"});
    EditorTest::pressKey(Qt::Key_F1);
    pick("Concretera");
    numbers({"1", "0,08"});
    pick("Vibrador");
    numbers({"1", "0,08"});
    EditorTest::pressKey(Qt::Key_F1);
    pick("Peón");
    numbers({"3", "0,08"});
    pick("Albañil");
    numbers({"1", "0,08"});
    pick("Maestro");
    numbers({"0,1", "0,08"});
    EditorTest::pressKey(Qt::Key_F5);
    shoot("analysis-mano-obra.png");
    EditorTest::pressKey(Qt::Key_F1);
    shoot("analysis-transporte.png");
    EditorTest::pressKey(Qt::Key_F1);
    shoot("analysis-materiales.png");
    EditorTest::pressKey(Qt::Key_F1);
    shoot("analysis-maquinaria.png");
    EditorTest::pressKey(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();

    EXPECT_EQ(window.sheet().lines(Kind::Material).lastUsedRow(), 4);
    EXPECT_EQ(window.sheet().lines(Kind::Labour).cell(3, 1), "C1");
    EXPECT_EQ(window.sheet().lines(Kind::Transport).cell(1, 0),
              window.sheet().lines(Kind::Material).cell(1, 0));
    const auto stored = priceItem(p.db, "599001", "9.01");
    ASSERT_TRUE(stored);
    EXPECT_EQ(engine::FormatoMoneda(stored->totals.unitPrice), window.findChild<QLabel*>("lblPU")->text());
    EXPECT_GT(stored->totals.unitPrice, 5.0);

    // On the last row the grid shows, the list opens above the cell, inside the grid.
    for (int i = 0; i < 3; ++i)
        EditorTest::pressKey(Qt::Key_F1);
    ui::Grid* materials = window.grid(Kind::Material);
    ASSERT_EQ(QApplication::focusWidget(), materials);
    int last = 1;
    while (last + 1 < materials->rows() &&
           materials->cellRect(last + 1, 0, false).bottom() < materials->viewport()->height())
        ++last;
    materials->setCell(last, 0);
    EditorTest::typeKeys("C");
    QApplication::processEvents();
    const auto* list = window.findChild<ui::Grid*>("msfgIngreso");
    ASSERT_TRUE(list && list->isVisible());
    EXPECT_LT(list->y(), QApplication::focusWidget()->y());
    shoot("analysis-lookup-arriba.png");
    EditorTest::pressKey(Qt::Key_Escape);
}
