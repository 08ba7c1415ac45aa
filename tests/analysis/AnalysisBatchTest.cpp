// Pricing many items at once gives, item by item, what the editor's F5 gives for each.
#include "analysis/AnalysisBatch.h"

#include "AnalysisFixture.h"
#include "engine/Demo.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

QStringList onePerItem(store::Database& db, const QList<std::pair<QString, QString>>& items) {
    QStringList texts;
    for (const auto& [code, item] : items) {
        if (const auto priced = analysis::priceItem(db, code, item))
            texts.append(analysis::analysisText(priced->item, priced->header, priced->sheet, priced->totals));
    }
    return texts;
}

QStringList allAtOnce(store::Database& db, const QList<std::pair<QString, QString>>& items) {
    QStringList texts;
    analysis::priceItems(db, items, [&](const analysis::PricedAnalysis& a) {
        texts.append(analysis::analysisText(a.item, a.header, a.sheet, a.totals));
    });
    return texts;
}

} // namespace

TEST(AnalysisBatch, EveryItemAsTheEditorPricesIt) {
    korvex::testing::TempRoot root;
    const engine::ResultadoDemo demo = engine::CrearProyectoEjemplo(root.root());
    ASSERT_TRUE(demo.ok);
    store::Database db = root.open(demo.folder);
    QList<std::pair<QString, QString>> items;
    for (store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice"); !rs.eof();
         rs.moveNext())
        items.append({rs.text("CodigoPres"), rs.text("ItemPres")});
    ASSERT_GT(items.size(), 10);
    EXPECT_EQ(allAtOnce(db, items), onePerItem(db, items));

    // A resource on two lines of one item, codes typed in another letter case, a missing item,
    // a resource priced on another item first.
    korvex::testing::AnalysisProject p;
    p.setHeader(20, 5, true);
    p.addItem("C1", "1", "Hormigón");
    p.addItem("C2", "1", "Enlucido");
    p.addMaterial("C2", "1", "Cemento", "kg", 1, 9.5);
    p.addMaterial("C1", "1", "Cemento", "KG", 2.5, 13.47);
    p.addMaterial("C1", "1", "Arena", "m3", 0.3, 14);
    p.addMaterial("C1", "1", "Cemento", "kg", 0.5, 13.47);
    p.addLabour("c1", "1", "Peón", "E2", 1, 0.8, 3.05);
    p.addEquipment("C1", "1", "Concretera", 1, 0.5, 5);
    const QList<std::pair<QString, QString>> few = {{"C1", "1"}, {"X", "9"}, {"c2", "1"}};
    const QStringList texts = allAtOnce(p.db, few);
    EXPECT_EQ(texts.size(), 2);
    EXPECT_EQ(texts, onePerItem(p.db, few));
    EXPECT_TRUE(texts[0].contains("Peón")) << texts[0].toStdString();
}
