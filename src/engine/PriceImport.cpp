// Prices taken from another project: every line whose resource exists in the source project gets
// the price of the first source line of that resource.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "store/TextCompare.h"

#include <exception>

namespace korvex::engine {

namespace {

// How a kind's resource is known and priced.
struct PricedKind {
    TipoRecurso kind;
    QString description;
    QString second; // unit or category; empty where the description alone is the key
    QString price;
};

const std::array<PricedKind, 4>& pricedKinds() {
    static const std::array<PricedKind, 4> kinds = {{
        {TipoRecurso::Material, QStringLiteral("DescripcionMat"), QStringLiteral("UnidadMat"),
         QStringLiteral("PrecioUniMat")},
        {TipoRecurso::Equipo, QStringLiteral("DescripcionMaq"), QString(), QStringLiteral("CostoMaq")},
        {TipoRecurso::ManoObra, QStringLiteral("DescripcionMan"), QStringLiteral("CategoriaMan"),
         QStringLiteral("SalarioMan")},
        {TipoRecurso::Transporte, QStringLiteral("DescripcionTran"), QStringLiteral("UnidadTran"),
         QStringLiteral("PrecioTran")},
    }};
    return kinds;
}

// The resource key of a line, folded as "=" compares. A looked-up value that is Null stands for
// "" (what an empty field gives when typed into a query); a stored Null is never found.
bool resourceKey(const PricedKind& kind, const store::RecordSet& line, bool lookingUp, detail::ItemKey& key) {
    const QVariant description = line.value(kind.description);
    const QVariant second = kind.second.isEmpty() ? QVariant(QStringLiteral("")) : line.value(kind.second);
    if (!lookingUp && (description.isNull() || second.isNull()))
        return false;
    key.codigo = store::text::foldKey(description.toString());
    key.item = store::text::foldKey(second.toString());
    return true;
}

using PriceMap = std::unordered_map<detail::ItemKey, QVariant, detail::ItemKeyHash>;

PriceMap firstPrices(store::Database& source, const PricedKind& kind) {
    PriceMap prices;
    auto lines = source.openRecordSet("SELECT * FROM " + detail::tableOf(kind.kind));
    detail::rewind(lines);
    detail::ItemKey key;
    for (; !lines.eof(); lines.moveNext())
        if (resourceKey(kind, lines, false, key))
            prices.try_emplace(key, lines.value(kind.price));
    return prices;
}

bool samePrice(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toDouble() == b.toDouble();
}

int applyPrices(store::Database& target, const PricedKind& kind, const PriceMap& prices) {
    int priced = 0;
    auto lines = target.openRecordSet("SELECT * FROM " + detail::tableOf(kind.kind));
    // Written by row number: a record set's update would read every line back.
    const QString update =
        "UPDATE " + detail::tableOf(kind.kind) + " SET " + kind.price + " = ? WHERE rowid = ?";
    detail::rewind(lines);
    detail::ItemKey key;
    for (; !lines.eof(); lines.moveNext()) {
        resourceKey(kind, lines, true, key);
        const auto found = prices.find(key);
        if (found == prices.end())
            continue;
        ++priced;
        if (samePrice(lines.value(kind.price), found->second))
            continue;
        target.execute(update, {found->second, lines.rowId()});
    }
    return priced;
}

} // namespace

ResultadoImportacion ImportarPrecios(const QString& projectFolder, const QString& sourceFolder) {
    if (store::samePath(projectFolder, sourceFolder))
        return detail::failure<ResultadoImportacion>(kOrigenIgualDestino);
    if (!store::isProjectFolder(sourceFolder) || !store::isProjectFolder(projectFolder))
        return detail::failure<ResultadoImportacion>(kCarpetaSinProyecto);
    try {
        auto source = store::Database::openProject(sourceFolder);
        auto target = store::Database::openProject(projectFolder);
        ResultadoImportacion result;
        int* counts[] = {&result.materiales, &result.equipo, &result.manoObra, &result.transporte};

        store::Transaction transaction(target);
        for (std::size_t i = 0; i < pricedKinds().size(); ++i)
            *counts[i] = applyPrices(target, pricedKinds()[i], firstPrices(source, pricedKinds()[i]));
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        return detail::failure<ResultadoImportacion>(error.message());
    } catch (const std::exception& error) {
        return detail::failure<ResultadoImportacion>(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace korvex::engine
