#include "TestProject.h"

#include "store/ProjectFolders.h"

#include <stdexcept>

namespace korvex::testing {

TempRoot::TempRoot() {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    store::layOutRootFolder(dir_.path());
}

QString TempRoot::newProject(const QString& name) {
    const auto result = store::createProject(dir_.path(), name, dir_.path());
    if (!result.ok)
        throw std::runtime_error(result.message.toStdString());
    return result.path;
}

store::Database TempRoot::open(const QString& projectFolder) const {
    return store::Database::openProject(projectFolder);
}

} // namespace korvex::testing
