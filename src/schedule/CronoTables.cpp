#include "schedule/CronoTables.h"

#include "schedule/GroupSchedule.h"
#include "store/Database.h"

#include <algorithm>
#include <vector>

namespace korvex::schedule {

namespace {

struct Detalle {
    QString grupo;
    int periodo = 0;
    QVariant semanas;
    QVariant porcentaje;
    int orden = 0;
};

// DetalleGrupo in OrdenGru order, records of equal order in the order they were stored (the
// sort is stable, so the result does not depend on the database's sorting of ties).
std::vector<Detalle> leerDetalleOrdenado(store::Database& db) {
    std::vector<Detalle> rows;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM DetalleGrupo");
    for (; !rs.eof(); rs.moveNext()) {
        rows.push_back({rs.text("Grupo"), int(rs.number("PeriodoGru")), rs.value("SemanasGru"),
                        rs.value("PorcentajeGru"), int(rs.number("OrdenGru"))});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Detalle& a, const Detalle& b) { return a.orden < b.orden; });
    return rows;
}

// The three pending records of one run of a group.
class Registros {
public:
    explicit Registros(store::Database& db)
        : crono_(db.openRecordSet("SELECT * FROM Crono")), crono2_(db.openRecordSet("SELECT * FROM Crono2")),
          crono3_(db.openRecordSet("SELECT * FROM Crono3")) {}

    void nuevo(const QString& grupo) {
        for (store::RecordSet* rs : {&crono_, &crono2_, &crono3_}) {
            rs->addNew();
            rs->setValue("Grupo", grupo);
        }
    }

    void periodo(const Detalle& d) {
        const QString p = QString::number(d.periodo);
        crono_.setValue("Periodo" + p, true);
        crono2_.setValue("Periodo" + p + "S", d.semanas);
        crono3_.setValue("Periodo" + p + "P", d.porcentaje);
    }

    void grabar() {
        for (store::RecordSet* rs : {&crono_, &crono2_, &crono3_})
            rs->update();
    }

private:
    store::RecordSet crono_;
    store::RecordSet crono2_;
    store::RecordSet crono3_;
};

} // namespace

int LlenarTablasCrono(store::Database& db) {
    db.execute("DELETE * FROM Crono");
    db.execute("DELETE * FROM Crono2");
    db.execute("DELETE * FROM Crono3");
    const std::vector<Detalle> rows = leerDetalleOrdenado(db);
    if (rows.empty())
        return 0;

    Registros registros(db);
    QString current = rows.front().grupo;
    registros.nuevo(current);
    int written = 1;
    for (const Detalle& d : rows) {
        // The same name as the database compares it: a run does not break on letter case alone.
        if (d.grupo.compare(current, Qt::CaseInsensitive) != 0) {
            registros.grabar();
            current = d.grupo;
            registros.nuevo(current);
            ++written;
        }
        if (d.periodo >= 1 && d.periodo <= kPeriodos)
            registros.periodo(d);
    }
    registros.grabar();
    return written;
}

ResultadoCrono LlenarTablasCrono(const QString& projectFolder) {
    try {
        store::Database db = store::Database::openProject(projectFolder);
        store::Transaction transaction(db);
        ResultadoCrono result;
        result.registros = LlenarTablasCrono(db);
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        return fallo<ResultadoCrono>(error);
    }
}

} // namespace korvex::schedule
