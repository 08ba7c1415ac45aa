// Replays the fuzz target's seeds and the crashes it found, in the default test run.
#include "fuzz/FuzzBc3.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(Bc3FuzzCorpus, EveryInputEndsWithoutCrash) {
    const QDir corpus(QStringLiteral(KORVEX_BC3_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        korvex::testing::fuzzBc3(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 static_cast<size_t>(bytes.size()));
    }
}

} // namespace
