// The "Archivo" actions of the spreadsheet exchange and their windows: a price list read, its
// columns taken from its titles, previewed (F5) and imported (F9); the project exported.
#include "FakeMessages.h"
#include "SpreadsheetsFixture.h"
#include "shell/frmExportarExcel.h"
#include "shell/frmImportarListaPrecios.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace korvex {
void wiring_spreadsheets(ui::WindowRegistry& registry);
}

using namespace korvex;
using korvex::testing::FakeMessages;
using korvex::testing::SampleProject;

namespace {

class Windows : public SampleProject {
protected:
    ui::WindowContext context() const {
        ui::WindowContext c;
        c.projectFolder = folder;
        c.rootFolder = root.root();
        return c;
    }
    FakeMessages messages;
};

} // namespace

TEST_F(Windows, ArchivoActionsAreRegisteredAndNeedAnOpenProject) {
    ui::WindowRegistry registry;
    wiring_spreadsheets(registry);
    QStringList names;
    for (const ui::WindowRegistry::MenuAction& a : registry.menuActions("Archivo"))
        names << QString("%1 %2 %3").arg(a.order).arg(a.objectName, a.text);
    EXPECT_EQ(names, (QStringList{"30 actImportarListaPrecios Importar lista de precios...",
                                  "40 actExportarExcel Exportar a Excel..."}));
    registry.menuActions("Archivo").first().action(ui::WindowContext{});
    EXPECT_EQ(messages.lastText(), "Abra primero un proyecto");
    EXPECT_FALSE(registry.findWindow("frmImportarListaPrecios"));
    registry.menuActions("Archivo").last().action(context());
    EXPECT_TRUE(registry.findWindow("frmExportarExcel"));
    registry.closeAll();
}

TEST_F(Windows, ImportWindowPreviewsThenSavesTheListItRead) {
    const QStringList before = storedPrices();
    const QString path = writeFile("lista.csv", "Proveedor X,,,\n"
                                                "Código,Descripción,Unidad,Precio unitario\n"
                                                "1,Agua,m3,1.50\n"
                                                "2,Ladrillo,u,0.30\n");
    shell::frmImportarListaPrecios w(context());
    w.findChild<QLineEdit*>("txtArchivo")->setText(path);
    QTest::mouseClick(w.findChild<QPushButton*>("cmdLeer"), Qt::LeftButton);
    EXPECT_EQ(w.findChild<QComboBox*>("cboDescripcion")->currentText(), "B «Descripción»");
    EXPECT_EQ(w.findChild<QComboBox*>("cboPrecio")->currentData().toInt(), 3);
    EXPECT_EQ(w.findChild<QComboBox*>("cboCategoria")->currentData().toInt(), -1);
    auto* vista = w.findChild<QTableWidget*>("msfgVista");
    EXPECT_EQ(vista->rowCount(), 4);
    EXPECT_EQ(vista->item(2, 1)->text(), "Agua");

    QTest::keyClick(&w, Qt::Key_F5);
    auto* resultado = w.findChild<QTableWidget*>("msfgResultado");
    ASSERT_EQ(resultado->rowCount(), 2);
    EXPECT_EQ(resultado->item(0, 0)->text(), "Se actualizará");
    EXPECT_EQ(resultado->item(0, 5)->text(), "1.50");
    EXPECT_EQ(resultado->item(1, 0)->text(), "Sin coincidencia");
    EXPECT_EQ(storedPrices(), before);

    messages.answer(ui::MessageAnswer::No);
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_EQ(messages.lastText(), "¿Grabar los precios de 1 recurso(s) en todas sus líneas?");
    EXPECT_EQ(storedPrices(), before);
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_NE(storedPrices(), before);
    EXPECT_TRUE(w.findChild<QLabel*>("lblEstado")->text().startsWith("Precios grabados: "))
        << w.findChild<QLabel*>("lblEstado")->text().toStdString();
    EXPECT_EQ(resultado->item(0, 0)->text(), "Actualizado");

    // Without a price column nothing is imported; an unreadable file is named.
    w.findChild<QComboBox*>("cboPrecio")->setCurrentIndex(0);
    EXPECT_FALSE(w.importPrices());
    EXPECT_EQ(messages.lastText(), "Elija las columnas de la descripción y del precio");
    w.findChild<QLineEdit*>("txtArchivo")->setText(root.root() + "/no-hay.xlsx");
    EXPECT_FALSE(w.readFile());
    EXPECT_TRUE(messages.lastText().endsWith("no existe")) << messages.lastText().toStdString();
}

TEST_F(Windows, ExportWindowWritesTheChosenSheets) {
    shell::frmExportarExcel w(context());
    EXPECT_TRUE(w.findChild<QLineEdit*>("txtArchivo")->text().endsWith("/Ejemplo/Ejemplo.xlsx"));
    const QString path = root.root() + "/salida.xlsx";
    w.findChild<QLineEdit*>("txtArchivo")->setText(path);
    for (QCheckBox* box : w.findChildren<QCheckBox*>())
        box->setChecked(box->objectName() == "chkpresupuesto" || box->objectName() == "chkcuadrilla");
    QTest::mouseClick(w.findChild<QPushButton*>("cmdExportar"), Qt::LeftButton);
    EXPECT_EQ(messages.lastText(), "Proyecto exportado a " + path);
    EXPECT_EQ(sheet(path, {}).sheetNames, (QStringList{"Presupuesto", "Cuadrilla"}));
}
