#pragma once
// Item picker: the budget items of the project, to choose the one whose unit price analysis the
// analysis editor (frmMateriales) opens. The picker stays open behind the editor.

#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace korvex::ui {
class Grid;
}

namespace korvex::budget {

inline constexpr const char* kEditorAnalisis = "frmMateriales";

class frmAnalisis : public QWidget {
    Q_OBJECT
public:
    explicit frmAnalisis(const ui::WindowContext& context, QWidget* parent = nullptr);

    // Enter, double click or cmdSeleccionar: hands the current item to the analysis editor.
    void seleccionar();
    // Reads the items again, keeping the cursor on the same item where it is still listed.
    void recargar();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void construir();
    void cargar();
    void ponerCursor(int fila);
    void volverDelEditor();

    ui::WindowContext context_;
    store::Database db_;
    ui::Grid* msfgAnalisis_ = nullptr;
    QLineEdit* txtCod_ = nullptr;
    QLineEdit* txtItem_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    bool mostrada_ = false;
};

} // namespace korvex::budget
