#include "schedule/GroupSummary.h"

#include "engine/Numbers.h"
#include "schedule/RecordKeys.h"
#include "store/Database.h"

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

double comoSeMuestra(double total) {
    return engine::ConvertirNumeroOCero(engine::FormatoGrupo(total));
}

} // namespace

ResumenGrupos CargarResumenGrupos(store::Database& db) {
    const QHash<QString, double> totals = totalesPorGrupo(db);
    ResumenGrupos resumen;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Grupos ORDER BY OrdenGru");
    for (; !rs.eof(); rs.moveNext()) {
        GrupoResumen g;
        g.grupo = rs.text("Grupo");
        g.descripcion = rs.text("DescripcionGru");
        g.total = totals.value(comparableText(g.grupo), 0.0);
        if (!rs.isNull("OrdenGru"))
            g.orden = int(rs.number("OrdenGru"));
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

ResultadoGrabar GrabarDescripcionGrupos(store::Database& db, const std::vector<GrupoResumen>& grupos) {
    try {
        store::Transaction transaction(db);
        KeyIndex rowsByName;
        for (int i = 0; i < int(grupos.size()); ++i)
            rowsByName.add(grupos[i].grupo, i);

        ResultadoGrabar result;
        store::RecordSet rs = db.openRecordSet("SELECT * FROM Grupos ORDER BY OrdenGru");
        for (; !rs.eof(); rs.moveNext()) {
            const auto row = rowsByName.take(rs.text("Grupo"));
            if (!row)
                continue;
            const GrupoResumen& g = grupos[*row];
            rs.edit();
            rs.setValue("DescripcionGru", g.descripcion);
            rs.setValue("TotalGrupo", comoSeMuestra(g.total));
            rs.setValue("OrdenGru", g.orden.value_or(0));
            rs.update();
            ++result.registros;
        }
        result.omitidos = int(grupos.size()) - result.registros;
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        return fallo(error);
    }
}

} // namespace korvex::schedule
