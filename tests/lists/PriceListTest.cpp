// The resource lists without windows: how the lists are filled from the project, the two rules for
// a row's total, the percentage increase, and the save into every line of every analysis.
#include "lists/PriceList.h"

#include "AnalysisFixture.h"
#include "lists/PriceSaving.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::lists;
using korvex::testing::AnalysisProject;
using korvex::testing::FailureGuard;

namespace {

const QStringList kMat = {"CodigoPres", "DescripcionMat", "UnidadMat", "PrecioUniMat"};
const QStringList kMaq = {"CodigoPres", "ItemPres", "DescripcionMaq", "CostoMaq"};
const QStringList kMan = {"CodigoPres", "DescripcionMan", "CategoriaMan", "SalarioMan"};
const QStringList kTran = {"CodigoPres", "DescripcionTran", "UnidadTran", "PrecioTran"};

void addItem(AnalysisProject& p, const QString& code, const QString& item, double quantity) {
    p.addItem(code, item, "Rubro " + code + "/" + item);
    p.db.execute("UPDATE Presupuesto SET CantidadPres = ? WHERE CodigoPres = ? and ItemPres = ?",
                 {quantity, code, item});
}

// Every row of a list as its cells joined with "|".
QStringList rows(const PriceList& list) {
    QStringList out;
    for (int i = 0; i < list.size(); ++i) {
        QStringList cells;
        for (int col = 0; col < list.layout().columns(); ++col)
            cells.append(list.cell(i, col));
        out.append(cells.join('|'));
    }
    return out;
}

PriceList& of(PriceLists& lists, TipoRecurso kind) {
    return lists[static_cast<std::size_t>(kindIndex(kind))];
}

} // namespace

TEST(PriceList, TwoPricesOfOneMaterialAreTwoRowsAndTheLowerRowSetsEveryLine) {
    AnalysisProject p;
    addItem(p, "A1", "1", 10);
    addItem(p, "A1", "2", 2);
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addMaterial("A1", "2", "Cemento", "kg", 1, 12);
    p.addMaterial("A1", "2", "Cemento", "saco", 0.5, 8);
    // Lines of an item no longer in the budget count for no list, but carry the resource's key.
    p.addMaterial("Z9", "1", "Cemento", "kg", 5, 11);
    p.addMaterial("Z9", "1", "Arena", "m3", 1, 14);

    PriceLists lists = loadPriceLists(p.folder);
    EXPECT_EQ(rows(of(lists, TipoRecurso::Material)),
              QStringList({"Cemento|kg|10.00|20.000|200.00", "Cemento|kg|12.00|2.000|24.00",
                           "Cemento|saco|8.00|1.000|8.00"}));
    EXPECT_DOUBLE_EQ(of(lists, TipoRecurso::Material).total(), 232.0);

    // Nothing typed, nothing written: a resource at two prices stays so.
    const QStringList before = p.all("Materiales", kMat);
    EXPECT_EQ(savePrices(p.db, lists).total(), 0);
    EXPECT_EQ(p.all("Materiales", kMat), before);

    // A price typed on one row goes into every line of its resource, whatever its price.
    ASSERT_TRUE(of(lists, TipoRecurso::Material).commitPrice(1, "12"));
    const PriceSaveOutcome saved = savePrices(p.db, lists);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(p.all("Materiales", kMat),
              QStringList({"A1|Cemento|kg|12", "A1|Cemento|kg|12", "A1|Cemento|saco|8", "Z9|Cemento|kg|12",
                           "Z9|Arena|m3|14"}));
    EXPECT_EQ(saved.lines, (std::array<int, 4>{2, 0, 0, 0}));
    EXPECT_EQ(savedPricesStatus(saved), "Precios grabados: 2 líneas cambiadas");
    // Saving again finds nothing to change.
    EXPECT_EQ(savePrices(p.db, lists).total(), 0);
}

TEST(PriceList, EquipmentGroupsByDescriptionAndCostLabourByDescriptionAndCategory) {
    AnalysisProject p;
    addItem(p, "E1", "1", 10);
    addItem(p, "E1", "2", 3);
    p.addEquipment("E1", "1", "Concretera", 2, 0.5, 12.5);
    p.addEquipment("E1", "2", "Concretera", 1, 1, 12.5);
    p.addEquipment("E1", "2", "Concretera", 1, 1, 15);
    p.addLabour("E1", "1", "Peón", "E2", 8, 0.5, 3);
    p.addLabour("E1", "2", "Peón", "D2", 1, 1, 3.5);

    PriceLists lists = loadPriceLists(p.folder);
    // Hours: 2 x 0.5 x 10 + 1 x 1 x 3 = 13 at one tariff, 3 at the other.
    EXPECT_EQ(rows(of(lists, TipoRecurso::Equipo)),
              QStringList({"Concretera|12.50|13.00|162.50", "Concretera|15.00|3.00|45.00"}));
    EXPECT_EQ(rows(of(lists, TipoRecurso::ManoObra)),
              QStringList({"Peón|D2|3.50|3.00|10.50", "Peón|E2|3.00|40.00|120.00"}));

    // Equipment is known by its description alone: the changed row gives every line its cost; of
    // two changed rows, the one saved last.
    ASSERT_TRUE(of(lists, TipoRecurso::Equipo).commitPrice(0, "14"));
    const PriceSaveOutcome saved = savePrices(p.db, lists);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(p.all("Maquinaria", kMaq),
              QStringList({"E1|1|Concretera|14", "E1|2|Concretera|14", "E1|2|Concretera|14"}));
    EXPECT_EQ(saved.lines, (std::array<int, 4>{0, 3, 0, 0}));
    ASSERT_TRUE(of(lists, TipoRecurso::Equipo).commitPrice(0, "16"));
    ASSERT_TRUE(of(lists, TipoRecurso::Equipo).commitPrice(1, "17"));
    EXPECT_EQ(savePrices(p.db, lists).lines, (std::array<int, 4>{0, 3, 0, 0}));
    EXPECT_EQ(p.all("Maquinaria", {"CostoMaq"}), QStringList({"17", "17", "17"}));
}

TEST(PriceList, TypedPricesAndPercentagesFollowTheirOwnTotalRules) {
    using engine::TotalRecurso;
    const std::vector<TotalRecurso> totals = {
        {"Bloque", "u", 1.004, 3, 0}, {"Clavos", "kg", 2, 1, 0}, {"Pintura", "gal", 1, 12.34, 0}};
    PriceList list = PriceList::fromTotals(TipoRecurso::Material, totals);
    // Filled: Redondear(price x quantity as shown).
    EXPECT_EQ(rows(list), QStringList({"Bloque|u|3.00|1.004|3.01", "Clavos|kg|1.00|2.000|2.00",
                                       "Pintura|gal|12.34|1.000|12.34"}));

    // Typed: the quantity at two decimals, the typed price unrounded, the product only formatted.
    ASSERT_TRUE(list.commitPrice(0, "3"));
    EXPECT_EQ(list.cell(0, 4), "3.00");
    EXPECT_FALSE(list.isModified()); // the same price as before
    ASSERT_TRUE(list.commitPrice(1, "12.345"));
    EXPECT_EQ(list.cell(1, 2), "12.35");
    EXPECT_EQ(list.cell(1, 4), "24.69");
    EXPECT_TRUE(list.isModified());
    // A text that is not a number changes nothing.
    EXPECT_FALSE(list.commitPrice(2, "doce"));
    EXPECT_FALSE(list.commitPrice(2, ""));
    EXPECT_EQ(rows(list)[2], "Pintura|gal|12.34|1.000|12.34");
    EXPECT_DOUBLE_EQ(list.total(), 3.00 + 24.69 + 12.34);

    // A percentage of 0 leaves the prices but writes the totals by the rounding rule again, a cent
    // away from the typed ones.
    EXPECT_EQ(list.increaseBy(0), 0);
    EXPECT_EQ(list.cell(0, 4), "3.01");
    EXPECT_EQ(list.cell(1, 4), "24.70");

    EXPECT_EQ(list.increaseBy(10), 3);
    EXPECT_EQ(rows(list), QStringList({"Bloque|u|3.30|1.004|3.31", "Clavos|kg|13.59|2.000|27.18",
                                       "Pintura|gal|13.57|1.000|13.57"}));
}

TEST(PriceList, AFailedSaveLeavesEveryStoredPriceAndSaysWhichListFailed) {
    FailureGuard guard;
    AnalysisProject p;
    addItem(p, "F1", "1", 1);
    addItem(p, "F1", "2", 1);
    p.addMaterial("F1", "1", "Cemento", "kg", 1, 10);
    p.addMaterial("F1", "2", "Cemento", "kg", 1, 10);
    p.addEquipment("F1", "1", "Concretera", 1, 1, 5);
    p.addLabour("F1", "1", "Peón", "E2", 1, 1, 3);
    p.addTransport("F1", "1", "Cemento", "kg", 1, 0.5);
    const auto snapshot = [&p] {
        return p.all("Materiales", kMat) + p.all("Maquinaria", kMaq) + p.all("ManoObra", kMan) +
               p.all("Transporte", kTran);
    };
    const QStringList before = snapshot();

    PriceLists lists = loadPriceLists(p.folder);
    for (PriceList& list : lists)
        list.increaseBy(10);
    // Writes in order: two materials, the equipment, the labour, the transport.
    const std::vector<std::pair<int, QString>> failures = {
        {0, "Materiales"}, {1, "Materiales"}, {2, "Herramientas y Equipo"}, {4, "Transporte"}};
    for (const auto& [writes, kind] : failures) {
        store::testing::failAfterWrites(writes);
        const PriceSaveOutcome failed = savePrices(p.db, lists);
        store::testing::failAfterWrites(-1);
        EXPECT_FALSE(failed.ok);
        EXPECT_TRUE(failed.message.startsWith("No se pudieron grabar los precios (" + kind + "): "))
            << failed.message.toStdString();
        EXPECT_TRUE(failed.message.endsWith("Los precios guardados no han cambiado."));
        EXPECT_EQ(failed.total(), 0);
        EXPECT_EQ(snapshot(), before) << "after a failure at write " << writes;
    }

    const PriceSaveOutcome saved = savePrices(p.db, lists);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(saved.lines, (std::array<int, 4>{2, 1, 1, 1}));
    EXPECT_EQ(p.all("Transporte", kTran), QStringList({"F1|Cemento|kg|0.55"}));
}

TEST(PriceList, QuotesAndLetterCaseAreOrdinaryText) {
    AnalysisProject p;
    addItem(p, "Q1", "1", 2);
    p.addMaterial("Q1", "1", "Tubo PVC 1/2\" d'agua", "m'", 3, 1.5);
    p.addMaterial("Q1", "1", "Tubo PVC 1/2\" D'AGUA", "M'", 1, 1.5); // the same resource to the store
    p.addMaterial("Q1", "1", "Tubo PVC 1/2\" d'agua", "u", 1, 1.5);

    PriceLists lists = loadPriceLists(p.folder);
    ASSERT_EQ(of(lists, TipoRecurso::Material).size(), 2);
    // One row for both spellings; which spelling it shows is the store's choice.
    EXPECT_EQ(rows(of(lists, TipoRecurso::Material))[0].section('|', 2), "1.50|8.000|12.00");

    ASSERT_TRUE(of(lists, TipoRecurso::Material).commitPrice(0, "2"));
    const PriceSaveOutcome saved = savePrices(p.db, lists);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(saved.total(), 2);
    EXPECT_EQ(p.all("Materiales", {"UnidadMat", "PrecioUniMat"}), QStringList({"m'|2", "M'|2", "u|1.5"}));
}

TEST(PriceList, ASaveWritesOnlyChangedPricesAndRefusesLinesChangedMeanwhile) {
    AnalysisProject p;
    addItem(p, "A1", "1", 1);
    p.addMaterial("A1", "1", "Cemento", "kg", 1, 10);
    p.addMaterial("A1", "1", "Arena", "m3", 1, 14);
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
    PriceLists first = loadPriceLists(p.folder);
    PriceLists second = loadPriceLists(p.folder);

    // Prices imported meanwhile into another resource are kept: only the typed row is written.
    p.db.execute("UPDATE Materiales SET PrecioUniMat = 15 WHERE DescripcionMat = 'Arena'");
    ASSERT_TRUE(of(first, TipoRecurso::Material).commitPrice(1, "11")); // Cemento, after Arena
    const PriceSaveOutcome saved = savePrices(p.db, first);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(saved.total(), 1);
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat", "PrecioUniMat"}),
              QStringList({"Cemento|11", "Arena|15"}));

    // The second copy changes the same resource: refused, naming it, nothing written.
    ASSERT_TRUE(of(second, TipoRecurso::Material).commitPrice(1, "9"));
    ASSERT_TRUE(of(second, TipoRecurso::ManoObra).commitPrice(0, "4"));
    const PriceSaveOutcome refused = savePrices(p.db, second);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.contains("Las líneas de Cemento (kg) cambiaron desde que abrió la ventana; "
                                         "ciérrela y vuelva a abrirla"))
        << refused.message.toStdString();
    EXPECT_EQ(p.all("ManoObra", {"SalarioMan"}), QStringList({"3"}));

    // A line of a changed resource added elsewhere would be left at its old price: refused too.
    PriceLists third = loadPriceLists(p.folder);
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 11);
    ASSERT_TRUE(of(third, TipoRecurso::Material).commitPrice(1, "12"));
    EXPECT_FALSE(savePrices(p.db, third).ok);
    // The first copy, saved since, goes on from what it saved.
    ASSERT_TRUE(of(first, TipoRecurso::ManoObra).commitPrice(0, "5"));
    EXPECT_TRUE(savePrices(p.db, first).ok);
    EXPECT_EQ(p.all("ManoObra", {"SalarioMan"}), QStringList({"5"}));

    // A list the save did not write keeps what it loaded, so a wage changed meanwhile is not taken
    // for seen by a save of another list.
    p.db.execute("UPDATE ManoObra SET SalarioMan = 6");
    ASSERT_TRUE(of(first, TipoRecurso::Material).commitPrice(0, "16")); // Arena
    ASSERT_TRUE(savePrices(p.db, first).ok);
    ASSERT_TRUE(of(first, TipoRecurso::ManoObra).commitPrice(0, "7"));
    EXPECT_FALSE(savePrices(p.db, first).ok);
    EXPECT_EQ(p.all("ManoObra", {"SalarioMan"}), QStringList({"6"}));
}
