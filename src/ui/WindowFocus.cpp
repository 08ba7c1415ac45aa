#include "ui/WindowFocus.h"

#include "ui/Grid.h"

#include <QLineEdit>

namespace korvex::ui {

namespace {

bool takesFocus(const QWidget* widget) {
    return widget->isVisibleTo(widget->window()) && widget->isEnabled() &&
           widget->focusPolicy() != Qt::NoFocus;
}

// The cell editor of every grid window is a line edit of this name laid over the cell.
bool isCellEditor(const QWidget* widget) {
    return widget->objectName() == QLatin1String("txtIngreso") ||
           widget->objectName() == QLatin1String("msfgIngreso");
}

} // namespace

Grid* keyGrid(QWidget* window) {
    for (Grid* grid : window->findChildren<Grid*>())
        if (grid->fixedRows() > 0 && !isCellEditor(grid) && takesFocus(grid))
            return grid;
    return nullptr;
}

bool focusKeyGrid(QWidget* window) {
    Grid* key = keyGrid(window);
    if (QWidget* focused = window->focusWidget();
        focused && window->isAncestorOf(focused) && takesFocus(focused)) {
        if (isCellEditor(focused))
            return true;
        if (auto* grid = qobject_cast<Grid*>(focused); grid && grid->fixedRows() > 0)
            return true;
        if (auto* box = qobject_cast<QLineEdit*>(focused); !key && box && !box->isReadOnly())
            return true;
    }
    if (Grid* grid = key) {
        if (grid->row() < grid->fixedRows() && grid->rows() > grid->fixedRows())
            grid->setCell(grid->fixedRows(), grid->col());
        grid->setFocus(Qt::OtherFocusReason);
        return true;
    }
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
        if (!box->isReadOnly() && !isCellEditor(box) && takesFocus(box)) {
            box->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

} // namespace korvex::ui
