#include "ui/MarkedRows.h"

#include "ui/Grid.h"

namespace korvex::ui {

MarkedRows::MarkedRows(Grid* grid, int column, std::function<int()> rowCount,
                       std::function<bool(int row)> markable)
    : QObject(grid), grid_(grid), column_(column), rowCount_(std::move(rowCount)),
      markable_(std::move(markable)) {
    connect(grid_, &Grid::doubleClick, this, [this] { toggle(grid_->row()); });
}

bool MarkedRows::canMark(int row) const {
    return row >= 1 && row <= rowCount_() && (!markable_ || markable_(row));
}

bool MarkedRows::isMarked(int row) const {
    return canMark(row) && grid_->text(row, column_) == kMarca;
}

void MarkedRows::setMark(int row, bool marked) {
    grid_->setText(row, column_, marked ? kMarca : "");
    if (markPointSize_ > 0)
        grid_->setFontSize(row, column_, markPointSize_);
    grid_->setAlignment(row, column_, Qt::AlignCenter);
}

void MarkedRows::toggle(int row) {
    if (canMark(row))
        setMark(row, grid_->text(row, column_).isEmpty());
}

void MarkedRows::setAll(bool marked) {
    const int count = rowCount_();
    for (int row = 1; row <= count; ++row)
        if (canMark(row))
            setMark(row, marked);
    if (homeAfterAll_)
        grid_->setCell(1, column_);
}

bool MarkedRows::handleKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        toggle(grid_->row());
        return true;
    case Qt::Key_T:
        setAll(true);
        return true;
    case Qt::Key_B:
        setAll(false);
        return true;
    default:
        return false;
    }
}

bool isPlainKey(Qt::KeyboardModifiers modifiers) {
    return !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace korvex::ui
