// What the programs that draw windows into PNG files share.
#pragma once

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

} // namespace korvex::testing
