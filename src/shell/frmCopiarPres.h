#pragma once
// "Copiar Presupuestos": every budget item of the source project (txtDirectorio), of which the
// user marks the ones to copy into the current project. Enter or a double click toggles a row's
// mark, T marks all, B clears all, I copies the marked items with all their lines (the marks stay),
// Esc closes. Both project databases stay open while the window is open. The status line lblEstado
// says how many items and lines a copy added; a failed copy adds nothing and says why.

#include "shell/ops/CopyItems.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex::ui {
class Grid;
class MarkedRows;
} // namespace korvex::ui

namespace korvex::shell {

class frmCopiarPres : public QWidget, public ui::ReopenableWindow {
    Q_OBJECT
public:
    static constexpr int kDesignRows = 200;
    enum Column { kColCopiar = 0, kColCodigo, kColItem, kColDescripcion, kColUnidad };

    // The source folder comes from the context's argument "txtDirectorio".
    explicit frmCopiarPres(const ui::WindowContext& context, QWidget* parent = nullptr);

    // False when a project database could not be opened (the user has been told why).
    bool isLoaded() const { return loaded_; }
    int sourceItemCount() const { return static_cast<int>(items_.size()); }
    ui::Grid* grid() const { return msfgCopiar_; }
    QString statusText() const;
    const ResultadoCopia& lastCopy() const { return lastCopy_; }

    // Asked before every copy: a refusal ("" lets the copy go on). The opener uses it to stop a
    // copy that a window open on the destination would undo when it saves.
    using CopyGuard = std::function<QString(const QString& destinationFolder)>;
    void setCopyGuard(CopyGuard guard) { guard_ = std::move(guard); }

    void toggleMark(int row);
    void markAll();
    void clearAll();
    void copyMarked();

    // Another source or destination: the list is loaded again from it.
    void reopen(const ui::WindowContext& context) override;

private:
    void IniciarGrilla();
    void load(const ui::WindowContext& context);
    void fillGrid();
    bool holdsItem(int row) const;
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);

    QString destinationFolder_;
    QString sourceFolder_;
    store::Database destination_;
    store::Database source_;
    std::vector<SourceItem> items_; // row r shows items_[r - 1]
    store::LoadedRows listed_;      // the source's items as listed, checked before a copy
    ResultadoCopia lastCopy_;
    CopyGuard guard_;
    bool loaded_ = false;

    QLineEdit* txtDirectorio_ = nullptr;
    ui::Grid* msfgCopiar_ = nullptr;
    ui::MarkedRows* marks_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    QPushButton* cmdCopiar_ = nullptr;
    QPushButton* cmdBorrar_ = nullptr;
    QPushButton* cmdTodo_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace korvex::shell
