#include "ui/Grid.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

namespace korvex::ui {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kDefaultRowHeightTwips = 285;

qreal logicalDpi(const QWidget* reference) {
    if (reference)
        return reference->logicalDpiY();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY();
    return 96.0;
}

bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool isPrintable(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

} // namespace

int twipsToPixels(int twips, const QWidget* reference) {
    return qRound(twips * logicalDpi(reference) / kTwipsPerInch);
}

int pixelsToTwips(int pixels, const QWidget* reference) {
    return qRound(pixels * kTwipsPerInch / logicalDpi(reference));
}

Grid::Grid(QWidget* parent) : QTableWidget(parent) {
    initialise(2, 2);
}

Grid::Grid(int rows, int cols, QWidget* parent) : QTableWidget(parent) {
    initialise(rows, cols);
}

void Grid::initialise(int rows, int cols) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setStretchLastSection(false);
    setRowHeightTwips(kDefaultRowHeightTwips);
    setCols(cols);
    setRows(rows);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int r, int c, int, int) { onTableCurrentChanged(r, c); });
    row_ = std::min(fixedRows_, this->rows() - 1);
    col_ = 0;
    moveSelectionToCurrent();
}

int Grid::rows() const {
    return rowCount() + fixedRows_;
}

void Grid::setRows(int rows) {
    rows = std::clamp(rows, fixedRows_, kMaxRows);
    setRowCount(rows - fixedRows_);
    if (row_ >= rows) {
        row_ = std::max(rows - 1, 0);
        moveSelectionToCurrent();
    }
}

int Grid::cols() const {
    return columnCount();
}

void Grid::setCols(int cols) {
    cols = std::max(cols, 0);
    const int before = columnCount();
    setColumnCount(cols);
    for (int c = before; c < cols; ++c) {
        auto* header = new QTableWidgetItem;
        styleHeaderItem(header);
        setHorizontalHeaderItem(c, header);
    }
    if (col_ >= cols)
        col_ = std::max(cols - 1, 0);
}

void Grid::ensureRows(int rows) {
    if (rows > this->rows())
        setRows(rows);
}

void Grid::setFixedRows(int fixedRows) {
    fixedRows = std::clamp(fixedRows, 0, 1);
    if (fixedRows == fixedRows_)
        return;
    const int total = rows();
    fixedRows_ = fixedRows;
    horizontalHeader()->setVisible(fixedRows_ == 1);
    setRowCount(std::max(total - fixedRows_, 0));
    row_ = std::clamp(row_, 0, std::max(rows() - 1, 0));
    moveSelectionToCurrent();
}

void Grid::setFixedCols(int fixedCols) {
    fixedCols_ = std::clamp(fixedCols, 0, cols());
    for (int r = fixedRows_; r < rows(); ++r)
        for (int c = 0; c < fixedCols_; ++c)
            styleFixedColumnItem(cellItemForWrite(r, c));
}

bool Grid::validCell(int row, int col) const {
    return row >= 0 && col >= 0 && col < cols() && row < rows();
}

QTableWidgetItem* Grid::cellItem(int row, int col) const {
    if (!validCell(row, col))
        return nullptr;
    if (isHeaderRow(row))
        return horizontalHeaderItem(col);
    return item(row - fixedRows_, col);
}

QTableWidgetItem* Grid::cellItemForWrite(int row, int col) {
    if (row < 0 || col < 0 || col >= cols() || row >= kMaxRows)
        return nullptr;
    ensureRows(row + 1);
    if (isHeaderRow(row)) {
        QTableWidgetItem* header = horizontalHeaderItem(col);
        if (!header) {
            header = new QTableWidgetItem;
            styleHeaderItem(header);
            setHorizontalHeaderItem(col, header);
        }
        return header;
    }
    QTableWidgetItem* cell = item(row - fixedRows_, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (col < fixedCols_)
            styleFixedColumnItem(cell);
        setItem(row - fixedRows_, col, cell);
    }
    return cell;
}

void Grid::styleHeaderItem(QTableWidgetItem* item) const {
    QFont bold = font();
    bold.setBold(true);
    item->setFont(bold);
    item->setTextAlignment(Qt::AlignCenter);
}

void Grid::styleFixedColumnItem(QTableWidgetItem* item) const {
    if (item)
        item->setBackground(palette().button());
}

void Grid::setRow(int row) {
    if (row < 0 || row >= kMaxRows)
        return;
    ensureRows(row + 1);
    row_ = row;
    moveSelectionToCurrent();
    emit currentCellMoved(row_, col_);
}

void Grid::setCol(int col) {
    if (col < 0 || col >= cols())
        return;
    col_ = col;
    moveSelectionToCurrent();
    emit currentCellMoved(row_, col_);
}

void Grid::setCell(int row, int col) {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= cols())
        return;
    ensureRows(row + 1);
    row_ = row;
    col_ = col;
    moveSelectionToCurrent();
    emit currentCellMoved(row_, col_);
}

void Grid::moveSelectionToCurrent() {
    syncing_ = true;
    if (row_ >= fixedRows_ && row_ < rows() && col_ < cols())
        setCurrentCell(row_ - fixedRows_, col_);
    else
        setCurrentCell(-1, -1);
    syncing_ = false;
}

void Grid::onTableCurrentChanged(int tableRow, int tableCol) {
    if (syncing_ || tableRow < 0 || tableCol < 0)
        return;
    row_ = tableRow + fixedRows_;
    col_ = tableCol;
    emit currentCellMoved(row_, col_);
}

QString Grid::text(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    return cell ? cell->text() : QString();
}

void Grid::setText(int row, int col, const QString& text) {
    if (QTableWidgetItem* cell = cellItemForWrite(row, col))
        cell->setText(text);
}

bool Grid::isRowEmpty(int row) const {
    for (int c = 0; c < cols(); ++c)
        if (!text(row, c).isEmpty())
            return false;
    return true;
}

void Grid::setHeader(const QStringList& titles, const QList<int>& widthsTwips) {
    if (fixedRows_ == 0)
        return;
    for (int c = 0; c < titles.size() && c < cols(); ++c)
        setText(0, c, titles.at(c));
    for (int c = 0; c < widthsTwips.size() && c < cols(); ++c)
        setColWidthTwips(c, widthsTwips.at(c));
}

void Grid::setColWidthTwips(int col, int twips) {
    if (col >= 0 && col < cols())
        setColumnWidth(col, std::max(twipsToPixels(twips, this), 0));
}

int Grid::colWidthTwips(int col) const {
    if (col < 0 || col >= cols())
        return 0;
    return pixelsToTwips(columnWidth(col), this);
}

void Grid::setRowHeightTwips(int twips) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(std::max(twipsToPixels(twips, this), 1));
}

int Grid::rowHeightTwips() const {
    return pixelsToTwips(verticalHeader()->defaultSectionSize(), this);
}

void Grid::setAlignment(int row, int col, Qt::Alignment alignment) {
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    if (QTableWidgetItem* cell = cellItemForWrite(row, col))
        cell->setTextAlignment(alignment);
}

Qt::Alignment Grid::alignment(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    if (!cell)
        return isHeaderRow(row) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
    return Qt::Alignment(cell->textAlignment());
}

void Grid::setColumnAlignment(int col, Qt::Alignment alignment) {
    for (int r = fixedRows_; r < rows(); ++r)
        setAlignment(r, col, alignment);
}

void Grid::setBold(int row, int col, bool bold) {
    if (QTableWidgetItem* cell = cellItemForWrite(row, col)) {
        QFont f = cell->font();
        f.setBold(bold);
        cell->setFont(f);
    }
}

bool Grid::isBold(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    return cell ? cell->font().bold() : isHeaderRow(row);
}

void Grid::setCellFont(int row, int col, const QFont& font) {
    if (QTableWidgetItem* cell = cellItemForWrite(row, col))
        cell->setFont(font);
}

QFont Grid::cellFont(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    return cell ? cell->font() : font();
}

void Grid::setFontSize(int row, int col, qreal points) {
    if (points <= 0)
        return;
    if (QTableWidgetItem* cell = cellItemForWrite(row, col)) {
        QFont f = cell->font();
        f.setPointSizeF(points);
        cell->setFont(f);
    }
}

void Grid::setBackColor(int row, int col, const QColor& color) {
    if (QTableWidgetItem* cell = cellItemForWrite(row, col))
        cell->setBackground(color);
}

QColor Grid::backColor(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    if (!cell || cell->background().style() == Qt::NoBrush)
        return palette().base().color();
    return cell->background().color();
}

void Grid::setForeColor(int row, int col, const QColor& color) {
    if (QTableWidgetItem* cell = cellItemForWrite(row, col))
        cell->setForeground(color);
}

QColor Grid::foreColor(int row, int col) const {
    const QTableWidgetItem* cell = cellItem(row, col);
    if (!cell || cell->foreground().style() == Qt::NoBrush)
        return palette().text().color();
    return cell->foreground().color();
}

QRect Grid::cellRect(int row, int col, bool ensureVisible) {
    if (!validCell(row, col))
        return {};
    if (isHeaderRow(row)) {
        QHeaderView* header = horizontalHeader();
        const QPoint origin = header->mapTo(this, QPoint(0, 0));
        return QRect(origin.x() + header->sectionViewportPosition(col), origin.y(), header->sectionSize(col),
                     header->height());
    }
    const QModelIndex index = model()->index(row - fixedRows_, col);
    if (ensureVisible)
        scrollTo(index);
    const QRect inViewport(columnViewportPosition(col), rowViewportPosition(row - fixedRows_),
                           columnWidth(col), rowHeight(row - fixedRows_));
    return inViewport.translated(viewport()->mapTo(this, QPoint(0, 0)));
}

void Grid::clearCells() {
    for (int c = 0; c < cols(); ++c) {
        auto* header = new QTableWidgetItem;
        styleHeaderItem(header);
        setHorizontalHeaderItem(c, header);
    }
    clearData();
}

void Grid::clearData() {
    clearContents();
    if (fixedCols_ > 0)
        setFixedCols(fixedCols_);
}

void Grid::scrollLines(int lines) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + lines * bar->singleStep());
}

int Grid::topRow() const {
    const int tableRow = rowAt(0);
    return (tableRow < 0 ? 0 : tableRow) + fixedRows_;
}

void Grid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    emit keyDown(key, event->modifiers());
    if (isNavigationKey(key) && !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    if (isPrintable(event))
        emit characterTyped(event->text());
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        event->ignore(); // focus chain
        return;
    }
    event->accept();
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        event->accept();
        return;
    }
    setCell(index.row() + fixedRows_, index.column());
    event->accept();
    emit doubleClick();
}

} // namespace korvex::ui
