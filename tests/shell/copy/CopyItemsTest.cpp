// The copy of budget items between projects, without windows.

#include "shell/ops/CopyItems.h"

#include "../CopyFixture.h"
#include "store/Database.h"

#include <QDir>
#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;
using shell::SourceItem;

class CopyItems : public ::testing::Test {
protected:
    CopyProjects projects;
    store::Database destino = store::Database::openProject(projects.destino);
    store::Database origen = store::Database::openProject(projects.origen);

    SourceItem sourceItem(const QString& codigo, const QString& item) {
        const auto found = shell::findSourceItems(origen, codigo, item);
        EXPECT_EQ(found.size(), 1u) << codigo.toStdString() << " " << item.toStdString();
        return found.empty() ? SourceItem{} : found.front();
    }
    shell::ResultadoCopia copy(const std::vector<SourceItem>& items) {
        return shell::copyItems(destino, origen, items);
    }
};

// "code|item" of the i-th copy a result made.
QString copied(const shell::ResultadoCopia& result, int i) {
    return result.copiados[i].codigo + "|" + result.copiados[i].item;
}

TEST_F(CopyItems, RefusesTheRootTheProjectItselfAndFoldersWithoutAProject) {
    const QString root = projects.temp.root();
    QDir(root).mkdir("Vacia");
    const auto refused = [&](const QString& folder) {
        const engine::Resultado check = shell::checkSourceProject(folder, projects.destino, root);
        EXPECT_EQ(check.title, "Error") << folder.toStdString();
        return check.ok ? QString("ok") : check.message;
    };
    EXPECT_EQ(refused(root), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(refused(root.toUpper() + "/"), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(refused(projects.destino), "El Proyecto de Origen es el mismo que el Destino");
    EXPECT_EQ(refused(projects.destino.toLower() + "/"), "El Proyecto de Origen es el mismo que el Destino");
    EXPECT_EQ(refused(root + "/Vacia"), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_EQ(refused(root + "/NoExiste"), "La Carpeta Seleccionada no contiene ningun Proyecto");
    EXPECT_TRUE(shell::checkSourceProject(projects.origen, projects.destino, root).ok);

    // The operation itself never copies a project onto itself.
    addAnalysedItem(destino, "A", "1", "Muro");
    store::Database again = store::Database::openProject(projects.destino);
    const auto result = shell::copyItems(destino, again, {{"A", "1", "Muro", "m2"}});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "El Proyecto de Origen es el mismo que el Destino");
    EXPECT_EQ(tableCounts(destino), (QList<int>{1, 2, 1, 2, 2}));
}

TEST_F(CopyItems, CopiesTheItemWithLinesOfAllFourKindsAtPriceZeroAndNoQuantity) {
    addAnalysedItem(origen, "EST", "1.01", "Hormigón simple f'c=210");
    addAnalysedItem(origen, "EST", "1.02", "Encofrado");
    addLine(origen, "Materiales", "EST", "1.02", {"Tabla de monte", "u", 4.0, 1.2});
    addItem(origen, "ACA", "2.01", "Enlucido", "m2");
    addItem(destino, "EST", "1.02", "Otro rubro del destino");

    const auto items = shell::loadSourceItems(origen);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].codigo, "EST");
    EXPECT_EQ(items[0].descripcion, "Hormigón simple f'c=210");
    EXPECT_EQ(items[2].unidad, "m2");

    const auto result = copy({items[0], items[2]});
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    ASSERT_EQ(result.rubros(), 2);
    EXPECT_EQ(result.copiados[0].lineas, kAnalysedItemLines);
    EXPECT_EQ(result.copiados[1].lineas, 0);
    EXPECT_EQ(shell::copySummary(result), "Rubros copiados: 2, con 7 línea(s)");
    EXPECT_EQ(itemPairs(destino), (QStringList{"EST|1.02", "EST|1.01", "ACA|2.01"}));

    // The item without quantity, group or total; every line as in the source, in its order, with
    // price 0.
    const auto rows = [&](const QString& sql) {
        QStringList out;
        auto lines = destino.openRecordSet(sql + " WHERE CodigoPres = 'EST' and ItemPres = '1.01'");
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            QStringList fields;
            for (const QString& field : lines.fieldNames())
                fields << (lines.isNull(field) ? "<null>" : lines.text(field));
            out << fields.join('|');
        }
        return out;
    };
    EXPECT_EQ(
        rows("SELECT DescripcionPres, UnidadPres, CantidadPres, GruposPres, TotalPres FROM Presupuesto"),
        (QStringList{"Hormigón simple f'c=210|m2|<null>|<null>|<null>"}));
    EXPECT_EQ(rows("SELECT DescripcionMat, UnidadMat, CantidadMat, PrecioUniMat FROM Materiales"),
              (QStringList{"Cemento|saco|7.5|0", "Arena fina|m3|0.65|0"}));
    EXPECT_EQ(rows("SELECT DescripcionMaq, HorasMaq, RendimientoMaq, CostoMaq FROM Maquinaria"),
              (QStringList{"Concretera de 1 saco|1|0.8|0"}));
    EXPECT_EQ(rows("SELECT DescripcionMan, CategoriaMan, HorasMan, RendimientoMan, SalarioMan FROM ManoObra"),
              (QStringList{"Peón|E2|3|0.8|0", "Albañil|D2|1|0.8|0"}));
    EXPECT_EQ(rows("SELECT DescripcionTran, UnidadTran, CantidadTran, PrecioTran FROM Transporte"),
              (QStringList{"Cemento|saco|7.5|0", "Arena fina|m3|0.65|0"}));
    // The destination's own item and the source are untouched.
    EXPECT_EQ(linesOf(destino, "EST", "1.02"), 0);
    EXPECT_EQ(tableCounts(origen), (QList<int>{3, 5, 2, 4, 4}));
}

TEST_F(CopyItems, ATakenPairGetsOneCAndMoreOnlyWhereThatOneIsTakenToo) {
    addAnalysedItem(origen, "A", "1", "Muro");
    addAnalysedItem(origen, "B", "2", "Piso");
    addItem(destino, "A", "1", "Muro del destino");
    addLine(destino, "Materiales", "A", "1", {"Ladrillo", "u", 50.0, 0.3});
    addItem(destino, "B", "2", "Piso del destino");
    addItem(destino, "CB", "C2", "Piso copiado antes");
    addItem(destino, "A", "9", "Mismo código, otro número");

    auto result = copy({sourceItem("A", "1"), sourceItem("B", "2")});
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(copied(result, 0) + " " + copied(result, 1), "CA|C1 CCB|CC2");
    // The lines went with the copies, never under the items already there.
    EXPECT_EQ(linesOf(destino, "A", "1"), 1);
    EXPECT_EQ(linesOf(destino, "CA", "C1"), kAnalysedItemLines);
    EXPECT_EQ(linesOf(destino, "CB", "C2"), 0);
    EXPECT_EQ(linesOf(destino, "CCB", "CC2"), kAnalysedItemLines);

    // Copying again: each copy finds the earlier ones and takes the next free pair.
    result = copy({sourceItem("A", "1"), sourceItem("A", "1")});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(copied(result, 0) + " " + copied(result, 1), "CCA|CC1 CCCA|CCC1");
    EXPECT_EQ(linesOf(destino, "CCCA", "CCC1"), kAnalysedItemLines);

    // The same code with another number is no collision; lines left under a pair with no item
    // would join the copy, so that pair counts as taken.
    addItem(origen, "A", "3", "Columna");
    addLine(destino, "ManoObra", "A", "4", {"Peón", "E2", 1.0, 1.0, 3.6});
    addItem(origen, "A", "4", "Viga");
    result = copy({sourceItem("A", "3"), sourceItem("A", "4")});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(copied(result, 0) + " " + copied(result, 1), "A|3 CA|C4");
    EXPECT_EQ(linesOf(destino, "CA", "C4"), 0);
}

TEST_F(CopyItems, AFailureAnywhereLeavesTheDestinationAsItWasAndNamesTheItem) {
    FailureGuard guard;
    addAnalysedItem(origen, "A", "1", "Muro");
    addAnalysedItem(origen, "B", "2", "Piso");
    addItem(destino, "A", "1", "Muro del destino");
    const QList<int> before = tableCounts(destino);
    const QStringList pairsBefore = itemPairs(destino);
    const std::vector<SourceItem> items = {sourceItem("A", "1"), sourceItem("B", "2")};

    // Two items and seven lines each: 16 writes; fail each of them in turn.
    for (int n = 0; n < 2 * (1 + kAnalysedItemLines); ++n) {
        store::testing::failAfterWrites(n);
        const auto result = copy(items);
        store::testing::failAfterWrites(-1);
        EXPECT_FALSE(result.ok) << n;
        EXPECT_EQ(result.title, "Error");
        EXPECT_TRUE(result.copiados.empty());
        const QString failed =
            n <= kAnalysedItemLines ? "No se pudo copiar el rubro A 1: " : "No se pudo copiar el rubro B 2: ";
        EXPECT_TRUE(result.message.startsWith(failed)) << n << " " << result.message.toStdString();
        EXPECT_TRUE(result.message.endsWith("No se copió ningún rubro.")) << result.message.toStdString();
        EXPECT_EQ(tableCounts(destino), before) << n;
        EXPECT_EQ(itemPairs(destino), pairsBefore) << n;
    }
    const auto result = copy(items);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.lineas(), 2 * kAnalysedItemLines);
    EXPECT_EQ(itemPairs(destino), (QStringList{"A|1", "CA|C1", "B|2"}));
}

TEST_F(CopyItems, QuotesInCodesNumbersAndDescriptionsAreOrdinaryText) {
    const QString codigo = "O'R";
    const QString item = "1'01";
    addItem(origen, codigo, item, "Muro \"tipo A\" d'Ángel", "m'2");
    addLine(origen, "Materiales", codigo, item, {"Tubo 1/2\" d'agua", "m'", 2.0, 3.5});
    addLine(origen, "ManoObra", codigo, item, {"Peón' OR '1'='1", "E'2", 1.0, 1.0, 3.6});
    addAnalysedItem(origen, "O", "1", "Rubro que un filtro mal escrito encontraría");

    for (const char* expected : {"O'R|1'01", "CO'R|C1'01"}) {
        const auto result = copy({sourceItem(codigo, item)});
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        EXPECT_EQ(copied(result, 0), expected);
        EXPECT_EQ(result.copiados[0].lineas, 2);
    }
    EXPECT_EQ(linesOf(destino, "CO'R", "C1'01"), 2);
    auto line = destino.openRecordSet("SELECT * FROM ManoObra WHERE CodigoPres = ?", {"CO'R"});
    ASSERT_EQ(line.recordCount(), 1);
    line.moveFirst();
    EXPECT_EQ(line.text("DescripcionMan"), "Peón' OR '1'='1");
    EXPECT_EQ(line.text("CategoriaMan"), "E'2");
    auto copied = destino.openRecordSet("SELECT * FROM Presupuesto WHERE ItemPres = ?", {"1'01"});
    ASSERT_EQ(copied.recordCount(), 1);
    copied.moveFirst();
    EXPECT_EQ(copied.text("DescripcionPres"), "Muro \"tipo A\" d'Ángel");
    EXPECT_EQ(copied.text("UnidadPres"), "m'2");
}

TEST_F(CopyItems, EverySourceItemIsListedInStoredOrder) {
    {
        store::Transaction transaction(origen);
        for (int i = 1; i <= 260; ++i)
            addItem(origen, "R", QString::number(i), QString("Rubro %1").arg(i));
        transaction.commit();
    }
    const auto items = shell::loadSourceItems(origen);
    ASSERT_EQ(items.size(), 260u);
    EXPECT_EQ(items.front().item, "1");
    EXPECT_EQ(items[198].item, "199");
    EXPECT_EQ(items.back().item, "260");
    const auto result = copy(items);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(count(destino, "Presupuesto"), 260);

    store::Database empty = store::Database::openProject(projects.temp.newProject("Vacio"));
    EXPECT_TRUE(shell::loadSourceItems(empty).empty());

    // An item without a code is listed, but the budget editor would drop a copy of it: refused.
    addItem(origen, " ", "261", "Sin código");
    const auto listed = shell::loadSourceItems(origen);
    ASSERT_EQ(listed.size(), 261u);
    EXPECT_FALSE(shell::canBeCopied(listed.back()));
    const QList<int> before = tableCounts(destino);
    const auto refused = copy({listed.front(), listed.back()});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message,
              "El rubro «Sin código» del proyecto de origen no tiene CÓDIGO. No se copió ningún rubro.");
    EXPECT_EQ(tableCounts(destino), before);
}

} // namespace
} // namespace korvex
