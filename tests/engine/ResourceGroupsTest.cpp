// The grouping in one scan must give what the reports' grouped queries give, to the last bit of
// every sum: a list and its report may not differ by a cent.

#include "engine/ResourceGroups.h"

#include "EngineFixture.h"
#include "store/TextCompare.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

using namespace korvex::engine;
using korvex::testing::EngineTest;

namespace {

// The first grouped query of a report template.
QString groupedQueryOf(const QJsonValue& value) {
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        if (object.value("sql").toString().contains("GROUP BY"))
            return object.value("sql").toString();
        for (const QJsonValue& child : object)
            if (const QString sql = groupedQueryOf(child); !sql.isEmpty())
                return sql;
    } else if (value.isArray()) {
        for (const QJsonValue& child : value.toArray())
            if (const QString sql = groupedQueryOf(child); !sql.isEmpty())
                return sql;
    }
    return {};
}

QString reportQuery(const char* report) {
    QFile file(qEnvironmentVariable("KORVEX_RESOURCES") + "/Reportes/" + report);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << report;
    return groupedQueryOf(QJsonDocument::fromJson(file.readAll()).object());
}

QVariant pick(QRandomGenerator& random, const QVariantList& choices) {
    return choices[int(random.bounded(quint32(choices.size())))];
}

const QVariant kNull;

} // namespace

class ResourceGroups : public EngineTest {
protected:
    void line(const char* table, const QVariant& codigo, const QVariant& item, const QVariant& description,
              const QVariant& second, const QVariant& a, const QVariant& b, const QVariant& price) {
        const QString t = table;
        if (t == "Materiales")
            db.execute(
                "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                "PrecioUniMat) VALUES (?, ?, ?, ?, ?, ?)",
                {codigo, item, description, second, a, price});
        else if (t == "Maquinaria")
            db.execute(
                "INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, RendimientoMaq, HorasMaq, "
                "CostoMaq) VALUES (?, ?, ?, ?, ?, ?)",
                {codigo, item, description, a, b, price});
        else if (t == "ManoObra")
            db.execute(
                "INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, RendimientoMan, "
                "HorasMan, SalarioMan) VALUES (?, ?, ?, ?, ?, ?, ?)",
                {codigo, item, description, second, a, b, price});
        else
            db.execute(
                "INSERT INTO Transporte (CodigoPres, ItemPres, DescripcionTran, UnidadTran, CantidadTran, "
                "PrecioTran) VALUES (?, ?, ?, ?, ?, ?)",
                {codigo, item, description, second, a, price});
    }

    // Items listed in one order and their lines in another, keys repeated in other letter cases,
    // spellings, Null fields, orphan lines, and quantities whose sum depends on the order in which
    // they are added (1e16 + 1 is 1e16 in a double).
    void awkwardProject() {
        korvex::store::Transaction transaction(db);
        QRandomGenerator random(20261208);
        const QVariantList descriptions{"Cemento", "CEMENTO",    "cemento",    "Árido", "ÁRIDO",
                                        "Arido",   "Peón Ñandú", "PEÓN ñANDÚ", "",      kNull};
        const QVariantList seconds{"kg", "KG", "m³", "M³", "", kNull};
        const QVariantList amounts{1e16, -1e16, 1.0, 0.1, 0.7, 3.3, 0.333, 2.5, kNull};
        const QVariantList prices{1.5, 2.25, 10.0, 0.0, -0.0, 0.1, kNull};
        for (int i = 20; i > 0; --i)
            item(QStringLiteral("C%1").arg(i), "1", i % 3 == 0 ? 1.0 : 0.25 * i);
        item("c7", "1", 0.5); // the same item again in other letters: its lines join twice
        db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, CantidadPres) VALUES ('C9', '1', NULL)");
        const QVariantList codes{"C1", "c2", "C3", "C7", "C9", "C12", "C20", "GONE", kNull};
        for (const char* table : {"Materiales", "Maquinaria", "ManoObra", "Transporte"})
            for (int n = 0; n < 400; ++n)
                line(table, pick(random, codes), n % 17 == 0 ? kNull : QVariant("1"),
                     pick(random, descriptions), pick(random, seconds), pick(random, amounts),
                     pick(random, amounts), pick(random, prices));
        transaction.commit();
    }

    void expectAsReport(TipoRecurso kind, const char* report, const LineasAgrupadas& grouped) {
        SCOPED_TRACE(report);
        const bool second = camposDe(kind).tieneSegundo();
        auto rs = db.openRecordSet(reportQuery(report));
        ASSERT_EQ(std::size_t(rs.recordCount()), grouped.totales.size());
        for (const TotalRecurso& mine : grouped.totales) {
            int col = 0;
            EXPECT_TRUE(korvex::store::text::equalFolded(rs.valueAt(col++).toString(), mine.descripcion));
            if (second) {
                EXPECT_TRUE(korvex::store::text::equalFolded(rs.valueAt(col++).toString(), mine.unidad));
            }
            EXPECT_EQ(rs.valueAt(col++).toDouble(), mine.cantidad) << mine.descripcion.toStdString();
            EXPECT_EQ(rs.valueAt(col).toDouble(), mine.precio);
            rs.moveNext();
        }
    }
};

TEST_F(ResourceGroups, SumsAndOrderAreTheReportQueries) {
    awkwardProject();
    // The order of the additions matters here: the equipment joins item by item, the others line
    // by line, and a grouping in the other order gives other sums.
    for (const char* table : {"Materiales", "Maquinaria"}) {
        line(table, "C20", "1", "Orden", "u", 1e16, 1.0, 1.0);
        line(table, "C1", "1", "Orden", "u", 1.0, 1.0, 1.0);
        line(table, "C20", "1", "Orden", "u", -1e16, 1.0, 1.0);
    }

    AgrupacionRecursos grouping(db);
    const struct {
        TipoRecurso kind;
        const char* report;
    } kinds[] = {{TipoRecurso::Material, "Materiales.rpt"},
                 {TipoRecurso::Equipo, "Maquinaria.rpt"},
                 {TipoRecurso::ManoObra, "ManoObra.rpt"},
                 {TipoRecurso::Transporte, "Transporte.rpt"}};
    for (const auto& [kind, report] : kinds) {
        const LineasAgrupadas grouped = grouping.agrupar(kind);
        expectAsReport(kind, report, grouped);
        double sum = 0;
        for (const TotalRecurso& row : grouped.totales)
            sum += row.importe;
        EXPECT_EQ(grouping.total(kind), sum);

        // The lines kept are the lines a save reads.
        const korvex::store::LoadedRows read =
            korvex::store::LoadedRows::read(db, camposDe(kind).tabla, camposDe(kind).cargados());
        ASSERT_EQ(read.rows(), grouped.lineas.rows());
        for (const qint64 row : read.rows())
            EXPECT_EQ(read.values(row), grouped.lineas.values(row));
    }
    const auto orden = [](const std::vector<TotalRecurso>& rows) {
        for (const TotalRecurso& row : rows)
            if (row.descripcion == "Orden")
                return row.cantidad;
        return -1.0;
    };
    EXPECT_EQ(orden(grouping.agrupar(TipoRecurso::Material).totales), 0.0); // 5e16 + 0.25 - 5e16
    EXPECT_EQ(orden(grouping.agrupar(TipoRecurso::Equipo).totales), 0.25);  // 5e16 - 5e16 + 0.25

    // The formula's totals, taken in one pass, are each its own function's figure.
    const TotalesProyecto together = TotalesDelProyecto(folder);
    EXPECT_EQ(together.costoDirecto, TotalCostoDirecto(folder));
    EXPECT_EQ(together.equipo, TotalEquipoProyecto(folder));
    EXPECT_EQ(together.manoObra, TotalManoObraProyecto(folder));
    EXPECT_EQ(together.transporte, TotalTransporteProyecto(folder));
}

TEST_F(ResourceGroups, DistinctResourcesAreTheGroupedQuerysInFirstSpelling) {
    awkwardProject();
    const korvex::store::LoadedRows lines =
        korvex::store::LoadedRows::read(db, "Materiales", camposDe(TipoRecurso::Material).cargados());
    const std::vector<Escritura> mine = RecursosDistintos(lines, true);
    auto rs = db.openRecordSet("SELECT DISTINCTROW DescripcionMat, UnidadMat FROM Materiales GROUP BY "
                               "DescripcionMat, UnidadMat");
    ASSERT_EQ(std::size_t(rs.recordCount()), mine.size());
    const EscriturasRecursos spellings =
        EscriturasRecursos::leer(db, "Materiales", "DescripcionMat", "UnidadMat");
    for (const Escritura& resource : mine) {
        const Escritura expected = spellings.de(rs.text("DescripcionMat"), rs.text("UnidadMat"));
        EXPECT_EQ(resource.descripcion, expected.descripcion);
        EXPECT_EQ(resource.segundo, expected.segundo);
        rs.moveNext();
    }
}
