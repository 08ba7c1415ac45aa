// What the programs that draw windows into PNG files share.
#pragma once

#include "TestProject.h"
#include "engine/Demo.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QTest>
#include <QWidget>
#include <cstdio>

namespace korvex::testing {

// Shows the widget, lets it lay itself out and paint, and writes "<prefix>-<name>.png" into folder.
inline void saveScreenshot(QWidget* widget, const QString& folder, const QString& prefix,
                           const QString& name) {
    widget->show();
    QTest::qWait(150);
    const QString path = QDir(folder).filePath(prefix + "-" + name + ".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

// Makes the sample project in root and fills the context a window opens on it with; says on
// standard error why it could not be made.
inline bool makeSampleProject(const TempRoot& root, ui::WindowContext* context) {
    const engine::ResultadoDemo sample = engine::CrearProyectoEjemplo(root.root());
    if (!sample.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(sample.message));
        return false;
    }
    context->projectFolder = sample.folder;
    context->rootFolder = root.root();
    return true;
}

} // namespace korvex::testing
