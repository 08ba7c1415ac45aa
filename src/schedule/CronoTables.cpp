#include "schedule/CronoTables.h"

#include "schedule/GroupSchedule.h"
#include "store/Database.h"
#include "store/TextCompare.h"

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

namespace {

// The rows of each group, groups in the order their first row comes. Two groups may share an
// order, and then their rows interleave; each group still gets one record with all its periods,
// or the report would list it twice and count its total twice.
std::vector<std::vector<Detalle>> porGrupo(const std::vector<Detalle>& rows) {
    std::vector<std::vector<Detalle>> groups;
    for (const Detalle& d : rows) {
        // The same name as the database compares it: letter case alone does not make a new group.
        auto same = [&](const std::vector<Detalle>& g) {
            return store::text::equalFolded(g.front().grupo, d.grupo);
        };
        auto it = std::find_if(groups.begin(), groups.end(), same);
        if (it == groups.end())
            groups.push_back({d});
        else
            it->push_back(d);
    }
    return groups;
}

} // namespace

int LlenarTablasCrono(store::Database& db) {
    db.execute("DELETE * FROM Crono");
    db.execute("DELETE * FROM Crono2");
    db.execute("DELETE * FROM Crono3");
    const std::vector<std::vector<Detalle>> groups = porGrupo(leerDetalleOrdenado(db));
    if (groups.empty())
        return 0;

    Registros registros(db);
    for (const std::vector<Detalle>& group : groups) {
        registros.nuevo(group.front().grupo);
        for (const Detalle& d : group)
            if (d.periodo >= 1 && d.periodo <= kPeriodos)
                registros.periodo(d);
        registros.grabar();
    }
    return static_cast<int>(groups.size());
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
