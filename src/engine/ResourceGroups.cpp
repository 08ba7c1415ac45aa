#include "engine/ResourceGroups.h"

#include "engine/ItemLines.h"
#include "store/Database.h"
#include "store/TextCompare.h"
#include "store/ValuePool.h"

#include <QByteArray>
#include <QHash>
#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

namespace korvex::engine {

namespace {

// A text field's value as the database groups and orders it: Null apart and first, else its
// folded letters (equal exactly when the collation finds the texts equal).
struct GroupedText {
    bool null = true;
    QString folded;
    QByteArray utf8; // one spelling of the group, for ordering by the collation

    bool operator==(const GroupedText& o) const { return null == o.null && folded == o.folded; }
};

GroupedText groupedText(const QVariant& value) {
    if (value.isNull())
        return {};
    const QString text = value.toString();
    return {false, store::text::foldKey(text), text.toUtf8()};
}

int compareTexts(const GroupedText& a, const GroupedText& b) {
    if (a.null || b.null)
        return int(b.null) - int(a.null);
    return store::text::compare(a.utf8.constData(), int(a.utf8.size()), b.utf8.constData(),
                                int(b.utf8.size()));
}

// A price as the database groups and orders it: Null, then numbers, then texts.
struct GroupedPrice {
    int rank = 0; // 0 Null, 1 number, 2 text
    double number = 0;
    QString text;

    bool operator==(const GroupedPrice& o) const {
        return rank == o.rank && number == o.number && text == o.text;
    }
    bool operator<(const GroupedPrice& o) const {
        if (rank != o.rank)
            return rank < o.rank;
        return rank == 2 ? text < o.text : number < o.number;
    }
};

GroupedPrice groupedPrice(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString)
        return {2, 0, value.toString()};
    const double number = value.toDouble();
    return {1, number == 0 ? 0.0 : number, {}}; // -0 and 0 are one price
}

// The price a group shows, read as a record set reads a number.
double shownPrice(const QVariant& value) {
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString)
        return store::readNumberText(value.toString()).value_or(0);
    return value.toDouble();
}

// A factor of a line's quantity: Null makes the product Null, which a sum leaves out.
std::optional<double> factor(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

std::optional<double> times(std::optional<double> a, std::optional<double> b) {
    if (!a || !b)
        return std::nullopt;
    return *a * *b;
}

QString textOf(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

struct Resource {
    GroupedText description;
    GroupedText second;
    QVariant firstDescription; // as the first of its lines has them
    QVariant firstSecond;
};

struct Group {
    int resource = 0;
    GroupedPrice price;
    QVariant priceValue;
    bool summed = false; // false while every product was Null: the sum is then Null
    double quantity = 0;

    void add(std::optional<double> product) {
        if (!product)
            return;
        quantity += *product;
        summed = true;
    }
};

struct GroupKey {
    int resource;
    GroupedPrice price;
    bool operator==(const GroupKey&) const = default;
};

struct GroupKeyHash {
    std::size_t operator()(const GroupKey& k) const noexcept {
        return std::size_t(qHash(k.resource) ^ (qHash(k.price.number) * 31u) ^ qHash(k.price.text) ^
                           std::size_t(k.price.rank));
    }
};

// A description and unit or category exactly as stored.
struct Spelling {
    QString description;
    QString second;
    bool descriptionNull;
    bool secondNull;
    bool operator==(const Spelling&) const = default;
};

struct SpellingHash {
    std::size_t operator()(const Spelling& s) const noexcept {
        return std::size_t(qHash(s.description) * 31u ^ qHash(s.second)) ^ std::size_t(s.descriptionNull) ^
               (std::size_t(s.secondNull) << 1);
    }
};

// The resources and groups met so far. Lines find their resource by the texts as stored, so
// each spelling is folded once.
class Groups {
public:
    int resourceOf(const QVariant& description, const QVariant& second) {
        Spelling spelling{description.toString(), second.toString(), description.isNull(), second.isNull()};
        if (const auto known = bySpelling_.find(spelling); known != bySpelling_.end())
            return known->second;
        Resource resource{groupedText(description), groupedText(second), description, second};
        const QString folded = resource.description.folded + QChar(0x1f) + resource.second.folded +
                               QChar(spelling.descriptionNull ? '0' : '1') +
                               QChar(spelling.secondNull ? '0' : '1');
        int index = byFolded_.value(folded, -1);
        if (index < 0) {
            index = int(resources_.size());
            resources_.push_back(std::move(resource));
            byFolded_.insert(folded, index);
        }
        // Lines come in stored order: the first spelling met of a resource is its first line's.
        const QString spelt = store::text::resourceKey(spelling.description, spelling.second);
        if (!firstSpellings_.contains(spelt))
            firstSpellings_.insert(spelt, Escritura{spelling.description, spelling.second});
        bySpelling_.emplace(std::move(spelling), index);
        return index;
    }

    // The resource as its first line spells it; a Null description or unit reads as "", as it
    // does wherever lines are gathered by hand.
    Escritura spelling(int index) const {
        const Resource& r = resource(index);
        const Escritura own{textOf(r.firstDescription), textOf(r.firstSecond)};
        return firstSpellings_.value(store::text::resourceKey(own.descripcion, own.segundo), own);
    }

    Group& groupOf(int resource, const QVariant& price) {
        GroupKey key{resource, groupedPrice(price)};
        const auto [it, added] = byKey_.try_emplace(key, int(groups_.size()));
        if (added)
            groups_.push_back({resource, std::move(key.price), price, false, 0});
        return groups_[std::size_t(it->second)];
    }

    const Resource& resource(int index) const { return resources_[std::size_t(index)]; }

    // <0, 0, >0 as the database orders the two resources' description, then unit or category.
    int compare(int a, int b) const {
        const Resource& ra = resource(a);
        const Resource& rb = resource(b);
        if (const int c = compareTexts(ra.description, rb.description))
            return c;
        return compareTexts(ra.second, rb.second);
    }

    // The groups in ascending order of description, unit or category and price.
    std::vector<const Group*> ordered() const {
        std::vector<const Group*> out;
        out.reserve(groups_.size());
        for (const Group& g : groups_)
            out.push_back(&g);
        std::sort(out.begin(), out.end(), [this](const Group* a, const Group* b) {
            if (a->resource != b->resource)
                if (const int c = compare(a->resource, b->resource))
                    return c < 0;
            return a->price < b->price;
        });
        return out;
    }

private:
    std::unordered_map<Spelling, int, SpellingHash> bySpelling_;
    QHash<QString, Escritura> firstSpellings_;
    QHash<QString, int> byFolded_;
    std::vector<Resource> resources_;
    std::unordered_map<GroupKey, int, GroupKeyHash> byKey_;
    std::vector<Group> groups_;
};

// The part of a line's quantity that is its own: CantidadMat, RendimientoMaq x HorasMaq, ...
QStringList ownFactorFields(TipoRecurso tipo) {
    switch (tipo) {
    case TipoRecurso::Material:
        return {QStringLiteral("CantidadMat")};
    case TipoRecurso::Equipo:
        return {QStringLiteral("RendimientoMaq"), QStringLiteral("HorasMaq")};
    case TipoRecurso::ManoObra:
        return {QStringLiteral("RendimientoMan"), QStringLiteral("HorasMan")};
    case TipoRecurso::Transporte:
        break;
    }
    return {QStringLiteral("CantidadTran")};
}

} // namespace

QStringList CamposLinea::cargados() const {
    QStringList fields{descripcion};
    if (tieneSegundo())
        fields << segundo;
    fields << precio;
    return fields;
}

CamposLinea camposDe(TipoRecurso tipo) {
    switch (tipo) {
    case TipoRecurso::Material:
        return {"Materiales", "DescripcionMat", "UnidadMat", "PrecioUniMat"};
    case TipoRecurso::Equipo:
        return {"Maquinaria", "DescripcionMaq", "", "CostoMaq"};
    case TipoRecurso::ManoObra:
        return {"ManoObra", "DescripcionMan", "CategoriaMan", "SalarioMan"};
    case TipoRecurso::Transporte:
        break;
    }
    return {"Transporte", "DescripcionTran", "UnidadTran", "PrecioTran"};
}

namespace {

// Null first, then ascending: how the database orders a number column of an index.
bool numberBefore(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b)
        return !a && b;
    return *a < *b;
}

std::optional<QByteArray> descriptionBytes(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toString().toUtf8();
}

// An equipment line joined to its items after the scan.
struct WaitingLine {
    int resource;
    QVariant price;
    std::optional<double> own;
    // What the database's join index on the lines orders one item's lines by, in the table's
    // column order (description compared byte by byte), before their stored order.
    std::optional<QByteArray> description;
    std::optional<double> hours;
    std::optional<double> yield;
};

bool inIndexOrder(const WaitingLine& a, const WaitingLine& b) {
    if (a.description != b.description) {
        if (!a.description || !b.description)
            return !a.description;
        return *a.description < *b.description;
    }
    if (a.hours != b.hours)
        return numberBefore(a.hours, b.hours);
    if (a.yield != b.yield)
        return numberBefore(a.yield, b.yield);
    return numberBefore(factor(a.price), factor(b.price));
}

} // namespace

namespace detail {
// CantidadPres of every item by its folded key, and the keys in stored order.
struct ItemQuantities {
    std::unordered_map<detail::ItemKey, std::vector<std::optional<double>>, detail::ItemKeyHash> quantities;
    std::vector<std::pair<detail::ItemKey, std::optional<double>>> stored;
};
} // namespace detail

AgrupacionRecursos::AgrupacionRecursos(store::Database& db)
    : db_(db), items_(std::make_unique<detail::ItemQuantities>()) {
    detail::LineItems keys;
    db.scan(QStringLiteral("SELECT CodigoPres, ItemPres, CantidadPres FROM Presupuesto"), {},
            [this, &keys](const store::Row& item) {
                const auto key = keys.keyOf(item.value(0), item.value(1));
                if (!key)
                    return;
                const std::optional<double> quantity = factor(item.value(2));
                items_->quantities[*key].push_back(quantity);
                items_->stored.emplace_back(*key, quantity);
            });
    // The database finds an item's duplicates through an index on the items' quantity.
    for (auto& [key, quantities] : items_->quantities)
        std::stable_sort(quantities.begin(), quantities.end(), numberBefore);
}

AgrupacionRecursos::~AgrupacionRecursos() = default;

namespace {

// One scan of a line table: the groups, and the lines as loaded when keepLines.
struct Scan {
    Groups groups;
    store::LoadedRows lines;
};

// subtotals, when given, take the kind's line amounts of their items along the same pass, as
// detail::addSubtotals adds them.
Scan scan(store::Database& db, const detail::ItemQuantities& itemQuantities, TipoRecurso tipo, bool keepLines,
          detail::SubtotalMap* subtotals = nullptr) {
    const CamposLinea campos = camposDe(tipo);
    const QStringList loaded = campos.cargados();
    const QStringList own = ownFactorFields(tipo);
    const int ownAt = int(loaded.size());
    const int codeAt = ownAt + int(own.size());
    const bool withSecond = campos.tieneSegundo();

    Scan out;
    if (keepLines)
        out.lines = store::LoadedRows(campos.tabla, loaded);
    // Equipment is joined item by item: its lines wait per item and are added after the scan.
    std::unordered_map<detail::ItemKey, std::vector<WaitingLine>, detail::ItemKeyHash> waiting;
    std::vector<WaitingLine>* waitingItem = nullptr;
    const bool itemsFirst = tipo == TipoRecurso::Equipo;
    detail::LineItems keys;

    auto items = itemQuantities.quantities.end();
    // Each distinct text is read and spelt once, however many lines repeat it.
    store::ValuePool pool;
    std::unordered_map<qint64, int> resourceBySpelling; // by the pool's numbers of the two texts
    const int noSecond = pool.idOfText({});
    std::optional<detail::SubtotalRuns> subtotalRuns;
    if (subtotals)
        subtotalRuns.emplace(*subtotals, tipo);
    std::array<QVariant, 3> values;
    const auto visit = [&](const store::Row& rs) {
        const int descriptionId = pool.id(rs, 0);
        const int secondId = withSecond ? pool.id(rs, 1) : noSecond;
        values[0] = pool.value(descriptionId);
        if (withSecond)
            values[1] = pool.value(secondId);
        QVariant& price = values[std::size_t(ownAt - 1)];
        price = rs.value(ownAt - 1);
        const std::optional<detail::ItemKey>& key = keys.keyOf(rs, codeAt);
        if (keys.changed()) {
            items = key ? itemQuantities.quantities.find(*key) : itemQuantities.quantities.end();
            const bool joinedItem = items != itemQuantities.quantities.end();
            waitingItem = joinedItem && itemsFirst ? &waiting[*key] : nullptr;
        }
        if (subtotalRuns)
            subtotalRuns->add(rs, codeAt, codeAt + 2);
        const bool joined = items != itemQuantities.quantities.end();
        // Every line is met when the lines are kept, so that each resource is spelt as its first.
        int resource = -1;
        if (joined || keepLines) {
            const qint64 spelling = (qint64(descriptionId) << 32) | qint64(secondId);
            const auto [known, added] = resourceBySpelling.try_emplace(spelling, -1);
            if (added)
                known->second = out.groups.resourceOf(pool.value(descriptionId), pool.value(secondId));
            resource = known->second;
        }
        if (joined) {
            std::optional<double> ownQuantity = factor(rs.value(ownAt));
            if (own.size() > 1)
                ownQuantity = times(ownQuantity, factor(rs.value(ownAt + 1)));
            if (itemsFirst) {
                waitingItem->push_back({resource, price, ownQuantity, descriptionBytes(values[0]),
                                        factor(rs.value(ownAt + 1)), factor(rs.value(ownAt))});
            } else {
                Group& group = out.groups.groupOf(resource, price);
                for (const std::optional<double>& itemQuantity : items->second)
                    group.add(times(ownQuantity, itemQuantity));
            }
        }
        if (keepLines)
            out.lines.append(rs.rowId(), std::span(values.data(), std::size_t(ownAt)));
    };
    const QString product = subtotals ? ", " + detail::productExpression(tipo) + " AS Producto" : QString();
    db.scan("SELECT " + (loaded + own).join(", ") + ", CodigoPres, ItemPres" + product + " FROM " +
                campos.tabla,
            {}, visit);
    for (auto& [key, lines] : waiting)
        std::stable_sort(lines.begin(), lines.end(), inIndexOrder);
    for (const auto& [key, itemQuantity] : itemQuantities.stored) {
        const auto lines = waiting.find(key);
        if (lines == waiting.end())
            continue;
        for (const WaitingLine& line : lines->second)
            out.groups.groupOf(line.resource, line.price).add(times(line.own, itemQuantity));
    }
    return out;
}

TotalRecurso totalOf(const Group& group, const Escritura& spelling) {
    TotalRecurso row;
    row.descripcion = spelling.descripcion;
    row.unidad = spelling.segundo;
    row.cantidad = group.summed ? group.quantity : 0;
    row.precio = shownPrice(group.priceValue);
    row.importe = Redondear(row.precio * row.cantidad, 2);
    return row;
}

} // namespace

LineasAgrupadas AgrupacionRecursos::agrupar(TipoRecurso tipo) {
    Scan scanned = scan(db_, *items_, tipo, true);
    LineasAgrupadas out;
    for (const Group* group : scanned.groups.ordered())
        out.totales.push_back(totalOf(*group, scanned.groups.spelling(group->resource)));
    out.lineas = std::move(scanned.lines);
    return out;
}

double AgrupacionRecursos::total(TipoRecurso tipo, detail::SubtotalMap* subtotals) {
    const Scan scanned = scan(db_, *items_, tipo, false, subtotals);
    double sum = 0;
    for (const Group* group : scanned.groups.ordered())
        sum += totalOf(*group, {}).importe;
    return sum;
}

TotalesProyecto TotalesDelProyecto(const QString& projectFolder) {
    auto db = store::Database::openProject(projectFolder);
    AgrupacionRecursos grouping(db);
    detail::SubtotalMap subtotals;
    TotalesProyecto totals;
    totals.equipo = grouping.total(TipoRecurso::Equipo, &subtotals);
    totals.manoObra = grouping.total(TipoRecurso::ManoObra, &subtotals);
    totals.transporte = grouping.total(TipoRecurso::Transporte, &subtotals);
    detail::addSubtotals(db, TipoRecurso::Material, subtotals);
    totals.costoDirecto = detail::directCost(db, subtotals);
    return totals;
}

std::vector<Escritura> RecursosDistintos(const store::LoadedRows& lineas, bool conSegundo) {
    Groups groups;
    std::vector<int> resources;
    for (const qint64 row : lineas.rows()) {
        const int resource =
            groups.resourceOf(lineas.value(row, 0), conSegundo ? lineas.value(row, 1) : QVariant(QString()));
        if (resource == int(resources.size()))
            resources.push_back(resource);
    }
    std::sort(resources.begin(), resources.end(),
              [&groups](int a, int b) { return groups.compare(a, b) < 0; });
    std::vector<Escritura> out;
    out.reserve(resources.size());
    for (const int index : resources)
        out.push_back(groups.spelling(index));
    return out;
}

} // namespace korvex::engine
