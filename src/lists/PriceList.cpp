#include "lists/PriceList.h"

#include "engine/Numbers.h"

#include <algorithm>
#include <cmath>

namespace korvex::lists {

using engine::ConvertirNumero;
using engine::ConvertirNumeroOCero;
using engine::FormatoMoneda;
using engine::Redondear;

namespace {

ListLayout materialsLayout() {
    ListLayout l;
    l.kind = TipoRecurso::Material;
    l.name = "materiales";
    l.gridName = "msfgMateriales";
    l.headers = {"DESCRIPCION", "UNIDAD", "PRECIO UNIT.", "CANTIDAD", "PRECIO TOTAL"};
    l.widthsTwips = {6100, 1600, 1900, 1900, 2000};
    l.secondCol = 1;
    l.priceCol = 2;
    l.quantityCol = 3;
    l.totalCol = 4;
    l.quantityFormat = engine::kFormatoTresDecimales;
    l.title = "Lista de  Materiales";
    l.totalCaption = "Total de Materiales";
    l.table = "Materiales";
    l.descField = "DescripcionMat";
    l.secondField = "UnidadMat";
    l.priceField = "PrecioUniMat";
    return l;
}

ListLayout equipmentLayout() {
    ListLayout l;
    l.kind = TipoRecurso::Equipo;
    l.name = "equipo";
    l.gridName = "msfgMaquinaria";
    l.headers = {"DESCRIPCION", "COSTO x HORA", "HORAS EQUIPO", "PRECIO TOTAL"};
    l.widthsTwips = {7300, 2000, 2100, 2100};
    l.priceCol = 1;
    l.quantityCol = 2;
    l.totalCol = 3;
    l.quantityFormat = engine::kFormatoMoneda;
    l.title = "Lista de Herramientas y Equipo";
    l.totalCaption = "Total de Herramientas y Equipo";
    l.table = "Maquinaria";
    l.descField = "DescripcionMaq";
    l.priceField = "CostoMaq";
    return l;
}

ListLayout labourLayout() {
    ListLayout l;
    l.kind = TipoRecurso::ManoObra;
    l.name = "mano";
    l.gridName = "msfgManoObra";
    l.headers = {"DESCRIPCION", "CATEGORIA", "SAL.REALxHORA", "HORAS-HOMBRE", "PRECIO TOTAL"};
    l.widthsTwips = {6100, 1600, 1900, 1900, 2000};
    l.secondCol = 1;
    l.priceCol = 2;
    l.quantityCol = 3;
    l.totalCol = 4;
    l.quantityFormat = engine::kFormatoMoneda;
    l.title = "Lista de Mano de Obra";
    l.totalCaption = "Total de Mano de Obra";
    l.table = "ManoObra";
    l.descField = "DescripcionMan";
    l.secondField = "CategoriaMan";
    l.priceField = "SalarioMan";
    return l;
}

ListLayout transportLayout() {
    ListLayout l;
    l.kind = TipoRecurso::Transporte;
    l.name = "transporte";
    l.gridName = "msfgTransporte";
    l.headers = {"DESCRIPCION", "UNIDAD", "PRECIO TRANS.", "CANTIDAD", "PRECIO TOTAL"};
    l.widthsTwips = {6100, 1600, 1900, 1900, 2000};
    l.secondCol = 1;
    l.priceCol = 2;
    l.quantityCol = 3;
    l.totalCol = 4;
    l.quantityFormat = engine::kFormatoTresDecimales;
    l.title = "Lista de  Transporte";
    l.totalCaption = "Total de Transporte";
    l.table = "Transporte";
    l.descField = "DescripcionTran";
    l.secondField = "UnidadTran";
    l.priceField = "PrecioTran";
    return l;
}

// Redondear(P x Q, 2) with P and Q as their cells show them.
QString roundedTotal(const QString& price, const QString& quantity) {
    return FormatoMoneda(Redondear(ConvertirNumeroOCero(price) * ConvertirNumeroOCero(quantity), 2));
}

} // namespace

int kindIndex(TipoRecurso kind) {
    return static_cast<int>(kind);
}

TipoRecurso nextKind(TipoRecurso kind) {
    return kListKinds[static_cast<std::size_t>((kindIndex(kind) + 1) % 4)];
}

const ListLayout& layoutOf(TipoRecurso kind) {
    static const std::array<ListLayout, 4> layouts = {materialsLayout(), equipmentLayout(), labourLayout(),
                                                      transportLayout()};
    return layouts[static_cast<std::size_t>(kindIndex(kind))];
}

bool kindFromName(const QString& name, TipoRecurso& kind) {
    for (TipoRecurso k : kListKinds) {
        if (name.compare(layoutOf(k).name, Qt::CaseInsensitive) == 0) {
            kind = k;
            return true;
        }
    }
    return false;
}

PriceList::PriceList(TipoRecurso kind) : kind_(kind) {}

PriceList PriceList::fromTotals(TipoRecurso kind, const std::vector<engine::TotalRecurso>& totals) {
    PriceList list(kind);
    list.rows_.reserve(totals.size());
    const QString& quantityFormat = list.layout().quantityFormat;
    for (const engine::TotalRecurso& resource : totals) {
        PriceRow row;
        row.description = resource.descripcion;
        row.second = list.layout().hasSecond() ? resource.unidad : QString();
        row.price = FormatoMoneda(resource.precio);
        row.loadedPrice = row.price;
        row.quantity = engine::formatNumber(resource.cantidad, quantityFormat);
        row.total = roundedTotal(row.price, row.quantity);
        list.rows_.push_back(std::move(row));
    }
    return list;
}

PriceList PriceList::fromGrouped(TipoRecurso kind, engine::LineasAgrupadas grouped) {
    PriceList list = fromTotals(kind, grouped.totales);
    list.lines_ = std::move(grouped.lineas);
    return list;
}

PriceList PriceList::load(const QString& projectFolder, TipoRecurso kind) {
    store::Database db = store::Database::openProject(projectFolder);
    return fromGrouped(kind, engine::AgrupacionRecursos(db).agrupar(kind));
}

void PriceList::markSaved(store::LoadedRows lines) {
    for (PriceRow& r : rows_) {
        r.loadedPrice = r.price;
        r.typed = false;
    }
    lines_ = std::move(lines);
    modified_ = false;
}

QString PriceList::cell(int index, int col) const {
    const PriceRow& r = row(index);
    const ListLayout& l = layout();
    if (col == 0)
        return r.description;
    if (col == l.secondCol)
        return r.second;
    if (col == l.priceCol)
        return r.price;
    if (col == l.quantityCol)
        return r.quantity;
    if (col == l.totalCol)
        return r.total;
    return {};
}

bool PriceList::commitPrice(int index, const QString& typed) {
    const std::optional<double> price = ConvertirNumero(typed);
    if (!price)
        return false;
    PriceRow& r = rows_[static_cast<std::size_t>(index)];
    // The product takes the quantity at two decimals and is formatted, not rounded: this is the
    // figure the estimator checks against the quantity as a two-decimal amount.
    const double quantity = ConvertirNumeroOCero(
        engine::formatNumber(ConvertirNumeroOCero(r.quantity), engine::kFormatoSinGrupos));
    const double total = *price * quantity;
    if (!std::isfinite(total))
        return false;
    r.total = FormatoMoneda(total);
    r.typed = true;
    const QString shown = FormatoMoneda(*price);
    if (shown != r.price)
        modified_ = true;
    r.price = shown;
    return true;
}

int PriceList::increaseBy(double percent) {
    const double factor = percent / 100;
    int changed = 0;
    for (PriceRow& r : rows_) {
        if (r.description.isEmpty())
            continue;
        const double price = ConvertirNumeroOCero(r.price);
        const double raised = Redondear(price + price * factor, 2);
        // A percentage so large that the price leaves the range of numbers keeps the old price.
        const QString shown = std::isfinite(raised) ? FormatoMoneda(raised) : r.price;
        if (shown != r.price)
            ++changed;
        r.price = shown;
        r.total = roundedTotal(r.price, r.quantity);
    }
    if (changed > 0)
        modified_ = true;
    return changed;
}

void PriceList::restoreShown(int index, const QString& price, const QString& total) {
    PriceRow& r = rows_[static_cast<std::size_t>(index)];
    r.price = price;
    r.total = total;
    if (r.price == r.loadedPrice)
        r.typed = false;
    modified_ = std::any_of(rows_.begin(), rows_.end(), [](const PriceRow& row) { return row.changed(); });
}

double PriceList::total() const {
    double sum = 0;
    for (const PriceRow& r : rows_) {
        if (!r.total.isEmpty())
            sum += ConvertirNumeroOCero(r.total);
    }
    return sum;
}

PriceLists emptyPriceLists() {
    return {PriceList(TipoRecurso::Material), PriceList(TipoRecurso::Equipo),
            PriceList(TipoRecurso::ManoObra), PriceList(TipoRecurso::Transporte)};
}

PriceLists loadPriceLists(store::Database& db) {
    engine::AgrupacionRecursos grouping(db);
    PriceLists lists;
    for (TipoRecurso kind : kListKinds)
        lists[static_cast<std::size_t>(kindIndex(kind))] =
            PriceList::fromGrouped(kind, grouping.agrupar(kind));
    return lists;
}

PriceLists loadPriceLists(const QString& projectFolder) {
    store::Database db = store::Database::openProject(projectFolder);
    return loadPriceLists(db);
}

QString listText(const PriceList& list) {
    const ListLayout& l = list.layout();
    // A tab or line break inside a description must not split its line.
    const auto flat = [](QString text) {
        return text.replace('\t', ' ').replace('\n', ' ').replace('\r', ' ');
    };
    QStringList lines;
    lines.append(l.title.simplified());
    lines.append(l.headers.join('\t'));
    for (int i = 0; i < list.size(); ++i) {
        QStringList cells;
        for (int col = 0; col < l.columns(); ++col)
            cells.append(flat(list.cell(i, col)));
        lines.append(cells.join('\t'));
    }
    lines.append(l.totalCaption + ":\t" + FormatoMoneda(list.total()));
    return lines.join('\n') + '\n';
}

} // namespace korvex::lists
