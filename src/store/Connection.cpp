#include "store/Connection.h"

#include "store/Database.h"
#include "store/Schema.h"
#include "store/SchemaUpgrade.h"
#include "store/StatementCounts.h"
#include "store/TextCompare.h"

#define SQLITE_HAS_CODEC 1
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex::store {

namespace {

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

struct Registry {
    std::mutex mutex;
    std::map<FileId, std::shared_ptr<Connection>> connections;
    quint64 clock = 0;
};

Registry& registry() {
    static Registry* r = new Registry; // never destroyed: connections may outlive static teardown
    return *r;
}

constexpr size_t kIdleConnectionsKept = 8;
constexpr int kStatementCacheSize = 256;

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString translateSqliteMessage(const QString& msg) {
    if (msg.startsWith(QLatin1String(dialect::kOwnErrorMark)))
        return msg.mid(int(qstrlen(dialect::kOwnErrorMark)));
    struct Rule {
        const char* prefix;
        const char* spanish;
    };
    static const Rule rules[] = {
        {"no such column: ", "No existe el campo %1"},
        {"no such table: ", "No existe la tabla %1"},
        {"ambiguous column name: ", "El campo %1 es ambiguo"},
        {"misuse of aggregate", "Uso indebido de una función de totales%1"},
        {"no such function: ", "Función desconocida %1"},
        {"too many SQL variables", "La instrucción tiene demasiados valores%1"},
        {"parser stack overflow", "La instrucción anida demasiados niveles de paréntesis u operaciones%1"},
        {"Expression tree is too large",
         "La instrucción anida demasiados niveles de paréntesis u operaciones"},
        {"too many terms in compound SELECT", "La instrucción tiene demasiadas partes"},
        {"string or blob too big", "El valor es demasiado grande"},
        {"integer overflow", "Desbordamiento en un cálculo con enteros%1"},
    };
    for (const auto& r : rules) {
        const QLatin1String prefix(r.prefix);
        if (msg.startsWith(prefix))
            return QString::fromUtf8(r.spanish).arg(msg.mid(prefix.size()));
    }
    // A project database of an older layout lacks a field a statement writes.
    static const QRegularExpression noColumn(QStringLiteral("^table (\\S+) has no column named (\\S+)$"));
    if (const auto m = noColumn.match(msg); m.hasMatch())
        return QStringLiteral("La tabla %1 del proyecto no tiene el campo %2")
            .arg(m.captured(1), m.captured(2));
    // The engine's own words stay for --verbose; the user learns what failed.
    return QStringLiteral("La base de datos rechazó la instrucción");
}

QString fileOf(sqlite3* db) {
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name && *name ? nativePath(QString::fromUtf8(name)) : QStringLiteral("del proyecto");
}

QString describe(sqlite3* db, int rc) {
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("La base de datos está en uso por otro proceso");
    case SQLITE_READONLY:
        return QStringLiteral("La base de datos es de sólo lectura");
    case SQLITE_FULL:
        return QStringLiteral("No queda espacio en el disco");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        // The file opened and its first page read with the key: what fails now is damage.
        return QStringLiteral("El archivo %1 está dañado").arg(fileOf(db));
    case SQLITE_IOERR:
        return QStringLiteral("Error de lectura o escritura en la base de datos");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("El registro no cumple las reglas de la tabla");
    case SQLITE_CANTOPEN:
        return QStringLiteral("No se puede abrir la base de datos");
    case SQLITE_TOOBIG:
        return QStringLiteral("El valor es demasiado grande");
    case SQLITE_NOMEM:
        return QStringLiteral("No hay memoria suficiente");
    default:
        break;
    }
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return translateSqliteMessage(msg);
}

std::atomic<int> g_writesBeforeFailure{-1};
std::atomic<quint64> g_queriesRun{0};
std::atomic<quint64> g_writesRun{0};

QVariant variantOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(value));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                          sqlite3_value_bytes(value)));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char*>(sqlite3_value_blob(value)), sqlite3_value_bytes(value)));
    default:
        return QVariant();
    }
}

void ownError(sqlite3_context* context, const QString& message) {
    const QByteArray text = (QLatin1String(dialect::kOwnErrorMark) + message).toUtf8();
    sqlite3_result_error(context, text.constData(), int(text.size()));
}

// korvex_store_value(value, type, field): see Dialect.h.
void storeValueFunction(sqlite3_context* context, int, sqlite3_value** args) {
    const auto type = FieldType(sqlite3_value_int(args[1]));
    const QString field = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[2])));
    try {
        const QVariant v = dialect::convertValue(variantOf(args[0]), type, field);
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_result_null(context);
            break;
        case QMetaType::Double:
            sqlite3_result_double(context, v.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_result_int64(context, v.toLongLong());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            sqlite3_result_blob(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    } catch (const StoreError& e) {
        ownError(context, e.message());
    }
}

// korvex_divide(a, b, operator): see Dialect.h.
void divideFunction(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const double a = sqlite3_value_double(args[0]);
    const double b = sqlite3_value_double(args[1]);
    const bool modulo = sqlite3_value_text(args[2]) && sqlite3_value_text(args[2])[0] == '%';
    if (modulo ? std::trunc(b) == 0 : b == 0) {
        ownError(context, QStringLiteral("División por cero"));
        return;
    }
    sqlite3_result_double(context, modulo ? std::fmod(std::trunc(a), std::trunc(b)) : a / b);
}

int registerWriteFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function_v2(db, dialect::kStoreValueFunction, 3, flags, nullptr,
                                        storeValueFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, dialect::kDivideFunction, 3, flags, nullptr, divideFunction,
                                        nullptr, nullptr, nullptr);
    return rc;
}

QString passwordFromParts(const QString& connect) {
    for (const QString& part : connect.split(';', Qt::SkipEmptyParts)) {
        const int eq = int(part.indexOf('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return {};
}

void closeIdleBeyondLimit(Registry& r) {
    std::vector<std::pair<quint64, FileId>> idle;
    for (const auto& [id, c] : r.connections)
        if (c.use_count() == 1)
            idle.push_back({c->lastUse(), id});
    if (idle.size() <= kIdleConnectionsKept)
        return;
    std::sort(idle.begin(), idle.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i + kIdleConnectionsKept < idle.size(); ++i)
        r.connections.erase(idle[i].second);
}

} // namespace

QString passwordOfConnect(const QString& connect) {
    return passwordFromParts(connect);
}

void throwSqliteError(sqlite3* db, int rc, const QString& statement) {
    const QString engine = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    QString detail = statement.trimmed();
    detail += (detail.isEmpty() ? "" : "\n") + QStringLiteral("SQLite %1: %2").arg(rc).arg(engine);
    throw StoreError(describe(db, rc), detail);
}

void countQuery() {
    g_queriesRun.fetch_add(1, std::memory_order_relaxed);
}

void countWrite() {
    g_writesRun.fetch_add(1, std::memory_order_relaxed);
    int n = g_writesBeforeFailure.load();
    while (n >= 0) {
        if (g_writesBeforeFailure.compare_exchange_weak(n, n == 0 ? -1 : n - 1)) {
            if (n == 0)
                throw StoreError(QStringLiteral("Fallo de escritura provocado para la prueba"));
            return;
        }
    }
}

namespace testing {
void failAfterWrites(int n) {
    g_writesBeforeFailure.store(n < 0 ? -1 : n);
}

StatementCounts statementsRun() {
    return {g_queriesRun.load(std::memory_order_relaxed), g_writesRun.load(std::memory_order_relaxed)};
}
} // namespace testing

// ---------------------------------------------------------------------------------------------

std::shared_ptr<Connection> Connection::acquire(const QString& path, const QString& password) {
    struct stat st {};
    const QByteArray local = QFile::encodeName(path);
    if (path.isEmpty() || ::stat(local.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        throw StoreError(QStringLiteral("No se encuentra la base de datos %1").arg(nativePath(path)));
    const FileId id{st.st_dev, st.st_ino};
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.connections.find(id);
    if (it != r.connections.end() && !it->second->stillNamesFile()) {
        r.connections.erase(it);
        it = r.connections.end();
    }
    if (it != r.connections.end()) {
        if (it->second->password_ != password)
            throw StoreError(
                QStringLiteral("No se puede abrir la base de datos %1: la contraseña no es válida")
                    .arg(nativePath(path)));
        it->second->lastUse_ = ++r.clock;
        return it->second;
    }
    std::shared_ptr<Connection> c(new Connection);
    c->open(path, password);
    c->lastUse_ = ++r.clock;
    r.connections[id] = c;
    closeIdleBeyondLimit(r);
    return c;
}

void Connection::forgetUnder(const QString& folder) {
    const QString prefix = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + "/";
    QString canonicalPrefix = QFileInfo(folder).canonicalFilePath();
    if (!canonicalPrefix.isEmpty())
        canonicalPrefix += "/";
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto it = r.connections.begin(); it != r.connections.end();) {
        const QString& p = it->second->path_;
        if (p.startsWith(prefix) || (!canonicalPrefix.isEmpty() && p.startsWith(canonicalPrefix)))
            it = r.connections.erase(it);
        else
            ++it;
    }
}

bool Connection::stillNamesFile() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && st.st_nlink > 0;
}

void Connection::open(const QString& path, const QString& password) {
    path_ = QFileInfo(path).canonicalFilePath();
    if (path_.isEmpty())
        path_ = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    password_ = password;
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK)
        throw StoreError(QStringLiteral("No se puede abrir la base de datos %1: %2")
                             .arg(nativePath(path), describe(db_, rc)));
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        sqlite3_key(db_, key.constData(), int(key.size()));
    }
    sqlite3_busy_timeout(db_, 3000);
    checkProjectDatabase();
    rc = text::registerFunctions(db_);
    if (rc == SQLITE_OK)
        rc = registerWriteFunctions(db_);
    if (rc != SQLITE_OK)
        throwSqliteError(db_, rc);
    sqlite3_exec(db_, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
    // One file per project (copyable, readable from read-only media) with a rollback journal, and
    // every commit on the disk before it returns: NORMAL may lose or corrupt the last commits of a
    // rollback journal when the power fails.
    sqlite3_exec(db_, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
}

void Connection::checkProjectDatabase() {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr);
    QSet<QString> tables;
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            tables.insert(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower());
    sqlite3_finalize(st);
    const QString where = nativePath(path_);
    if (rc != SQLITE_DONE) {
        // The key is fixed: a first page it cannot read is a damaged project or a foreign file,
        // which look alike to the engine, never a wrong password.
        if ((rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT)
            throw StoreError(QStringLiteral("El archivo %1 está dañado o no es un proyecto").arg(where));
        throw StoreError(
            QStringLiteral("No se puede abrir la base de datos %1: %2").arg(where, describe(db_, rc)));
    }
    for (const auto& t : schemaTables())
        if (!tables.contains(t.name.toLower()))
            throw StoreError(
                QStringLiteral("El archivo %1 no es una base de datos de proyecto: le falta la tabla %2")
                    .arg(where, t.name));
    rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &st, nullptr);
    int version = 0;
    if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (version > kSchemaVersion)
        throw StoreError(
            QStringLiteral("La base de datos %1 fue creada por una versión más reciente del programa")
                .arg(where));
    upgradeSchema(db_, version, where);
}

Connection::~Connection() {
    for (sqlite3_stmt* st : std::as_const(statements_))
        sqlite3_finalize(st);
    if (db_)
        sqlite3_close_v2(db_);
    if (fd_ >= 0)
        ::close(fd_);
}

sqlite3_stmt* Connection::prepare(const QString& sql, const QString& statement) {
    if (sqlite3_stmt* cached = statements_.value(sql)) {
        sqlite3_reset(cached);
        sqlite3_clear_bindings(cached);
        return cached;
    }
    if (statements_.size() >= kStatementCacheSize) {
        for (sqlite3_stmt* st : std::as_const(statements_))
            sqlite3_finalize(st);
        statements_.clear();
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        throwSqliteError(db_, rc, statement);
    }
    statements_.insert(sql, st);
    return st;
}

void Connection::exec(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throwSqliteError(db_, rc);
}

QString Connection::beginSavepoint() {
    static std::atomic<quint64> counter{0};
    const QString name = QStringLiteral("korvex_sp%1").arg(++counter);
    if (!savepoints_.empty() && sqlite3_get_autocommit(db_))
        savepoints_.clear(); // SQLite ended the transaction itself after an error
    exec("SAVEPOINT " + name);
    savepoints_.push_back(name);
    return name;
}

void Connection::releaseSavepoint(const QString& name) {
    const auto it = std::find(savepoints_.begin(), savepoints_.end(), name);
    if (it == savepoints_.end())
        return; // an enclosing transaction already ended
    if (sqlite3_get_autocommit(db_)) {
        savepoints_.clear();
        throw StoreError(QStringLiteral("La transacción se anuló por un error anterior; no se grabó nada"));
    }
    exec("RELEASE " + name);
    savepoints_.erase(it, savepoints_.end());
}

void Connection::rollbackSavepoint(const QString& name) {
    const auto it = std::find(savepoints_.begin(), savepoints_.end(), name);
    if (it == savepoints_.end())
        return;
    savepoints_.erase(it, savepoints_.end());
    if (sqlite3_get_autocommit(db_)) {
        savepoints_.clear();
        return;
    }
    exec("ROLLBACK TO " + name);
    exec("RELEASE " + name);
}

// ---------------------------------------------------------------------------------------------

std::shared_ptr<const dialect::Translation> translationOf(const QString& statement) {
    static std::mutex mutex;
    static QHash<QString, std::shared_ptr<const dialect::Translation>> cache;
    {
        std::lock_guard lock(mutex);
        if (auto t = cache.value(statement))
            return t;
    }
    auto t = std::make_shared<const dialect::Translation>(dialect::translate(statement));
    std::lock_guard lock(mutex);
    if (cache.size() > 1024)
        cache.clear();
    cache.insert(statement, t);
    return t;
}

void createDatabaseFile(const QString& path, const QString& password) {
    const QString temporary = path + ".nuevo";
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temporary.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    auto failWith = [&](int code) {
        const QString message = describe(db, code);
        sqlite3_close_v2(db);
        QFile::remove(temporary);
        throw StoreError(
            QStringLiteral("No se puede crear la base de datos %1: %2").arg(nativePath(path), message));
    };
    if (rc != SQLITE_OK)
        failWith(rc);
    const QByteArray key = password.toUtf8();
    sqlite3_key(db, key.constData(), int(key.size()));
    QStringList statements{"BEGIN"};
    statements << schemaStatements();
    statements << QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion) << "COMMIT";
    for (const QString& sql : statements) {
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            failWith(rc);
    }
    rc = sqlite3_close(db);
    db = nullptr;
    if (rc != SQLITE_OK)
        failWith(rc);
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        throw StoreError(QStringLiteral("No se puede crear la base de datos %1").arg(nativePath(path)));
    }
}

} // namespace korvex::store
