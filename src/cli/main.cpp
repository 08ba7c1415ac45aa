// korvex: the desktop program without a command, a batch command otherwise.
#include "cli/CommandTable.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef KORVEX_HAVE_DESKTOP
#include "shell/Desktop.h"

#include <QGuiApplication>
#endif

#ifdef Q_OS_UNIX
// Batch runs from scripts often have no XDG_RUNTIME_DIR; without one the GUI application warns on
// standard error, where only the command's own messages belong. Use the folder Qt would fall back to.
static void provideRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString folder = QDir::tempPath() + QStringLiteral("/runtime-%1").arg(::getuid());
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", path);
}
#endif

static int runCommand(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    in.setEncoding(QStringConverter::Utf8);
    return korvex::cli::run(arguments, out, err, in);
}

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    // Help and version need neither an application object nor a display nor a root folder.
    if (korvex::cli::asksForInformation(arguments))
        return runCommand(arguments);
#ifdef KORVEX_HAVE_DESKTOP
    if (!korvex::cli::hasCommand(arguments))
        return korvex::shell::runDesktop(argc, argv, korvex::cli::rootFromArguments(arguments));
    if (const QString project = korvex::cli::projectToOpen(arguments); !project.isEmpty())
        return korvex::shell::runDesktop(argc, argv, korvex::cli::rootFromArguments(arguments), project);
    // Batch commands that render (reports to PDF) need fonts and paint devices, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_UNIX
    provideRuntimeFolder();
#endif
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return runCommand(arguments);
}
