#include "reports/Composer.h"

#include "engine/Numbers.h"
#include "store/Database.h"

#include <QFontMetricsF>
#include <QSet>
#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>

namespace korvex::reports {

namespace {

// The project's indirect-cost percentages print as the unit prices use them, also where the header
// holds none (no record, or a Null figure), so a subtitle never shows a blank beside "%".
void putUnitPriceFigures(DataSet& project, const std::optional<engine::DatosIndirectos>& figures) {
    if (!figures)
        return;
    if (project.rows.empty())
        project.rows.emplace_back(static_cast<std::size_t>(project.columns.size()));
    const auto put = [&](const QString& name, double figure) {
        int column = project.column(name.toLower());
        if (column < 0) {
            project.addColumn(name);
            for (auto& row : project.rows)
                row.emplace_back();
            column = static_cast<int>(project.columns.size()) - 1;
        }
        project.rows.front()[static_cast<std::size_t>(column)] = Value(figure);
    };
    put(QStringLiteral("CostosIndirectos"), figures->costosIndirectos);
    put(QStringLiteral("OtrosIndirectos"), figures->otrosIndirectos);
}

constexpr double mm(double value) {
    return value * kDotsPerMm;
}

// Geometry and colours of the printed page, chosen for legibility on paper and on screen.
const double kCellPadX = mm(1.0);
const double kCellPadY = mm(0.42);
const double kBarHeight = mm(2.4);
constexpr std::size_t kMaxPages = 200000; // a report past this is a template gone wrong

constexpr double kThinLine = 3;
constexpr double kRuleLine = 5;
constexpr double kHeavyLine = 8;
const QColor kGridColor(0x9a, 0xa1, 0xab);
const QColor kRowLineColor(0xd0, 0xd4, 0xda);
const QColor kHeaderFill(0xe3, 0xe8, 0xef);
const QColor kGroupFill(0xf2, 0xf4, 0xf7);
const QColor kZebraFill(0xf8, 0xf9, 0xfb);
const QColor kBarFill(0x3f, 0x6e, 0xa8);
const QColor kMutedText(0x55, 0x5b, 0x63);

struct RowSet {
    const DataSet* set = nullptr;
    QString name;                                          // lower case
    std::vector<std::pair<QString, const DataSet*>> joins; // alias in lower case
    struct Ref {
        int row = 0;
        std::vector<int> joined; // row of each join, -1 when none matched
    };
    std::vector<Ref> refs;
};

class Composer;

// One record of a row set, with the records joined to it.
class RowScope : public Scope {
public:
    RowScope(const Scope* parent, const RowSet& rows, const RowSet::Ref& ref, const QSet<QString>& dataNames,
             int number = 0)
        : Scope(parent), rows_(rows), ref_(ref), dataNames_(dataNames), number_(number) {}
    std::optional<Value> field(const QString& name) const { return lookup(name); }

protected:
    std::optional<Value> lookup(const QString& name) const override {
        const int dot = name.indexOf(QLatin1Char('.'));
        if (dot > 0) {
            const QString prefix = name.left(dot);
            for (std::size_t j = 0; j < rows_.joins.size(); ++j) {
                if (rows_.joins[j].first != prefix)
                    continue;
                const DataSet* joined = rows_.joins[j].second;
                const int column = joined->column(name.mid(dot + 1));
                if (column < 0)
                    return std::nullopt;
                const int row = ref_.joined[j];
                if (row < 0)
                    return Value();
                return joined->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            }
            // "Proyecto.IVA" names another query's field, unless this row's query has it.
            if (dataNames_.contains(prefix) && prefix != rows_.name)
                return std::nullopt;
        }
        const int column = rows_.set->column(name);
        if (column < 0) {
            if (number_ > 0 && name == QLatin1String("rownumber"))
                return Value(static_cast<double>(number_));
            return std::nullopt;
        }
        return rows_.set->rows[static_cast<std::size_t>(ref_.row)][static_cast<std::size_t>(column)];
    }

private:
    const RowSet& rows_;
    const RowSet::Ref& ref_;
    const QSet<QString>& dataNames_;
    int number_; // RowNumber: the row's place in the table or records printed, from 1
};

// A group of rows for aggregates; its plain names read the first row of the group.
class AggregateScope : public Scope {
public:
    AggregateScope(const Scope* parent, const RowSet& rows, std::vector<int> members,
                   const QSet<QString>& dataNames)
        : Scope(parent), rows_(rows), members_(std::move(members)), dataNames_(dataNames) {}

protected:
    std::optional<Value> lookup(const QString& name) const override {
        if (members_.empty()) {
            if (rows_.set->column(name) >= 0)
                return Value();
            return std::nullopt;
        }
        RowScope first(nullptr, rows_, rows_.refs[static_cast<std::size_t>(members_.front())], dataNames_);
        return first.field(name);
    }

    bool rows(const std::function<void(const Scope&)>& visit) const override {
        for (const int member : members_) {
            RowScope row(parent(), rows_, rows_.refs[static_cast<std::size_t>(member)], dataNames_,
                         member + 1);
            visit(row);
        }
        return true;
    }

private:
    const RowSet& rows_;
    std::vector<int> members_;
    const QSet<QString>& dataNames_;
};

std::vector<int> allMembers(const RowSet& rows) {
    std::vector<int> members(rows.refs.size());
    std::iota(members.begin(), members.end(), 0);
    return members;
}

// A horizontal strip of a page: placed whole, on the current page or the next.
struct Band {
    double height = 0;
    Page items; // y measured from the top of the band
    bool keepWithNext = false;
    bool breakBefore = false;
    double keepHeight = 0;                           // keep this much of what follows on one page
    std::shared_ptr<const std::vector<Band>> repeat; // printed first on a page this band opens
};

using Repeat = std::shared_ptr<const std::vector<Band>>;

Repeat extend(const Repeat& base, const std::vector<Band>& more) {
    auto list = std::make_shared<std::vector<Band>>();
    if (base)
        *list = *base;
    for (Band band : more) {
        band.repeat.reset();
        band.breakBefore = false;
        band.keepHeight = 0;
        list->push_back(std::move(band));
    }
    return list;
}

struct Context {
    const Scope* scope;
    VarScope* vars;
    Repeat repeat;
};

class GlobalScope : public VarScope {
public:
    explicit GlobalScope(Composer& composer) : composer_(composer) {}

protected:
    std::optional<Value> lookup(const QString& name) const override;

private:
    Composer& composer_;
};

class Composer {
public:
    Composer(const ReportTemplate& report, DataProvider& data)
        : report_(report), data_(data), global_(*this) {
        for (const DataSpec& dataDef : report.data)
            dataNames_.insert(dataDef.name.toLower());
        dataNames_.insert(QStringLiteral("proyecto"));
        document_.title = report.fileName;
        document_.fileName = report.fileName;
        document_.pageSize = report.pageSize;
        document_.landscape = report.landscape;
        document_.fontFamilies =
            report.fontFamilies.isEmpty()
                ? QStringList{QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                              QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("DejaVu Sans")}
                : report.fontFamilies;
        const QSizeF size = QPageSize(report.pageSize).size(QPageSize::Millimeter);
        document_.size = report.landscape ? QSizeF(mm(size.height()), mm(size.width()))
                                          : QSizeF(mm(size.width()), mm(size.height()));
        left_ = mm(report.margins.left());
        right_ = document_.size.width() - mm(report.margins.right());
        base_ = font(report.fontSize);
    }

    ReportDocument compose(const FormulaValues& formulas);

    const DataSet* singleRecord(const QString& name) { return &dataset(name); }
    const QSet<QString>& dataNames() const { return dataNames_; }

private:
    // ---- data
    const DataSet& dataset(const QString& name);
    std::unique_ptr<DataSet> derive(const DataSpec& dataDef);
    const QHash<QString, std::vector<int>>& index(const QString& data, const QStringList& fields);
    RowSet rowsFor(const RowSource& source, const Scope& context);
    void sortRows(RowSet& rows, const std::vector<SortKey>& keys, const Scope& context);
    Value eval(const Expression& expression, const Scope& scope) const { return expression.evaluate(scope); }
    QString textOf(const Expression& expression, const Scope& scope) const {
        return expression.isEmpty() ? QString() : expression.evaluate(scope).toText();
    }

    // ---- fonts and text
    FontSpec font(double points, bool bold = false, bool italic = false) const {
        return {static_cast<int>(points * kDotsPerPoint + 0.5), bold, italic};
    }
    FontSpec scaled(const FontSpec& dataDef, double factor, bool bold, bool italic = false) const {
        return {static_cast<int>(dataDef.pixelSize * factor + 0.5), bold, italic};
    }
    const QFontMetricsF& metrics(const FontSpec& dataDef);
    double width(const QString& text, const FontSpec& dataDef) {
        return metrics(dataDef).horizontalAdvance(text);
    }
    double lineHeight(const FontSpec& dataDef) { return metrics(dataDef).lineSpacing(); }
    QStringList wrap(const QString& text, const FontSpec& dataDef, double width);
    FontSpec fit(const QString& text, const FontSpec& dataDef, double width);
    // Places lines top-down inside box; returns the height used.
    double placeLines(Page& page, const QStringList& lines, const FontSpec& dataDef, const QRectF& box,
                      Align align, const QColor& color = Qt::black);

    // ---- blocks
    void blocks(const std::vector<Block>& list, Context& context, std::vector<Band>& out);
    void block(const Block& block, Context& context, std::vector<Band>& out);
    void composeBlock(const Block& block, Context& context, std::vector<Band>& out);
    void table(const Block& block, Context& context, std::vector<Band>& out);
    void records(const Block& block, Context& context, std::vector<Band>& out);
    void fields(const Block& block, Context& context, std::vector<Band>& out);
    void summary(const Block& block, Context& context, std::vector<Band>& out);
    void text(const Block& block, Context& context, std::vector<Band>& out);
    void signatures(const Block& block, Context& context, std::vector<Band>& out);
    // What a fields, summary or text block reads: with a source of its own, the aggregate of the
    // source's rows (held here), else the enclosing scope; no scope when the block's visible
    // condition hides it over its rows.
    struct SourceScope {
        std::unique_ptr<RowSet> rows;
        std::unique_ptr<AggregateScope> aggregate;
        const Scope* scope = nullptr;
    };
    SourceScope sourceScope(const Block& block, const Context& context);

    // ---- table pieces
    struct Cell {
        QString text;
        double bar = -1; // fraction, or -1 for none
        bool bold = false;
    };
    std::vector<double> columnWidths(const std::vector<ColumnSpec>& columns) const;
    Band headerBand(const Block& block, const std::vector<double>& widths, const Scope& scope);
    Band rowBand(const Block& block, const std::vector<double>& widths, const std::vector<Cell>& cells,
                 const QColor& fill);
    Band spanBand(const QString& text, const FontSpec& dataDef, const QColor& fill, const QColor& color,
                  double ruleAbove);
    Band totalBand(const Block& block, const std::vector<double>& widths, const QString& label,
                   const std::vector<Cell>& cells, const QColor& fill, double ruleAbove);
    Band titleBand(const QString& text);
    void verticalRules(Page& page, const std::vector<double>& widths, double height, const QColor& color);

    // ---- pages
    void headerOfPage();
    void paginate(std::vector<Band>& bands);
    void footers();

    const ReportTemplate& report_;
    DataProvider& data_;
    GlobalScope global_;
    ReportDocument document_;
    QSet<QString> dataNames_;
    QHash<QString, std::shared_ptr<DataSet>> datasets_;
    QSet<QString> loading_;
    QHash<QString, QHash<QString, std::vector<int>>> indexes_;
    std::vector<std::pair<FontSpec, std::unique_ptr<QFontMetricsF>>> metrics_;
    FontSpec base_;
    double left_ = 0;
    double right_ = 0;
    double bodyTop_ = 0;
    double bodyBottom_ = 0;
    Page header_;
};

std::optional<Value> GlobalScope::lookup(const QString& name) const {
    if (auto value = VarScope::lookup(name))
        return value;
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot <= 0 || !composer_.dataNames().contains(name.left(dot)))
        return std::nullopt;
    const DataSet* set = composer_.singleRecord(name.left(dot));
    const int column = set->column(name.mid(dot + 1));
    if (column < 0)
        return set->columns.isEmpty() ? std::optional<Value>(Value()) : std::nullopt;
    if (set->rows.empty())
        return Value();
    return set->rows.front()[static_cast<std::size_t>(column)];
}

// ---------------------------------------------------------------------------------------------
// Data

const DataSet& Composer::dataset(const QString& name) {
    const QString key = name.toLower();
    if (const auto it = datasets_.constFind(key); it != datasets_.constEnd())
        return **it;
    if (loading_.contains(key))
        throw TemplateError(QStringLiteral("la consulta «%1» se lee a sí misma").arg(name));
    loading_.insert(key);
    const DataSpec* dataDef = report_.findData(name);
    if (!dataDef && key != QLatin1String("proyecto"))
        throw TemplateError(QStringLiteral("no existe la consulta «%1»").arg(name));
    std::shared_ptr<DataSet> result;
    if (dataDef && dataDef->isLiteral()) {
        result = std::make_shared<DataSet>();
        for (const QString& column : dataDef->columns)
            result->addColumn(column);
        result->rows = dataDef->rows;
    } else if (dataDef && !dataDef->from.isEmpty()) {
        result = derive(*dataDef);
    } else {
        const QString sql = dataDef ? dataDef->sql : QStringLiteral("SELECT * FROM Proyecto");
        try {
            result = std::make_shared<DataSet>(data_.query(sql));
        } catch (const store::StoreError& error) {
            throw TemplateError(
                QStringLiteral("la consulta «%1» falló: %2 (%3)").arg(name, error.message(), sql));
        }
        if (!dataDef)
            putUnitPriceFigures(*result, data_.unitPriceFigures());
        if (dataDef && !dataDef->sort.empty()) {
            RowSet rows;
            rows.set = result.get();
            rows.name = key;
            for (int i = 0; i < static_cast<int>(result->rows.size()); ++i)
                rows.refs.push_back({i, {}});
            sortRows(rows, dataDef->sort, global_);
            std::vector<std::vector<Value>> sorted;
            sorted.reserve(result->rows.size());
            for (const auto& ref : rows.refs)
                sorted.push_back(result->rows[static_cast<std::size_t>(ref.row)]);
            result->rows = std::move(sorted);
        }
    }
    loading_.remove(key);
    datasets_.insert(key, result);
    return *result;
}

std::unique_ptr<DataSet> Composer::derive(const DataSpec& dataDef) {
    RowSource source;
    source.data = dataDef.from;
    source.where = dataDef.where;
    source.joins = dataDef.joins;
    RowSet rows = rowsFor(source, global_);
    auto out = std::make_unique<DataSet>();
    if (dataDef.groupBy.empty()) {
        for (const QString& column : rows.set->columns)
            out->addColumn(column);
        for (const Assignment& field : dataDef.fields)
            out->addColumn(field.name);
        for (const auto& ref : rows.refs) {
            RowScope row(&global_, rows, ref, dataNames_);
            VarScope computed(&row);
            std::vector<Value> values = rows.set->rows[static_cast<std::size_t>(ref.row)];
            for (const Assignment& field : dataDef.fields) {
                Value value = field.expression.evaluate(computed);
                computed.set(field.name, value);
                values.push_back(std::move(value));
            }
            out->rows.push_back(std::move(values));
        }
    } else {
        for (std::size_t g = 0; g < dataDef.groupBy.size(); ++g) {
            const QString source = dataDef.groupBy[g].source().trimmed();
            const int dot = source.lastIndexOf(QLatin1Char('.'));
            out->addColumn(dot >= 0 ? source.mid(dot + 1) : source);
        }
        for (const Assignment& field : dataDef.fields)
            out->addColumn(field.name);
        QHash<QString, int> groupOf;
        std::vector<std::vector<int>> members;
        std::vector<std::vector<Value>> keys;
        for (int i = 0; i < static_cast<int>(rows.refs.size()); ++i) {
            RowScope row(&global_, rows, rows.refs[static_cast<std::size_t>(i)], dataNames_);
            std::vector<Value> values;
            QString key;
            for (const Expression& expression : dataDef.groupBy) {
                values.push_back(expression.evaluate(row));
                key += values.back().key() + QChar(0x1f);
            }
            auto it = groupOf.find(key);
            if (it == groupOf.end()) {
                it = groupOf.insert(key, static_cast<int>(members.size()));
                members.emplace_back();
                keys.push_back(std::move(values));
            }
            members[static_cast<std::size_t>(*it)].push_back(i);
        }
        for (std::size_t g = 0; g < members.size(); ++g) {
            AggregateScope group(&global_, rows, members[g], dataNames_);
            VarScope computed(&group);
            std::vector<Value> values = keys[g];
            for (const Assignment& field : dataDef.fields) {
                Value value = field.expression.evaluate(computed);
                computed.set(field.name, value);
                values.push_back(std::move(value));
            }
            out->rows.push_back(std::move(values));
        }
    }
    if (!dataDef.sort.empty()) {
        RowSet sorted;
        sorted.set = out.get();
        sorted.name = dataDef.name.toLower();
        for (int i = 0; i < static_cast<int>(out->rows.size()); ++i)
            sorted.refs.push_back({i, {}});
        sortRows(sorted, dataDef.sort, global_);
        std::vector<std::vector<Value>> reordered;
        for (const auto& ref : sorted.refs)
            reordered.push_back(out->rows[static_cast<std::size_t>(ref.row)]);
        out->rows = std::move(reordered);
    }
    return out;
}

const QHash<QString, std::vector<int>>& Composer::index(const QString& data, const QStringList& fields) {
    const QString key = data.toLower() + QLatin1Char('|') + fields.join(QLatin1Char('|'));
    auto it = indexes_.find(key);
    if (it != indexes_.end())
        return *it;
    const DataSet& set = dataset(data);
    std::vector<int> columns;
    for (const QString& field : fields) {
        const int column = set.column(field);
        if (column < 0 && !set.columns.isEmpty())
            throw TemplateError(QStringLiteral("la consulta «%1» no tiene el campo «%2»").arg(data, field));
        columns.push_back(column);
    }
    QHash<QString, std::vector<int>> map;
    for (int row = 0; row < static_cast<int>(set.rows.size()); ++row) {
        QString k;
        for (const int column : columns)
            k += (column < 0
                      ? QString()
                      : set.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].key()) +
                 QChar(0x1f);
        map[k].push_back(row);
    }
    return *indexes_.insert(key, std::move(map));
}

RowSet Composer::rowsFor(const RowSource& source, const Scope& context) {
    RowSet rows;
    rows.set = &dataset(source.data);
    rows.name = source.data.toLower();
    for (const JoinSpec& join : source.joins)
        rows.joins.emplace_back(join.alias.toLower(), &dataset(join.data));

    std::vector<int> candidates;
    if (!source.link.empty()) {
        QStringList fields;
        QString key;
        for (const auto& [field, expression] : source.link) {
            fields.append(field.toLower());
            key += expression.evaluate(context).key() + QChar(0x1f);
        }
        const auto& map = index(source.data, fields);
        if (const auto it = map.constFind(key); it != map.constEnd())
            candidates = *it;
    } else {
        candidates.resize(rows.set->rows.size());
        std::iota(candidates.begin(), candidates.end(), 0);
    }

    std::vector<const QHash<QString, std::vector<int>>*> joinIndexes;
    for (const JoinSpec& join : source.joins) {
        QStringList fields;
        for (const auto& pair : join.on)
            fields.append(pair.first.toLower());
        joinIndexes.push_back(&index(join.data, fields));
    }
    // The n-th record with a key meets the n-th joined record with it: tables written side by
    // side (the three schedule tables) stay aligned when a group appears twice.
    std::vector<QHash<QString, int>> occurrences(source.joins.size());
    for (const int candidate : candidates) {
        RowSet::Ref ref{candidate, std::vector<int>(source.joins.size(), -1)};
        for (std::size_t j = 0; j < source.joins.size(); ++j) {
            RowScope partial(&context, rows, ref, dataNames_);
            QString key;
            for (const auto& pair : source.joins[j].on)
                key += pair.second.evaluate(partial).key() + QChar(0x1f);
            const auto found = joinIndexes[j]->constFind(key);
            if (found == joinIndexes[j]->constEnd())
                continue;
            const int seen = occurrences[j][key]++;
            ref.joined[j] = seen < static_cast<int>(found->size()) ? (*found)[static_cast<std::size_t>(seen)]
                                                                   : found->front();
        }
        if (!source.where.isEmpty()) {
            RowScope row(&context, rows, ref, dataNames_);
            if (!source.where.evaluate(row).truthy())
                continue;
        }
        rows.refs.push_back(std::move(ref));
    }
    sortRows(rows, source.sort, context);
    return rows;
}

void Composer::sortRows(RowSet& rows, const std::vector<SortKey>& keys, const Scope& context) {
    if (keys.empty() || rows.refs.size() < 2)
        return;
    std::vector<std::vector<Value>> values(rows.refs.size());
    for (std::size_t i = 0; i < rows.refs.size(); ++i) {
        RowScope row(&context, rows, rows.refs[i], dataNames_);
        for (const SortKey& key : keys)
            values[i].push_back(key.expression.evaluate(row));
    }
    std::vector<std::size_t> order(rows.refs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            int c = Value::compare(values[a][k], values[b][k]);
            if (keys[k].descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    std::vector<RowSet::Ref> sorted;
    sorted.reserve(order.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(rows.refs[i]));
    rows.refs = std::move(sorted);
}

// ---------------------------------------------------------------------------------------------
// Text

const QFontMetricsF& Composer::metrics(const FontSpec& dataDef) {
    for (const auto& [key, value] : metrics_) {
        if (key == dataDef)
            return *value;
    }
    metrics_.emplace_back(dataDef, std::make_unique<QFontMetricsF>(document_.font(dataDef)));
    return *metrics_.back().second;
}

QStringList Composer::wrap(const QString& text, const FontSpec& dataDef, double available) {
    QStringList lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& raw : paragraphs) {
        const QString paragraph = raw.trimmed();
        if (width(paragraph, dataDef) <= available) {
            lines.append(paragraph);
            continue;
        }
        QString line;
        const QStringList words = paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString word : words) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (width(candidate, dataDef) <= available) {
                line = candidate;
                continue;
            }
            if (!line.isEmpty())
                lines.append(line);
            line.clear();
            // A word wider than the column is cut where it must be.
            while (width(word, dataDef) > available && word.size() > 1) {
                int n = word.size() - 1;
                while (n > 1 && width(word.left(n), dataDef) > available)
                    --n;
                lines.append(word.left(n));
                word = word.mid(n);
            }
            line = word;
        }
        lines.append(line);
    }
    return lines;
}

FontSpec Composer::fit(const QString& text, const FontSpec& dataDef, double available) {
    const double needed = width(text, dataDef);
    if (needed <= available || text.isEmpty())
        return dataDef;
    FontSpec smaller = dataDef;
    const int minimum = std::max(1, dataDef.pixelSize / 2);
    smaller.pixelSize = std::max(minimum, static_cast<int>(dataDef.pixelSize * available / needed));
    while (smaller.pixelSize > minimum && width(text, smaller) > available)
        --smaller.pixelSize;
    return smaller;
}

double Composer::placeLines(Page& page, const QStringList& lines, const FontSpec& dataDef, const QRectF& box,
                            Align align, const QColor& color) {
    const QFontMetricsF& fm = metrics(dataDef);
    const double step = fm.lineSpacing();
    double y = box.top();
    for (const QString& line : lines) {
        TextItem item;
        item.text = line;
        item.font = dataDef;
        item.color = color;
        item.width = fm.horizontalAdvance(line);
        item.cell = box;
        double x = box.left();
        if (align == Align::Center)
            x = box.left() + (box.width() - item.width) / 2;
        else if (align == Align::Right)
            x = box.right() - item.width;
        item.baseline = QPointF(x, y + fm.ascent());
        if (!line.isEmpty())
            page.texts.push_back(std::move(item));
        y += step;
    }
    return lines.size() * step;
}

// ---------------------------------------------------------------------------------------------
// Blocks

void Composer::blocks(const std::vector<Block>& list, Context& context, std::vector<Band>& out) {
    for (const Block& item : list)
        block(item, context, out);
}

void Composer::block(const Block& block, Context& context, std::vector<Band>& out) {
    // Blocks with rows of their own decide on those rows ("count() > 0").
    const bool ownRows =
        block.source.isSet() && (block.type == Block::Type::Fields || block.type == Block::Type::Summary ||
                                 block.type == Block::Type::Text);
    if (!ownRows && !block.visible.isEmpty() && !block.visible.evaluate(*context.scope).truthy())
        return;
    const std::size_t first = out.size();
    composeBlock(block, context, out);
    if (first == out.size())
        return;
    if (block.keepWithPrevious && first > 0)
        out[first - 1].keepWithNext = true;
    if (block.keepTogether && block.type != Block::Type::Records) {
        double total = 0;
        for (std::size_t i = first; i < out.size(); ++i)
            total += out[i].height;
        if (total <= bodyBottom_ - bodyTop_)
            out[first].keepHeight = std::max(out[first].keepHeight, total);
    }
}

void Composer::composeBlock(const Block& block, Context& context, std::vector<Band>& out) {
    switch (block.type) {
    case Block::Type::Table:
        table(block, context, out);
        break;
    case Block::Type::Records:
        records(block, context, out);
        break;
    case Block::Type::Fields:
        fields(block, context, out);
        break;
    case Block::Type::Summary:
        summary(block, context, out);
        break;
    case Block::Type::Text:
        text(block, context, out);
        break;
    case Block::Type::Spacer: {
        Band band;
        band.height = mm(block.height);
        band.repeat = context.repeat;
        out.push_back(std::move(band));
        break;
    }
    case Block::Type::Signatures:
        signatures(block, context, out);
        break;
    case Block::Type::Let:
        for (const Assignment& assignment : block.assignments)
            context.vars->set(assignment.name, assignment.expression.evaluate(*context.scope));
        break;
    case Block::Type::PageBreak: {
        Band band;
        band.breakBefore = true;
        out.push_back(std::move(band));
        break;
    }
    }
}

std::vector<double> Composer::columnWidths(const std::vector<ColumnSpec>& columns) const {
    double total = 0;
    for (const ColumnSpec& column : columns)
        total += column.width;
    std::vector<double> widths;
    for (const ColumnSpec& column : columns)
        widths.push_back((right_ - left_) * column.width / total);
    return widths;
}

void Composer::verticalRules(Page& page, const std::vector<double>& widths, double height,
                             const QColor& color) {
    double x = left_;
    page.lines.push_back({QLineF(x, 0, x, height), kThinLine, kGridColor});
    for (std::size_t i = 0; i < widths.size(); ++i) {
        x += widths[i];
        const bool outer = i + 1 == widths.size();
        page.lines.push_back({QLineF(x, 0, x, height), kThinLine, outer ? kGridColor : color});
    }
}

Band Composer::titleBand(const QString& text) {
    Band band;
    const FontSpec dataDef = scaled(base_, 1.12, true);
    const QRectF box(left_, mm(1.2), right_ - left_, 0);
    band.height = mm(1.2) +
                  placeLines(band.items, wrap(text, dataDef, box.width()), dataDef, box, Align::Left) +
                  mm(0.5);
    band.keepWithNext = true;
    return band;
}

Band Composer::headerBand(const Block& block, const std::vector<double>& widths, const Scope& scope) {
    Band band;
    const FontSpec dataDef = scaled(base_, 0.94, true);
    std::vector<QStringList> captions;
    int lines = 1;
    std::vector<FontSpec> dataDefs;
    for (std::size_t i = 0; i < block.columns.size(); ++i) {
        // A caption is set smaller rather than cut inside a word.
        const QString caption = textOf(block.columns[i].caption, scope);
        const double available = widths[i] - 2 * kCellPadX;
        FontSpec fitted = dataDef;
        for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            fitted = fit(word, fitted, available);
        dataDefs.push_back(fitted);
        captions.push_back(wrap(caption, fitted, available));
        lines = std::max(lines, static_cast<int>(captions.back().size()));
    }
    band.height = lines * lineHeight(dataDef) + 2 * kCellPadY;
    band.items.boxes.push_back({QRectF(left_, 0, right_ - left_, band.height), kHeaderFill});
    double x = left_;
    for (std::size_t i = 0; i < block.columns.size(); ++i) {
        // Captions sit at the bottom of the header so short ones line up with wrapped ones.
        const double used = captions[i].size() * lineHeight(dataDefs[i]);
        const QRectF box(x + kCellPadX, band.height - kCellPadY - used, widths[i] - 2 * kCellPadX, used);
        placeLines(band.items, captions[i], dataDefs[i], box, Align::Center);
        x += widths[i];
    }
    verticalRules(band.items, widths, band.height, kGridColor);
    band.items.lines.push_back({QLineF(left_, 0, right_, 0), kRuleLine, kGridColor});
    band.items.lines.push_back({QLineF(left_, band.height, right_, band.height), kRuleLine, kGridColor});
    band.keepWithNext = true;
    return band;
}

Band Composer::rowBand(const Block& block, const std::vector<double>& widths, const std::vector<Cell>& cells,
                       const QColor& fill) {
    Band band;
    const double step = lineHeight(base_);
    struct Placed {
        QStringList lines;
        FontSpec dataDef;
    };
    std::vector<Placed> placed;
    double height = step;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ColumnSpec& column = block.columns[i];
        const double available = widths[i] - 2 * kCellPadX;
        FontSpec dataDef = base_;
        dataDef.bold = column.bold || cells[i].bold;
        Placed p;
        if (!column.format.isEmpty() || !column.wrap) {
            // Numbers never wrap: a figure too wide for its column is set smaller instead.
            const QStringList parts = cells[i].text.split(QLatin1Char('\n'));
            for (const QString& part : parts)
                dataDef = fit(part, dataDef, available);
            p.lines = parts;
        } else {
            p.lines = wrap(cells[i].text, dataDef, available);
        }
        p.dataDef = dataDef;
        const bool blank = cells[i].text.isEmpty();
        double used = blank ? 0 : p.lines.size() * lineHeight(dataDef);
        if (cells[i].bar >= 0)
            used += kBarHeight + (blank ? mm(0.3) : mm(0.6));
        height = std::max(height, used);
        placed.push_back(std::move(p));
    }
    band.height = height + 2 * kCellPadY;
    if (fill.isValid())
        band.items.boxes.push_back({QRectF(left_, 0, right_ - left_, band.height), fill});
    double x = left_;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ColumnSpec& column = block.columns[i];
        double top = kCellPadY;
        if (cells[i].bar >= 0) {
            const double fraction = std::clamp(cells[i].bar, 0.0, 1.0);
            if (fraction > 0)
                band.items.boxes.push_back(
                    {QRectF(x + kCellPadX, top + mm(0.3), (widths[i] - 2 * kCellPadX) * fraction, kBarHeight),
                     kBarFill});
            top += kBarHeight + mm(0.6);
        }
        const Align align = column.alignSet || column.format.isEmpty() ? column.align : Align::Right;
        placeLines(band.items, placed[i].lines, placed[i].dataDef,
                   QRectF(x + kCellPadX, top, widths[i] - 2 * kCellPadX, band.height - top - kCellPadY),
                   align);
        x += widths[i];
    }
    verticalRules(band.items, widths, band.height, kRowLineColor);
    band.items.lines.push_back({QLineF(left_, band.height, right_, band.height), kThinLine, kRowLineColor});
    return band;
}

Band Composer::spanBand(const QString& text, const FontSpec& dataDef, const QColor& fill, const QColor& color,
                        double ruleAbove) {
    Band band;
    const QRectF box(left_ + kCellPadX, kCellPadY, right_ - left_ - 2 * kCellPadX, 0);
    band.height = placeLines(band.items, wrap(text, dataDef, box.width()), dataDef, box, Align::Left, color) +
                  2 * kCellPadY;
    if (fill.isValid())
        band.items.boxes.insert(band.items.boxes.begin(),
                                {QRectF(left_, 0, right_ - left_, band.height), fill});
    band.items.lines.push_back({QLineF(left_, 0, left_, band.height), kThinLine, kGridColor});
    band.items.lines.push_back({QLineF(right_, 0, right_, band.height), kThinLine, kGridColor});
    if (ruleAbove > 0)
        band.items.lines.push_back({QLineF(left_, 0, right_, 0), ruleAbove, kGridColor});
    band.items.lines.push_back({QLineF(left_, band.height, right_, band.height), kThinLine, kGridColor});
    return band;
}

Band Composer::totalBand(const Block& block, const std::vector<double>& widths, const QString& label,
                         const std::vector<Cell>& cells, const QColor& fill, double ruleAbove) {
    // The label takes the columns before the first figure; the figures stay under their columns.
    std::size_t first = cells.size();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i].text.isEmpty()) {
            first = i;
            break;
        }
    }
    double labelWidth = 0;
    for (std::size_t i = 0; i < first; ++i)
        labelWidth += widths[i];
    const FontSpec dataDef = scaled(base_, 1.0, true);
    Band band;
    const double step = lineHeight(dataDef);
    QStringList labelLines;
    if (labelWidth > 2 * kCellPadX)
        labelLines = wrap(label, dataDef, labelWidth - 2 * kCellPadX);
    double height = std::max<double>(step, labelLines.size() * step);
    std::vector<FontSpec> dataDefs;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        dataDefs.push_back(fit(cells[i].text, dataDef, widths[i] - 2 * kCellPadX));
        height = std::max(height, lineHeight(dataDefs.back()));
    }
    band.height = height + 2 * kCellPadY;
    if (fill.isValid())
        band.items.boxes.push_back({QRectF(left_, 0, right_ - left_, band.height), fill});
    placeLines(band.items, labelLines, dataDef,
               QRectF(left_ + kCellPadX, kCellPadY, labelWidth - 2 * kCellPadX, height), Align::Right);
    double x = left_;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i >= first && !cells[i].text.isEmpty()) {
            const ColumnSpec& column = block.columns[i];
            const Align align = column.alignSet || column.format.isEmpty() ? column.align : Align::Right;
            placeLines(band.items, {cells[i].text}, dataDefs[i],
                       QRectF(x + kCellPadX, kCellPadY, widths[i] - 2 * kCellPadX, height), align);
        }
        x += widths[i];
    }
    band.items.lines.push_back({QLineF(left_, 0, left_, band.height), kThinLine, kGridColor});
    x = left_ + labelWidth;
    for (std::size_t i = first; i < widths.size(); ++i) {
        band.items.lines.push_back({QLineF(x, 0, x, band.height), kThinLine, kGridColor});
        x += widths[i];
    }
    band.items.lines.push_back({QLineF(right_, 0, right_, band.height), kThinLine, kGridColor});
    band.items.lines.push_back({QLineF(left_, 0, right_, 0), ruleAbove, kGridColor});
    band.items.lines.push_back({QLineF(left_, band.height, right_, band.height), kRuleLine, kGridColor});
    return band;
}

void Composer::table(const Block& block, Context& context, std::vector<Band>& out) {
    const RowSet rows = rowsFor(block.source, *context.scope);
    const auto exportTotals = [&] {
        AggregateScope all(context.scope, rows, allMembers(rows), dataNames_);
        for (const Assignment& assignment : block.exports)
            context.vars->set(assignment.name, assignment.expression.evaluate(all));
    };
    if (rows.refs.empty() && block.hideEmpty) {
        exportTotals();
        return;
    }
    const std::vector<double> widths = columnWidths(block.columns);
    const QString title = textOf(block.title, *context.scope);

    std::vector<Band> continuation;
    if (!title.isEmpty()) {
        Band band = titleBand(title);
        band.repeat = context.repeat;
        out.push_back(band);
        continuation.push_back(titleBand(title + QStringLiteral(" (continuación)")));
    }
    if (block.showHeader) {
        Band header = headerBand(block, widths, *context.scope);
        header.repeat = extend(context.repeat, continuation);
        out.push_back(header);
        continuation.push_back(header);
    }
    const Repeat repeat = extend(context.repeat, continuation);

    const auto cellText = [&](const ColumnSpec& column, const Value& value) {
        if (column.format.isEmpty())
            return value.toText();
        if (value.isNull() || (value.isText() && value.toText().trimmed().isEmpty()))
            return QString();
        if (value.isText()) {
            bool numeric = false;
            value.toText().trimmed().toDouble(&numeric);
            if (!numeric)
                return value.toText();
        }
        return engine::formatNumber(value.toNumber(), column.format);
    };
    const auto sumCells = [&](const std::vector<double>& sums, bool grand) {
        std::vector<Cell> cells(block.columns.size());
        for (std::size_t i = 0; i < block.columns.size(); ++i) {
            if (block.columns[i].sum && (!grand || block.columns[i].sumInTotal))
                cells[i].text = cellText(block.columns[i], Value(sums[i]));
        }
        return cells;
    };

    // A row that closes what precedes it (subtotal, TOTAL, extra totals) is never alone at the
    // top of a page: the row before it goes along.
    const auto close = [&](Band band) {
        if (!out.empty())
            out.back().keepWithNext = true;
        out.push_back(std::move(band));
    };

    std::vector<double> totals(block.columns.size(), 0.0);
    std::vector<double> groupTotals(block.columns.size(), 0.0);
    Repeat groupRepeat = repeat;
    std::vector<int> groupMembers;
    QString currentGroup;
    bool inGroup = false;
    bool anyGroup = false;
    const auto closeGroup = [&] {
        if (!inGroup || block.group.footer.isEmpty())
            return;
        AggregateScope group(context.scope, rows, groupMembers, dataNames_);
        Band band = totalBand(block, widths, textOf(block.group.footer, group), sumCells(groupTotals, false),
                              kGroupFill, kThinLine);
        band.repeat = groupRepeat;
        close(std::move(band));
    };

    for (int r = 0; r < static_cast<int>(rows.refs.size()); ++r) {
        const RowSet::Ref& ref = rows.refs[static_cast<std::size_t>(r)];
        RowScope row(context.scope, rows, ref, dataNames_, r + 1);
        if (block.group.isSet()) {
            const QString key = block.group.by.evaluate(row).key();
            if (!inGroup || key != currentGroup) {
                closeGroup();
                groupMembers.clear();
                for (int k = r; k < static_cast<int>(rows.refs.size()); ++k) {
                    RowScope next(context.scope, rows, rows.refs[static_cast<std::size_t>(k)], dataNames_);
                    if (block.group.by.evaluate(next).key() != key)
                        break;
                    groupMembers.push_back(k);
                }
                std::fill(groupTotals.begin(), groupTotals.end(), 0.0);
                AggregateScope group(context.scope, rows, groupMembers, dataNames_);
                const QString header = textOf(block.group.header, group);
                Band band = spanBand(header, scaled(base_, 1.0, true), kGroupFill, Qt::black, kRuleLine);
                band.keepWithNext = true;
                band.repeat = repeat;
                groupRepeat = repeat;
                if (block.group.repeatHeader) {
                    Band again = spanBand(header + QStringLiteral(" (continuación)"),
                                          scaled(base_, 1.0, true), kGroupFill, Qt::black, kRuleLine);
                    again.keepWithNext = false;
                    groupRepeat = extend(repeat, {again});
                }
                if (block.group.pageBreak && anyGroup)
                    band.breakBefore = true;
                out.push_back(std::move(band));
                currentGroup = key;
                inGroup = true;
                anyGroup = true;
            }
        }
        std::vector<Cell> cells;
        cells.reserve(block.columns.size());
        for (std::size_t i = 0; i < block.columns.size(); ++i) {
            const ColumnSpec& column = block.columns[i];
            Cell cell;
            if (!column.value.isEmpty()) {
                const Value value = column.value.evaluate(row);
                cell.text = cellText(column, value);
                if (column.sum) {
                    totals[i] += value.toNumber();
                    groupTotals[i] += value.toNumber();
                }
            }
            if (!column.bar.isEmpty())
                cell.bar = column.bar.evaluate(row).toNumber();
            cells.push_back(std::move(cell));
        }
        Band band = rowBand(block, widths, cells, block.zebra && r % 2 == 1 ? kZebraFill : QColor());
        band.repeat = groupRepeat;
        out.push_back(std::move(band));
    }
    closeGroup();

    if (rows.refs.empty()) {
        const QString empty = block.emptyText.isEmpty() ? QStringLiteral("(sin registros)")
                                                        : textOf(block.emptyText, *context.scope);
        Band band = spanBand(empty, scaled(base_, 1.0, false, true), QColor(), kMutedText, 0);
        band.repeat = repeat;
        out.push_back(std::move(band));
    }

    const bool anySum = std::any_of(block.columns.begin(), block.columns.end(),
                                    [](const ColumnSpec& column) { return column.sum; });
    if (anySum && block.grandTotal && !rows.refs.empty()) {
        const QString label =
            block.totalLabel.isEmpty() ? QStringLiteral("TOTAL") : textOf(block.totalLabel, *context.scope);
        Band band = totalBand(block, widths, label, sumCells(totals, true), kHeaderFill, kRuleLine);
        band.repeat = repeat;
        close(std::move(band));
    }
    AggregateScope all(context.scope, rows, allMembers(rows), dataNames_);
    for (std::size_t t = 0; t < block.totals.size(); ++t) {
        const TotalRowSpec& dataDef = block.totals[t];
        std::vector<Cell> cells(block.columns.size());
        for (std::size_t i = 0; i < block.columns.size(); ++i) {
            const auto& columnTotals = block.columns[i].totals;
            if (t < columnTotals.size() && !columnTotals[t].isEmpty())
                cells[i].text = cellText(block.columns[i], columnTotals[t].evaluate(all));
        }
        for (const auto& [id, expression] : dataDef.values) {
            for (std::size_t i = 0; i < block.columns.size(); ++i) {
                if (block.columns[i].id.compare(id, Qt::CaseInsensitive) == 0)
                    cells[i].text = cellText(block.columns[i], expression.evaluate(all));
            }
        }
        Band band = totalBand(block, widths, textOf(dataDef.label, all), cells,
                              dataDef.bold ? kHeaderFill : QColor(), kThinLine);
        band.repeat = repeat;
        close(std::move(band));
    }
    exportTotals();
}

void Composer::records(const Block& block, Context& context, std::vector<Band>& out) {
    const RowSet rows = rowsFor(block.source, *context.scope);
    const double bodyHeight = bodyBottom_ - bodyTop_;
    for (std::size_t r = 0; r < rows.refs.size(); ++r) {
        RowScope row(context.scope, rows, rows.refs[r], dataNames_, static_cast<int>(r) + 1);
        VarScope vars(&row);
        Context inner{&vars, &vars, context.repeat};
        const std::size_t first = out.size();
        std::size_t next = 0;
        std::vector<Band> repeated;
        if (block.repeatHeader) {
            // The header is the first block that prints anything (a "let" before it prints nothing).
            while (next < block.body.size() && out.size() == first)
                this->block(block.body[next++], inner, out);
            repeated.assign(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
        }
        if (!block.continuation.isEmpty()) {
            Band band;
            const FontSpec dataDef = scaled(base_, 0.94, false, true);
            const QRectF box(left_, mm(0.5), right_ - left_, 0);
            band.height = placeLines(band.items, wrap(textOf(block.continuation, vars), dataDef, box.width()),
                                     dataDef, box, Align::Left, kMutedText) +
                          mm(1.5);
            repeated.push_back(std::move(band));
        }
        if (!repeated.empty())
            inner.repeat = extend(context.repeat, repeated);
        for (; next < block.body.size(); ++next)
            this->block(block.body[next], inner, out);
        if (first == out.size())
            continue;
        // A record that starts on a page of its own is not a continuation.
        out[first].repeat = context.repeat;
        if (block.pageBreak == QLatin1String("each") && r > 0)
            out[first].breakBefore = true;
        if (block.keepTogether) {
            double total = 0;
            for (std::size_t i = first; i < out.size(); ++i)
                total += out[i].height;
            if (total <= bodyHeight)
                out[first].keepHeight = total;
        }
        if (block.pageBreak != QLatin1String("each") && r + 1 < rows.refs.size() && block.spacing > 0) {
            Band gap;
            gap.height = mm(block.spacing);
            out.push_back(std::move(gap));
        }
    }
}

Composer::SourceScope Composer::sourceScope(const Block& block, const Context& context) {
    SourceScope source;
    source.scope = context.scope;
    if (block.source.isSet()) {
        source.rows = std::make_unique<RowSet>(rowsFor(block.source, *context.scope));
        source.aggregate = std::make_unique<AggregateScope>(context.scope, *source.rows,
                                                            allMembers(*source.rows), dataNames_);
        source.scope = source.aggregate.get();
        if (!block.visible.isEmpty() && !block.visible.evaluate(*source.scope).truthy())
            source.scope = nullptr;
    }
    return source;
}

void Composer::fields(const Block& block, Context& context, std::vector<Band>& out) {
    const SourceScope source = sourceScope(block, context);
    if (!source.scope)
        return;
    const Scope* scope = source.scope;
    const int columns = block.fieldColumns;
    const double cellWidth = (right_ - left_) / columns;
    const FontSpec labelSpec = scaled(base_, 1.0, true);
    Band band;
    double y = mm(1.0);
    int column = 0;
    double rowHeight = 0;
    for (const FieldItem& item : block.items) {
        if (column + item.span > columns) {
            y += rowHeight;
            column = 0;
            rowHeight = 0;
        }
        const double x = left_ + column * cellWidth + kCellPadX;
        const double available = cellWidth * item.span - 2 * kCellPadX;
        const QString label = textOf(item.label, *scope);
        const double labelWidth =
            label.isEmpty() ? 0 : std::min(available * 0.45, width(label, labelSpec) + mm(1.5));
        const double labelUsed = placeLines(band.items, wrap(label, labelSpec, labelWidth), labelSpec,
                                            QRectF(x, y, labelWidth, 0), Align::Left);
        const double valueUsed =
            placeLines(band.items, wrap(textOf(item.value, *scope), base_, available - labelWidth), base_,
                       QRectF(x + labelWidth, y, available - labelWidth, 0), Align::Left);
        rowHeight = std::max({rowHeight, labelUsed, valueUsed});
        column += item.span;
        if (column >= columns) {
            y += rowHeight;
            column = 0;
            rowHeight = 0;
        }
    }
    band.height = y + rowHeight + mm(1.0);
    band.items.boxes.insert(band.items.boxes.begin(),
                            {QRectF(left_, 0, right_ - left_, band.height), kGroupFill});
    band.items.lines.push_back({QLineF(left_, 0, right_, 0), kRuleLine, kGridColor});
    band.items.lines.push_back({QLineF(left_, band.height, right_, band.height), kRuleLine, kGridColor});
    band.keepWithNext = true;
    band.repeat = context.repeat;
    out.push_back(std::move(band));
}

void Composer::summary(const Block& block, Context& context, std::vector<Band>& out) {
    const SourceScope source = sourceScope(block, context);
    if (!source.scope)
        return;
    const Scope* scope = source.scope;
    struct Line {
        QString label;
        QString value;
        bool bold;
        bool rule;
    };
    std::vector<Line> lines;
    double widest = 0;
    for (const SummaryRow& row : block.rows) {
        const Value value = row.value.isEmpty() ? Value() : row.value.evaluate(*scope);
        if (!row.name.isEmpty())
            context.vars->set(row.name, value);
        QString shown = value.toText();
        if (!row.format.isEmpty() && !value.isNull())
            shown = engine::formatNumber(value.toNumber(), row.format);
        const QString label = textOf(row.label, *scope);
        lines.push_back({label, shown, row.bold, row.lineAbove});
        widest = std::max(widest, width(label, scaled(base_, 1.0, true)));
    }
    const double valueWidth = mm(block.valueWidth);
    const double labelWidth = std::min(block.labelWidth > 0 ? mm(block.labelWidth) : widest + 3 * kCellPadX,
                                       right_ - left_ - valueWidth);
    const double x = right_ - valueWidth - labelWidth;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const FontSpec dataDef = scaled(base_, 1.0, line.bold);
        Band band;
        const QStringList labelLines = wrap(line.label, dataDef, labelWidth - 2 * kCellPadX);
        const FontSpec valueSpec = fit(line.value, dataDef, valueWidth - 2 * kCellPadX);
        const double height = std::max(labelLines.size() * lineHeight(dataDef), lineHeight(valueSpec));
        band.height = height + 2 * kCellPadY;
        placeLines(band.items, labelLines, dataDef,
                   QRectF(x + kCellPadX, kCellPadY, labelWidth - 2 * kCellPadX, height), Align::Right);
        placeLines(band.items, {line.value}, valueSpec,
                   QRectF(right_ - valueWidth + kCellPadX, kCellPadY, valueWidth - 2 * kCellPadX, height),
                   Align::Right);
        if (line.rule)
            band.items.lines.push_back({QLineF(x, 0, right_, 0), kRuleLine, kGridColor});
        if (line.bold)
            band.items.boxes.push_back({QRectF(x, 0, right_ - x, band.height), kGroupFill});
        band.keepWithNext = i + 1 < lines.size();
        band.repeat = context.repeat;
        out.push_back(std::move(band));
    }
}

void Composer::text(const Block& block, Context& context, std::vector<Band>& out) {
    const SourceScope source = sourceScope(block, context);
    if (!source.scope)
        return;
    const Scope* scope = source.scope;
    const QString content = textOf(block.text, *scope);
    FontSpec dataDef = block.fontSize > 0 ? font(block.fontSize, block.bold, block.italic)
                                          : scaled(base_, 1.0, block.bold, block.italic);
    const double pad = block.boxed ? mm(2) : mm(0.6);
    Band band;
    const QRectF box(left_ + pad, pad, right_ - left_ - 2 * pad, 0);
    band.height =
        placeLines(band.items, wrap(content, dataDef, box.width()), dataDef, box, block.align) + 2 * pad;
    if (block.boxed) {
        const QRectF frame(left_, 0, right_ - left_, band.height);
        band.items.boxes.push_back({frame, kGroupFill});
        band.items.lines.push_back({QLineF(frame.topLeft(), frame.topRight()), kRuleLine, kGridColor});
        band.items.lines.push_back({QLineF(frame.bottomLeft(), frame.bottomRight()), kRuleLine, kGridColor});
        band.items.lines.push_back({QLineF(frame.topLeft(), frame.bottomLeft()), kRuleLine, kGridColor});
        band.items.lines.push_back({QLineF(frame.topRight(), frame.bottomRight()), kRuleLine, kGridColor});
    }
    band.repeat = context.repeat;
    out.push_back(std::move(band));
}

void Composer::signatures(const Block& block, Context& context, std::vector<Band>& out) {
    if (block.items.empty())
        return;
    Band band;
    const double slot = (right_ - left_) / static_cast<double>(block.items.size());
    const double lineY = mm(14);
    double height = lineY;
    for (std::size_t i = 0; i < block.items.size(); ++i) {
        const double x = left_ + slot * static_cast<double>(i);
        const double lineWidth = std::min(slot - mm(8), mm(60));
        const double lineX = x + (slot - lineWidth) / 2;
        band.items.lines.push_back({QLineF(lineX, lineY, lineX + lineWidth, lineY), kRuleLine, Qt::black});
        const QRectF box(x + mm(2), lineY + mm(1), slot - mm(4), 0);
        double used = placeLines(
            band.items,
            wrap(textOf(block.items[i].value, *context.scope), scaled(base_, 1.0, true), box.width()),
            scaled(base_, 1.0, true), box, Align::Center);
        used += placeLines(band.items, wrap(textOf(block.items[i].label, *context.scope), base_, box.width()),
                           base_, box.translated(0, used), Align::Center, kMutedText);
        height = std::max(height, lineY + mm(1) + used);
    }
    band.height = height + mm(2);
    band.repeat = context.repeat;
    out.push_back(std::move(band));
}

// ---------------------------------------------------------------------------------------------
// Pages

void Composer::headerOfPage() {
    Page& page = header_;
    const double width = right_ - left_;
    double y = mm(report_.margins.top());
    if (report_.projectHeader) {
        const auto field = [&](const char* name) {
            return global_.find(QStringLiteral("proyecto.") + QString::fromLatin1(name).toLower())
                .value_or(Value())
                .toText()
                .trimmed();
        };
        const QString institution = field("institucion");
        const QString project = field("proyecto");
        if (!institution.isEmpty()) {
            const FontSpec dataDef = font(report_.fontSize + 3.5, true);
            y += placeLines(page, wrap(institution.toUpper(), dataDef, width), dataDef,
                            QRectF(left_, y, width, 0), Align::Center);
        }
        if (!project.isEmpty()) {
            const FontSpec dataDef = font(report_.fontSize + 2, true);
            y += placeLines(page, wrap(project, dataDef, width), dataDef, QRectF(left_, y, width, 0),
                            Align::Center);
        }
        struct Info {
            const char* label;
            QString value;
        };
        const std::vector<Info> info = {{"Ubicación: ", field("ubicacion")},
                                        {"Ciudad: ", field("Ciudad")},
                                        {"Fecha: ", field("fecha")},
                                        {"Oferente: ", field("oferente")},
                                        {"Elaborado por: ", field("Elaborado")}};
        std::vector<Info> shown;
        for (const Info& item : info) {
            if (!item.value.isEmpty())
                shown.push_back(item);
        }
        if (!shown.empty()) {
            y += mm(1.2);
            const FontSpec labelSpec = font(report_.fontSize - 0.5, true);
            const FontSpec valueSpec = font(report_.fontSize - 0.5);
            const int perRow = 3;
            const double slot = width / perRow;
            double rowHeight = 0;
            for (std::size_t i = 0; i < shown.size(); ++i) {
                const int column = static_cast<int>(i % perRow);
                if (column == 0 && i > 0) {
                    y += rowHeight;
                    rowHeight = 0;
                }
                const double x = left_ + column * slot;
                const QString label = QString::fromUtf8(shown[i].label);
                const double labelWidth = this->width(label, labelSpec);
                placeLines(page, {label}, labelSpec, QRectF(x, y, labelWidth, 0), Align::Left);
                const double used =
                    placeLines(page, wrap(shown[i].value, valueSpec, slot - labelWidth - mm(2)), valueSpec,
                               QRectF(x + labelWidth, y, slot - labelWidth - mm(2), 0), Align::Left);
                rowHeight = std::max(rowHeight, used);
            }
            y += rowHeight;
        }
        y += mm(1.5);
        page.lines.push_back({QLineF(left_, y, right_, y), kHeavyLine, Qt::black});
        y += mm(2);
    }
    const QString title = textOf(report_.title, global_);
    if (!title.isEmpty()) {
        const FontSpec dataDef = font(report_.fontSize + 3, true);
        y +=
            placeLines(page, wrap(title, dataDef, width), dataDef, QRectF(left_, y, width, 0), Align::Center);
    }
    const QString subtitle = textOf(report_.subtitle, global_);
    if (!subtitle.isEmpty()) {
        const FontSpec dataDef = font(report_.fontSize, false, true);
        y += placeLines(page, wrap(subtitle, dataDef, width), dataDef, QRectF(left_, y, width, 0),
                        Align::Center, kMutedText);
    }
    bodyTop_ = y + mm(2.5);
    const double footerHeight = lineHeight(font(report_.fontSize - 1)) + mm(2.5);
    bodyBottom_ = document_.size.height() - mm(report_.margins.bottom()) - footerHeight;
    if (bodyBottom_ - bodyTop_ < mm(40))
        throw TemplateError(
            QStringLiteral("los márgenes y la cabecera no dejan espacio para el contenido de la página"));
}

void Composer::paginate(std::vector<Band>& bands) {
    std::vector<Page>& pages = document_.pages;
    double y = bodyTop_;
    bool hasBody = false;
    const double bodyHeight = bodyBottom_ - bodyTop_;
    const auto newPage = [&] {
        if (pages.size() >= kMaxPages)
            throw TemplateError(QStringLiteral("el reporte pasa del límite de %1 páginas").arg(kMaxPages));
        pages.emplace_back();
        y = bodyTop_;
        hasBody = false;
    };
    const auto place = [&](const Band& band) {
        Page& page = pages.back();
        for (BoxItem box : band.items.boxes) {
            box.rect.translate(0, y);
            page.boxes.push_back(box);
        }
        for (LineItem line : band.items.lines) {
            line.line.translate(0, y);
            page.lines.push_back(line);
        }
        for (TextItem text : band.items.texts) {
            text.baseline.ry() += y;
            text.cell.translate(0, y);
            page.texts.push_back(std::move(text));
        }
        y += band.height;
        hasBody = true;
    };
    newPage();
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const Band& band = bands[i];
        if (band.breakBefore && hasBody) {
            newPage();
            if (band.repeat) {
                for (const Band& header : *band.repeat)
                    place(header);
            }
        }
        double needed = band.height;
        if (band.keepWithNext) {
            std::size_t j = i;
            needed = 0;
            while (j < bands.size() && bands[j].keepWithNext && needed < bodyHeight)
                needed += bands[j++].height;
            if (j < bands.size())
                needed += std::max(bands[j].height, bands[j].keepHeight);
        }
        needed = std::max(needed, band.keepHeight);
        if (needed > bodyHeight)
            needed = band.height;
        if (y + needed > bodyBottom_ + 0.5 && hasBody) {
            newPage();
            if (band.repeat) {
                for (const Band& header : *band.repeat)
                    place(header);
            }
        }
        if (band.height > 0 || band.breakBefore)
            place(band);
    }
}

void Composer::footers() {
    const int count = static_cast<int>(document_.pages.size());
    const FontSpec dataDef = font(report_.fontSize - 1);
    const double lineY = bodyBottom_ + mm(1.5);
    const double textTop = lineY + mm(0.8);
    const double width = right_ - left_;
    for (int i = 0; i < count; ++i) {
        Page& page = document_.pages[static_cast<std::size_t>(i)];
        VarScope scope(&global_);
        scope.set(QStringLiteral("page"), Value(static_cast<double>(i + 1)));
        scope.set(QStringLiteral("pages"), Value(static_cast<double>(count)));
        // The page header goes underneath the body, painted first.
        page.boxes.insert(page.boxes.begin(), header_.boxes.begin(), header_.boxes.end());
        page.lines.insert(page.lines.begin(), header_.lines.begin(), header_.lines.end());
        page.texts.insert(page.texts.begin(), header_.texts.begin(), header_.texts.end());
        page.lines.push_back({QLineF(left_, lineY, right_, lineY), kThinLine, kGridColor});
        const QString right = textOf(report_.footer.right, scope);
        const double rightWidth = this->width(right, dataDef);
        const double side = std::max(width / 3, rightWidth);
        placeLines(page, {right}, dataDef, QRectF(right_ - side, textTop, side, 0), Align::Right, kMutedText);
        const QString center = textOf(report_.footer.center, scope);
        placeLines(page, wrap(center, dataDef, width / 3).mid(0, 1), dataDef,
                   QRectF(left_ + width / 3, textTop, width / 3, 0), Align::Center, kMutedText);
        const QString left = textOf(report_.footer.left, scope);
        placeLines(page, wrap(left, dataDef, width - side - mm(2)).mid(0, 1), dataDef,
                   QRectF(left_, textTop, width - side - mm(2), 0), Align::Left, kMutedText);
    }
}

ReportDocument Composer::compose(const FormulaValues& formulas) {
    QHash<QString, QString> given;
    for (const auto& [name, value] : formulas) {
        if (!report_.hasFormula(name))
            throw TemplateError(QStringLiteral("la plantilla no tiene la fórmula «%1»").arg(name));
        given.insert(name.toLower(), value);
    }
    // Formulas in template order, so a default may use the ones before it.
    for (const Assignment& formula : report_.formulas) {
        const auto it = given.constFind(formula.name.toLower());
        if (it != given.constEnd())
            global_.set(
                formula.name,
                Expression::parse(*it, QStringLiteral("fórmula %1").arg(formula.name)).evaluate(global_));
        else
            global_.set(formula.name, formula.expression.evaluate(global_));
    }
    headerOfPage();
    document_.title = textOf(report_.title, global_);
    if (document_.title.isEmpty())
        document_.title = report_.fileName;
    VarScope top(&global_);
    Context context{&top, &top, nullptr};
    std::vector<Band> bands;
    blocks(report_.body, context, bands);
    paginate(bands);
    footers();
    return std::move(document_);
}

} // namespace

ReportDocument composeReport(const ReportTemplate& report, DataProvider& data,
                             const FormulaValues& formulas) {
    try {
        const EvaluationBudget budget;
        Composer composer(report, data);
        return composer.compose(formulas);
    } catch (const TemplateError& error) {
        throw TemplateError(
            QStringLiteral("Error en la plantilla «%1»: %2").arg(report.fileName, error.message()));
    }
}

} // namespace korvex::reports
