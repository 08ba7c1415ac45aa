#pragma once
// A project in a temporary root, with helpers that write budget items and resource lines the way
// the editors store them.

#include "TestProject.h"
#include "store/Database.h"

#include <QString>
#include <QVariantList>

namespace korvex::testing {

class FormulaProject {
public:
    FormulaProject() : folder_(root_.newProject("Reajuste")), db_(root_.open(folder_)) {}

    const QString& folder() const { return folder_; }
    QString root() const { return root_.root(); }
    store::Database& db() { return db_; }

    void add(const QString& table, const QStringList& fields, const QVariantList& values) {
        auto records = db_.openRecordSet("SELECT * FROM " + table);
        records.addNew();
        for (int i = 0; i < fields.size(); ++i)
            records.setValue(fields[i], values[i]);
        records.update();
    }
    void item(const QString& item, double quantity, const QString& code = "C1") {
        add("Presupuesto", {"CodigoPres", "ItemPres", "DescripcionPres", "UnidadPres", "CantidadPres"},
            {code, item, "Rubro " + item, "m2", quantity});
    }
    void material(const QString& item, const QString& description, const QString& unit, double quantity,
                  double price, const QString& code = "C1") {
        add("Materiales",
            {"CodigoPres", "ItemPres", "DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"},
            {code, item, description, unit, quantity, price});
    }
    void equipment(const QString& item, const QString& description, double hours, double yield, double cost,
                   const QString& code = "C1") {
        add("Maquinaria",
            {"CodigoPres", "ItemPres", "DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"},
            {code, item, description, hours, yield, cost});
    }
    void labour(const QString& item, const QString& description, const QString& category, double hours,
                double yield, double wage, const QString& code = "C1") {
        add("ManoObra",
            {"CodigoPres", "ItemPres", "DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan",
             "SalarioMan"},
            {code, item, description, category, hours, yield, wage});
    }
    void transport(const QString& item, const QString& description, const QString& unit, double quantity,
                   double price, const QString& code = "C1") {
        add("Transporte",
            {"CodigoPres", "ItemPres", "DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"},
            {code, item, description, unit, quantity, price});
    }
    void symbol(const QString& symbol, const QString& description, double percent, const QString& unit = {}) {
        add("SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
            {symbol, description, unit, percent});
    }
    int count(const QString& table) { return db_.openRecordSet("SELECT * FROM " + table).recordCount(); }

    // Item 1 (quantity 10): cement 5 kg @ 0.20, sand 0.5 m3 @ 12, mixer 1 h x 0.5 @ 4, labourer
    // 2 x 0.5 @ 3, sand haulage 0.5 m3 @ 2: direct cost 13.00 a unit, 130.00 over the item.
    void fillSample() {
        item("1", 10);
        material("1", "Cemento", "kg", 5, 0.20);
        material("1", "Arena", "m3", 0.5, 12);
        equipment("1", "Concretera", 1, 0.5, 4);
        labour("1", "Peon", "E2", 2, 0.5, 3);
        transport("1", "Arena", "m3", 0.5, 2);
    }

private:
    TempRoot root_;
    QString folder_;
    store::Database db_;
};

} // namespace korvex::testing
