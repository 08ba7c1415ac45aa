// The chapter tree gives the items and groups; each item's decomposition, flattened with its
// quantities multiplied down the tree, gives its analysis.

#include "exchange/Bc3Budget.h"

#include "exchange/Bc3Format.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <optional>

namespace korvex::exchange {

namespace {

struct PlanError {
    QString message;
};

QString recordText(int record, const char* letter) {
    return QStringLiteral("Registro %1 (~%2) del archivo BC3: ").arg(record).arg(QLatin1String(letter));
}

// One flattened line before it becomes a resource line: a basic entry with its quantity, or a
// percentage entry with the amount it adds.
struct RawLine {
    const Bc3Concept* entry = nullptr;
    QString code;
    double factor = 1;
    double quantity = 0; // absolute quantity; for a percentage, the amount
    bool percent = false;
    double ownQuantity = 0; // the component's quantity as written, without the factor
};

// Descriptions that keep resources apart: a second basic entry whose resource key (description
// with unit or category) another entry holds at a different price gets its code appended.
class ResourceNames {
public:
    QString describe(const QString& code, LineKind kind, const QString& summary, const QString& unit,
                     double price) {
        const QString cacheKey = QString::number(static_cast<int>(kind)) + QLatin1Char('\x1f') + code;
        const auto cached = byCode_.constFind(cacheKey);
        if (cached != byCode_.cend())
            return cached.value();
        QString description = summary.isEmpty() ? code : summary;
        const QString key = resourceKey(kind, description, unit);
        const auto owner = owners_.constFind(key);
        if (owner == owners_.cend()) {
            owners_.insert(key, price);
        } else if (owner.value() != price) {
            description = QStringLiteral("%1 (%2)").arg(description, code);
            owners_.insert(resourceKey(kind, description, unit), price);
        }
        byCode_.insert(cacheKey, description);
        return description;
    }

private:
    static QString resourceKey(LineKind kind, const QString& description, const QString& unit) {
        const QChar sep(0x1f);
        switch (kind) {
        case LineKind::Equipment:
            return QStringLiteral("E") + sep + description;
        case LineKind::Labour:
            return QStringLiteral("L") + sep + description + sep + unit; // the category
        case LineKind::Transport:
            return QStringLiteral("T") + sep + description + sep + unit;
        default:
            return QStringLiteral("M") + sep + description + sep + unit;
        }
    }
    QHash<QString, double> owners_;
    QHash<QString, QString> byCode_;
};

class Planner {
public:
    explicit Planner(const Bc3Document& doc) : doc_(doc) {
        own_ = parseOwnComment(doc.program, doc.comment);
        for (const Bc3Concept& c : doc.concepts)
            anyMarked_ = anyMarked_ || c.isChapter();
        for (auto it = doc.decompositions.cbegin(); it != doc.decompositions.cend(); ++it)
            for (const Bc3Component& component : it.value().components)
                used_.insert(doc_.canonical(component.code));
        for (int i = 0; i < static_cast<int>(doc.measurements.size()); ++i) {
            const Bc3Measurement& m = doc.measurements[static_cast<std::size_t>(i)];
            measurements_[pairKey(doc_.canonical(m.parent), doc_.canonical(m.child))].append(i);
        }
    }

    Bc3Budget plan() {
        Bc3Budget budget;
        budget.ownFile = own_.has_value();
        if (own_) {
            budget.herramienta = own_->herramienta;
            budget.costosIndirectos = own_->costosIndirectos;
            budget.otrosIndirectos = own_->otrosIndirectos;
        }
        const std::vector<Bc3Component> firstLevel = placeTree(budget);
        if (places_.empty() && firstLevel.empty())
            placePriceBase(budget);
        if (places_.empty())
            throw PlanError{QStringLiteral("El archivo BC3 no tiene partidas que importar: ningún capítulo "
                                           "lista conceptos y ningún concepto está descompuesto")};
        if (!own_)
            findIndirectConcept(budget);
        for (const Place& place : places_)
            budget.items.push_back(itemOf(place));
        if (!missing_.isEmpty()) {
            QStringList codes(missing_.cbegin(), missing_.cend());
            codes.sort();
            const qsizetype shown = std::min<qsizetype>(codes.size(), 10);
            budget.warnings << QStringLiteral("%1 conceptos sin registro ~C, importados a precio 0: %2%3")
                                   .arg(codes.size())
                                   .arg(codes.mid(0, shown).join(QStringLiteral(", ")))
                                   .arg(codes.size() > shown ? QStringLiteral("...") : QString());
        }
        return budget;
    }

private:
    struct Place {
        QString code;
        QString parentKey;
        std::vector<int> path;
        QString group;
        double product = 1;
        int indexInParent = 0;
        int timesInParent = 1;
        bool priceBase = false;
    };

    static QString pairKey(const QString& parent, const QString& child) {
        return parent + QChar(0x1f) + child;
    }

    bool decomposed(const QString& code) const {
        const Bc3Decomposition* d = doc_.decomposition(code);
        return d && !d->components.empty();
    }

    bool allDecomposed(const QString& code) const {
        const Bc3Decomposition* d = doc_.decomposition(code);
        if (!d || d->components.empty())
            return false;
        for (const Bc3Component& c : d->components)
            if (!decomposed(c.code))
                return false;
        return true;
    }

    bool holdsDecomposed(const QString& code) const {
        const Bc3Decomposition* d = doc_.decomposition(code);
        if (d)
            for (const Bc3Component& c : d->components)
                if (decomposed(c.code))
                    return true;
        return false;
    }

    // Below a chapter, a decomposed entry without unit whose components are all decomposed is a
    // sub-chapter, marked or not.
    bool isChapterBelow(const QString& code) const {
        const Bc3Concept* c = doc_.find(code);
        if (c && c->isChapter())
            return true;
        if (code.endsWith(QLatin1Char('#')))
            return true;
        return (!c || c->unit.isEmpty()) && allDecomposed(code) && !(c && c->isPercentage());
    }

    // The first level of the tree: the children of the root, or the top chapters themselves.
    std::vector<Bc3Component> firstLevel(Bc3Budget& budget) const {
        std::vector<const Bc3Concept*> top;
        if (anyMarked_) {
            for (const Bc3Concept& c : doc_.concepts)
                if (c.isRoot())
                    top.push_back(&c);
            if (top.empty())
                for (const Bc3Concept& c : doc_.concepts)
                    if (c.isChapter() && !used_.contains(doc_.canonical(c.code)))
                        top.push_back(&c);
        } else {
            // Unmarked files: the roots that hold decomposed concepts are the chapters. A root with a
            // unit and basic components is a priced unit of a price base instead.
            for (const Bc3Concept& c : doc_.concepts) {
                if (used_.contains(doc_.canonical(c.code)) || c.isPercentage() || !holdsDecomposed(c.code))
                    continue;
                if (c.unit.isEmpty() || allDecomposed(c.code))
                    top.push_back(&c);
            }
        }
        std::vector<Bc3Component> children;
        if (top.empty())
            return children;
        bool roots = true;
        for (const Bc3Concept* c : top)
            roots = roots && c->isRoot();
        if (top.size() == 1 && !roots) {
            // A single top chapter holding only chapters is the budget's root, marked or not.
            roots = true;
            const Bc3Decomposition* d = doc_.decomposition(top.front()->code);
            for (const Bc3Component& child : d ? d->components : std::vector<Bc3Component>{})
                roots = roots && isChapterBelow(child.code);
            roots = roots && d && !d->components.empty();
        }
        if (roots) {
            budget.projectName = top.front()->summary;
            for (const Bc3Concept* root : top)
                if (const Bc3Decomposition* d = doc_.decomposition(root->code))
                    children.insert(children.end(), d->components.begin(), d->components.end());
            rootKey_ = top.size() == 1 ? doc_.canonical(top.front()->code) : QString();
        } else {
            for (const Bc3Concept* c : top)
                children.push_back(Bc3Component{c->code, 1, 1});
        }
        if (budget.projectName.isEmpty())
            budget.projectName = doc_.header;
        return children;
    }

    std::vector<Bc3Component> placeTree(Bc3Budget& budget) {
        std::vector<Bc3Component> children = firstLevel(budget);
        if (children.empty())
            return children;
        QSet<QString> stack;
        if (!rootKey_.isEmpty())
            stack.insert(rootKey_);
        walk(children, rootKey_, {}, QString(), 0, stack, budget);
        return children;
    }

    void walk(const std::vector<Bc3Component>& children, const QString& parentKey,
              const std::vector<int>& prefix, const QString& group, int depth, QSet<QString>& stack,
              Bc3Budget& budget) {
        QHash<QString, int> times;
        for (const Bc3Component& c : children)
            ++times[doc_.canonical(c.code)];
        for (int i = 0; i < static_cast<int>(children.size()); ++i) {
            const Bc3Component& child = children[static_cast<std::size_t>(i)];
            const QString key = doc_.canonical(child.code);
            std::vector<int> path = prefix;
            path.push_back(i + 1);
            if (isChapterBelow(child.code)) {
                if (stack.contains(key) || depth >= kBc3MaxLevels) {
                    const Bc3Decomposition* d = doc_.decomposition(parentKey);
                    throw PlanError{
                        recordText(d ? d->record : 0, "D") +
                        (depth >= kBc3MaxLevels
                             ? QStringLiteral("el árbol de capítulos tiene más de %1 niveles")
                                   .arg(kBc3MaxLevels)
                             : QStringLiteral("el capítulo «%1» se contiene a sí mismo").arg(child.code))};
                }
                const QString childGroup = depth == 0 ? groupOf(child.code, budget) : group;
                stack.insert(key);
                const Bc3Decomposition* d = doc_.decomposition(child.code);
                walk(d ? d->components : std::vector<Bc3Component>{}, key, path, childGroup, depth + 1, stack,
                     budget);
                stack.remove(key);
                continue;
            }
            const Bc3Concept* entry = doc_.find(child.code);
            if (entry && entry->isPercentage())
                continue; // a percentage of a chapter is no item
            Place place;
            place.code = entry ? entry->code : child.code;
            place.parentKey = parentKey;
            place.path = path;
            place.group = group;
            place.product = child.product();
            place.indexInParent = i + 1;
            place.timesInParent = times.value(key);
            places_.push_back(place);
        }
    }

    QString groupOf(const QString& code, Bc3Budget& budget) {
        const QString key = Bc3Document::key(code);
        if (own_ && key == Bc3Document::key(QString::fromLatin1(kBc3SinGrupo)))
            return {};
        for (const PlannedGroup& g : budget.groups)
            if (g.name == key)
                return key;
        const Bc3Concept* c = doc_.find(code);
        budget.groups.push_back(
            {key, c ? c->summary : QString(), static_cast<int>(budget.groups.size()) + 1});
        return key;
    }

    // A price base: every decomposed entry that no other decomposition uses is an item.
    void placePriceBase(Bc3Budget& budget) {
        budget.priceBase = true;
        if (budget.projectName.isEmpty())
            budget.projectName = doc_.header;
        for (const Bc3Concept& c : doc_.concepts) {
            if (c.isPercentage() || used_.contains(doc_.canonical(c.code)) || !decomposed(c.code))
                continue;
            Place place;
            place.code = c.code;
            place.path = {static_cast<int>(places_.size()) + 1};
            place.priceBase = true;
            places_.push_back(place);
        }
    }

    // When every item's decomposition ends with the same percentage, that percentage is the
    // project's indirect cost instead of a line of each item.
    void findIndirectConcept(Bc3Budget& budget) {
        QString code;
        double product = 0;
        for (const Place& place : places_) {
            const Bc3Decomposition* d = doc_.decomposition(place.code);
            if (!d || d->components.empty())
                return;
            const Bc3Component& last = d->components.back();
            const Bc3Concept* entry = doc_.find(last.code);
            if (!entry || !entry->isPercentage())
                return;
            if (code.isEmpty()) {
                code = doc_.canonical(last.code);
                product = last.product();
            } else if (code != doc_.canonical(last.code) || product != last.product()) {
                return;
            }
        }
        indirectKey_ = code;
        budget.indirectConcept = doc_.find(code)->code;
        budget.costosIndirectos = product * 100;
    }

    const Bc3Measurement* measurementOf(const Place& place) const {
        if (place.priceBase)
            return nullptr;
        const QString child = doc_.canonical(place.code);
        QList<int> candidates = measurements_.value(pairKey(place.parentKey, child));
        candidates += measurements_.value(pairKey(QString(), child));
        const Bc3Measurement* lastMatch = nullptr;
        const Bc3Measurement* exact = nullptr;
        const Bc3Measurement* any = nullptr;
        for (int i : candidates) {
            const Bc3Measurement& m = doc_.measurements[static_cast<std::size_t>(i)];
            if (m.positions == place.path)
                exact = &m;
            else if (!m.positions.empty() && m.positions.back() == place.indexInParent)
                lastMatch = &m;
            if (m.positions.empty() || place.timesInParent == 1)
                any = &m;
        }
        return exact ? exact : lastMatch ? lastMatch : any;
    }

    PlannedItem itemOf(const Place& place) {
        const Bc3Concept* entry = doc_.find(place.code);
        PlannedItem item;
        item.code = place.code;
        QStringList numbers;
        for (int n : place.path)
            numbers.append(QString::number(n));
        item.item = numbers.join(QLatin1Char('.'));
        item.quantity = place.priceBase ? 1 : place.product;
        if (const Bc3Measurement* m = measurementOf(place)) {
            if (m->hasTotal)
                item.quantity = m->total;
            if (own_ && !m->label.isEmpty()) {
                item.item = m->label;
                if (item.code.endsWith(QLatin1Char('_') + m->label))
                    item.code.chop(m->label.size() + 1);
            }
        }
        item.group = place.group;
        if (entry) {
            item.description = entry->summary.isEmpty() ? entry->text.left(255) : entry->summary;
            item.unit = entry->unit;
            item.statedPrice = entry->price;
            item.hasStatedPrice = entry->hasPrice;
            item.record = entry->record;
        }
        if (item.description.isEmpty())
            item.description = place.code;
        item.lines = linesOf(place.code);
        return item;
    }

    const std::vector<PlannedLine>& linesOf(const QString& code) {
        const QString key = doc_.canonical(code);
        const auto cached = analyses_.constFind(key);
        if (cached != analyses_.cend())
            return cached.value();
        std::vector<RawLine> raw;
        int visits = 0;
        if (decomposed(code)) {
            QSet<QString> stack{key};
            expand(key, 1, 1, true, stack, visits, raw);
        } else {
            // A priced entry without decomposition: its own price as one line.
            const Bc3Concept* c = doc_.find(code);
            raw.push_back(RawLine{c, code, 1, 1, false, 1});
        }
        for (const RawLine& line : raw) {
            // Factors multiplied down a deep tree can overflow: no figure of the budget may be infinite.
            const double price = line.entry ? line.entry->price : 0;
            if (!std::isfinite(line.quantity) || !std::isfinite(line.quantity * price)) {
                const Bc3Decomposition* d = doc_.decomposition(code);
                throw PlanError{recordText(d ? d->record : 0, "D") +
                                QStringLiteral("las cantidades de «%1» se salen de rango").arg(code)};
            }
        }
        return analyses_[key] = resourceLines(own_ ? raw : merged(raw));
    }

    // This program's own files carry the tools allowance and indirect costs in the header.
    bool dropped(const QString& componentKey) const {
        return own_ && (componentKey == QLatin1String(kBc3Herramienta) ||
                        componentKey == QLatin1String(kBc3Indirectos));
    }

    // Adds the lines of a decomposition multiplied by multiplier; returns the amount they add up to.
    double expand(const QString& key, double multiplier, int level, bool top, QSet<QString>& stack,
                  int& visits, std::vector<RawLine>& out) {
        const Bc3Decomposition& d = *doc_.decomposition(key);
        double sum = 0;
        const std::size_t count = d.components.size();
        for (std::size_t i = 0; i < count; ++i) {
            const Bc3Component& component = d.components[i];
            const QString childKey = doc_.canonical(component.code);
            if (top && i + 1 == count && !indirectKey_.isEmpty() && childKey == indirectKey_)
                continue;
            if (dropped(childKey))
                continue;
            if (++visits > kBc3MaxLinesPerItem)
                throw PlanError{recordText(d.record, "D") +
                                QStringLiteral("la partida tiene más de %1 líneas al descomponerla")
                                    .arg(kBc3MaxLinesPerItem)};
            const Bc3Concept* entry = doc_.find(component.code);
            if (entry && entry->isPercentage()) {
                const double amount = component.product() * sum;
                out.push_back(RawLine{entry, component.code, 1, amount, true, 0});
                sum += amount;
            } else if (decomposed(component.code)) {
                if (stack.contains(childKey))
                    throw PlanError{recordText(d.record, "D") +
                                    QStringLiteral("la descomposición de «%1» vuelve a contener «%2» (ciclo)")
                                        .arg(key, component.code)};
                if (level >= kBc3MaxLevels)
                    throw PlanError{
                        recordText(d.record, "D") +
                        QStringLiteral("la descomposición tiene más de %1 niveles").arg(kBc3MaxLevels)};
                stack.insert(childKey);
                sum +=
                    expand(childKey, multiplier * component.product(), level + 1, false, stack, visits, out);
                stack.remove(childKey);
            } else {
                const double quantity = multiplier * component.product();
                out.push_back(
                    RawLine{entry, component.code, component.factor, quantity, false, component.quantity});
                sum += quantity * (entry ? entry->price : 0);
                if (!entry)
                    missing_.insert(component.code);
            }
        }
        return sum;
    }

    // One line per entry, in the order each first appears, quantities added.
    std::vector<RawLine> merged(const std::vector<RawLine>& raw) const {
        std::vector<RawLine> out;
        QHash<QString, std::size_t> at;
        for (const RawLine& line : raw) {
            const QString key =
                doc_.canonical(line.code) + (line.percent ? QStringLiteral("\x1f%") : QString());
            const auto found = at.constFind(key);
            if (found == at.cend()) {
                at.insert(key, out.size());
                out.push_back(line);
            } else {
                out[found.value()].quantity += line.quantity;
            }
        }
        return out;
    }

    std::vector<PlannedLine> resourceLines(const std::vector<RawLine>& raw) {
        std::vector<PlannedLine> lines;
        std::vector<PlannedLine> transport;
        for (const RawLine& line : raw) {
            const QString summary = line.entry ? line.entry->summary : QString();
            const QString unit = line.entry ? line.entry->unit : QString();
            const double price = line.entry ? line.entry->price : 0;
            PlannedLine out;
            if (line.percent) {
                out.kind = LineKind::Material;
                out.unit = QStringLiteral("%");
                out.price = 1;
                out.quantity = line.quantity;
                out.description = names_.describe(line.code, out.kind, summary, out.unit, out.price);
                lines.push_back(out);
                transport.push_back(mirror(out));
                continue;
            }
            const Bc3Type type = line.entry ? line.entry->type : Bc3Type::Unclassified;
            const bool ownTransport = own_ && line.code.startsWith(QLatin1String(kBc3PrefijoTransporte));
            out.kind = ownTransport                 ? LineKind::Transport
                       : type == Bc3Type::Labour    ? LineKind::Labour
                       : type == Bc3Type::Equipment ? LineKind::Equipment
                                                    : LineKind::Material;
            out.price = price;
            if (out.kind == LineKind::Labour || out.kind == LineKind::Equipment) {
                // This program's own files keep workers (or hours) and yield apart in factor and quantity.
                out.workers = own_ ? line.factor : 1;
                out.quantity = own_ ? line.ownQuantity : line.quantity;
                const QString text = line.entry ? line.entry->text : QString();
                if (own_ && out.kind == LineKind::Labour &&
                    text.startsWith(QLatin1String(kBc3PrefijoCategoria)))
                    out.category = text.mid(static_cast<qsizetype>(qstrlen(kBc3PrefijoCategoria)));
                out.description = names_.describe(line.code, out.kind, summary, out.category, price);
                lines.push_back(out);
                continue;
            }
            out.unit = unit;
            out.quantity = line.quantity;
            if (out.kind == LineKind::Transport) {
                QString description = summary;
                if (description.startsWith(QLatin1String(kBc3PrefijoTextoTransporte)))
                    description =
                        description.mid(static_cast<qsizetype>(qstrlen(kBc3PrefijoTextoTransporte)));
                out.description = description;
                transport.push_back(out);
                continue;
            }
            out.description = names_.describe(line.code, out.kind, summary, unit, price);
            lines.push_back(out);
            if (!own_)
                transport.push_back(mirror(out));
        }
        lines.insert(lines.end(), transport.begin(), transport.end());
        return lines;
    }

    static PlannedLine mirror(const PlannedLine& material) {
        PlannedLine t = material;
        t.kind = LineKind::Transport;
        t.price = 0;
        return t;
    }

    const Bc3Document& doc_;
    std::optional<Bc3OwnHeader> own_;
    bool anyMarked_ = false;
    QSet<QString> used_;
    QHash<QString, QList<int>> measurements_;
    mutable QString rootKey_;
    std::vector<Place> places_;
    QHash<QString, std::vector<PlannedLine>> analyses_;
    QString indirectKey_;
    ResourceNames names_;
    QSet<QString> missing_;
};

} // namespace

int Bc3Budget::lineCount() const {
    int count = 0;
    for (const PlannedItem& item : items)
        count += static_cast<int>(item.lines.size());
    return count;
}

Bc3Budget planBc3Budget(const Bc3Document& document) {
    try {
        Planner planner(document);
        return planner.plan();
    } catch (const PlanError& error) {
        Bc3Budget failed;
        failed.ok = false;
        failed.message = error.message;
        return failed;
    }
}

} // namespace korvex::exchange
