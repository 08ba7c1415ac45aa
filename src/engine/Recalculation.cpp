// The whole budget at once: every item's unit price, the stored recalculation and the direct-cost
// total. Each reads every line table once in stored order instead of querying item by item.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "store/Database.h"

#include <exception>

namespace korvex::engine {

namespace {

std::vector<PrecioItem> priceItems(const detail::SubtotalMap& subtotals, store::RecordSet& items,
                                   const DatosIndirectos& datos) {
    std::vector<PrecioItem> out;
    out.reserve(static_cast<std::size_t>(items.recordCount()));
    detail::rewind(items);
    for (; !items.eof(); items.moveNext()) {
        PrecioItem p;
        p.indice = static_cast<int>(items.number(QStringLiteral("Indice")));
        p.codigoPres = items.text(QStringLiteral("CodigoPres"));
        p.itemPres = items.text(QStringLiteral("ItemPres"));
        p.descripcionPres = items.text(QStringLiteral("DescripcionPres"));
        p.unidadPres = items.text(QStringLiteral("UnidadPres"));
        p.cantidadPres = items.number(QStringLiteral("CantidadPres"));
        const auto found = subtotals.find(detail::itemKeyOf(items));
        const Subtotales s = found == subtotals.end() ? Subtotales{} : found->second;
        p.costoDirectoSinHerramienta = CalcularCostoDirecto(s);
        p.precio = CalcularPrecioUnitario(s, datos);
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<PrecioItem> priceItems(store::Database& db, store::RecordSet& items,
                                   const DatosIndirectos& datos) {
    const detail::SubtotalMap subtotals = detail::subtotalsOfAllItems(db);
    return priceItems(subtotals, items, datos);
}

} // namespace

std::vector<PrecioItem> PreciosUnitarios(const QString& projectFolder) {
    auto db = store::Database::openProject(projectFolder);
    const DatosIndirectos datos = DatosIndirectosEnUso(db);
    auto items = db.openRecordSet("SELECT * FROM Presupuesto");
    return priceItems(db, items, datos);
}

ResultadoRecalculo RecalcularPresupuesto(const QString& projectFolder) {
    try {
        auto db = store::Database::openProject(projectFolder);
        const auto header = detail::readHeader(db);
        if (!header)
            return detail::failure<ResultadoRecalculo>(kSinDatosProyecto, QStringLiteral("Advertencia"));

        auto items = db.openRecordSet("SELECT * FROM Presupuesto");
        const std::vector<PrecioItem> prices = priceItems(db, items, *header);

        // Written by row number: a record set's update would read every item back.
        store::Transaction transaction(db);
        detail::rewind(items);
        const QString update = QStringLiteral("UPDATE Presupuesto SET TotalPres = ? WHERE rowid = ?");
        for (const PrecioItem& price : prices) {
            // A price that is already stored is not written again: on a large project most are,
            // and each write costs a statement and a page of the journal.
            const QVariant stored = items.value(QStringLiteral("TotalPres"));
            const bool current =
                stored.typeId() == QMetaType::Double && stored.toDouble() == price.precio.precioUnitario;
            if (!current)
                db.execute(update, {price.precio.precioUnitario, items.rowId()});
            items.moveNext();
        }
        transaction.commit();

        ResultadoRecalculo result;
        result.items = static_cast<int>(prices.size());
        return result;
    } catch (const store::StoreError& error) {
        return detail::failure<ResultadoRecalculo>(error.message());
    } catch (const std::exception& error) {
        return detail::failure<ResultadoRecalculo>(QString::fromLocal8Bit(error.what()));
    }
}

double TotalCostoDirecto(const QString& projectFolder) {
    auto db = store::Database::openProject(projectFolder);
    return detail::directCost(db, detail::subtotalsOfAllItems(db));
}

namespace detail {

double directCost(store::Database& db, const SubtotalMap& subtotals) {
    auto items = db.openRecordSet("SELECT * FROM Presupuesto");
    const std::vector<PrecioItem> prices = priceItems(subtotals, items, DatosIndirectos{});
    double total = 0;
    for (const PrecioItem& price : prices)
        total = Redondear(total + price.costoDirectoSinHerramienta * price.cantidadPres, 2);
    return total;
}

} // namespace detail

} // namespace korvex::engine
