// CSV files as spreadsheet programs save them, and price lists read from a table.
#include "exchange/CsvReader.h"
#include "exchange/PriceListReading.h"

#include <gtest/gtest.h>

using namespace korvex::exchange;

namespace {

Table csv(const QByteArray& bytes) {
    const ReadOutcome read = readCsv(bytes, "lista.csv");
    EXPECT_TRUE(read.ok) << read.message.toStdString();
    return read.table;
}

QStringList texts(const TableRow& row) {
    QStringList cells;
    for (const TableCell& cell : row.cells)
        cells.append(cell.asText());
    return cells;
}

} // namespace

TEST(Csv, QuotedFieldsSeparatorsAndEncodings) {
    const Table comma =
        csv("Descripción,Unidad,Precio\r\n\"Tubo 1/2\"\", PVC\",m,\"1,25\"\r\n\r\n\"Dos\nlíneas\",u,3\n");
    EXPECT_FALSE(comma.commaDecimals);
    ASSERT_EQ(comma.rows.size(), 3u);
    EXPECT_EQ(texts(comma.rows[1]), (QStringList{"Tubo 1/2\", PVC", "m", "1,25"}));
    EXPECT_EQ(comma.rows[2].number, 4); // the blank line keeps its number
    EXPECT_EQ(comma.rows[2].cell(0).text, "Dos\nlíneas");

    // Windows-1252 with semicolons, as a Spanish spreadsheet program saves "CSV".
    const Table semicolon = csv("Descripci\xf3n;Precio\nA\xf1o \x80;1.234,5\n");
    EXPECT_TRUE(semicolon.commaDecimals);
    EXPECT_EQ(texts(semicolon.rows[0]), (QStringList{"Descripción", "Precio"}));
    EXPECT_EQ(texts(semicolon.rows[1]), (QStringList{"Año €", "1.234,5"}));

    EXPECT_EQ(texts(csv("\xEF\xBB\xBFuno\tdos\n").rows[0]), (QStringList{"uno", "dos"}));

    const ReadOutcome open = readCsv("a,b\nc,\"sin cerrar\nd,e\n", "lista.csv");
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.message, "No se puede leer lista.csv: fila 2: unas comillas abiertas no se cierran");
    EXPECT_EQ(readCsv("  \n", "vacia.csv").message, "No se puede leer vacia.csv: el archivo está vacío");
    ReadLimits narrow;
    narrow.maxColumns = 3;
    EXPECT_EQ(readCsv("a,b,c,d\n", "ancha.csv", narrow).message,
              "No se puede leer ancha.csv: fila 1: pasa del límite de 3 columnas");
}

TEST(PriceList, TitlesFoundBelowTheHeaderSectionsSkippedAndKindsRead) {
    const Table table = csv("Lista de precios 2026,,,,\n"
                            "Proveedor: Ferretería,,,,\n"
                            "Código,DESCRIPCIÓN,Unidad,Categoría,Precio Unit.,PRECIO TOTAL,Tipo\n"
                            "A,OBRA GRIS,,,,,\n"
                            "1,Cemento,saco,,7.90,,material\n"
                            "2,Albañil,,D2,\"4,05\",,Mano de obra\n"
                            "3,Volqueta,h,,25,,Equipo\n"
                            "4,Arena,m3,,\"1,234.50\",,\n");
    const PriceListReading r = readPriceList(table, {TipoRecurso::Transporte, std::nullopt});
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.titleRow, 3);
    EXPECT_EQ(r.columns, (PriceColumns{1, 2, 3, 4, 6}));
    EXPECT_EQ(r.withoutPrice, std::vector<int>{4});
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_EQ(r.entries[0].kind, TipoRecurso::Material);
    EXPECT_EQ(r.entries[0].second, "saco");
    EXPECT_EQ(r.entries[1].kind, TipoRecurso::ManoObra);
    EXPECT_EQ(r.entries[1].second, "D2"); // the category, not the unit
    EXPECT_DOUBLE_EQ(r.entries[1].price, 4.05);
    EXPECT_EQ(r.entries[2].kind, TipoRecurso::Equipo);
    EXPECT_EQ(r.entries[2].second, "");                    // equipment is known by its description alone
    EXPECT_EQ(r.entries[3].kind, TipoRecurso::Transporte); // no kind of its own: the option's
    EXPECT_DOUBLE_EQ(r.entries[3].price, 1234.5);
}

TEST(PriceList, DecimalCommaOfSemicolonFilesAndNumbersAsTyped) {
    const Table semicolon =
        csv("descripcion;unidad;precio\nCemento;saco;1.234,56\nArena;m3;1.234\nAgua;m3;12,5\n");
    const PriceListReading r = readPriceList(semicolon, {});
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_DOUBLE_EQ(r.entries[0].price, 1234.56);
    EXPECT_DOUBLE_EQ(r.entries[1].price, 1234); // "." groups thousands here
    EXPECT_DOUBLE_EQ(r.entries[2].price, 12.5);

    // Elsewhere a lone separator is the decimal point, as the program reads a typed number.
    TableCell text;
    text.kind = TableCell::Kind::Text;
    text.text = "1.234";
    EXPECT_DOUBLE_EQ(*priceFromCell(text, false), 1.234);
    text.text = "$ 1,234.50";
    EXPECT_DOUBLE_EQ(*priceFromCell(text, false), 1234.5);
}

TEST(PriceList, RefusalsNameTheRowOrTheColumnsFound) {
    const PriceListReading bad =
        readPriceList(csv("descripcion,unidad,precio\nCemento,saco,7.90\nArena,m3,abc\n"), {});
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, "Fila 3: el precio «abc» de «Arena» no es un número");
    EXPECT_TRUE(bad.entries.empty());

    const PriceListReading negative = readPriceList(csv("descripcion,precio\nCemento,-2\n"), {});
    EXPECT_EQ(negative.message, "Fila 2: el precio «-2» de «Cemento» no es un número positivo");

    const PriceListReading kind = readPriceList(csv("descripcion,precio,tipo\nCemento,2,madera\n"), {});
    EXPECT_TRUE(kind.message.startsWith("Fila 2: tipo desconocido «madera»")) << kind.message.toStdString();

    const Table untitled = csv("Código,Nombre del recurso,Medida,Valor neto\n1,Cemento,saco,7.9\n");
    const PriceListReading none = readPriceList(untitled, {});
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.message.endsWith("Columnas encontradas: A «Código», B «Nombre del recurso», C «Medida», "
                                      "D «Valor neto»"))
        << none.message.toStdString();

    QString error;
    const auto chosen = parseColumnChoice("descripción=B, unidad=c,precio=D", error);
    ASSERT_TRUE(chosen) << error.toStdString();
    const PriceListReading withColumns = readPriceList(untitled, {std::nullopt, chosen});
    ASSERT_TRUE(withColumns.ok) << withColumns.message.toStdString();
    EXPECT_EQ(withColumns.titleRow, 1); // its price "Valor neto" is a word: a title row
    ASSERT_EQ(withColumns.entries.size(), 1u);
    EXPECT_EQ(withColumns.entries[0].second, "saco");

    EXPECT_FALSE(parseColumnChoice("descripcion=B,precio=9", error));
    EXPECT_TRUE(error.startsWith("Columna no válida: «precio=9»")) << error.toStdString();
    EXPECT_FALSE(parseColumnChoice("unidad=C", error));
}
