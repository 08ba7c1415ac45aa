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

    void insert(const QString& table, const QString& fields, const QVariantList& values) {
        const QString marks = QStringLiteral(", ?").repeated(values.size()).mid(2);
        db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, fields, marks), values);
    }
    void header(double costosIndirectos, double otrosIndirectos, bool herramienta) {
        insert("Proyecto", "Proyecto, CostosIndirectos, OtrosIndirectos, Herramienta",
               {QStringLiteral("Prueba"), costosIndirectos, otrosIndirectos, herramienta});
    }
    void item(const QString& codigo, const QString& item, double cantidad, const QVariant& total = 0.0) {
        insert("Presupuesto", "CodigoPres, ItemPres, DescripcionPres, UnidadPres, CantidadPres, TotalPres",
               {codigo, item, "Rubro " + codigo, QStringLiteral("m2"), cantidad, total});
    }
    void material(const QString& codigo, const QString& item, const QString& descripcion,
                  const QString& unidad, const QVariant& cantidad, const QVariant& precio) {
        insert("Materiales", "CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, PrecioUniMat",
               {codigo, item, descripcion, unidad, cantidad, precio});
    }
    void equipo(const QString& codigo, const QString& item, const QString& descripcion, double horas,
                double rendimiento, double costo) {
        insert("Maquinaria", "CodigoPres, ItemPres, DescripcionMaq, HorasMaq, RendimientoMaq, CostoMaq",
               {codigo, item, descripcion, horas, rendimiento, costo});
    }
    void manoObra(const QString& codigo, const QString& item, const QString& descripcion,
                  const QString& categoria, double horas, double rendimiento, double salario) {
        insert("ManoObra",
               "CodigoPres, ItemPres, DescripcionMan, CategoriaMan, HorasMan, RendimientoMan, SalarioMan",
               {codigo, item, descripcion, categoria, horas, rendimiento, salario});
    }
    void transporte(const QString& codigo, const QString& item, const QString& descripcion,
                    const QString& unidad, double cantidad, double precio) {
        insert("Transporte", "CodigoPres, ItemPres, DescripcionTran, UnidadTran, CantidadTran, PrecioTran",
               {codigo, item, descripcion, unidad, cantidad, precio});
    }

    // TotalPres of the items in Indice order.
    std::vector<double> storedPrices() {
        std::vector<double> out;
        for (auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice"); !items.eof();
             items.moveNext())
            out.push_back(items.number("TotalPres"));
        return out;
    }

    TempRoot root;
    FailureGuard guard;
    QString folder;
    store::Database db;
};

} // namespace korvex::testing
