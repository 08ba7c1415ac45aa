#include "CommandRun.h"
#include "TestProject.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"

#include <gtest/gtest.h>

using namespace korvex::engine;
using korvex::testing::TempRoot;

namespace {

korvex::testing::CommandRun korvexRun(const QString& root, const QStringList& args) {
    return korvex::testing::runCommand(QStringList{"--root", root} + args);
}

} // namespace

TEST(BatchCommands, RecalcTotalsImportAndDemo) {
    TempRoot root;
    const auto demo = korvexRun(root.root(), {"demo"});
    ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
    EXPECT_TRUE(demo.out.contains("15 rubros"));

    const auto recalc = korvexRun(root.root(), {"recalc", "Ejemplo"});
    ASSERT_EQ(recalc.code, 0) << recalc.err.toStdString();
    const QStringList lines = recalc.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[0].split('\t').size(), 4);
    EXPECT_TRUE(lines[0].startsWith("501001\t1.01\tLimpieza y desbroce del terreno\t"));
    const auto prices = PreciosUnitarios(root.root() + "/Ejemplo");
    EXPECT_EQ(lines[0].split('\t')[3], formatNumber(prices[0].precio.precioUnitario, "0.00"));

    const auto totals = korvexRun(root.root(), {"totals", "Ejemplo"});
    ASSERT_EQ(totals.code, 0);
    const QStringList names = totals.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 4);
    EXPECT_TRUE(names[0].startsWith("TotalCostoDirecto\t"));
    EXPECT_TRUE(names[3].startsWith("TotalTransporteProyecto\t"));

    EXPECT_EQ(korvexRun(root.root(), {"import-prices", "Ejemplo", "Ejemplo"}).err.trimmed(),
              kOrigenIgualDestino);
    EXPECT_EQ(korvexRun(root.root(), {"import-prices", "Ejemplo", root.root()}).code, 1);
    root.newProject("Vacio");
    const auto import = korvexRun(root.root(), {"import-prices", "Vacio", "Ejemplo"});
    EXPECT_EQ(import.code, 0) << import.err.toStdString();
    const auto empty = korvexRun(root.root(), {"recalc", "Vacio"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_EQ(empty.err.trimmed(), kSinDatosProyecto);

    EXPECT_EQ(korvexRun(root.root(), {"demo", "X", "--items", "abc"}).code, 2);
    EXPECT_EQ(korvexRun(root.root(), {"demo", "Ejemplo"}).code, 1);
    const auto big = korvexRun(root.root(), {"demo", "Grande", "--items", "10"});
    EXPECT_EQ(big.code, 0);
    EXPECT_TRUE(big.out.contains("10 rubros\t200 líneas"));
}
