#include "budget/Presentation.h"

#include "budget/ProjectData.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "store/Database.h"

namespace korvex::budget {

namespace {

// The header part of the presentation; false when the project has no header yet.
bool leerCabecera(store::Database& db, Presentacion& p) {
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Proyecto");
    if (rs.recordCount() == 0)
        return false;
    rs.moveFirst();
    p.proyecto = rs.text("Proyecto");
    // The other percentage is shown only beside a non-zero main one, as on the printed budget.
    const double indirectos = rs.number("CostosIndirectos");
    if (indirectos != 0) {
        p.indirectos = porcentajeSimple(indirectos) + " %";
        p.otrosIndirectos = porcentajeSimple(rs.number("OtrosIndirectos")) + " %";
    } else {
        p.indirectos = p.otrosIndirectos = "0 %";
    }
    p.conIva = rs.boolean("IVA");
    return true;
}

void leerItems(store::Database& db, Presentacion& p) {
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY indice");
    for (; !rs.eof(); rs.moveNext()) {
        const double cantidad = rs.number("cantidadpres");
        const double precio = rs.number("TotalPres");
        p.filas.append({rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"),
                        rs.text("UnidadPres"), engine::FormatoPrecio(cantidad), engine::FormatoMoneda(precio),
                        engine::FormatoPrecio(engine::Redondear(precio * cantidad, 2))});
    }
}

Presentacion rechazo(const QString& message, const QString& title = {}) {
    Presentacion p;
    p.ok = false;
    p.message = message;
    p.title = title;
    return p;
}

} // namespace

void calcularTotales(Presentacion& p) {
    double subtotal = 0;
    for (const FilaPresentacion& fila : p.filas)
        subtotal = engine::Redondear(subtotal + engine::ConvertirNumeroOCero(fila.precioTotal), 2);
    p.subtotal = subtotal;
    p.subtotalTexto = engine::FormatoPrecio(subtotal);
    p.iva = p.conIva ? engine::Redondear(subtotal * kTasaIva, 2) : 0;
    p.ivaEtiqueta = p.conIva ? "IVA    12%" : "IVA    0%";
    p.ivaTexto = engine::FormatoPrecio(p.iva);
    // The total adds the IVA as shown, without rounding again.
    p.total = engine::ConvertirNumeroOCero(p.ivaTexto) + subtotal;
    p.totalTexto = engine::FormatoPrecio(p.total);
}

Presentacion calcularPresentacion(const QString& projectFolder) {
    try {
        Presentacion p;
        {
            store::Database db = store::Database::openProject(projectFolder);
            if (!leerCabecera(db, p))
                return rechazo(kSinDatosProyecto, QStringLiteral("Advertencia"));
        }
        const engine::ResultadoRecalculo recalculo = engine::RecalcularPresupuesto(projectFolder);
        if (!recalculo.ok)
            return rechazo(recalculo.message, recalculo.title);
        store::Database db = store::Database::openProject(projectFolder);
        leerItems(db, p);
        calcularTotales(p);
        return p;
    } catch (const store::StoreError& error) {
        return rechazo(error.message());
    }
}

} // namespace korvex::budget
