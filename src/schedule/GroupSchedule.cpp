#include "schedule/GroupSchedule.h"

#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "schedule/RecordKeys.h"
#include "store/Database.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace korvex::schedule {

QString textoPorcentaje(double value) {
    if (value == 0 || !std::isfinite(value))
        return {};
    QString text = QString::number(value, 'f', 10);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

QString barraSemanas(int weeks) {
    return weeks >= 1 && weeks <= kMaxSemanas ? QString(weeks, QChar('-')) : QString();
}

namespace {

struct Periodo {
    int periodo = 0;
    int semanas = 0;
    double porcentaje = 0;
};

// Every schedule row, by group name as the database compares names, in stored order.
QHash<QString, QList<Periodo>> leerDetalle(store::Database& db) {
    QHash<QString, QList<Periodo>> rows;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM DetalleGrupo");
    for (; !rs.eof(); rs.moveNext()) {
        rows[comparableText(rs.text("Grupo"))].append(
            {int(rs.number("PeriodoGru")), int(rs.number("SemanasGru")), rs.number("PorcentajeGru")});
    }
    return rows;
}

void mostrarDetalle(const QList<Periodo>& rows, GrupoCrono& grupo, int& periodos) {
    for (const Periodo& row : rows) {
        const int p = row.periodo;
        if (p < 1 || p > kPeriodos)
            continue; // no column to show it in; the next save drops it
        periodos = std::max(periodos, p);
        if (row.semanas >= 1 && row.semanas <= kMaxSemanas)
            grupo.semanas[p - 1] = row.semanas;
        const QString percent = textoPorcentaje(row.porcentaje);
        if (!percent.isEmpty())
            grupo.porcentajes[p - 1] = percent;
    }
}

double porcentaje(const QString& text) {
    return engine::ConvertirNumeroOCero(text);
}

void leerCargados(store::Database& db, Cronograma& crono) {
    crono.detalle = store::LoadedRows::read(
        db, "DetalleGrupo", {"Grupo", "PeriodoGru", "PorcentajeGru", "SemanasGru", "OrdenGru"});
    crono.tabla = store::LoadedRows::read(db, "Grupos", {"Grupo", "OrdenGru"});
    crono.cabecera = store::LoadedRows::read(db, "Proyecto", {"Periodotipo"});
}

} // namespace

Cronograma CargarCronograma(store::Database& db) {
    Cronograma crono;
    leerCargados(db, crono);
    store::RecordSet header = db.openRecordSet("SELECT * FROM Proyecto");
    if (!header.eof())
        crono.periodoTipo = header.text("Periodotipo");

    const QHash<QString, QList<Periodo>> detail = leerDetalle(db);
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Grupos ORDER BY OrdenGru");
    for (; !rs.eof(); rs.moveNext()) {
        GrupoCrono grupo;
        grupo.grupo = rs.text("Grupo");
        grupo.descripcion = rs.text("DescripcionGru");
        grupo.orden = int(rs.number("OrdenGru"));
        mostrarDetalle(detail.value(comparableText(grupo.grupo)), grupo, crono.periodos);
        crono.grupos.push_back(grupo);
    }
    crono.periodoTipoCargado = crono.periodoTipo;
    crono.gruposCargados = crono.grupos;
    return crono;
}

std::optional<int> GrupoConErrorDePorcentaje(const Cronograma& crono) {
    for (int g = 0; g < int(crono.grupos.size()); ++g) {
        double sum = 0;
        for (const QString& text : crono.grupos[g].porcentajes) {
            if (!text.isEmpty())
                sum += porcentaje(text);
        }
        if (std::abs(sum - 100.0) > 1e-9)
            return g;
    }
    return std::nullopt;
}

QString MensajeErrorPorcentaje(const GrupoCrono& grupo) {
    const QString name = grupo.descripcion.isEmpty() ? grupo.grupo : grupo.descripcion;
    return "El Grupo " + name + " tiene un error en la suma de Porcentaje";
}

std::vector<double> CostosDirectosGrupos(const QString& projectFolder, const Cronograma& crono) {
    // The engine's figures carry no group: the items' groups are read beside them, by Indice.
    QHash<QString, double> costs;
    store::Database db = store::Database::openProject(projectFolder);
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    const std::vector<engine::PrecioItem> prices = engine::PreciosUnitarios(projectFolder);
    QHash<int, double> costByIndex;
    for (const engine::PrecioItem& item : prices)
        costByIndex.insert(item.indice, item.costoDirectoSinHerramienta);
    for (; !rs.eof(); rs.moveNext()) {
        const QString grupo = rs.text("GruposPres");
        if (grupo.isEmpty())
            continue;
        const double cost = costByIndex.value(int(rs.number("Indice")), 0.0);
        costs[comparableText(grupo)] += engine::Redondear(rs.number("cantidadpres") * cost, 2);
    }
    std::vector<double> result;
    for (const GrupoCrono& grupo : crono.grupos)
        result.push_back(costs.value(comparableText(grupo.grupo), 0.0));
    return result;
}

TotalesPeriodo CalcularTotalesCrono(const Cronograma& crono, const std::vector<double>& costosGrupos) {
    TotalesPeriodo totals;
    const int periods = std::clamp(crono.periodos, 1, kPeriodos);
    for (int g = 0; g < int(crono.grupos.size()) && g < int(costosGrupos.size()); ++g) {
        for (int p = 0; p < periods; ++p) {
            const QString& text = crono.grupos[g].porcentajes[p];
            if (text.isEmpty())
                continue;
            const double amount = porcentaje(text) * costosGrupos[g] / 100;
            totals.parcial[p] = engine::Redondear(totals.parcial[p].value_or(0) + amount, 2);
        }
    }
    double cumulative = 0;
    for (int p = 0; p < periods; ++p) {
        cumulative = engine::Redondear(cumulative + totals.parcial[p].value_or(0), 2);
        totals.acumulado[p] = cumulative;
    }
    return totals;
}

namespace {

void grabarPeriodoTipo(store::Database& db, const QString& periodoTipo) {
    store::RecordSet header = db.openRecordSet("SELECT * FROM Proyecto");
    if (header.eof()) {
        if (periodoTipo.isEmpty())
            return; // an empty header record would pass for the project data never entered
        header.addNew();
    } else {
        header.edit();
    }
    header.setValue("Periodotipo", periodoTipo);
    header.update();
}

bool mismoCronograma(const GrupoCrono& a, const GrupoCrono& b) {
    return comparableText(a.grupo) == comparableText(b.grupo) && a.porcentajes == b.porcentajes &&
           a.semanas == b.semanas;
}

int grabarDetalle(store::RecordSet& detail, const GrupoCrono& grupo, int orden) {
    int written = 0;
    for (int p = 0; p < kPeriodos; ++p) {
        const double percent = grupo.porcentajes[p].isEmpty() ? 0 : porcentaje(grupo.porcentajes[p]);
        const int weeks = std::clamp(grupo.semanas[p], 0, kMaxSemanas);
        if (percent <= 0 && weeks <= 0)
            continue;
        detail.addNew();
        detail.setValue("Grupo", grupo.grupo);
        detail.setValue("PeriodoGru", p + 1);
        detail.setValue("PorcentajeGru", percent);
        detail.setValue("SemanasGru", weeks);
        detail.setValue("OrdenGru", orden);
        detail.update();
        ++written;
    }
    return written;
}

} // namespace

ResultadoGrabar GrabarCronograma(store::Database& db, Cronograma& crono) {
    try {
        store::Transaction transaction(db);
        const auto nombre = [](const QVariantList& values) { return values.value(0).toString(); };
        crono.detalle.check(db, {}, nombre, QStringLiteral("Los periodos de los grupos "));
        crono.tabla.check(db, {}, nombre, QStringLiteral("Los grupos "));
        crono.cabecera.check(db, {}, {}, QStringLiteral("El tipo de periodo "));
        if (crono.periodoTipo != crono.periodoTipoCargado)
            grabarPeriodoTipo(db, crono.periodoTipo);

        ResultadoGrabar result;
        for (std::size_t g = 0; g < crono.grupos.size(); ++g) {
            const GrupoCrono& grupo = crono.grupos[g];
            const bool changed =
                g >= crono.gruposCargados.size() || !mismoCronograma(grupo, crono.gruposCargados[g]);
            if (!changed)
                continue;
            db.execute("DELETE * FROM DetalleGrupo WHERE Grupo = ?", {grupo.grupo});
            store::RecordSet detail =
                db.openRecordSet("SELECT * FROM DetalleGrupo WHERE Grupo = ?", {grupo.grupo});
            result.registros += grabarDetalle(detail, grupo, grupo.orden);
        }
        Cronograma saved = crono;
        leerCargados(db, saved);
        transaction.commit();
        crono = std::move(saved);
        crono.periodoTipoCargado = crono.periodoTipo;
        crono.gruposCargados = crono.grupos;
        return result;
    } catch (const store::StoreError& error) {
        return fallo(error);
    }
}

} // namespace korvex::schedule
