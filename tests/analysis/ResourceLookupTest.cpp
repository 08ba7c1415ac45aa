// The resources offered while a description is typed.
#include "analysis/ResourceLookup.h"

#include "AnalysisFixture.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using namespace korvex::analysis;

TEST(ResourceLookup, ListsDistinctPairsOfTheWholeProjectByPrefixWithoutRegardToCase) {
    AnalysisProject p;
    p.addMaterial("A1", "1", "Cemento", "kg", 1, 0.18);
    p.addMaterial("B2", "1", "Cemento", "kg", 3, 0.18);
    p.addMaterial("B2", "1", "Cemento", "saco", 1, 7.9);
    p.addMaterial("D4", "1", "CEMENTO", "KG", 2, 0.18); // the same pair in other letter case
    p.addMaterial("C3", "1", "Cal", "saco", 1, 5);
    p.addMaterial("C3", "1", "Arena", "m3", 1, 13);
    p.addMaterial("C3", "1", "Ñandú rojo", "u", 1, 1);
    p.addEquipment("A1", "1", "Concretera", 1, 1, 4);
    p.addEquipment("B2", "1", "Concretera", 2, 1, 4);
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3.6);
    p.addLabour("A1", "1", "Peón", "D2", 1, 1, 3.6);

    const ResourceCatalog materials = ResourceCatalog::read(p.db, Kind::Material);
    EXPECT_EQ(materials.matches("cem"), (QList<ResourceMatch>{{"Cemento", "kg"}, {"Cemento", "saco"}}));
    EXPECT_EQ(materials.matches("C").size(), 3);
    EXPECT_EQ(materials.matches("").size(), 5); // an empty text lists every resource
    EXPECT_EQ(materials.matches("ñAN"), (QList<ResourceMatch>{{"Ñandú rojo", "u"}}));
    EXPECT_TRUE(materials.matches("Cementos").isEmpty());

    const ResourceCatalog equipment = ResourceCatalog::read(p.db, Kind::Equipment);
    EXPECT_EQ(equipment.matches("con"), (QList<ResourceMatch>{{"Concretera", ""}}));
    const ResourceCatalog labour = ResourceCatalog::read(p.db, Kind::Labour);
    EXPECT_EQ(labour.matches("p"), (QList<ResourceMatch>{{"Peón", "D2"}, {"Peón", "E2"}}));
    EXPECT_EQ(ResourceCatalog::read(p.db, Kind::Transport).size(), 0);
}

TEST(ResourceLookup, QuotesAndWildcardsAreMatchedAsThemselvesAndTheListStopsAt99) {
    AnalysisProject p;
    p.addMaterial("A1", "1", "Hormigón f'c = 210 kg/cm2", "m3", 1, 95);
    p.addMaterial("A1", "1", "Hormigón f'c = 180 kg/cm2", "m3", 1, 90);
    p.addMaterial("A1", "1", "Hormigón ciclópeo", "m3", 1, 70);
    p.addMaterial("A1", "1", "Pintura 100% acrílica", "gl", 1, 20);
    p.addMaterial("A1", "1", "Pintura 1000 esmalte", "gl", 1, 25);
    p.addMaterial("A1", "1", "Tubo_PVC", "m", 1, 2);
    p.addMaterial("A1", "1", "TuboXPVC", "m", 1, 2);
    store::Transaction batch(p.db);
    for (int i = 0; i < 120; ++i)
        p.addMaterial("B2", "1", QString("Varilla %1 mm").arg(i, 3, 10, QChar('0')), "kg", 1, 1);
    batch.commit();

    const ResourceCatalog materials = ResourceCatalog::read(p.db, Kind::Material);
    EXPECT_EQ(materials.matches("Hormigón f'").size(), 2);
    EXPECT_EQ(materials.matches("Hormigón f'c = 2"),
              (QList<ResourceMatch>{{"Hormigón f'c = 210 kg/cm2", "m3"}}));
    EXPECT_EQ(materials.matches("Pintura 100%").size(), 1);
    EXPECT_EQ(materials.matches("Tubo_").size(), 1);
    EXPECT_TRUE(materials.matches("*").isEmpty());
    const QList<ResourceMatch> many = materials.matches("Varilla");
    ASSERT_EQ(many.size(), kMaxLookupMatches);
    EXPECT_EQ(many.first().description, "Varilla 000 mm");
    EXPECT_EQ(many.last().description, "Varilla 098 mm");
}
