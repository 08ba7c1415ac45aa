#include "reports/Template.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace korvex::reports {

const DataSpec* ReportTemplate::findData(const QString& name) const {
    for (const DataSpec& dataDef : data) {
        if (dataDef.name.compare(name, Qt::CaseInsensitive) == 0)
            return &dataDef;
    }
    return nullptr;
}

bool ReportTemplate::hasFormula(const QString& name) const {
    for (const Assignment& formula : formulas) {
        if (formula.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

namespace {

using Constants = QHash<QString, Value>;

[[noreturn]] void fail(const QString& where, const QString& problem) {
    throw TemplateError(where.isEmpty() ? problem : where + QStringLiteral(": ") + problem);
}

QString typeName(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("un valor lógico");
    case QJsonValue::Double:
        return QStringLiteral("un número");
    case QJsonValue::String:
        return QStringLiteral("un texto");
    case QJsonValue::Array:
        return QStringLiteral("una lista");
    case QJsonValue::Object:
        return QStringLiteral("un objeto");
    default:
        return QStringLiteral("un valor indefinido");
    }
}

// One JSON object of the template with its place, refusing keys it does not know, so that a
// misspelt key is reported instead of silently ignored.
class Node {
public:
    Node(QJsonObject object, QString where, QStringList known, const Constants* constants = nullptr)
        : object_(std::move(object)), where_(std::move(where)), constants_(constants) {
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (!known.contains(it.key()))
                fail(where_, QStringLiteral("clave desconocida «%1» (se admiten: %2)")
                                 .arg(it.key(), known.join(QStringLiteral(", "))));
        }
    }

    const QString& where() const { return where_; }
    QString at(const QString& key) const { return where_.isEmpty() ? key : where_ + QLatin1Char('.') + key; }
    bool has(const QString& key) const { return object_.contains(key); }
    QJsonValue raw(const QString& key) const { return object_.value(key); }
    const Constants* constants() const { return constants_; }

    QString string(const QString& key, const QString& fallback = {}) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isString())
            fail(at(key), QStringLiteral("se esperaba un texto y hay %1").arg(typeName(value)));
        return value.toString();
    }

    double number(const QString& key, double fallback, double min, double max) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isDouble())
            fail(at(key), QStringLiteral("se esperaba un número y hay %1").arg(typeName(value)));
        const double n = value.toDouble();
        if (n < min || n > max)
            fail(at(key),
                 QStringLiteral("el valor %1 está fuera del rango %2 a %3").arg(n).arg(min).arg(max));
        return n;
    }

    bool boolean(const QString& key, bool fallback) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isBool())
            fail(at(key), QStringLiteral("se esperaba true o false y hay %1").arg(typeName(value)));
        return value.toBool();
    }

    // An expression: a text, or a plain number or truth value standing for itself.
    Expression expression(const QString& key) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return {};
        if (value.isDouble())
            return Expression::constant(Value(value.toDouble()));
        if (value.isBool())
            return Expression::constant(Value(value.toBool()));
        if (!value.isString())
            fail(at(key), QStringLiteral("se esperaba una expresión y hay %1").arg(typeName(value)));
        if (value.toString().trimmed().isEmpty())
            fail(at(key), QStringLiteral("la expresión está vacía"));
        return Expression::parse(value.toString(), at(key), constants_);
    }

    // A text with {expression} parts.
    Expression text(const QString& key) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return {};
        if (!value.isString())
            fail(at(key), QStringLiteral("se esperaba un texto y hay %1").arg(typeName(value)));
        return Expression::parseInterpolated(value.toString(), at(key), constants_);
    }

    QJsonArray array(const QString& key) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return {};
        if (!value.isArray())
            fail(at(key), QStringLiteral("se esperaba una lista y hay %1").arg(typeName(value)));
        return value.toArray();
    }

    QJsonObject object(const QString& key) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            return {};
        if (!value.isObject())
            fail(at(key), QStringLiteral("se esperaba un objeto y hay %1").arg(typeName(value)));
        return value.toObject();
    }

    Align align(const QString& key, Align fallback) const {
        const QString value = string(key);
        if (value.isEmpty())
            return fallback;
        if (value == QLatin1String("left"))
            return Align::Left;
        if (value == QLatin1String("center"))
            return Align::Center;
        if (value == QLatin1String("right"))
            return Align::Right;
        fail(at(key), QStringLiteral("«%1» no es una alineación (left, center o right)").arg(value));
    }

    std::vector<Assignment> assignments(const QString& key) const {
        std::vector<Assignment> result;
        const QJsonArray list = array(key);
        for (int i = 0; i < list.size(); ++i) {
            const QString where = at(key) + QStringLiteral("[%1]").arg(i);
            if (!list[i].isString())
                fail(where,
                     QStringLiteral("se esperaba «Nombre = expresión» y hay %1").arg(typeName(list[i])));
            result.push_back(parseAssignment(list[i].toString(), where));
        }
        return result;
    }

    std::vector<SortKey> sort(const QString& key) const {
        std::vector<SortKey> result;
        QJsonArray list;
        if (raw(key).isString())
            list.append(raw(key));
        else
            list = array(key);
        for (int i = 0; i < list.size(); ++i) {
            const QString where = at(key) + QStringLiteral("[%1]").arg(i);
            if (!list[i].isString())
                fail(where, QStringLiteral("se esperaba un texto y hay %1").arg(typeName(list[i])));
            QString text = list[i].toString().trimmed();
            SortKey sortKey;
            if (text.startsWith(QLatin1Char('-'))) {
                sortKey.descending = true;
                text = text.mid(1);
            }
            sortKey.expression = Expression::parse(text, where, constants_);
            result.push_back(std::move(sortKey));
        }
        return result;
    }

    std::vector<std::pair<QString, Expression>> pairs(const QString& key) const {
        std::vector<std::pair<QString, Expression>> result;
        const QJsonObject map = object(key);
        for (auto it = map.begin(); it != map.end(); ++it) {
            const QString where = at(key) + QLatin1Char('.') + it.key();
            if (!it.value().isString())
                fail(where, QStringLiteral("se esperaba una expresión y hay %1").arg(typeName(it.value())));
            result.emplace_back(it.key(), Expression::parse(it.value().toString(), where, constants_));
        }
        return result;
    }

private:
    QJsonObject object_;
    QString where_;
    const Constants* constants_;
};

QJsonObject objectAt(const QJsonArray& list, int i, const QString& where) {
    if (!list[i].isObject())
        fail(where, QStringLiteral("se esperaba un objeto y hay %1").arg(typeName(list[i])));
    return list[i].toObject();
}

const QStringList kSourceKeys = {QStringLiteral("data"), QStringLiteral("link"), QStringLiteral("join"),
                                 QStringLiteral("where"), QStringLiteral("sort")};

QStringList withSource(QStringList keys) {
    keys << QStringLiteral("type") << QStringLiteral("visible") << QStringLiteral("keepWithPrevious")
         << QStringLiteral("keepTogether") << kSourceKeys;
    return keys;
}

std::vector<JoinSpec> readJoins(const Node& node) {
    std::vector<JoinSpec> result;
    const QJsonArray joins = node.array(QStringLiteral("join"));
    for (int i = 0; i < joins.size(); ++i) {
        const QString where = node.at(QStringLiteral("join")) + QStringLiteral("[%1]").arg(i);
        Node join(objectAt(joins, i, where), where,
                  {QStringLiteral("data"), QStringLiteral("as"), QStringLiteral("on")}, node.constants());
        JoinSpec dataDef;
        dataDef.data = join.string(QStringLiteral("data"));
        dataDef.alias = join.string(QStringLiteral("as"), dataDef.data);
        dataDef.on = join.pairs(QStringLiteral("on"));
        if (dataDef.data.isEmpty() || dataDef.on.empty())
            fail(where, QStringLiteral("una unión necesita \"data\" y \"on\""));
        result.push_back(std::move(dataDef));
    }
    return result;
}

RowSource readSource(const Node& node) {
    RowSource source;
    source.data = node.string(QStringLiteral("data"));
    source.link = node.pairs(QStringLiteral("link"));
    source.where = node.expression(QStringLiteral("where"));
    source.sort = node.sort(QStringLiteral("sort"));
    source.joins = readJoins(node);
    if (!source.data.isEmpty() || source.link.empty())
        return source;
    fail(node.where(), QStringLiteral("\"link\" necesita \"data\""));
}

void readColumn(const QJsonObject& object, const QString& where, const Constants* constants,
                std::vector<ColumnSpec>& columns) {
    Node node(object, where,
              {QStringLiteral("id"), QStringLiteral("caption"), QStringLiteral("value"),
               QStringLiteral("bar"), QStringLiteral("format"), QStringLiteral("width"),
               QStringLiteral("align"), QStringLiteral("sum"), QStringLiteral("bold"), QStringLiteral("wrap"),
               QStringLiteral("repeat"), QStringLiteral("totals")},
              constants);
    if (node.has(QStringLiteral("repeat"))) {
        if (constants)
            fail(where, QStringLiteral("\"repeat\" no se puede anidar"));
        Node repeat(node.object(QStringLiteral("repeat")), node.at(QStringLiteral("repeat")),
                    {QStringLiteral("name"), QStringLiteral("from"), QStringLiteral("to")});
        const QString name = repeat.string(QStringLiteral("name"));
        if (name.isEmpty())
            fail(repeat.where(), QStringLiteral("falta \"name\""));
        const int from = static_cast<int>(repeat.number(QStringLiteral("from"), 1, -1000, 1000));
        const int to = static_cast<int>(repeat.number(QStringLiteral("to"), from, from, from + 100));
        QJsonObject single = object;
        single.remove(QStringLiteral("repeat"));
        for (int i = from; i <= to; ++i) {
            Constants values;
            values.insert(name.toLower(), Value(static_cast<double>(i)));
            readColumn(single, where + QStringLiteral("(%1=%2)").arg(name).arg(i), &values, columns);
            if (!columns.back().id.isEmpty())
                columns.back().id += QString::number(i);
        }
        return;
    }
    ColumnSpec column;
    column.id = node.string(QStringLiteral("id"));
    column.caption = node.text(QStringLiteral("caption"));
    column.value = node.expression(QStringLiteral("value"));
    column.bar = node.expression(QStringLiteral("bar"));
    column.format = node.string(QStringLiteral("format"));
    column.width = node.number(QStringLiteral("width"), 10, 0.1, 1000);
    column.alignSet = node.has(QStringLiteral("align"));
    column.align = node.align(QStringLiteral("align"), column.format.isEmpty() ? Align::Left : Align::Right);
    if (node.raw(QStringLiteral("sum")).toString() == QLatin1String("groups")) {
        column.sum = true;
        column.sumInTotal = false;
    } else {
        column.sum = node.boolean(QStringLiteral("sum"), false);
    }
    column.bold = node.boolean(QStringLiteral("bold"), false);
    column.wrap = node.boolean(QStringLiteral("wrap"), true);
    const QJsonArray totals = node.array(QStringLiteral("totals"));
    for (int i = 0; i < totals.size(); ++i) {
        const QString at = node.at(QStringLiteral("totals")) + QStringLiteral("[%1]").arg(i);
        if (totals[i].isNull()) {
            column.totals.emplace_back();
            continue;
        }
        if (!totals[i].isString())
            fail(at, QStringLiteral("se esperaba una expresión o null y hay %1").arg(typeName(totals[i])));
        column.totals.push_back(totals[i].toString().trimmed().isEmpty()
                                    ? Expression()
                                    : Expression::parse(totals[i].toString(), at, constants));
    }
    if (column.value.isEmpty() && column.bar.isEmpty())
        fail(where, QStringLiteral("una columna necesita \"value\""));
    if (column.sum && column.id.isEmpty())
        fail(where, QStringLiteral("una columna con \"sum\" necesita \"id\""));
    columns.push_back(std::move(column));
}

std::vector<Block> readBlocks(const QJsonArray& list, const QString& where);

Block readBlock(const QJsonObject& object, const QString& where) {
    const QString type = object.value(QStringLiteral("type")).toString();
    Block block;
    block.location = where;
    if (type == QLatin1String("table")) {
        Node node(
            object, where,
            withSource({QStringLiteral("title"), QStringLiteral("columns"), QStringLiteral("group"),
                        QStringLiteral("totals"), QStringLiteral("totalLabel"), QStringLiteral("export"),
                        QStringLiteral("empty"), QStringLiteral("hideEmpty"), QStringLiteral("header"),
                        QStringLiteral("zebra"), QStringLiteral("grandTotal")}));
        block.type = Block::Type::Table;
        block.source = readSource(node);
        if (!block.source.isSet())
            fail(where, QStringLiteral("una tabla necesita \"data\""));
        block.title = node.text(QStringLiteral("title"));
        const QJsonArray columns = node.array(QStringLiteral("columns"));
        if (columns.isEmpty())
            fail(where, QStringLiteral("una tabla necesita al menos una columna en \"columns\""));
        for (int i = 0; i < columns.size(); ++i) {
            const QString at = node.at(QStringLiteral("columns")) + QStringLiteral("[%1]").arg(i);
            readColumn(objectAt(columns, i, at), at, nullptr, block.columns);
        }
        if (node.has(QStringLiteral("group"))) {
            Node group(node.object(QStringLiteral("group")), node.at(QStringLiteral("group")),
                       {QStringLiteral("by"), QStringLiteral("header"), QStringLiteral("footer"),
                        QStringLiteral("pageBreak"), QStringLiteral("repeatHeader")});
            block.group.by = group.expression(QStringLiteral("by"));
            if (block.group.by.isEmpty())
                fail(group.where(), QStringLiteral("falta \"by\""));
            block.group.header = group.text(QStringLiteral("header"));
            block.group.footer = group.text(QStringLiteral("footer"));
            block.group.pageBreak = group.boolean(QStringLiteral("pageBreak"), false);
            block.group.repeatHeader = group.boolean(QStringLiteral("repeatHeader"), false);
        }
        QSet<QString> ids;
        for (const ColumnSpec& column : block.columns) {
            if (!column.id.isEmpty())
                ids.insert(column.id.toLower());
        }
        const QJsonArray totals = node.array(QStringLiteral("totals"));
        for (int i = 0; i < totals.size(); ++i) {
            const QString at = node.at(QStringLiteral("totals")) + QStringLiteral("[%1]").arg(i);
            Node row(objectAt(totals, i, at), at,
                     {QStringLiteral("label"), QStringLiteral("values"), QStringLiteral("bold")});
            TotalRowSpec dataDef;
            dataDef.label = row.text(QStringLiteral("label"));
            dataDef.values = row.pairs(QStringLiteral("values"));
            dataDef.bold = row.boolean(QStringLiteral("bold"), true);
            for (const auto& [id, expression] : dataDef.values) {
                if (!ids.contains(id.toLower()))
                    fail(row.at(QStringLiteral("values")),
                         QStringLiteral("no hay ninguna columna con \"id\": \"%1\"").arg(id));
            }
            block.totals.push_back(std::move(dataDef));
        }
        for (std::size_t i = 0; i < block.columns.size(); ++i) {
            if (block.columns[i].totals.size() > block.totals.size())
                fail(node.at(QStringLiteral("columns")),
                     QStringLiteral(
                         "una columna da %1 valores en \"totals\" y la tabla tiene %2 filas de totales")
                         .arg(block.columns[i].totals.size())
                         .arg(block.totals.size()));
        }
        block.totalLabel = node.text(QStringLiteral("totalLabel"));
        block.exports = node.assignments(QStringLiteral("export"));
        block.emptyText = node.text(QStringLiteral("empty"));
        block.hideEmpty = node.boolean(QStringLiteral("hideEmpty"), false);
        block.grandTotal = node.boolean(QStringLiteral("grandTotal"), true);
        block.showHeader = node.boolean(QStringLiteral("header"), true);
        block.zebra = node.boolean(QStringLiteral("zebra"), false);
    } else if (type == QLatin1String("records")) {
        Node node(
            object, where,
            withSource({QStringLiteral("body"), QStringLiteral("pageBreak"), QStringLiteral("repeatHeader"),
                        QStringLiteral("continuation"), QStringLiteral("spacing")}));
        block.type = Block::Type::Records;
        block.source = readSource(node);
        if (!block.source.isSet())
            fail(where, QStringLiteral("\"records\" necesita \"data\""));
        block.body = readBlocks(node.array(QStringLiteral("body")), node.at(QStringLiteral("body")));
        block.pageBreak = node.string(QStringLiteral("pageBreak"), QStringLiteral("none"));
        if (block.pageBreak != QLatin1String("none") && block.pageBreak != QLatin1String("each"))
            fail(node.at(QStringLiteral("pageBreak")), QStringLiteral("se esperaba \"each\" o \"none\""));
        block.repeatHeader = node.boolean(QStringLiteral("repeatHeader"), false);
        block.continuation = node.text(QStringLiteral("continuation"));
        block.spacing = node.number(QStringLiteral("spacing"), 3, 0, 100);
    } else if (type == QLatin1String("fields")) {
        Node node(object, where, withSource({QStringLiteral("items"), QStringLiteral("columns")}));
        block.type = Block::Type::Fields;
        block.source = readSource(node);
        block.fieldColumns = static_cast<int>(node.number(QStringLiteral("columns"), 2, 1, 6));
        const QJsonArray items = node.array(QStringLiteral("items"));
        for (int i = 0; i < items.size(); ++i) {
            const QString at = node.at(QStringLiteral("items")) + QStringLiteral("[%1]").arg(i);
            Node item(objectAt(items, i, at), at,
                      {QStringLiteral("label"), QStringLiteral("value"), QStringLiteral("span")});
            FieldItem field;
            field.label = item.text(QStringLiteral("label"));
            field.value = item.expression(QStringLiteral("value"));
            field.span = static_cast<int>(item.number(QStringLiteral("span"), 1, 1, block.fieldColumns));
            block.items.push_back(std::move(field));
        }
    } else if (type == QLatin1String("summary")) {
        Node node(
            object, where,
            withSource({QStringLiteral("rows"), QStringLiteral("labelWidth"), QStringLiteral("valueWidth")}));
        block.type = Block::Type::Summary;
        block.source = readSource(node);
        block.labelWidth = node.number(QStringLiteral("labelWidth"), 0, 0, 400);
        block.valueWidth = node.number(QStringLiteral("valueWidth"), 32, 5, 400);
        const QJsonArray rows = node.array(QStringLiteral("rows"));
        for (int i = 0; i < rows.size(); ++i) {
            const QString at = node.at(QStringLiteral("rows")) + QStringLiteral("[%1]").arg(i);
            Node row(objectAt(rows, i, at), at,
                     {QStringLiteral("label"), QStringLiteral("value"), QStringLiteral("format"),
                      QStringLiteral("name"), QStringLiteral("bold"), QStringLiteral("line")});
            SummaryRow dataDef;
            dataDef.label = row.text(QStringLiteral("label"));
            dataDef.value = row.expression(QStringLiteral("value"));
            dataDef.format = row.string(QStringLiteral("format"));
            dataDef.name = row.string(QStringLiteral("name"));
            dataDef.bold = row.boolean(QStringLiteral("bold"), false);
            dataDef.lineAbove = row.boolean(QStringLiteral("line"), false);
            block.rows.push_back(std::move(dataDef));
        }
    } else if (type == QLatin1String("text")) {
        Node node(object, where,
                  withSource({QStringLiteral("text"), QStringLiteral("align"), QStringLiteral("bold"),
                              QStringLiteral("italic"), QStringLiteral("size"), QStringLiteral("box")}));
        block.type = Block::Type::Text;
        block.source = readSource(node);
        block.text = node.text(QStringLiteral("text"));
        block.align = node.align(QStringLiteral("align"), Align::Left);
        block.bold = node.boolean(QStringLiteral("bold"), false);
        block.italic = node.boolean(QStringLiteral("italic"), false);
        block.boxed = node.boolean(QStringLiteral("box"), false);
        block.fontSize = node.number(QStringLiteral("size"), 0, 0, 72);
    } else if (type == QLatin1String("spacer")) {
        Node node(object, where,
                  {QStringLiteral("type"), QStringLiteral("height"), QStringLiteral("visible"),
                   QStringLiteral("keepWithPrevious")});
        block.type = Block::Type::Spacer;
        block.height = node.number(QStringLiteral("height"), 4, 0, 300);
    } else if (type == QLatin1String("signatures")) {
        Node node(object, where, withSource({QStringLiteral("items")}));
        block.type = Block::Type::Signatures;
        const QJsonArray items = node.array(QStringLiteral("items"));
        for (int i = 0; i < items.size(); ++i) {
            const QString at = node.at(QStringLiteral("items")) + QStringLiteral("[%1]").arg(i);
            Node item(objectAt(items, i, at), at, {QStringLiteral("label"), QStringLiteral("value")});
            FieldItem field;
            field.label = item.text(QStringLiteral("label"));
            field.value = item.expression(QStringLiteral("value"));
            block.items.push_back(std::move(field));
        }
    } else if (type == QLatin1String("let")) {
        Node node(object, where, {QStringLiteral("type"), QStringLiteral("values")});
        block.type = Block::Type::Let;
        block.assignments = node.assignments(QStringLiteral("values"));
    } else if (type == QLatin1String("pageBreak")) {
        Node node(object, where, {QStringLiteral("type"), QStringLiteral("visible")});
        block.type = Block::Type::PageBreak;
    } else {
        fail(where, type.isEmpty()
                        ? QStringLiteral("falta \"type\"")
                        : QStringLiteral("tipo de bloque desconocido «%1» (se admiten: table, records, "
                                         "fields, summary, text, spacer, signatures, let, pageBreak)")
                              .arg(type));
    }
    if (block.type != Block::Type::Let && block.type != Block::Type::PageBreak) {
        // Checked against every key above; read here for all the blocks that print.
        const Node pagination(object, where,
                              QStringList(object.keys())
                                  << QStringLiteral("keepWithPrevious") << QStringLiteral("keepTogether"));
        // A signature is never alone on a page, unless the template says otherwise.
        block.keepWithPrevious =
            pagination.boolean(QStringLiteral("keepWithPrevious"), block.type == Block::Type::Signatures);
        block.keepTogether = pagination.boolean(QStringLiteral("keepTogether"), false);
    }
    if (object.contains(QStringLiteral("visible")))
        block.visible =
            Node(QJsonObject{{QStringLiteral("visible"), object.value(QStringLiteral("visible"))}}, where,
                 {QStringLiteral("visible")})
                .expression(QStringLiteral("visible"));
    return block;
}

std::vector<Block> readBlocks(const QJsonArray& list, const QString& where) {
    std::vector<Block> blocks;
    for (int i = 0; i < list.size(); ++i) {
        const QString at = where + QStringLiteral("[%1]").arg(i);
        blocks.push_back(readBlock(objectAt(list, i, at), at));
    }
    return blocks;
}

DataSpec readData(const QString& name, const QJsonValue& value, const QString& where) {
    DataSpec dataDef;
    dataDef.name = name;
    dataDef.location = where;
    if (value.isString()) {
        dataDef.sql = value.toString();
    } else if (value.isObject()) {
        Node node(value.toObject(), where,
                  {QStringLiteral("sql"), QStringLiteral("from"), QStringLiteral("join"),
                   QStringLiteral("where"), QStringLiteral("groupBy"), QStringLiteral("fields"),
                   QStringLiteral("sort"), QStringLiteral("columns"), QStringLiteral("rows")});
        dataDef.sql = node.string(QStringLiteral("sql"));
        dataDef.from = node.string(QStringLiteral("from"));
        const QJsonArray columns = node.array(QStringLiteral("columns"));
        for (int i = 0; i < columns.size(); ++i) {
            if (!columns[i].isString() || columns[i].toString().isEmpty())
                fail(node.at(QStringLiteral("columns")),
                     QStringLiteral("los nombres de columna deben ser textos"));
            dataDef.columns.append(columns[i].toString());
        }
        const QJsonArray rows = node.array(QStringLiteral("rows"));
        for (int i = 0; i < rows.size(); ++i) {
            const QString at = node.at(QStringLiteral("rows")) + QStringLiteral("[%1]").arg(i);
            if (!rows[i].isArray() || rows[i].toArray().size() != columns.size())
                fail(at, QStringLiteral("cada fila debe ser una lista de %1 valores").arg(columns.size()));
            std::vector<Value> row;
            for (const QJsonValue& cell : rows[i].toArray())
                row.push_back(Value::fromVariant(cell.toVariant()));
            dataDef.rows.push_back(std::move(row));
        }
        const int kinds = (dataDef.sql.isEmpty() ? 0 : 1) + (dataDef.from.isEmpty() ? 0 : 1) +
                          (dataDef.columns.isEmpty() ? 0 : 1);
        if (kinds != 1)
            fail(where, QStringLiteral(
                            "se necesita uno y solo uno de \"sql\", \"from\" o \"columns\" con \"rows\""));
        dataDef.joins = readJoins(node);
        dataDef.where = node.expression(QStringLiteral("where"));
        for (const SortKey& key : node.sort(QStringLiteral("groupBy")))
            dataDef.groupBy.push_back(key.expression);
        dataDef.fields = node.assignments(QStringLiteral("fields"));
        dataDef.sort = node.sort(QStringLiteral("sort"));
    } else {
        fail(where, QStringLiteral("se esperaba el texto SQL o un objeto y hay %1").arg(typeName(value)));
    }
    if (!dataDef.sql.isEmpty() && dataDef.sql.trimmed().isEmpty())
        fail(where, QStringLiteral("la consulta está vacía"));
    return dataDef;
}

QPageSize::PageSizeId readPageSize(const QString& name, const QString& where) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("a4"))
        return QPageSize::A4;
    if (lower == QLatin1String("letter") || lower == QLatin1String("carta"))
        return QPageSize::Letter;
    if (lower == QLatin1String("legal") || lower == QLatin1String("oficio"))
        return QPageSize::Legal;
    if (lower == QLatin1String("a3"))
        return QPageSize::A3;
    fail(where, QStringLiteral("tamaño de página desconocido «%1» (A4, Letter, Legal, A3)").arg(name));
}

void checkReferences(const ReportTemplate& report) {
    QSet<QString> names;
    for (const DataSpec& dataDef : report.data) {
        if (!dataDef.from.isEmpty() && !report.findData(dataDef.from))
            fail(dataDef.location,
                 QStringLiteral("\"from\" nombra la consulta «%1», que no existe").arg(dataDef.from));
        for (const JoinSpec& join : dataDef.joins) {
            if (!report.findData(join.data))
                fail(dataDef.location,
                     QStringLiteral("la unión nombra la consulta «%1», que no existe").arg(join.data));
        }
        names.insert(dataDef.name.toLower());
    }
    // Derived queries must not read themselves in a circle.
    for (const DataSpec& dataDef : report.data) {
        QSet<QString> seen;
        for (const DataSpec* at = &dataDef; at && !at->from.isEmpty(); at = report.findData(at->from)) {
            if (seen.contains(at->name.toLower()))
                fail(dataDef.location,
                     QStringLiteral("la consulta «%1» se lee a sí misma").arg(dataDef.name));
            seen.insert(at->name.toLower());
        }
    }
    std::function<void(const std::vector<Block>&)> visit = [&](const std::vector<Block>& blocks) {
        for (const Block& block : blocks) {
            if (block.source.isSet() && !names.contains(block.source.data.toLower()))
                fail(
                    block.location,
                    QStringLiteral("\"data\" nombra la consulta «%1», que no existe").arg(block.source.data));
            for (const JoinSpec& join : block.source.joins) {
                if (!names.contains(join.data.toLower()))
                    fail(block.location,
                         QStringLiteral("la unión nombra la consulta «%1», que no existe").arg(join.data));
            }
            visit(block.body);
        }
    };
    visit(report.body);
}

QString jsonProblem(QJsonParseError::ParseError error) {
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("falta una coma entre dos valores o un «}» que cierre el objeto");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("falta «:» después de un nombre");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("falta cerrar una lista con «]»");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("falta una coma entre dos valores");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("valor no válido");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("el archivo termina dentro de un número");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("número no válido");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("secuencia de escape no válida");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("caracteres no válidos (el archivo debe estar en UTF-8)");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("falta cerrar un texto con comillas");
    case QJsonParseError::MissingObject:
        return QStringLiteral("se esperaba un objeto");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("anidamiento demasiado profundo");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("el archivo es demasiado grande");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("hay texto después del final de la plantilla");
    default:
        return QStringLiteral("error de sintaxis");
    }
}

ReportTemplate parseBody(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = json.left(error.offset);
        const int line = static_cast<int>(before.count('\n')) + 1;
        const int column = static_cast<int>(error.offset - (before.lastIndexOf('\n') + 1)) + 1;
        fail({},
             QStringLiteral("línea %1, columna %2: %3").arg(line).arg(column).arg(jsonProblem(error.error)));
    }
    if (!document.isObject())
        fail({}, QStringLiteral("la plantilla debe ser un objeto JSON { ... }"));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("korvexReport")).toInt() != 1)
        fail({}, QStringLiteral("no es una plantilla de reporte de Korvex (falta \"korvexReport\": 1)"));
    Node node(root, {},
              {QStringLiteral("korvexReport"), QStringLiteral("title"), QStringLiteral("subtitle"),
               QStringLiteral("page"), QStringLiteral("font"), QStringLiteral("projectHeader"),
               QStringLiteral("data"), QStringLiteral("formulas"), QStringLiteral("body"),
               QStringLiteral("footer"), QStringLiteral("description")});
    ReportTemplate report;
    report.title = node.text(QStringLiteral("title"));
    report.subtitle = node.text(QStringLiteral("subtitle"));
    report.projectHeader = node.boolean(QStringLiteral("projectHeader"), true);
    if (node.has(QStringLiteral("page"))) {
        Node page(node.object(QStringLiteral("page")), QStringLiteral("page"),
                  {QStringLiteral("size"), QStringLiteral("orientation"), QStringLiteral("margins")});
        report.pageSize = readPageSize(page.string(QStringLiteral("size"), QStringLiteral("A4")),
                                       page.at(QStringLiteral("size")));
        const QString orientation = page.string(QStringLiteral("orientation"), QStringLiteral("portrait"));
        if (orientation != QLatin1String("portrait") && orientation != QLatin1String("landscape"))
            fail(page.at(QStringLiteral("orientation")),
                 QStringLiteral("se esperaba \"portrait\" o \"landscape\""));
        report.landscape = orientation == QLatin1String("landscape");
        if (page.has(QStringLiteral("margins"))) {
            Node margins(page.object(QStringLiteral("margins")), page.at(QStringLiteral("margins")),
                         {QStringLiteral("left"), QStringLiteral("top"), QStringLiteral("right"),
                          QStringLiteral("bottom")});
            report.margins =
                QMarginsF(margins.number(QStringLiteral("left"), report.margins.left(), 0, 80),
                          margins.number(QStringLiteral("top"), report.margins.top(), 0, 80),
                          margins.number(QStringLiteral("right"), report.margins.right(), 0, 80),
                          margins.number(QStringLiteral("bottom"), report.margins.bottom(), 0, 80));
        }
    }
    if (node.has(QStringLiteral("font"))) {
        Node font(node.object(QStringLiteral("font")), QStringLiteral("font"),
                  {QStringLiteral("family"), QStringLiteral("size")});
        const QString family = font.string(QStringLiteral("family"));
        if (!family.isEmpty())
            report.fontFamilies = family.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString& name : report.fontFamilies)
            name = name.trimmed();
        report.fontSize = font.number(QStringLiteral("size"), 8, 4, 24);
    }
    const QJsonObject data = node.object(QStringLiteral("data"));
    for (auto it = data.begin(); it != data.end(); ++it)
        report.data.push_back(readData(it.key(), it.value(), QStringLiteral("data.") + it.key()));
    report.formulas = node.assignments(QStringLiteral("formulas"));
    report.body = readBlocks(node.array(QStringLiteral("body")), QStringLiteral("body"));
    if (report.body.empty())
        fail(QStringLiteral("body"), QStringLiteral("la plantilla no tiene ningún bloque que imprimir"));
    if (node.has(QStringLiteral("footer"))) {
        Node footer(node.object(QStringLiteral("footer")), QStringLiteral("footer"),
                    {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")});
        report.footer.left = footer.text(QStringLiteral("left"));
        report.footer.center = footer.text(QStringLiteral("center"));
        report.footer.right = footer.text(QStringLiteral("right"));
    }
    if (report.footer.right.isEmpty())
        report.footer.right = Expression::parseInterpolated(QStringLiteral("Página {page} de {pages}"),
                                                            QStringLiteral("footer.right"));
    checkReferences(report);
    return report;
}

} // namespace

ReportTemplate parseTemplate(const QByteArray& json, const QString& fileName) {
    try {
        ReportTemplate report = parseBody(json);
        report.fileName = fileName;
        return report;
    } catch (const TemplateError& error) {
        throw TemplateError(
            QStringLiteral("La plantilla «%1» no es válida: %2").arg(fileName, error.message()));
    }
}

ReportTemplate loadTemplate(const QString& path, const QString& fileName) {
    QFile file(path);
    if (!file.exists())
        throw TemplateError(QStringLiteral("No se encuentra la plantilla «%1».").arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw TemplateError(
            QStringLiteral("No se puede leer la plantilla «%1»: %2").arg(fileName, file.errorString()));
    constexpr qint64 kMaxTemplateBytes = 10 * 1024 * 1024;
    const QByteArray json = file.read(kMaxTemplateBytes + 1);
    if (json.size() > kMaxTemplateBytes)
        throw TemplateError(QStringLiteral("La plantilla «%1» pasa del límite de 10 MB.").arg(fileName));
    return parseTemplate(json, fileName);
}

} // namespace korvex::reports
