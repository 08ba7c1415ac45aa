// "Copiar Análisis" driven by keys alone from the main window's button.
#include "analysis/frmCopiarAnalisis.h"

#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using korvex::testing::FakeMessages;

namespace korvex {
void wiring_analysis(ui::WindowRegistry& registry);
}

namespace {

void press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

TEST(frmCopiarAnalisis, ChoosesSourceAndTargetsByKeysAndRefusesATargetOpenInTheEditor) {
    AnalysisProject p;
    p.setHeader(20, 5, false);
    p.addItem("A1", "1", "Hormigón");
    p.addItem("B1", "1", "Mortero");
    p.addItem("C1", "1", "Contrapiso");
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addMaterial("B1", "1", "Cemento", "kg", 3, 12);
    p.addEquipment("B1", "1", "Concretera", 1, 1, 5);
    FakeMessages messages;
    auto& registry = ui::WindowRegistry::instance();
    registry.clear();
    wiring_analysis(registry);
    ui::WindowContext context;
    context.projectFolder = p.folder;
    context.rootFolder = p.root.root();
    ASSERT_TRUE(registry.triggerButton("cmdCopiarAna", context));
    auto* window = qobject_cast<analysis::frmCopiarAnalisis*>(registry.findWindow("frmCopiarAnalisis"));
    ASSERT_NE(window, nullptr);
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(QApplication::focusWidget(), window->sourceGrid());

    press(Qt::Key_Down); // B1 1 is the source
    EXPECT_EQ(window->findChild<QLabel*>("lblOrigen")->text(), "Origen: B1 1  Mortero");
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), window->targetGrid());
    press(Qt::Key_Return); // A1
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Return); // C1
    press(Qt::Key_A);
    press(Qt::Key_I);
    EXPECT_EQ(window->statusText(), "Análisis copiado en 2 rubro(s), 6 línea(s)");
    EXPECT_EQ(messages.count(), 0); // adding asks nothing
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"CantidadMat", "PrecioUniMat"}), QStringList({"5|10"}));
    EXPECT_EQ(p.lines("Transporte", "C1", "1", {"DescripcionTran", "CantidadTran"}),
              QStringList({"Cemento|3"}));

    // KORVEX_SCREENSHOTS set to a folder: the window after the copy is saved there.
    if (const QString folder = qEnvironmentVariable("KORVEX_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(window->grab().save(folder + "/analysis-copiar-analisis.png"));
    }

    // An editor open on a target would drop the copied lines on its next save.
    registry.openWindow("frmMateriales",
                        {p.folder, p.root.root(), nullptr, {{"txtCod", "C1"}, {"txtItem", "1"}}});
    QApplication::setActiveWindow(window);
    window->targetGrid()->setFocus();
    press(Qt::Key_R);
    press(Qt::Key_I);
    EXPECT_EQ(window->statusText(), "No se copió el análisis");
    EXPECT_TRUE(messages.lastText().contains("C1 1")) << messages.lastText().toStdString();
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"CantidadMat"}), QStringList({"5"}));
    registry.clear();
}
