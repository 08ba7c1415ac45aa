// One resource key for the whole program: the store's query, the editor's key and its lookup, the
// where-used lists, the resource lists and their saving, the formula symbols and the import of
// prices all take two lines for the same resource exactly when the store's "=" finds them equal:
// letter case ignored, accents kept, and the letters whose case folding reaches plain ASCII (the
// long s "ſ", the Kelvin sign) kept apart from the ASCII letters as the store keeps them.
#include "AnalysisFixture.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"
#include "analysis/ResourceKeys.h"
#include "analysis/ResourceLookup.h"
#include "engine/Engine.h"
#include "formula/Symbols.h"
#include "lists/PriceList.h"
#include "lists/PriceSaving.h"
#include "store/TextCompare.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;

namespace {

const QString kLongS = QString::fromUtf8("ſierra");     // U+017F folds to "s" in Unicode
const QString kKelvin = QString::fromUtf8("\u212Ailo"); // the Kelvin sign folds to "k"

void fill(AnalysisProject& p) {
    p.setHeader(0, 0, false);
    p.addItem("A1", "1", "Contrapiso");
    p.addItem("B2", "1", "Enlucido");
    p.addMaterial("A1", "1", "Cemento", "kg", 10, 0.18);
    p.addMaterial("B2", "1", "CEMENTO", "KG", 20, 0.20); // the same resource in other letter case
    p.addMaterial("B2", "1", QString::fromUtf8("Cémento"), "kg", 1, 0.30); // an accent: another one
    p.addMaterial("A1", "1", kLongS, "u", 1, 7);
    p.addMaterial("B2", "1", "sierra", "u", 1, 3);
    p.addMaterial("A1", "1", kKelvin, "u", 1, 5);
    p.addMaterial("B2", "1", "kilo", "u", 1, 2);
}

int countWhere(AnalysisProject& p, const QString& description, const QString& unit) {
    auto rs = p.db.openRecordSet("SELECT * FROM Materiales WHERE DescripcionMat = ? and UnidadMat = ?",
                                 {description, unit});
    return rs.recordCount();
}

} // namespace

TEST(OneResourceKey, EveryPartGroupsTheLinesTheStoresQueryGroups) {
    AnalysisProject p;
    fill(p);
    using store::text::resourceKey;

    // The store's query is the authority.
    EXPECT_EQ(countWhere(p, "cemento", "Kg"), 2);
    EXPECT_EQ(countWhere(p, QString::fromUtf8("CÉMENTO"), "KG"), 1);
    EXPECT_EQ(countWhere(p, "sierra", "u"), 1);
    EXPECT_EQ(countWhere(p, "kilo", "u"), 1);

    // The key agrees with it (the store's own tests compare the two word by word), and the editor's
    // key is that key.
    EXPECT_EQ(analysis::resourceKey(kLongS, "u"), resourceKey(kLongS, "u"));

    // The editor prices each line from its own resource.
    analysis::AnalysisSheet sheet;
    sheet.assign(analysis::Kind::Material, {1, 0}, "sierra");
    sheet.assign(analysis::Kind::Material, {1, 1}, "u");
    sheet.assign(analysis::Kind::Material, {2, 0}, "KILO");
    sheet.assign(analysis::Kind::Material, {2, 1}, "U");
    sheet.assign(analysis::Kind::Material, {3, 0}, "cemento");
    sheet.assign(analysis::Kind::Material, {3, 1}, "KG");
    const analysis::ProjectPrices prices = analysis::lookupProjectPrices(p.db, sheet);
    const analysis::PriceTable& materialPrices = prices[analysis::kindIndex(analysis::Kind::Material)];
    EXPECT_EQ(materialPrices.value(resourceKey("sierra", "u")), 3.0);
    EXPECT_EQ(materialPrices.value(resourceKey("kilo", "u")), 2.0);
    EXPECT_EQ(materialPrices.value(resourceKey("cemento", "kg")), 0.18);

    // The lookup and the where-used lists show six resources, not four.
    EXPECT_EQ(analysis::ResourceCatalog::read(p.db, analysis::Kind::Material).size(), 6);
    EXPECT_EQ(analysis::ResourceCatalog::read(p.db, analysis::Kind::Material).matches("SIE").size(), 1);
    EXPECT_EQ(analysis::distinctResources(p.db, analysis::Kind::Material).size(), 6);

    // The formula symbols: one row per resource, and a symbol given to one is not another's.
    p.db.execute("INSERT INTO SimbolosMat (Simbolo, DescripcionMat, UnidadMat, PorcentajeSimb) VALUES "
                 "('S', ?, 'u', 0)",
                 {kLongS});
    p.db.execute("INSERT INTO SimbolosMat (Simbolo, DescripcionMat, UnidadMat, PorcentajeSimb) VALUES "
                 "('C', 'cemento', 'KG', 0)");
    int materialRows = 0;
    for (const formula::SymbolRow& row : formula::loadSymbolRows(p.db, formula::ProjectTotals{})) {
        if (row.kind != formula::SymbolRowKind::Material)
            continue;
        ++materialRows;
        if (row.descripcion == "sierra") {
            EXPECT_EQ(row.simbolo, "");
        } else if (row.descripcion == kLongS) {
            EXPECT_EQ(row.simbolo, "S");
        } else if (row.descripcion.compare("cemento", Qt::CaseInsensitive) == 0) {
            EXPECT_EQ(row.simbolo, "C");
        }
    }
    EXPECT_EQ(materialRows, 7); // one per resource and price: cement is at two prices

    // The resource lists write a price into every line of its resource and no other.
    lists::PriceLists lists = lists::loadPriceLists(p.folder);
    lists::PriceList& materials = lists[lists::kindIndex(engine::TipoRecurso::Material)];
    for (int i = 0; i < materials.size(); ++i) {
        const QString key = resourceKey(materials.row(i).description, materials.row(i).second);
        if (key == resourceKey("cemento", "kg"))
            materials.commitPrice(i, "0.25");
        if (key == resourceKey(kLongS, "u"))
            materials.commitPrice(i, "9");
    }
    ASSERT_TRUE(lists::savePrices(p.db, lists).ok);
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat", "PrecioUniMat"}),
              (QStringList{"Cemento|0.25", "CEMENTO|0.25", QString::fromUtf8("Cémento|0.3"), kLongS + "|9",
                           "sierra|3", kKelvin + "|5", "kilo|2"}));

    // Prices imported from another project go to the same lines.
    AnalysisProject source;
    source.addItem("Z", "1", "Fuente");
    source.addMaterial("Z", "1", "CEMENTO", "Kg", 1, 0.5);
    source.addMaterial("Z", "1", "SIERRA", "U", 1, 11);
    ASSERT_TRUE(engine::ImportarPrecios(p.folder, source.folder).ok);
    EXPECT_EQ(p.all("Materiales", {"PrecioUniMat"}), (QStringList{"0.5", "0.5", "0.3", "9", "11", "5", "2"}));
}
