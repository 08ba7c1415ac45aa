#pragma once
// Opening windows by name, one copy each. The main window's buttons and the windows that open
// other windows (the item picker opens the analysis editor) go through here, so a feature plugs
// in by registering its windows and buttons from a file under src/shell/wiring/.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <functional>

namespace korvex::ui {

// What a window needs to know when it opens: the folder it works on, read once.
struct WindowContext {
    QString projectFolder;
    QString rootFolder;
    QWidget* mainWindow = nullptr; // frmPrincipal, for windows that report back to it
    // What the opener hands over, e.g. the item picker's {"txtCod": code, "txtItem": item}.
    QVariantMap arguments;
};

// A window that must take new arguments when it is opened again while already open (the
// analysis editor shown for another item). openWindow calls reopen() on the open copy.
class ReopenableWindow {
public:
    virtual ~ReopenableWindow() = default;
    virtual void reopen(const WindowContext& context) = 0;
};

// A window that may hold unsaved work. Before the frame closes anything it asks every such window
// in turn, so that a Cancel in any of them leaves every window open as it was.
class UnsavedWorkWindow {
public:
    virtual ~UnsavedWorkWindow() = default;
    // Asks "¿Desea grabar los cambios?" when there is unsaved work, saving on Yes; true when the
    // window may close (nothing to save, saved, or the user chose not to save).
    virtual bool settleUnsavedWork() = 0;
};

// Marks a window whose unsaved work has just been settled, so that its close asks no more.
void markWorkSettled(QWidget* window);
bool workSettled(const QWidget* window);

class WindowRegistry {
public:
    using Factory = std::function<QWidget*(const WindowContext&)>;
    using Action = std::function<void(const WindowContext&)>;

    static WindowRegistry& instance();

    // windowName is the window's class name, such as "frmDatosPresupuesto"; the factory's
    // widget gets it as object name and Qt::WA_DeleteOnClose.
    void registerWindow(const QString& windowName, Factory factory);
    // A main-window button (object name such as "cmdCalculo") with an action of its own.
    void registerButton(const QString& buttonName, Action action);
    // An action of the frame's menus: menu "Archivo" or "Edición", object name such as
    // "actImportarBC3", its caption, and its place in the menu (lower first). The action gets the
    // main window's context, with an empty projectFolder while no project is open.
    struct MenuAction {
        QString menu;
        QString objectName;
        QString text;
        int order = 0;
        Action action;
    };
    void registerMenuAction(const QString& menu, const QString& objectName, const QString& text, int order,
                            Action action);
    // The menu's actions in their order.
    QList<MenuAction> menuActions(const QString& menu) const;

    bool hasWindow(const QString& windowName) const;
    bool hasButton(const QString& buttonName) const;

    // Creates the window if it is not open, shows it in the host (the frame's MDI area, or as a
    // top-level window without a host) and brings it to the front; an open copy that is a
    // ReopenableWindow gets reopen(context) first. nullptr when not registered.
    QWidget* openWindow(const QString& windowName, const WindowContext& context);
    QWidget* findWindow(const QString& windowName) const;
    // The open windows that work on this folder or on one inside it (the project folder of the
    // context they were last opened with), so that a project is not deleted under them.
    QList<QWidget*> windowsOn(const QString& folder) const;
    QString folderOf(const QString& windowName) const; // "" when the window is not open
    // Closes an open window as its own close would (an editor may ask to save and refuse);
    // true when it is gone, so that the next openWindow makes a new one.
    bool closeWindow(const QString& windowName);
    // Runs the button's action; false when the button has none.
    bool triggerButton(const QString& buttonName, const WindowContext& context);

    // The frame installs how a new window is shown and how an open one is brought to the front.
    void setHost(std::function<void(QWidget*)> show, std::function<void(QWidget*)> raise);
    void closeAll();
    void clear(); // tests: forget every registration and open window

private:
    QHash<QString, Factory> factories_;
    QHash<QString, Action> buttons_;
    QList<MenuAction> menuActions_;
    QHash<QString, QPointer<QWidget>> open_;
    QHash<QString, QString> folders_; // window name -> project folder it works on
    std::function<void(QWidget*)> show_;
    std::function<void(QWidget*)> raise_;
};

} // namespace korvex::ui
