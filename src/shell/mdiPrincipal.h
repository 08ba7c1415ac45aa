#pragma once
// The frame window "Korvex": the main window and every editor are child windows of its MDI area.
// Closing it asks "En Realidad Desea Salir de Korvex...?"; only Yes closes it, and then every
// window closes with it (an editor that keeps itself open, to save its changes, keeps the frame).

#include "ui/WindowRegistry.h"

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace korvex::shell {

class frmPrincipal;

class mdiPrincipal : public QMainWindow {
    Q_OBJECT
public:
    mdiPrincipal(const QString& rootFolder, ui::WindowRegistry& registry, QWidget* parent = nullptr);
    ~mdiPrincipal() override;

    frmPrincipal* principal() const { return principal_; }
    QMdiArea* mdiArea() const { return area_; }

    // Shows a child window in the MDI area, or brings it to the front.
    void showChild(QWidget* window);
    void raiseChild(QWidget* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // A menu of the actions features registered for it; left out while it has none.
    void addRegisteredMenu(const QString& name, const QString& caption, const QString& objectName);
    ui::WindowContext menuContext() const;
    void placeChild(QMdiSubWindow* sub, const QSize& wanted);
    bool closeEditors();

    ui::WindowRegistry& registry_;
    QMdiArea* area_;
    frmPrincipal* principal_;
    QMdiSubWindow* principalWindow_;
    QLabel* lblProyecto_;
};

} // namespace korvex::shell
