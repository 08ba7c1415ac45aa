// Replays the spreadsheet fuzz targets' seeds and the inputs they found, in the default test run.
#include "fuzz/FuzzSpreadsheet.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

void replay(const QString& folder, const std::function<void(const uint8_t*, size_t)>& fuzz) {
    const QDir corpus(folder);
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty()) << folder.toStdString();
    for (const QString& name : names) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        fuzz(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    }
}

TEST(SpreadsheetFuzzCorpus, EveryInputEndsWithoutCrash) {
    replay(QStringLiteral(KORVEX_SPREADSHEET_CORPUS) + "/corpus-xlsx", korvex::testing::fuzzXlsx);
    replay(QStringLiteral(KORVEX_SPREADSHEET_CORPUS) + "/corpus-csv", korvex::testing::fuzzCsv);
}

} // namespace
