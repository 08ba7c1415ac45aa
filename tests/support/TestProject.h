#pragma once
// A root folder in a temporary directory, laid out as the program lays out its own, with
// projects created the way the main window creates them.

#include "store/Database.h"

#include <QString>
#include <QTemporaryDir>

namespace korvex::testing {

class TempRoot {
public:
    TempRoot();
    QString root() const { return dir_.path(); }
    // Creates a project folder under the root (template copy) and returns its path.
    QString newProject(const QString& name = "Prueba");
    store::Database open(const QString& projectFolder) const;

private:
    QTemporaryDir dir_;
};

// Switches off injected failures when a test ends, whatever it did.
struct FailureGuard {
    ~FailureGuard() { store::testing::failAfterWrites(-1); }
};

} // namespace korvex::testing
