// Draws the where-used search, the correction and the yield editor on the sample project into PNG
// files:
//     xvfb-run -a build/dev-x/tests/analysis/korvex_tools_screenshots docs/screenshots
#include "Screenshots.h"
#include "TestProject.h"
#include "analysis/frmBuscar.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "engine/Demo.h"
#include "ui/Grid.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

using namespace korvex;

namespace {

void save(QWidget* widget, const QString& folder, const QString& name) {
    testing::saveScreenshot(widget, folder, "tools", name);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    testing::TempRoot root;
    ui::WindowContext context;
    if (!testing::makeSampleProject(root, &context))
        return 1;

    {
        analysis::frmBuscar buscar(context);
        buscar.show();
        save(&buscar, out, "buscar");
        ui::Grid* materials = buscar.list(analysis::Kind::Material);
        for (int row = 1; row < materials->rows(); ++row)
            if (materials->text(row, 0).startsWith("Cemento")) {
                materials->setCell(row, 0);
                break;
            }
        buscar.BuscarRubros();
        save(&buscar, out, "buscar-rubros");
    }
    {
        analysis::frmCorregir corregir(context);
        corregir.show();
        ui::Grid* materials = corregir.list(analysis::Kind::Material);
        materials->setCell(2, 0);
        QTest::qWait(50);
        QTest::keyClick(materials, Qt::Key_F12);
        if (auto* editor = corregir.findChild<QLineEdit*>("txtIngreso"))
            editor->setText(editor->text() + " fina");
        save(&corregir, out, "corregir");
    }
    {
        analysis::frmRendimiento rendimiento(context);
        save(&rendimiento, out, "rendimiento");
        rendimiento.CambiarGrilla();
        save(&rendimiento, out, "rendimiento-mano-obra");
    }
    return 0;
}
