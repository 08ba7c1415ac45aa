#pragma once
// A project in a temporary root, with helpers that write budget items and resource lines the way
// the editors store them.

#include "TestProject.h"
#include "store/Database.h"

#include <QString>
#include <QVariantMap>

namespace korvex::testing {

class FormulaProject {
public:
    FormulaProject() : folder_(root_.newProject("Reajuste")), db_(root_.open(folder_)) {}

    const QString& folder() const { return folder_; }
    QString root() const { return root_.root(); }
    store::Database& db() { return db_; }

    void add(const QString& table, const QVariantMap& fields) {
        auto records = db_.openRecordSet("SELECT * FROM " + table);
        records.addNew();
        for (auto it = fields.begin(); it != fields.end(); ++it)
            records.setValue(it.key(), it.value());
        records.update();
    }
    void item(const QString& item, double quantity, const QString& code = "C1") {
        add("Presupuesto", {{"CodigoPres", code},
                            {"ItemPres", item},
                            {"DescripcionPres", "Rubro " + item},
                            {"UnidadPres", "m2"},
                            {"CantidadPres", quantity}});
    }
    void material(const QString& item, const QString& description, const QString& unit, double quantity,
                  double price, const QString& code = "C1") {
        add("Materiales", {{"CodigoPres", code},
                           {"ItemPres", item},
                           {"DescripcionMat", description},
                           {"UnidadMat", unit},
                           {"CantidadMat", quantity},
                           {"PrecioUniMat", price}});
    }
    void equipment(const QString& item, const QString& description, double hours, double yield, double cost,
                   const QString& code = "C1") {
        add("Maquinaria", {{"CodigoPres", code},
                           {"ItemPres", item},
                           {"DescripcionMaq", description},
                           {"HorasMaq", hours},
                           {"RendimientoMaq", yield},
                           {"CostoMaq", cost}});
    }
    void labour(const QString& item, const QString& description, const QString& category, double hours,
                double yield, double wage, const QString& code = "C1") {
        add("ManoObra", {{"CodigoPres", code},
                         {"ItemPres", item},
                         {"DescripcionMan", description},
                         {"CategoriaMan", category},
                         {"HorasMan", hours},
                         {"RendimientoMan", yield},
                         {"SalarioMan", wage}});
    }
    void transport(const QString& item, const QString& description, const QString& unit, double quantity,
                   double price, const QString& code = "C1") {
        add("Transporte", {{"CodigoPres", code},
                           {"ItemPres", item},
                           {"DescripcionTran", description},
                           {"UnidadTran", unit},
                           {"CantidadTran", quantity},
                           {"PrecioTran", price}});
    }
    void symbol(const QString& symbol, const QString& description, double percent, const QString& unit = {}) {
        add("SimbolosMat", {{"Simbolo", symbol},
                            {"DescripcionMat", description},
                            {"UnidadMat", unit},
                            {"PorcentajeSimb", percent}});
    }
    int count(const QString& table) { return db_.openRecordSet("SELECT * FROM " + table).recordCount(); }

private:
    TempRoot root_;
    QString folder_;
    store::Database db_;
};

} // namespace korvex::testing
