#include "ui/GridHistory.h"

#include "ui/Grid.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace korvex::ui {

namespace {

// Text boxes keep their own undo of the text being typed.
bool editsText(const QObject* object) {
    return qobject_cast<const QLineEdit*>(object) || qobject_cast<const QTextEdit*>(object) ||
           qobject_cast<const QPlainTextEdit*>(object) || qobject_cast<const QAbstractSpinBox*>(object);
}

void writeRow(Grid& grid, int row, const QStringList& cells) {
    for (int col = 0; col < grid.cols(); ++col) {
        const QString text = col < cells.size() ? cells[col] : QString();
        if (grid.text(row, col) != text)
            grid.setText(row, col, text);
    }
}

} // namespace

GridHistory::GridHistory(QWidget* window, const QList<Grid*>& grids) : QObject(window), window_(window) {
    for (Grid* grid : grids) {
        grids_.append(grid);
        const auto changed = [this] {
            if (!applying_)
                dirty_ = true;
        };
        QAbstractItemModel* model = grid->model();
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::rowsMoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::layoutChanged, this, changed);
    }
    qApp->installEventFilter(this);
    reset();
}

GridHistory::~GridHistory() {
    qApp->removeEventFilter(this);
}

GridHistory::Rows GridHistory::read(int index) const {
    Rows rows;
    const Grid* grid = grids_[index];
    if (!grid)
        return rows;
    rows.reserve(grid->rows());
    for (int row = 0; row < grid->rows(); ++row) {
        QStringList cells;
        cells.reserve(grid->cols());
        for (int col = 0; col < grid->cols(); ++col)
            cells.append(grid->text(row, col));
        rows.append(cells);
    }
    return rows;
}

void GridHistory::reset() {
    base_.clear();
    for (int i = 0; i < grids_.size(); ++i)
        base_.append(read(i));
    undo_.clear();
    redo_.clear();
    dirty_ = false;
}

bool GridHistory::sameRow(const QStringList& cells, const Grid& grid, int row) const {
    const int cols = std::max(static_cast<int>(cells.size()), grid.cols());
    for (int col = 0; col < cols; ++col) {
        if ((col < cells.size() ? cells[col] : QString()) != grid.text(row, col))
            return false;
    }
    return true;
}

void GridHistory::checkpoint() {
    if (!dirty_)
        return;
    dirty_ = false;
    Step step;
    for (int i = 0; i < grids_.size(); ++i) {
        const Grid* grid = grids_[i];
        if (!grid)
            continue;
        Rows& base = base_[i];
        const int oldCount = static_cast<int>(base.size());
        const int newCount = grid->rows();
        const int common = std::min(oldCount, newCount);
        int first = 0;
        while (first < common && sameRow(base[first], *grid, first))
            ++first;
        if (first == oldCount && first == newCount)
            continue;
        int tail = 0;
        while (tail < common - first && sameRow(base[oldCount - 1 - tail], *grid, newCount - 1 - tail))
            ++tail;
        Block block{i, first, base.mid(first, oldCount - first - tail), {}};
        for (int row = first; row < newCount - tail; ++row) {
            QStringList cells;
            for (int col = 0; col < grid->cols(); ++col)
                cells.append(grid->text(row, col));
            block.after.append(cells);
        }
        base = base.mid(0, first) + block.after + base.mid(oldCount - tail);
        step.append(block);
    }
    if (step.isEmpty())
        return;
    undo_.append(step);
    redo_.clear();
}

void GridHistory::apply(const Step& step, bool forward) {
    applying_ = true;
    for (const Block& block : step) {
        Grid* grid = grids_[block.grid];
        if (!grid)
            continue;
        const Rows& shown = forward ? block.before : block.after;
        const Rows& wanted = forward ? block.after : block.before;
        Rows& base = base_[block.grid];
        Rows rows = base.mid(0, block.start) + wanted + base.mid(block.start + shown.size());
        // Rows after the block keep their text unless the block changes the row count.
        const int last = rows.size() == base.size() ? block.start + static_cast<int>(wanted.size())
                                                    : static_cast<int>(rows.size());
        if (rows.size() != base.size())
            grid->setRows(static_cast<int>(rows.size()));
        for (int row = block.start; row < last; ++row)
            writeRow(*grid, row, rows[row]);
        const int row =
            std::clamp(block.start, grid->fixedRows(), std::max(grid->fixedRows(), grid->rows() - 1));
        grid->setCell(row, grid->col());
    }
    // The window redraws what it derives from the grids; that is part of the restored state.
    emit restored();
    for (const Block& block : step)
        base_[block.grid] = read(block.grid);
    applying_ = false;
    dirty_ = false;
}

void GridHistory::absorb(const std::function<void()>& recompute) {
    checkpoint();
    const bool wasApplying = applying_;
    applying_ = true;
    recompute();
    applying_ = wasApplying;
    for (int i = 0; i < grids_.size(); ++i)
        base_[i] = read(i);
}

bool GridHistory::undo() {
    checkpoint();
    if (undo_.isEmpty())
        return false;
    const Step step = undo_.takeLast();
    redo_.append(step); // before apply(): the window asks canUndo() from restored()
    apply(step, false);
    return true;
}

bool GridHistory::redo() {
    checkpoint();
    if (redo_.isEmpty())
        return false;
    const Step step = redo_.takeLast();
    undo_.append(step);
    apply(step, true);
    return true;
}

bool GridHistory::canUndo() const {
    return dirty_ || !undo_.isEmpty();
}

bool GridHistory::canRedo() const {
    return !redo_.isEmpty();
}

GridHistory* GridHistory::active() {
    QWidget* window = QApplication::activeWindow();
    if (!window)
        return nullptr;
    if (auto* area = window->findChild<QMdiArea*>()) {
        if (QMdiSubWindow* child = area->activeSubWindow(); child && child->widget())
            window = child->widget();
    }
    return window->findChild<GridHistory*>(QString(), Qt::FindDirectChildrenOnly);
}

bool GridHistory::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!window_ || !widget || (widget != window_ && !window_->isAncestorOf(widget)))
        return false;
    if (type == QEvent::KeyPress && !editsText(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool redoKey = key->matches(QKeySequence::Redo) ||
                             (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
        if (key->matches(QKeySequence::Undo) && !redoKey) {
            undo();
            return true;
        }
        if (redoKey) {
            redo();
            return true;
        }
    }
    checkpoint();
    return false;
}

} // namespace korvex::ui
