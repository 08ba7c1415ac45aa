#include "formula/Formula.h"

#include "engine/Numbers.h"
#include "formula/Symbols.h"

#include <algorithm>
#include <utility>

namespace korvex::formula {

std::vector<SymbolTotal> symbolTotals(store::Database& db) {
    std::vector<SymbolTotal> totals;
    auto records = db.openRecordSet("SELECT Simbolo, PorcentajeSimb FROM SimbolosMat");
    for (; !records.eof(); records.moveNext()) {
        const QString symbol = normalizedSymbol(records.text("Simbolo"));
        if (symbol.isEmpty())
            continue;
        auto it = std::find_if(totals.begin(), totals.end(),
                               [&](const SymbolTotal& t) { return sameSymbol(t.simbolo, symbol); });
        if (it == totals.end())
            totals.push_back({symbol, records.number("PorcentajeSimb")});
        else
            it->porcentaje += records.number("PorcentajeSimb");
    }
    std::stable_sort(totals.begin(), totals.end(), [](const SymbolTotal& a, const SymbolTotal& b) {
        return QString::compare(a.simbolo, b.simbolo, Qt::CaseInsensitive) < 0;
    });
    return totals;
}

namespace {

std::vector<FormulaRow> storedDescriptions(store::Database& db) {
    std::vector<FormulaRow> rows;
    auto records = db.openRecordSet("SELECT Simbolo, DescripcionSim FROM SimbolosDesc");
    for (; !records.eof(); records.moveNext())
        rows.push_back({records.text("Simbolo"), records.text("DescripcionSim"), 0, 0, {}});
    return rows;
}

QString descriptionOf(const QString& symbol, const std::vector<FormulaRow>& earlier) {
    for (const FormulaRow& row : earlier)
        if (sameSymbol(row.simbolo, symbol))
            return row.descripcion;
    return {};
}

} // namespace

void recomputeTotals(FormulaSheet& sheet) {
    sheet.totalCosto = 0;
    sheet.totalCoeficiente = 0;
    for (const FormulaRow& row : sheet.rows) {
        sheet.totalCosto += row.costo;
        sheet.totalCoeficiente += row.coeficiente;
    }
}

FormulaSheet computeFormula(const std::vector<SymbolTotal>& totals, double costoDirecto,
                            const std::vector<FormulaRow>& earlierDescriptions) {
    FormulaSheet sheet;
    for (const SymbolTotal& total : totals) {
        if (static_cast<int>(sheet.rows.size()) == kMaxSimbolos) {
            sheet.excedentes.append(total.simbolo);
            continue;
        }
        FormulaRow row;
        row.simbolo = total.simbolo;
        row.descripcion = descriptionOf(total.simbolo, earlierDescriptions);
        row.costo = toCents(engine::Redondear(total.porcentaje * costoDirecto / 100, 2));
        row.coeficiente = toThousandths(engine::Redondear(total.porcentaje / 100, 3));
        sheet.rows.push_back(row);
    }

    std::vector<Thousandths> coefficients;
    for (const FormulaRow& row : sheet.rows)
        coefficients.push_back(row.coeficiente);
    sheet.correction = correctLastDigit(coefficients);
    if (sheet.correction.applied())
        sheet.rows[sheet.correction.row].coeficiente = coefficients[sheet.correction.row];
    recomputeTotals(sheet);
    return sheet;
}

FormulaSheet computeFormula(store::Database& db, double costoDirecto) {
    return computeFormula(symbolTotals(db), costoDirecto, storedDescriptions(db));
}

namespace {

store::LoadedRows storedSheet(store::Database& db) {
    return store::LoadedRows::read(db, "SimbolosDesc",
                                   {"Simbolo", "DescripcionSim", "TotalSimb", "PorcentajeTot"});
}

void markStored(FormulaSheet& sheet, store::LoadedRows stored) {
    for (FormulaRow& row : sheet.rows)
        row.descripcionCargada = row.descripcion;
    sheet.stored = std::move(stored);
}

} // namespace

FormulaSheet refreshStoredFormula(store::Database& db, double costoDirecto) {
    store::Transaction transaction(db);
    FormulaSheet sheet = computeFormula(db, costoDirecto);
    saveFormula(db, sheet.rows);
    store::LoadedRows stored = storedSheet(db);
    transaction.commit();
    markStored(sheet, std::move(stored));
    return sheet;
}

QString costText(Cents value) {
    return engine::FormatoMoneda(fromCents(value));
}
QString coefficientText(Thousandths value) {
    return engine::formatNumber(fromThousandths(value), "#0.000");
}
QString coefficientTotalText(Thousandths value) {
    return engine::formatNumber(fromThousandths(value), engine::kFormatoCoeficiente);
}

int saveFormula(store::Database& db, const std::vector<FormulaRow>& rows) {
    store::Transaction transaction(db);
    db.execute("DELETE * FROM SimbolosDesc");
    auto table = db.openRecordSet("SELECT * FROM SimbolosDesc");
    for (const FormulaRow& row : rows) {
        table.addNew();
        table.setValue("Simbolo", row.simbolo);
        table.setValue("DescripcionSim", row.descripcion);
        table.setValue("TotalSimb", fromCents(row.costo));
        table.setValue("PorcentajeTot", fromThousandths(row.coeficiente));
        table.update();
    }
    transaction.commit();
    return static_cast<int>(rows.size());
}

int saveFormulaDescriptions(store::Database& db, FormulaSheet& sheet) {
    db.beforeUserDataWrite();
    store::Transaction transaction(db);
    sheet.stored.checkByKey(db, 1, {}, QStringLiteral("Los símbolos de la fórmula "));
    int written = 0;
    for (const FormulaRow& row : sheet.rows) {
        if (row.descripcion == row.descripcionCargada)
            continue;
        db.execute("UPDATE SimbolosDesc SET DescripcionSim = ? WHERE Simbolo = ?",
                   {row.descripcion, row.simbolo});
        ++written;
    }
    store::LoadedRows stored = storedSheet(db);
    transaction.commit();
    markStored(sheet, std::move(stored));
    return written;
}

} // namespace korvex::formula
