// The project-wide tools on resource lines, without windows: where a resource is used, renaming
// and merging resources, and the yield sheet.
#include "AnalysisFixture.h"
#include "analysis/ResourceCorrection.h"
#include "analysis/ResourceKeys.h"
#include "analysis/ResourceUsage.h"
#include "analysis/YieldSheet.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::analysis;
using korvex::testing::AnalysisProject;
using korvex::testing::FailureGuard;

namespace {

const QStringList kMat = {"DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"};
const QStringList kTran = {"DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"};
const QStringList kMaq = {"CodigoPres", "DescripcionMaq", "RendimientoMaq", "CostoMaq"};
const QStringList kMan = {"CodigoPres", "DescripcionMan", "CategoriaMan", "RendimientoMan", "SalarioMan"};

QStringList codes(const QList<UsageRow>& rows) {
    QStringList out;
    for (const UsageRow& row : rows)
        out.append(row.code + "/" + row.item);
    return out;
}

QStringList keys(const QList<ResourceKey>& list) {
    QStringList out;
    for (const ResourceKey& key : list)
        out.append(key.second.isEmpty() ? key.description : key.description + " | " + key.second);
    return out;
}

// A material line and its mirrored transport line, as the analysis editor stores them.
void addPair(AnalysisProject& p, const QString& code, const QString& description, const QString& unit,
             double qty, double price, double freight) {
    p.addMaterial(code, "1", description, unit, qty, price);
    p.addTransport(code, "1", description, unit, qty, freight);
}

// Edits one row of a correction sheet as typing in the window does.
void type(CorrectionSheet& sheet, Kind kind, const ResourceKey& key, int col, const QString& text) {
    const QList<CorrectionRow>& rows = sheet.rows(kind);
    for (int i = 0; i < rows.size(); ++i)
        if (sameResource(kind, rows[i].loaded, key)) {
            ASSERT_EQ(sheet.assign(kind, i, col, text), CorrectionSheet::Assign::Written);
            return;
        }
    FAIL() << "no row " << key.description.toStdString();
}

} // namespace

TEST(ResourceUsage, ItemsOfAResourceInCodeOrderWithTheSentenceAndQuotesAsText) {
    AnalysisProject p;
    p.addItem("B9", "1", "Contrapiso", "m2");
    p.addItem("A2", "1", "Hormigón f'c = 210", "m3");
    p.addItem("B10", "1", "Enlucido", "m2");
    for (const char* code : {"B9", "A2", "B10", "Z1"}) // Z1 is no longer in the budget
        p.addMaterial(code, "1", "Cemento", "kg", 1, 0.2);
    p.addMaterial("A2", "1", "Cemento", "saco", 1, 8);
    p.addMaterial("A2", "1", "Aditivo f'c \"alto\"", "l", 1, 4);
    p.addEquipment("B9", "1", "Concretera", 1, 1, 5);
    p.addLabour("B9", "1", "Peón", "E2", 1, 1, 3);
    p.addLabour("B10", "1", "Peón", "D2", 1, 1, 3);
    p.addLabour("A2", "1", "peón", "e2", 1, 1, 3); // listed as its first line writes it

    EXPECT_EQ(keys(distinctResources(p.db, Kind::Material)),
              QStringList({"Aditivo f'c \"alto\" | l", "Cemento | kg", "Cemento | saco"}));
    EXPECT_EQ(keys(distinctResources(p.db, Kind::Labour)), QStringList({"Peón | D2", "Peón | E2"}));

    const QList<UsageRow> kg = findUsage(p.db, Kind::Material, {"Cemento", "kg"});
    // Codes sort as text; the line of the missing item keeps an empty row.
    EXPECT_EQ(codes(kg), QStringList({"A2/1", "B10/1", "B9/1", "/"}));
    EXPECT_EQ(kg[0].description + " " + kg[0].unit, "Hormigón f'c = 210 m3");
    EXPECT_FALSE(kg[3].itemExists());
    EXPECT_EQ(codes(findUsage(p.db, Kind::Material, {"cemento", "SACO"})), QStringList({"A2/1"}));
    EXPECT_EQ(codes(findUsage(p.db, Kind::Material, {"Aditivo f'c \"alto\"", "l"})), QStringList({"A2/1"}));
    EXPECT_EQ(codes(findUsage(p.db, Kind::Equipment, {"Concretera", {}})), QStringList({"B9/1"}));
    EXPECT_EQ(codes(findUsage(p.db, Kind::Labour, {"Peón", "D2"})), QStringList({"B10/1"}));
    EXPECT_TRUE(findUsage(p.db, Kind::Material, {"Arena", "m3"}).isEmpty());

    // The material's and the equipment's sentences are shown by the window test.
    EXPECT_EQ(usageSentence(Kind::Labour, "Peón"), "El Personal: Peón se encuentra en los Rubros");
}

TEST(ResourceCorrection, RenameKeepsPricesMergeTakesTheExistingPriceAndTransportFollows) {
    AnalysisProject p;
    addPair(p, "A1", "Cemento gris", "kg", 2, 0.25, 0.01);
    addPair(p, "A1", "Cemento Portland", "kg", 3, 0.20, 0.02);
    addPair(p, "B1", "Cemento gris", "kg", 4, 0.25, 0.01);
    addPair(p, "B1", "Arena", "m3", 1, 14, 3);
    addPair(p, "C1", "Piedra O'Brien", "m3", 1, 12, 2);
    p.addEquipment("A1", "1", "Concretera 1 saco", 1, 1, 5);
    p.addEquipment("B1", "1", "Concretera", 1, 1, 6);
    p.addLabour("A1", "1", "Peon", "E2", 1, 0.5, 3);

    CorrectionSheet sheet = CorrectionSheet::load(p.db);
    // Merge: "Cemento gris" becomes the existing "Cemento Portland" and takes its price.
    type(sheet, Kind::Material, {"Cemento gris", "kg"}, kDescriptionCol, "Cemento Portland");
    // Rename to a new key, with a quote: prices stay.
    type(sheet, Kind::Material, {"Piedra O'Brien", "m3"}, kDescriptionCol, "Piedra d'Río");
    type(sheet, Kind::Material, {"Piedra O'Brien", "m3"}, kSecondCol, "m3 suelto");
    // A change of letter case alone is no correction.
    type(sheet, Kind::Material, {"Arena", "m3"}, kDescriptionCol, "ARENA");
    type(sheet, Kind::Equipment, {"Concretera 1 saco", {}}, kDescriptionCol, "Concretera");
    type(sheet, Kind::Labour, {"Peon", "E2"}, kDescriptionCol, "Peón");
    // Transport is corrected through its material only.
    EXPECT_EQ(sheet.assign(Kind::Transport, 0, kDescriptionCol, "x"), CorrectionSheet::Assign::NotTyped);
    EXPECT_EQ(sheet.assign(Kind::Material, 0, kDescriptionCol, "  "),
              CorrectionSheet::Assign::EmptyDescription);
    EXPECT_EQ(sheet.assign(Kind::Equipment, 0, kSecondCol, "h"), CorrectionSheet::Assign::NotTyped);

    const CorrectionOutcome outcome = applyCorrections(p.db, sheet);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.corrections, 6); // two materials, their two transport rows, equipment, labour
    EXPECT_EQ(outcome.merged, 3);
    EXPECT_EQ(outcome.totalLines(), 2 + 1 + 2 + 1 + 1 + 1);
    EXPECT_EQ(correctionStatus(outcome), "6 correcciones: 8 líneas cambiadas");

    // The item that used both ends with two lines of one resource; quantities are untouched.
    EXPECT_EQ(p.lines("Materiales", "A1", "1", kMat),
              QStringList({"Cemento Portland|kg|2|0.2", "Cemento Portland|kg|3|0.2"}));
    EXPECT_EQ(p.lines("Transporte", "B1", "1", kTran),
              QStringList({"Cemento Portland|kg|4|0.02", "Arena|m3|1|3"}));
    EXPECT_EQ(p.lines("Materiales", "C1", "1", kMat), QStringList({"Piedra d'Río|m3 suelto|1|12"}));
    EXPECT_EQ(p.lines("Transporte", "C1", "1", kTran), QStringList({"Piedra d'Río|m3 suelto|1|2"}));
    EXPECT_EQ(p.all("Maquinaria", {"DescripcionMaq", "CostoMaq"}),
              QStringList({"Concretera|6", "Concretera|6"}));
    EXPECT_EQ(p.all("ManoObra", {"DescripcionMan", "CategoriaMan", "SalarioMan"}),
              QStringList({"Peón|E2|3"}));

    // Reloaded, merged resources show once.
    const CorrectionSheet after = CorrectionSheet::load(p.db);
    EXPECT_EQ(after.rows(Kind::Material).size(), 3);
    EXPECT_EQ(after.rows(Kind::Equipment).size(), 1);
    EXPECT_FALSE(after.hasCorrections());
}

TEST(ResourceCorrection, TransportRowOfTheSameOldKeyWhenTheListsDisagree) {
    AnalysisProject p;
    // A transport line without its material shifts the transport list one row down.
    p.addTransport("A1", "1", "Acarreo", "viaje", 1, 30);
    addPair(p, "A1", "Bloque", "u", 10, 0.35, 0.05);
    addPair(p, "A1", "Cal", "kg", 5, 0.1, 0.01);
    CorrectionSheet sheet = CorrectionSheet::load(p.db);
    ASSERT_EQ(sheet.rows(Kind::Transport)[1].loaded.description, "Bloque");

    int transportRow = -2;
    ASSERT_EQ(sheet.assign(Kind::Material, 0, kDescriptionCol, "Bloque de 15", &transportRow),
              CorrectionSheet::Assign::Written);
    EXPECT_EQ(transportRow, 1);
    EXPECT_EQ(sheet.rows(Kind::Transport)[0].current.description, "Acarreo");
    ASSERT_TRUE(applyCorrections(p.db, sheet).ok);
    EXPECT_EQ(p.all("Transporte", {"DescripcionTran"}), QStringList({"Acarreo", "Bloque de 15", "Cal"}));
}

TEST(ResourceCorrection, FailureLeavesEveryLineAsItWasAndSaysWhatFailed) {
    FailureGuard guard;
    AnalysisProject p;
    addPair(p, "A1", "Cemento", "kg", 2, 0.25, 0.01);
    addPair(p, "A1", "Arena", "m3", 1, 14, 3);
    CorrectionSheet sheet = CorrectionSheet::load(p.db);
    type(sheet, Kind::Material, {"Arena", "m3"}, kDescriptionCol, "Arena fina");
    type(sheet, Kind::Material, {"Cemento", "kg"}, kDescriptionCol, "Cemento gris");
    const QStringList materials = p.all("Materiales", kMat);
    const QStringList transport = p.all("Transporte", kTran);

    store::testing::failAfterWrites(2); // both materials written, the first transport row fails
    const CorrectionOutcome outcome = applyCorrections(p.db, sheet);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.startsWith("No se pudo corregir Transporte \"Arena\" (m3)"))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains("Ninguna línea ha cambiado"));
    EXPECT_EQ(outcome.totalLines(), 0);
    EXPECT_EQ(p.all("Materiales", kMat), materials);
    EXPECT_EQ(p.all("Transporte", kTran), transport);
}

TEST(YieldSheet, BudgetOrderAndTypedYieldsReachTheirLineAfterChangesElsewhere) {
    FailureGuard guard;
    AnalysisProject p;
    p.addItem("B1", "1", "Enlucido", "m2");
    p.addItem("A1", "1", "Contrapiso", "m2");
    p.addEquipment("A1", "1", "Vibrador", 1, 0.5, 2);
    p.addEquipment("B1", "1", "Andamio", 1, 1, 0.75);
    p.addEquipment("A1", "1", "Concretera", 1, 0.25, 5);
    p.addLabour("B1", "1", "Peón", "E2", 1, 1, 3);
    p.addLabour("B1", "1", "Peón", "D2", 1, 2, 3.5);
    p.addLabour("A1", "1", "Albañil's", "D2", 1, 1, 3.6);

    YieldSheet sheet = loadYields(p.db);
    QStringList rows;
    for (const YieldLine& line : sheet.equipment)
        rows.append(line.code + " " + line.description + " " + line.yield);
    // Items in Indice order (B1 was entered first), lines by description.
    EXPECT_EQ(rows, QStringList({"B1 Andamio 1.000", "A1 Concretera 0.250", "A1 Vibrador 0.500"}));
    ASSERT_EQ(sheet.labour.size(), 3);
    EXPECT_EQ(sheet.labour[1].category, "D2");

    sheet.equipment[2].yield = yieldCellText("0,75"); // Vibrador
    sheet.labour[1].yield = yieldCellText("1,5");     // Peón D2
    sheet.labour[2].yield = yieldCellText("x");       // Albañil's
    sheet.labour[0].yield = yieldCellText("1");       // the same value: not a change
    EXPECT_TRUE(sheet.isModified());

    // Meanwhile the analysis editor adds a line that sorts first and removes one: rows moved.
    p.addEquipment("A1", "1", "Bomba", 1, 9, 1);
    p.db.execute("DELETE FROM Maquinaria WHERE DescripcionMaq = 'Concretera'");

    const QStringList equipmentBefore = p.all("Maquinaria", kMaq);
    const QStringList labourBefore = p.all("ManoObra", kMan);
    store::testing::failAfterWrites(1);
    const YieldSaveOutcome failed = saveYields(p.db, sheet);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.message.contains("No se pudieron grabar los rendimientos"))
        << failed.message.toStdString();
    EXPECT_EQ(p.all("Maquinaria", kMaq), equipmentBefore);
    EXPECT_EQ(p.all("ManoObra", kMan), labourBefore);
    store::testing::failAfterWrites(-1);

    const YieldSaveOutcome saved = saveYields(p.db, sheet);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(saved.written, 3);
    EXPECT_TRUE(saved.missing.isEmpty());
    EXPECT_EQ(p.all("Maquinaria", {"DescripcionMaq", "RendimientoMaq"}),
              QStringList({"Vibrador|0.75", "Andamio|1", "Bomba|9"}));
    EXPECT_EQ(p.all("ManoObra", {"CategoriaMan", "RendimientoMan"}), QStringList({"E2|1", "D2|1.5", "D2|0"}));
    sheet.markSaved();
    EXPECT_FALSE(sheet.isModified());

    // A changed yield whose line has gone is named, and nothing else is touched.
    sheet = loadYields(p.db);
    ASSERT_EQ(sheet.equipment[1].description, "Bomba");
    sheet.equipment[1].yield = "2.000";
    p.db.execute("DELETE FROM Maquinaria WHERE DescripcionMaq = 'Bomba'");
    const YieldSaveOutcome gone = saveYields(p.db, sheet);
    ASSERT_TRUE(gone.ok);
    EXPECT_EQ(gone.written, 0);
    EXPECT_EQ(gone.missing, QStringList({"A1 1: Bomba"}));
}

TEST(YieldSheet, RepeatedDescriptionsInOneItemKeepTheirOwnYield) {
    AnalysisProject p;
    p.addItem("A1", "1", "Muro", "m2");
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
    p.addLabour("A1", "1", "Peón", "E2", 2, 2, 3);
    YieldSheet sheet = loadYields(p.db);
    ASSERT_EQ(sheet.labour.size(), 2);
    sheet.labour[1].yield = "3.000";
    ASSERT_TRUE(saveYields(p.db, sheet).ok);
    EXPECT_EQ(p.all("ManoObra", {"HorasMan", "RendimientoMan"}), QStringList({"1|1", "2|3"}));

    // The first line deleted meanwhile: its typed yield goes nowhere, least of all to its twin.
    sheet.markSaved();
    sheet.labour[0].yield = "4.000";
    p.db.execute("DELETE FROM ManoObra WHERE HorasMan = 1");
    const YieldSaveOutcome deleted = saveYields(p.db, sheet);
    ASSERT_TRUE(deleted.ok) << deleted.message.toStdString();
    EXPECT_EQ(deleted.written, 0);
    EXPECT_EQ(deleted.missing, QStringList({"A1 1: Peón"}));
    EXPECT_EQ(p.all("ManoObra", {"HorasMan", "RendimientoMan"}), QStringList({"2|3"}));

    // A yield changed elsewhere since the sheet was read refuses the save.
    YieldSheet again = loadYields(p.db);
    again.labour[0].yield = "5.000";
    p.db.execute("UPDATE ManoObra SET RendimientoMan = 6");
    const YieldSaveOutcome refused = saveYields(p.db, again);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.contains("Las líneas A1 1: Peón cambiaron desde que abrió la ventana"))
        << refused.message.toStdString();
    EXPECT_EQ(p.all("ManoObra", {"RendimientoMan"}), QStringList({"6"}));
}

// A swap of two materials is the batch command's case (AnalysisCommandTest); here a chain.
TEST(ResourceCorrection, AllCorrectionsApplyAtOnceToTheLinesOfTheirOldKeys) {
    AnalysisProject p;
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
    p.addLabour("B1", "1", "Albañil", "D2", 1, 1, 4);
    p.addLabour("C1", "1", "Maestro", "C1", 1, 1, 5);
    CorrectionSheet sheet = CorrectionSheet::load(p.db);
    // Peón to Albañil, which takes its wage as loaded; Albañil to Capataz, a new key that keeps it.
    type(sheet, Kind::Labour, {"Peón", "E2"}, kDescriptionCol, "Albañil");
    type(sheet, Kind::Labour, {"Peón", "E2"}, kSecondCol, "D2");
    type(sheet, Kind::Labour, {"Albañil", "D2"}, kDescriptionCol, "Capataz");
    const CorrectionOutcome outcome = applyCorrections(p.db, sheet);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.lines, (std::array<int, 4>{0, 0, 2, 0}));
    EXPECT_EQ(outcome.linesOf(Kind::Labour, {"Peón", "E2"}), 1);
    EXPECT_EQ(p.all("ManoObra", {"DescripcionMan", "CategoriaMan", "SalarioMan"}),
              QStringList({"Albañil|D2|4", "Capataz|D2|4", "Maestro|C1|5"}));
}

TEST(ResourceCorrection, LinesOfACorrectedKeyChangedMeanwhileRefuseTheWholeCorrection) {
    AnalysisProject p;
    addPair(p, "A1", "Arena", "m3", 1, 14, 3);
    addPair(p, "B1", "Ripio", "m3", 2, 16, 4);
    p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
    CorrectionSheet sheet = CorrectionSheet::load(p.db);
    type(sheet, Kind::Labour, {"Peón", "E2"}, kDescriptionCol, "Ayudante");
    type(sheet, Kind::Material, {"Arena", "m3"}, kDescriptionCol, "Ripio");
    // The merge would take Ripio's price as loaded; someone changed it since.
    p.db.execute("UPDATE Materiales SET PrecioUniMat = 17 WHERE DescripcionMat = 'Ripio'");
    const CorrectionOutcome outcome = applyCorrections(p.db, sheet);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message,
              "No se pudieron grabar las correcciones: Las líneas de Ripio (m3) cambiaron desde "
              "que abrió la ventana; ciérrela y vuelva a abrirla\nNinguna línea ha cambiado.");
    EXPECT_EQ(p.all("ManoObra", {"DescripcionMan"}), QStringList({"Peón"}));
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat"}), QStringList({"Arena", "Ripio"}));
}
