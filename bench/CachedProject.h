// The large synthetic projects of `korvex demo --items N`, made once and kept in the build folder
// (bench-projects/items-N) because 20,000 items take a while to make; every run works on a fresh
// copy of them, as the windows write to the project.
#pragma once

#include "TestProject.h"
#include "engine/Demo.h"
#include "store/ProjectFolders.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <stdexcept>

#ifndef KORVEX_BENCH_CACHE_DIR
#define KORVEX_BENCH_CACHE_DIR "bench-projects"
#endif

namespace korvex::bench {

inline void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(source));
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(source, target))
            throw std::runtime_error("cannot copy " + source.toStdString());
    }
}

// The root folder holding the project "Grande" of that many items, made on first use.
inline QString cachedRoot(int items) {
    const QString root =
        QDir(QStringLiteral(KORVEX_BENCH_CACHE_DIR)).filePath(QString("items-%1").arg(items));
    const QString done = QDir(root).filePath("listo");
    if (!QFile::exists(done)) {
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        korvex::store::layOutRootFolder(root);
        const auto demo = korvex::engine::CrearProyectoEjemplo(root, "Grande", items);
        if (!demo.ok)
            throw std::runtime_error(demo.message.toStdString());
        QFile marker(done);
        if (!marker.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the cache marker");
    }
    return root;
}

// A fresh copy of the cached project in a root folder of its own.
struct CopiedProject {
    korvex::testing::TempRoot root;
    QString folder;

    explicit CopiedProject(int items) {
        folder = QDir(root.root()).filePath("Grande");
        copyTree(QDir(cachedRoot(items)).filePath("Grande"), folder);
    }

    ui::WindowContext context() const {
        ui::WindowContext c;
        c.projectFolder = folder;
        c.rootFolder = root.root();
        return c;
    }
};

} // namespace korvex::bench
