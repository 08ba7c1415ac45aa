#pragma once
// A project in a temporary root, filled row by row through the store, for the engine tests.

#include "TestProject.h"
#include "store/Database.h"

#include <QVariant>
#include <gtest/gtest.h>

namespace korvex::testing {

class EngineTest : public ::testing::Test {
protected:
    EngineTest() : folder(root.newProject("Prueba")), db(root.open(folder)) {}

    void header(double costosIndirectos, double otrosIndirectos, bool herramienta) {
        db.execute("INSERT INTO Proyecto (Proyecto, CostosIndirectos, OtrosIndirectos, Herramienta) VALUES "
                   "(?, ?, ?, ?)",
                   {QStringLiteral("Prueba"), costosIndirectos, otrosIndirectos, herramienta});
    }
    void item(const QString& codigo, const QString& item, double cantidad, const QVariant& total = 0.0) {
        db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, "
                   "CantidadPres, TotalPres) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {codigo, item, "Rubro " + codigo, QStringLiteral("m2"), cantidad, total});
    }
    void material(const QString& codigo, const QString& item, const QString& descripcion,
                  const QString& unidad, const QVariant& cantidad, const QVariant& precio) {
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                   "PrecioUniMat) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {codigo, item, descripcion, unidad, cantidad, precio});
    }
    void equipo(const QString& codigo, const QString& item, const QString& descripcion, double horas,
                double rendimiento, double costo) {
        db.execute("INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, HorasMaq, RendimientoMaq, "
                   "CostoMaq) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {codigo, item, descripcion, horas, rendimiento, costo});
    }
    void manoObra(const QString& codigo, const QString& item, const QString& descripcion,
                  const QString& categoria, double horas, double rendimiento, double salario) {
        db.execute("INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, HorasMan, "
                   "RendimientoMan, "
                   "SalarioMan) VALUES (?, ?, ?, ?, ?, ?, ?)",
                   {codigo, item, descripcion, categoria, horas, rendimiento, salario});
    }
    void transporte(const QString& codigo, const QString& item, const QString& descripcion,
                    const QString& unidad, double cantidad, double precio) {
        db.execute("INSERT INTO Transporte (CodigoPres, ItemPres, DescripcionTran, UnidadTran, CantidadTran, "
                   "PrecioTran) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {codigo, item, descripcion, unidad, cantidad, precio});
    }

    // TotalPres of the items in Indice order.
    std::vector<double> storedPrices() {
        std::vector<double> out;
        auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
        if (items.recordCount() > 0)
            items.moveFirst();
        for (; !items.eof(); items.moveNext())
            out.push_back(items.number("TotalPres"));
        return out;
    }

    TempRoot root;
    FailureGuard guard;
    QString folder;
    store::Database db;
};

} // namespace korvex::testing
