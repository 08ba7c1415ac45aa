// The project health check: reads everything once, writes nothing.

#include "engine/ProjectCheck.h"

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "store/Database.h"
#include "store/Integrity.h"
#include "store/TextCompare.h"

#include <QHash>
#include <exception>
#include <unordered_map>
#include <unordered_set>

namespace korvex::engine {

namespace {

struct KindFields {
    TipoRecurso kind;
    QString label;
    QString description;
    QString second; // unit or category; empty for equipment, known by its description alone
    QString price;
};

const std::array<KindFields, 4>& kindFields() {
    static const std::array<KindFields, 4> fields = {{
        {TipoRecurso::Material, QStringLiteral("Materiales"), QStringLiteral("DescripcionMat"),
         QStringLiteral("UnidadMat"), QStringLiteral("PrecioUniMat")},
        {TipoRecurso::Equipo, QStringLiteral("Maquinaria"), QStringLiteral("DescripcionMaq"), QString(),
         QStringLiteral("CostoMaq")},
        {TipoRecurso::ManoObra, QStringLiteral("Mano de obra"), QStringLiteral("DescripcionMan"),
         QStringLiteral("CategoriaMan"), QStringLiteral("SalarioMan")},
        {TipoRecurso::Transporte, QStringLiteral("Transporte"), QStringLiteral("DescripcionTran"),
         QStringLiteral("UnidadTran"), QStringLiteral("PrecioTran")},
    }};
    return fields;
}

QString amount(double value) {
    return formatNumber(value, QStringLiteral("0.00##"));
}

class Checker {
public:
    explicit Checker(store::Database& db) : db_(db) {}

    void run(const QString& projectFolder, ResultadoVerificacion& out) {
        for (const QString& problem : store::integrityProblems(projectFolder))
            add(kHallazgoArchivo, {}, {}, problem);
        readItems(out);
        checkUnitPrices(projectFolder);
        for (const KindFields& fields : kindFields())
            checkLines(fields, out);
        for (const Item& item : items_)
            if (!withLines_.count(item.key))
                add(kHallazgoRubroSinLineas, item.codigo, item.item,
                    QStringLiteral("El rubro no tiene análisis"));
        out.hallazgos = std::move(findings_);
    }

private:
    struct Item {
        QString codigo;
        QString item;
        detail::ItemKey key;
        double stored = 0;
    };

    void add(const QString& tipo, const QString& codigo, const QString& item, const QString& detalle) {
        findings_.push_back({tipo, codigo, item, detalle});
    }

    void readItems(ResultadoVerificacion& out) {
        auto records = db_.openRecordSet(QStringLiteral("SELECT * FROM Presupuesto"));
        std::unordered_map<detail::ItemKey, int, detail::ItemKeyHash> seen;
        for (detail::rewind(records); !records.eof(); records.moveNext()) {
            Item item{records.text(QStringLiteral("CodigoPres")), records.text(QStringLiteral("ItemPres")),
                      detail::itemKeyOf(records), records.number(QStringLiteral("TotalPres"))};
            if (++seen[item.key] == 2)
                add(kHallazgoRubroDuplicado, item.codigo, item.item,
                    QStringLiteral("Otro rubro tiene el mismo código e ítem"));
            keys_.insert(item.key);
            items_.push_back(std::move(item));
        }
        out.rubros = static_cast<int>(items_.size());
    }

    void checkUnitPrices(const QString& projectFolder) {
        if (!detail::readHeader(db_)) {
            add(kHallazgoSinDatos, {}, {}, kSinDatosProyecto);
            return;
        }
        // The recalculation's own routine, over the items in the same stored order.
        const std::vector<PrecioItem> prices = PreciosUnitarios(projectFolder);
        for (std::size_t i = 0; i < prices.size() && i < items_.size(); ++i) {
            const double computed = prices[i].precio.precioUnitario;
            if (computed != items_[i].stored)
                add(kHallazgoPrecioUnitario, items_[i].codigo, items_[i].item,
                    QStringLiteral("TotalPres %1 y el análisis da %2")
                        .arg(amount(items_[i].stored), amount(computed)));
        }
    }

    void checkLines(const KindFields& fields, ResultadoVerificacion& out) {
        auto lines = db_.openRecordSet(QStringLiteral("SELECT * FROM ") + detail::tableOf(fields.kind));
        // The project price of a resource is the price of its first line in stored order.
        QHash<QString, double> projectPrice;
        for (detail::rewind(lines); !lines.eof(); lines.moveNext()) {
            ++out.lineas;
            const QString codigo = lines.text(QStringLiteral("CodigoPres"));
            const QString item = lines.text(QStringLiteral("ItemPres"));
            const detail::ItemKey key{store::text::foldKey(codigo), store::text::foldKey(item)};
            const QString description = lines.text(fields.description);
            const QString second = fields.second.isEmpty() ? QString() : lines.text(fields.second);
            const QString name =
                fields.label + ": " + (second.isEmpty() ? description : description + " (" + second + ")");
            if (!keys_.count(key))
                add(kHallazgoLineaSinRubro, codigo, item,
                    name + QStringLiteral(" pertenece a un rubro que no existe"));
            else
                withLines_.insert(key);

            const double price = lines.number(fields.price);
            if (lines.isNull(fields.price) || price == 0)
                add(kHallazgoLineaSinPrecio, codigo, item, name + QStringLiteral(" no tiene precio"));
            const QString resource = store::text::resourceKey(description, second);
            const auto first = projectPrice.constFind(resource);
            if (first == projectPrice.constEnd())
                projectPrice.insert(resource, price);
            else if (*first != price)
                add(kHallazgoPreciosDistintos, codigo, item,
                    name + QStringLiteral(" a %1; el precio del proyecto es %2")
                               .arg(amount(price), amount(*first)));
        }
    }

    store::Database& db_;
    std::vector<Item> items_;
    std::unordered_set<detail::ItemKey, detail::ItemKeyHash> keys_;
    std::unordered_set<detail::ItemKey, detail::ItemKeyHash> withLines_;
    std::vector<Hallazgo> findings_;
};

} // namespace

QString Hallazgo::linea() const {
    auto clean = [](QString text) { return text.replace('\t', ' ').replace('\n', ' ').replace('\r', ' '); };
    return clean(tipo) + '\t' + clean(codigo) + '\t' + clean(item) + '\t' + clean(detalle);
}

QString ResultadoVerificacion::resumen() const {
    if (!legible)
        return error;
    if (hallazgos.empty())
        return QStringLiteral("Proyecto sin hallazgos: %1 rubros, %2 líneas").arg(rubros).arg(lineas);
    return QStringLiteral("%1 hallazgos en %2 rubros y %3 líneas")
        .arg(hallazgos.size())
        .arg(rubros)
        .arg(lineas);
}

ResultadoVerificacion VerificarProyecto(const QString& projectFolder) {
    ResultadoVerificacion out;
    try {
        auto db = store::Database::openProject(projectFolder);
        Checker(db).run(projectFolder, out);
    } catch (const store::StoreError& error) {
        out = ResultadoVerificacion{};
        out.legible = false;
        out.error = error.message();
    } catch (const std::exception& error) {
        out = ResultadoVerificacion{};
        out.legible = false;
        out.error = QString::fromLocal8Bit(error.what());
    }
    return out;
}

} // namespace korvex::engine
