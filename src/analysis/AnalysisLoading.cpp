#include "analysis/AnalysisLoading.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/LoadedRows.h"

namespace korvex::analysis {

ProjectHeader loadProjectHeader(store::Database& db) {
    ProjectHeader header;
    store::RecordSet rs = db.openRecordSet(QStringLiteral("SELECT * FROM Proyecto"));
    if (rs.eof())
        return header;
    header.exists = true;
    header.name = rs.text(QStringLiteral("Proyecto"));
    header.costosIndirectos = rs.number(QStringLiteral("CostosIndirectos"));
    header.otrosIndirectos = rs.number(QStringLiteral("OtrosIndirectos"));
    header.herramienta = rs.boolean(QStringLiteral("Herramienta"));
    return header;
}

std::optional<BudgetItem> loadBudgetItem(store::Database& db, const QString& code, const QString& item) {
    store::RecordSet rs = db.openRecordSet(
        QStringLiteral("SELECT * FROM Presupuesto WHERE CodigoPres = ? and ItemPres = ?"), {code, item});
    if (rs.eof())
        return std::nullopt;
    return BudgetItem{rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"),
                      rs.text("UnidadPres")};
}

namespace {

QString formatStored(const store::RecordSet& rs, const QString& field, const QString& pattern) {
    return engine::formatNumber(rs.number(field), pattern);
}

void loadKind(store::Database& db, Kind kind, const QString& code, const QString& item,
              AnalysisSheet& sheet) {
    const KindSpec& s = kindInfo(kind);
    store::RecordSet rs = db.openRecordSet(
        "SELECT * FROM " + s.table + " WHERE CodigoPres = ? and ItemPres = ? ORDER BY " + s.descField,
        {code, item});
    for (; !rs.eof(); rs.moveNext())
        appendLoadedLine(sheet, kind, loadedLineCells(rs, kind), rs.rowId());
    sheet.setStoredLines(kind, readStoredLines(db, kind, code, item));
}

} // namespace

QStringList loadedLineCells(const store::RecordSet& rs, Kind kind) {
    const KindSpec& s = kindInfo(kind);
    QStringList cells(s.columns, QString());
    cells[0] = rs.text(s.descField);
    if (s.hasSecond())
        cells[s.secondCol] = rs.text(s.secondField);
    cells[s.quantityCol] = formatStored(rs, s.quantityField, s.quantityFormat);
    if (s.hasYield())
        cells[s.yieldCol] = formatStored(rs, s.yieldField, engine::kFormatoTresDecimales);
    cells[s.priceCol] = formatStored(rs, s.priceField, engine::kFormatoMoneda);
    return cells;
}

void appendLoadedLine(AnalysisSheet& sheet, Kind kind, QStringList cells, qint64 storedRow) {
    sheet.loaded(kind).appendRow(cells, storedRow);
    cells[kindInfo(kind).priceCol].clear(); // the editor shows no price until it prices the line
    sheet.lines(kind).appendRow(cells, storedRow);
}

QStringList storedLineFields(Kind kind) {
    const KindSpec& s = kindInfo(kind);
    QStringList fields{s.descField};
    if (s.hasSecond())
        fields << s.secondField;
    fields << s.quantityField;
    if (s.hasYield())
        fields << s.yieldField;
    fields << s.priceField;
    return fields;
}

store::LoadedRows readStoredLines(store::Database& db, Kind kind, const QString& code, const QString& item) {
    return store::LoadedRows::read(db, kindInfo(kind).table, storedLineFields(kind),
                                   QStringLiteral("CodigoPres = ? and ItemPres = ?"), {code, item});
}

void loadAnalysisLines(store::Database& db, const QString& code, const QString& item, AnalysisSheet& sheet) {
    sheet.clear();
    for (Kind kind : kAllKinds)
        loadKind(db, kind, code, item, sheet);
    sheet.setStoredItem(store::LoadedRows::read(
        db, QStringLiteral("Presupuesto"), {QStringLiteral("CodigoPres"), QStringLiteral("ItemPres")},
        QStringLiteral("CodigoPres = ? and ItemPres = ?"), {code, item}));
    sheet.setModified(false);
}

QString missingItemMessage(const QString& code, const QString& item) {
    return QStringLiteral("El rubro %1 / %2 no existe en el proyecto").arg(code, item);
}

} // namespace korvex::analysis
