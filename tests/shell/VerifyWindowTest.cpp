// "Verificar proyecto..." of the frame's Archivo menu with the program's own wiring: the findings
// listed, Enter on one opening the analysis of its item, and a refusal without an open project.
#include "FakeMessages.h"
#include "TestProject.h"
#include "shell/Desktop.h"
#include "shell/frmVerificar.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

const ui::WindowRegistry::MenuAction* verifyAction(const ui::WindowRegistry& registry) {
    static QList<ui::WindowRegistry::MenuAction> actions;
    actions = registry.menuActions("Archivo");
    for (const auto& action : actions)
        if (action.objectName == "actVerificarProyecto")
            return &action;
    return nullptr;
}

} // namespace

TEST(VerifyWindow, FindingsOpenTheirItemAndNoProjectIsRefused) {
    korvex::testing::TempRoot temp;
    korvex::testing::FakeMessages messages;
    ui::WindowRegistry registry;
    wireAllWindows(registry);
    const auto* action = verifyAction(registry);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text, "Verificar proyecto...");

    action->action(ui::WindowContext{});
    EXPECT_EQ(messages.lastText(), "Abra un proyecto para verificarlo.");
    EXPECT_EQ(registry.findWindow("frmVerificar"), nullptr);

    const QString folder = temp.newProject("Obra");
    {
        auto db = temp.open(folder);
        db.execute("INSERT INTO Proyecto (Proyecto, Herramienta) VALUES ('Obra', 0)");
        db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, CantidadPres, TotalPres) "
                   "VALUES ('A1', '1', 'Contrapiso', 1, 0)");
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                   "PrecioUniMat) VALUES ('A1', '1', 'Cemento', 'kg', 2, 0.5)");
    }
    ui::WindowContext context;
    context.projectFolder = folder;
    context.rootFolder = temp.root();
    action->action(context);
    auto* window = qobject_cast<shell::frmVerificar*>(registry.findWindow("frmVerificar"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QLabel*>("lblResumen")->text(), "1 hallazgos en 1 rubros y 1 líneas");
    auto* grid = window->findChild<ui::Grid*>("msfgHallazgos");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(1, 0), "precio unitario");
    EXPECT_EQ(grid->text(1, 3), "TotalPres 0.00 y el análisis da 1.00");

    grid->setCell(1, 2);
    QTest::keyClick(grid, Qt::Key_Return);
    QWidget* editor = registry.findWindow("frmMateriales");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->findChild<QLabel*>("lblCodigo")->text(), "A1");
    EXPECT_EQ(messages.count(), 1) << messages.lastText().toStdString();
    registry.closeAll();
    registry.clear();
}
