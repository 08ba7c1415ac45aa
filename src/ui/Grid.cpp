#include "ui/Grid.h"

#include <QAbstractTableModel>
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

// Shows the grid's own storage to the view: data rows as the model's rows, row 0 (when the grid
// has a header) as the horizontal header.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(Grid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_->rows_ - grid_->fixedRows_;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_->cols_;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        return cellData(index.row() + grid_->fixedRows_, index.column(), role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || grid_->fixedRows_ == 0)
            return {};
        return cellData(0, section, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void cellChanged(int row, int col) {
        if (row < grid_->fixedRows_) {
            emit headerDataChanged(Qt::Horizontal, col, col);
            return;
        }
        const QModelIndex at = index(row - grid_->fixedRows_, col);
        emit dataChanged(at, at);
    }
    void everythingChanged() {
        if (grid_->fixedRows_ > 0 && grid_->cols_ > 0)
            emit headerDataChanged(Qt::Horizontal, 0, grid_->cols_ - 1);
        if (rowCount() > 0 && grid_->cols_ > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, grid_->cols_ - 1));
    }

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveColumns;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveColumns;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;

private:
    QVariant cellData(int row, int col, int role) const {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return grid_->text(row, col);
        case Qt::TextAlignmentRole:
            return int(grid_->alignment(row, col));
        case Qt::FontRole: {
            const Grid::CellFormat* format = grid_->format(row, col);
            if (format && format->font)
                return *format->font;
            return grid_->isHeaderRow(row) ? QVariant(grid_->defaultFont(row)) : QVariant();
        }
        case Qt::BackgroundRole: {
            const Grid::CellFormat* format = grid_->format(row, col);
            if (format && format->back.isValid())
                return QBrush(format->back);
            if (!grid_->isHeaderRow(row) && col < grid_->fixedCols_)
                return grid_->palette().button();
            return {};
        }
        case Qt::ForegroundRole: {
            const Grid::CellFormat* format = grid_->format(row, col);
            if (format && format->fore.isValid())
                return QBrush(format->fore);
            return {};
        }
        default:
            return {};
        }
    }

    Grid* grid_;
};

Grid::Grid(QWidget* parent) : QTableView(parent) {
    initialise(2, 2);
}

Grid::Grid(int rows, int cols, QWidget* parent) : QTableView(parent) {
    initialise(rows, cols);
}

void Grid::initialise(int rows, int cols) {
    model_ = new GridModel(this);
    QTableView::setModel(model_);
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
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                onTableCurrentChanged(current.row(), current.column());
            });
    row_ = std::min(fixedRows_, this->rows() - 1);
    col_ = 0;
    moveSelectionToCurrent();
}

int Grid::rows() const {
    return rows_;
}

void Grid::setRows(int rows) {
    rows = std::clamp(rows, fixedRows_, kMaxRows);
    if (rows > rows_) {
        model_->beginInsertRows({}, rows_ - fixedRows_, rows - fixedRows_ - 1);
        rows_ = rows;
        model_->endInsertRows();
    } else if (rows < rows_) {
        model_->beginRemoveRows({}, rows - fixedRows_, rows_ - fixedRows_ - 1);
        rows_ = rows;
        dropRowsFrom(rows);
        model_->endRemoveRows();
    }
    if (row_ >= rows) {
        row_ = std::max(rows - 1, 0);
        moveSelectionToCurrent();
    }
}

void Grid::dropRowsFrom(int row) {
    if (texts_.size() > row)
        texts_.resize(row);
    for (auto it = formats_.begin(); it != formats_.end();)
        it = int(it.key() >> 32) >= row ? formats_.erase(it) : std::next(it);
}

int Grid::cols() const {
    return cols_;
}

void Grid::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols > cols_) {
        model_->beginInsertColumns({}, cols_, cols - 1);
        cols_ = cols;
        model_->endInsertColumns();
    } else if (cols < cols_) {
        model_->beginRemoveColumns({}, cols, cols_ - 1);
        cols_ = cols;
        for (QStringList& row : texts_)
            if (row.size() > cols)
                row.resize(cols);
        for (auto it = formats_.begin(); it != formats_.end();)
            it = int(it.key() & 0xffffffffu) >= cols ? formats_.erase(it) : std::next(it);
        model_->endRemoveColumns();
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
    model_->beginResetModel();
    fixedRows_ = fixedRows;
    rows_ = std::max(rows_, fixedRows_);
    model_->endResetModel();
    horizontalHeader()->setVisible(fixedRows_ == 1);
    placeFixedColumns();
    row_ = std::clamp(row_, 0, std::max(rows() - 1, 0));
    moveSelectionToCurrent();
}

void Grid::setFixedCols(int fixedCols) {
    fixedCols_ = std::clamp(fixedCols, 0, cols());
    model_->everythingChanged();
    if (fixedCols_ > 0 && !fixedView_) {
        fixedView_ = new QTableView(this);
        fixedView_->setObjectName("fixedColumns");
        fixedView_->setModel(model_);
        fixedView_->setSelectionModel(selectionModel());
        fixedView_->setFocusPolicy(Qt::NoFocus);
        fixedView_->setAttribute(Qt::WA_TransparentForMouseEvents);
        fixedView_->setFrameShape(QFrame::NoFrame);
        fixedView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        fixedView_->setWordWrap(false);
        fixedView_->setCornerButtonEnabled(false);
        fixedView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        fixedView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        fixedView_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        fixedView_->verticalHeader()->hide();
        fixedView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        fixedView_->verticalHeader()->setMinimumSectionSize(1);
        fixedView_->horizontalHeader()->setSectionsClickable(false);
        fixedView_->horizontalHeader()->setHighlightSections(false);
        fixedView_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
        fixedView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        viewport()->stackUnder(fixedView_);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, fixedView_->verticalScrollBar(),
                &QScrollBar::setValue);
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, &Grid::placeFixedColumns);
        connect(model_, &QAbstractItemModel::columnsInserted, this, &Grid::placeFixedColumns);
        connect(model_, &QAbstractItemModel::modelReset, this, &Grid::placeFixedColumns);
    }
    placeFixedColumns();
}

void Grid::placeFixedColumns() {
    if (!fixedView_)
        return;
    fixedView_->setVisible(fixedCols_ > 0);
    if (fixedCols_ == 0)
        return;
    int width = 0;
    for (int c = 0; c < cols(); ++c) {
        fixedView_->setColumnHidden(c, c >= fixedCols_);
        if (c < fixedCols_) {
            fixedView_->setColumnWidth(c, columnWidth(c));
            width += columnWidth(c);
        }
    }
    fixedView_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    const bool header = !horizontalHeader()->isHidden();
    fixedView_->horizontalHeader()->setVisible(header);
    fixedView_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    const int top = header ? horizontalHeader()->height() : 0;
    fixedView_->setGeometry(frameWidth(), frameWidth(), std::min(width, viewport()->width()),
                            viewport()->height() + top);
    fixedView_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void Grid::updateGeometries() {
    QTableView::updateGeometries();
    placeFixedColumns();
}

void Grid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!fixedView_ || fixedCols_ == 0 || !index.isValid()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    QScrollBar* sideways = horizontalScrollBar();
    const int before = sideways->value();
    QTableView::scrollTo(index, hint);
    if (index.column() < fixedCols_) {
        sideways->setValue(before); // always in view
        return;
    }
    const int hidden = fixedView_->width() - columnViewportPosition(index.column());
    if (hidden > 0)
        sideways->setValue(sideways->value() - hidden);
}

bool Grid::validCell(int row, int col) const {
    return row >= 0 && col >= 0 && col < cols() && row < rows();
}

bool Grid::writableCell(int row, int col) {
    if (row < 0 || col < 0 || col >= cols() || row >= kMaxRows)
        return false;
    ensureRows(row + 1);
    return true;
}

const Grid::CellFormat* Grid::format(int row, int col) const {
    const auto found = formats_.constFind(key(row, col));
    return found == formats_.constEnd() ? nullptr : &found.value();
}

Grid::CellFormat& Grid::formatForWrite(int row, int col) {
    return formats_[key(row, col)];
}

QFont Grid::defaultFont(int row) const {
    QFont f = font();
    if (isHeaderRow(row))
        f.setBold(true);
    return f;
}

void Grid::cellChanged(int row, int col) {
    model_->cellChanged(row, col);
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
        setCurrentIndex(model_->index(row_ - fixedRows_, col_));
    else
        setCurrentIndex({});
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
    if (!validCell(row, col) || row >= texts_.size())
        return {};
    const QStringList& cells = texts_.at(row);
    return col < cells.size() ? cells.at(col) : QString();
}

void Grid::setText(int row, int col, const QString& text) {
    if (!writableCell(row, col))
        return;
    if (texts_.size() <= row) {
        if (text.isEmpty())
            return;
        texts_.resize(row + 1);
    }
    QStringList& cells = texts_[row];
    if (cells.size() <= col) {
        if (text.isEmpty())
            return;
        cells.resize(col + 1);
    }
    if (cells.at(col) == text)
        return;
    cells[col] = text;
    cellChanged(row, col);
}

QStringList Grid::rowTexts(int row) const {
    QStringList texts;
    texts.reserve(cols());
    for (int c = 0; c < cols(); ++c)
        texts.append(text(row, c));
    return texts;
}

void Grid::setRowTexts(int row, const QStringList& texts) {
    if (!writableCell(row, 0))
        return;
    if (texts_.size() <= row)
        texts_.resize(row + 1);
    QStringList& cells = texts_[row];
    cells = texts.mid(0, cols());
    if (!isHeaderRow(row) && cols() > 0) {
        emit model_->dataChanged(model_->index(row - fixedRows_, 0),
                                 model_->index(row - fixedRows_, cols() - 1));
        return;
    }
    if (cols() > 0)
        emit model_->headerDataChanged(Qt::Horizontal, 0, cols() - 1);
}

void Grid::setDataRows(const QList<QStringList>& rows) {
    const int total = std::min(fixedRows_ + int(rows.size()), int(kMaxRows));
    model_->beginResetModel();
    texts_.resize(fixedRows_);
    dropRowsFrom(fixedRows_);
    texts_.reserve(total);
    for (int r = fixedRows_; r < total; ++r)
        texts_.append(rows.at(r - fixedRows_).mid(0, cols()));
    rows_ = std::max(total, fixedRows_);
    model_->endResetModel();
    row_ = std::clamp(row_, 0, std::max(rows_ - 1, 0));
    moveSelectionToCurrent();
}

bool Grid::isRowEmpty(int row) const {
    if (row < 0 || row >= texts_.size())
        return true;
    for (int c = 0; c < cols() && c < texts_.at(row).size(); ++c)
        if (!texts_.at(row).at(c).isEmpty())
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
    placeFixedColumns();
}

int Grid::rowHeightTwips() const {
    return pixelsToTwips(verticalHeader()->defaultSectionSize(), this);
}

void Grid::setAlignment(int row, int col, Qt::Alignment alignment) {
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    if (!writableCell(row, col))
        return;
    formatForWrite(row, col).alignment = alignment;
    cellChanged(row, col);
}

Qt::Alignment Grid::alignment(int row, int col) const {
    if (const CellFormat* f = format(row, col); f && f->alignment)
        return *f->alignment;
    if (isHeaderRow(row))
        return Qt::AlignCenter;
    const auto column = columnAlignments_.constFind(col);
    return column == columnAlignments_.constEnd() ? (Qt::AlignLeft | Qt::AlignVCenter) : column.value();
}

void Grid::setColumnAlignment(int col, Qt::Alignment alignment) {
    if (col < 0 || col >= cols())
        return;
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    columnAlignments_.insert(col, alignment);
    for (auto it = formats_.begin(); it != formats_.end(); ++it)
        if (int(it.key() & 0xffffffffu) == col && !isHeaderRow(int(it.key() >> 32)))
            it->alignment.reset();
    if (rows() > fixedRows_)
        emit model_->dataChanged(model_->index(0, col), model_->index(rows() - fixedRows_ - 1, col));
}

void Grid::setBold(int row, int col, bool bold) {
    if (!writableCell(row, col))
        return;
    QFont f = cellFont(row, col);
    f.setBold(bold);
    formatForWrite(row, col).font = f;
    cellChanged(row, col);
}

bool Grid::isBold(int row, int col) const {
    if (const CellFormat* f = format(row, col); f && f->font)
        return f->font->bold();
    return isHeaderRow(row);
}

void Grid::setCellFont(int row, int col, const QFont& font) {
    if (!writableCell(row, col))
        return;
    formatForWrite(row, col).font = font;
    cellChanged(row, col);
}

QFont Grid::cellFont(int row, int col) const {
    if (const CellFormat* f = format(row, col); f && f->font)
        return *f->font;
    return defaultFont(row);
}

void Grid::setFontSize(int row, int col, qreal points) {
    if (points <= 0 || !writableCell(row, col))
        return;
    QFont f = cellFont(row, col);
    f.setPointSizeF(points);
    formatForWrite(row, col).font = f;
    cellChanged(row, col);
}

void Grid::setBackColor(int row, int col, const QColor& color) {
    if (!writableCell(row, col))
        return;
    formatForWrite(row, col).back = color;
    cellChanged(row, col);
}

QColor Grid::backColor(int row, int col) const {
    if (const CellFormat* f = format(row, col); f && f->back.isValid())
        return f->back;
    if (validCell(row, col) && !isHeaderRow(row) && col < fixedCols_)
        return palette().button().color();
    return palette().base().color();
}

void Grid::setForeColor(int row, int col, const QColor& color) {
    if (!writableCell(row, col))
        return;
    formatForWrite(row, col).fore = color;
    cellChanged(row, col);
}

QColor Grid::foreColor(int row, int col) const {
    if (const CellFormat* f = format(row, col); f && f->fore.isValid())
        return f->fore;
    return palette().text().color();
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
    const QModelIndex index = model_->index(row - fixedRows_, col);
    if (ensureVisible)
        scrollTo(index);
    const QRect inViewport(columnViewportPosition(col), rowViewportPosition(row - fixedRows_),
                           columnWidth(col), rowHeight(row - fixedRows_));
    return inViewport.translated(viewport()->mapTo(this, QPoint(0, 0)));
}

void Grid::clearCells() {
    texts_.clear();
    formats_.clear();
    model_->everythingChanged();
}

void Grid::clearData() {
    texts_.resize(std::min(int(texts_.size()), fixedRows_));
    dropRowsFrom(fixedRows_); // the header's formatting stays
    model_->everythingChanged();
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
        QTableView::keyPressEvent(event);
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
