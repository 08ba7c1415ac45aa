#pragma once
// "Buscar": which budget items use a resource. The distinct materials, equipment and labour of
// the project are listed one kind at a time; Enter (or a double click) on a resource lists the
// items whose analyses hold it, under a sentence naming it. The window only reads the project.

#include "analysis/AnalysisKinds.h"
#include "analysis/ResourceKeys.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace korvex::ui {
class Grid;
}

namespace korvex::analysis {

class frmBuscar : public QWidget {
    Q_OBJECT
public:
    explicit frmBuscar(const ui::WindowContext& context, QWidget* parent = nullptr);
    ~frmBuscar() override;

    void BuscarRubros(); // for the current row of the visible list
    void Volver();       // back from the results to the lists
    void CambiarGrilla();
    void Salir();

    Kind visibleKind() const { return visible_; }
    bool mostrandoRubros() const { return mostrandoRubros_; }
    ui::Grid* list(Kind kind) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static int slot(Kind kind); // materials 0, equipment 1, labour 2
    void buildLayout();
    void writeResultHeader();
    void fillLists();
    bool currentRowHasResource() const;
    void seleccionar();
    void onListKey(int key, Qt::KeyboardModifiers modifiers);
    void onResultKey(int key, Qt::KeyboardModifiers modifiers);
    void focusList(int row, int col);

    ui::WindowContext context_;
    store::Database db_;
    Kind visible_ = Kind::Material;
    bool mostrandoRubros_ = false;
    std::array<QList<ResourceKey>, 3> keys_;

    std::array<ui::Grid*, 3> lists_{};
    QStackedWidget* stack_ = nullptr;
    ui::Grid* msfgDatosPres_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* cmdSeleccionar_ = nullptr;
    QPushButton* cmdCambiar_ = nullptr;
};

} // namespace korvex::analysis
