#pragma once
// The budget items (table Presupuesto) as the items editor edits them: a sheet of rows in budget
// order with the editor's insert, delete and move rules, the deletions it remembers, and the save
// that rewrites Presupuesto and carries each item's analysis lines along with its key.

#include "store/Database.h"
#include "store/LoadedRows.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVector>
#include <optional>

namespace korvex::budget {

// Columns of the items grid; the last three are hidden.
enum ColumnaPresupuesto {
    kColCodigo = 0,
    kColItem = 1,
    kColDescripcion = 2,
    kColUnidad = 3,
    kColCantidad = 4,
    kColCodigoCargado = 5,
    kColItemCargado = 6,
    kColGrupo = 7,
    kColumnasPresupuesto = 8,
};

// The rows the grid shows at least, whatever the number of items.
inline constexpr int kFilasMinimas = 199;

struct ClaveItem {
    QString codigo;
    QString item;
    bool operator==(const ClaveItem&) const = default;
};

struct FilaPresupuesto {
    QString codigo;
    QString item;
    QString descripcion;
    QString unidad;
    QString cantidad;      // as shown, "###,##0.00"
    QString codigoCargado; // the key as stored; empty for a row typed since loading
    QString itemCargado;
    QString grupo; // GruposPres, carried along unchanged
    // The exact stored quantity: saved as it was until the user types a quantity in the cell,
    // so quantities with more decimals than the grid shows are not rounded by a save that did
    // not touch them. A typed quantity is saved as shown, even when its text is the one shown.
    std::optional<double> cantidadCargada;
    bool cantidadTecleada = false;

    bool esItem() const;   // has a code: an item row (an empty row otherwise)
    bool enBlanco() const; // nothing typed and nothing loaded
    bool cargada() const { return !codigoCargado.isEmpty(); }
    ClaveItem clave() const { return {codigo, item}; }
    ClaveItem claveCargada() const { return {codigoCargado, itemCargado}; }
    QString celda(int columna) const;
    void ponerCelda(int columna, const QString& texto);
};

// What a cell of the quantity column shows for a typed text: "0.00" for an empty text or one that
// is not a number, otherwise the number as the display pattern shows it ("1.2349999" is 1.23,
// "-1.235" is -1.24); that value is the one stored.
QString cantidadMostrada(const QString& tecleado);

// The rows of the editor, numbered as the grid numbers them: row 1 is the first item. The sheet
// always has at least kFilasMinimas rows and at least one empty row after the last item, so
// typing or inserting never pushes an item out.
class HojaPresupuesto {
public:
    HojaPresupuesto();
    explicit HojaPresupuesto(QVector<FilaPresupuesto> filas);

    int filas() const { return int(filas_.size()); }
    const FilaPresupuesto& fila(int r) const;
    QString celda(int r, int columna) const;
    int items() const; // rows with a code

    // Writes a visible cell (columns 0 to 4) as the cell editor commits it.
    void escribir(int r, int columna, const QString& texto);
    // The Delete key: the cell becomes empty.
    void vaciar(int r, int columna);
    // Inserts an empty row at r; r and the rows below move down one.
    void insertar(int r);
    // Deletes row r (the rows below move up); an item that was stored is remembered so that the
    // save deletes its analysis lines.
    void suprimir(int r);

    // F8 marks a row; Enter on a destination completes the move: the marked item lands at d,
    // before the item that was there. Returns the row where it landed.
    void marcarMovimiento(int r);
    bool movimientoPendiente() const { return marcada_ > 0; }
    int filaMarcada() const { return marcada_; }
    void cancelarMovimiento() { marcada_ = 0; }
    int completarMovimiento(int destino);

    const QList<ClaveItem>& eliminados() const { return eliminados_; }
    // The stored items as the sheet was loaded: the save rewrites the table only while they are
    // still so.
    const store::LoadedRows& cargados() const { return cargados_; }
    void ponerCargados(store::LoadedRows cargados) { cargados_ = std::move(cargados); }
    bool modificada() const { return modificada_; }
    // After a successful save: the stored state is now what the sheet shows.
    void marcarGrabada();
    // After an undo or redo of the grid: the rows as the grid shows them, every column. A row of a
    // stored item keeps its exact stored quantity while its quantity shows as it was loaded, and
    // a stored item no row shows any more is deleted by the next save, as after suprimir. The
    // sheet counts as modified only when the rows differ from those loaded or last saved, so an
    // undo back to them leaves nothing to save.
    void tomarFilas(const QList<QStringList>& celdas);

private:
    void ponerTexto(int r, int columna, const QString& texto);
    void quitarFila(int r);
    void asegurarFilas(int r);
    void recordarCargadas();
    QStringList celdasDeFila(int r) const;
    bool comoCargada() const;
    void ajustarFinal();
    FilaPresupuesto& filaEditable(int r);

    QVector<FilaPresupuesto> filas_;
    QList<ClaveItem> eliminados_;
    store::LoadedRows cargados_;
    // The stored items as loaded or last saved, by stored code and number: their row then.
    QHash<QString, FilaPresupuesto> filasCargadas_;
    QVector<QStringList> celdasCargadas_; // every cell of every row then, in grid order
    int marcada_ = 0;
    bool modificada_ = false;
};

// The items of Presupuesto in budget order (ascending Indice), as rows of the editor.
// Throws store::StoreError.
QVector<FilaPresupuesto> leerPresupuesto(store::Database& db);
// The sheet of the stored items, with what the save checks. Throws store::StoreError.
HojaPresupuesto cargarHoja(store::Database& db);
// The stored items as a save compares them (every field but the derived TotalPres).
store::LoadedRows leerCargados(store::Database& db);

struct ResultadoGrabacion {
    bool ok = true;
    QString message;
    QString title; // "Advertencia" for a refused row, empty for a database failure
    int items = 0;
};

// Checks every row, then in one transaction checks that the stored items are still the ones the
// sheet loaded, deletes the analysis lines of the deleted items, rewrites Presupuesto in row order
// and moves the lines of every item whose code or number changed to its new key. On a refusal,
// items changed meanwhile or a database failure nothing is written. On success the sheet is
// marked saved.
ResultadoGrabacion grabarPresupuesto(store::Database& db, HojaPresupuesto& hoja);

// The refusal for the first row that cannot be saved, or an empty text when all can.
QString revisarFilas(const HojaPresupuesto& hoja);

} // namespace korvex::budget
