#pragma once
// A project in a temporary root with helpers to write its header, items and analysis lines
// directly through the store, and to read them back.

#include "TestProject.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace korvex::testing {

class BudgetProject : public ::testing::Test {
protected:
    BudgetProject() : folder(root.newProject("Obra")), db(root.open(folder)) {}

    void header(double costosIndirectos = 0, double otrosIndirectos = 0, bool iva = false,
                bool herramienta = false) {
        db.execute("INSERT INTO Proyecto (Proyecto, CostosIndirectos, OtrosIndirectos, IVA, Herramienta) "
                   "VALUES (?, ?, ?, ?, ?)",
                   {"Escuela Fiscal", costosIndirectos, otrosIndirectos, iva, herramienta});
    }

    void item(const QString& codigo, const QString& itemPres, const QString& descripcion, double cantidad) {
        db.execute(
            "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, CantidadPres) "
            "VALUES (?, ?, ?, ?, ?)",
            {codigo, itemPres, descripcion, "m3", cantidad});
    }

    // One line of each kind for the item; the material priced at precio, the rest at 0.
    void lines(const QString& codigo, const QString& itemPres, double precio = 1) {
        const QVariantList clave{codigo, itemPres};
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                   "PrecioUniMat) VALUES (?, ?, 'Cemento', 'saco', 1, ?)",
                   clave + QVariantList{precio});
        db.execute("INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, HorasMaq, RendimientoMaq, "
                   "CostoMaq) VALUES (?, ?, 'Concretera', 1, 1, 0)",
                   clave);
        db.execute("INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, HorasMan, "
                   "RendimientoMan, SalarioMan) VALUES (?, ?, 'Peon', 'E2', 1, 1, 0)",
                   clave);
        db.execute("INSERT INTO Transporte (CodigoPres, ItemPres, DescripcionTran, UnidadTran, CantidadTran, "
                   "PrecioTran) VALUES (?, ?, 'Cemento', 'saco', 1, 0)",
                   clave);
    }

    // Lines of the item in all four tables.
    int lineCount(const QString& codigo, const QString& itemPres) {
        int n = 0;
        for (const char* table : {"Materiales", "Maquinaria", "ManoObra", "Transporte"})
            n +=
                db.openRecordSet(QString("SELECT * FROM %1 WHERE CodigoPres = ? and ItemPres = ?").arg(table),
                                 {codigo, itemPres})
                    .recordCount();
        return n;
    }

    double materialPrice(const QString& codigo, const QString& itemPres) {
        auto rs = db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = ? and ItemPres = ?",
                                   {codigo, itemPres});
        return rs.eof() ? -1 : rs.number("PrecioUniMat");
    }

    // "code/item" of every stored item in budget order.
    QStringList storedItems() {
        QStringList out;
        for (auto rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice"); !rs.eof();
             rs.moveNext())
            out << rs.text("CodigoPres") + "/" + rs.text("ItemPres");
        return out;
    }

    TempRoot root;
    QString folder;
    store::Database db;
    FailureGuard guard;
};

} // namespace korvex::testing
