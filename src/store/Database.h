#pragma once
// Access to a project database: a password-protected SQLCipher file that answers the query dialect
// the whole system speaks (see Dialect.h). Handles are cheap: the first open of a file in the
// process derives the key; later handles share that keyed connection, so they see each other's
// writes at once and a transaction opened through one handle covers work done through another.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3_stmt;

namespace korvex::store {

inline constexpr const char* kDatabaseFileName = "Presupuesto.mdb";
inline constexpr const char* kConnectString = ";pwd=5816240397";

// Every failure of the store: missing file, wrong password, a file that is not a project
// database, a statement outside the dialect, a constraint or I/O error. what() is a Spanish
// description fit for a message box; statement() names the offending SQL where there is one.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message, const QString& statement = {});
    QString message() const { return message_; }
    QString statement() const { return statement_; }

private:
    QString message_;
    QString statement_;
};

class Connection; // shared keyed connection, one per file and process (internal)
class RecordSet;

// The current row of a query read by Database::scan: its values are taken from the engine when
// asked, and only while the row is current.
class Row {
public:
    int columnCount() const { return columns_; }
    // As a record set gives it: an invalid QVariant for Null.
    QVariant value(int column) const;
    bool isNull(int column) const;
    double number(int column) const; // as RecordSet::number
    // The stored bytes (UTF-8) of a text value, valid while the row is current; none for a value
    // of another type. Reading them copies nothing.
    std::optional<QByteArrayView> text(int column) const;
    // Whether the value is the one given, as a value read before compares: Null only with Null,
    // numbers by value, a text without copying it.
    bool equals(int column, const QVariant& value) const;
    // The engine's number of the row, on a query of one table.
    qint64 rowId() const;

private:
    friend class Database;
    Row(sqlite3_stmt* statement, int columns, const std::vector<bool>& booleans, bool hasRowId)
        : statement_(statement), columns_(columns), booleans_(booleans), hasRowId_(hasRowId) {}
    void checkColumn(int column) const;

    sqlite3_stmt* statement_;
    int columns_;
    const std::vector<bool>& booleans_;
    bool hasRowId_;
};

class Database {
public:
    // Opens the file at path with a connect string such as ";pwd=5816240397". Throws StoreError.
    static Database open(const QString& path, const QString& connect = kConnectString);
    // Opens <folder>/Presupuesto.mdb with the project password.
    static Database openProject(const QString& projectFolder);

    Database();
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    bool isOpen() const;
    QString path() const;

    // A query of the dialect; '?' placeholders take params in order. Throws StoreError.
    RecordSet openRecordSet(const QString& sql, const QVariantList& params = {});
    // The records of a query one by one, without keeping them: for a pass over a whole table.
    // visit must not use the database. Throws StoreError.
    void scan(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& visit);
    // A statement that returns no records; returns the number of records it touched.
    int execute(const QString& sql, const QVariantList& params = {});
    // Before writing what the user typed into a table counted as derived (the formula's symbol
    // descriptions sit beside its recomputed figures): refused in a read-only project, and the
    // backup due before a user-data write is taken. Throws StoreError.
    void beforeUserDataWrite();

    void close();

private:
    friend class Transaction;
    std::shared_ptr<Connection> connection_;
};

// All or nothing: work done through any handle on the same file between construction and
// commit() is undone if commit() is not reached (destructor or rollback()). Nests.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();
    void rollback();

private:
    std::shared_ptr<Connection> connection_;
    QString savepoint_;
    bool done_ = false;
};

// The records of a query, read when it is opened (a snapshot). Field names are case-insensitive.
// On "SELECT * FROM table [WHERE ...]" or any query on one table, addNew / edit, setValue and
// update write through to the table; the written record then shows its stored values.
class RecordSet {
public:
    RecordSet();
    RecordSet(RecordSet&&) noexcept;
    RecordSet& operator=(RecordSet&&) noexcept;
    ~RecordSet();

    int recordCount() const;
    bool eof() const; // past the last record (also true when empty)
    void moveFirst();
    void moveNext();

    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // The value of the current record: an invalid/null QVariant for Null. Throws StoreError for
    // an unknown field or when there is no current record.
    QVariant value(const QString& field) const;
    QVariant valueAt(int column) const; // by position, 0 first, in the order of fieldNames()
    bool isNull(const QString& field) const;
    QString text(const QString& field) const;  // "" for Null
    double number(const QString& field) const; // 0 for Null
    bool boolean(const QString& field) const;  // Null and 0 are false
    // The engine's number of the current record, on a query of one table. Throws StoreError.
    qint64 rowId() const;

    void addNew();
    void edit();
    // A QString given to a Double field is read as a displayed number ("1,234.50" -> 1234.5).
    void setValue(const QString& field, const QVariant& value);
    void update();
    void close();

private:
    friend class Database;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads a number as typed or displayed: the rightmost "," or "." is the decimal point, every other
// "," or "." is a thousands separator; blanks around and a leading sign are allowed. Returns
// nullopt for an empty text, anything that is not a number, and non-finite results.
std::optional<double> readNumberText(const QString& text);

namespace testing {
// Makes the (n+1)-th write from now (execute, or update of a record set) fail with a StoreError,
// so that tests can check that a save leaves the stored data as they were. n < 0 switches it off.
void failAfterWrites(int n);
} // namespace testing

} // namespace korvex::store
