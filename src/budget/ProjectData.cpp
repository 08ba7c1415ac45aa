#include "budget/ProjectData.h"

#include "engine/Numbers.h"

#include <QDate>

namespace korvex::budget {

namespace {

const char* const kConsulta = "SELECT * FROM Proyecto";

// A stored text that a box shows; Null and empty leave the box as it was.
void mostrarTexto(const store::RecordSet& rs, const char* campo, QString& caja) {
    const QString texto = rs.text(campo);
    if (!texto.isEmpty())
        caja = texto;
}

// A stored percentage; Null and zero leave the box as it was.
void mostrarPorcentaje(const store::RecordSet& rs, const char* campo, QString& caja) {
    if (rs.isNull(campo))
        return;
    const double valor = rs.number(campo);
    if (valor != 0)
        caja = porcentajeSimple(valor);
}

double porcentajeTecleado(const QString& texto) {
    return engine::ConvertirNumeroOCero(texto);
}

} // namespace

// Day, month and four-digit year, as dates are written in Spanish, whatever the system's locale
// (an English system's short form would give month first and a two-digit year).
QString fechaDeHoy() {
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
}

QString porcentajeSimple(double value) {
    return engine::formatNumber(value, "0.##########");
}

DatosProyecto leerDatosProyecto(store::Database& db, const DatosProyecto& inicial) {
    DatosProyecto datos = inicial;
    store::RecordSet rs = db.openRecordSet(kConsulta);
    if (rs.recordCount() == 0)
        return datos;
    rs.moveFirst();
    mostrarTexto(rs, "Institucion", datos.institucion);
    mostrarTexto(rs, "Proyecto", datos.proyecto);
    mostrarTexto(rs, "ubicacion", datos.ubicacion);
    mostrarTexto(rs, "oferente", datos.oferente);
    mostrarPorcentaje(rs, "CostosIndirectos", datos.costosIndirectos);
    mostrarPorcentaje(rs, "OtrosIndirectos", datos.otrosIndirectos);
    mostrarTexto(rs, "Elaborado", datos.elaborado);
    mostrarTexto(rs, "fecha", datos.fecha);
    mostrarTexto(rs, "Ciudad", datos.ciudad);
    datos.iva = rs.boolean("IVA");
    datos.herramienta = rs.boolean("Herramienta");
    return datos;
}

void grabarDatosProyecto(store::Database& db, const DatosProyecto& datos) {
    store::Transaction transaccion(db);
    store::RecordSet rs = db.openRecordSet(kConsulta);
    if (rs.recordCount() == 0) {
        rs.addNew();
    } else {
        rs.moveFirst();
        rs.edit();
    }
    rs.setValue("Institucion", datos.institucion);
    rs.setValue("Proyecto", datos.proyecto);
    rs.setValue("ubicacion", datos.ubicacion);
    rs.setValue("oferente", datos.oferente);
    rs.setValue("Elaborado", datos.elaborado);
    rs.setValue("CostosIndirectos", porcentajeTecleado(datos.costosIndirectos));
    rs.setValue("OtrosIndirectos", porcentajeTecleado(datos.otrosIndirectos));
    if (!datos.fecha.isEmpty())
        rs.setValue("fecha", datos.fecha);
    if (!datos.ciudad.isEmpty())
        rs.setValue("Ciudad", datos.ciudad);
    rs.setValue("IVA", datos.iva);
    rs.setValue("Herramienta", datos.herramienta);
    rs.update();
    transaccion.commit();
}

} // namespace korvex::budget
