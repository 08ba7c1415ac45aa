#include "budget/ProjectData.h"

#include "engine/Numbers.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <utility>

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

QString fechaDeHoy() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
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

namespace {

store::LoadedRows leerRegistro(store::Database& db) {
    return store::LoadedRows::read(db, "Proyecto",
                                   {"Institucion", "Proyecto", "ubicacion", "oferente", "CostosIndirectos",
                                    "OtrosIndirectos", "Elaborado", "fecha", "Ciudad", "IVA", "Herramienta"});
}

} // namespace

ProyectoCargado cargarDatosProyecto(store::Database& db, const DatosProyecto& inicial) {
    ProyectoCargado cargado;
    cargado.registro = leerRegistro(db);
    cargado.mostrado = leerDatosProyecto(db, inicial);
    return cargado;
}

int grabarDatosProyecto(store::Database& db, ProyectoCargado& cargado, const DatosProyecto& datos) {
    store::Transaction transaccion(db);
    cargado.registro.check(
        db, {}, [](const QVariantList&) { return QString(); }, QStringLiteral("Los datos del proyecto"));
    const bool nuevo = cargado.registro.isEmpty();
    const DatosProyecto& antes = cargado.mostrado;
    QList<std::pair<const char*, QVariant>> cambios;
    const auto texto = [&](const char* campo, const QString& ahora, const QString& mostrado) {
        if (nuevo || ahora != mostrado)
            cambios.append({campo, ahora});
    };
    const auto porcentaje = [&](const char* campo, const QString& ahora, const QString& mostrado) {
        if (nuevo || ahora != mostrado)
            cambios.append({campo, porcentajeTecleado(ahora)});
    };
    const auto opcion = [&](const char* campo, bool ahora, bool mostrado) {
        if (nuevo || ahora != mostrado)
            cambios.append({campo, ahora});
    };
    texto("Institucion", datos.institucion, antes.institucion);
    texto("Proyecto", datos.proyecto, antes.proyecto);
    texto("ubicacion", datos.ubicacion, antes.ubicacion);
    texto("oferente", datos.oferente, antes.oferente);
    texto("Elaborado", datos.elaborado, antes.elaborado);
    porcentaje("CostosIndirectos", datos.costosIndirectos, antes.costosIndirectos);
    porcentaje("OtrosIndirectos", datos.otrosIndirectos, antes.otrosIndirectos);
    if (!datos.fecha.isEmpty())
        texto("fecha", datos.fecha, antes.fecha);
    if (!datos.ciudad.isEmpty())
        texto("Ciudad", datos.ciudad, antes.ciudad);
    opcion("IVA", datos.iva, antes.iva);
    opcion("Herramienta", datos.herramienta, antes.herramienta);
    if (cambios.isEmpty()) {
        cargado.mostrado = datos;
        return 0;
    }

    store::RecordSet rs = db.openRecordSet(kConsulta);
    if (nuevo) {
        rs.addNew();
    } else {
        rs.moveFirst();
        rs.edit();
    }
    for (const auto& [campo, valor] : cambios)
        rs.setValue(campo, valor);
    rs.update();
    store::LoadedRows grabado = leerRegistro(db);
    transaccion.commit();
    cargado = {datos, std::move(grabado)};
    return int(cambios.size());
}

} // namespace korvex::budget
