#pragma once
// Internal to the engine: reading the resource lines of many items in one pass per table.
//
// An item's lines are those whose CodigoPres and ItemPres equal the item's, as the store compares
// text ("=" ignores letter case), listed in stored order. Reading a whole table once in stored
// order and dealing its lines out by item gives every item the same lines in the same order as a
// query per item would, at the cost of one scan instead of one query per item.

#include "engine/Engine.h"
#include "store/Database.h"
#include "store/TextCompare.h"
#include "store/ValuePool.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <array>
#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

namespace korvex::engine::detail {

// The pair CodigoPres + ItemPres, each folded with the store's key (store::text::foldKey).
struct ItemKey {
    QString codigo;
    QString item;
    bool operator==(const ItemKey&) const = default;
};

struct ItemKeyHash {
    std::size_t operator()(const ItemKey& key) const noexcept {
        return static_cast<std::size_t>(qHash(key.codigo) * 31u ^ qHash(key.item));
    }
};

// Puts a record set on its first record (a no-op when empty).
inline void rewind(store::RecordSet& records) {
    if (records.recordCount() > 0)
        records.moveFirst();
}
// The key of the current Presupuesto record (a Null code is looked up as "").
ItemKey itemKeyOf(const store::RecordSet& record);
// The folded key of the item of each line of a stored-order scan. Lines of one item usually
// follow each other, so the key is folded once per run of lines. A caller keeps to one of the two
// ways of giving the lines.
class LineItems {
public:
    // For a scanned line whose code and number are at column and the next: a line that repeats
    // the previous one's stored bytes is known without reading them.
    const std::optional<ItemKey>& keyOf(const store::Row& line, int column) {
        if (repeated_(line, column)) {
            changed_ = false;
            return last_;
        }
        return keyOf(line.value(column), line.value(column + 1));
    }
    // The key of the line's item; none when its code or number is Null, which a query by value
    // never finds. changed() tells whether it differs from the previous line's.
    const std::optional<ItemKey>& keyOf(const QVariant& codigo, const QVariant& item) {
        changed_ = !seen_ || codigo != lastCodigo_ || item != lastItem_;
        if (!changed_)
            return last_;
        seen_ = true;
        lastCodigo_ = codigo;
        lastItem_ = item;
        if (codigo.isNull() || item.isNull())
            last_.reset();
        else
            last_ = ItemKey{store::text::foldKey(codigo.toString()), store::text::foldKey(item.toString())};
        return last_;
    }
    bool changed() const { return changed_; }

private:
    bool seen_ = false;
    bool changed_ = false;
    std::optional<ItemKey> last_;
    QVariant lastCodigo_;
    QVariant lastItem_;
    store::RepeatedPair repeated_;
};

// Deals the lines of a stored-order scan out to their items' entries of map, looking the item
// up once per run of lines.
template <typename Map> class ItemRuns {
public:
    explicit ItemRuns(Map& map) : map_(map) {}

    // The entry of the current line's item; nullptr for a line whose code or number is Null,
    // which a query by value never finds.
    typename Map::mapped_type* entryOf(const store::RecordSet& line) {
        static const QString codigoField = QStringLiteral("CodigoPres");
        static const QString itemField = QStringLiteral("ItemPres");
        return entryOf(line.value(codigoField), line.value(itemField));
    }
    typename Map::mapped_type* entryOf(const QVariant& codigo, const QVariant& item) {
        return entryFor(keys_.keyOf(codigo, item));
    }
    // A scanned line whose code and number are at column and the next.
    typename Map::mapped_type* entryOf(const store::Row& line, int column) {
        return entryFor(keys_.keyOf(line, column));
    }

private:
    typename Map::mapped_type* entryFor(const std::optional<ItemKey>& key) {
        if (keys_.changed())
            entry_ = key ? &map_[*key] : nullptr;
        return entry_;
    }

    Map& map_;
    LineItems keys_;
    typename Map::mapped_type* entry_ = nullptr;
};

// The four kinds of resource lines and their tables.
inline constexpr std::array<TipoRecurso, 4> kKinds = {TipoRecurso::Material, TipoRecurso::Equipo,
                                                      TipoRecurso::ManoObra, TipoRecurso::Transporte};
QString tableOf(TipoRecurso kind);

// The rounded amount of the current line of a record set on the kind's table.
double lineAmount(TipoRecurso kind, const store::RecordSet& line);

// Values text into a bound parameter: a Null code is looked up as "" like a typed empty code.
QVariant textParam(const QString& text);

// Subtotals of every item of the project, from one stored-order scan of each line table.
using SubtotalMap = std::unordered_map<ItemKey, Subtotales, ItemKeyHash>;
SubtotalMap subtotalsOfAllItems(store::Database& db);
// The kind's part of every item's subtotals, from one stored-order scan of its table.
void addSubtotals(store::Database& db, TipoRecurso kind, SubtotalMap& subtotals);
// The product of a line's figures, as written in its line amount; the database multiplies the
// same doubles in the same order, so only the rounding is left to do per line.
QString productExpression(TipoRecurso kind);
// Adds the lines of a kind's stored-order scan to their items' subtotals, each line its product
// (productExpression) rounded: for a scan that reads the lines for something else as well.
class SubtotalRuns {
public:
    SubtotalRuns(SubtotalMap& subtotals, TipoRecurso kind) : runs_(subtotals), kind_(kind) {}
    // The line's code and number are at column and the next, its product at productColumn.
    void add(const store::Row& line, int column, int productColumn);

private:
    ItemRuns<SubtotalMap> runs_;
    TipoRecurso kind_;
};
// TotalCostoDirecto from the subtotals of every item.
double directCost(store::Database& db, const SubtotalMap& subtotals);

// Subtotals of one item with one query per kind.
Subtotales subtotalsOfItem(store::Database& db, const QString& codigo, const QString& item);

std::optional<DatosIndirectos> readHeader(store::Database& db);

// The message of a failure, as a result the caller shows.
template <typename R> R failure(const QString& message, const QString& title = QStringLiteral("Error")) {
    R result;
    result.ok = false;
    result.message = message;
    result.title = title;
    return result;
}

} // namespace korvex::engine::detail
