// InfoAnalisis: the analyses of every item to print, one record per line, kind by kind, with a
// marker for each kind an item does not use and the hand-tools allowance.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "store/Database.h"

#include <exception>

namespace korvex::engine {

namespace {

// The fields of a line as they go into InfoAnalisis; a field a kind does not fill stays Null.
struct ReportLine {
    QVariant descripcion;
    QVariant unidad;
    QVariant cantidad;
    QVariant precio;
    QVariant rendimiento;
};

using LinesByItem = std::unordered_map<detail::ItemKey, std::vector<ReportLine>, detail::ItemKeyHash>;

ReportLine reportLineOf(TipoRecurso kind, const store::RecordSet& line) {
    switch (kind) {
    case TipoRecurso::Material:
        return {line.value(QStringLiteral("DescripcionMat")),
                line.value(QStringLiteral("UnidadMat")),
                line.value(QStringLiteral("CantidadMat")),
                line.value(QStringLiteral("PrecioUniMat")),
                {}};
    case TipoRecurso::Equipo:
        return {line.value(QStringLiteral("DescripcionMaq")),
                {},
                line.value(QStringLiteral("HorasMaq")),
                line.value(QStringLiteral("CostoMaq")),
                line.value(QStringLiteral("RendimientoMaq"))};
    case TipoRecurso::ManoObra:
        return {line.value(QStringLiteral("DescripcionMan")), line.value(QStringLiteral("CategoriaMan")),
                line.value(QStringLiteral("HorasMan")), line.value(QStringLiteral("SalarioMan")),
                line.value(QStringLiteral("RendimientoMan"))};
    case TipoRecurso::Transporte:
        break;
    }
    return {line.value(QStringLiteral("DescripcionTran")),
            line.value(QStringLiteral("UnidadTran")),
            line.value(QStringLiteral("CantidadTran")),
            line.value(QStringLiteral("PrecioTran")),
            {}};
}

int tipoOf(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return kTipoMaterial;
    case TipoRecurso::Equipo:
        return kTipoEquipo;
    case TipoRecurso::ManoObra:
        return kTipoManoObra;
    case TipoRecurso::Transporte:
        break;
    }
    return kTipoTransporte;
}

LinesByItem linesOfAllItems(store::Database& db, TipoRecurso kind) {
    LinesByItem byItem;
    auto lines = db.openRecordSet("SELECT * FROM " + detail::tableOf(kind));
    detail::rewind(lines);
    detail::ItemRuns runs(byItem);
    for (; !lines.eof(); lines.moveNext())
        if (std::vector<ReportLine>* itemLines = runs.entryOf(lines))
            itemLines->push_back(reportLineOf(kind, lines));
    return byItem;
}

double toDouble(const QVariant& value) {
    return value.isNull() ? 0.0 : value.toDouble();
}

// The allowance record is priced exactly as the unit price prices it, lines rounded as the
// budget rounds them, so the printed allowance is the one inside the printed unit price.
double toolsAllowance(const std::vector<ReportLine>& labourLines) {
    double sum = 0;
    for (const ReportLine& line : labourLines)
        sum += ImporteManoObra(toDouble(line.cantidad), toDouble(line.precio), toDouble(line.rendimiento));
    return HerramientaManual(sum);
}

class InfoWriter {
public:
    explicit InfoWriter(store::Database& db) : db_(db) {}

    void add(const QVariant& codigo, const QVariant& item, int tipo, const ReportLine& line) {
        db_.execute(
            QStringLiteral("INSERT INTO InfoAnalisis (CodigoPres, ItemPres, Tipo, Descripcion, Unidad, "
                           "Cantidad, Precio, Rendimiento) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {codigo, item, tipo, line.descripcion, line.unidad, line.cantidad, line.precio,
             line.rendimiento});
        ++written_;
    }
    void addMarker(const QVariant& codigo, const QVariant& item, int tipo) {
        db_.execute(QStringLiteral("INSERT INTO InfoAnalisis (CodigoPres, ItemPres, Tipo) VALUES (?, ?, ?)"),
                    {codigo, item, tipo});
        ++written_;
    }
    int written() const { return written_; }

private:
    store::Database& db_;
    int written_ = 0;
};

const std::vector<ReportLine>& linesOf(const LinesByItem& byItem, const detail::ItemKey& key) {
    static const std::vector<ReportLine> none;
    const auto found = byItem.find(key);
    return found == byItem.end() ? none : found->second;
}

} // namespace

ResultadoInfoAnalisis LlenarInfoAnalisis(const QString& projectFolder) {
    try {
        auto db = store::Database::openProject(projectFolder);
        const bool tools = DatosIndirectosEnUso(db).herramienta;
        std::array<LinesByItem, 4> lines;
        for (std::size_t i = 0; i < detail::kKinds.size(); ++i)
            lines[i] = linesOfAllItems(db, detail::kKinds[i]);
        auto items = db.openRecordSet("SELECT * FROM Presupuesto WHERE CantidadPres > 0 ORDER BY Indice");

        store::Transaction transaction(db);
        db.execute("DELETE * FROM InfoAnalisis");
        InfoWriter writer(db);
        detail::rewind(items);
        for (; !items.eof(); items.moveNext()) {
            const detail::ItemKey key = detail::itemKeyOf(items);
            const QVariant codigo = items.value(QStringLiteral("CodigoPres"));
            const QVariant item = items.value(QStringLiteral("ItemPres"));
            for (std::size_t i = 0; i < detail::kKinds.size(); ++i) {
                const TipoRecurso kind = detail::kKinds[i];
                const std::vector<ReportLine>& kindLines = linesOf(lines[i], key);
                if (kindLines.empty())
                    writer.addMarker(codigo, item, tipoOf(kind));
                for (const ReportLine& line : kindLines)
                    writer.add(codigo, item, tipoOf(kind), line);
                if (kind == TipoRecurso::ManoObra && tools)
                    writer.add(codigo, item, kTipoHerramienta,
                               {QStringLiteral("Herramienta Manual"), {}, 1, toolsAllowance(kindLines), {}});
            }
        }
        transaction.commit();

        ResultadoInfoAnalisis result;
        result.registros = writer.written();
        return result;
    } catch (const store::StoreError& error) {
        return detail::failure<ResultadoInfoAnalisis>(error.message());
    } catch (const std::exception& error) {
        return detail::failure<ResultadoInfoAnalisis>(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace korvex::engine
