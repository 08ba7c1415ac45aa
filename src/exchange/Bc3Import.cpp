// Writes a planned budget into a project in one transaction and reconciles its prices.

#include "exchange/Bc3Import.h"

#include "engine/Numbers.h"
#include "exchange/Bc3Budget.h"
#include "exchange/Bc3Reader.h"
#include "store/Database.h"
#include "store/WriteGuard.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace korvex::exchange {

namespace {

constexpr std::size_t kDiferenciasMostradas = 10;

ResultadoImportacionBC3 refusal(const QString& message) {
    ResultadoImportacionBC3 result;
    result.ok = false;
    result.message = message;
    result.title = QStringLiteral("Error");
    return result;
}

bool hasItems(store::Database& db) {
    return db.openRecordSet(QStringLiteral("SELECT CodigoPres FROM Presupuesto")).recordCount() > 0;
}

void emptyBudget(store::Database& db) {
    static const char* const tables[] = {"Presupuesto", "Materiales", "Maquinaria",   "ManoObra",
                                         "Transporte",  "Grupos",     "DetalleGrupo", "CronoValores",
                                         "Crono",       "Crono2",     "Crono3",       "InfoAnalisis"};
    for (const char* table : tables)
        db.execute(QStringLiteral("DELETE * FROM %1").arg(QLatin1String(table)));
}

// The file's prices carry neither tools allowance nor IVA; a file of this program restores its own.
void writeHeader(store::Database& db, const Bc3Budget& budget) {
    store::RecordSet header = db.openRecordSet(QStringLiteral("SELECT * FROM Proyecto"));
    if (header.recordCount() == 0) {
        header.addNew();
    } else {
        header.moveFirst();
        header.edit();
    }
    if (header.text(QStringLiteral("Proyecto")).trimmed().isEmpty())
        header.setValue(QStringLiteral("Proyecto"), budget.projectName);
    header.setValue(QStringLiteral("CostosIndirectos"), budget.costosIndirectos);
    header.setValue(QStringLiteral("OtrosIndirectos"), budget.otrosIndirectos);
    header.setValue(QStringLiteral("Herramienta"), budget.herramienta);
    header.setValue(QStringLiteral("IVA"), false);
    header.update();
}

void writeLine(store::Database& db, const PlannedItem& item, const PlannedLine& line) {
    switch (line.kind) {
    case LineKind::Material:
        db.execute(QStringLiteral("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, "
                                  "CantidadMat, PrecioUniMat) VALUES (?, ?, ?, ?, ?, ?)"),
                   {item.code, item.item, line.description, line.unit, line.quantity, line.price});
        break;
    case LineKind::Transport:
        db.execute(
            QStringLiteral("INSERT INTO Transporte (CodigoPres, ItemPres, DescripcionTran, UnidadTran, "
                           "CantidadTran, PrecioTran) VALUES (?, ?, ?, ?, ?, ?)"),
            {item.code, item.item, line.description, line.unit, line.quantity, line.price});
        break;
    case LineKind::Equipment:
        db.execute(QStringLiteral("INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, HorasMaq, "
                                  "RendimientoMaq, CostoMaq) VALUES (?, ?, ?, ?, ?, ?)"),
                   {item.code, item.item, line.description, line.workers, line.quantity, line.price});
        break;
    case LineKind::Labour:
        db.execute(
            QStringLiteral("INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, "
                           "HorasMan, RendimientoMan, SalarioMan) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {item.code, item.item, line.description, line.category, line.workers, line.quantity, line.price});
        break;
    }
}

void writeBudget(store::Database& db, const Bc3Budget& budget) {
    for (const PlannedGroup& group : budget.groups)
        db.execute(
            QStringLiteral(
                "INSERT INTO Grupos (Grupo, DescripcionGru, TotalGrupo, OrdenGru) VALUES (?, ?, ?, ?)"),
            {group.name, group.description, 0.0, group.order});
    for (const PlannedItem& item : budget.items) {
        db.execute(
            QStringLiteral("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, "
                           "CantidadPres, GruposPres, TotalPres) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {item.code, item.item, item.description, item.unit, item.quantity, item.group, 0.0});
        for (const PlannedLine& line : item.lines)
            writeLine(db, item, line);
    }
}

// Stored unit prices against the prices the file states, items in the order they were written.
// A file that states prices with fewer than two decimals (whole pesetas) matches to half its unit.
void reconcile(store::Database& db, const Bc3Budget& budget, int priceDecimals,
               ResultadoImportacionBC3& result) {
    const double tolerance =
        priceDecimals >= 0 && priceDecimals < 2 ? 0.5 * std::pow(10.0, -priceDecimals) : 0.005;
    store::RecordSet stored = db.openRecordSet(QStringLiteral("SELECT * FROM Presupuesto ORDER BY Indice"));
    if (stored.recordCount() > 0)
        stored.moveFirst();
    std::vector<DiferenciaPrecio> differences;
    for (const PlannedItem& item : budget.items) {
        if (stored.eof())
            break;
        const double imported = stored.number(QStringLiteral("TotalPres"));
        stored.moveNext();
        if (!item.hasStatedPrice)
            continue;
        ++result.comparados;
        const double stated = engine::Redondear(item.statedPrice, 2);
        if (std::abs(imported - stated) < tolerance) {
            ++result.iguales;
            continue;
        }
        differences.push_back({item.code, item.item, item.statedPrice, imported});
    }
    std::stable_sort(differences.begin(), differences.end(), [](const auto& a, const auto& b) {
        return std::abs(a.diferencia()) > std::abs(b.diferencia());
    });
    if (differences.size() > kDiferenciasMostradas)
        differences.resize(kDiferenciasMostradas);
    result.diferencias = std::move(differences);
}

QString percent(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace

QStringList ResultadoImportacionBC3::informe() const {
    QStringList lines;
    lines << QStringLiteral("Rubros creados: %1").arg(items)
          << QStringLiteral("Líneas creadas: %1").arg(lineas)
          << QStringLiteral("Grupos creados: %1").arg(grupos);
    if (precioBase)
        lines << QStringLiteral(
            "Banco de precios sin capítulos: cada precio descompuesto es un rubro de cantidad 1");
    if (!indirecto.isEmpty())
        lines << QStringLiteral(
                     "Costos indirectos del proyecto: %1 % (concepto %2, el último de todos los rubros)")
                     .arg(percent(costosIndirectos), indirecto);
    lines << QStringLiteral("Conciliación: %1 de %2 rubros con el precio unitario que indica el archivo")
                 .arg(iguales)
                 .arg(comparados);
    if (!diferencias.empty()) {
        lines << QStringLiteral(
            "Mayores diferencias (código, ítem, precio del archivo, precio importado, diferencia):");
        for (const DiferenciaPrecio& d : diferencias)
            lines << QStringLiteral("  %1\t%2\t%3\t%4\t%5")
                         .arg(d.codigo, d.item, engine::FormatoSimple(d.precioArchivo),
                              engine::FormatoSimple(d.precioImportado),
                              engine::FormatoSimple(d.diferencia()));
    }
    if (!noAplicados.isEmpty())
        lines << QStringLiteral("Porcentajes del registro ~K no aplicados: %1")
                     .arg(noAplicados.join(QStringLiteral(", ")));
    for (const QString& aviso : avisos)
        lines << QStringLiteral("Aviso: %1").arg(aviso);
    return lines;
}

bool ProyectoTieneRubros(const QString& projectFolder) {
    auto db = store::Database::openProject(projectFolder);
    return hasItems(db);
}

ResultadoImportacionBC3 ImportarBC3(const QString& projectFolder, const QByteArray& bytes, bool replace) {
    const Bc3ReadResult read = readBc3(bytes);
    if (!read.ok)
        return refusal(read.message);
    const Bc3Budget budget = planBc3Budget(read.document);
    if (!budget.ok)
        return refusal(budget.message);
    ResultadoImportacionBC3 result;
    try {
        auto db = store::Database::openProject(projectFolder);
        store::Transaction transaction(db);
        if (hasItems(db)) {
            if (!replace)
                return refusal(QString::fromUtf8(kProyectoConRubros));
            // Replacing a budget is the one write that throws away everything typed into it: the
            // file is copied first even when a recent backup exists.
            store::backUpBeforeNextWrite(projectFolder, std::chrono::seconds(0));
            emptyBudget(db);
        }
        writeHeader(db, budget);
        writeBudget(db, budget);
        const engine::ResultadoRecalculo recalculated = engine::RecalcularPresupuesto(projectFolder);
        if (!recalculated.ok)
            return refusal(recalculated.message);
        reconcile(db, budget, read.document.coefficients.priceDecimals, result);
        transaction.commit();
    } catch (const store::StoreError& error) {
        return refusal(error.message());
    }
    result.items = static_cast<int>(budget.items.size());
    result.lineas = budget.lineCount();
    result.grupos = static_cast<int>(budget.groups.size());
    result.precioBase = budget.priceBase;
    result.indirecto = budget.indirectConcept;
    result.costosIndirectos = budget.costosIndirectos;
    for (const Bc3Coefficients::Percent& p : read.document.coefficients.percentages)
        result.noAplicados << QStringLiteral("%1 %2 %").arg(p.name, percent(p.value));
    result.avisos = read.document.warnings + budget.warnings;
    return result;
}

ResultadoImportacionBC3 ImportarArchivoBC3(const QString& projectFolder, const QString& path, bool replace) {
    QFile file(path);
    if (QFileInfo(path).size() > kBc3MaxBytes)
        return refusal(
            QStringLiteral("El archivo BC3 es demasiado grande (más de %1 MB)").arg(kBc3MaxBytes >> 20));
    if (!file.open(QIODevice::ReadOnly))
        return refusal(QStringLiteral("No se puede leer el archivo %1: %2").arg(path, file.errorString()));
    return ImportarBC3(projectFolder, file.readAll(), replace);
}

} // namespace korvex::exchange
