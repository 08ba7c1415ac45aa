#include "BudgetFixture.h"

#include "budget/BudgetItems.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

// A sheet as typed, one row per code ("A1", "A2"...), item "1".
HojaPresupuesto typedSheet(const QStringList& codes)
{
    HojaPresupuesto hoja;
    for (int i = 0; i < codes.size(); ++i) {
        hoja.escribir(i + 1, kColCodigo, codes[i]);
        hoja.escribir(i + 1, kColItem, "1");
        hoja.escribir(i + 1, kColCantidad, "1");
    }
    return hoja;
}

QStringList codes(const HojaPresupuesto& hoja)
{
    QStringList out;
    for (int r = 1; r <= hoja.filas(); ++r)
        if (hoja.fila(r).esItem())
            out << hoja.celda(r, kColCodigo);
    return out;
}

TEST(BudgetSheet, QuantitiesAreShownAndKeptWithTwoDecimals)
{
    for (const auto& [typed, shown] : {std::pair{"1.5", "1.50"}, {"abc", "0.00"}, {"", "0.00"},
                                       {"1234,567", "1,234.57"}, {"1.234.567,5", "1,234,567.50"}})
        EXPECT_EQ(cantidadMostrada(typed), shown) << typed;

    HojaPresupuesto hoja;
    hoja.escribir(1, kColCantidad, "2,345");
    EXPECT_EQ(hoja.celda(1, kColCantidad), "2.35");
    hoja.escribir(1, kColCodigo, " A1 ");
    EXPECT_EQ(hoja.celda(1, kColCodigo), " A1 "); // codes are kept as typed
    hoja.vaciar(1, kColCantidad);
    EXPECT_EQ(hoja.celda(1, kColCantidad), "");
    EXPECT_TRUE(hoja.modificada());
}

TEST(BudgetSheet, InsertDeleteAndMoveFollowTheGridRows)
{
    HojaPresupuesto hoja = typedSheet({"A1", "A2", "A3", "A4", "A5"});
    hoja.insertar(2);
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A2", "A3", "A4", "A5"}));
    EXPECT_TRUE(hoja.fila(2).enBlanco());
    EXPECT_EQ(hoja.celda(3, kColCodigo), "A2");

    hoja.suprimir(2); // the empty row
    EXPECT_EQ(hoja.celda(2, kColCodigo), "A2");
    EXPECT_TRUE(hoja.eliminados().isEmpty());

    // Row 5 to row 2: the former rows 2 to 4 move down one.
    hoja.marcarMovimiento(5);
    EXPECT_TRUE(hoja.movimientoPendiente());
    EXPECT_EQ(hoja.completarMovimiento(2), 2);
    EXPECT_FALSE(hoja.movimientoPendiente());
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A5", "A2", "A3", "A4"}));

    // Row 2 to row 5: it lands before the former row 5, at row 4.
    hoja.marcarMovimiento(2);
    EXPECT_EQ(hoja.completarMovimiento(5), 4);
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A2", "A3", "A5", "A4"}));

    // Onto the empty row after the last item: it becomes the last item.
    hoja.marcarMovimiento(1);
    EXPECT_EQ(hoja.completarMovimiento(6), 5);
    EXPECT_EQ(codes(hoja), QStringList({"A2", "A3", "A5", "A4", "A1"}));
    EXPECT_EQ(hoja.filas(), kFilasMinimas);

    // Typed rows are not stored yet: deleting them leaves nothing to delete on saving.
    hoja.suprimir(1);
    EXPECT_EQ(codes(hoja), QStringList({"A3", "A5", "A4", "A1"}));
    EXPECT_TRUE(hoja.eliminados().isEmpty());
}

TEST(BudgetSheet, InsertingOrDeletingDuringAMoveKeepsTheMarkOnItsItem)
{
    HojaPresupuesto hoja = typedSheet({"A1", "A2", "A3"});
    hoja.marcarMovimiento(3);
    hoja.insertar(1);
    EXPECT_EQ(hoja.filaMarcada(), 4);
    hoja.suprimir(1);
    EXPECT_EQ(hoja.filaMarcada(), 3);
    hoja.completarMovimiento(1);
    EXPECT_EQ(codes(hoja), QStringList({"A3", "A1", "A2"}));

    hoja.marcarMovimiento(2);
    hoja.suprimir(2); // deleting the marked item ends the move
    EXPECT_FALSE(hoja.movimientoPendiente());
    EXPECT_EQ(codes(hoja), QStringList({"A3", "A2"}));
}

TEST(BudgetSheet, GrowsInsteadOfPushingItemsOut)
{
    QStringList many;
    for (int i = 1; i <= kFilasMinimas; ++i)
        many << QString("C%1").arg(i);
    HojaPresupuesto hoja = typedSheet(many);
    EXPECT_EQ(hoja.items(), kFilasMinimas);
    EXPECT_GT(hoja.filas(), kFilasMinimas);
    EXPECT_TRUE(hoja.fila(hoja.filas()).enBlanco());

    hoja.insertar(1);
    hoja.insertar(1);
    EXPECT_EQ(hoja.items(), kFilasMinimas);
    EXPECT_EQ(hoja.celda(hoja.filas() - 1, kColCodigo), QString("C%1").arg(kFilasMinimas));
    hoja.escribir(hoja.filas(), kColCodigo, "Z");
    EXPECT_EQ(hoja.items(), kFilasMinimas + 1);
    EXPECT_TRUE(hoja.fila(hoja.filas()).enBlanco());
}

class BudgetSave : public korvex::testing::BudgetProject {
protected:
    // Five stored items A1..A5 (item "1"), each with one line of every kind priced by its number.
    void fiveItems()
    {
        for (int i = 1; i <= 5; ++i) {
            const QString code = QString("A%1").arg(i);
            item(code, "1", "Rubro " + code, "m3", i);
            lines(code, "1", i);
        }
    }

    HojaPresupuesto load() { return HojaPresupuesto(leerPresupuesto(db)); }

    ResultadoGrabacion save(HojaPresupuesto& hoja) { return grabarPresupuesto(db, hoja); }

    int allLines()
    {
        int n = 0;
        for (const char* table : {"Materiales", "Maquinaria", "ManoObra", "Transporte"})
            n += db.openRecordSet(QString("SELECT * FROM ") + table).recordCount();
        return n;
    }
};

TEST_F(BudgetSave, LoadsInBudgetOrderAndSavesTheGridOrder)
{
    item("Z9", "1", "Ultimo codigo", "u", 1.005);
    item("A1", "2", "Primero", "m2", 2);
    db.execute("UPDATE Presupuesto SET GruposPres = ? WHERE CodigoPres = ?", {"Obra gris", "A1"});
    HojaPresupuesto hoja = load();
    EXPECT_EQ(codes(hoja), QStringList({"Z9", "A1"}));
    EXPECT_EQ(hoja.celda(1, kColCantidad), "1.01");
    EXPECT_EQ(hoja.celda(1, kColCodigoCargado), "Z9");
    EXPECT_EQ(hoja.celda(2, kColGrupo), "Obra gris");
    EXPECT_FALSE(hoja.modificada());

    hoja.marcarMovimiento(2);
    hoja.completarMovimiento(1);
    const ResultadoGrabacion r = save(hoja);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.items, 2);
    EXPECT_EQ(storedItems(), QStringList({"A1/2", "Z9/1"}));
    auto rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    EXPECT_EQ(rs.text("GruposPres"), "Obra gris");
    rs.moveNext();
    // An untouched quantity keeps all its decimals; the group of an ungrouped item stays Null.
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 1.005);
    EXPECT_TRUE(rs.isNull("GruposPres"));
    EXPECT_FALSE(hoja.modificada());
}

TEST_F(BudgetSave, TypedQuantitiesAreStoredAsShownAndAnEmptyOneAsZero)
{
    HojaPresupuesto hoja;
    hoja.escribir(1, kColCodigo, "B1");
    hoja.escribir(1, kColCantidad, "1234,567");
    hoja.escribir(2, kColCodigo, "B2");
    hoja.escribir(3, kColCodigo, "B3");
    hoja.escribir(3, kColCantidad, "5");
    hoja.vaciar(3, kColCantidad);
    ASSERT_TRUE(save(hoja).ok);
    auto rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 1234.57);
    rs.moveNext();
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 0);
    EXPECT_FALSE(rs.isNull("CantidadPres"));
    rs.moveNext();
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 0);
}

TEST_F(BudgetSave, RenamingMovesTheAnalysisAndDeletingRemovesIt)
{
    fiveItems();
    HojaPresupuesto hoja = load();
    hoja.escribir(1, kColCodigo, "B1");  // A1 -> B1
    hoja.escribir(2, kColItem, "2");     // A2/1 -> A2/2
    hoja.suprimir(3);                    // A3 deleted
    ASSERT_TRUE(save(hoja).ok);

    EXPECT_EQ(storedItems(), QStringList({"B1/1", "A2/2", "A4/1", "A5/1"}));
    EXPECT_EQ(lineCount("B1", "1"), 4);
    EXPECT_EQ(lineCount("A1", "1"), 0);
    EXPECT_DOUBLE_EQ(materialPrice("B1", "1"), 1);
    EXPECT_EQ(lineCount("A2", "2"), 4);
    EXPECT_EQ(lineCount("A2", "1"), 0);
    EXPECT_EQ(lineCount("A3", "1"), 0);
    EXPECT_EQ(lineCount("A4", "1"), 4);
    EXPECT_EQ(allLines(), 16);

    // The save took the sheet as stored: a new item under the deleted key keeps its new lines
    // at the next save, and the renamed item is not renamed again.
    hoja.escribir(5, kColCodigo, "A3");
    hoja.escribir(5, kColItem, "1");
    ASSERT_TRUE(save(hoja).ok);
    lines("A3", "1", 33);
    lines("A1", "1", 11);
    hoja.escribir(1, kColDescripcion, "Otra descripcion");
    ASSERT_TRUE(save(hoja).ok);
    EXPECT_EQ(lineCount("A3", "1"), 4);
    EXPECT_EQ(lineCount("A1", "1"), 4);
    EXPECT_EQ(lineCount("B1", "1"), 4);
}

TEST_F(BudgetSave, ItemsThatExchangeTheirKeysKeepTheirOwnLines)
{
    fiveItems();
    HojaPresupuesto hoja = load();
    hoja.escribir(1, kColCodigo, "A2");
    hoja.escribir(2, kColCodigo, "A1");
    // And a rotation of three.
    hoja.escribir(3, kColCodigo, "A4");
    hoja.escribir(4, kColCodigo, "A5");
    hoja.escribir(5, kColCodigo, "A3");
    ASSERT_TRUE(save(hoja).ok);
    EXPECT_DOUBLE_EQ(materialPrice("A2", "1"), 1);
    EXPECT_DOUBLE_EQ(materialPrice("A1", "1"), 2);
    EXPECT_DOUBLE_EQ(materialPrice("A4", "1"), 3);
    EXPECT_DOUBLE_EQ(materialPrice("A5", "1"), 4);
    EXPECT_DOUBLE_EQ(materialPrice("A3", "1"), 5);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(lineCount(QString("A%1").arg(i), "1"), 4);
}

TEST_F(BudgetSave, AFailureAnywhereLeavesTheProjectExactlyAsBefore)
{
    fiveItems();
    const QStringList before = storedItems();
    const auto edited = [this] {
        HojaPresupuesto hoja = load();
        hoja.suprimir(5);
        hoja.escribir(1, kColCodigo, "A2");
        hoja.escribir(2, kColCodigo, "A1");
        hoja.escribir(3, kColDescripcion, "Cambiada");
        hoja.insertar(1);
        hoja.escribir(1, kColCodigo, "N1");
        return hoja;
    };
    int writes = 0;
    for (;; ++writes) {
        ASSERT_LT(writes, 200);
        HojaPresupuesto hoja = edited();
        store::testing::failAfterWrites(writes);
        const ResultadoGrabacion r = save(hoja);
        store::testing::failAfterWrites(-1);
        if (r.ok)
            break;
        EXPECT_TRUE(r.title.isEmpty());
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_TRUE(hoja.modificada());
        ASSERT_EQ(storedItems(), before) << "failing write " << writes;
        ASSERT_DOUBLE_EQ(materialPrice("A1", "1"), 1) << "failing write " << writes;
        ASSERT_DOUBLE_EQ(materialPrice("A2", "1"), 2) << "failing write " << writes;
        ASSERT_EQ(lineCount("A5", "1"), 4) << "failing write " << writes;
    }
    EXPECT_GE(writes, 10); // deletions, the rewrite and the re-keying each had their turn to fail
    EXPECT_EQ(storedItems(), QStringList({"N1/", "A2/1", "A1/1", "A3/1", "A4/1"}));
    EXPECT_DOUBLE_EQ(materialPrice("A2", "1"), 1);
    EXPECT_DOUBLE_EQ(materialPrice("A1", "1"), 2);
    EXPECT_EQ(lineCount("A5", "1"), 0);
}

TEST_F(BudgetSave, RefusesRowsItCannotStoreAndWritesNothing)
{
    fiveItems();
    HojaPresupuesto hoja = load();
    hoja.suprimir(1);                   // rows: A2, A3, A4, A5
    hoja.escribir(3, kColCodigo, "a3"); // the database compares keys without regard to case
    ResultadoGrabacion r = save(hoja);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.title, "Advertencia");
    EXPECT_TRUE(r.message.contains("repetido")) << r.message.toStdString();

    hoja.escribir(3, kColCodigo, "A4");
    hoja.escribir(7, kColDescripcion, "Sin codigo");
    r = save(hoja);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "La fila 7 tiene datos pero no tiene CÓDIGO");

    EXPECT_EQ(storedItems(), QStringList({"A1/1", "A2/1", "A3/1", "A4/1", "A5/1"}));
    EXPECT_EQ(lineCount("A1", "1"), 4);

    hoja.vaciar(7, kColDescripcion);
    EXPECT_TRUE(save(hoja).ok);
    EXPECT_EQ(lineCount("A1", "1"), 0);
}

TEST_F(BudgetSave, QuotesInCodesAndDescriptionsAreOrdinaryText)
{
    item("A'1", "1'", "Hormigon f'c = 210 kg/cm2", "m3", 1);
    lines("A'1", "1'", 7);
    HojaPresupuesto hoja = load();
    EXPECT_EQ(hoja.celda(1, kColDescripcion), "Hormigon f'c = 210 kg/cm2");
    hoja.escribir(1, kColCodigo, "B'2");
    hoja.escribir(2, kColCodigo, "C'3");
    hoja.escribir(2, kColDescripcion, "Muro 'tipo' \"A\"");
    ASSERT_TRUE(save(hoja).ok);
    EXPECT_EQ(storedItems(), QStringList({"B'2/1'", "C'3/"}));
    EXPECT_DOUBLE_EQ(materialPrice("B'2", "1'"), 7);
    hoja.suprimir(1);
    ASSERT_TRUE(save(hoja).ok);
    EXPECT_EQ(lineCount("B'2", "1'"), 0);
    EXPECT_EQ(load().celda(1, kColDescripcion), "Muro 'tipo' \"A\"");
}

TEST_F(BudgetSave, AnEmptyProjectLoadsEmptyAndAnEmptiedGridEmptiesTheBudget)
{
    HojaPresupuesto vacia = load();
    EXPECT_EQ(vacia.items(), 0);
    EXPECT_EQ(vacia.filas(), kFilasMinimas);
    EXPECT_TRUE(save(vacia).ok);

    fiveItems();
    HojaPresupuesto hoja = load();
    for (int i = 0; i < 5; ++i)
        hoja.suprimir(1);
    ASSERT_TRUE(save(hoja).ok);
    EXPECT_TRUE(storedItems().isEmpty());
    EXPECT_EQ(allLines(), 0);
}

} // namespace
