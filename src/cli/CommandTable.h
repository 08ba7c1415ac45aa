#pragma once
// Batch commands of the korvex executable: "korvex [--root DIR] COMMAND ARGS...".

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <map>
#include <memory>

namespace korvex::store {
class ProjectLock;
}

namespace korvex::cli {

// Exit codes: 0 done, 1 refused (the system's Spanish message on standard error), 2 bad usage.
enum ExitCode { kOk = 0, kRefused = 1, kUsage = 2 };

struct CommandContext {
    QString root;     // resolved root folder (already laid out)
    QStringList args; // arguments after the command name
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
    // A PROJECT argument: a project folder path or a folder name under the root.
    QString projectFolder(const QString& argument) const;
    // The project folder of a PROJECT argument that holds a project (the root folder with its
    // template is none), or empty after printing the refusal the main window gives on err.
    QString openableProject(const QString& argument);
    // A command that writes user data holds the project's lock until it ends: refused at once
    // while the desktop program holds it, after waiting up to 30 s for another batch command.
    // On refusal the holder is named on err and the result is false.
    bool lockForWriting(const QString& projectFolder);

    QString command = {}; // the command's name
    std::shared_ptr<store::ProjectLock> lock = {};
};

struct Command {
    QString usage;   // "sql PROJECT STATEMENT [VALUE...]"
    QString summary; // one Spanish line for "korvex --help" and the manual page
    std::function<int(CommandContext&)> run;
};

class CommandTable {
public:
    void add(const QString& name, const QString& usage, const QString& summary,
             std::function<int(CommandContext&)> run);
    // Without a summary the command still runs; a test requires every command to have one.
    void add(const QString& name, const QString& usage, std::function<int(CommandContext&)> run);
    const Command* find(const QString& name) const;
    const std::map<QString, Command>& all() const { return commands_; }

private:
    std::map<QString, Command> commands_;
};

// Parses the global options, lays out the root folder and runs the command. "--help" and
// "--version" print on out and exit 0 without laying out anything. Every store error or
// other exception ends as a message on err and exit code 1; nothing escapes.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream& in);
// True when the arguments name a command, or give "--root" without a folder (run() then prints
// the usage); the desktop program starts otherwise.
bool hasCommand(const QStringList& arguments);
// True for "--help" or "--version": answered from the command table alone, without a display.
bool asksForInformation(const QStringList& arguments);
// "korvex X.Y.Z", followed by the commit in parentheses when built from a checkout.
QString versionLine();
// What "korvex --help" prints: usage, options and a line per command.
QString helpText(const CommandTable& table);
// The root option of the arguments, resolved as the program resolves it.
QString rootFromArguments(const QStringList& arguments);
// For "open PROJECT" naming a project that can be opened: its folder, for the desktop program to
// start with it open; empty otherwise (the command then says why).
QString projectToOpen(const QStringList& arguments);

// Prints "usage: korvex <usage>" and returns kUsage.
int usage(CommandContext& context, const QString& usage);

} // namespace korvex::cli
