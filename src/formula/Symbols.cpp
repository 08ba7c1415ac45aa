#include "formula/Symbols.h"

#include "engine/Numbers.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <utility>

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

const QStringList kStoredFields{"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"};

QString storedKey(const QVariantList& values) {
    return key(values.value(1).toString(), values.value(2).toString());
}

// The records of each description and unit, in the order read: a material at two prices has a
// row, and a record, for each.
QHash<QString, QList<qint64>> recordsByKey(const store::LoadedRows& stored) {
    QHash<QString, QList<qint64>> records;
    for (const qint64 row : stored.rows())
        records[storedKey(stored.values(row))].append(row);
    return records;
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
    return loadSymbols(db, totals).rows;
}

SymbolTable loadSymbols(store::Database& db, const ProjectTotals& totals) {
    SymbolTable table;
    table.stored = store::LoadedRows::read(db, "SimbolosMat", kStoredFields);
    QHash<QString, QString> symbols;
    const QHash<QString, QList<qint64>> records = recordsByKey(table.stored);
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) // the first record wins
        symbols.insert(it.key(), table.stored.values(it->first()).value(0).toString());
    const double d = totals.costoDirecto;
    std::vector<SymbolRow>& rows = table.rows;

    auto materials = db.openRecordSet(kMaterialTotals);
    for (; !materials.eof(); materials.moveNext()) {
        SymbolRow row;
        row.descripcion = materials.text("DescripcionMat");
        row.unidad = materials.text("UnidadMat");
        row.simbolo = symbols.value(key(row.descripcion, row.unidad));
        row.porcentaje = share(materials.number("TotalMat") * materials.number("PrecioUniMat"), d, 100);
        rows.push_back(row);
    }

    rows.push_back({SymbolRowKind::Separator, {}, separatorText(), {}, 0, {}});

    const double equipment = totals.equipo + totals.transporte;
    for (const Component& c : kComponents) {
        SymbolRow row;
        row.kind = SymbolRowKind::Component;
        row.descripcion = c.name;
        row.simbolo = symbols.value(key(row.descripcion, QString()));
        row.porcentaje = share(c.labour ? totals.manoObra : equipment, d, c.factor);
        rows.push_back(row);
    }
    for (SymbolRow& row : rows)
        row.simboloCargado = row.simbolo;
    return table;
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
    return QString("La formula admite como maximo %1 simbolos; quedan fuera de ella: %2. "
                   "Reduzca los simbolos en la Asignacion de Simbolos.")
        .arg(kMaxSimbolos)
        .arg(beyondLimit.join(", "));
}

int saveSymbolRows(store::Database& db, SymbolTable& table) {
    store::Transaction transaction(db);
    table.stored.check(
        db, {},
        [](const QVariantList& values) {
            const QString unit = values.value(2).toString();
            return unit.isEmpty() ? values.value(1).toString()
                                  : QStringLiteral("%1 (%2)").arg(values.value(1).toString(), unit);
        },
        QStringLiteral("Los símbolos de "));

    // The k-th row of a description and unit goes to the k-th record of it.
    QHash<QString, QList<qint64>> records = recordsByKey(table.stored);
    QHash<qint64, const SymbolRow*> byRecord;
    QList<const SymbolRow*> added;
    for (const SymbolRow& row : table.rows) {
        if (row.kind == SymbolRowKind::Separator)
            continue;
        QList<qint64>& free = records[key(row.descripcion, row.unidad)];
        if (free.isEmpty())
            added.append(&row);
        else
            byRecord.insert(free.takeFirst(), &row);
    }

    int written = 0;
    QList<qint64> obsolete;
    auto rs = db.openRecordSet("SELECT * FROM SimbolosMat");
    for (; !rs.eof(); rs.moveNext()) {
        const SymbolRow* row = byRecord.value(rs.rowId());
        if (!row) {
            obsolete.append(rs.rowId());
            continue;
        }
        // The percentage is recomputed on every load: it is brought up to date whether or not the
        // symbol changed.
        const bool symbolChanged = row->simbolo != row->simboloCargado;
        const double percent = engine::Redondear(row->porcentaje, 3);
        const bool percentChanged = rs.isNull("PorcentajeSimb") || rs.number("PorcentajeSimb") != percent;
        if (!symbolChanged && !percentChanged)
            continue;
        rs.edit();
        if (symbolChanged)
            rs.setValue("Simbolo", normalizedSymbol(row->simbolo));
        if (percentChanged)
            rs.setValue("PorcentajeSimb", percent);
        rs.update();
        ++written;
    }
    for (const SymbolRow* row : added) {
        rs.addNew();
        rs.setValue("Simbolo", normalizedSymbol(row->simbolo));
        rs.setValue("DescripcionMat", row->descripcion);
        rs.setValue("UnidadMat", row->unidad);
        rs.setValue("PorcentajeSimb", engine::Redondear(row->porcentaje, 3));
        rs.update();
        ++written;
    }
    for (const qint64 record : obsolete)
        db.execute("DELETE * FROM SimbolosMat WHERE rowid = ?", {record});

    store::LoadedRows stored = store::LoadedRows::read(db, "SimbolosMat", kStoredFields);
    transaction.commit();
    table.stored = std::move(stored);
    for (SymbolRow& row : table.rows)
        row.simboloCargado = row.simbolo;
    return written;
}

} // namespace korvex::formula
