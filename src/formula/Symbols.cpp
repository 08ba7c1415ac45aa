#include "formula/Symbols.h"

#include "engine/Numbers.h"
#include "engine/ResourceSpellings.h"
#include "store/TextCompare.h"

#include <QHash>
#include <algorithm>

namespace korvex::formula {

namespace {

// The outer columns carry their own names so that every engine reports them under those names.
const char* const kMaterialTotals =
    "SELECT Materiales.DescripcionMat AS DescripcionMat, Materiales.UnidadMat AS UnidadMat, "
    "Sum(Materiales.CantidadMat * Presupuesto.CantidadPres) AS TotalMat, Materiales.PreciouniMat AS "
    "PrecioUniMat"
    " FROM [SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Materiales.CantidadMat, "
    "Materiales.PrecioUniMat, Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
    "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = Presupuesto.CodigoPres)]."
    " AS [%$##@_Alias]"
    " GROUP BY Materiales.DescripcionMat, Materiales.UnidadMat, Materiales.PrecioUniMat";

// Factor of each fixed component: a share of equipment and transport, or of labour.
struct Component {
    const char* name;
    double factor;
    bool labour;
};

const Component kComponents[] = {
    {"Equipo Propiamente Dicho (52%)", 52, false},
    {"Repuestos (26%)", 26, false},
    {"Combustible (08%)", 8, false},
    {"Varios de Equipo (03%)", 3, false},
    {"Mecanico de Mantenimiento (11%)", 11, false},
    {"Mano de Obra", 100, true},
};

QString key(const QString& description, const QString& unit) {
    return store::text::resourceKey(description, unit);
}

// The symbol stored last time for each description and unit; the first record wins.
QHash<QString, QString> storedSymbols(store::Database& db) {
    QHash<QString, QString> symbols;
    auto records = db.openRecordSet("SELECT Simbolo, DescripcionMat, UnidadMat FROM SimbolosMat");
    for (; !records.eof(); records.moveNext()) {
        const QString k = key(records.text("DescripcionMat"), records.text("UnidadMat"));
        if (!symbols.contains(k))
            symbols.insert(k, records.text("Simbolo"));
    }
    return symbols;
}

double share(double amount, double directCost, double factor) {
    return directCost > 0 ? engine::Redondear(amount / directCost * factor, 3) : 0.0;
}

} // namespace

QString separatorText() {
    return ">>>>><<<<<<<<<<<--------->>>>>>>>>>>><<<<<<<";
}

QStringList componentNames() {
    QStringList names;
    for (const Component& c : kComponents)
        names.append(c.name);
    return names;
}

std::vector<SymbolRow> loadSymbolRows(store::Database& db, const ProjectTotals& totals) {
    const QHash<QString, QString> symbols = storedSymbols(db);
    const double d = totals.costoDirecto;
    std::vector<SymbolRow> rows;

    const engine::EscriturasRecursos spellings =
        engine::EscriturasRecursos::leer(db, "Materiales", "DescripcionMat", "UnidadMat");
    auto materials = db.openRecordSet(kMaterialTotals);
    for (; !materials.eof(); materials.moveNext()) {
        SymbolRow row;
        const engine::Escritura spelling =
            spellings.de(materials.text("DescripcionMat"), materials.text("UnidadMat"));
        row.descripcion = spelling.descripcion;
        row.unidad = spelling.segundo;
        row.simbolo = symbols.value(key(row.descripcion, row.unidad));
        row.porcentaje = share(materials.number("TotalMat") * materials.number("PrecioUniMat"), d, 100);
        rows.push_back(row);
    }

    rows.push_back({SymbolRowKind::Separator, {}, separatorText(), {}, 0});

    const double equipment = totals.equipo + totals.transporte;
    for (const Component& c : kComponents) {
        SymbolRow row;
        row.kind = SymbolRowKind::Component;
        row.descripcion = c.name;
        row.simbolo = symbols.value(key(row.descripcion, QString()));
        row.porcentaje = share(c.labour ? totals.manoObra : equipment, d, c.factor);
        rows.push_back(row);
    }
    return rows;
}

QString percentageText(const SymbolRow& row) {
    if (row.kind == SymbolRowKind::Separator)
        return {};
    return engine::FormatoTresDecimales(row.porcentaje);
}

QString normalizedSymbol(const QString& typed) {
    return typed.trimmed();
}

bool sameSymbol(const QString& a, const QString& b) {
    return store::text::equalFolded(a.trimmed(), b.trimmed());
}

QStringList distinctSymbols(const std::vector<SymbolRow>& rows) {
    QStringList symbols;
    for (const SymbolRow& row : rows) {
        const QString s = normalizedSymbol(row.simbolo);
        if (s.isEmpty())
            continue;
        const bool known = std::any_of(symbols.begin(), symbols.end(),
                                       [&](const QString& other) { return sameSymbol(s, other); });
        if (!known)
            symbols.append(s);
    }
    return symbols;
}

QStringList symbolsBeyondLimit(QStringList symbols) {
    std::stable_sort(symbols.begin(), symbols.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return symbols.mid(kMaxSimbolos);
}

QString tooManySymbolsMessage(const QStringList& beyondLimit) {
    if (beyondLimit.isEmpty())
        return {};
    return QString("La fórmula admite como máximo %1 símbolos; quedan fuera de ella: %2. "
                   "Reduzca los símbolos en la Asignación de Símbolos.")
        .arg(kMaxSimbolos)
        .arg(beyondLimit.join(", "));
}

int saveSymbolRows(store::Database& db, const std::vector<SymbolRow>& rows) {
    store::Transaction transaction(db);
    db.execute("DELETE * FROM SimbolosMat");
    auto table = db.openRecordSet("SELECT * FROM SimbolosMat");
    int written = 0;
    for (const SymbolRow& row : rows) {
        if (row.kind == SymbolRowKind::Separator)
            continue;
        table.addNew();
        table.setValue("Simbolo", normalizedSymbol(row.simbolo));
        table.setValue("DescripcionMat", row.descripcion);
        table.setValue("UnidadMat", row.unidad);
        table.setValue("PorcentajeSimb", engine::Redondear(row.porcentaje, 3));
        table.update();
        ++written;
    }
    transaction.commit();
    return written;
}

} // namespace korvex::formula
