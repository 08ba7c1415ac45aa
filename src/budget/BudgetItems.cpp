#include "budget/BudgetItems.h"

#include "engine/Numbers.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace korvex::budget {

namespace {

// The four tables of analysis lines, in the order their lines are deleted and re-keyed.
const char* const kTablasBorrado[] = {"Materiales", "Maquinaria", "ManoObra", "Transporte"};
const char* const kTablasReclave[] = {"Materiales", "ManoObra", "Maquinaria", "Transporte"};

// Text comparisons of the database ignore letter case, so two keys that differ only in case
// name the same lines.
QString claveComparable(const ClaveItem& clave) {
    return store::text::foldKey(clave.codigo) + QChar(0x1f) + store::text::foldKey(clave.item);
}

double cantidadAGrabar(const FilaPresupuesto& fila) {
    if (fila.cantidadCargada && !fila.cantidadTecleada &&
        fila.cantidad == engine::FormatoMoneda(*fila.cantidadCargada))
        return *fila.cantidadCargada;
    return engine::ConvertirNumeroOCero(fila.cantidad);
}

const QStringList& camposComparados() {
    static const QStringList campos{"CodigoPres", "ItemPres",     "DescripcionPres",
                                    "UnidadPres", "CantidadPres", "GruposPres"};
    return campos;
}

QString nombreDeItem(const QVariantList& valores) {
    return QString("%1 %2").arg(valores.value(0).toString(), valores.value(1).toString()).trimmed();
}

void borrarLineas(store::Database& db, const QList<ClaveItem>& claves) {
    for (const ClaveItem& clave : claves)
        for (const char* tabla : kTablasBorrado)
            db.execute(QString("DELETE * FROM %1 WHERE CodigoPres = ? and ItemPres = ?").arg(tabla),
                       {clave.codigo, clave.item});
}

void moverLineas(store::Database& db, const ClaveItem& desde, const ClaveItem& hacia) {
    for (const char* tabla : kTablasReclave)
        db.execute(QString("UPDATE %1 SET CodigoPres = ?, ItemPres = ? WHERE CodigoPres = ? and ItemPres = ?")
                       .arg(tabla),
                   {hacia.codigo, hacia.item, desde.codigo, desde.item});
}

// Items whose code or number changed take their lines along. Every moved key passes through a
// key of its own first, so that two items that exchange their keys keep their own lines.
void reclavarLineas(store::Database& db, const HojaPresupuesto& hoja) {
    struct Cambio {
        ClaveItem desde;
        ClaveItem hacia;
    };
    QList<Cambio> cambios;
    for (int r = 1; r <= hoja.filas(); ++r) {
        const FilaPresupuesto& fila = hoja.fila(r);
        if (fila.esItem() && fila.cargada() && fila.clave() != fila.claveCargada())
            cambios.append({fila.claveCargada(), fila.clave()});
    }
    QList<ClaveItem> provisionales;
    for (int i = 0; i < cambios.size(); ++i) {
        provisionales.append({QString("\x01korvex-reclave-%1").arg(i), QString()});
        moverLineas(db, cambios[i].desde, provisionales[i]);
    }
    for (int i = 0; i < cambios.size(); ++i)
        moverLineas(db, provisionales[i], cambios[i].hacia);
}

// One insert per item; a record set's update would read every item back.
void agregarItems(store::Database& db, const HojaPresupuesto& hoja) {
    const QString insert = QStringLiteral("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, "
                                          "UnidadPres, CantidadPres, GruposPres) VALUES (?, ?, ?, ?, ?, ?)");
    for (int r = 1; r <= hoja.filas(); ++r) {
        const FilaPresupuesto& fila = hoja.fila(r);
        if (!fila.esItem())
            continue;
        db.execute(insert, {fila.codigo, fila.item, fila.descripcion, fila.unidad, cantidadAGrabar(fila),
                            fila.grupo.isEmpty() ? QVariant() : QVariant(fila.grupo)});
    }
}

const FilaPresupuesto& filaVacia() {
    static const FilaPresupuesto vacia;
    return vacia;
}

} // namespace

bool FilaPresupuesto::esItem() const {
    return !codigo.trimmed().isEmpty();
}

bool FilaPresupuesto::enBlanco() const {
    return codigo.isEmpty() && item.isEmpty() && descripcion.isEmpty() && unidad.isEmpty() &&
           cantidad.isEmpty() && !cargada() && grupo.isEmpty();
}

QString FilaPresupuesto::celda(int columna) const {
    switch (columna) {
    case kColCodigo:
        return codigo;
    case kColItem:
        return item;
    case kColDescripcion:
        return descripcion;
    case kColUnidad:
        return unidad;
    case kColCantidad:
        return cantidad;
    case kColCodigoCargado:
        return codigoCargado;
    case kColItemCargado:
        return itemCargado;
    case kColGrupo:
        return grupo;
    default:
        return {};
    }
}

void FilaPresupuesto::ponerCelda(int columna, const QString& texto) {
    switch (columna) {
    case kColCodigo:
        codigo = texto;
        break;
    case kColItem:
        item = texto;
        break;
    case kColDescripcion:
        descripcion = texto;
        break;
    case kColUnidad:
        unidad = texto;
        break;
    case kColCantidad:
        cantidad = texto;
        break;
    default:
        break;
    }
}

QString cantidadMostrada(const QString& tecleado) {
    return engine::FormatoMoneda(engine::ConvertirNumeroOCero(tecleado));
}

HojaPresupuesto::HojaPresupuesto() {
    ajustarFinal();
}

HojaPresupuesto::HojaPresupuesto(QVector<FilaPresupuesto> filas) : filas_(std::move(filas)) {
    ajustarFinal();
    recordarCargadas();
}

namespace {

QString claveTexto(const QString& codigo, const QString& item) {
    return codigo + QLatin1Char('\n') + item;
}

} // namespace

void HojaPresupuesto::recordarCargadas() {
    filasCargadas_.clear();
    celdasCargadas_.clear();
    for (const FilaPresupuesto& fila : filas_)
        if (fila.cargada())
            filasCargadas_.insert(claveTexto(fila.codigoCargado, fila.itemCargado), fila);
    for (int r = 1; r <= filas(); ++r)
        celdasCargadas_.append(celdasDeFila(r));
}

QStringList HojaPresupuesto::celdasDeFila(int r) const {
    QStringList celdas;
    for (int c = 0; c < kColumnasPresupuesto; ++c)
        celdas.append(celda(r, c));
    return celdas;
}

// Rows past the end of either side count as blank.
bool HojaPresupuesto::comoCargada() const {
    const QStringList blanca(kColumnasPresupuesto, QString());
    const int n = std::max(filas(), int(celdasCargadas_.size()));
    for (int r = 1; r <= n; ++r) {
        const QStringList& antes = r <= celdasCargadas_.size() ? celdasCargadas_[r - 1] : blanca;
        if (celdasDeFila(r) != antes)
            return false;
    }
    return true;
}

void HojaPresupuesto::tomarFilas(const QList<QStringList>& celdas) {
    QVector<FilaPresupuesto> filas;
    QSet<QString> mostradas;
    for (const QStringList& fila : celdas) {
        const auto texto = [&fila](int columna) { return columna < fila.size() ? fila[columna] : QString(); };
        FilaPresupuesto nueva;
        for (int c = kColCodigo; c <= kColCantidad; ++c)
            nueva.ponerCelda(c, texto(c));
        nueva.codigoCargado = texto(kColCodigoCargado);
        nueva.itemCargado = texto(kColItemCargado);
        nueva.grupo = texto(kColGrupo);
        const QString clave = claveTexto(nueva.codigoCargado, nueva.itemCargado);
        if (nueva.cargada() && filasCargadas_.contains(clave)) {
            mostradas.insert(clave);
            const FilaPresupuesto& cargada = filasCargadas_[clave];
            nueva.cantidadCargada = cargada.cantidadCargada;
            nueva.cantidadTecleada = nueva.cantidad != cargada.cantidad;
        } else {
            nueva.cantidadTecleada = !nueva.cantidad.isEmpty();
        }
        filas.append(nueva);
    }
    filas_ = filas;
    eliminados_.clear();
    for (auto it = filasCargadas_.cbegin(); it != filasCargadas_.cend(); ++it)
        if (!mostradas.contains(it.key()))
            eliminados_.append(it.value().claveCargada());
    marcada_ = 0;
    ajustarFinal();
    modificada_ = !comoCargada();
}

const FilaPresupuesto& HojaPresupuesto::fila(int r) const {
    if (r < 1 || r > filas())
        return filaVacia();
    return filas_[r - 1];
}

QString HojaPresupuesto::celda(int r, int columna) const {
    return fila(r).celda(columna);
}

int HojaPresupuesto::items() const {
    int n = 0;
    for (const FilaPresupuesto& fila : filas_)
        n += fila.esItem() ? 1 : 0;
    return n;
}

FilaPresupuesto& HojaPresupuesto::filaEditable(int r) {
    asegurarFilas(r);
    return filas_[r - 1];
}

void HojaPresupuesto::escribir(int r, int columna, const QString& texto) {
    if (r < 1 || columna < kColCodigo || columna > kColCantidad)
        return;
    if (columna == kColCantidad && !filaEditable(r).cantidadTecleada) {
        filaEditable(r).cantidadTecleada = true;
        modificada_ = true;
    }
    ponerTexto(r, columna, columna == kColCantidad ? cantidadMostrada(texto) : texto);
}

void HojaPresupuesto::vaciar(int r, int columna) {
    if (r >= 1 && columna >= kColCodigo && columna <= kColCantidad)
        ponerTexto(r, columna, QString());
}

void HojaPresupuesto::ponerTexto(int r, int columna, const QString& texto) {
    if (celda(r, columna) == texto)
        return;
    filaEditable(r).ponerCelda(columna, texto);
    modificada_ = true;
    ajustarFinal();
}

void HojaPresupuesto::insertar(int r) {
    if (r < 1)
        return;
    asegurarFilas(r);
    filas_.insert(r - 1, FilaPresupuesto{});
    if (marcada_ >= r)
        ++marcada_;
    modificada_ = true;
    ajustarFinal();
}

void HojaPresupuesto::suprimir(int r) {
    if (r < 1 || r > filas())
        return;
    const FilaPresupuesto& fila = filas_[r - 1];
    if (fila.cargada() && !eliminados_.contains(fila.claveCargada()))
        eliminados_.append(fila.claveCargada());
    if (marcada_ == r)
        marcada_ = 0;
    else if (marcada_ > r)
        --marcada_;
    quitarFila(r);
}

void HojaPresupuesto::marcarMovimiento(int r) {
    if (r >= 1 && r <= filas())
        marcada_ = r;
}

int HojaPresupuesto::completarMovimiento(int destino) {
    if (!movimientoPendiente() || destino < 1)
        return destino;
    int origen = marcada_;
    marcada_ = 0;
    if (destino == origen)
        return destino;
    if (fila(destino).esItem()) {
        asegurarFilas(destino);
        filas_.insert(destino - 1, FilaPresupuesto{});
        if (origen >= destino)
            ++origen;
    }
    const FilaPresupuesto movida = filas_[origen - 1];
    filaEditable(destino) = movida;
    quitarFila(origen);
    return origen < destino ? destino - 1 : destino;
}

void HojaPresupuesto::marcarGrabada() {
    for (FilaPresupuesto& fila : filas_) {
        if (fila.esItem()) {
            fila.cantidadCargada = cantidadAGrabar(fila);
            fila.cantidadTecleada = false;
            fila.codigoCargado = fila.codigo;
            fila.itemCargado = fila.item;
        }
    }
    eliminados_.clear();
    modificada_ = false;
    recordarCargadas();
}

void HojaPresupuesto::quitarFila(int r) {
    filas_.removeAt(r - 1);
    modificada_ = true;
    ajustarFinal();
}

void HojaPresupuesto::asegurarFilas(int r) {
    while (filas() < r)
        filas_.append(FilaPresupuesto{});
}

// At least the design number of rows and one blank row after the last one in use; blank rows
// beyond that are dropped again.
void HojaPresupuesto::ajustarFinal() {
    int usadas = filas();
    while (usadas > 0 && filas_[usadas - 1].enBlanco())
        --usadas;
    const int necesarias = std::max(kFilasMinimas, usadas + 1);
    if (marcada_ > necesarias)
        marcada_ = 0;
    filas_.resize(necesarias);
}

QVector<FilaPresupuesto> leerPresupuesto(store::Database& db) {
    QVector<FilaPresupuesto> filas;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY indice");
    for (; !rs.eof(); rs.moveNext()) {
        FilaPresupuesto fila;
        fila.codigo = fila.codigoCargado = rs.text("CodigoPres");
        fila.item = fila.itemCargado = rs.text("ItemPres");
        fila.descripcion = rs.text("DescripcionPres");
        fila.unidad = rs.text("UnidadPres");
        fila.cantidadCargada = rs.number("cantidadpres");
        fila.cantidad = engine::FormatoMoneda(*fila.cantidadCargada);
        fila.grupo = rs.text("GruposPres");
        filas.append(fila);
    }
    return filas;
}

store::LoadedRows leerCargados(store::Database& db) {
    return store::LoadedRows::read(db, "Presupuesto", camposComparados(), {}, {}, "Indice");
}

HojaPresupuesto cargarHoja(store::Database& db) {
    HojaPresupuesto hoja(leerPresupuesto(db));
    hoja.ponerCargados(leerCargados(db));
    return hoja;
}

QString revisarFilas(const HojaPresupuesto& hoja) {
    QHash<QString, int> vistas;
    for (int r = 1; r <= hoja.filas(); ++r) {
        const FilaPresupuesto& fila = hoja.fila(r);
        if (!fila.esItem()) {
            // Saving it would drop the row, and for a stored item leave its analysis lines behind.
            if (!fila.enBlanco())
                return QString("La fila %1 no tiene CÓDIGO: escríbalo o suprima la fila (F10)").arg(r);
            continue;
        }
        if (!fila.cantidad.isEmpty() && !engine::ConvertirNumero(fila.cantidad))
            return QString("La CANTIDAD de la fila %1 no es un número").arg(r);
        const QString clave = claveComparable(fila.clave());
        if (vistas.contains(clave))
            return QString("El CÓDIGO %1 con ÍTEM %2 está repetido en las filas %3 y %4")
                .arg(fila.codigo, fila.item)
                .arg(vistas.value(clave))
                .arg(r);
        vistas.insert(clave, r);
    }
    return {};
}

ResultadoGrabacion grabarPresupuesto(store::Database& db, HojaPresupuesto& hoja) {
    ResultadoGrabacion resultado;
    const QString rechazo = revisarFilas(hoja);
    if (!rechazo.isEmpty())
        return {false, rechazo, "Advertencia", 0};
    try {
        store::Transaction transaccion(db);
        hoja.cargados().checkByKey(db, 2, nombreDeItem, "Los rubros ");
        borrarLineas(db, hoja.eliminados());
        db.execute("DELETE * FROM Presupuesto");
        agregarItems(db, hoja);
        reclavarLineas(db, hoja);
        store::LoadedRows grabados = leerCargados(db);
        transaccion.commit();
        hoja.ponerCargados(std::move(grabados));
    } catch (const store::StoreError& error) {
        return {false, error.message(), QString(), 0};
    }
    resultado.items = hoja.items();
    hoja.marcarGrabada();
    return resultado;
}

} // namespace korvex::budget
