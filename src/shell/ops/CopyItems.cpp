#include "shell/ops/CopyItems.h"

#include "store/ProjectFolders.h"
#include "store/TextCompare.h"
#include "store/ValuePool.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <array>
#include <exception>
#include <numeric>
#include <optional>

namespace korvex::shell {

namespace {

// A table of analysis lines: the fields a copy keeps and the price it sets to 0.
struct LineTable {
    QString table;
    QStringList copied;
    QString price;
};

const std::vector<LineTable>& lineTables() {
    static const std::vector<LineTable> tables = {
        {"Materiales", {"DescripcionMat", "UnidadMat", "CantidadMat"}, "PrecioUniMat"},
        {"Maquinaria", {"DescripcionMaq", "HorasMaq", "RendimientoMaq"}, "CostoMaq"},
        {"ManoObra", {"DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan"}, "SalarioMan"},
        {"Transporte", {"DescripcionTran", "UnidadTran", "CantidadTran"}, "PrecioTran"},
    };
    return tables;
}

const QString kByItem = QStringLiteral(" WHERE CodigoPres = ? and ItemPres = ?");

engine::Resultado refusal(const QString& message) {
    return {false, message, QStringLiteral("Error")};
}

void rewind(store::RecordSet& records) {
    if (records.recordCount() > 0)
        records.moveFirst();
}

// A code and number as the store compares them: letter case ignored (store::text::foldKey).
using PairKey = QPair<QString, QString>;

PairKey pairKey(const QString& codigo, const QString& item) {
    return {store::text::foldKey(codigo), store::text::foldKey(item)};
}

// The pair of the current record; nullopt when its code or number is Null, which no query by
// value finds.
std::optional<PairKey> pairOfRecord(const store::RecordSet& records) {
    const QVariant codigo = records.value("CodigoPres");
    const QVariant item = records.value("ItemPres");
    if (codigo.isNull() || item.isNull())
        return std::nullopt;
    return pairKey(codigo.toString(), item.toString());
}

// The pairs taken in the destination, by an item or by lines that would otherwise end up under a
// copy: every table read once, and each copy added as it is made.
class TakenPairs {
public:
    explicit TakenPairs(store::Database& destination) {
        QStringList tables{QStringLiteral("Presupuesto")};
        for (const LineTable& lines : lineTables())
            tables << lines.table;
        for (const QString& table : tables) {
            store::RepeatedPair sameItem;
            destination.scan("SELECT CodigoPres, ItemPres FROM " + table, {}, [&](const store::Row& row) {
                if (!sameItem(row, 0) && !row.isNull(0) && !row.isNull(1))
                    taken_.insert(pairKey(row.value(0).toString(), row.value(1).toString()));
            });
        }
    }
    bool contains(const QString& codigo, const QString& item) const {
        return taken_.contains(pairKey(codigo, item));
    }
    void add(const QString& codigo, const QString& item) { taken_.insert(pairKey(codigo, item)); }

private:
    QSet<PairKey> taken_;
};

ItemPair freePair(const TakenPairs& taken, const QString& codigo, const QString& item) {
    ItemPair pair{codigo, item};
    QString prefix;
    while (taken.contains(pair.codigo, pair.item)) {
        prefix += kPrefijoCopia;
        pair = {prefix + codigo, prefix + item};
    }
    return pair;
}

// The copied fields of the source's lines of the items to copy, by item, each in stored order:
// one read of each line table.
using SourceLines = std::array<QHash<PairKey, QList<QVariantList>>, 4>;

SourceLines readSourceLines(store::Database& source, const std::vector<SourceItem>& items) {
    QSet<PairKey> wanted;
    for (const SourceItem& origen : items)
        wanted.insert(pairKey(origen.codigo, origen.item));
    SourceLines lines;
    for (std::size_t t = 0; t < lineTables().size(); ++t) {
        const LineTable& table = lineTables()[t];
        auto records = source.openRecordSet("SELECT CodigoPres, ItemPres, " + table.copied.join(", ") +
                                            " FROM " + table.table);
        for (rewind(records); !records.eof(); records.moveNext()) {
            const auto pair = pairOfRecord(records);
            if (!pair || !wanted.contains(*pair))
                continue;
            QVariantList values;
            for (const QString& field : table.copied)
                values << records.value(field);
            lines[t][*pair].append(values);
        }
    }
    return lines;
}

// The statements of a copy, one per table, each run once per row written.
struct CopyStatements {
    QString item = QStringLiteral(
        "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres) VALUES (?, ?, ?, ?)");
    std::array<QString, 4> lines;

    CopyStatements() {
        for (std::size_t t = 0; t < lineTables().size(); ++t) {
            const LineTable& table = lineTables()[t];
            const QStringList fields =
                QStringList{"CodigoPres", "ItemPres"} + table.copied + QStringList{table.price};
            QStringList marks;
            for (int i = 0; i < fields.size(); ++i)
                marks << QStringLiteral("?");
            lines[t] = "INSERT INTO " + table.table + " (" + fields.join(", ") + ") VALUES (" +
                       marks.join(", ") + ")";
        }
    }
};

CopiedItem copyItem(store::Database& destination, const CopyStatements& statements, TakenPairs& taken,
                    const SourceLines& lines, const SourceItem& origen) {
    CopiedItem copy;
    copy.origen = origen;
    const ItemPair pair = freePair(taken, origen.codigo, origen.item);
    copy.codigo = pair.codigo;
    copy.item = pair.item;
    destination.execute(statements.item, {pair.codigo, pair.item, origen.descripcion, origen.unidad});
    taken.add(pair.codigo, pair.item);
    const PairKey from = pairKey(origen.codigo, origen.item);
    for (std::size_t t = 0; t < lineTables().size(); ++t)
        for (const QVariantList& values : lines[t].value(from)) {
            destination.execute(statements.lines[t],
                                QVariantList{pair.codigo, pair.item} + values + QVariantList{0.0});
            ++copy.lineas;
        }
    return copy;
}

QString failedItemMessage(const SourceItem& origen, const QString& reason) {
    return QStringLiteral("No se pudo copiar el rubro %1 %2: %3. No se copió ningún rubro.")
        .arg(origen.codigo, origen.item, reason);
}

} // namespace

engine::Resultado checkSourceProject(const QString& sourceFolder, const QString& destinationFolder,
                                     const QString& rootFolder) {
    if (store::samePath(sourceFolder, rootFolder))
        return refusal(engine::kCarpetaSinProyecto);
    if (store::samePath(sourceFolder, destinationFolder))
        return refusal(engine::kOrigenIgualDestino);
    if (!store::isProjectFolder(sourceFolder))
        return refusal(engine::kCarpetaSinProyecto);
    return {};
}

bool canBeCopied(const SourceItem& item) {
    return !item.codigo.trimmed().isEmpty();
}

std::vector<SourceItem> loadSourceItems(store::Database& source) {
    std::vector<SourceItem> items;
    auto records = source.openRecordSet("SELECT * FROM Presupuesto");
    items.reserve(records.recordCount());
    for (rewind(records); !records.eof(); records.moveNext())
        items.push_back({records.text("CodigoPres"), records.text("ItemPres"),
                         records.text("DescripcionPres"), records.text("UnidadPres")});
    return items;
}

store::LoadedRows readSourceList(store::Database& source) {
    return store::LoadedRows::read(source, "Presupuesto",
                                   {"CodigoPres", "ItemPres", "DescripcionPres", "UnidadPres"});
}

std::vector<SourceItem> findSourceItems(store::Database& source, const QString& codigo, const QString& item) {
    std::vector<SourceItem> items;
    auto records = source.openRecordSet("SELECT * FROM Presupuesto" + kByItem, {codigo, item});
    for (rewind(records); !records.eof(); records.moveNext())
        items.push_back({records.text("CodigoPres"), records.text("ItemPres"),
                         records.text("DescripcionPres"), records.text("UnidadPres")});
    return items;
}

ItemPair freeItemPair(store::Database& destination, const QString& codigo, const QString& item) {
    return freePair(TakenPairs(destination), codigo, item);
}

int ResultadoCopia::lineas() const {
    return std::accumulate(copiados.begin(), copiados.end(), 0,
                           [](int sum, const CopiedItem& copy) { return sum + copy.lineas; });
}

ResultadoCopia copyItems(store::Database& destination, store::Database& source,
                         const std::vector<SourceItem>& items, const store::LoadedRows& listed) {
    ResultadoCopia result;
    if (store::samePath(destination.path(), source.path())) {
        static_cast<engine::Resultado&>(result) = refusal(engine::kOrigenIgualDestino);
        return result;
    }
    for (const SourceItem& origen : items)
        if (!canBeCopied(origen)) {
            static_cast<engine::Resultado&>(result) =
                refusal(QStringLiteral(
                            "El rubro «%1» del proyecto de origen no tiene CÓDIGO. No se copió ningún rubro.")
                            .arg(origen.descripcion));
            return result;
        }
    const SourceItem* current = nullptr;
    try {
        store::Transaction transaction(destination);
        if (!listed.table().isEmpty())
            listed.checkByKey(
                source, 2,
                [](const QVariantList& v) {
                    return (v.value(0).toString() + " " + v.value(1).toString()).trimmed();
                },
                QStringLiteral("Los rubros del proyecto de origen "));
        TakenPairs taken(destination);
        const SourceLines lines = readSourceLines(source, items);
        const CopyStatements statements;
        for (const SourceItem& origen : items) {
            current = &origen;
            result.copiados.push_back(copyItem(destination, statements, taken, lines, origen));
        }
        current = nullptr;
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        result.message = error.message();
    } catch (const std::exception& error) {
        result.message = QString::fromLocal8Bit(error.what());
    }
    result.ok = false;
    result.title = QStringLiteral("Error");
    result.copiados.clear();
    if (current)
        result.message = failedItemMessage(*current, result.message);
    return result;
}

QString copySummary(const ResultadoCopia& result) {
    return QStringLiteral("Rubros copiados: %1, con %2 línea(s)").arg(result.rubros()).arg(result.lineas());
}

QString importSummary(const engine::ResultadoImportacion& result) {
    return QStringLiteral("Precios importados: %1 línea(s) tomaron el precio del proyecto de origen")
        .arg(result.lineas());
}

} // namespace korvex::shell
