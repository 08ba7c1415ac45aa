// korvex copy-items PROJECT SOURCE CODE:ITEM... | --all

#include "../CopyFixture.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisSaving.h"
#include "cli/CommandTable.h"
#include "lists/PriceSaving.h"
#include "store/Database.h"

#include <QDir>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using namespace testing;

struct Outcome {
    int code;
    QString out;
    QString err;
};

class CopyCommand : public ::testing::Test {
protected:
    CopyProjects projects;

    Outcome command(QStringList args) {
        QString out, err, in;
        QTextStream o(&out), e(&err), i(&in);
        args.prepend("copy-items");
        args.prepend(projects.temp.root());
        args.prepend("--root");
        const int code = cli::run(args, o, e, i);
        o.flush();
        e.flush();
        return {code, out, err};
    }
};

TEST_F(CopyCommand, CopiesTheNamedItemsAndPrintsWhatEachCopyBecame) {
    {
        store::Database origen = store::Database::openProject(projects.origen);
        addAnalysedItem(origen, "A", "1.01", "Muro");
        addItem(origen, "B", "2", "Piso");
        addItem(origen, "C:X", "3", "Código con dos puntos");
        addItem(origen, "", "4", "Sin código: --all lo deja");
    }
    // Folder names under the root and full paths both name a project.
    Outcome run = command({"Destino", projects.origen, "A:1.01", "C:X:3"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "A\t1.01\t7 líneas\nC:X\t3\t0 líneas\n");
    run = command({"Destino", "Origen", "A:1.01"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "CA\tC1.01\t7 líneas\n");
    run = command({"Destino", "Origen", "--all"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "CCA\tCC1.01\t7 líneas\nB\t2\t0 líneas\nCC:X\tC3\t0 líneas\n");

    store::Database destino = store::Database::openProject(projects.destino);
    EXPECT_EQ(itemPairs(destino),
              (QStringList{"A|1.01", "C:X|3", "CA|C1.01", "CCA|CC1.01", "B|2", "CC:X|C3"}));
    EXPECT_EQ(linesOf(destino, "CCA", "CC1.01"), kAnalysedItemLines);
}

TEST_F(CopyCommand, RefusalsAndBadArgumentsCopyNothing) {
    {
        store::Database origen = store::Database::openProject(projects.origen);
        addAnalysedItem(origen, "A", "1", "Muro");
    }
    QDir(projects.temp.root()).mkdir("Vacia");
    const auto refused = [&](const QStringList& args) {
        const Outcome run = command(args);
        EXPECT_EQ(run.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        return run.err.trimmed();
    };
    EXPECT_EQ(refused({"Destino", "Destino", "A:1"}), "El Proyecto de Origen es el mismo que el Destino");
    EXPECT_EQ(refused({"Destino", projects.temp.root(), "A:1"}),
              "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(refused({"Destino", "Vacia", "A:1"}), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(refused({"Vacia", "Origen", "A:1"}), "La Carpeta seleccionada NO contiene ningun proyecto");
    // One missing item stops the whole command before anything is written.
    EXPECT_EQ(refused({"Destino", "Origen", "A:1", "A:2"}),
              "El rubro A 2 no existe en el proyecto de origen");

    for (const QStringList& args :
         {QStringList{"Destino", "Origen"}, QStringList{"Destino", "Origen", "A1"},
          QStringList{"Destino", "Origen", ":1"}, QStringList{"Destino", "Origen", "A:1", "--all"}})
        EXPECT_EQ(command(args).code, 2) << args.join(' ').toStdString();

    store::Database destino = store::Database::openProject(projects.destino);
    EXPECT_EQ(tableCounts(destino), (QList<int>{0, 0, 0, 0, 0}));
}

// Prices taken from another project by the batch command while a window is open on the same
// lines: the window's save refuses where it would write a line whose price changed, and never
// puts the old price back.
TEST_F(CopyCommand, WindowsOpenWhilePricesAreImportedDoNotPutOldPricesBack) {
    {
        store::Database origen = store::Database::openProject(projects.origen);
        addItem(origen, "S", "1", "Fuente");
        addLine(origen, "Materiales", "S", "1", {"Cemento", "saco", 1.0, 9.0});
        store::Database destino = store::Database::openProject(projects.destino);
        addAnalysedItem(destino, "A", "1", "Muro");
    }
    const auto importPrices = [this] {
        QString out, err, in;
        QTextStream o(&out), e(&err), i(&in);
        ASSERT_EQ(cli::run({"--root", projects.temp.root(), "import-prices", "Destino", "Origen"}, o, e, i),
                  0);
    };
    // Analysis lines loaded sorted: 1 Arena fina, 2 Cemento.
    const std::vector<std::pair<const char*, std::pair<int, bool>>> analysisEdits = {
        {"analysis, the repriced line", {2, false}},
        {"analysis, another line", {1, true}},
    };
    for (const auto& [name, edit] : analysisEdits) {
        SCOPED_TRACE(name);
        store::Database db = store::Database::openProject(projects.destino);
        db.execute("UPDATE Materiales SET PrecioUniMat = 7.85 WHERE DescripcionMat = 'Cemento'");
        analysis::AnalysisSheet sheet;
        analysis::loadAnalysisLines(db, "A", "1", sheet);
        sheet.assign(analysis::Kind::Material, {edit.first, 2}, "3");
        importPrices();
        EXPECT_EQ(analysis::saveAnalysis(db, "A", "1", sheet).ok, edit.second);
        auto cemento =
            db.openRecordSet("SELECT PrecioUniMat FROM Materiales WHERE DescripcionMat = 'Cemento'");
        cemento.moveFirst();
        EXPECT_EQ(cemento.number("PrecioUniMat"), 9.0);
    }
    {
        SCOPED_TRACE("price lists");
        store::Database db = store::Database::openProject(projects.destino);
        db.execute("UPDATE Materiales SET PrecioUniMat = 7.85 WHERE DescripcionMat = 'Cemento'");
        lists::PriceLists lists = lists::loadPriceLists(projects.destino);
        lists::PriceList& materials = lists[0];
        for (int i = 0; i < materials.size(); ++i)
            if (materials.row(i).description == "Cemento")
                materials.commitPrice(i, "8");
        importPrices();
        const lists::PriceSaveOutcome outcome = lists::savePrices(db, lists);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.message.contains("cambiaron desde que abrió la ventana"))
            << outcome.message.toStdString();
    }
}

} // namespace
} // namespace korvex
