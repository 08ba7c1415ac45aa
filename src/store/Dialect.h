#pragma once
// The query dialect of project databases, translated to SQLite. The dialect is the SQL the rest
// of the system writes: names in any letter case, "[inner select]. AS [alias]" derived tables
// whose columns the outer query names with the inner tables' names, DISTINCTROW, "DELETE * FROM",
// like with "*" and "?" wildcards, True/False, "&" for joining texts, text literals between single
// quotes (a quote inside written doubled) and "?" placeholders.
//
// Every literal becomes a bound value, and every value knows the field it is compared with or
// written to, so that "1,234.50" given to a Double field is stored as 1234.5 and text is compared
// without regard to letter case (see TextCompare.h).

#include "store/Schema.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace korvex::store::dialect {

enum class StatementKind { Select, Insert, Update, Delete };

// One "?" of the translated SQL.
struct ParamSlot {
    int userIndex = -1; // the caller's value of that index, or -1 for a literal of the statement
    QVariant literal;
    FieldType target = FieldType::Unknown; // the type of the field the value meets
    QString field;                         // that field, for messages
    bool writes = false;                   // stored into the field (INSERT, UPDATE), not compared
};

// A place in the SQL that takes " COLLATE KNOCASE" when the comparison needs it: always for
// comparisons between fields and for ordering, and for "=" / "<>" against values only when a value
// holds letters beyond ASCII (otherwise the field's own NOCASE, which the indexes use, is exact).
struct CollationSlot {
    bool always = false;
    std::vector<int> params; // indexes into Translation::params
};

inline constexpr const char* kRowIdColumn = "korvex_rowid";
// SQL functions every connection provides for values a statement computes and stores:
// korvex_store_value(value, FieldType, field) converts as convertValue does, or fails with its
// message; korvex_divide(a, b, '/' or '%') fails on a zero divisor instead of giving Null.
inline constexpr const char* kStoreValueFunction = "korvex_store_value";
inline constexpr const char* kDivideFunction = "korvex_divide";
// The mark that makes an error raised by those functions reach the user as it is.
inline constexpr const char* kOwnErrorMark = "korvex: ";

struct Translation {
    StatementKind kind = StatementKind::Select;
    QStringList pieces; // SQL text around the collation slots: pieces.size() == collations.size() + 1
    std::vector<CollationSlot> collations;
    std::vector<ParamSlot> params;
    int userParamCount = 0;
    QString table;         // the one table the statement reads or writes, if there is one
    bool editable = false; // a one-table query: its last column is kRowIdColumn

    // The SQL for the given (converted) values of params.
    QString sql(const std::vector<QVariant>& values) const;
};

// Throws StoreError naming the statement when it is not of the dialect.
Translation translate(const QString& statement);

// A value as stored in a field of the given type: displayed numbers read into numbers, Booleans
// as -1 / 0, numbers into text. Throws StoreError for a value the field cannot hold.
QVariant convertValue(const QVariant& value, FieldType type, const QString& field);

} // namespace korvex::store::dialect
