#include "store/Database.h"

#include "store/Backups.h"
#include "store/Connection.h"
#include "store/Dialect.h"
#include "store/ProjectFolders.h"
#include "store/Schema.h"
#include "store/WriteGuard.h"

#define SQLITE_HAS_CODEC 1
#include <QAnyStringView>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <cmath>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace korvex::store {

StoreError::StoreError(const QString& message, const QString& statement)
    : std::runtime_error(message.toStdString()), message_(message), statement_(statement) {}

std::optional<double> readNumberText(const QString& text) {
    QString t = text.trimmed();
    QString sign;
    if (t.startsWith('-') || t.startsWith('+')) {
        sign = t.left(1);
        t = t.mid(1).trimmed();
    }
    // The rightmost "," or "." is the decimal point; the others separate thousands.
    QString digits;
    bool pointPlaced = false;
    bool anyDigit = false;
    for (qsizetype i = t.size() - 1; i >= 0; --i) {
        const QChar c = t[i];
        if (c == ',' || c == '.') {
            if (!pointPlaced) {
                digits.prepend('.');
                pointPlaced = true;
            }
        } else if (c >= '0' && c <= '9') {
            digits.prepend(c);
            anyDigit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    bool ok = false;
    const double value = (sign + digits).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

[[noreturn]] void notOpen() {
    throw StoreError(QStringLiteral("La base de datos no está abierta"));
}

// Resets a cached statement when the work on it ends, however it ends.
struct StatementUse {
    sqlite3_stmt* st;
    ~StatementUse() {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
};

std::vector<QVariant> boundValues(const dialect::Translation& t, const QVariantList& params,
                                  const QString& sql) {
    if (params.size() != t.userParamCount)
        throw StoreError(QStringLiteral("La instrucción espera %1 valores y recibió %2")
                             .arg(t.userParamCount)
                             .arg(params.size()),
                         sql);
    std::vector<QVariant> values;
    values.reserve(t.params.size());
    for (const auto& p : t.params) {
        const QVariant& raw = p.userIndex >= 0 ? params[p.userIndex] : p.literal;
        // A compared value is not rounded or range-checked like one stored into the field.
        FieldType type = p.target;
        if (!p.writes &&
            (type == FieldType::Integer || type == FieldType::Long || type == FieldType::Counter))
            type = FieldType::Double;
        values.push_back(dialect::convertValue(raw, type, p.field));
    }
    return values;
}

void bindValue(sqlite3_stmt* st, int index, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(st, index, v.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        sqlite3_bind_int64(st, index, v.toLongLong());
        return;
    case QMetaType::Bool:
        sqlite3_bind_int(st, index, v.toBool() ? -1 : 0);
        return;
    default: {
        const QByteArray utf8 = v.toString().toUtf8();
        sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

void bindAll(sqlite3_stmt* st, const std::vector<QVariant>& values) {
    for (size_t i = 0; i < values.size(); ++i)
        bindValue(st, int(i) + 1, values[i]);
}

// A value read as a number: 0 for Null, -1 for true, a text as typed or displayed.
double numberOf(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    if (v.typeId() == QMetaType::QString)
        return readNumberText(v.toString()).value_or(0);
    return v.toDouble();
}

// Which columns hold a field declared BOOLEAN, whose numbers read as true or false.
std::vector<bool> booleanColumns(sqlite3_stmt* st, int columns) {
    std::vector<bool> out(std::size_t(columns), false);
    for (int i = 0; i < columns; ++i) {
        const char* decl = sqlite3_column_decltype(st, i);
        out[std::size_t(i)] = decl && qstricmp(decl, "BOOLEAN") == 0;
    }
    return out;
}

// Reads the value once from the connection and then only as the type it is stored with, so it
// is never converted in place: the reads after sqlite3_column_value touch nothing shared.
QVariant columnValue(sqlite3_stmt* st, int i, bool boolean) {
    sqlite3_value* value = sqlite3_column_value(st, i);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_value_int64(value);
        if (boolean)
            return QVariant(v != 0);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(int(v));
        return QVariant(v);
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        if (boolean)
            return QVariant(d != 0);
        return QVariant(d);
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
        return QByteArray(bytes, sqlite3_value_bytes(value));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return QString::fromUtf8(text, sqlite3_value_bytes(value));
    }
    }
}

int stepToEnd(sqlite3* db, sqlite3_stmt* st, const QString& sql) {
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throwSqliteError(db, rc, sql);
    return rc;
}

QString foldKey(const QString& name) {
    return name.toCaseFolded();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Database

Database::Database() = default;
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Database Database::open(const QString& path, const QString& connect) {
    Database db;
    db.connection_ = Connection::acquire(path, passwordOfConnect(connect));
    return db;
}

Database Database::openProject(const QString& projectFolder) {
    const QString path = projectDatabasePath(projectFolder);
    try {
        return open(path);
    } catch (const StoreError& e) {
        // A file that is there but cannot be read as a project: say where its latest copy is.
        const QList<BackupInfo> backups =
            QFileInfo(path).isFile() ? listBackups(projectFolder) : QList<BackupInfo>();
        if (backups.isEmpty())
            throw;
        throw StoreError(e.message() +
                             QStringLiteral(". Respaldo más reciente: %1")
                                 .arg(QDir::toNativeSeparators(
                                     QDir(backupFolder(projectFolder)).filePath(backups.first().fileName))),
                         e.statement());
    }
}

bool Database::isOpen() const {
    return bool(connection_);
}

QString Database::path() const {
    return connection_ ? connection_->path() : QString();
}

void Database::close() {
    connection_.reset();
}

void Database::beforeUserDataWrite() {
    if (!connection_)
        notOpen();
    beforeWrite(*connection_, QString(), {});
}

namespace {

std::shared_ptr<const dialect::Translation> selectTranslation(const QString& sql) {
    auto t = translationOf(sql);
    if (t->kind != dialect::StatementKind::Select)
        throw StoreError(QStringLiteral("La instrucción no devuelve registros; ejecútela"), sql);
    return t;
}

// The query's statement with its values bound, counted as one query.
sqlite3_stmt* prepareBound(Connection& connection, const dialect::Translation& t, const QVariantList& params,
                           const QString& sql) {
    const auto values = boundValues(t, params, sql);
    sqlite3_stmt* st = connection.prepare(t.sql(values), sql);
    bindAll(st, values);
    countQuery();
    return st;
}

} // namespace

void Database::scan(const QString& sql, const QVariantList& params,
                    const std::function<void(const Row&)>& visit) {
    if (!connection_)
        notOpen();
    const auto t = selectTranslation(sql);
    sqlite3_stmt* st = prepareBound(*connection_, *t, params, sql);
    StatementUse use{st};
    const int columns = sqlite3_column_count(st) - (t->editable ? 1 : 0);
    const std::vector<bool> booleans = booleanColumns(st, columns);
    const Row row(st, columns, booleans, t->editable);
    while (stepToEnd(connection_->handle(), st, sql) == SQLITE_ROW)
        visit(row);
}

void Row::checkColumn(int column) const {
    if (column < 0 || column >= columns_)
        throw StoreError(QStringLiteral("No existe la columna %1 en los registros").arg(column + 1));
}

QVariant Row::value(int column) const {
    checkColumn(column);
    return columnValue(statement_, column, booleans_[std::size_t(column)]);
}

bool Row::isNull(int column) const {
    checkColumn(column);
    return sqlite3_value_type(sqlite3_column_value(statement_, column)) == SQLITE_NULL;
}

std::optional<QByteArrayView> Row::text(int column) const {
    checkColumn(column);
    sqlite3_value* value = sqlite3_column_value(statement_, column);
    if (sqlite3_value_type(value) != SQLITE_TEXT)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QByteArrayView(bytes, sqlite3_value_bytes(value));
}

bool Row::equals(int column, const QVariant& value) const {
    const bool nullValue = !value.isValid() || value.isNull();
    if (nullValue || isNull(column))
        return nullValue == isNull(column);
    if (value.typeId() == QMetaType::QString)
        if (const auto bytes = text(column))
            return QAnyStringView::equal(value.toString(), QUtf8StringView(*bytes));
    return this->value(column) == value;
}

double Row::number(int column) const {
    return numberOf(value(column));
}

qint64 Row::rowId() const {
    if (!hasRowId_)
        throw StoreError(
            QStringLiteral("La consulta no es de una sola tabla: sus registros no tienen número"));
    return sqlite3_column_int64(statement_, columns_);
}

int Database::execute(const QString& sql, const QVariantList& params) {
    if (!connection_)
        notOpen();
    const auto t = translationOf(sql);
    if (t->kind == dialect::StatementKind::Select)
        throw StoreError(QStringLiteral("Una consulta SELECT no se ejecuta; se abre como registros"), sql);
    const auto values = boundValues(*t, params, sql);
    QStringList written;
    for (const auto& p : t->params)
        if (p.writes)
            written << p.field;
    beforeWrite(*connection_, t->table, written);
    sqlite3_stmt* st = connection_->prepare(t->sql(values), sql);
    StatementUse use{st};
    bindAll(st, values);
    countWrite();
    stepToEnd(connection_->handle(), st, sql);
    return sqlite3_changes(connection_->handle());
}

// ---------------------------------------------------------------------------------------------
// Transaction

Transaction::Transaction(Database& db) : connection_(db.connection_) {
    if (!connection_)
        notOpen();
    savepoint_ = connection_->beginSavepoint();
}

Transaction::~Transaction() {
    if (done_)
        return;
    try {
        connection_->rollbackSavepoint(savepoint_);
    } catch (...) {
        // Nothing more can be done here; SQLite undoes an unfinished transaction on close.
    }
}

void Transaction::commit() {
    if (done_)
        return;
    connection_->releaseSavepoint(savepoint_);
    done_ = true;
}

void Transaction::rollback() {
    if (done_)
        return;
    done_ = true;
    connection_->rollbackSavepoint(savepoint_);
}

// ---------------------------------------------------------------------------------------------
// RecordSet

struct RecordSet::Impl {
    enum class Mode { Browse, Edit, Add };

    std::shared_ptr<Connection> connection;
    QString sql;
    QStringList names;
    QHash<QString, int> index; // folded name -> column
    // Names as callers spell them: a loop over many records asks for the same few names, and
    // folding each one on every call costs more than reading the value.
    mutable QHash<QString, int> spelled;
    std::vector<const FieldDef*> origin; // the table field behind each column, if any
    std::vector<std::vector<QVariant>> rows;
    std::vector<qint64> rowIds;
    size_t position = 0;
    const TableDef* table = nullptr;
    bool editable = false;
    Mode mode = Mode::Browse;
    std::vector<std::pair<const FieldDef*, QVariant>> changes;

    bool hasCurrent() const { return position < rows.size(); }

    int column(const QString& field) const {
        if (const auto known = spelled.constFind(field); known != spelled.cend())
            return *known;
        const int c = index.value(foldKey(field), -1);
        if (c < 0)
            throw StoreError(
                QStringLiteral("No existe el campo %1 en los registros de la consulta").arg(field), sql);
        spelled.insert(field, c);
        return c;
    }

    const QVariant* changed(const FieldDef* f) const {
        for (const auto& [field, value] : changes)
            if (field == f)
                return &value;
        return nullptr;
    }

    // Columns of two tables that share a name ("CodigoPres" of a join) are named with their table,
    // "Materiales.CodigoPres", so each keeps its own value; the bare name still finds the first.
    void qualifySharedNames(sqlite3_stmt* st) {
        QHash<QString, int> uses;
        for (const QString& name : std::as_const(names))
            ++uses[foldKey(name)];
        for (int i = 0; i < names.size(); ++i) {
            const char* tableName = sqlite3_column_table_name(st, i);
            if (uses.value(foldKey(names[i])) < 2 || !tableName)
                continue;
            names[i] = QString::fromUtf8(tableName) + "." + names[i];
            if (!index.contains(foldKey(names[i])))
                index.insert(foldKey(names[i]), i);
        }
    }

    QVariant value(const QString& field) const { return valueAt(column(field)); }

    QVariant valueAt(int c) const {
        if (mode != Mode::Browse && origin[size_t(c)])
            if (const QVariant* v = changed(origin[size_t(c)]))
                return *v;
        if (mode == Mode::Add)
            return QVariant();
        if (!hasCurrent())
            throw StoreError(QStringLiteral("No hay registro actual"));
        return rows[position][size_t(c)];
    }

    void requireEditable(const char* action) const {
        if (!editable || !table)
            throw StoreError(QStringLiteral("Los registros de esta consulta no se pueden modificar (%1)")
                                 .arg(QLatin1String(action)),
                             sql);
    }

    const FieldDef* writableField(const QString& name) const {
        const int c = index.value(foldKey(name), -1);
        const FieldDef* f = c >= 0 ? origin[size_t(c)] : nullptr;
        if (!f)
            f = table->field(name);
        if (!f)
            throw StoreError(QStringLiteral("No existe el campo %1 en la tabla %2").arg(name, table->name));
        if (f->type == FieldType::Counter)
            throw StoreError(
                QStringLiteral("El campo %1 lo asigna la base de datos y no se puede escribir").arg(f->name));
        return f;
    }

    void write();
    std::vector<QVariant> reread(qint64 rowId) const;

    // After an update that wrote only finite, non-negative numbers into Double fields, the record
    // takes the written values as they are: the file returns such a number unchanged (a negative
    // one is read back, to be safe about -0). Reading the record back would double the cost of a
    // save that reprices many lines.
    bool keepWrittenNumbers() {
        for (const auto& [field, value] : changes)
            if (field->type != FieldType::Double || value.typeId() != QMetaType::Double ||
                !std::isfinite(value.toDouble()) || std::signbit(value.toDouble()))
                return false; // -0 comes back as 0
        for (size_t c = 0; c < origin.size(); ++c)
            if (const QVariant* v = origin[c] ? changed(origin[c]) : nullptr)
                rows[position][c] = *v;
        return true;
    }
};

std::vector<QVariant> RecordSet::Impl::reread(qint64 rowId) const {
    const QString sql = QStringLiteral("SELECT * FROM [%1] WHERE rowid = ?").arg(table->name);
    sqlite3_stmt* st = connection->prepare(sql, sql);
    StatementUse use{st};
    sqlite3_bind_int64(st, 1, rowId);
    countQuery();
    std::vector<QVariant> row(names.size());
    if (stepToEnd(connection->handle(), st, sql) != SQLITE_ROW)
        return row;
    QHash<const FieldDef*, QVariant> stored;
    const std::vector<bool> booleans = booleanColumns(st, sqlite3_column_count(st));
    for (int i = 0; i < sqlite3_column_count(st); ++i)
        if (const FieldDef* f = table->field(QString::fromUtf8(sqlite3_column_name(st, i))))
            stored.insert(f, columnValue(st, i, booleans[size_t(i)]));
    for (size_t c = 0; c < size_t(names.size()); ++c) {
        if (origin[c])
            row[c] = stored.value(origin[c]);
        else if (mode == Mode::Edit && hasCurrent())
            row[c] = rows[position][c];
    }
    return row;
}

void RecordSet::Impl::write() {
    if (mode == Mode::Edit && changes.empty())
        return;
    QStringList written;
    for (const auto& change : changes)
        written << change.first->name;
    beforeWrite(*connection, table->name, written);
    sqlite3* db = connection->handle();
    QString sql;
    std::vector<QVariant> values;
    for (const auto& change : changes)
        values.push_back(change.second);
    if (mode == Mode::Add) {
        QStringList fields;
        QStringList marks;
        for (const auto& change : changes) {
            fields << "[" + change.first->name + "]";
            marks << "?";
        }
        sql = fields.isEmpty() ? QStringLiteral("INSERT INTO [%1] DEFAULT VALUES").arg(table->name)
                               : QStringLiteral("INSERT INTO [%1] (%2) VALUES (%3)")
                                     .arg(table->name, fields.join(", "), marks.join(", "));
    } else {
        if (changes.empty())
            return;
        QStringList sets;
        for (const auto& change : changes)
            sets << "[" + change.first->name + "] = ?";
        sql = QStringLiteral("UPDATE [%1] SET %2 WHERE rowid = ?").arg(table->name, sets.join(", "));
        values.push_back(rowIds[position]);
    }
    sqlite3_stmt* st = connection->prepare(sql, sql);
    StatementUse use{st};
    bindAll(st, values);
    countWrite();
    stepToEnd(db, st, sql);
    if (mode == Mode::Edit && sqlite3_changes(db) == 0)
        throw StoreError(
            QStringLiteral("El registro que se modificaba ya no existe en la tabla %1").arg(table->name));
    if (mode == Mode::Edit && keepWrittenNumbers())
        return;
    const qint64 rowId = mode == Mode::Add ? sqlite3_last_insert_rowid(db) : rowIds[position];
    std::vector<QVariant> row = reread(rowId);
    if (mode == Mode::Add) {
        rows.push_back(std::move(row));
        rowIds.push_back(rowId);
        position = rows.size() - 1;
    } else {
        rows[position] = std::move(row);
    }
}

RecordSet::RecordSet() = default;
RecordSet::RecordSet(RecordSet&&) noexcept = default;
RecordSet& RecordSet::operator=(RecordSet&&) noexcept = default;
RecordSet::~RecordSet() = default;

RecordSet Database::openRecordSet(const QString& sql, const QVariantList& params) {
    if (!connection_)
        notOpen();
    const auto t = selectTranslation(sql);
    sqlite3_stmt* st = prepareBound(*connection_, *t, params, sql);
    StatementUse use{st};

    auto impl = std::make_unique<RecordSet::Impl>();
    impl->connection = connection_;
    impl->sql = sql;
    impl->table = t->table.isEmpty() ? nullptr : findTable(t->table);
    impl->editable = t->editable;
    int columns = sqlite3_column_count(st);
    if (t->editable)
        --columns; // the last column is the hidden rowid
    for (int i = 0; i < columns; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
        impl->names << name;
        if (!impl->index.contains(foldKey(name)))
            impl->index.insert(foldKey(name), i);
        const FieldDef* origin = nullptr;
        const char* table = sqlite3_column_table_name(st, i);
        const char* field = sqlite3_column_origin_name(st, i);
        if (impl->table && table && field &&
            impl->table->name.compare(QString::fromUtf8(table), Qt::CaseInsensitive) == 0)
            origin = impl->table->field(QString::fromUtf8(field));
        impl->origin.push_back(origin);
    }
    impl->qualifySharedNames(st);
    const std::vector<bool> booleans = booleanColumns(st, columns);
    while (stepToEnd(connection_->handle(), st, sql) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(size_t(columns));
        for (int i = 0; i < columns; ++i)
            row.push_back(columnValue(st, i, booleans[size_t(i)]));
        impl->rows.push_back(std::move(row));
        if (t->editable)
            impl->rowIds.push_back(sqlite3_column_int64(st, columns));
    }
    RecordSet rs;
    rs.impl_ = std::move(impl);
    return rs;
}

namespace {
[[noreturn]] void closedRecordSet() {
    throw StoreError(QStringLiteral("Los registros están cerrados"));
}
} // namespace

int RecordSet::recordCount() const {
    return impl_ ? int(impl_->rows.size()) : 0;
}

bool RecordSet::eof() const {
    return !impl_ || !impl_->hasCurrent();
}

void RecordSet::moveFirst() {
    if (!impl_)
        closedRecordSet();
    impl_->mode = Impl::Mode::Browse;
    impl_->changes.clear();
    impl_->position = 0;
}

void RecordSet::moveNext() {
    if (!impl_)
        closedRecordSet();
    impl_->mode = Impl::Mode::Browse;
    impl_->changes.clear();
    if (impl_->hasCurrent())
        ++impl_->position;
}

QStringList RecordSet::fieldNames() const {
    return impl_ ? impl_->names : QStringList();
}

bool RecordSet::hasField(const QString& name) const {
    return impl_ && impl_->index.contains(foldKey(name));
}

QVariant RecordSet::value(const QString& field) const {
    if (!impl_)
        closedRecordSet();
    return impl_->value(field);
}

QVariant RecordSet::valueAt(int column) const {
    if (!impl_)
        closedRecordSet();
    if (column < 0 || column >= impl_->names.size())
        throw StoreError(QStringLiteral("No existe la columna %1 en los registros").arg(column + 1));
    return impl_->valueAt(column);
}

bool RecordSet::isNull(const QString& field) const {
    const QVariant v = value(field);
    return !v.isValid() || v.isNull();
}

QString RecordSet::text(const QString& field) const {
    const QVariant v = value(field);
    if (!v.isValid() || v.isNull())
        return {};
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    return v.toString();
}

double RecordSet::number(const QString& field) const {
    return numberOf(value(field));
}

qint64 RecordSet::rowId() const {
    if (!impl_)
        closedRecordSet();
    impl_->requireEditable("rowId");
    if (!impl_->hasCurrent())
        throw StoreError(QStringLiteral("No hay registro actual"));
    return impl_->rowIds[impl_->position];
}

bool RecordSet::boolean(const QString& field) const {
    return number(field) != 0;
}

void RecordSet::addNew() {
    if (!impl_)
        closedRecordSet();
    impl_->requireEditable("addNew");
    impl_->mode = Impl::Mode::Add;
    impl_->changes.clear();
}

void RecordSet::edit() {
    if (!impl_)
        closedRecordSet();
    impl_->requireEditable("edit");
    if (!impl_->hasCurrent())
        throw StoreError(QStringLiteral("No hay registro actual para modificar"));
    impl_->mode = Impl::Mode::Edit;
    impl_->changes.clear();
}

void RecordSet::setValue(const QString& field, const QVariant& value) {
    if (!impl_)
        closedRecordSet();
    if (impl_->mode == Impl::Mode::Browse)
        throw StoreError(QStringLiteral("Falta addNew o edit antes de asignar el campo %1").arg(field));
    const FieldDef* f = impl_->writableField(field);
    QVariant converted = dialect::convertValue(value, f->type, f->name);
    for (auto& change : impl_->changes)
        if (change.first == f) {
            change.second = std::move(converted);
            return;
        }
    impl_->changes.emplace_back(f, std::move(converted));
}

void RecordSet::update() {
    if (!impl_)
        closedRecordSet();
    if (impl_->mode == Impl::Mode::Browse)
        throw StoreError(QStringLiteral("Falta addNew o edit antes de update"));
    impl_->write();
    impl_->mode = Impl::Mode::Browse;
    impl_->changes.clear();
}

void RecordSet::close() {
    impl_.reset();
}

} // namespace korvex::store
