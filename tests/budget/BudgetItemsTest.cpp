#include "budget/BudgetItems.h"

#include "BudgetFixture.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

// A sheet as typed, one row per code, item "1".
HojaPresupuesto typedSheet(const QStringList& codes) {
    HojaPresupuesto hoja;
    for (int i = 0; i < codes.size(); ++i) {
        hoja.escribir(i + 1, kColCodigo, codes[i]);
        hoja.escribir(i + 1, kColItem, "1");
    }
    return hoja;
}

QStringList codes(const HojaPresupuesto& hoja) {
    QStringList out;
    for (int r = 1; r <= hoja.filas(); ++r)
        if (hoja.fila(r).esItem())
            out << hoja.celda(r, kColCodigo);
    return out;
}

TEST(BudgetSheet, QuantitiesInsertDeleteAndMoveFollowTheGridRows) {
    QStringList shown;
    for (const char* typed : {"1.5", "abc", "", "1234,567", "2,345"})
        shown << cantidadMostrada(typed);
    EXPECT_EQ(shown, QStringList({"1.50", "0.00", "0.00", "1,234.57", "2.35"}));

    HojaPresupuesto hoja = typedSheet({"A1", "A2", "A3", "A4", "A5"});
    hoja.insertar(2);
    EXPECT_TRUE(hoja.fila(2).enBlanco());
    hoja.suprimir(2); // an empty row: nothing to delete on saving
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A2", "A3", "A4", "A5"}));

    hoja.marcarMovimiento(5); // row 5 to row 2: the former rows 2 to 4 move down one
    EXPECT_EQ(hoja.completarMovimiento(2), 2);
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A5", "A2", "A3", "A4"}));
    hoja.marcarMovimiento(2); // row 2 to row 5: it lands before the former row 5
    EXPECT_EQ(hoja.completarMovimiento(5), 4);
    EXPECT_EQ(codes(hoja), QStringList({"A1", "A2", "A3", "A5", "A4"}));
    hoja.marcarMovimiento(1); // onto the empty row after the last item: it becomes the last
    EXPECT_EQ(hoja.completarMovimiento(6), 5);
    EXPECT_EQ(codes(hoja), QStringList({"A2", "A3", "A5", "A4", "A1"}));
    EXPECT_FALSE(hoja.movimientoPendiente());

    // The mark follows its item when rows are inserted or deleted above it.
    hoja.marcarMovimiento(3);
    hoja.insertar(1);
    hoja.suprimir(2);
    hoja.completarMovimiento(1);
    EXPECT_EQ(codes(hoja), QStringList({"A5", "A3", "A4", "A1"}));
    hoja.marcarMovimiento(2);
    hoja.suprimir(2); // deleting the marked item ends the move
    EXPECT_FALSE(hoja.movimientoPendiente());
    EXPECT_TRUE(hoja.eliminados().isEmpty()); // typed rows were never stored
}

TEST(BudgetSheet, GrowsInsteadOfPushingItemsOut) {
    QStringList many;
    for (int i = 1; i <= kFilasMinimas; ++i)
        many << QString("C%1").arg(i);
    HojaPresupuesto hoja = typedSheet(many);
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
    // Stored items A1..A5 (item "1"), each with one line of every kind priced by its number.
    void fiveItems() {
        for (int i = 1; i <= 5; ++i) {
            item(QString("A%1").arg(i), "1", "Rubro", i);
            lines(QString("A%1").arg(i), "1", i);
        }
    }

    HojaPresupuesto load() { return cargarHoja(db); }
    bool save(HojaPresupuesto& hoja) { return grabarPresupuesto(db, hoja).ok; }
};

TEST_F(BudgetSave, KeepsTheGridOrderTheGroupsAndTheQuantitiesAsShown) {
    item("Z9", "1", "Ultimo codigo", 1.005);
    item("A1", "2", "Primero", 2);
    db.execute("UPDATE Presupuesto SET GruposPres = 'Obra gris' WHERE CodigoPres = 'A1'");
    HojaPresupuesto hoja = load();
    EXPECT_EQ(codes(hoja), QStringList({"Z9", "A1"}));
    EXPECT_EQ(hoja.celda(1, kColCantidad), "1.01");
    hoja.marcarMovimiento(2);
    hoja.completarMovimiento(1);
    hoja.escribir(3, kColCodigo, "B1");
    hoja.escribir(3, kColCantidad, "1234,567");
    hoja.escribir(4, kColCodigo, "B2"); // never given a quantity
    ASSERT_TRUE(save(hoja));
    EXPECT_FALSE(hoja.modificada());

    EXPECT_EQ(storedItems(), QStringList({"A1/2", "Z9/1", "B1/", "B2/"}));
    auto rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    EXPECT_EQ(rs.text("GruposPres"), "Obra gris");
    rs.moveNext();
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 1.005); // untouched: not rounded to what is shown
    EXPECT_TRUE(rs.isNull("GruposPres"));
    rs.moveNext();
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 1234.57);
    rs.moveNext();
    EXPECT_FALSE(rs.isNull("CantidadPres"));
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 0);
}

TEST_F(BudgetSave, RenamingMovesTheAnalysisAndDeletingRemovesItQuotesIncluded) {
    fiveItems();
    HojaPresupuesto hoja = load();
    hoja.escribir(1, kColCodigo, "B'1"); // A1 -> B'1: quotes are ordinary text
    hoja.escribir(2, kColItem, "2'");    // A2/1 -> A2/2'
    hoja.escribir(2, kColDescripcion, "Muro 'tipo' \"A\"");
    hoja.suprimir(3); // A3
    ASSERT_TRUE(save(hoja));
    EXPECT_EQ(storedItems(), QStringList({"B'1/1", "A2/2'", "A4/1", "A5/1"}));
    EXPECT_EQ(load().celda(2, kColDescripcion), "Muro 'tipo' \"A\"");
    EXPECT_DOUBLE_EQ(materialPrice("B'1", "1"), 1);
    for (const auto& [code, itemPres, n] : {std::tuple{"B'1", "1", 4},
                                            {"A1", "1", 0},
                                            {"A2", "2'", 4},
                                            {"A2", "1", 0},
                                            {"A3", "1", 0},
                                            {"A4", "1", 4}})
        EXPECT_EQ(lineCount(code, itemPres), n) << code << "/" << itemPres;

    // Saved is saved: a later save neither deletes again the lines of a new item typed under
    // the deleted key nor renames the renamed item again.
    hoja.escribir(5, kColCodigo, "A3");
    hoja.escribir(5, kColItem, "1");
    ASSERT_TRUE(save(hoja));
    lines("A3", "1");
    lines("A1", "1");
    hoja.escribir(1, kColDescripcion, "Otra");
    ASSERT_TRUE(save(hoja));
    EXPECT_EQ(QList<int>({lineCount("A3", "1"), lineCount("A1", "1"), lineCount("B'1", "1")}),
              QList<int>({4, 4, 4}));

    // An emptied grid empties the budget and every analysis.
    while (hoja.items() > 0)
        hoja.suprimir(1);
    ASSERT_TRUE(save(hoja));
    EXPECT_TRUE(storedItems().isEmpty());
    EXPECT_EQ(lineCount("A4", "1") + lineCount("A3", "1") + lineCount("B'1", "1"), 0);
}

TEST_F(BudgetSave, ItemsThatExchangeTheirKeysKeepTheirOwnLines) {
    fiveItems();
    HojaPresupuesto hoja = load();
    const QStringList nuevos = {"A2", "A1", "A4", "A5", "A3"}; // a swap and a rotation of three
    for (int r = 1; r <= 5; ++r)
        hoja.escribir(r, kColCodigo, nuevos[r - 1]);
    ASSERT_TRUE(save(hoja));
    for (int r = 1; r <= 5; ++r) {
        EXPECT_DOUBLE_EQ(materialPrice(nuevos[r - 1], "1"), r) << nuevos[r - 1].toStdString();
        EXPECT_EQ(lineCount(nuevos[r - 1], "1"), 4);
    }
}

TEST_F(BudgetSave, AFailureAnywhereLeavesTheProjectExactlyAsBefore) {
    fiveItems();
    const QStringList before = storedItems();
    int writes = 0;
    for (;; ++writes) {
        ASSERT_LT(writes, 200);
        HojaPresupuesto hoja = load();
        hoja.suprimir(5);
        hoja.escribir(1, kColCodigo, "A2");
        hoja.escribir(2, kColCodigo, "A1");
        hoja.insertar(1);
        hoja.escribir(1, kColCodigo, "N1");
        store::testing::failAfterWrites(writes);
        const ResultadoGrabacion r = grabarPresupuesto(db, hoja);
        store::testing::failAfterWrites(-1);
        if (r.ok)
            break;
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_TRUE(hoja.modificada());
        ASSERT_EQ(storedItems(), before) << "failing write " << writes;
        ASSERT_DOUBLE_EQ(materialPrice("A1", "1"), 1) << "failing write " << writes;
        ASSERT_EQ(lineCount("A5", "1"), 4) << "failing write " << writes;
    }
    EXPECT_GE(writes, 10); // the deletions, the rewrite and the re-keying each had their turn to fail
    EXPECT_EQ(storedItems(), QStringList({"N1/", "A2/1", "A1/1", "A3/1", "A4/1"}));
    EXPECT_DOUBLE_EQ(materialPrice("A1", "1"), 2);
    EXPECT_EQ(lineCount("A5", "1"), 0);
}

TEST_F(BudgetSave, RefusesRowsItCannotStoreAndWritesNothing) {
    fiveItems();
    HojaPresupuesto hoja = load();
    hoja.suprimir(1);
    hoja.escribir(3, kColCodigo, "a3"); // keys are compared without regard to case
    ResultadoGrabacion r = grabarPresupuesto(db, hoja);
    EXPECT_EQ(r.title, "Advertencia");
    EXPECT_EQ(r.message, "El CÓDIGO a3 con ÍTEM 1 está repetido en las filas 2 y 3");
    hoja.escribir(3, kColCodigo, "A4");
    hoja.vaciar(4, kColCodigo); // a stored item left without a code would orphan its lines
    EXPECT_EQ(grabarPresupuesto(db, hoja).message,
              "La fila 4 no tiene CÓDIGO: escríbalo o suprima la fila (F10)");
    EXPECT_EQ(storedItems().size(), 5);
    EXPECT_EQ(lineCount("A1", "1"), 4);
}

} // namespace

TEST_F(BudgetSave, ASecondCopyRefusesToOverwriteItemsChangedMeanwhile) {
    fiveItems();
    HojaPresupuesto first = load();
    HojaPresupuesto second = load();
    first.escribir(6, kColCodigo, "B1"); // added by the first copy
    first.escribir(6, kColCantidad, "2");
    ASSERT_TRUE(save(first));

    // The second copy would delete B1 by rewriting the table: refused, nothing written.
    second.escribir(1, kColDescripcion, "Otro");
    const ResultadoGrabacion refused = grabarPresupuesto(db, second);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message,
              "Los rubros B1 cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla");
    EXPECT_EQ(storedItems(), QStringList({"A1/1", "A2/1", "A3/1", "A4/1", "A5/1", "B1/"}));
    EXPECT_EQ(load().celda(1, kColDescripcion), "Rubro");

    // A field changed elsewhere names its item; a recalculation meanwhile (TotalPres) does not count.
    HojaPresupuesto third = load();
    db.execute("UPDATE Presupuesto SET TotalPres = 99");
    db.execute("UPDATE Presupuesto SET CantidadPres = 7 WHERE CodigoPres = 'A2'");
    third.escribir(1, kColDescripcion, "Otro");
    EXPECT_EQ(grabarPresupuesto(db, third).message,
              "Los rubros A2 1 cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla");
    HojaPresupuesto fourth = load();
    db.execute("UPDATE Presupuesto SET TotalPres = 98");
    fourth.escribir(1, kColDescripcion, "Otro");
    EXPECT_TRUE(save(fourth));
    fourth.escribir(2, kColDescripcion, "Y otro"); // the copy goes on from what it saved
    EXPECT_TRUE(save(fourth));
}

TEST_F(BudgetSave, ARetypedQuantityIsStoredAsShown) {
    item("A1", "1", "Rubro", 1.23456);
    item("A2", "1", "Rubro", 2.5);
    HojaPresupuesto hoja = load();
    EXPECT_EQ(hoja.celda(1, kColCantidad), "1.23");
    hoja.escribir(1, kColCantidad, "1.23"); // the text shown, typed again
    EXPECT_TRUE(hoja.modificada());
    hoja.escribir(2, kColCantidad, "1.2349999");
    EXPECT_EQ(hoja.celda(2, kColCantidad), "1.23");
    hoja.escribir(3, kColCodigo, "A3");
    hoja.escribir(3, kColCantidad, "-1.235");
    EXPECT_EQ(hoja.celda(3, kColCantidad), "-1.24");
    ASSERT_TRUE(save(hoja));
    auto rs = db.openRecordSet("SELECT CantidadPres FROM Presupuesto ORDER BY Indice");
    QList<double> stored;
    for (; !rs.eof(); rs.moveNext())
        stored << rs.number("CantidadPres");
    EXPECT_EQ(stored, (QList<double>{1.23, 1.23, -1.24}));
}
