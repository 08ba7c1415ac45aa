#include "schedule/ItemSchedule.h"

#include "engine/Numbers.h"
#include "schedule/RecordKeys.h"
#include "store/Database.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <cmath>

namespace korvex::schedule {

namespace {

// A figure as it stands in its cell, read back: the windows sum and compare what they show.
double comoPrecio(double value) {
    return engine::ConvertirNumeroOCero(engine::FormatoPrecio(value));
}
double comoMoneda(double value) {
    return engine::ConvertirNumeroOCero(engine::FormatoMoneda(value));
}

} // namespace

double ItemCrono::precioTotal() const {
    return engine::Redondear(precioUnitario * cantidad, 2);
}

double ItemCrono::monto(double quantity) const {
    return engine::Redondear(quantity * precioUnitario, 2);
}

std::optional<double> ItemCrono::montoColumna(int column) const {
    if (column < 0 || column >= kColumnasDias || !cantidades[column])
        return std::nullopt;
    return monto(*cantidades[column]);
}

double ItemCrono::restante() const {
    double scheduled = 0;
    for (const std::optional<double>& quantity : cantidades) {
        if (quantity)
            scheduled += comoPrecio(*quantity);
    }
    return comoPrecio(cantidad) - scheduled;
}

namespace {

void leerCargados(store::Database& db, CronoItems& crono) {
    QStringList fields{"CronoCodigo", "CronoItem"};
    for (const char* field : kCamposCronoValores)
        fields << field;
    crono.presupuesto =
        store::LoadedRows::read(db, "Presupuesto", {"CodigoPres", "ItemPres"}, {}, {}, "Indice");
    crono.valores = store::LoadedRows::read(db, "CronoValores", fields);
}

// Pairs each item with its CronoValores record; with quantities, also shows them.
void enlazarValores(store::Database& db, CronoItems& crono, bool mostrar) {
    KeyIndex byItem;
    for (int i = 0; i < int(crono.items.size()); ++i) {
        ItemCrono& item = crono.items[i];
        item.filaValores = 0;
        byItem.add(itemKey(item.codigoPres, item.itemPres), i);
    }
    store::RecordSet values = db.openRecordSet("SELECT * FROM CronoValores");
    for (; !values.eof(); values.moveNext()) {
        const auto row = byItem.take(itemKey(values.text("CronoCodigo"), values.text("CronoItem")));
        if (!row)
            continue; // the schedule of an item no longer in the budget
        ItemCrono& item = crono.items[*row];
        item.filaValores = values.rowId();
        for (int c = 0; mostrar && c < kColumnasDias; ++c) {
            const double quantity = values.number(kCamposCronoValores[c]);
            if (quantity != 0)
                item.cantidades[c] = quantity;
        }
    }
    for (ItemCrono& item : crono.items)
        item.cargadas = item.cantidades;
}

} // namespace

CronoItems CargarCronoItems(store::Database& db) {
    CronoItems crono;
    leerCargados(db, crono);
    store::RecordSet items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    for (; !items.eof(); items.moveNext()) {
        ItemCrono item;
        item.codigoPres = items.text("CodigoPres");
        item.itemPres = items.text("ItemPres");
        item.descripcionPres = items.text("DescripcionPres");
        item.cantidad = items.number("cantidadpres");
        item.precioUnitario = items.number("TotalPres");
        crono.totalProyecto += comoPrecio(item.precioTotal());
        crono.items.push_back(item);
    }
    enlazarValores(db, crono, true);
    return crono;
}

double CantidadDesdeTexto(const QString& text) {
    return engine::Redondear(engine::ConvertirNumeroOCero(text), 3);
}

EstadoRestante estadoRestante(double remaining) {
    // Sums of decimal fractions leave binary noise: 10.1 - 5.05 - 5.05 is nothing left, not a
    // tiny over-scheduling.
    if (std::abs(remaining) < 5e-7)
        return EstadoRestante::Cero;
    return remaining < 0 ? EstadoRestante::Negativo : EstadoRestante::Positivo;
}

QColor colorRestante(EstadoRestante estado) {
    switch (estado) {
    case EstadoRestante::Negativo:
        return QColor(232, 3, 0);
    case EstadoRestante::Cero:
        return QColor(0, 192, 0);
    case EstadoRestante::Positivo:
        break;
    }
    return QColor(0, 0, 255);
}

TotalesItems CalcularTotalesItems(const CronoItems& crono) {
    TotalesItems totals;
    for (int c = 0; c < kColumnasDias; ++c) {
        double sum = 0;
        for (const ItemCrono& item : crono.items) {
            if (const auto amount = item.montoColumna(c))
                sum += comoPrecio(*amount);
        }
        totals.inversionMensual[c] = comoMoneda(sum);
    }

    totals.columnaParada = kColumnasDias;
    for (int c = 0; c < kColumnasDias; ++c) {
        if (totals.inversionMensual[c] == 0) {
            totals.columnaParada = c;
            break;
        }
    }

    const double total = comoPrecio(crono.totalProyecto);
    for (int c = 0; c < totals.columnaParada; ++c) {
        const double monthly = totals.inversionMensual[c];
        const double previous = c == 0 ? 0 : *totals.inversionAcumulada[c - 1];
        totals.inversionAcumulada[c] = comoMoneda(previous + monthly);
        if (total == 0)
            continue; // no budget to measure progress against
        totals.avanceParcial[c] = comoMoneda(engine::Redondear(monthly / total * 100, 2));
        const double previousProgress = c == 0 ? 0 : totals.avanceAcumulado[c - 1].value_or(0);
        totals.avanceAcumulado[c] = comoMoneda(previousProgress + *totals.avanceParcial[c]);
    }
    // The last cumulative investment is the budget total, whatever the columns add up to.
    if (totals.columnaParada == 0)
        totals.inversionAcumuladaAntes = total;
    else
        totals.inversionAcumulada[totals.columnaParada - 1] = total;
    return totals;
}

namespace {

QVariant valorCantidad(const std::optional<double>& quantity) {
    return quantity ? QVariant(*quantity) : QVariant();
}

// Writes the changed columns of an item into its record, or a new record for it.
void grabarItem(store::RecordSet& rs, const ItemCrono& item, bool nuevo) {
    if (nuevo) {
        rs.addNew();
        rs.setValue("CronoCodigo", item.codigoPres);
        rs.setValue("CronoItem", item.itemPres);
    } else {
        rs.edit();
    }
    for (int c = 0; c < kColumnasDias; ++c) {
        if (item.cantidades[c] != item.cargadas[c])
            rs.setValue(kCamposCronoValores[c], valorCantidad(item.cantidades[c]));
    }
    rs.update();
}

} // namespace

ResultadoGrabar GrabarCronoValores(store::Database& db, CronoItems& crono) {
    try {
        store::Transaction transaction(db);
        const auto rubro = [](const QVariantList& values) {
            return QStringLiteral("%1 %2").arg(values.value(0).toString(), values.value(1).toString());
        };
        crono.presupuesto.check(db, {}, rubro, QStringLiteral("Los rubros "));
        crono.valores.check(db, {}, rubro, QStringLiteral("Las cantidades programadas de "));
        QHash<qint64, const ItemCrono*> changed;
        QList<const ItemCrono*> added;
        for (const ItemCrono& item : crono.items) {
            if (item.cantidades == item.cargadas)
                continue;
            if (item.filaValores != 0)
                changed.insert(item.filaValores, &item);
            else
                added.append(&item);
        }
        ResultadoGrabar result;
        store::RecordSet rs = db.openRecordSet("SELECT * FROM CronoValores");
        for (; !changed.isEmpty() && !rs.eof(); rs.moveNext()) {
            if (const ItemCrono* item = changed.value(rs.rowId())) {
                grabarItem(rs, *item, false);
                ++result.registros;
            }
        }
        for (const ItemCrono* item : added) {
            grabarItem(rs, *item, true);
            ++result.registros;
        }
        CronoItems saved = crono;
        leerCargados(db, saved);
        enlazarValores(db, saved, false);
        transaction.commit();
        crono = std::move(saved);
        return result;
    } catch (const store::StoreError& error) {
        return fallo(error);
    }
}

} // namespace korvex::schedule
