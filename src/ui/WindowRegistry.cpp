#include "ui/WindowRegistry.h"

#include "ui/WindowFocus.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace korvex::ui {

namespace {
constexpr const char* kWorkSettled = "korvexWorkSettled";
}

void markWorkSettled(QWidget* window) {
    window->setProperty(kWorkSettled, true);
}

bool workSettled(const QWidget* window) {
    return window->property(kWorkSettled).toBool();
}

WindowRegistry& WindowRegistry::instance() {
    static WindowRegistry registry;
    return registry;
}

void WindowRegistry::registerWindow(const QString& windowName, Factory factory) {
    factories_.insert(windowName, std::move(factory));
}

void WindowRegistry::registerButton(const QString& buttonName, Action action) {
    buttons_.insert(buttonName, std::move(action));
}

void WindowRegistry::registerMenuAction(const QString& menu, const QString& objectName, const QString& text,
                                        int order, Action action) {
    menuActions_.append({menu, objectName, text, order, std::move(action)});
}

QList<WindowRegistry::MenuAction> WindowRegistry::menuActions(const QString& menu) const {
    QList<MenuAction> found;
    for (const MenuAction& entry : menuActions_)
        if (entry.menu == menu)
            found.append(entry);
    std::stable_sort(found.begin(), found.end(),
                     [](const MenuAction& a, const MenuAction& b) { return a.order < b.order; });
    return found;
}

bool WindowRegistry::hasWindow(const QString& windowName) const {
    return factories_.contains(windowName);
}

bool WindowRegistry::hasButton(const QString& buttonName) const {
    return buttons_.contains(buttonName);
}

QWidget* WindowRegistry::findWindow(const QString& windowName) const {
    const auto found = open_.constFind(windowName);
    return found == open_.constEnd() ? nullptr : found->data();
}

QWidget* WindowRegistry::openWindow(const QString& windowName, const WindowContext& context) {
    if (QWidget* open = findWindow(windowName)) {
        if (auto* reopenable = dynamic_cast<ReopenableWindow*>(open)) {
            reopenable->reopen(context);
            folders_.insert(windowName, context.projectFolder);
        }
        if (raise_) {
            raise_(open);
        } else {
            open->show();
            open->raise();
            open->activateWindow();
        }
        focusKeyGrid(open);
        return open;
    }
    const auto factory = factories_.constFind(windowName);
    if (factory == factories_.constEnd())
        return nullptr;
    // The factory may refuse (a window that cannot open its project shows why and returns null).
    QWidget* window = (*factory)(context);
    if (!window)
        return nullptr;
    window->setObjectName(windowName);
    window->setAttribute(Qt::WA_DeleteOnClose);
    open_.insert(windowName, window);
    folders_.insert(windowName, context.projectFolder);
    if (show_) {
        show_(window);
    } else {
        window->show();
        window->raise();
        window->activateWindow();
    }
    focusKeyGrid(window);
    return window;
}

QList<QWidget*> WindowRegistry::windowsOn(const QString& folder) const {
    auto clean = [](const QString& path) {
        QString p = path;
        p.replace('\\', '/');
        return QDir::cleanPath(QFileInfo(p).absoluteFilePath());
    };
    QList<QWidget*> windows;
    if (folder.trimmed().isEmpty())
        return windows;
    const QString target = clean(folder);
    const QString inside = target.endsWith('/') ? target : target + '/';
    for (auto it = open_.constBegin(); it != open_.constEnd(); ++it) {
        const QString used = folders_.value(it.key());
        if (!it.value() || used.trimmed().isEmpty())
            continue;
        const QString path = clean(used);
        if (path.compare(target, Qt::CaseInsensitive) == 0 || path.startsWith(inside, Qt::CaseInsensitive))
            windows.append(it.value().data());
    }
    return windows;
}

QString WindowRegistry::folderOf(const QString& windowName) const {
    return findWindow(windowName) ? folders_.value(windowName) : QString();
}

bool WindowRegistry::closeWindow(const QString& windowName) {
    QWidget* window = findWindow(windowName);
    if (window && !window->close())
        return false;
    open_.remove(windowName);
    folders_.remove(windowName);
    return true;
}

bool WindowRegistry::triggerButton(const QString& buttonName, const WindowContext& context) {
    const auto found = buttons_.constFind(buttonName);
    if (found == buttons_.constEnd())
        return false;
    // A copy: the action may register or clear buttons while it runs.
    const Action action = *found;
    action(context);
    return true;
}

void WindowRegistry::setHost(std::function<void(QWidget*)> show, std::function<void(QWidget*)> raise) {
    show_ = std::move(show);
    raise_ = std::move(raise);
}

void WindowRegistry::closeAll() {
    const auto windows = open_.values();
    for (const QPointer<QWidget>& window : windows)
        if (window)
            window->close();
    for (auto it = open_.begin(); it != open_.end();)
        it = it->isNull() ? open_.erase(it) : std::next(it);
}

void WindowRegistry::clear() {
    for (const QPointer<QWidget>& window : std::as_const(open_))
        delete window.data();
    open_.clear();
    folders_.clear();
    factories_.clear();
    buttons_.clear();
    menuActions_.clear();
    show_ = nullptr;
    raise_ = nullptr;
}

} // namespace korvex::ui
