#pragma once
// "Restaurar respaldo": the open project's backups, newest first, and putting one of them back.
// Refused while another window works on the project (it would go on with the replaced file) and
// for a project opened read-only.

#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace korvex::shell {

class frmRespaldos : public QWidget {
    Q_OBJECT
public:
    frmRespaldos(const ui::WindowContext& context, ui::WindowRegistry& registry, QWidget* parent = nullptr);

    QTableWidget* list() const { return msfgRespaldos_; }
    // Restores the selected backup after the user confirms; false when nothing was restored.
    bool restoreSelected();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();

    ui::WindowContext context_;
    ui::WindowRegistry& registry_;
    QTableWidget* msfgRespaldos_;
    QPushButton* cmdRestaurar_;
    QLabel* lblEstado_;
};

} // namespace korvex::shell
