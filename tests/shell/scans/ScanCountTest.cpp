// The whole-project operations read each table once: the queries they open do not grow with the
// number of items or resources. Each is run on synthetic projects of 5 and of 50 items.

#include "TestProject.h"
#include "analysis/AnalysisCopy.h"
#include "analysis/ResourceCorrection.h"
#include "analysis/ResourceUsage.h"
#include "analysis/YieldSheet.h"
#include "budget/BudgetItems.h"
#include "engine/Demo.h"
#include "lists/PriceSaving.h"
#include "shell/ops/CopyItems.h"
#include "store/Database.h"
#include "store/StatementCounts.h"

#include <functional>
#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace analysis;

struct Synthetic {
    testing::TempRoot root;
    QString folder;
    store::Database db;
    explicit Synthetic(int items, const QString& name = "Grande") {
        const auto demo = engine::CrearProyectoEjemplo(root.root(), name, items);
        EXPECT_TRUE(demo.ok) << demo.message.toStdString();
        folder = demo.folder;
        db = store::Database::openProject(folder);
    }
};

quint64 queriesOf(const std::function<void()>& operation) {
    const quint64 before = store::testing::statementsRun().queries;
    operation();
    return store::testing::statementsRun().queries - before;
}

// The queries opened by operation on a fresh project of that many items.
quint64 queriesOn(int items, const std::function<void(Synthetic&)>& operation) {
    Synthetic project(items);
    return queriesOf([&] { operation(project); });
}

TEST(ScanCount, CopyingItemsReadsEachTableOnce) {
    const auto copyAll = [](int items) {
        Synthetic destination(items);
        Synthetic source(items, "Origen");
        const auto all = shell::loadSourceItems(source.db);
        const auto listed = shell::readSourceList(source.db);
        return queriesOf([&] {
            const auto result = shell::copyItems(destination.db, source.db, all, listed);
            EXPECT_TRUE(result.ok) << result.message.toStdString();
            EXPECT_GT(result.lineas(), result.rubros());
            EXPECT_EQ(result.copiados.back().codigo.left(1), shell::kPrefijoCopia); // every pair taken
        });
    };
    EXPECT_EQ(copyAll(5), copyAll(50));
}

ResourceKey mostUsedMaterial(store::Database& db) {
    auto rs = db.openRecordSet("SELECT DescripcionMat, UnidadMat, COUNT(*) AS n FROM Materiales "
                               "GROUP BY DescripcionMat, UnidadMat ORDER BY COUNT(*) DESC");
    return {rs.text("DescripcionMat"), rs.text("UnidadMat")};
}

TEST(ScanCount, WhereUsedReadsTheItemsOnce) {
    const auto search = [](Synthetic& p) {
        const QList<UsageRow> rows = findUsage(p.db, Kind::Material, mostUsedMaterial(p.db));
        ASSERT_FALSE(rows.isEmpty());
        for (const UsageRow& row : rows)
            EXPECT_TRUE(row.itemExists());
    };
    EXPECT_EQ(queriesOn(5, search), queriesOn(50, search));
}

TEST(ScanCount, CorrectingEveryMaterialReadsEachListOnce) {
    const auto correctAll = [](Synthetic& p) {
        CorrectionSheet sheet = CorrectionSheet::load(p.db);
        const QList<CorrectionRow> rows = sheet.rows(Kind::Material);
        for (int i = 0; i < rows.size(); ++i)
            sheet.assign(Kind::Material, i, kDescriptionCol, rows[i].loaded.description + " bis");
        const CorrectionOutcome outcome = applyCorrections(p.db, sheet);
        EXPECT_TRUE(outcome.ok) << outcome.message.toStdString();
        EXPECT_GE(outcome.corrections, rows.size()); // transport follows the materials
        EXPECT_EQ(p.db.openRecordSet("SELECT * FROM Materiales WHERE DescripcionMat NOT LIKE '* bis'")
                      .recordCount(),
                  0);
    };
    EXPECT_EQ(queriesOn(5, correctAll), queriesOn(50, correctAll));
}

TEST(ScanCount, CopyingAnAnalysisToEveryItemReadsEachTableOnce) {
    const auto copyToAll = [](Synthetic& p) {
        std::vector<ItemRef> to;
        for (const BudgetItem& item : loadBudgetItems(p.db))
            to.push_back({item.code, item.item});
        for (CopyMode mode : {CopyMode::Append, CopyMode::Replace}) {
            const auto outcome = copyAnalysis(p.db, p.db, to.front(), to, mode);
            EXPECT_TRUE(outcome.ok) << outcome.message.toStdString();
            EXPECT_EQ(outcome.items(), int(to.size()));
        }
    };
    EXPECT_EQ(queriesOn(5, copyToAll), queriesOn(50, copyToAll));
}

// Saves that write a figure into every line or item do it by row number, without reading each
// written record back.
TEST(ScanCount, RepricingRecalculatingYieldsAndTheItemsSaveReadEachTableOnce) {
    const auto writeAll = [](int items) {
        Synthetic project(items);
        Synthetic other(items, "Origen");
        EXPECT_TRUE(lists::repriceProject(other.folder, engine::TipoRecurso::Equipo, 10).ok);
        return queriesOf([&] {
            const auto repriced = lists::repriceProject(project.folder, engine::TipoRecurso::Material, 5);
            EXPECT_GE(repriced.lines, items);
            const auto imported = engine::ImportarPrecios(project.folder, other.folder);
            EXPECT_TRUE(imported.ok) << imported.message.toStdString();
            EXPECT_EQ(engine::RecalcularPresupuesto(project.folder).items, items);
            YieldSheet sheet = loadYields(project.db);
            for (YieldLine& line : sheet.labour)
                line.yield = "0.5";
            const YieldSaveOutcome yields = saveYields(project.db, sheet);
            EXPECT_TRUE(yields.ok) << yields.message.toStdString();
            EXPECT_GE(yields.written, items);
            budget::HojaPresupuesto hoja = budget::cargarHoja(project.db);
            EXPECT_EQ(budget::grabarPresupuesto(project.db, hoja).items, items);
        });
    };
    EXPECT_EQ(writeAll(5), writeAll(50));
}

} // namespace
} // namespace korvex
