#include "schedule/GroupSummary.h"

#include "engine/Numbers.h"
#include "schedule/RecordKeys.h"
#include "store/Database.h"

#include <QHash>
#include <cmath>
#include <limits>

namespace korvex::schedule {

namespace {

// The totals per group name (case folded) of the items of Presupuesto, in stored order.
QHash<QString, double> totalesPorGrupo(store::Database& db) {
    QHash<QString, double> totals;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    for (; !rs.eof(); rs.moveNext()) {
        const QString grupo = rs.text("GruposPres");
        if (grupo.isEmpty())
            continue;
        totals[comparableText(grupo)] +=
            engine::Redondear(rs.number("cantidadpres") * rs.number("TotalPres"), 2);
    }
    return totals;
}

store::LoadedRows leerGrupos(store::Database& db) {
    return store::LoadedRows::read(db, "Grupos", {"Grupo", "DescripcionGru", "OrdenGru"});
}

double comoSeMuestra(double total) {
    return engine::ConvertirNumeroOCero(engine::FormatoGrupo(total));
}

} // namespace

ResumenGrupos CargarResumenGrupos(store::Database& db) {
    const QHash<QString, double> totals = totalesPorGrupo(db);
    ResumenGrupos resumen;
    resumen.cargados = leerGrupos(db);
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Grupos ORDER BY OrdenGru");
    for (; !rs.eof(); rs.moveNext()) {
        GrupoResumen g;
        g.grupo = rs.text("Grupo");
        g.descripcion = rs.text("DescripcionGru");
        g.total = totals.value(comparableText(g.grupo), 0.0);
        if (!rs.isNull("OrdenGru"))
            g.orden = int(rs.number("OrdenGru"));
        g.fila = rs.rowId();
        resumen.grupos.push_back(g);
    }
    resumen.total = TotalMostrado(resumen.grupos);
    return resumen;
}

double TotalMostrado(const std::vector<GrupoResumen>& grupos) {
    double total = 0;
    for (const GrupoResumen& g : grupos)
        total += comoSeMuestra(g.total);
    return total;
}

std::optional<int> OrdenDesdeTexto(const QString& text) {
    const std::optional<double> number = engine::ConvertirNumero(text);
    if (!number)
        return 0;
    const double whole = std::floor(*number);
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(whole);
}

ResultadoGrabar GrabarDescripcionGrupos(store::Database& db, ResumenGrupos& resumen) {
    try {
        store::Transaction transaction(db);
        const store::LoadedRows& cargados = resumen.cargados;
        cargados.check(db, {}, {}, QStringLiteral("Los grupos "));
        QHash<qint64, const GrupoResumen*> porFila;
        for (const GrupoResumen& g : resumen.grupos)
            if (cargados.contains(g.fila))
                porFila.insert(g.fila, &g);

        ResultadoGrabar result;
        store::RecordSet rs = db.openRecordSet("SELECT DescripcionGru, TotalGrupo, OrdenGru FROM Grupos");
        for (; !rs.eof(); rs.moveNext()) {
            const GrupoResumen* g = porFila.value(rs.rowId());
            if (!g)
                continue;
            const QVariantList loaded = cargados.values(g->fila);
            const QVariant loadedOrder = loaded.value(2);
            const std::optional<int> order =
                loadedOrder.isNull() ? std::nullopt : std::optional<int>(int(loadedOrder.toDouble()));
            const bool description = g->descripcion != loaded.value(1).toString();
            const bool reordered = g->orden != order;
            const double total = comoSeMuestra(g->total);
            const bool retotalled = rs.isNull("TotalGrupo") || rs.number("TotalGrupo") != total;
            if (!description && !reordered && !retotalled)
                continue;
            rs.edit();
            if (description)
                rs.setValue("DescripcionGru", g->descripcion);
            if (reordered)
                rs.setValue("OrdenGru", g->orden.value_or(0));
            if (retotalled)
                rs.setValue("TotalGrupo", total);
            rs.update();
            ++result.registros;
        }
        store::LoadedRows grabados = leerGrupos(db);
        transaction.commit();
        resumen.cargados = std::move(grabados);
        return result;
    } catch (const store::StoreError& error) {
        return fallo(error);
    }
}

} // namespace korvex::schedule
