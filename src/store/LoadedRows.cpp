#include "store/LoadedRows.h"

#include <QSet>

namespace korvex::store {

namespace {

constexpr int kNamedRows = 5;

QString selectOf(const QString& table, const QStringList& fields, const QString& where,
                 const QString& orderBy) {
    return QStringLiteral("SELECT %1 FROM %2%3%4")
        .arg(fields.join(QStringLiteral(", ")), table,
             where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
             orderBy.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + orderBy);
}

QString keyOf(const QVariantList& values, int keyFields) {
    QStringList parts;
    for (int i = 0; i < keyFields && i < values.size(); ++i)
        parts << values[i].toString();
    return parts.join(QChar(0x1f));
}

[[noreturn]] void throwChanged(QStringList changed, const QString& subject) {
    changed.removeDuplicates();
    QString what = changed.mid(0, kNamedRows).join(QStringLiteral(", "));
    if (changed.size() > kNamedRows)
        what += QStringLiteral(" y %1 más").arg(changed.size() - kNamedRows);
    throw StaleDataError(changedMeanwhileMessage(subject + what));
}

QVariantList valuesOf(const Row& row) {
    QVariantList values;
    values.reserve(row.columnCount());
    for (int i = 0; i < row.columnCount(); ++i)
        values.append(row.value(i));
    return values;
}

// Null and an invalid value are the same stored nothing; numbers compare by value.
bool sameValue(const QVariant& a, const QVariant& b) {
    const bool nullA = !a.isValid() || a.isNull();
    const bool nullB = !b.isValid() || b.isNull();
    if (nullA || nullB)
        return nullA == nullB;
    return a == b;
}

bool sameValues(const QVariantList& a, const QVariantList& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i]))
            return false;
    return true;
}

} // namespace

QString changedMeanwhileMessage(const QString& what) {
    return what + QStringLiteral(" cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla");
}

LoadedRows::LoadedRows(const QString& table, const QStringList& fields) : table_(table), fields_(fields) {}

void LoadedRows::append(qint64 row, QVariantList values) {
    order_.append(row);
    values_.insert(row, std::move(values));
}

void LoadedRows::setValue(qint64 row, int field, const QVariant& value) {
    const auto it = values_.find(row);
    if (it != values_.end() && field >= 0 && field < it->size())
        (*it)[field] = value;
}

LoadedRows LoadedRows::read(Database& db, const QString& table, const QStringList& fields,
                            const QString& where, const QVariantList& params, const QString& orderBy) {
    LoadedRows loaded;
    loaded.table_ = table;
    loaded.fields_ = fields;
    loaded.where_ = where;
    loaded.params_ = params;
    loaded.orderBy_ = orderBy;
    db.scan(selectOf(table, fields, where, orderBy), params,
            [&loaded](const Row& row) { loaded.append(row.rowId(), valuesOf(row)); });
    return loaded;
}

int LoadedRows::fieldIndex(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

LoadedRows::Describe LoadedRows::namingForCheck(const Describe& describe) const {
    if (table_.isEmpty())
        throw StoreError(QStringLiteral("No se cargaron los datos que se van a grabar"));
    if (describe)
        return describe;
    return [](const QVariantList& values) { return values.value(0).toString(); };
}

void LoadedRows::readStored(Database& db,
                            const std::function<void(qint64, const QVariantList&)>& visit) const {
    db.scan(selectOf(table_, fields_, where_, orderBy_), params_,
            [&visit](const Row& row) { visit(row.rowId(), valuesOf(row)); });
}

void LoadedRows::check(Database& db, const Filter& inScope, const Describe& describe,
                       const QString& subject) const {
    const Describe name = namingForCheck(describe);
    const auto wanted = [&](const QVariantList& values) { return !inScope || inScope(values); };
    QStringList changed;
    QSet<qint64> seen;
    readStored(db, [&](qint64 row, const QVariantList& stored) {
        const auto loaded = values_.constFind(row);
        const bool loadedInScope = loaded != values_.constEnd() && wanted(*loaded);
        if (loaded != values_.constEnd())
            seen.insert(row);
        if (!loadedInScope && !wanted(stored))
            return;
        if (!loadedInScope || !sameValues(*loaded, stored))
            changed << name(loadedInScope ? *loaded : stored);
    });
    for (auto it = values_.constBegin(); it != values_.constEnd(); ++it)
        if (!seen.contains(it.key()) && wanted(*it))
            changed << name(*it);
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

void LoadedRows::checkWritten(Database& db, const QSet<qint64>& written, const Describe& describe,
                              const QString& subject) const {
    const Describe name = namingForCheck(describe);
    QStringList changed;
    QSet<qint64> seen;
    readStored(db, [&](qint64 row, const QVariantList& stored) {
        const auto loaded = values_.constFind(row);
        if (loaded == values_.constEnd()) {
            changed << name(stored);
            return;
        }
        seen.insert(row);
        if (written.contains(row) && !sameValues(*loaded, stored))
            changed << name(*loaded);
    });
    for (auto it = values_.constBegin(); it != values_.constEnd(); ++it)
        if (!seen.contains(it.key()))
            changed << name(*it);
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

void LoadedRows::checkByKey(Database& db, int keyFields, const Describe& describe,
                            const QString& subject) const {
    const Describe name = namingForCheck(describe);
    QHash<QString, QVariantList> loaded;
    QStringList loadedOrder;
    for (const qint64 row : order_) {
        const QVariantList& values = values_[row];
        loaded.insert(keyOf(values, keyFields), values);
        loadedOrder << keyOf(values, keyFields);
    }
    QStringList changed;
    QStringList storedOrder;
    QSet<QString> seen;
    readStored(db, [&](qint64, const QVariantList& stored) {
        const QString key = keyOf(stored, keyFields);
        storedOrder << key;
        seen.insert(key);
        const auto it = loaded.constFind(key);
        if (it == loaded.constEnd() || !sameValues(*it, stored))
            changed << name(stored);
    });
    for (auto it = loaded.constBegin(); it != loaded.constEnd(); ++it)
        if (!seen.contains(it.key()))
            changed << name(*it);
    if (changed.isEmpty() && storedOrder != loadedOrder)
        changed << QStringLiteral("(el orden)");
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

} // namespace korvex::store
