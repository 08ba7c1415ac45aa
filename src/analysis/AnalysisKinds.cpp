#include "analysis/AnalysisKinds.h"

#include "engine/Numbers.h"

namespace korvex::analysis {

namespace {

KindSpec base(Kind kind, const char* table, const char* desc, const char* second, const char* quantity,
              const char* yield, const char* price) {
    KindSpec s;
    s.kind = kind;
    s.table = table;
    s.descField = desc;
    s.secondField = second;
    s.quantityField = quantity;
    s.yieldField = yield;
    s.priceField = price;
    return s;
}

KindSpec materialSpec() {
    KindSpec s =
        base(Kind::Material, "Materiales", "DescripcionMat", "UnidadMat", "CantidadMat", "", "PrecioUniMat");
    s.columns = 5;
    s.secondCol = 1;
    s.quantityCol = 2;
    s.priceCol = 3;
    s.amountCol = 4;
    s.quantityFormat = engine::kFormatoTresDecimales;
    s.typedColumns = {0, 1, 2};
    s.headers = {"A. MATERIALES", "UNIDAD", "CANTIDAD", "PRECIO UNIT.", "SUBTOTAL"};
    s.widthsTwips = {5000, 1500, 1800, 1800, 1900};
    s.gridName = "msfgMateriales";
    s.copyName = "msfgMate2";
    s.title = "Ingreso de Materiales";
    s.subtotalLabel = "Subtotal Materiales";
    s.windowTitle = "Materiales";
    s.label = "Materiales";
    return s;
}

KindSpec equipmentSpec() {
    KindSpec s =
        base(Kind::Equipment, "Maquinaria", "DescripcionMaq", "", "HorasMaq", "RendimientoMaq", "CostoMaq");
    s.columns = 6;
    s.quantityCol = 1;
    s.priceCol = 2;
    s.amountCol = 3;
    s.yieldCol = 4;
    s.costCol = 5;
    s.quantityFormat = engine::kFormatoMoneda;
    s.typedColumns = {0, 1, 4};
    s.headers = {"B. MAQUINARIA Y HERRAMIENTAS", "CANTIDAD", "TARIFA", "SUBTOTAL", "RENDIM.", "COSTO TOT"};
    s.widthsTwips = {5000, 1400, 1400, 1400, 1400, 1400};
    s.gridName = "msfgMaquinaria";
    s.copyName = "msfgMaqui2";
    s.title = "Ingreso de Maquinaria";
    s.subtotalLabel = "Subtotal Equipo";
    s.windowTitle = "Maquinaria";
    s.label = "Maquinaria y Herramientas";
    return s;
}

KindSpec labourSpec() {
    KindSpec s = base(Kind::Labour, "ManoObra", "DescripcionMan", "CategoriaMan", "HorasMan",
                      "RendimientoMan", "SalarioMan");
    s.columns = 7;
    s.secondCol = 1;
    s.quantityCol = 2;
    s.priceCol = 3;
    s.amountCol = 4;
    s.yieldCol = 5;
    s.costCol = 6;
    s.quantityFormat = engine::kFormatoMoneda;
    s.typedColumns = {0, 1, 2, 5};
    s.headers = {"C. MANO DE OBRA", "CATEG.", "CANTIDAD", "JORNAL/HORA", "SUBTOTAL", "RENDIM.", "COSTO"};
    s.widthsTwips = {4800, 1000, 1300, 1300, 1300, 1000, 1300};
    s.gridName = "msfgManoObra";
    s.copyName = "msfgMano2";
    s.title = "Ingreso de Mano de Obra";
    s.subtotalLabel = "Subtotal Mano de Obra";
    s.windowTitle = "Mano de Obra";
    s.label = "Mano de Obra";
    return s;
}

KindSpec transportSpec() {
    KindSpec s = base(Kind::Transport, "Transporte", "DescripcionTran", "UnidadTran", "CantidadTran", "",
                      "PrecioTran");
    s.columns = 5;
    s.secondCol = 1;
    s.quantityCol = 2;
    s.priceCol = 3;
    s.amountCol = 4;
    s.quantityFormat = engine::kFormatoTresDecimales;
    s.headers = {"D. TRANSPORTE", "UNIDAD", "CANTIDAD", "PRECIO TRANS.", "SUBTOTAL"};
    s.widthsTwips = {5000, 1500, 1800, 1800, 1900};
    s.gridName = "msfgTransporte";
    s.copyName = "msfgTrans2";
    s.title = "Ingreso de Transporte";
    s.subtotalLabel = "Subtotal Transporte";
    s.windowTitle = "Transporte";
    s.label = "Transporte";
    return s;
}

} // namespace

const KindSpec& kindInfo(Kind kind) {
    static const std::array<KindSpec, 4> infos = {materialSpec(), equipmentSpec(), labourSpec(),
                                                  transportSpec()};
    return infos[kindIndex(kind)];
}

Kind nextKind(Kind kind) {
    return kAllKinds[(kindIndex(kind) + 1) % kAllKinds.size()];
}

} // namespace korvex::analysis
