#include "engine/Demo.h"

#include "TestProject.h"
#include "engine/Engine.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace korvex::engine;
using korvex::testing::TempRoot;

TEST(Demo, SampleProjectIsPricedAndReadable) {
    TempRoot root;
    const ResultadoDemo demo = CrearProyectoEjemplo(root.root());
    ASSERT_TRUE(demo.ok) << demo.message.toStdString();
    EXPECT_EQ(QDir(demo.folder).dirName(), "Ejemplo");
    EXPECT_EQ(demo.items, 15);
    EXPECT_GT(demo.lineas, 100);

    const std::vector<PrecioItem> prices = PreciosUnitarios(demo.folder);
    ASSERT_EQ(prices.size(), 15u);
    for (const PrecioItem& p : prices) {
        EXPECT_GT(p.precio.precioUnitario, 0) << p.descripcionPres.toStdString();
        EXPECT_GT(p.precio.indirectos, 0);
        EXPECT_GT(p.precio.herramienta, 0) << "every sample item has labour";
    }
    EXPECT_EQ(prices[14].cantidadPres, 0.0) << "one optional item of quantity 0";
    EXPECT_GT(TotalTransporteProyecto(demo.folder), 0);

    const ResultadoDemo again = CrearProyectoEjemplo(root.root());
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.message.contains("ya existe"));
}

TEST(Demo, SyntheticProjectAgreesItemByItem) {
    TempRoot root;
    const ResultadoDemo demo = CrearProyectoEjemplo(root.root(), "Grande", 40);
    ASSERT_TRUE(demo.ok) << demo.message.toStdString();
    EXPECT_EQ(demo.items, 40);
    EXPECT_EQ(demo.lineas, 40 * 20);

    double total = 0;
    for (const PrecioItem& p : PreciosUnitarios(demo.folder)) {
        const DesgloseItem one = PrecioUnitarioItem(demo.folder, p.codigoPres, p.itemPres);
        EXPECT_EQ(p.precio.precioUnitario, one.precio.precioUnitario);
        total = Redondear(total + CostoDirecto(demo.folder, p.codigoPres, p.itemPres) * p.cantidadPres, 2);
    }
    EXPECT_EQ(TotalCostoDirecto(demo.folder), total);
    const ResultadoInfoAnalisis info = LlenarInfoAnalisis(demo.folder);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.registros, 40 * 21) << "every line and the allowance; no kind is missing";
}
