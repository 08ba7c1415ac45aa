#pragma once
// "Exportar a Excel": the sheets to write (all checked), the file, and the export itself, which
// recalculates the project and writes the workbook whole under a temporary name before it takes
// the file's place.

#include "ui/WindowRegistry.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace korvex::shell {

class frmExportarExcel : public QWidget {
    Q_OBJECT
public:
    explicit frmExportarExcel(const ui::WindowContext& context, QWidget* parent = nullptr);

    // Writes the workbook; true, and the window closes, when it was written.
    bool exportWorkbook();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ui::WindowContext context_;
    QLineEdit* txtArchivo_;
    QList<QCheckBox*> sheets_;
    QLabel* lblEstado_;
};

} // namespace korvex::shell
