#include "reports/Composer.h"

#include "MemoryData.h"
#include "ProjectData.h"
#include "reports/Render.h"
#include "reports/Template.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using korvex::reports::composeReport;
using korvex::reports::FormulaValues;
using korvex::reports::Page;
using korvex::reports::parseTemplate;
using korvex::reports::ReportDocument;
using korvex::reports::TemplateError;
using korvex::reports::TextItem;
using korvex::testing::expectNothingOverflows;
using korvex::testing::makeData;
using korvex::testing::MemoryData;

namespace {

const char* const kItems = "SELECT * FROM Presupuesto ORDER BY Indice";

ReportDocument compose(const QByteArray& json, MemoryData& data, const FormulaValues& formulas = {}) {
    return composeReport(parseTemplate(json, "Reportes/Prueba.rpt"), data, formulas);
}

QByteArray budgetTemplate(const QByteArray& extraColumns = {}) {
    return R"~({"korvexReport": 1, "title": "PRESUPUESTO", "data": {"items": "SELECT * FROM Presupuesto ORDER BY Indice"},
      "body": [{"type": "table", "data": "items", "columns": [
        {"caption": "ÍTEM", "value": "ItemPres", "width": 8},
        {"caption": "DESCRIPCIÓN", "value": "DescripcionPres", "width": 80},
        {"caption": "PRECIO TOTAL", "id": "total", "value": "round(TotalPres * CantidadPres, 2)", "format": "###,##0.00", "width": 14, "sum": true})~" +
           extraColumns + R"~(
      ], "export": ["Subtotal = round(sum(round(TotalPres * CantidadPres, 2)), 2)"]},
      {"type": "summary", "rows": [
        {"label": "SUBTOTAL", "value": "Subtotal", "format": "###,##0.00"},
        {"label": "IVA 12 %", "value": "round(Subtotal * 0.12, 2)", "format": "###,##0.00", "name": "IVA"},
        {"label": "TOTAL", "value": "Subtotal + IVA", "format": "###,##0.00", "bold": true}]}]})~";
}

korvex::reports::DataSet items(int count, const QString& description = QStringLiteral("Rubro")) {
    std::vector<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({QStringLiteral("R%1").arg(i, 4, 10, QLatin1Char('0')),
                        QStringLiteral("%1 %2").arg(description).arg(i), 1.0, 10.0});
    return makeData({"ItemPres", "DescripcionPres", "CantidadPres", "TotalPres"}, rows);
}

const TextItem* findText(const Page& page, const QString& text) {
    for (const TextItem& item : page.texts) {
        if (item.text == text)
            return &item;
    }
    return nullptr;
}

// The page a text is printed on, -1 when it is on none (the last occurrence for repeated texts).
int pageOf(const ReportDocument& document, const QString& text) {
    int found = -1;
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        if (document.pages[p].contains(text))
            found = static_cast<int>(p);
    }
    return found;
}

} // namespace

TEST(Composer, LongTablesBreakAcrossPagesUnderRepeatedHeaders) {
    MemoryData data;
    data.add(kItems, items(150));
    const ReportDocument document = compose(budgetTemplate(), data);
    ASSERT_GE(document.pages.size(), 3u);
    const int pages = static_cast<int>(document.pages.size());

    QStringList printed;
    for (int p = 0; p < pages; ++p) {
        const Page& page = document.pages[static_cast<std::size_t>(p)];
        EXPECT_TRUE(page.contains("DESCRIPCIÓN")) << "column headers on page " << p + 1;
        EXPECT_TRUE(page.contains("PRESUPUESTO")) << "report title on page " << p + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("Página %1 de %2").arg(p + 1).arg(pages)));
        for (const QString& text : page.textList()) {
            if (text.startsWith("R0"))
                printed.append(text);
        }
    }
    // Every row once, in order, none lost at a page break.
    ASSERT_EQ(printed.size(), 150);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(printed[i], QStringLiteral("R%1").arg(i + 1, 4, 10, QLatin1Char('0')));

    // The totals close the report on its last page and stay together.
    const Page& last = document.pages.back();
    EXPECT_TRUE(last.contains("1,500.00"));
    EXPECT_TRUE(last.contains("SUBTOTAL"));
    EXPECT_TRUE(last.contains("180.00"));
    EXPECT_TRUE(last.contains("1,680.00"));
    expectNothingOverflows(document);
}

TEST(Composer, LongTextWrapsAndFiguresAlignRightWithoutOverflowing) {
    MemoryData data;
    const QString longText = QStringLiteral(
        "Hormigón simple f'c = 210 kg/cm2 en columnas, incluye encofrado, desencofrado, vibrado, curado y "
        "todos los materiales, equipos y mano de obra necesarios para su correcta ejecución según planos "
        "y especificaciones técnicas del proyecto; "
        "palabramuylargasinespaciosquenocabeenningunacolumnadeltodo");
    data.add(kItems, makeData({"ItemPres", "DescripcionPres", "CantidadPres", "TotalPres"},
                              {{"1.01", longText, 1.0, 98765432101234.56}, {"1.02", "Corto", 2.0, 5.25}}));
    const ReportDocument document = compose(budgetTemplate(), data);
    const Page& page = document.pages.front();

    // The description takes several lines of its cell, and every word of it is printed.
    const auto firstLine = std::find_if(page.texts.begin(), page.texts.end(), [](const TextItem& text) {
        return text.text.startsWith("Hormigón");
    });
    ASSERT_NE(firstLine, page.texts.end());
    int descriptionLines = 0;
    QString joined;
    for (const TextItem& text : page.texts) {
        if (text.cell == firstLine->cell) {
            ++descriptionLines;
            joined += text.text;
        }
    }
    EXPECT_GE(descriptionLines, 3);
    EXPECT_EQ(joined.remove(' '), QString(longText).remove(' '));

    // Money sits against the right edge of its cell; a figure too wide is set smaller.
    const TextItem* small = findText(page, "10.50");
    ASSERT_NE(small, nullptr);
    EXPECT_NEAR(small->baseline.x() + small->width, small->cell.right(), 1.0);
    const TextItem* huge = findText(page, "98,765,432,101,234.56");
    ASSERT_NE(huge, nullptr);
    EXPECT_LT(huge->font.pixelSize, small->font.pixelSize);
    expectNothingOverflows(document);
}

TEST(Composer, GroupsSubtotalsJoinsAndDerivedQueries) {
    MemoryData data;
    data.add(kItems, makeData({"ItemPres", "DescripcionPres", "CantidadPres", "TotalPres", "GruposPres"},
                              {{"1", "Excavación", 2.0, 10.0, "TIERRAS"},
                               {"2", "Hormigón", 1.0, 100.0, "ESTRUCTURA"},
                               {"3", "Relleno", 3.0, 5.0, "TIERRAS"},
                               {"4", "Limpieza", 1.0, 1.0, QVariant()}}));
    data.add("SELECT * FROM Grupos",
             makeData({"Grupo", "DescripcionGru", "OrdenGru"}, {{"ESTRUCTURA", "Estructura de hormigón", 2},
                                                                {"tierras", "Movimiento de tierras", 1}}));
    const QByteArray json = R"~({"korvexReport": 1, "data": {
        "items": "SELECT * FROM Presupuesto ORDER BY Indice", "grupos": "SELECT * FROM Grupos",
        "porGrupo": {"from": "items", "groupBy": ["GruposPres"], "fields": ["Total = sum(CantidadPres * TotalPres)", "Rubros = count()"], "sort": ["-Total"]}},
      "body": [
        {"type": "table", "data": "items", "join": [{"data": "grupos", "as": "G", "on": {"Grupo": "GruposPres"}}],
         "sort": ["G.OrdenGru", "ItemPres"],
         "group": {"by": "GruposPres", "header": "{nz(G.DescripcionGru, 'Sin grupo')}", "footer": "Subtotal {GruposPres}"},
         "columns": [{"caption": "ÍTEM", "value": "ItemPres"}, {"caption": "DESCRIPCIÓN", "value": "DescripcionPres", "width": 40},
                     {"caption": "TOTAL", "id": "t", "value": "CantidadPres * TotalPres", "format": "0.00", "sum": true}],
         "totalLabel": "TOTAL GENERAL"},
        {"type": "table", "data": "porGrupo", "columns": [{"caption": "GRUPO", "value": "GruposPres"},
            {"caption": "TOTAL", "value": "Total", "format": "0.00"}, {"caption": "RUBROS", "value": "Rubros"}]}
      ]})~";
    const ReportDocument document = compose(json, data);
    ASSERT_EQ(document.pages.size(), 1u);
    const QStringList texts = document.pages.front().textList();
    const auto at = [&](const QString& text) { return texts.indexOf(text); };
    // Groups in their order, each item under its group (letter case of the name does not count).
    ASSERT_GE(at("Movimiento de tierras"), 0);
    EXPECT_LT(at("Movimiento de tierras"), at("Excavación"));
    EXPECT_LT(at("Excavación"), at("Relleno"));
    EXPECT_LT(at("Relleno"), at("Subtotal TIERRAS"));
    EXPECT_LT(at("Subtotal TIERRAS"), at("Estructura de hormigón"));
    EXPECT_LT(at("Estructura de hormigón"), at("Hormigón"));
    EXPECT_LT(at("Hormigón"), at("Sin grupo")); // an item without a group comes last, not lost
    EXPECT_TRUE(texts.contains("35.00"));       // subtotal of the earth works
    EXPECT_TRUE(texts.contains("TOTAL GENERAL"));
    EXPECT_TRUE(texts.contains("136.00"));
    // The derived query: one row per group, largest first.
    const int derived = texts.lastIndexOf("GRUPO");
    ASSERT_GT(derived, 0);
    EXPECT_EQ(texts.mid(derived).indexOf("ESTRUCTURA"), texts.mid(derived).indexOf("100.00") - 1);
    EXPECT_LT(texts.mid(derived).indexOf("100.00"), texts.mid(derived).indexOf("35.00"));
}

TEST(Composer, RecordsStartPagesAndKeepTheirSectionsTogether) {
    MemoryData data;
    data.add(kItems, items(3));
    std::vector<QVariantList> lines;
    for (int i = 1; i <= 3; ++i) {
        for (int k = 0; k < 4; ++k)
            lines.push_back({QStringLiteral("R%1").arg(i, 4, 10, QLatin1Char('0')),
                             QStringLiteral("Línea %1.%2").arg(i).arg(k), k % 2 == 0 ? 4 : 2, 1.5});
    }
    data.add("SELECT * FROM InfoAnalisis", makeData({"ItemPres", "Descripcion", "Tipo", "Precio"}, lines));
    const auto json = [](const char* pageBreak) {
        return QByteArray(
                   R"({"korvexReport": 1, "data": {"items": "SELECT * FROM Presupuesto ORDER BY Indice", "info": "SELECT * FROM InfoAnalisis"},
          "body": [{"type": "records", "data": "items", "pageBreak": ")") +
               pageBreak + R"~(", "keepTogether": true, "body": [
            {"type": "fields", "items": [{"label": "RUBRO:", "value": "DescripcionPres"}]},
            {"type": "table", "data": "info", "link": {"ItemPres": "ItemPres"}, "where": "Tipo = 4", "title": "MATERIALES",
             "columns": [{"caption": "DESCRIPCIÓN", "value": "Descripcion"}, {"caption": "PRECIO", "value": "Precio", "format": "0.00"}],
             "export": ["M = sum(Precio)"]},
            {"type": "summary", "rows": [{"label": "COSTO DIRECTO", "value": "M * 2", "format": "0.00"}]}]}]})~";
    };
    const ReportDocument each = compose(json("each"), data);
    ASSERT_EQ(each.pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Page& page = each.pages[static_cast<std::size_t>(i)];
        EXPECT_TRUE(page.contains(QStringLiteral("Rubro %1").arg(i + 1)));
        EXPECT_TRUE(page.contains(QStringLiteral("Línea %1.0").arg(i + 1)));
        EXPECT_FALSE(page.contains(QStringLiteral("Línea %1.1").arg(i + 1))); // the where filter
        EXPECT_TRUE(page.contains("6.00"));                                   // exported to the summary
    }
    const ReportDocument compact = compose(json("none"), data);
    EXPECT_EQ(compact.pages.size(), 1u);
    EXPECT_EQ(data.queries(), 6); // each query once per report, however many records use it
}

TEST(Composer, FormulaValuesApplyToTheirRunOnly) {
    MemoryData data;
    const QByteArray json =
        R"({"korvexReport": 1, "formulas": ["TotalMecanico = 0", "TotalManoObra = TotalMecanico"],
        "body": [{"type": "text", "text": "L={format(TotalManoObra, '0.00')} M={format(TotalMecanico, '0.00')}"}]})";
    const auto shown = [&](const FormulaValues& formulas) {
        const ReportDocument document = compose(json, data, formulas);
        for (const QString& text : document.pages.front().textList()) {
            if (text.startsWith("L="))
                return text;
        }
        return QString();
    };
    EXPECT_EQ(shown({{"TotalManoObra", "105.5"}, {"TotalMecanico", "5.5"}}), "L=105.50 M=5.50");
    EXPECT_EQ(shown({}), "L=0.00 M=0.00");
    EXPECT_EQ(shown({{"TotalMecanico", "5.5"}}), "L=5.50 M=5.50");
    try {
        compose(json, data, {{"TotalGeneral", "1"}});
        FAIL() << "an unknown formula must be refused";
    } catch (const TemplateError& error) {
        EXPECT_TRUE(error.message().contains("no tiene la fórmula «TotalGeneral»"));
    }
}

TEST(Composer, FaultsFoundWhilePrintingNameTheTemplateAndThePlace) {
    MemoryData data;
    data.add(kItems, items(2));
    try {
        compose(budgetTemplate(R"(, {"caption": "X", "value": "PrecioMal * 2"})"), data);
        FAIL() << "an unknown field must be refused";
    } catch (const TemplateError& error) {
        const QString message = error.message();
        EXPECT_TRUE(message.startsWith("Error en la plantilla «Reportes/Prueba.rpt»"))
            << message.toStdString();
        EXPECT_TRUE(message.contains("body[0].columns[3].value")) << message.toStdString();
        EXPECT_TRUE(message.contains("«PrecioMal»")) << message.toStdString();
    }
}

TEST(Composer, PdfAndImagesOfThePages) {
    MemoryData data;
    data.add(kItems, items(60));
    const ReportDocument document = compose(budgetTemplate(), data);
    QTemporaryDir dir;
    const QString path = dir.filePath("presupuesto.pdf");
    EXPECT_EQ(korvex::reports::writePdf(document, path), QString());
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    const auto pageObjects = QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]"));
    EXPECT_EQ(pageObjects, static_cast<int>(document.pages.size()));
    EXPECT_FALSE(korvex::reports::writePdf(document, dir.filePath("no/existe/x.pdf")).isEmpty());

    const QImage image = korvex::reports::renderPage(document, 0, 600);
    EXPECT_EQ(image.width(), 600);
    EXPECT_NEAR(image.height(), 600 * 297.0 / 210.0, 2);
    // Something dark was painted: the page is not blank.
    int dark = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    EXPECT_GT(dark, 100);
}

// Whatever the number of rows, the closing of a table (TOTAL, extra totals, the summary, the
// amount in words and the signatures) is printed on the page of the table's last row: as the rows
// grow, every place of the page break meets the closing at some count.
TEST(Composer, TheClosingOfATableNeverOpensAPageAlone) {
    const QByteArray json =
        R"~({"korvexReport": 1, "title": "PRESUPUESTO", "data": {"items": "SELECT * FROM Presupuesto ORDER BY Indice"},
      "body": [{"type": "table", "data": "items", "columns": [
        {"caption": "ÍTEM", "value": "ItemPres", "width": 8},
        {"caption": "DESCRIPCIÓN", "value": "DescripcionPres", "width": 80},
        {"caption": "PRECIO TOTAL", "id": "t", "value": "TotalPres * CantidadPres", "format": "0.00", "width": 14, "sum": true}],
        "totals": [{"label": "PROMEDIO", "values": {"t": "avg(TotalPres * CantidadPres)"}}],
        "export": ["Subtotal = sum(TotalPres * CantidadPres)"]},
       {"type": "summary", "keepWithPrevious": true, "rows": [{"label": "SUBTOTAL", "value": "Subtotal", "format": "0.00"},
                                                              {"label": "IVA", "value": "0", "format": "0.00"}]},
       {"type": "text", "keepWithPrevious": true, "text": "SON: {upper(inwords(Subtotal))}"},
       {"type": "signatures", "items": [{"label": "ELABORADO POR", "value": "'Ing. Pérez'"}]}]})~";
    int pagesSeen = 1;
    for (int count = 40; count <= 75; ++count) {
        SCOPED_TRACE(count);
        MemoryData data;
        data.add(kItems, items(count));
        const ReportDocument document = compose(json, data);
        pagesSeen = std::max(pagesSeen, static_cast<int>(document.pages.size()));
        const int lastRow = pageOf(document, QStringLiteral("R%1").arg(count, 4, 10, QLatin1Char('0')));
        ASSERT_GE(lastRow, 0);
        EXPECT_EQ(pageOf(document, "TOTAL"), lastRow);
        EXPECT_EQ(pageOf(document, "PROMEDIO"), lastRow);
        EXPECT_EQ(pageOf(document, "SUBTOTAL"), lastRow);
        EXPECT_EQ(pageOf(document, QStringLiteral("ELABORADO POR")), lastRow);
        int son = -1;
        for (std::size_t p = 0; p < document.pages.size(); ++p) {
            for (const QString& text : document.pages[p].textList())
                son = text.startsWith("SON:") ? static_cast<int>(p) : son;
        }
        EXPECT_EQ(son, lastRow);
        EXPECT_EQ(lastRow, static_cast<int>(document.pages.size()) - 1); // no page left empty after it
    }
    EXPECT_GE(pagesSeen, 2); // the counts did cross a page break
}

// An analysis longer than a page repeats its item header (and says it continues) on every page
// it runs over, and only there; a group of a table does the same with its heading.
TEST(Composer, RecordsAndGroupsRepeatTheirHeaderOnThePagesTheyRunOver) {
    MemoryData data;
    data.add(kItems, items(2));
    std::vector<QVariantList> lines;
    for (int k = 0; k < 130; ++k)
        lines.push_back({"R0001", QStringLiteral("Línea %1").arg(k), 4, 1.5});
    lines.push_back({"R0002", "Única línea", 4, 2.0});
    data.add("SELECT * FROM InfoAnalisis", makeData({"ItemPres", "Descripcion", "Tipo", "Precio"}, lines));
    const QByteArray json =
        R"~({"korvexReport": 1, "data": {"items": "SELECT * FROM Presupuesto ORDER BY Indice", "info": "SELECT * FROM InfoAnalisis"},
          "body": [{"type": "records", "data": "items", "pageBreak": "each", "repeatHeader": true,
                    "continuation": "Continúa el rubro {ItemPres}", "body": [
            {"type": "let", "values": ["Unidad = 'm2'"]},
            {"type": "fields", "items": [{"label": "RUBRO:", "value": "DescripcionPres"}, {"label": "UNIDAD:", "value": "Unidad"}]},
            {"type": "table", "data": "info", "link": {"ItemPres": "ItemPres"}, "title": "MATERIALES",
             "columns": [{"caption": "DESCRIPCIÓN", "value": "Descripcion"}, {"caption": "PRECIO", "id": "p", "value": "Precio", "format": "0.00", "sum": true}]}]},
           {"type": "table", "data": "info", "group": {"by": "ItemPres", "header": "Rubro {ItemPres}", "repeatHeader": true},
            "columns": [{"caption": "DESCRIPCIÓN", "value": "Descripcion"}]}]})~";
    const ReportDocument document = compose(json, data);
    const int second = pageOf(document, "Rubro 2");
    ASSERT_GE(second, 2) << "the first analysis takes more than one page";
    for (int p = 0; p < second; ++p) {
        const Page& page = document.pages[static_cast<std::size_t>(p)];
        EXPECT_EQ(page.textList().count("Rubro 1"), 1) << "page " << p + 1;
        EXPECT_TRUE(page.contains("m2")) << "page " << p + 1;
        EXPECT_EQ(page.contains("Continúa el rubro R0001"), p > 0) << "page " << p + 1;
        EXPECT_EQ(page.contains("MATERIALES (continuación)"), p > 0) << "page " << p + 1;
    }
    const Page& secondPage = document.pages[static_cast<std::size_t>(second)];
    EXPECT_FALSE(secondPage.contains("Rubro 1"));
    EXPECT_FALSE(secondPage.contains("Continúa el rubro R0002")); // it starts here, it does not continue

    // The grouped table after the analyses: the group of 130 lines runs over a page.
    const int groupStart = pageOf(document, "Rubro R0001");
    const int groupEnd = pageOf(document, "Línea 129");
    ASSERT_GT(groupEnd, groupStart);
    for (int p = groupStart + 1; p <= groupEnd; ++p)
        EXPECT_TRUE(document.pages[static_cast<std::size_t>(p)].contains("Rubro R0001 (continuación)"));
    EXPECT_FALSE(document.pages.back().contains("Rubro R0002 (continuación)"));
}
