// Loading and pricing an analysis as the editor does on opening and F5, against a real project.
#include "analysis/AnalysisPricing.h"

#include "AnalysisFixture.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisSaving.h"
#include "analysis/AnalysisText.h"
#include "engine/Engine.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using namespace korvex::analysis;

namespace {

AnalysisTotals priceSheet(AnalysisProject& p, AnalysisSheet& sheet, const ProjectHeader& header) {
    return computeAnalysis(sheet, lookupProjectPrices(p.db, sheet), header);
}

// Cells from..to of a line, joined with "|".
QString cells(const LineTable& lines, int row, int from, int to) {
    QStringList out;
    for (int col = from; col <= to; ++col)
        out.append(lines.cell(row, col));
    return out.join('|');
}

} // namespace

TEST(AnalysisPricing, WorkedExampleGivesTheEditorsUnitPriceAndItsText) {
    AnalysisProject p;
    p.setHeader(20, 5, true, "Casa Comunal");
    p.addItem("A1", "1", "Hormigón simple", "m3");
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addTransport("A1", "1", "Cemento", "kg", 2, 0.05);
    p.addLabour("A1", "1", "Peón", "E2", 8, 0.5, 3);
    const auto priced = priceItem(p.db, "A1", "1");
    ASSERT_TRUE(priced);
    EXPECT_TRUE(priced->totals.withTools);
    EXPECT_DOUBLE_EQ(priced->totals.unitPrice, 40.88);
    const QStringList lines =
        analysisText(priced->item, priced->header, priced->sheet, priced->totals).split('\n');
    EXPECT_EQ(lines[0], "Proyecto  :\tCasa Comunal");
    for (const char* line :
         {"A. MATERIALES\tUNIDAD\tCANTIDAD\tPRECIO UNIT.\tSUBTOTAL", "Cemento\tkg\t2.000\t10.00\t20.00",
          "Subtotal Materiales\t20.00", "Peón\tE2\t8.00\t3.00\t24.00\t0.500\t12.00", "Subtotal Equipo\t0.00",
          "Cemento\tkg\t2.000\t0.05\t0.10", "E. Herramientas Manuales (5% Mano de Obra)\t0.60",
          "COSTOS DIRECTOS  (A+B+C+D+E)\t32.70", "COSTOS INDIRECTOS    20 %\t6.54", "OTROS INDIRECTOS\t1.635",
          "PRECIO UNITARIO\t40.88"})
        EXPECT_TRUE(lines.contains(line)) << line;
    EXPECT_FALSE(priceItem(p.db, "A1", "2"));
}

TEST(AnalysisPricing, LoadingSortsByDescriptionAndLeavesPricesBlankWithStoredPricesInTheCopy) {
    AnalysisProject p;
    p.addItem("A1", "1", "Mampostería");
    p.addMaterial("A1", "1", "Ripio", "m3", 0.95, 18.5);
    p.addMaterial("A1", "1", "Arena", "m3", 0.65, 13.475);
    p.addEquipment("A1", "1", "Herramienta menor", 1, 0.8, 0.5);

    AnalysisSheet sheet;
    loadAnalysisLines(p.db, "A1", "1", sheet);
    const LineTable& materials = sheet.lines(Kind::Material);
    EXPECT_EQ(materials.description(1) + "|" + materials.description(2), "Arena|Ripio");
    EXPECT_EQ(cells(materials, 1, 2, 4), "0.650||");
    EXPECT_EQ(sheet.loaded(Kind::Material).cell(1, 3), "13.48"); // kept at the precision shown
    EXPECT_EQ(cells(sheet.lines(Kind::Equipment), 1, 1, 4), "1.00|||0.800");
    EXPECT_EQ(sheet.loaded(Kind::Equipment).cell(1, 2), "0.50");
    EXPECT_FALSE(sheet.isModified());
}

TEST(AnalysisPricing, LinesTakeTheFirstProjectPriceOfTheirResourceWhateverTheirOwn) {
    AnalysisProject p;
    p.addItem("A1", "1", "Contrapiso");
    p.addItem("B2", "1", "Enlucido");
    p.addMaterial("B2", "1", "Cemento", "kg", 1, 0.18);  // stored first: the project price
    p.addMaterial("A1", "1", "Cemento", "kg", 50, 0.15); // the item's own line, priced otherwise
    p.addMaterial("B2", "1", "Cemento", "saco", 1, 7.9);
    p.addEquipment("B2", "1", "Concretera 1 saco", 1, 1, 4.25);
    p.addMaterial("A1", "1", "Aditivo nuevo", "l", 2, 0); // nowhere else: priced at its own 0

    AnalysisSheet sheet;
    loadAnalysisLines(p.db, "A1", "1", sheet);
    // Typed in other letter case, and equipment by its description alone.
    sheet.assign(Kind::Material, {3, 0}, "CEMENTO");
    sheet.assign(Kind::Material, {3, 1}, "Saco");
    sheet.assign(Kind::Material, {3, 2}, "");
    sheet.lines(Kind::Material).setCell(3, 2, ""); // an empty quantity on a priced line
    sheet.assign(Kind::Equipment, {1, 0}, "concretera 1 SACO");
    sheet.assign(Kind::Equipment, {1, 1}, "2");
    sheet.assign(Kind::Material, {4, 0}, "Piedra bola"); // no line anywhere: stays unpriced
    sheet.assign(Kind::Material, {4, 2}, "3");

    const AnalysisTotals t = priceSheet(p, sheet, ProjectHeader{});
    const LineTable& m = sheet.lines(Kind::Material);
    EXPECT_EQ(m.description(2) + "|" + cells(m, 2, 3, 4), "Cemento|0.18|9.00");
    EXPECT_EQ(m.cell(1, 3), "0.00");
    EXPECT_EQ(cells(m, 3, 2, 4), "0.00|7.90|0.00");
    EXPECT_EQ(cells(m, 4, 3, 4), "|");
    EXPECT_EQ(cells(sheet.lines(Kind::Equipment), 1, 2, 4), "4.25|8.50|0.00"); // empty yield of a priced line
    EXPECT_DOUBLE_EQ(t.subtotal(Kind::Material), 9.00);
    EXPECT_DOUBLE_EQ(t.subtotal(Kind::Equipment), 0);
    // Without a project header: no allowance, no indirect costs.
    EXPECT_FALSE(t.withTools);
    EXPECT_DOUBLE_EQ(t.indirect, 0);
    EXPECT_DOUBLE_EQ(t.unitPrice, 9.00);
    EXPECT_EQ(t.pricedLines, 4);
}

TEST(AnalysisPricing, EditorShowsTheUnitPriceTheBudgetStores) {
    AnalysisProject p;
    p.setHeader(15, 2.5, true);
    p.addItem("E1", "1", "Excavación");
    // 1 x 2.675 x 3 = 8.025: the line is rounded once, as the budget rounds it (8.03); the
    // quantity x rate column still shows 2.68.
    p.addEquipment("E1", "1", "Retroexcavadora", 1, 3, 2.675);
    p.addMaterial("E1", "1", "Agua", "m3", 1, 1.97);
    p.addLabour("E1", "1", "Peón", "E2", 1, 1, 0.70); // allowance 0.035 -> 0.04 (whole cents)
    const auto priced = priceItem(p.db, "E1", "1");
    ASSERT_TRUE(priced);
    EXPECT_EQ(cells(priced->sheet.lines(Kind::Equipment), 1, 3, 5), "2.68|3.000|8.03");
    EXPECT_DOUBLE_EQ(priced->totals.tools, 0.04);
    EXPECT_DOUBLE_EQ(priced->totals.direct, 10.74);
    EXPECT_DOUBLE_EQ(priced->totals.indirect, 1.611); // three decimals, as the budget keeps them
    EXPECT_EQ(repricedStatus(priced->totals), "");

    // Items built to land on the roundings' edges: the editor's unit price is TotalPres.
    // Quantities, hours and yields at the precision the editor shows (and saving stores) them.
    const double quantities[] = {0.125, 2.675, 1.005, 0.333, 3.235, 0.045};
    const double hours[] = {0.25, 2.5, 1.25, 0.75, 3.5, 0.45};
    const double yields[] = {0.125, 0.5, 0.375, 1.125, 0.625, 2.25};
    const double prices[] = {13.475, 0.7, 8.7, 2.1, 0.3, 1.015};
    for (int i = 0; i < 6; ++i) {
        const QString code = QString("T%1").arg(i);
        p.addItem(code, "1", "Rubro " + code);
        p.addMaterial(code, "1", "Material " + code, "u", quantities[i], prices[i]);
        p.addEquipment(code, "1", "Equipo " + code, hours[i], yields[(i + 1) % 6], prices[(i + 2) % 6]);
        p.addLabour(code, "1", "Obrero " + code, "E2", hours[(i + 3) % 6], yields[i], prices[i]);
        p.addTransport(code, "1", "Material " + code, "u", quantities[i], prices[(i + 4) % 6]);
    }
    ASSERT_TRUE(engine::RecalcularPresupuesto(p.folder).ok);
    auto stored = p.db.openRecordSet("SELECT CodigoPres, ItemPres, TotalPres FROM Presupuesto");
    int compared = 0;
    for (stored.moveFirst(); !stored.eof(); stored.moveNext(), ++compared) {
        const auto item = priceItem(p.db, stored.text("CodigoPres"), stored.text("ItemPres"));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->totals.unitPrice, stored.number("TotalPres"))
            << stored.text("CodigoPres").toStdString();
    }
    EXPECT_EQ(compared, 7);
}

TEST(AnalysisPricing, ALineStoredAtAnotherPriceIsMarkedAndSavedAtTheProjectPrice) {
    AnalysisProject p;
    p.setHeader(20, 0, false);
    p.addItem("A1", "1", "Contrapiso");
    p.addItem("B2", "1", "Enlucido");
    p.addMaterial("A1", "1", "Cemento", "kg", 10, 0.18); // the project price
    p.addMaterial("B2", "1", "Arena", "m3", 1, 13.5);
    p.addMaterial("B2", "1", "Cemento", "KG", 20, 0.20); // the same resource at another price

    auto priced = priceItem(p.db, "B2", "1");
    ASSERT_TRUE(priced);
    EXPECT_EQ(priced->sheet.lines(Kind::Material).cell(2, 3), "0.18");
    EXPECT_EQ(priced->totals.repriced[kindIndex(Kind::Material)], QList<int>{2});
    EXPECT_TRUE(priced->totals.repriced[kindIndex(Kind::Transport)].isEmpty());
    EXPECT_EQ(repricedStatus(priced->totals),
              "1 línea(s) a precio del proyecto distinto del grabado (marcadas): se grabarán a ese precio");
    EXPECT_DOUBLE_EQ(priced->totals.unitPrice, 20.52); // (13.50 + 3.60) x 1.2

    ASSERT_TRUE(saveAnalysis(p.db, "B2", "1", priced->sheet).ok);
    ASSERT_TRUE(engine::RecalcularPresupuesto(p.folder).ok);
    EXPECT_EQ(
        p.db.openRecordSet("SELECT TotalPres FROM Presupuesto WHERE CodigoPres = 'B2'").number("TotalPres"),
        priced->totals.unitPrice)
        << "the price shown is the price stored";
    EXPECT_TRUE(priceItem(p.db, "B2", "1")->totals.repriced[0].isEmpty());
}

TEST(AnalysisPricing, QuotesAndLinesBeyondTheDesignRowsArePricedLikeAnyOther) {
    AnalysisProject p;
    p.addItem("H'1", "1", "Hormigón f'c = 210 kg/cm2");
    p.addMaterial("Z", "9", "Hormigón f'c = 210 kg/cm2", "m3", 1, 95.5);
    AnalysisSheet sheet;
    for (int row = 1; row <= 59; ++row)
        sheet.assign(Kind::Material, {row, 0}, QString("Material sin precio %1").arg(row));
    sheet.assign(Kind::Material, {60, 0}, "Hormigón f'c = 210 kg/cm2");
    sheet.assign(Kind::Material, {60, 1}, "m3");
    sheet.assign(Kind::Material, {60, 2}, "2");
    const AnalysisTotals t = priceSheet(p, sheet, ProjectHeader{});
    EXPECT_EQ(sheet.lines(Kind::Material).cell(60, 4), "191.00");
    EXPECT_DOUBLE_EQ(t.subtotal(Kind::Material), 191.0);
}
