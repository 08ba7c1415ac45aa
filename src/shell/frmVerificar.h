#pragma once
// "Verificar proyecto": the project health check shown as a list, one finding per row (kind, code,
// item, detail) under the summary. Enter or a double click on a finding opens the analysis of the
// item concerned. The window only reads the project.

#include "engine/ProjectCheck.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;

namespace korvex::ui {
class Grid;
}

namespace korvex::shell {

class frmVerificar : public QWidget, public ui::ReopenableWindow {
    Q_OBJECT
public:
    // openItem opens the analysis of (code, item); the wiring gives the registry's window.
    using ItemOpener = std::function<void(const QString& code, const QString& item)>;
    frmVerificar(const ui::WindowContext& context, ItemOpener openItem, QWidget* parent = nullptr);

    void reopen(const ui::WindowContext& context) override;
    void Verificar();     // runs the check again and lists its findings
    void AbrirHallazgo(); // opens the item of the current row
    const engine::ResultadoVerificacion& result() const { return result_; }

private:
    void onKey(int key, Qt::KeyboardModifiers modifiers);

    ui::WindowContext context_;
    ItemOpener openItem_;
    engine::ResultadoVerificacion result_;
    ui::Grid* grid_ = nullptr;
    QLabel* lblResumen_ = nullptr;
};

} // namespace korvex::shell
