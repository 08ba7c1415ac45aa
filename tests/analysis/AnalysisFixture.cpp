#include "AnalysisFixture.h"

namespace korvex::testing {

namespace {

void addRecord(store::Database& db, const QString& table, const QStringList& fields,
               const QVariantList& values) {
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks.append("?");
    db.execute("INSERT INTO " + table + " (" + fields.join(", ") + ") VALUES (" + marks.join(", ") + ")",
               values);
}

QString show(const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 12);
    return value.toString();
}

QStringList describe(store::RecordSet rs, const QStringList& fields) {
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList parts;
        for (const QString& f : fields)
            parts.append(show(rs.value(f)));
        out.append(parts.join('|'));
    }
    return out;
}

} // namespace

AnalysisProject::AnalysisProject() : folder(root.newProject("Analisis")), db(root.open(folder)) {}

void AnalysisProject::setHeader(double indirectos, double otros, bool herramienta, const QString& name) {
    db.execute("DELETE FROM Proyecto");
    addRecord(db, "Proyecto", {"Proyecto", "CostosIndirectos", "OtrosIndirectos", "Herramienta", "IVA"},
              {name, indirectos, otros, herramienta, false});
}

void AnalysisProject::addItem(const QString& code, const QString& item, const QString& description,
                              const QString& unit) {
    addRecord(db, "Presupuesto", {"CodigoPres", "ItemPres", "DescripcionPres", "UnidadPres", "CantidadPres"},
              {code, item, description, unit, 1.0});
}

void AnalysisProject::addMaterial(const QString& code, const QString& item, const QString& description,
                                  const QString& unit, double quantity, double price) {
    addRecord(db, "Materiales",
              {"CodigoPres", "ItemPres", "DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"},
              {code, item, description, unit, quantity, price});
}

void AnalysisProject::addEquipment(const QString& code, const QString& item, const QString& description,
                                   double hours, double yield, double rate) {
    addRecord(db, "Maquinaria",
              {"CodigoPres", "ItemPres", "DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"},
              {code, item, description, hours, yield, rate});
}

void AnalysisProject::addLabour(const QString& code, const QString& item, const QString& description,
                                const QString& category, double hours, double yield, double wage) {
    addRecord(db, "ManoObra",
              {"CodigoPres", "ItemPres", "DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan",
               "SalarioMan"},
              {code, item, description, category, hours, yield, wage});
}

void AnalysisProject::addTransport(const QString& code, const QString& item, const QString& description,
                                   const QString& unit, double quantity, double price) {
    addRecord(db, "Transporte",
              {"CodigoPres", "ItemPres", "DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"},
              {code, item, description, unit, quantity, price});
}

QStringList AnalysisProject::lines(const QString& table, const QString& code, const QString& item,
                                   const QStringList& fields) {
    return describe(
        db.openRecordSet("SELECT * FROM " + table + " WHERE CodigoPres = ? and ItemPres = ?", {code, item}),
        fields);
}

QStringList AnalysisProject::all(const QString& table, const QStringList& fields) {
    return describe(db.openRecordSet("SELECT * FROM " + table), fields);
}

} // namespace korvex::testing
