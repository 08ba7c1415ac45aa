#pragma once
// The keyed SQLite connection shared by every Database handle on one file within the process.
// Key derivation costs tens of milliseconds, so a connection stays open for later handles even
// when the last one closes; a file that was deleted or replaced gets a fresh connection.

#include "store/Dialect.h"

#include <QHash>
#include <QString>
#include <memory>
#include <sys/types.h>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace korvex::store {

class Connection {
public:
    // Throws StoreError: missing file, wrong password, not a project database.
    static std::shared_ptr<Connection> acquire(const QString& path, const QString& password);
    // Forgets the connections of files in folder (before deleting it), in use or not.
    static void forgetUnder(const QString& folder);

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    sqlite3* handle() const { return db_; }
    const QString& path() const { return path_; }
    quint64 lastUse() const { return lastUse_; }
    // The descriptor kept open on the file: reading through it never drops SQLite's POSIX locks,
    // as opening and closing another descriptor of the file would.
    int fileDescriptor() const { return fd_; }

    // A prepared statement of the connection's cache, reset and without bindings.
    sqlite3_stmt* prepare(const QString& sql, const QString& statement);
    void exec(const QString& sql);

    QString beginSavepoint();
    void releaseSavepoint(const QString& name);
    void rollbackSavepoint(const QString& name);

private:
    Connection() = default;
    bool stillNamesFile() const;
    void open(const QString& path, const QString& password);
    void checkProjectDatabase();

    sqlite3* db_ = nullptr;
    int fd_ = -1; // kept open to tell whether the file was deleted meanwhile
    QString path_;
    QString password_;
    QHash<QString, sqlite3_stmt*> statements_;
    std::vector<QString> savepoints_;
    quint64 lastUse_ = 0;
};

// The translation of a statement of the dialect, cached by its text.
std::shared_ptr<const dialect::Translation> translationOf(const QString& statement);

// A Spanish description of an SQLite failure; statement is appended when given.
[[noreturn]] void throwSqliteError(sqlite3* db, int rc, const QString& statement = {});

// Writes a new keyed database file with the whole schema, every table empty. The file appears
// complete or not at all. Throws StoreError.
void createDatabaseFile(const QString& path, const QString& password);

// The password of a connect string such as ";pwd=5816240397".
QString passwordOfConnect(const QString& connect);

// Counts one write for testing::failAfterWrites; throws when the injected failure is due.
void countWrite();
// Counts one query opened, for testing::statementsRun.
void countQuery();

} // namespace korvex::store
