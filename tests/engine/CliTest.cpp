#include "TestProject.h"
#include "cli/CommandTable.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"

#include <QTextStream>
#include <gtest/gtest.h>

using namespace korvex::engine;
using korvex::testing::TempRoot;

namespace {

struct CommandRun {
    int code;
    QString out;
    QString err;
};

CommandRun korvexRun(const QString& root, QStringList args) {
    QString out;
    QString err;
    QString input;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QTextStream inStream(&input);
    args.prepend(root);
    args.prepend("--root");
    const int code = korvex::cli::run(args, outStream, errStream, inStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

} // namespace

TEST(BatchCommands, RecalcTotalsImportAndDemo) {
    TempRoot root;
    CommandRun demo = korvexRun(root.root(), {"demo"});
    ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
    EXPECT_TRUE(demo.out.contains("15 rubros"));

    const CommandRun recalc = korvexRun(root.root(), {"recalc", "Ejemplo"});
    ASSERT_EQ(recalc.code, 0) << recalc.err.toStdString();
    const QStringList lines = recalc.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[0].split('\t').size(), 4);
    EXPECT_TRUE(lines[0].startsWith("501001\t1.01\tLimpieza y desbroce del terreno\t"));
    const auto prices = PreciosUnitarios(root.root() + "/Ejemplo");
    EXPECT_EQ(lines[0].split('\t')[3], formatNumber(prices[0].precio.precioUnitario, "0.00"));

    const CommandRun totals = korvexRun(root.root(), {"totals", "Ejemplo"});
    ASSERT_EQ(totals.code, 0);
    const QStringList names = totals.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 4);
    EXPECT_TRUE(names[0].startsWith("TotalCostoDirecto\t"));
    EXPECT_TRUE(names[3].startsWith("TotalTransporteProyecto\t"));

    EXPECT_EQ(korvexRun(root.root(), {"import-prices", "Ejemplo", "Ejemplo"}).err.trimmed(),
              kOrigenIgualDestino);
    EXPECT_EQ(korvexRun(root.root(), {"import-prices", "Ejemplo", root.root()}).code, 1);
    root.newProject("Vacio");
    const CommandRun import = korvexRun(root.root(), {"import-prices", "Vacio", "Ejemplo"});
    EXPECT_EQ(import.code, 0) << import.err.toStdString();
    const CommandRun empty = korvexRun(root.root(), {"recalc", "Vacio"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_EQ(empty.err.trimmed(), kSinDatosProyecto);

    EXPECT_EQ(korvexRun(root.root(), {"demo", "X", "--items", "abc"}).code, 2);
    EXPECT_EQ(korvexRun(root.root(), {"demo", "Ejemplo"}).code, 1);
    const CommandRun big = korvexRun(root.root(), {"demo", "Grande", "--items", "10"});
    EXPECT_EQ(big.code, 0);
    EXPECT_TRUE(big.out.contains("10 rubros\t200 líneas"));
}
