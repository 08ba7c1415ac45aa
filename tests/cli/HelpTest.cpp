#include "CommandRun.h"
#include "cli/CommandTable.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvex {
void registerAllCommands(cli::CommandTable& table);
}

namespace {

using korvex::testing::runCommand;

TEST(Help, EveryCommandHasOneSummaryLineShownInTheHelpAndTheVersionIsOneLine) {
    korvex::cli::CommandTable table;
    korvex::registerAllCommands(table);
    ASSERT_FALSE(table.all().empty());

    QTemporaryDir dir;
    const QString root = dir.path() + "/raiz";
    const auto help = runCommand({"--root", root, "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Uso: korvex ")) << help.out.toStdString();
    const QStringList lines = help.out.split('\n');
    for (const auto& [name, command] : table.all()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(command.summary.trimmed().isEmpty());
        EXPECT_FALSE(command.summary.contains('\n'));
        EXPECT_TRUE(command.usage.startsWith(name + " ") || command.usage == name);
        const QString expectedStart = "  " + command.usage;
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const QString& l) { return l.startsWith(expectedStart + " "); });
        ASSERT_NE(line, lines.end());
        EXPECT_TRUE(line->endsWith("  " + command.summary));
    }
    EXPECT_EQ(runCommand({"-h"}).out, help.out);

    const auto version = runCommand({"--root", root, "--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.err.isEmpty());
    EXPECT_TRUE(
        QRegularExpression(R"(^korvex \d+\.\d+\.\d+( \([0-9a-f]{7,}\))?\n$)").match(version.out).hasMatch())
        << version.out.toStdString();
    EXPECT_FALSE(QDir(root).exists()) << "asking for help or the version lays out no root folder";
    // Anything beside the option is a command line to run, not a question to answer.
    const auto unknown = runCommand({"--root", root, "--version", "x"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
}

// The installed program answers --help and --version where no display exists, e.g. for help2man
// on a build machine, and touches no root folder.
TEST(Help, ExecutableAnswersWithoutADisplay) {
    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("KORVEX_ROOT", dir.path() + "/raiz");
    for (const QString option : {"--help", "--version"}) {
        SCOPED_TRACE(option.toStdString());
        QProcess korvex;
        korvex.setProcessEnvironment(environment);
        korvex.start(KORVEX_EXECUTABLE, {option});
        ASSERT_TRUE(korvex.waitForFinished(60000));
        EXPECT_EQ(korvex.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(korvex.exitCode(), 0) << korvex.readAllStandardError().toStdString();
        EXPECT_TRUE(QString::fromUtf8(korvex.readAllStandardOutput())
                        .startsWith(option == "--help" ? "Uso: korvex" : "korvex "));
    }
    EXPECT_FALSE(QDir(dir.path() + "/raiz").exists());
}

} // namespace
