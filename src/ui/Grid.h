#pragma once
// The grid every list and table window shows its data in: a rectangle of text cells addressed by
// row and column, with row 0 a bold, centred header that stays in view while the data scroll.
//
// Addressing. Row 0 is the header (when fixedRows() is 1, the default); data rows start at 1.
// rows() counts the header too, exactly as the windows' design counts do ("200 rows" = header +
// 199 data rows). Cells are read and written either directly, text(row, col) / setText(row, col),
// or through the current cell: setRow(r); setCol(c); currentText() / setCurrentText().
// Use these, not the view's model()->rowCount() or currentIndex(), which count from the first
// data row.
//
// Storage. The cells are plain data (texts per row, formatting only where set) shown through a
// model, so a grid of 20,000 rows costs its texts and nothing per cell that is not on screen.
//
// Growth. Grids never drop data for lack of rows: setText(), setRow() and setCell() on a row at
// or past rows() add the rows needed (growth is capped at kMaxRows to keep a runaway loop from
// eating memory). Columns do not grow: a column outside cols() is ignored on write and reads "".
// Negative rows or columns are ignored on write and read "".
//
// Lengths. Column widths are given in twips (1440 to the inch), as the windows' layouts are;
// cellRect() is in pixels relative to the grid widget, which is what placing a widget over a
// cell needs (see CellEditor, which does that for you).
//
// Events. keyDown(key, modifiers) is emitted for every key press before the grid moves its
// current cell with the arrow keys; characterTyped(text) for a printable character; doubleClick()
// after the current cell has moved to the cell double-clicked (never for the header);
// currentCellMoved(row, col) whenever the current cell changes. Keys other than the navigation
// keys are accepted by the grid, so Enter or Esc never reach a dialog's default buttons: handle
// them in keyDown.
//
// Typical set-up in a window:
//     auto* grid = new ui::Grid(50, 6, this);
//     grid->setObjectName("msfgMateriales");
//     grid->setHeader({"DESCRIPCIÓN", "UNIDAD", "CANTIDAD", ...}, {4000, 900, 1200, ...});
//     connect(grid, &ui::Grid::keyDown, this, &frmX::onGridKey);

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <optional>

namespace korvex::ui {

// 1440 twips to the inch, at the screen's logical resolution.
int twipsToPixels(int twips, const QWidget* reference = nullptr);
int pixelsToTwips(int pixels, const QWidget* reference = nullptr);

class GridModel;

class Grid : public QTableView {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 100000;

    explicit Grid(QWidget* parent = nullptr);
    Grid(int rows, int cols, QWidget* parent = nullptr);

    // Sizes. rows() includes the header row when fixedRows() is 1.
    int rows() const;
    void setRows(int rows); // never below fixedRows(); cutting rows drops their cells
    int cols() const;
    void setCols(int cols);
    void ensureRows(int rows); // grows to at least this many rows, never shrinks
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int fixedRows); // 1 (header row, default) or 0 (no header: a drop-down list)
    int fixedCols() const { return fixedCols_; }
    void setFixedCols(int fixedCols); // leading columns drawn like the header (row titles)

    // The current cell. Setting a row at or past rows() grows the grid.
    int row() const { return row_; }
    int col() const { return col_; }
    void setRow(int row);
    void setCol(int col);
    void setCell(int row, int col);

    // Cell text.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    QString currentText() const { return text(row_, col_); }
    void setCurrentText(const QString& text) { setText(row_, col_, text); }
    bool isRowEmpty(int row) const; // every cell ""

    // Header row 0: texts and widths (twips) of the first columns, bold and centred.
    void setHeader(const QStringList& titles, const QList<int>& widthsTwips = {});

    // Layout of columns and rows.
    void setColWidthTwips(int col, int twips);
    int colWidthTwips(int col) const;
    void setRowHeightTwips(int twips); // every data row
    int rowHeightTwips() const;

    // Cell formatting, for a given cell or for the current one.
    void setAlignment(int row, int col, Qt::Alignment alignment);
    void setCurrentAlignment(Qt::Alignment alignment) { setAlignment(row_, col_, alignment); }
    Qt::Alignment alignment(int row, int col) const;
    void setColumnAlignment(int col, Qt::Alignment alignment); // every data row, later ones too
    void setBold(int row, int col, bool bold);
    void setCurrentBold(bool bold) { setBold(row_, col_, bold); }
    bool isBold(int row, int col) const;
    void setCellFont(int row, int col, const QFont& font);
    QFont cellFont(int row, int col) const;
    void setFontSize(int row, int col, qreal points);
    void setBackColor(int row, int col, const QColor& color);
    QColor backColor(int row, int col) const;
    void setForeColor(int row, int col, const QColor& color);
    QColor foreColor(int row, int col) const;

    // Every text of a data row, or of all data rows at once, each list cols() long: for filling a
    // grid from data in one go (far cheaper than cell by cell on large grids) and reading it back.
    QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList& texts); // grows like setText()
    void setDataRows(const QList<QStringList>& rows);    // replaces every data row and its formatting

    // Where a cell is drawn, in pixels relative to this widget (the header row included).
    // Scrolls the cell into view first when ensureVisible is true.
    QRect cellRect(int row, int col, bool ensureVisible = true);
    QRect currentCellRect() { return cellRect(row_, col_); }

    // Clearing: every cell's text and formatting (header included), or only the data rows.
    void clearCells();
    void clearData();

    // Scrolls by whole rows (positive: down), as one wheel notch does.
    void scrollLines(int lines);
    // Row shown at the top of the data area.
    int topRow() const;
    // Keeps a cell clear of the fixed columns, which stay in place while the others scroll.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void characterTyped(const QString& text);
    void doubleClick();
    void currentCellMoved(int row, int col);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void updateGeometries() override;

private:
    friend class GridModel;
    struct CellFormat {
        std::optional<Qt::Alignment> alignment;
        std::optional<QFont> font;
        QColor back; // invalid: none set
        QColor fore;
    };
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }

    using QTableView::setModel;

    void initialise(int rows, int cols);
    bool validCell(int row, int col) const;
    bool writableCell(int row, int col); // grows rows when needed
    bool isHeaderRow(int row) const { return row < fixedRows_; }
    const CellFormat* format(int row, int col) const;
    CellFormat& formatForWrite(int row, int col);
    QFont defaultFont(int row) const;
    void cellChanged(int row, int col);
    void dropRowsFrom(int row);
    void onTableCurrentChanged(int tableRow, int tableCol);
    void moveSelectionToCurrent();
    void placeFixedColumns();

    GridModel* model_ = nullptr;
    // The fixed columns drawn again over the left edge, so they stay in view as the row titles
    // they are while the other columns scroll sideways; clicks and the wheel go through to the grid.
    QTableView* fixedView_ = nullptr;
    QList<QStringList> texts_; // by grid row (header included); rows past its end are empty
    QHash<quint64, CellFormat> formats_;
    QHash<int, Qt::Alignment> columnAlignments_;
    int rows_ = 0;
    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int cols_ = 0;
    int row_ = 0;
    int col_ = 0;
    bool syncing_ = false;
};

} // namespace korvex::ui
