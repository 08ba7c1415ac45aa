#include "shell/mdiPrincipal.h"

#include "shell/HelpViewer.h"
#include "shell/frmPrincipal.h"
#include "store/WriteGuard.h"
#include "ui/Messages.h"
#include "ui/WindowFocus.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

namespace korvex::shell {

namespace {

// A press on a child window's frame (its edge or title bar) takes the focus away from the grid,
// hides an open cell editor, and leaves the keys on the frame itself, where they do nothing. When
// the user lets go after resizing or moving the window, or after a click that left the keys there,
// they go back to the grid, on the cell they were on.
class FrameDragFocus : public QObject {
public:
    FrameDragFocus(QMdiSubWindow* sub, QWidget* window) : QObject(sub), window_(window) {
        sub->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        if (!sub)
            return false; // being destroyed
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = sub->geometry();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const bool dragged = pressed_.isValid() && sub->geometry() != pressed_;
            pressed_ = QRect();
            QTimer::singleShot(0, this, [this, sub, dragged] {
                QMdiArea* area = sub->mdiArea();
                QWidget* focus = QApplication::focusWidget();
                const bool lost = !focus || focus == sub || !window_ || !window_->isAncestorOf(focus);
                if (window_ && (dragged || lost) && !sub->isMinimized() && area &&
                    area->activeSubWindow() == sub)
                    ui::focusKeyGrid(window_);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QRect pressed_;
};

} // namespace

mdiPrincipal::mdiPrincipal(const QString& rootFolder, ui::WindowRegistry& registry, QWidget* parent)
    : QMainWindow(parent), registry_(registry), area_(new QMdiArea(this)) {
    setObjectName("mdiPrincipal");
    setWindowTitle("Korvex");
    area_->setObjectName("mdiArea");
    area_->setBackground(QColor(0x8a, 0x98, 0xab));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);

    lblProyecto_ = new QLabel("Ningún proyecto abierto", this);
    lblProyecto_->setObjectName("lblProyectoActual");
    statusBar()->addPermanentWidget(lblProyecto_);
    statusBar()->setSizeGripEnabled(true);

    principal_ = new frmPrincipal(rootFolder, registry, this);
    principalWindow_ =
        area_->addSubWindow(principal_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowMinimizeButtonHint);
    principalWindow_->setObjectName("frmPrincipalVentana");
    principalWindow_->move(8, 8);
    principal_->show();

    connect(principal_, &frmPrincipal::leaveRequested, this, &QWidget::close);
    connect(principal_, &frmPrincipal::projectOpened, this, [this](const QString& folder) {
        const QString readOnly =
            principal_->isReadOnlyProject() ? QStringLiteral(" (solo lectura)") : QString();
        lblProyecto_->setText(QString("Proyecto: %1  (%2)%3")
                                  .arg(QDir(folder).dirName(), QDir::toNativeSeparators(folder), readOnly));
        setWindowTitle("Korvex" + readOnly);
    });
    connect(principal_, &frmPrincipal::projectClosed, this, [this] {
        lblProyecto_->setText("Ningún proyecto abierto");
        setWindowTitle("Korvex");
    });

    registry_.setHost([this](QWidget* w) { showChild(w); }, [this](QWidget* w) { raiseChild(w); });
    buildMenus();

    QSize size(1180, 780);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    area_->setActiveSubWindow(principalWindow_);
}

mdiPrincipal::~mdiPrincipal() {
    registry_.setHost(nullptr, nullptr);
}

void mdiPrincipal::buildMenus() {
    addRegisteredMenu("Archivo", "&Archivo", "mnuArchivo");
    addRegisteredMenu("Edición", "&Edición", "mnuEdicion");
    QMenu* ventana = menuBar()->addMenu("&Ventana");
    ventana->addAction("&Principal", this, [this] { raiseChild(principal_); });
    ventana->addSeparator();
    ventana->addAction("&Cascada", area_, &QMdiArea::cascadeSubWindows);
    ventana->addAction("&Mosaico", area_, &QMdiArea::tileSubWindows);
    QMenu* ayuda = menuBar()->addMenu("A&yuda");
    ayuda->addAction("&Contenido", this, [this] { principal_->showHelp(); });
}

void mdiPrincipal::addRegisteredMenu(const QString& name, const QString& caption, const QString& objectName) {
    const QList<ui::WindowRegistry::MenuAction> entries = registry_.menuActions(name);
    if (entries.isEmpty())
        return;
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(objectName);
    for (const ui::WindowRegistry::MenuAction& entry : entries) {
        QAction* action = menu->addAction(entry.text);
        action->setObjectName(entry.objectName);
        const ui::WindowRegistry::Action run = entry.action;
        connect(action, &QAction::triggered, this, [this, run] { run(menuContext()); });
    }
}

ui::WindowContext mdiPrincipal::menuContext() const {
    ui::WindowContext context = principal_->context();
    if (!principal_->isProjectOpen())
        context.projectFolder.clear();
    return context;
}

void mdiPrincipal::showChild(QWidget* window) {
    // The size the window chose for itself; the MDI area would otherwise put it wherever there is
    // room, at whatever size fits there, often cut off at the frame's edge.
    const QSize wanted = (window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint())
                             .expandedTo(window->minimumSizeHint());
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A window that closes itself (its own exit button) takes its frame with it.
    connect(window, &QObject::destroyed, sub, [sub] { sub->close(); });
    // The last editor of a project closed in the main window gives up the project's lock.
    connect(window, &QObject::destroyed, principal_,
            [p = principal_] { QTimer::singleShot(0, p, &frmPrincipal::releaseUnusedLocks); });
    if (store::isReadOnly(registry_.folderOf(window->objectName())))
        for (QPushButton* save : window->findChildren<QPushButton*>("cmdGrabar"))
            save->setEnabled(false);
    // Restored, maximised or brought back by the keyboard, a window takes its keys in its grid
    // again (Qt would hand the focus to whatever came first in the window, often a button). An
    // activation by a click leaves the focus where the click put it.
    connect(sub, &QMdiSubWindow::windowStateChanged, window,
            [window](Qt::WindowStates before, Qt::WindowStates now) {
                if ((now & Qt::WindowMinimized) || !(now & Qt::WindowActive))
                    return;
                const bool restored = ((before ^ now) & (Qt::WindowMinimized | Qt::WindowMaximized)) != 0;
                if (!restored && (before & Qt::WindowActive))
                    return;
                QTimer::singleShot(0, window, [window, restored] {
                    if (restored || QApplication::mouseButtons() == Qt::NoButton)
                        ui::focusKeyGrid(window);
                });
            });
    new FrameDragFocus(sub, window);
    window->show();
    sub->show();
    placeChild(sub, wanted);
    area_->setActiveSubWindow(sub);
}

void mdiPrincipal::placeChild(QMdiSubWindow* sub, const QSize& wanted) {
    const QSize decoration = sub->size() - sub->widget()->size();
    const QSize room = area_->viewport()->size();
    const QSize size = (wanted + decoration).boundedTo(room);
    // Each new window a step down and to the right of the previous one, over the main window,
    // and always whole inside the work area.
    const int step = 28;
    const int opened = std::max<int>(0, area_->subWindowList().size() - 2);
    int x = 16 + step * (opened % 8);
    int y = 16 + step * (opened % 8);
    x = std::clamp(x, 0, std::max(0, room.width() - size.width()));
    y = std::clamp(y, 0, std::max(0, room.height() - size.height()));
    sub->setGeometry(QRect(QPoint(x, y), size));
}

void mdiPrincipal::raiseChild(QWidget* window) {
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (!sub) {
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    if (sub->isMinimized())
        sub->showNormal();
    sub->show();
    area_->setActiveSubWindow(sub);
}

bool mdiPrincipal::closeEditors() {
    const QList<QMdiSubWindow*> editors = [this] {
        QList<QMdiSubWindow*> list = area_->subWindowList();
        list.removeAll(principalWindow_);
        return list;
    }();
    // Every editor with unsaved work is asked first, each in front while it asks so that the user
    // sees which window it is; a Cancel anywhere closes nothing at all.
    for (QMdiSubWindow* sub : editors) {
        auto* unsaved = dynamic_cast<ui::UnsavedWorkWindow*>(sub->widget());
        if (!unsaved)
            continue;
        area_->setActiveSubWindow(sub);
        if (!unsaved->settleUnsavedWork())
            return false;
    }
    for (QMdiSubWindow* sub : editors) {
        if (QWidget* window = sub->widget())
            ui::markWorkSettled(window);
        if (!sub->close())
            return false;
    }
    registry_.closeAll();
    return true;
}

void mdiPrincipal::closeEvent(QCloseEvent* event) {
    if (!ui::messages::confirmExit(this) || !closeEditors()) {
        event->ignore();
        return;
    }
    if (HelpViewer* help = HelpViewer::openViewer())
        help->close();
    event->accept();
}

} // namespace korvex::shell
