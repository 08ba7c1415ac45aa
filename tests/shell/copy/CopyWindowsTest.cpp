// The source dialog, the copy window and the two buttons of the main window that open them, driven
// with keys and clicks as a user would.

#include "../CopyFixture.h"
#include "../ShellFixture.h"
#include "budget/BudgetItems.h"
#include "shell/frmCopiarPres.h"
#include "shell/frmSeleccionarDir.h"
#include "store/ProjectFolders.h"
#include "ui/Grid.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace korvex {
void wiring_copy(ui::WindowRegistry& registry);

namespace {

using namespace testing;
using shell::frmCopiarPres;
using shell::frmSeleccionarDir;

ui::WindowContext contextFor(const CopyProjects& projects, const QVariantMap& arguments) {
    ui::WindowContext context;
    context.projectFolder = projects.destino;
    context.rootFolder = projects.temp.root();
    context.arguments = arguments;
    return context;
}

double materialPrice(store::Database& db, const QString& descripcion) {
    auto lines =
        db.openRecordSet("SELECT PrecioUniMat FROM Materiales WHERE DescripcionMat = ?", {descripcion});
    lines.moveFirst();
    return lines.number("PrecioUniMat");
}

class CopyWindows : public ::testing::Test {
protected:
    CopyProjects projects;
    FakeMessages messages;
    store::Database destino = store::Database::openProject(projects.destino);
    store::Database origen = store::Database::openProject(projects.origen);
};

// The checks themselves are the operation's (CopyItems); the dialog shows them and stays open.
TEST_F(CopyWindows, TheSourceDialogRefusesAndStaysOpen) {
    frmSeleccionarDir dialog(contextFor(projects, {{"txtOpcion", "1"}}));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Seleccionar Proyecto");
    EXPECT_EQ(dialog.modo(), "1");
    EXPECT_TRUE(store::samePath(dialog.sourceFolder(), projects.temp.root()));
    EXPECT_EQ(dialog.findChild<QLabel*>("lblDestino")->text(), QDir::toNativeSeparators(projects.destino));

    auto* aceptar = dialog.findChild<QPushButton*>("cmdAceptar");
    const auto refusal = [&] {
        messages.clear();
        QTest::mouseClick(aceptar, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(messages.lastTitle(), "Error");
        return messages.count() == 1 ? messages.lastText() : QString("%1 mensajes").arg(messages.count());
    };
    EXPECT_EQ(refusal(), "La Carpeta Seleccionada no contiene ningun Proyecto");
    ASSERT_TRUE(dialog.folderList()->setPath(projects.destino));
    EXPECT_EQ(refusal(), "El Proyecto de Origen es el mismo que el Destino");

    // Enter in Dir2 goes into the highlighted folder; the source label follows.
    ASSERT_TRUE(dialog.folderList()->setPath(projects.temp.root()));
    ASSERT_TRUE(dialog.folderList()->highlight(projects.origen));
    QTest::keyClick(dialog.folderList(), Qt::Key_Return);
    EXPECT_EQ(dialog.sourceFolder(), dialog.folderList()->highlightedPath());
    EXPECT_EQ(dialog.findChild<QLabel*>("lblOrigen")->text(),
              QDir::toNativeSeparators(dialog.sourceFolder()));
    messages.clear();
    QTest::mouseClick(aceptar, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(CopyWindows, ImportingPricesThroughTheDialogIsSilentAndAllOrNothing) {
    FailureGuard guard;
    addAnalysedItem(origen, "A", "1", "Muro");
    addItem(destino, "X", "1", "Pared");
    addLine(destino, "Materiales", "X", "1", {"Cemento", "saco", 2.0, 0.0});
    addLine(destino, "Materiales", "X", "1", {"Arena fina", "m3", 1.0, 0.0});
    addLine(destino, "Materiales", "X", "1", {"Clavos", "kg", 1.0, 2.5});

    frmSeleccionarDir dialog(contextFor(projects, {{"txtOpcion", "0"}}));
    dialog.show();
    ASSERT_TRUE(dialog.folderList()->setPath(projects.origen));
    store::testing::failAfterWrites(1);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(materialPrice(destino, "Cemento"), 0.0);

    messages.clear();
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(materialPrice(destino, "Cemento"), 7.85);
    EXPECT_EQ(materialPrice(destino, "Arena fina"), 14.0);
    EXPECT_EQ(materialPrice(destino, "Clavos"), 2.5);
    EXPECT_EQ(dialog.importResult().lineas(), 2);
    EXPECT_EQ(shell::importSummary(dialog.importResult()),
              "Precios importados: 2 línea(s) tomaron el precio del proyecto de origen");
}

class CopyWindow : public CopyWindows {
protected:
    std::unique_ptr<frmCopiarPres> open() {
        auto window =
            std::make_unique<frmCopiarPres>(contextFor(projects, {{"txtDirectorio", projects.origen}}));
        window->show();
        QApplication::setActiveWindow(window.get());
        window->grid()->setFocus();
        return window;
    }
    static QStringList marks(frmCopiarPres& window) {
        QStringList out;
        for (int row = 1; row <= window.sourceItemCount(); ++row)
            out << window.grid()->text(row, frmCopiarPres::kColCopiar);
        return out;
    }
};

TEST_F(CopyWindow, KeysMarkCopyAndCloseOverEverySourceItem) {
    addAnalysedItem(origen, "A", "1", "Muro");
    addAnalysedItem(origen, "B", "2", "Piso");
    {
        store::Transaction transaction(origen);
        for (int i = 3; i <= 230; ++i)
            addItem(origen, "R", QString::number(i), QString("Rubro %1").arg(i));
        transaction.commit();
    }
    auto window = open();
    ui::Grid* grid = window->grid();
    ASSERT_TRUE(window->isLoaded());
    EXPECT_EQ(window->windowTitle(), "Copiar Presupuestos");
    EXPECT_EQ(window->findChild<QLineEdit*>("txtDirectorio")->text(),
              QDir::toNativeSeparators(projects.origen));
    EXPECT_EQ(grid->text(0, 1), "CÓDIGO");
    EXPECT_EQ(grid->text(2, frmCopiarPres::kColDescripcion), "Piso");
    EXPECT_EQ(grid->text(230, frmCopiarPres::kColItem), "230");

    // T marks every item, even past row 199; B clears them; both leave row 1 current.
    grid->setCell(150, 1);
    QTest::keyClick(grid, Qt::Key_T);
    EXPECT_EQ(marks(*window).count("*"), 230);
    EXPECT_EQ(grid->row(), 1);
    QTest::keyClick(grid, Qt::Key_B);
    EXPECT_EQ(marks(*window).count(""), 230);

    // Enter and a double click toggle; rows past the items hold nothing to mark.
    QTest::keyClick(grid, Qt::Key_Return);
    grid->setCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Return);
    // The double click picks its own row (cellRect() is relative to the grid, the click to its
    // viewport below the header).
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->cellRect(230, 1).center() - grid->viewport()->pos());
    EXPECT_EQ(grid->row(), 230);
    grid->setCell(231, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(grid->text(1, 0), "*");
    EXPECT_EQ(grid->text(2, 0), "");
    EXPECT_EQ(grid->text(230, 0), "*");
    EXPECT_EQ(grid->text(231, 0), "");
    EXPECT_EQ(grid->cellFont(1, 0).pointSizeF(), 12);
    EXPECT_EQ(grid->alignment(1, 0) & Qt::AlignHCenter, Qt::AlignHCenter);

    // I copies the marked items in grid order; the marks stay and a second I copies them again.
    QTest::keyClick(grid, Qt::Key_I);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(window->statusText(), "Rubros copiados: 2, con 7 línea(s)");
    EXPECT_EQ(itemPairs(destino), (QStringList{"A|1", "R|230"}));
    QTest::mouseClick(window->findChild<QPushButton*>("cmdCopiar"), Qt::LeftButton);
    EXPECT_EQ(itemPairs(destino), (QStringList{"A|1", "R|230", "CA|C1", "CR|C230"}));
    EXPECT_EQ(linesOf(destino, "CA", "C1"), kAnalysedItemLines);
    EXPECT_EQ(grid->text(1, 0), "*");

    QTest::mouseClick(window->findChild<QPushButton*>("cmdBorrar"), Qt::LeftButton);
    QTest::keyClick(grid, Qt::Key_I);
    EXPECT_EQ(window->statusText(), "No hay rubros marcados para copiar");
    EXPECT_EQ(count(destino, "Presupuesto"), 4);
    QTest::mouseClick(window->findChild<QPushButton*>("cmdTodo"), Qt::LeftButton);
    EXPECT_EQ(marks(*window).count("*"), 230);

    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

// A failed write, or a source deleted since the window opened: nothing is added and the window says
// why.
TEST_F(CopyWindow, AFailedCopyAddsNothingAndSaysWhy) {
    FailureGuard guard;
    addAnalysedItem(origen, "A", "1", "Muro");
    addAnalysedItem(origen, "B", "2", "Piso");
    auto window = open();
    QTest::keyClick(window->grid(), Qt::Key_T);
    store::testing::failAfterWrites(10);
    QTest::keyClick(window->grid(), Qt::Key_I);
    store::testing::failAfterWrites(-1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_TRUE(messages.lastText().startsWith("No se pudo copiar el rubro B 2: "))
        << messages.lastText().toStdString();
    EXPECT_EQ(window->statusText(), "No se copió ningún rubro");
    EXPECT_EQ(tableCounts(destino), (QList<int>{0, 0, 0, 0, 0}));

    QTest::keyClick(window->grid(), Qt::Key_I);
    EXPECT_EQ(window->statusText(), "Rubros copiados: 2, con 14 línea(s)");

    origen.close();
    ASSERT_TRUE(QDir(projects.origen).removeRecursively());
    QTest::keyClick(window->grid(), Qt::Key_I);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.lastText(), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(window->statusText(), "No se copió ningún rubro");
    EXPECT_EQ(tableCounts(destino), (QList<int>{2, 4, 2, 4, 4}));
}

TEST_F(CopyWindow, AnItemWithoutCodeIsListedButNeverMarked) {
    addAnalysedItem(origen, "A", "1", "Muro");
    addItem(origen, "", "2", "Sin código");
    addAnalysedItem(origen, "B", "3", "Piso");
    auto window = open();
    ui::Grid* grid = window->grid();
    EXPECT_EQ(grid->text(2, frmCopiarPres::kColDescripcion), "Sin código");
    QTest::keyClick(grid, Qt::Key_T);
    EXPECT_EQ(marks(*window), (QStringList{"*", "", "*"}));
    grid->setCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(grid->text(2, 0), "");
    QTest::keyClick(grid, Qt::Key_I);
    EXPECT_EQ(window->statusText(), "Rubros copiados: 2, con 14 línea(s)");
    EXPECT_EQ(itemPairs(destino), (QStringList{"A|1", "B|3"}));
}

// The source's items changed since the window listed them: nothing is copied. A copy into a
// project whose item editor is open elsewhere makes that editor's save refuse instead of
// dropping the copied items.
TEST_F(CopyWindow, ChangesMeanwhileRefuseTheCopyOrTheEditorThatWouldUndoIt) {
    addAnalysedItem(origen, "A", "1", "Muro");
    addAnalysedItem(origen, "B", "2", "Piso");
    auto window = open();
    QTest::keyClick(window->grid(), Qt::Key_T);
    origen.execute("UPDATE Presupuesto SET DescripcionPres = 'Muro de ladrillo' WHERE CodigoPres = 'A'");
    QTest::keyClick(window->grid(), Qt::Key_I);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "Los rubros del proyecto de origen A 1 cambiaron desde que abrió la "
                                   "ventana; ciérrela y vuelva a abrirla");
    EXPECT_EQ(tableCounts(destino), (QList<int>{0, 0, 0, 0, 0}));

    addItem(destino, "Z", "9", "Ya estaba");
    budget::HojaPresupuesto editor = budget::cargarHoja(destino);
    window = open();
    QTest::keyClick(window->grid(), Qt::Key_T);
    QTest::keyClick(window->grid(), Qt::Key_I);
    EXPECT_EQ(window->statusText(), "Rubros copiados: 2, con 14 línea(s)");
    editor.escribir(1, budget::kColDescripcion, "Otra");
    const budget::ResultadoGrabacion refused = budget::grabarPresupuesto(destino, editor);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.contains("cambiaron desde que abrió la ventana"))
        << refused.message.toStdString();
    EXPECT_EQ(itemPairs(destino), (QStringList{"Z|9", "A|1", "B|2"}));
}

TEST_F(CopyWindow, AnEmptySourceGivesAnEmptyGridAndCopiesNothing) {
    auto window = open();
    ASSERT_TRUE(window->isLoaded());
    EXPECT_EQ(window->sourceItemCount(), 0);
    EXPECT_EQ(window->grid()->text(1, 1), "");
    QTest::keyClick(window->grid(), Qt::Key_T);
    QTest::keyClick(window->grid(), Qt::Key_Return);
    QTest::keyClick(window->grid(), Qt::Key_I);
    EXPECT_EQ(window->grid()->text(1, 0), "");
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(tableCounts(destino), (QList<int>{0, 0, 0, 0, 0}));
}

class CopyButtons : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        wiring_copy(registry);
        destino = temp.newProject("Destino");
        origen = temp.newProject("Origen");
        store::Database source = store::Database::openProject(origen);
        addAnalysedItem(source, "A", "1", "Muro");
        openProject(destino);
    }
    // Clicks the button and accepts the dialog on the source project.
    void chooseOrigin(const QString& button) {
        onNextModal([this](QWidget* modal) {
            auto* dialog = qobject_cast<frmSeleccionarDir*>(modal);
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->folderList()->setPath(origen));
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
        });
        this->button(button)->click();
    }
    QString destino;
    QString origen;
};

// Copiar Presupuesto opens the copy window on the chosen project, which copies nothing while the
// item editor is open on the destination: the editor rewrites the item list when it saves, and
// copies made under it would be lost.
TEST_F(CopyButtons, CopiarPresupuestoOpensTheCopyWindowWhichWaitsForTheItemEditor) {
    registry.registerWindow("frmDatosPresupuesto", [](const ui::WindowContext&) {
        auto* editor = new QWidget;
        editor->setWindowTitle("Datos del Presupuesto");
        return editor;
    });
    ui::WindowContext onDestino;
    onDestino.projectFolder = destino;
    onDestino.rootFolder = temp.root();
    ASSERT_NE(registry.openWindow("frmDatosPresupuesto", onDestino), nullptr);

    chooseOrigin("cmdCopiarPre");
    auto* window = qobject_cast<frmCopiarPres*>(registry.findWindow("frmCopiarPres"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QLineEdit*>("txtDirectorio")->text(), QDir::toNativeSeparators(origen));
    EXPECT_EQ(window->grid()->text(1, 1), "A");
    QTest::keyClick(window->grid(), Qt::Key_Return);
    QTest::keyClick(window->grid(), Qt::Key_I);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(
        messages.lastText().startsWith("No se puede copiar mientras la ventana «Datos del Presupuesto»"))
        << messages.lastText().toStdString();
    EXPECT_EQ(window->statusText(), "No se copió ningún rubro");
    store::Database target = store::Database::openProject(destino);
    EXPECT_EQ(tableCounts(target), (QList<int>{0, 0, 0, 0, 0}));

    ASSERT_TRUE(registry.closeWindow("frmDatosPresupuesto"));
    QTest::keyClick(window->grid(), Qt::Key_I);
    EXPECT_EQ(window->statusText(), "Rubros copiados: 1, con 7 línea(s)");
    EXPECT_EQ(linesOf(target, "A", "1"), kAnalysedItemLines);
    EXPECT_EQ(messages.count(), 1);
    registry.closeAll();
}

TEST_F(CopyButtons, CopiarPreciosImportsAndSaysHowManyLinesOnTheStatusLine) {
    {
        store::Database target = store::Database::openProject(destino);
        addItem(target, "X", "1", "Pared");
        addLine(target, "ManoObra", "X", "1", {"Peón", "E2", 1.0, 1.0, 0.0});
    }
    chooseOrigin("cmdCopiarPrecios");
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(registry.findWindow("frmCopiarPres"), nullptr);
    EXPECT_EQ(principal->findChild<QLabel*>("lblEstado")->text(),
              "Precios importados: 1 línea(s) tomaron el precio del proyecto de origen");
    store::Database target = store::Database::openProject(destino);
    auto line = target.openRecordSet("SELECT SalarioMan FROM ManoObra");
    line.moveFirst();
    EXPECT_EQ(line.number("SalarioMan"), 3.6);
}

} // namespace
} // namespace korvex
