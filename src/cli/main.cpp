// korvex: the desktop program without a command, a batch command otherwise.
#include "cli/CommandTable.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

#ifdef KORVEX_HAVE_DESKTOP
#include "shell/Desktop.h"

#include <QGuiApplication>
#endif

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

#ifdef KORVEX_HAVE_DESKTOP
    if (!korvex::cli::hasCommand(arguments))
        return korvex::shell::runDesktop(argc, argv, korvex::cli::rootFromArguments(arguments));
#endif
#ifdef KORVEX_HAVE_DESKTOP
    // Batch commands that render (reports to PDF) need fonts and paint devices, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    in.setEncoding(QStringConverter::Utf8);
    return korvex::cli::run(arguments, out, err, in);
}
