#include "ShellFixture.h"
#include "shell/HelpViewer.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "ui/Grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <set>

namespace korvex {
void wiring_shell(ui::WindowRegistry& registry);
}

using namespace korvex;
using korvex::testing::ShellTest;

namespace {

QString status(shell::frmPrincipal& principal) {
    return principal.findChild<QLabel*>("lblEstado")->text();
}

void clickTab(QTabBar* tabs, int index) {
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

} // namespace

TEST_F(ShellTest, StartsWithNoProjectAndEveryTabButtonHidden) {
    EXPECT_TRUE(korvex::store::samePath(dir1()->path(), temp.root()));
    EXPECT_FALSE(principal->tabStrip()->isEnabled());
    EXPECT_TRUE(visibleTabButtons().isEmpty());

    std::set<QString> names;
    for (const auto& dataDef : shell::frmPrincipal::tabButtonSpecs())
        names.insert(dataDef.name);
    EXPECT_EQ(names.size(), 49u); // no name twice
    EXPECT_EQ(QStringList({button("cmdCorregir")->text(), button("cmdHelp")->text(),
                           button("cmdSalir")->text(), principal->findChild<QLabel*>("lblEdicion")->text(),
                           principal->findChild<QLabel*>("lblImpresion")->text()}),
              QStringList({" Corregir", "Ayuda (F1)", "Salir (Esc)", "Edición", "Impresión"}));
    QStringList captions;
    for (int i = 0; i < principal->tabStrip()->count(); ++i)
        captions.append(principal->tabStrip()->tabText(i));
    EXPECT_EQ(captions, QStringList({"Presupuesto", "Reajuste", "Cronograma", "Presupuesto", "Reajuste",
                                     "Cronograma"}));
}

TEST_F(ShellTest, TabButtonsAppearOnlyWhenATabIsChosenAndFollowItsRow) {
    openProject(temp.newProject("Obra"));
    QTabBar* tabs = principal->tabStrip();
    EXPECT_TRUE(tabs->isEnabled());
    EXPECT_TRUE(tabs->hasFocus());
    EXPECT_EQ(button("cmdAbrir")->text(), "Cerrar Proyecto (F3)");
    EXPECT_TRUE(visibleTabButtons().isEmpty()); // nothing until a tab is chosen

    clickTab(tabs, 1);
    EXPECT_EQ(visibleTabButtons(), QStringList({"cmdSimbolos", "cmdCuadrilla", "cmdFormula"}));

    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(visibleTabButtons(),
              QStringList({"cmdGrupos", "cmdDescripcion", "cmdComponentes", "cmdCrono", "cmdCrono2"}));
    EXPECT_FALSE(button("cmdComponentes")->isEnabled()); // no action of its own
    QTest::keyClick(tabs, Qt::Key_Down);
    EXPECT_TRUE(button("cmdGrupos")->hasFocus());

    clickTab(tabs, 0);
    EXPECT_EQ(visibleTabButtons().size(), 13);
    EXPECT_FALSE(button("cmdCalcular")->isEnabled());
    EXPECT_FALSE(button("cmdCopiarAna")->isEnabled());
    EXPECT_TRUE(button("cmdCalculo")->isEnabled());
    // Any key released on Buscar sends the focus back to the first button.
    button("cmdBuscar")->setFocus();
    QTest::keyClick(button("cmdBuscar"), Qt::Key_Shift);
    QApplication::processEvents();
    EXPECT_TRUE(button("cmdDatosPres")->hasFocus());

    // Format buttons shown by a report group button go away with another tab.
    clickTab(tabs, 3);
    EXPECT_EQ(visibleTabButtons().size(), 6);
    principal->toggleFormatButtons(
        {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPres3", "cmdFormatoPresC"});
    EXPECT_TRUE(principal->isFormatButtonVisible("cmdFormatoPresC"));
    EXPECT_EQ(visibleTabButtons().size(), 10);
    principal->showFormatButtons({"cmdFormatoAna1", "cmdDatosPres"}); // not a format button: ignored
    EXPECT_FALSE(principal->isFormatButtonVisible("cmdFormatoPresC"));
    EXPECT_TRUE(principal->isFormatButtonVisible("cmdFormatoAna1"));
    EXPECT_FALSE(button("cmdDatosPres")->isVisible());
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_FALSE(principal->isFormatButtonVisible("cmdFormatoAna1"));
    EXPECT_EQ(visibleTabButtons(), QStringList({"cmdSimboloR", "cmdFormulaR", "cmdCuadrillaR"}));

    principal->closeProject();
    EXPECT_TRUE(visibleTabButtons().isEmpty());
    EXPECT_FALSE(tabs->isEnabled());
}

TEST_F(ShellTest, ButtonsOpenOneCopyOfTheirWindowOrSayItIsNotThereYet) {
    const QString project = temp.newProject("Obra");
    int made = 0;
    QString folderSeen;
    registry.registerWindow("frmGrupos", [&](const ui::WindowContext& context) {
        ++made;
        folderSeen = context.projectFolder;
        return new QWidget;
    });
    registry.registerWindow("frmCorregir", [](const ui::WindowContext&) {
        auto* window = new QWidget;
        auto* grid = new ui::Grid(10, 2, window);
        grid->setObjectName("msfgMateriales");
        grid->hide();
        return window;
    });
    QString mode;
    registry.registerButton("cmdCopiarPrecios", [&](const ui::WindowContext& c) {
        mode = c.arguments.value("txtOpcion").toString();
    });
    openProject(project);
    clickTab(principal->tabStrip(), 2);

    QTest::mouseClick(button("cmdGrupos"), Qt::LeftButton);
    QTest::mouseClick(button("cmdGrupos"), Qt::LeftButton);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(store::samePath(folderSeen, project));
    QWidget* grupos = registry.findWindow("frmGrupos");
    ASSERT_NE(grupos, nullptr);
    EXPECT_TRUE(grupos->isVisible());

    QTest::mouseClick(button("cmdCrono"), Qt::LeftButton);
    EXPECT_EQ(status(*principal), "Disponible próximamente");

    clickTab(principal->tabStrip(), 0);
    QTest::mouseClick(button("cmdCopiarPrecios"), Qt::LeftButton);
    EXPECT_EQ(mode, "0");
    QTest::mouseClick(button("cmdCorregir"), Qt::LeftButton);
    auto* materiales = registry.findWindow("frmCorregir")->findChild<ui::Grid*>("msfgMateriales");
    EXPECT_FALSE(materiales->isHidden());
    EXPECT_EQ(materiales->row(), 1);
    EXPECT_EQ(materiales->col(), 0);

    // Closing the project leaves its windows open; the same button on another project then
    // shows that project, not the old one.
    principal->closeProject();
    EXPECT_TRUE(registry.findWindow("frmGrupos"));
    const QString other = temp.newProject("Otra");
    openProject(other);
    clickTab(principal->tabStrip(), 2);
    QTest::mouseClick(button("cmdGrupos"), Qt::LeftButton);
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(store::samePath(folderSeen, other));
    EXPECT_TRUE(store::samePath(registry.folderOf("frmGrupos"), other));
    registry.closeAll();
}

TEST_F(ShellTest, TheKeyboardAloneReachesEveryWindowAndTheCaptionKeysWorkFromAnyButton) {
    const QString project = temp.newProject("Obra");
    QStringList opened;
    for (const char* name : {"frmDatosPresupuesto", "frmBuscar", "frmSimbolos"})
        registry.registerWindow(name, [&opened, name](const ui::WindowContext&) {
            opened.append(name);
            return new QWidget;
        });
    QSignalSpy leaving(principal.get(), &shell::frmPrincipal::leaveRequested);
    // The stand-in windows open as windows of their own and take the activation with them.
    auto activate = [this] {
        QApplication::setActiveWindow(principal.get());
        return QTest::qWaitForWindowActive(principal.get());
    };

    // No project: F5 from the open button asks for a new project's name.
    bool asked = false;
    onNextModal([&asked](QWidget* modal) {
        asked = modal->objectName() == "frmNuevaCarpeta";
        QTest::keyClick(modal->findChild<QLineEdit*>("txtNuevaCarpeta"), Qt::Key_Escape);
    });
    button("cmdAbrir")->setFocus();
    QTest::keyClick(button("cmdAbrir"), Qt::Key_F5);
    EXPECT_TRUE(asked);
    ASSERT_TRUE(activate());

    dir1()->refresh();
    ASSERT_TRUE(dir1()->highlight(project));
    dir1()->setFocus();
    QTest::keyClick(dir1(), Qt::Key_Return);
    ASSERT_FALSE(principal->modoAbrir());
    QTabBar* tabs = principal->tabStrip();
    ASSERT_TRUE(tabs->hasFocus());

    // Down hands the focus to the tab's first button and Enter presses it.
    QTest::keyClick(tabs, Qt::Key_Down);
    ASSERT_TRUE(button("cmdDatosPres")->hasFocus());
    // Up and Down walk the column of buttons; Up from the top goes back to the tabs.
    QTest::keyClick(button("cmdDatosPres"), Qt::Key_Down);
    EXPECT_TRUE(button("cmdAnalisis")->hasFocus());
    QTest::keyClick(button("cmdAnalisis"), Qt::Key_Up);
    EXPECT_TRUE(button("cmdDatosPres")->hasFocus());
    button("cmdCorregir")->setFocus();
    QTest::keyPress(button("cmdCorregir"), Qt::Key_Down); // pressed before Buscar, released on it
    QTest::keyRelease(button("cmdBuscar"), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_TRUE(button("cmdBuscar")->hasFocus());
    button("cmdDatosPres")->setFocus();
    QTest::keyClick(button("cmdDatosPres"), Qt::Key_Up);
    EXPECT_TRUE(tabs->hasFocus());
    QTest::keyClick(tabs, Qt::Key_Down);
    ASSERT_TRUE(button("cmdDatosPres")->hasFocus());
    QTest::keyClick(button("cmdDatosPres"), Qt::Key_Return);
    EXPECT_EQ(opened, QStringList({"frmDatosPresupuesto"}));

    // Space presses Buscar although its key release sends the focus back to the first button.
    ASSERT_TRUE(activate());
    button("cmdBuscar")->setFocus();
    QTest::keyClick(button("cmdBuscar"), Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_EQ(opened, QStringList({"frmDatosPresupuesto", "frmBuscar"}));

    ASSERT_TRUE(activate());
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    QTest::keyClick(tabs, Qt::Key_Down);
    ASSERT_TRUE(button("cmdSimbolos")->hasFocus());
    QTest::keyClick(button("cmdSimbolos"), Qt::Key_Enter);
    EXPECT_EQ(opened.size(), 3);

    // The keys the captions name work with the focus on any button.
    ASSERT_TRUE(activate());
    button("cmdCuadrilla")->setFocus();
    QTest::keyClick(button("cmdCuadrilla"), Qt::Key_Escape);
    EXPECT_EQ(leaving.count(), 1);
    EXPECT_FALSE(principal->modoAbrir()); // leaving is the frame's question, not this window's
    QTest::keyClick(button("cmdCuadrilla"), Qt::Key_F1);
    ASSERT_NE(shell::HelpViewer::openViewer(), nullptr);
    shell::HelpViewer::openViewer()->close();
    ASSERT_TRUE(activate());
    button("cmdFormula")->setFocus();
    QTest::keyClick(button("cmdFormula"), Qt::Key_F3);
    EXPECT_TRUE(principal->modoAbrir());
    EXPECT_EQ(messages.count(), 0);
    registry.closeAll();
}

TEST_F(ShellTest, BudgetCalculationRefusesAProjectWithoutDataAndReportsTheCount) {
    korvex::wiring_shell(registry);
    const QString project = temp.newProject("Obra");
    openProject(project);
    clickTab(principal->tabStrip(), 0);

    QTest::mouseClick(button("cmdCalculo"), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "Debe ingresar primero los datos del Proyecto");

    {
        store::Database db = temp.open(project);
        db.execute("INSERT INTO Proyecto (Proyecto, CostosIndirectos, OtrosIndirectos, Herramienta) "
                   "VALUES ('Obra', 20, 0, 0)");
        db.execute(
            "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, CantidadPres) "
            "VALUES (?, ?, ?, ?, ?)",
            {"A", "1", "Hormigón 'f'c=210'", "m3", 2.0});
    }
    QTest::mouseClick(button("cmdCalculo"), Qt::LeftButton);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(status(*principal), "Presupuesto recalculado: 1 rubro");
}
