#pragma once
// A grid column in which the user marks rows ("*") to act on them, as the copy windows do: Enter or
// a double click toggles the current row's mark, T marks every row, B clears every mark. Rows 1 to
// rowCount() take marks, those markable() refuses excepted. Owned by its grid.

#include <QObject>
#include <functional>

namespace korvex::ui {

class Grid;

class MarkedRows : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kMarca = "*";

    // markable empty: every row up to rowCount() takes a mark.
    MarkedRows(Grid* grid, int column, std::function<int()> rowCount,
               std::function<bool(int row)> markable = {});
    void setMarkPointSize(qreal points) { markPointSize_ = points; } // 0 keeps the grid's font
    void setHomeAfterAll(bool home) { homeAfterAll_ = home; }        // back to row 1 after T or B

    bool canMark(int row) const;
    bool isMarked(int row) const;
    void toggle(int row);
    void setAll(bool marked);

    // Enter, T and B as above; false for any other key.
    bool handleKey(int key);

private:
    void setMark(int row, bool marked);

    Grid* grid_;
    int column_;
    std::function<int()> rowCount_;
    std::function<bool(int row)> markable_;
    qreal markPointSize_ = 0;
    bool homeAfterAll_ = false;
};

// A key without Ctrl, Alt or Meta: the copy windows' letter keys act only then.
bool isPlainKey(Qt::KeyboardModifiers modifiers);

} // namespace korvex::ui
