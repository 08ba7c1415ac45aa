#include "shell/ops/CopyItems.h"

#include "store/ProjectFolders.h"

#include <QStringList>
#include <exception>
#include <numeric>

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

// Taken by an item, or by lines that would otherwise end up under the copy.
bool pairTaken(store::Database& destination, const QString& codigo, const QString& item) {
    const QVariantList pair = {codigo, item};
    if (destination.openRecordSet("SELECT CodigoPres FROM Presupuesto" + kByItem, pair).recordCount() > 0)
        return true;
    for (const LineTable& lines : lineTables())
        if (destination.openRecordSet("SELECT CodigoPres FROM " + lines.table + kByItem, pair).recordCount() >
            0)
            return true;
    return false;
}

void addBudgetItem(store::Database& destination, const SourceItem& origen, const ItemPair& pair) {
    auto items = destination.openRecordSet("SELECT * FROM Presupuesto" + kByItem, {pair.codigo, pair.item});
    items.addNew();
    items.setValue("CodigoPres", pair.codigo);
    items.setValue("ItemPres", pair.item);
    items.setValue("DescripcionPres", origen.descripcion);
    items.setValue("UnidadPres", origen.unidad);
    items.update();
}

int copyLines(store::Database& destination, store::Database& source, const LineTable& table,
              const SourceItem& origen, const ItemPair& pair) {
    auto from = source.openRecordSet("SELECT * FROM " + table.table + kByItem, {origen.codigo, origen.item});
    auto into = destination.openRecordSet("SELECT * FROM " + table.table + kByItem, {pair.codigo, pair.item});
    int copied = 0;
    for (rewind(from); !from.eof(); from.moveNext(), ++copied) {
        into.addNew();
        into.setValue("CodigoPres", pair.codigo);
        into.setValue("ItemPres", pair.item);
        for (const QString& field : table.copied)
            into.setValue(field, from.value(field));
        into.setValue(table.price, 0.0);
        into.update();
    }
    return copied;
}

CopiedItem copyItem(store::Database& destination, store::Database& source, const SourceItem& origen) {
    CopiedItem copy;
    copy.origen = origen;
    const ItemPair pair = freeItemPair(destination, origen.codigo, origen.item);
    copy.codigo = pair.codigo;
    copy.item = pair.item;
    addBudgetItem(destination, origen, pair);
    for (const LineTable& table : lineTables())
        copy.lineas += copyLines(destination, source, table, origen, pair);
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
    ItemPair pair{codigo, item};
    QString prefix;
    while (pairTaken(destination, pair.codigo, pair.item)) {
        prefix += kPrefijoCopia;
        pair = {prefix + codigo, prefix + item};
    }
    return pair;
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
        for (const SourceItem& origen : items) {
            current = &origen;
            result.copiados.push_back(copyItem(destination, source, origen));
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
