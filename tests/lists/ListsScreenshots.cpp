// Draws the price window on the sample project into PNG files: the materials list with a price
// being retyped and the totals computed, the labour list raised by a percentage, and the dialog.
//     xvfb-run -a build/dev-x/tests/lists/korvex_lists_screenshots docs/screenshots
#include "Screenshots.h"
#include "TestProject.h"
#include "engine/Demo.h"
#include "lists/frmListaMEM.h"
#include "lists/frmPorcentaje.h"
#include "ui/Grid.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace korvex;

namespace {

void save(QWidget* widget, const QString& folder, const QString& name) {
    testing::saveScreenshot(widget, folder, "lists", name);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    testing::TempRoot root;
    ui::WindowContext context;
    if (!testing::makeSampleProject(root, &context))
        return 1;

    lists::frmListaMEM window(context);
    window.show();
    QTest::qWait(50);
    window.CalcularTotales();
    ui::Grid* materials = window.grid(lists::TipoRecurso::Material);
    materials->setCell(3, 2);
    QTest::keyClick(materials, Qt::Key_1);
    if (auto* editor = window.findChild<QLineEdit*>("txtIngreso"))
        editor->setText("14.75");
    save(&window, out, "materiales");

    QTest::keyClick(window.findChild<QLineEdit*>("txtIngreso"), Qt::Key_Escape);
    window.CambiarLista();
    window.CalcularTotales();
    save(&window, out, "equipo");
    window.CambiarLista();
    // The dialog, drawn while it waits for its percentage; Enter then raises the labour list.
    QTimer::singleShot(100, [&out] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            auto* box = dialog->findChild<QLineEdit*>("txtPorcentaje");
            box->setText("10");
            save(dialog, out, "porcentaje");
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    window.IncrementarPrecios();
    window.CalcularTotales();
    save(&window, out, "mano-obra");
    return 0;
}
