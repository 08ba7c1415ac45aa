// The unit price of one budget item: line amounts, subtotals, tools allowance, direct cost,
// indirect costs.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <cmath>

namespace korvex::engine {

double ImporteMaterial(double cantidad, double precioUnitario) {
    return Redondear(cantidad * precioUnitario, 2);
}

double ImporteEquipo(double horas, double costo, double rendimiento) {
    return Redondear((horas * costo) * rendimiento, 2);
}

double ImporteManoObra(double horas, double salario, double rendimiento) {
    return Redondear((horas * salario) * rendimiento, 2);
}

double ImporteTransporte(double precio, double cantidad) {
    return Redondear(precio * cantidad, 2);
}

// The labour subtotal is a sum of two-decimal amounts, so its exact value is a whole number of
// cents; 5 % of it is cents / 20, and a tie is decided on that exact quotient rather than on the
// double nearest L x 0.05, which lands on either side of the half depending on L.
double HerramientaManual(double subtotalManoObra) {
    const double scaled = subtotalManoObra * 100;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.0e15)
        return RedondearPar(subtotalManoObra * 0.05, 2);
    const long long cents = std::llround(scaled);
    const long long magnitude = cents < 0 ? -cents : cents;
    long long allowance = magnitude / 20;
    const long long remainder = magnitude % 20;
    if (remainder > 10 || (remainder == 10 && allowance % 2 != 0))
        ++allowance;
    return double(cents < 0 ? -allowance : allowance) / 100;
}

double CalcularCostoDirecto(const Subtotales& s) {
    return Redondear(s.materiales + s.equipo + s.manoObra + s.transporte, 2);
}

PrecioUnitario CalcularPrecioUnitario(const Subtotales& s, const DatosIndirectos& datos) {
    PrecioUnitario p;
    p.subtotales = s;
    p.herramienta = datos.herramienta ? HerramientaManual(s.manoObra) : 0.0;
    p.costoDirecto = Redondear(s.materiales + s.equipo + s.manoObra + s.transporte + p.herramienta, 2);
    p.indirectos = Redondear(datos.costosIndirectos * p.costoDirecto / 100, 3);
    p.otrosIndirectos = Redondear(datos.otrosIndirectos * p.costoDirecto / 100, 3);
    p.precioUnitario = Redondear(p.costoDirecto + p.indirectos + p.otrosIndirectos, 2);
    return p;
}

std::optional<DatosIndirectos> LeerDatosIndirectos(const QString& projectFolder) {
    auto db = store::Database::openProject(projectFolder);
    return detail::readHeader(db);
}

DatosIndirectos DatosIndirectosEnUso(store::Database& db) {
    return detail::readHeader(db).value_or(DatosIndirectos{});
}

double CostoDirecto(const QString& projectFolder, const QString& codigoPres, const QString& itemPres) {
    auto db = store::Database::openProject(projectFolder);
    return CalcularCostoDirecto(detail::subtotalsOfItem(db, codigoPres, itemPres));
}

DesgloseItem PrecioUnitarioItem(const QString& projectFolder, const QString& codigoPres,
                                const QString& itemPres) {
    auto db = store::Database::openProject(projectFolder);
    const auto header = detail::readHeader(db);
    DesgloseItem out;
    out.conDatosProyecto = header.has_value();
    out.precio = CalcularPrecioUnitario(detail::subtotalsOfItem(db, codigoPres, itemPres),
                                        header.value_or(DatosIndirectos{}));
    return out;
}

namespace detail {

ItemKey itemKeyOf(const store::RecordSet& record) {
    return {store::text::foldKey(record.text(QStringLiteral("CodigoPres"))),
            store::text::foldKey(record.text(QStringLiteral("ItemPres")))};
}

QString tableOf(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return QStringLiteral("Materiales");
    case TipoRecurso::Equipo:
        return QStringLiteral("Maquinaria");
    case TipoRecurso::ManoObra:
        return QStringLiteral("ManoObra");
    case TipoRecurso::Transporte:
        return QStringLiteral("Transporte");
    }
    return {};
}

double lineAmount(TipoRecurso kind, const store::RecordSet& line) {
    switch (kind) {
    case TipoRecurso::Material:
        return ImporteMaterial(line.number(QStringLiteral("CantidadMat")),
                               line.number(QStringLiteral("PrecioUniMat")));
    case TipoRecurso::Equipo:
        return ImporteEquipo(line.number(QStringLiteral("HorasMaq")), line.number(QStringLiteral("CostoMaq")),
                             line.number(QStringLiteral("RendimientoMaq")));
    case TipoRecurso::ManoObra:
        return ImporteManoObra(line.number(QStringLiteral("HorasMan")),
                               line.number(QStringLiteral("SalarioMan")),
                               line.number(QStringLiteral("RendimientoMan")));
    case TipoRecurso::Transporte:
        return ImporteTransporte(line.number(QStringLiteral("PrecioTran")),
                                 line.number(QStringLiteral("CantidadTran")));
    }
    return 0;
}

QVariant textParam(const QString& text) {
    return QVariant(text.isNull() ? QStringLiteral("") : text);
}

namespace {

double& subtotalOf(Subtotales& s, TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return s.materiales;
    case TipoRecurso::Equipo:
        return s.equipo;
    case TipoRecurso::ManoObra:
        return s.manoObra;
    case TipoRecurso::Transporte:
        break;
    }
    return s.transporte;
}

} // namespace

// The product of a line's figures, as written in its line amount; the database multiplies the
// same doubles in the same order, so only the rounding is left to do per line.
QString productExpression(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return QStringLiteral("CantidadMat * PrecioUniMat");
    case TipoRecurso::Equipo:
        return QStringLiteral("(HorasMaq * CostoMaq) * RendimientoMaq");
    case TipoRecurso::ManoObra:
        return QStringLiteral("(HorasMan * SalarioMan) * RendimientoMan");
    case TipoRecurso::Transporte:
        break;
    }
    return QStringLiteral("PrecioTran * CantidadTran");
}

void SubtotalRuns::add(const store::Row& line, int column, int productColumn) {
    if (Subtotales* s = runs_.entryOf(line, column))
        subtotalOf(*s, kind_) += Redondear(line.number(productColumn), 2);
}

void addSubtotals(store::Database& db, TipoRecurso kind, SubtotalMap& subtotals) {
    SubtotalRuns runs(subtotals, kind);
    db.scan("SELECT CodigoPres, ItemPres, " + productExpression(kind) + " AS Producto FROM " + tableOf(kind),
            {}, [&runs](const store::Row& line) { runs.add(line, 0, 2); });
}

SubtotalMap subtotalsOfAllItems(store::Database& db) {
    SubtotalMap subtotals;
    for (const TipoRecurso kind : kKinds)
        addSubtotals(db, kind, subtotals);
    return subtotals;
}

Subtotales subtotalsOfItem(store::Database& db, const QString& codigo, const QString& item) {
    Subtotales s;
    for (const TipoRecurso kind : kKinds) {
        auto lines =
            db.openRecordSet("SELECT * FROM " + tableOf(kind) + " WHERE CodigoPres = ? and ItemPres = ?",
                             {textParam(codigo), textParam(item)});
        rewind(lines);
        for (; !lines.eof(); lines.moveNext())
            subtotalOf(s, kind) += lineAmount(kind, lines);
    }
    return s;
}

std::optional<DatosIndirectos> readHeader(store::Database& db) {
    auto header = db.openRecordSet("SELECT * FROM Proyecto");
    if (header.recordCount() == 0)
        return std::nullopt;
    header.moveFirst();
    DatosIndirectos datos;
    datos.costosIndirectos = header.number(QStringLiteral("CostosIndirectos"));
    datos.otrosIndirectos = header.number(QStringLiteral("OtrosIndirectos"));
    datos.herramienta = header.boolean(QStringLiteral("Herramienta"));
    return datos;
}

} // namespace detail

} // namespace korvex::engine
