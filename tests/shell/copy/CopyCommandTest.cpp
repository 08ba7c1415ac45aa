// korvex copy-items PROJECT SOURCE CODE:ITEM... | --all

#include "../CopyFixture.h"
#include "CommandRun.h"
#include "store/Database.h"

#include <QDir>
#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

class CopyCommand : public ::testing::Test {
protected:
    CopyProjects projects;

    CommandRun command(const QStringList& args) {
        return runCommand(QStringList{"--root", projects.temp.root(), "copy-items"} + args);
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
    CommandRun run = command({"Destino", projects.origen, "A:1.01", "C:X:3"});
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
        const CommandRun run = command(args);
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

} // namespace
} // namespace korvex
