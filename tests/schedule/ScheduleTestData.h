#pragma once
// Small budgets for the schedule tests, written through the store as the editors write them.

#include "TestProject.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

// Readable failures: gtest prints texts as texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{";
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << "}";
}
QT_END_NAMESPACE

namespace korvex::testing {

struct ScheduleProject {
    TempRoot root;
    QString folder = root.newProject("Cronograma");
    store::Database db = root.open(folder);

    void header(double indirectos = 0, double otros = 0, bool herramienta = false) {
        db.execute("INSERT INTO Proyecto (Proyecto, CostosIndirectos, OtrosIndirectos, Herramienta) VALUES "
                   "(?, ?, ?, ?)",
                   {"Escuela", indirectos, otros, herramienta});
    }

    void item(const QString& codigo, const QString& item, const QString& descripcion, double cantidad,
              const QVariant& grupo = {}, double totalPres = 0, const QString& unidad = "m3") {
        db.execute(
            "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, CantidadPres, "
            "GruposPres, TotalPres) VALUES (?, ?, ?, ?, ?, ?, ?)",
            {codigo, item, descripcion, unidad, cantidad, grupo, totalPres});
    }

    void material(const QString& codigo, const QString& item, const QString& descripcion, double cantidad,
                  double precio) {
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                   "PrecioUniMat) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {codigo, item, descripcion, "u", cantidad, precio});
    }

    void labour(const QString& codigo, const QString& item, const QString& descripcion, double horas,
                double salario, double rendimiento) {
        db.execute(
            "INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, HorasMan, SalarioMan, "
            "RendimientoMan) VALUES (?, ?, ?, ?, ?, ?, ?)",
            {codigo, item, descripcion, "III", horas, salario, rendimiento});
    }

    void group(const QString& grupo, const QVariant& descripcion = {}, const QVariant& orden = {}) {
        db.execute("INSERT INTO Grupos (Grupo, DescripcionGru, OrdenGru) VALUES (?, ?, ?)",
                   {grupo, descripcion, orden});
    }

    void detail(const QString& grupo, int periodo, double porcentaje, int semanas, int orden = 0) {
        db.execute("INSERT INTO DetalleGrupo (Grupo, PeriodoGru, PorcentajeGru, SemanasGru, OrdenGru) VALUES "
                   "(?, ?, ?, ?, ?)",
                   {grupo, periodo, porcentaje, semanas, orden});
    }

    int count(const QString& sql, const QVariantList& params = {}) {
        return db.openRecordSet(sql, params).recordCount();
    }

    // The records of a query as lines of tab-separated texts, for comparing whole tables at once.
    QStringList rows(const QString& sql, const QStringList& fields, const QVariantList& params = {}) {
        QStringList lines;
        store::RecordSet rs = db.openRecordSet(sql, params);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (const QString& field : fields)
                values << (rs.isNull(field) ? QString("<null>") : rs.value(field).toString());
            lines << values.join('\t');
        }
        return lines;
    }
};

} // namespace korvex::testing
