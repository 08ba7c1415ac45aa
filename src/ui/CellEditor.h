#pragma once
// The floating cell editor `txtIngreso` every grid window edits its cells with. Grids are never
// edited in place: one hidden line edit is laid exactly over the current cell, takes the typing,
// and writes the result into the cell when the user confirms.
//
// Opening (on an attached grid):
//   - a printable character typed on a cell that rules.canType accepts: the editor holds that
//     character, caret after it, editingExisting() false;
//   - F12 or a double click on a cell that rules.canEditExisting accepts (by default: canType and
//     the cell is not ""): the editor holds the cell's text, caret at the end,
//     editingExisting() true, so Left / Right / Up move the caret instead of the cell.
// Keys in the editor:
//   - Esc hides it without writing, the grid takes the focus;
//   - Enter, and the arrows unless rules.keyAction says otherwise: commit (rules.commit, by
//     default the text through rules.format into the cell), then move to rules.nextCell computed
//     from the grid's current cell AFTER the commit (a commit may move the grid itself, as the
//     analysis editor does after a pick from the list), then the grid takes the focus;
//   - by default with editingExisting() false every arrow commits and moves; with it true, Left,
//     Right and Up move the caret and Down does nothing (or enters the list, below).
// Losing the focus (to anything but the drop-down list) hides the editor without writing.
//
// Drop-down list `msfgIngreso` (only when rules.lookup is set): on every change of the text the
// callback is asked for matches; an empty optional leaves the list as it is, a list of rows shows
// them under the editor (column 0 shown, the whole row handed to commit as `picked`). Down in the
// editor enters the list; Enter or a double click on a non-empty row picks it: the editor takes
// column 0, `picked` (DatoLista) takes column 1, and the editor acts as on Enter. Esc in the list
// returns to the editor with the caret at the end. At most kMaxListRows rows are shown.
//
// Typical use, in a window's constructor:
//     editor_ = new ui::CellEditor(this);                 // creates txtIngreso, hidden
//     ui::CellEditRules rules;
//     rules.columns = {0, 1, 2};                           // typed columns, in Enter order
//     rules.format = [](int, int col, const QString& t) { return col == 2 ? formatQty(t) : t; };
//     rules.centredColumns = {1};
//     editor_->attach(msfgMateriales, rules);
//     connect(editor_, &ui::CellEditor::committed, this, [this] { dirty_ = true; });
// The editor is a child of the widget given to the constructor (normally the window), and is
// positioned by mapping the cell into that widget, so grids may sit in nested layouts.

#include "ui/Grid.h"

#include <QHash>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvex::ui {

enum class EditorKey { Enter, Left, Right, Up, Down };

// What a key in the editor does. Pass leaves it to the line edit (caret movement); Ignore
// swallows it; Commit writes and then moves to nextCell; Discard hides without writing.
enum class KeyAction { Pass, Ignore, Commit, Discard };

struct CellPosition {
    int row = 0;
    int col = 0;
    bool operator==(const CellPosition&) const = default;
};

struct CellEditRules {
    // Typed columns in the order Enter visits them. Used by the default canType (data rows only)
    // and by the default nextCell (next typed column, the last wrapping to the first of the next
    // row; Left goes back, none before the first; Up / Down one row, within the data rows).
    QList<int> columns;
    // Data rows a move may reach: 1 .. lastRow; -1 means the grid's last row. When growRows is
    // true a move below the last row adds a row instead of stopping.
    int lastRow = -1;
    bool growRows = false;
    // Columns whose written text is centred by the default commit.
    QList<int> centredColumns;

    std::function<bool(int row, int col)> canType;
    std::function<bool(int row, int col)> canEditExisting;
    // Text as it is written into the cell (0 for a non-numeric number, number formats...).
    std::function<QString(int row, int col, const QString& text)> format;
    // Writes the value. picked is column 1 of the list row picked (DatoLista), or "".
    std::function<void(Grid& grid, int row, int col, const QString& text, const QString& picked)> commit;
    std::function<KeyAction(EditorKey key, bool editingExisting, int row, int col)> keyAction;
    // Where the cell goes after a commit by key; std::nullopt stays put.
    std::function<std::optional<CellPosition>(EditorKey key, int row, int col)> nextCell;
    // Matches for the text typed at (row, col); each match a row of list columns.
    std::function<std::optional<QList<QStringList>>(int row, int col, const QString& text)> lookup;
};

class CellEditor : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxListRows = 99;

    explicit CellEditor(QWidget* window);
    ~CellEditor() override;

    // Starts editing on this grid with these rules; a grid may be attached once.
    void attach(Grid* grid, CellEditRules rules);
    CellEditRules& rules(Grid* grid);

    QLineEdit* lineEdit() const { return edit_; } // txtIngreso
    Grid* list() const { return list_; }          // msfgIngreso, nullptr until first needed
    Grid* activeGrid() const { return grid_; }
    bool isEditing() const;
    bool editingExisting() const { return editingExisting_; }
    bool isListVisible() const;

    // Opens the editor on the grid's current cell, as typing or F12 would (checks skipped).
    void open(Grid* grid, const QString& text, bool existing);
    // Writes the editor's text as a confirming key would, without moving.
    void commit();
    // Hides the editor (and the list) without writing.
    void cancel();

    // The default rule pieces, for windows that extend rather than replace them.
    static KeyAction defaultKeyAction(EditorKey key, bool editingExisting);
    static std::optional<CellPosition> defaultNextCell(const Grid& grid, const CellEditRules& rules,
                                                       EditorKey key, int row, int col);

signals:
    // After a value was written into (row, col) of grid.
    void committed(korvex::ui::Grid* grid, int row, int col);
    void opened(korvex::ui::Grid* grid, int row, int col);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleGridKey(Grid* grid, QKeyEvent* event);
    bool handleEditorKey(QKeyEvent* event);
    bool handleListKey(QKeyEvent* event);
    void handleEditorFocusOut(QFocusEvent* event);
    void onGridDoubleClick(Grid* grid);
    void onTextEdited(const QString& text);
    bool canType(Grid* grid, int row, int col) const;
    bool canEditExisting(Grid* grid, int row, int col) const;
    void writeValue(const QString& picked);
    void confirmAndMove(EditorKey key, const QString& picked);
    void finish();
    void placeOverCell();
    void ensureList();
    void showList(const QList<QStringList>& matches);
    void hideList();
    void pickFromList();
    bool focusIsInEditorOrList() const;

    QWidget* window_;
    QLineEdit* edit_;
    Grid* list_ = nullptr;
    QHash<Grid*, CellEditRules> rules_;
    QPointer<Grid> grid_;
    bool editingExisting_ = false;
    bool closing_ = false;
};

} // namespace korvex::ui
