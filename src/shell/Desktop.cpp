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
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>

namespace korvex::shell {

frmPresentacion* startDesktop(const QString& root, ui::WindowRegistry& registry) {
    auto* splash = new frmPresentacion;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(splash, &frmPresentacion::continued, splash, [splash, root, &registry] {
        auto* frame = new mdiPrincipal(root, registry);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        // The frame is the program's desktop: it takes the whole screen, as editors open inside it.
        frame->showMaximized();
        frame->principal()->folderList()->setFocus();
        splash->close();
    });
    splash->show();
    splash->activateWindow();
    splash->setFocus();
    return splash;
}

mdiPrincipal* startDesktopWithProject(const QString& root, ui::WindowRegistry& registry,
                                      const QString& project) {
    auto* frame = new mdiPrincipal(root, registry);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->showMaximized();
    frame->principal()->folderList()->setPath(project);
    frame->principal()->openSelectedFolder();
    return frame;
}

QIcon applicationIcon() {
    QIcon icon;
    for (const int side : {16, 32, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x3b, 0x63));
        painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
        painter.fillRect(QRectF(side * 0.18, side * 0.78, side * 0.64, side * 0.07),
                         QColor(0xe0, 0x9b, 0x2d));
        QFont font("DejaVu Sans");
        font.setBold(true);
        font.setPixelSize(int(side * 0.62));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(0, -side * 0.06, side, side), Qt::AlignCenter, "K");
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool installQtTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runDesktop(int argc, char** argv, const QString& root, const QString& project) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvex");
    // Ties the windows to the installed desktop entry, whose icon the theme then provides.
    QApplication::setDesktopFileName(QStringLiteral("org.korvex.Korvex"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korvex"), applicationIcon()));
    installQtTranslation();
    QApplication::setStyle(QStyleFactory::create("Fusion"));

    const QString rootFolder = QDir(root).absolutePath();
    try {
        store::layOutRootFolder(rootFolder);
    } catch (const store::StoreError& error) {
        // Said on standard error too, for a start from a script or a terminal.
        std::fprintf(stderr, "korvex: %s\n", qPrintable(error.message()));
        ui::messages::failure(nullptr, error.message());
        return 1;
    }
    QDir::setCurrent(rootFolder);

    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    wireAllWindows(registry);
    if (project.isEmpty())
        startDesktop(rootFolder, registry);
    else
        startDesktopWithProject(rootFolder, registry, project);
    const int code = app.exec();
    registry.clear();
    return code;
}

} // namespace korvex::shell
