// Runs a batch command of korvex in the test's process, as the executable would, and keeps what
// it printed.
#pragma once

#include "cli/CommandTable.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace korvex::testing {

struct CommandRun {
    int code = 0;
    QString out;
    QString err;
};

inline CommandRun runCommand(const QStringList& arguments, QString input = {}) {
    CommandRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    QTextStream in(&input);
    run.code = cli::run(arguments, out, err, in);
    out.flush();
    err.flush();
    return run;
}

} // namespace korvex::testing
