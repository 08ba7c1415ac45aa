#include "ui/CellEditor.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace korvex::ui {

namespace {

bool isPrintable(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

std::optional<EditorKey> editorKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EditorKey::Enter;
    case Qt::Key_Left:
        return EditorKey::Left;
    case Qt::Key_Right:
        return EditorKey::Right;
    case Qt::Key_Up:
        return EditorKey::Up;
    case Qt::Key_Down:
        return EditorKey::Down;
    default:
        return std::nullopt;
    }
}

QList<int> typedColumns(const Grid& grid, const CellEditRules& rules) {
    if (!rules.columns.isEmpty())
        return rules.columns;
    QList<int> all;
    for (int c = 0; c < grid.cols(); ++c)
        all.append(c);
    return all;
}

} // namespace

CellEditor::CellEditor(QWidget* window) : QObject(window), window_(window), edit_(new QLineEdit(window)) {
    edit_->setObjectName("txtIngreso");
    edit_->setContextMenuPolicy(Qt::NoContextMenu);
    edit_->setFrame(false);
    edit_->setStyleSheet("QLineEdit#txtIngreso { border: 1px solid palette(highlight); padding: 0 2px; }");
    edit_->hide();
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textEdited, this, &CellEditor::onTextEdited);
}

CellEditor::~CellEditor() = default;

void CellEditor::attach(Grid* grid, CellEditRules rules) {
    if (!grid || rules_.contains(grid))
        return;
    rules_.insert(grid, std::move(rules));
    grid->installEventFilter(this);
    connect(grid, &Grid::doubleClick, this, [this, grid] { onGridDoubleClick(grid); });
    connect(grid, &QObject::destroyed, this, [this, grid] { rules_.remove(grid); });
}

CellEditRules& CellEditor::rules(Grid* grid) {
    return rules_[grid];
}

bool CellEditor::isEditing() const {
    return !edit_->isHidden();
}

bool CellEditor::isListVisible() const {
    return list_ && !list_->isHidden();
}

bool CellEditor::canType(Grid* grid, int row, int col) const {
    const auto found = rules_.constFind(grid);
    if (found == rules_.constEnd() || row < grid->fixedRows() || col < 0 || col >= grid->cols())
        return false;
    if (found->canType)
        return found->canType(row, col);
    return typedColumns(*grid, *found).contains(col);
}

bool CellEditor::canEditExisting(Grid* grid, int row, int col) const {
    const auto found = rules_.constFind(grid);
    if (found == rules_.constEnd() || row < grid->fixedRows())
        return false;
    if (found->canEditExisting)
        return found->canEditExisting(row, col);
    return canType(grid, row, col) && !grid->text(row, col).isEmpty();
}

bool CellEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress)
            return handleEditorKey(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut)
            handleEditorFocusOut(static_cast<QFocusEvent*>(event));
        return false;
    }
    if (list_ && watched == list_) {
        if (event->type() == QEvent::KeyPress)
            return handleListKey(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut && !closing_ && !focusIsInEditorOrList())
            cancel();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* grid = qobject_cast<Grid*>(watched);
        if (grid && rules_.contains(grid))
            return handleGridKey(grid, static_cast<QKeyEvent*>(event));
    }
    return false;
}

bool CellEditor::handleGridKey(Grid* grid, QKeyEvent* event) {
    if (event->key() == Qt::Key_F12 && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (canEditExisting(grid, grid->row(), grid->col()))
            open(grid, grid->currentText(), true);
        return true;
    }
    if (!isPrintable(event) || !canType(grid, grid->row(), grid->col()))
        return false;
    open(grid, event->text(), false);
    return true;
}

void CellEditor::onGridDoubleClick(Grid* grid) {
    if (canEditExisting(grid, grid->row(), grid->col()))
        open(grid, grid->currentText(), true);
}

void CellEditor::open(Grid* grid, const QString& text, bool existing) {
    if (!grid || grid->row() < grid->fixedRows() || grid->col() >= grid->cols())
        return;
    if (isEditing() && grid_ != grid)
        cancel();
    grid_ = grid;
    editingExisting_ = existing;
    hideList();
    placeOverCell();
    edit_->setFont(grid->cellFont(grid->row(), grid->col()));
    edit_->setText(text);
    edit_->setCursorPosition(text.size());
    edit_->show();
    edit_->raise();
    edit_->setFocus(Qt::OtherFocusReason);
    emit opened(grid, grid->row(), grid->col());
    if (!text.isEmpty())
        onTextEdited(text);
}

void CellEditor::placeOverCell() {
    const QRect cell = grid_->cellRect(grid_->row(), grid_->col());
    QWidget* parent = edit_->parentWidget();
    const QPoint topLeft = parent->isAncestorOf(grid_)
                               ? grid_->mapTo(parent, cell.topLeft())
                               : parent->mapFromGlobal(grid_->mapToGlobal(cell.topLeft()));
    edit_->setGeometry(QRect(topLeft, cell.size()));
}

bool CellEditor::handleEditorKey(QKeyEvent* event) {
    if (!grid_)
        return false;
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return true;
    }
    const auto key = editorKey(event->key());
    if (!key)
        return false;
    if (*key == EditorKey::Down && isListVisible() && list_->rows() > 0) {
        list_->setCell(0, 0);
        list_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    const CellEditRules& rule = rules_[grid_];
    const KeyAction action = rule.keyAction
                                 ? rule.keyAction(*key, editingExisting_, grid_->row(), grid_->col())
                                 : defaultKeyAction(*key, editingExisting_);
    switch (action) {
    case KeyAction::Pass:
        return false;
    case KeyAction::Ignore:
        return true;
    case KeyAction::Discard:
        cancel();
        return true;
    case KeyAction::Commit:
        confirmAndMove(*key, {});
        return true;
    }
    return true;
}

KeyAction CellEditor::defaultKeyAction(EditorKey key, bool editingExisting) {
    if (key == EditorKey::Enter)
        return KeyAction::Commit;
    if (!editingExisting)
        return KeyAction::Commit;
    return key == EditorKey::Down ? KeyAction::Ignore : KeyAction::Pass;
}

std::optional<CellPosition> CellEditor::defaultNextCell(const Grid& grid, const CellEditRules& rules,
                                                        EditorKey key, int row, int col) {
    const QList<int> columns = typedColumns(grid, rules);
    const int firstRow = grid.fixedRows();
    const int lastRow = rules.lastRow < 0 ? grid.rows() - 1 : std::min(rules.lastRow, Grid::kMaxRows - 1);
    const bool canGoDown = row < lastRow || (rules.growRows && row + 1 < Grid::kMaxRows);
    switch (key) {
    case EditorKey::Enter:
    case EditorKey::Right: {
        for (int c : columns)
            if (c > col)
                return CellPosition{row, c};
        if (columns.isEmpty() || !canGoDown)
            return std::nullopt;
        return CellPosition{row + 1, columns.first()};
    }
    case EditorKey::Left: {
        for (auto it = columns.crbegin(); it != columns.crend(); ++it)
            if (*it < col)
                return CellPosition{row, *it};
        return std::nullopt;
    }
    case EditorKey::Up:
        return row > firstRow ? std::optional(CellPosition{row - 1, col}) : std::nullopt;
    case EditorKey::Down:
        return canGoDown ? std::optional(CellPosition{row + 1, col}) : std::nullopt;
    }
    return std::nullopt;
}

void CellEditor::writeValue(const QString& picked) {
    Grid* grid = grid_;
    if (!grid)
        return;
    const int row = grid->row();
    const int col = grid->col();
    const CellEditRules& rule = rules_[grid];
    const QString text = edit_->text();
    if (rule.commit) {
        rule.commit(*grid, row, col, text, picked);
    } else {
        grid->setText(row, col, rule.format ? rule.format(row, col, text) : text);
        if (rule.centredColumns.contains(col))
            grid->setAlignment(row, col, Qt::AlignCenter);
    }
    emit committed(grid, row, col);
}

void CellEditor::confirmAndMove(EditorKey key, const QString& picked) {
    Grid* grid = grid_;
    if (!grid)
        return;
    closing_ = true;
    writeValue(picked);
    if (grid_ == grid) {
        const CellEditRules& rule = rules_[grid];
        const int row = grid->row();
        const int col = grid->col();
        const auto next =
            rule.nextCell ? rule.nextCell(key, row, col) : defaultNextCell(*grid, rule, key, row, col);
        if (next)
            grid->setCell(next->row, next->col);
    }
    closing_ = false;
    finish();
}

void CellEditor::commit() {
    if (!grid_ || edit_->isHidden())
        return;
    closing_ = true;
    writeValue({});
    closing_ = false;
    finish();
}

void CellEditor::cancel() {
    finish();
}

void CellEditor::finish() {
    const bool wasOpen = !edit_->isHidden();
    closing_ = true;
    const bool hadFocus = focusIsInEditorOrList();
    if (grid_ && hadFocus)
        grid_->setFocus(Qt::OtherFocusReason);
    edit_->hide();
    hideList();
    edit_->clear();
    editingExisting_ = false;
    closing_ = false;
    if (wasOpen)
        emit closed();
}

void CellEditor::handleEditorFocusOut(QFocusEvent* event) {
    if (closing_ || edit_->isHidden())
        return;
    if (list_ && QApplication::focusWidget() == list_)
        return;
    // Switching to another program is not leaving the cell: the editor waits for the user.
    if (event->reason() == Qt::ActiveWindowFocusReason && !QApplication::activeWindow())
        return;
    if (event->reason() == Qt::PopupFocusReason)
        return;
    cancel();
}

// The window's own focus widget, not the application's: while the window is not active (a message
// box just closed without giving the activation back) keys still reach that widget, and a hidden
// editor left holding it would take the next Enter and write its empty text into a cell.
bool CellEditor::focusIsInEditorOrList() const {
    const QWidget* focus = edit_->window()->focusWidget();
    return focus && (focus == edit_ || (list_ && focus == list_));
}

void CellEditor::onTextEdited(const QString& text) {
    if (!grid_ || edit_->isHidden())
        return;
    const CellEditRules& rule = rules_[grid_];
    if (!rule.lookup)
        return;
    const auto matches = rule.lookup(grid_->row(), grid_->col(), text);
    if (!matches)
        return;
    if (matches->isEmpty())
        hideList();
    else
        showList(*matches);
}

void CellEditor::ensureList() {
    if (list_)
        return;
    list_ = new Grid(0, 2, edit_->parentWidget());
    list_->setObjectName("msfgIngreso");
    list_->setFixedRows(0);
    list_->setRows(0);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setShowGrid(false);
    list_->setFocusPolicy(Qt::StrongFocus);
    list_->hide();
    list_->installEventFilter(this);
    connect(list_, &Grid::doubleClick, this, &CellEditor::pickFromList);
}

void CellEditor::showList(const QList<QStringList>& matches) {
    ensureList();
    const int n = std::min<int>(matches.size(), kMaxListRows);
    list_->clearCells();
    list_->setRows(n);
    for (int r = 0; r < n; ++r) {
        const QStringList& match = matches.at(r);
        list_->setText(r, 0, match.value(0));
        list_->setText(r, 1, match.value(1));
    }
    const int width = edit_->width();
    list_->setColumnWidth(0, width);
    list_->setColumnWidth(1, width);
    const int h = list_->verticalHeader()->defaultSectionSize();
    int height = 0;
    if (n <= 2)
        height = n * 2 * h;
    else if (n <= 5)
        height = n * h + twipsToPixels(200, list_);
    else
        height = 11 * h;
    // The list stays within the grid, so it never leaves the window nor covers its buttons: under
    // the cell when it fits there, else above it, else on the roomier side, cut to fit (it scrolls).
    QWidget* parent = list_->parentWidget();
    const QPoint gridTopLeft = parent->isAncestorOf(grid_)
                                   ? grid_->mapTo(parent, QPoint(0, 0))
                                   : parent->mapFromGlobal(grid_->mapToGlobal(QPoint(0, 0)));
    const QRect area = QRect(gridTopLeft, grid_->size()).intersected(parent->rect());
    const int below = area.bottom() + 1 - (edit_->y() + edit_->height());
    const int above = edit_->y() - area.top();
    int y = edit_->y() + edit_->height();
    if (height > below) {
        if (height <= above) {
            y = edit_->y() - height;
        } else if (above > below) {
            height = std::max(above, h);
            y = edit_->y() - height;
        } else {
            height = std::max(below, h);
        }
    }
    const int x = std::clamp(edit_->x(), 0, std::max(0, parent->width() - width));
    list_->setGeometry(x, y, width, height);
    list_->setCell(0, 0);
    list_->show();
    list_->raise();
    edit_->setFocus(Qt::OtherFocusReason);
}

void CellEditor::hideList() {
    if (list_)
        list_->hide();
}

bool CellEditor::handleListKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pickFromList();
        return true;
    case Qt::Key_Escape:
        edit_->setFocus(Qt::OtherFocusReason);
        edit_->setCursorPosition(edit_->text().size());
        return true;
    default:
        return false;
    }
}

void CellEditor::pickFromList() {
    if (!list_ || !grid_ || edit_->isHidden())
        return;
    const int row = list_->row();
    const QString text = list_->text(row, 0);
    if (text.isEmpty())
        return;
    const QString picked = list_->text(row, 1);
    edit_->setText(text);
    confirmAndMove(EditorKey::Enter, picked);
}

} // namespace korvex::ui
