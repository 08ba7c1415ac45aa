#include "shell/Desktop.h"

#include "shell/FolderLists.h"
#include "shell/frmPresentacion.h"
#include "shell/frmPrincipal.h"
#include "shell/mdiPrincipal.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>

namespace korvex::shell {

frmPresentacion* startDesktop(const QString& root, ui::WindowRegistry& registry)
{
    auto* splash = new frmPresentacion;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(splash, &frmPresentacion::continued, splash, [splash, root, &registry] {
        auto* frame = new mdiPrincipal(root, registry);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->show();
        frame->principal()->folderList()->setFocus();
        splash->close();
    });
    splash->show();
    splash->activateWindow();
    splash->setFocus();
    return splash;
}

int runDesktop(int argc, char** argv, const QString& root)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvex");
    QApplication::setStyle(QStyleFactory::create("Fusion"));

    const QString rootFolder = QDir(root).absolutePath();
    try {
        store::layOutRootFolder(rootFolder);
    } catch (const store::StoreError& error) {
        ui::messages::failure(nullptr, error.message());
        return 1;
    }
    QDir::setCurrent(rootFolder);

    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    wireAllWindows(registry);
    startDesktop(rootFolder, registry);
    const int code = app.exec();
    registry.clear();
    return code;
}

} // namespace korvex::shell
