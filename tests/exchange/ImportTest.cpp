// "korvex import-price-list": price lists from .csv and .xlsx files written into every line of the
// resources they price, all or nothing.
#include "SpreadsheetsFixture.h"
#include "exchange/XlsxWriter.h"
#include "shell/ops/PriceListImport.h"
#include "store/Database.h"

using namespace korvex;
using exchange::SheetCell;
using korvex::testing::CommandRun;
using korvex::testing::SampleProject;

namespace {

class Import : public SampleProject {
protected:
    QStringList pricesOf(const QString& table, const QString& descField, const QString& priceField,
                         const QString& description) {
        store::Database db = root.open(folder);
        QStringList out;
        for (store::RecordSet rs =
                 db.openRecordSet("SELECT * FROM " + table + " WHERE " + descField + " = ?", {description});
             !rs.eof(); rs.moveNext())
            out.append(QString::number(rs.value(priceField).toDouble(), 'g', 12));
        out.removeDuplicates();
        return out;
    }
};

const char* const kCement = "Cemento Portland tipo I (saco 50 kg)";

} // namespace

TEST_F(Import, CsvRepricesEveryLineOfItsResourcesAndReportsWhatItLeftOut) {
    const QString path = writeFile("lista.csv", "Lista de la ferretería,,\n"
                                                "Descripción,Unidad,Precio\n"
                                                "AGLOMERANTES,,\n"
                                                "cemento portland tipo i (saco 50 kg),SACO,8.10\n"
                                                "Ladrillo mambrón,u,0.30\n"
                                                "Arena fina,m3,14.60\n"
                                                "Arena fina,m3,\"15,20\"\n");
    const CommandRun r = run({"import-price-list", "Ejemplo", path});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.startsWith("Actualizado\tmateriales\tCemento Portland tipo I (saco 50 kg)\tsaco\t7.85\t8.10\n"
                         "Actualizado\tmateriales\tArena fina\tm3\t14.00\t15.20\n"
                         "Sin coincidencia\t5\tLadrillo mambrón\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Filas sin precio:\t1\n"));
    EXPECT_TRUE(r.out.contains("Filas repetidas (vale la última):\t1\n"));
    EXPECT_TRUE(r.out.contains(
        "Recursos del proyecto sin precio en la lista:\t17\nSin precio en la lista\tmateriales\tAgua\tm3\n"))
        << r.out.toStdString();
    EXPECT_EQ(pricesOf("Materiales", "DescripcionMat", "PrecioUniMat", kCement), QStringList{"8.1"});
    EXPECT_EQ(pricesOf("Materiales", "DescripcionMat", "PrecioUniMat", "Arena fina"), QStringList{"15.2"});
    // The transport of the same resource keeps its own price.
    EXPECT_EQ(pricesOf("Transporte", "DescripcionTran", "PrecioTran", kCement), QStringList{"0.2"});
    EXPECT_EQ(lines({"lists", "Ejemplo", "materiales"})[6][2], "8.10");
}

TEST_F(Import, SemicolonWindows1252WithKindsAndAnXlsxOfEquipment) {
    const QString csv =
        writeFile("mo.csv", "Descripci\xf3n;Unidad;Categor\xed"
                            "a;Precio;Tipo\n"
                            "Alba\xf1il;;D2;4,05;Mano de obra\n"
                            "Pe\xf3n;;E2;3,70;mano de obra\n"
                            "Cemento Portland tipo I (saco 50 kg);saco;;1.234,50;Transporte\n");
    const CommandRun labour = run({"import-price-list", "Ejemplo", csv});
    ASSERT_EQ(labour.code, 0) << labour.err.toStdString();
    EXPECT_TRUE(labour.out.startsWith(
        "Actualizado\tmano\tAlbañil\tD2\t3.65\t4.05\n"
        "Actualizado\tmano\tPeón\tE2\t3.60\t3.70\n"
        "Actualizado\ttransporte\tCemento Portland tipo I (saco 50 kg)\tsaco\t0.20\t1,234.50\n"))
        << labour.out.toStdString();
    EXPECT_EQ(pricesOf("ManoObra", "DescripcionMan", "SalarioMan", "Peón"), QStringList{"3.7"});
    EXPECT_EQ(pricesOf("Transporte", "DescripcionTran", "PrecioTran", kCement), QStringList{"1234.5"});
    EXPECT_EQ(pricesOf("Materiales", "DescripcionMat", "PrecioUniMat", kCement), QStringList{"7.85"});

    exchange::Workbook book;
    exchange::WorkSheet prices;
    prices.name = "Alquiler";
    prices.addRow({SheetCell::textCell("Equipo"), {}, SheetCell::textCell("Tarifa")});
    prices.addRow({SheetCell::textCell("concretera de 1 saco"), {}, SheetCell::numberCell(5.5, {})});
    book.sheets.push_back(prices);
    const QString xlsx = root.root() + "/equipo.xlsx";
    ASSERT_TRUE(exchange::writeXlsx(book, xlsx).ok);
    const CommandRun refused = run({"import-price-list", "Ejemplo", xlsx, "--sheet", "Alquiler"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("Columnas encontradas: A «Equipo», C «Tarifa»"))
        << refused.err.toStdString();
    const CommandRun equipment = run(
        {"import-price-list", "Ejemplo", xlsx, "--kind", "equipo", "--columns", "descripcion=A,precio=C"});
    ASSERT_EQ(equipment.code, 0) << equipment.err.toStdString();
    EXPECT_TRUE(equipment.out.startsWith("Actualizado\tequipo\tConcretera de 1 saco\t\t5.00\t5.50\n"))
        << equipment.out.toStdString();
    EXPECT_EQ(pricesOf("Maquinaria", "DescripcionMaq", "CostoMaq", "Concretera de 1 saco"),
              QStringList{"5.5"});
}

TEST_F(Import, AnExportedListRepricedComesBack) {
    const QString path = root.root() + "/Ejemplo.xlsx";
    ASSERT_EQ(run({"export-xlsx", "Ejemplo", path, "--sheets", "mano"}).code, 0);
    // The exported sheet as it is: every resource found, nothing changed.
    const CommandRun same = run({"import-price-list", "Ejemplo", path, "--kind", "mano"});
    ASSERT_EQ(same.code, 0) << same.err.toStdString();
    EXPECT_TRUE(same.out.contains("Actualizado\tmano\tAlbañil\tD2\t3.65\t3.65\n")) << same.out.toStdString();
    EXPECT_TRUE(same.out.contains("Filas sin coincidencia:\t0\nFilas sin precio:\t1\n"))
        << same.out.toStdString();
    EXPECT_TRUE(same.out.contains("Líneas cambiadas:\t0\n"));

    // Re-priced: every wage up a tenth, as a contractor would in the spreadsheet.
    exchange::Table table = sheet(path, "Mano de obra");
    for (exchange::TableRow& row : table.rows) {
        if (row.cells.size() > 2 && row.cells[2].kind == exchange::TableCell::Kind::Number)
            row.cells[2].number += 0.1;
    }
    shell::PriceImportOptions options;
    options.kind = engine::TipoRecurso::ManoObra;
    const shell::PriceImportOutcome outcome = shell::importPriceList(folder, table, options);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.plan.updates.size(), 11u);
    EXPECT_GT(outcome.linesChanged, 12);
    EXPECT_EQ(pricesOf("ManoObra", "DescripcionMan", "SalarioMan", "Albañil"), QStringList{"3.75"});
}

TEST_F(Import, DryRunAndFailuresChangeNothing) {
    const QStringList before = storedPrices();
    const QString good = writeFile("buena.csv", "descripcion,unidad,precio\nAgua,m3,2\nArena fina,m3,20\n");
    const CommandRun dry = run({"import-price-list", "Ejemplo", good, "--dry-run"});
    ASSERT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.startsWith("Actualizado\tmateriales\tAgua\tm3\t1.20\t2.00\n"))
        << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains("Simulación: no se ha grabado ningún precio\n"));
    EXPECT_EQ(storedPrices(), before);

    {
        korvex::testing::FailureGuard guard;
        store::testing::failAfterWrites(3); // fails part-way through the lines of "Arena fina"
        const CommandRun failed = run({"import-price-list", "Ejemplo", good});
        EXPECT_EQ(failed.code, 1);
        EXPECT_TRUE(failed.err.contains("Los precios guardados no han cambiado")) << failed.err.toStdString();
    }
    EXPECT_EQ(storedPrices(), before);

    const auto refused = [&](const QString& file, const QStringList& extra = {}) {
        const CommandRun r = run(QStringList{"import-price-list", "Ejemplo", file} + extra);
        EXPECT_EQ(r.code, 1) << file.toStdString();
        return r.err.toStdString();
    };
    EXPECT_NE(refused(writeFile("mala.csv", "descripcion,precio\nAgua,2\nArena fina,veinte\n"))
                  .find("Fila 3: el precio «veinte»"),
              std::string::npos);
    EXPECT_NE(refused(writeFile("vacia.csv", "")).find("el archivo está vacío"), std::string::npos);
    EXPECT_NE(refused(writeFile("texto.xlsx", "descripcion,precio\n")).find("no es un libro .xlsx"),
              std::string::npos);
    EXPECT_NE(refused(root.root() + "/no-existe.csv").find("no existe"), std::string::npos);
    const QString path = root.root() + "/Ejemplo.xlsx";
    ASSERT_EQ(run({"export-xlsx", "Ejemplo", path, "--sheets", "materiales"}).code, 0);
    EXPECT_NE(refused(path, {"--sheet", "Precios"}).find("no hay una hoja «Precios»"), std::string::npos);
    EXPECT_EQ(storedPrices(), before);

    EXPECT_EQ(run({"import-price-list", "Ejemplo", good, "--kind", "madera"}).code, 2);
    EXPECT_EQ(run({"import-price-list", "Ejemplo", good, "--columns", "precio=4"}).code, 2);
    EXPECT_EQ(run({"import-price-list", "Ejemplo"}).code, 2);
}
