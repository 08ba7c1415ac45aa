#pragma once
// Undo and redo of what the user changed in a window's grids since it was loaded or last saved.
//
// The history watches the grids' text, not the window's commands: every key press or mouse press
// in the window closes the step of changes made since the previous one, so a cell written, a line
// inserted, deleted or moved, or a percentage applied to a whole column is one step, whatever
// routine made it. A step keeps only the rows that changed (the block between the first and the
// last row that differ; rows shifted by an insertion or deletion count once), so a 20,000-row
// grid costs one copy of its text, shared with the grid's own strings, plus the changed rows.
//
// Ctrl+Z undoes and Ctrl+Y (or Ctrl+Shift+Z) redoes while the focus is in the window, except in a
// text box, which keeps its own undo of the text being typed. Undo writes only grid text: the
// window's hidden copy of what was loaded stays as it was, and the window refreshes what it derives
// from the grids (totals, colours, its own model of the lines) when restored() is emitted.
//
// While restored() is emitted the history already stands at the step restored: canUndo() is false
// exactly when the grids are back at the text of the last reset() (an undo back to the saved
// state), so a window may take its "unsaved changes" from it there.
//
// Figures a window recomputes from the grids (prices and amounts of a recalculation) are no change
// of the user's: absorb() runs such a recomputation without making it a step. The recomputed text
// is taken into the base rather than the derived columns being left out of the history, so that a
// row brought back by an undo (a deleted line) comes back whole, with the figures it showed, and
// the history needs no knowledge of which columns a window derives. An undo then shows the rows it
// restores as they were before the recomputation; the window clears or recomputes its figures on
// restored(), as for any undo.
//
// Use in a window:
//     history_ = new ui::GridHistory(this, {msfgMateriales, msfgTransporte});
//     connect(history_, &ui::GridHistory::restored, this, &frmX::afterUndo);
//     ... after loading and after a successful save: history_->reset();

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QWidget;

namespace korvex::ui {

class Grid;

class GridHistory : public QObject {
    Q_OBJECT
public:
    // Keys and clicks anywhere in window mark the steps; the grids are those whose text is undone.
    GridHistory(QWidget* window, const QList<Grid*>& grids);
    ~GridHistory() override;

    // The grids' current text becomes the base: no step to undo or redo (after loading or saving).
    void reset();
    // Closes the step of the changes made since the previous one, if any.
    void checkpoint();
    // Closes the pending step of the user's changes, runs recompute and takes the text it writes
    // into the base: no step to undo, and the steps before and after it keep their place.
    void absorb(const std::function<void()>& recompute);
    bool undo(); // false when there is nothing to undo
    bool redo();
    bool canUndo() const;
    bool canRedo() const;
    int steps() const { return static_cast<int>(undo_.size()); }

    // The history of the active window (the frame's active child, or the active top-level
    // window); nullptr when it has none. The frame's "Deshacer" and "Rehacer" act on it.
    static GridHistory* active();

signals:
    void restored(); // after an undo or a redo

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Rows = QList<QStringList>;
    struct Block {
        int grid = 0;
        int start = 0; // first row that differs
        Rows before;   // the rows from start that were replaced ...
        Rows after;    // ... and the rows that replaced them
    };
    using Step = QList<Block>;

    Rows read(int grid) const;
    bool sameRow(const QStringList& cells, const Grid& grid, int row) const;
    void apply(const Step& step, bool forward);

    QPointer<QWidget> window_;
    QList<QPointer<Grid>> grids_;
    QList<Rows> base_; // the grids' text when the last step closed
    QList<Step> undo_;
    QList<Step> redo_;
    bool dirty_ = false;
    bool applying_ = false;
};

} // namespace korvex::ui
