#pragma once
// "Copiar Análisis": the analysis of one item, of this project or of another project under the
// root, copied onto items of this project. The project of origin is chosen in cboOrigen (P puts
// the focus there); the source item is the current row of msfgOrigen, whose Enter passes to the
// targets; in msfgDestino Enter or a double click marks a target, T marks all, B clears; R and A
// choose replacing or adding the lines; F1 goes from one grid to the other; I copies; Esc closes.
// The status line lblEstado counts the items and lines written; a failed copy writes nothing.

#include "analysis/AnalysisCopy.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace korvex::ui {
class Grid;
class MarkedRows;
} // namespace korvex::ui

namespace korvex::analysis {

class frmCopiarAnalisis : public QWidget {
    Q_OBJECT
public:
    enum SourceColumn { kColCodigo = 0, kColItem, kColDescripcion, kColUnidad };
    enum TargetColumn { kColCopiar = 0 }; // then code, item, description, unit

    explicit frmCopiarAnalisis(const ui::WindowContext& context, QWidget* parent = nullptr);

    bool isLoaded() const { return loaded_; }
    ui::Grid* sourceGrid() const { return msfgOrigen_; }
    ui::Grid* targetGrid() const { return msfgDestino_; }
    QString statusText() const;

    // Asked before every copy with the targets: a refusal ("" lets the copy go on). The opener
    // uses it to stop a copy that an editor open on a target would undo when it saves.
    using CopyGuard = std::function<QString(const QString& folder, const std::vector<ItemRef>& targets)>;
    void setCopyGuard(CopyGuard guard) { guard_ = std::move(guard); }

    void selectSourceProject(int index); // index in cboOrigen; 0 is this project
    void toggleMark(int row);
    void markAll(bool marked);
    void copy();

private:
    void loadSource();
    void updateSourceCaption();
    void onSourceKey(int key, Qt::KeyboardModifiers modifiers);
    void onTargetKey(int key, Qt::KeyboardModifiers modifiers);
    bool commonKey(int key);
    std::vector<ItemRef> markedTargets() const;

    QString folder_;
    QString rootFolder_;
    QStringList sourceFolders_; // by cboOrigen index
    store::Database project_;
    store::Database other_; // open while another project is the origin
    bool sameProject_ = true;
    std::vector<BudgetItem> sourceItems_; // msfgOrigen row r shows sourceItems_[r - 1]
    std::vector<BudgetItem> targetItems_; // likewise msfgDestino
    CopyGuard guard_;
    bool loaded_ = false;

    QComboBox* cboOrigen_ = nullptr;
    ui::Grid* msfgOrigen_ = nullptr;
    ui::Grid* msfgDestino_ = nullptr;
    ui::MarkedRows* marks_ = nullptr;
    QLabel* lblOrigen_ = nullptr;
    QRadioButton* optReemplazar_ = nullptr;
    QRadioButton* optAgregar_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    QPushButton* cmdCopiar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace korvex::analysis
