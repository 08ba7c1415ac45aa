#pragma once
// A report template: a JSON file of the root folder's "Reportes" folder, read into this model.
// docs/templates.md describes the format; the reader checks all of it (keys, types, expressions)
// when the file is loaded, so a broken template is refused with a message naming the file, the
// place and the problem before anything is printed.

#include "reports/Expression.h"

#include <QMarginsF>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace korvex::reports {

enum class Align { Left, Center, Right };

struct SortKey {
    Expression expression;
    bool descending = false;
};

// A named query of the template: SQL in the store's dialect, or rows derived from another query.
struct JoinSpec {
    QString data;
    QString alias;
    std::vector<std::pair<QString, Expression>> on; // joined field = expression of the row
};

struct DataSpec {
    QString name;
    QString sql;
    QString from;                    // derived: the query it reads
    std::vector<JoinSpec> joins;     // derived: records of other queries joined to each row
    Expression where;                // derived: keep rows where this is true
    std::vector<Expression> groupBy; // derived: one row per distinct combination
    std::vector<Assignment> fields;  // derived: computed columns (aggregates over the group)
    std::vector<SortKey> sort;
    QStringList columns; // literal: fixed rows written in the template
    std::vector<std::vector<Value>> rows;
    bool isLiteral() const { return !columns.isEmpty(); }
    QString location;
};

// The rows a block prints: a query, narrowed to the records of the enclosing record (link),
// joined with other queries, filtered and sorted.
struct RowSource {
    QString data;
    std::vector<std::pair<QString, Expression>> link; // field = expression of the enclosing record
    std::vector<JoinSpec> joins;
    Expression where;
    std::vector<SortKey> sort;
    bool isSet() const { return !data.isEmpty(); }
};

struct ColumnSpec {
    QString id;
    Expression caption;
    Expression value;
    Expression bar;    // bar columns: the filled fraction of the cell, 0 to 1
    QString format;    // number pattern, such as "###,##0.00"
    double width = 10; // relative to the other columns
    Align align = Align::Left;
    bool alignSet = false;
    bool sum = false;       // summed in group footers and in the totals row
    bool sumInTotal = true; // false: summed in group footers only ("sum": "groups")
    bool bold = false;
    bool wrap = true;
    std::vector<Expression> totals; // this column's cell of each row of the table's "totals"
};

struct TotalRowSpec {
    Expression label;
    std::vector<std::pair<QString, Expression>> values; // column id -> aggregate expression
    bool bold = true;
};

struct GroupSpec {
    Expression by;
    Expression header;
    Expression footer;         // the subtotal label; empty: no subtotal row
    bool pageBreak = false;    // each group starts a page
    bool repeatHeader = false; // the header again on a page the group continues on
    bool isSet() const { return !by.isEmpty(); }
};

struct FieldItem {
    Expression label;
    Expression value;
    int span = 1;
};

struct SummaryRow {
    Expression label;
    Expression value;
    QString format;
    QString name; // binds the value for later blocks
    bool bold = false;
    bool lineAbove = false;
};

struct Block {
    enum class Type { Table, Records, Fields, Summary, Text, Spacer, Signatures, Let, PageBreak };
    Type type = Type::Text;
    QString location;
    RowSource source;
    Expression visible; // printed only when true
    // Pagination: the block starts on the page of what precedes it (a totals row, "SON: ...",
    // signatures never open a page alone); the block's bands go on one page when they fit
    // (for records: each record's).
    bool keepWithPrevious = false;
    bool keepTogether = false;

    // Table
    Expression title;
    std::vector<ColumnSpec> columns;
    GroupSpec group;
    std::vector<TotalRowSpec> totals;
    Expression totalLabel;
    std::vector<Assignment> exports;
    Expression emptyText;
    bool hideEmpty = false;
    bool grandTotal = true; // the TOTAL row of the summed columns
    bool showHeader = true;
    bool zebra = false;

    // Records
    std::vector<Block> body;
    QString pageBreak = QStringLiteral("none"); // "each" | "none"
    bool repeatHeader = false; // the record's first block again on a page the record continues on
    Expression continuation;   // repeated on a page the record continues on
    double spacing = 3;        // mm between records

    // Fields, summary, signatures
    std::vector<FieldItem> items;
    int fieldColumns = 2;
    std::vector<SummaryRow> rows;
    double labelWidth = 0;  // mm; 0: automatic
    double valueWidth = 32; // mm

    // Text, spacer
    Expression text;
    Align align = Align::Left;
    bool bold = false;
    bool italic = false;
    bool boxed = false;
    double fontSize = 0; // points; 0: the report's size
    double height = 0;   // spacer, mm

    // Let
    std::vector<Assignment> assignments;
};

struct Footer {
    Expression left;
    Expression center;
    Expression right;
};

struct ReportTemplate {
    QString fileName; // as named to the user, "Reportes/Presupuesto.rpt"
    Expression title;
    Expression subtitle;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    bool landscape = false;
    QMarginsF margins{14, 12, 12, 12}; // mm: left, top, right, bottom
    QStringList fontFamilies;
    double fontSize = 8;
    bool projectHeader = true;
    std::vector<DataSpec> data;
    std::vector<Assignment> formulas;
    std::vector<Block> body;
    Footer footer;

    const DataSpec* findData(const QString& name) const;
    bool hasFormula(const QString& name) const;
};

// Reads a template from JSON text; fileName is how messages name it. Throws TemplateError.
ReportTemplate parseTemplate(const QByteArray& json, const QString& fileName);
// Reads the file; a missing or unreadable file is a TemplateError naming it.
ReportTemplate loadTemplate(const QString& path, const QString& fileName);

} // namespace korvex::reports
