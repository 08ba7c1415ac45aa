// libFuzzer target: any text given to the dialect translator, and whatever it accepts run against
// a project database inside a transaction that is rolled back, must end in a result or a
// StoreError, never a crash. The texts are also compared and matched as like patterns.
#include "TestProject.h"
#include "store/Database.h"
#include "store/Dialect.h"
#include "store/TextCompare.h"

#include <cstddef>
#include <cstdint>

namespace {

korvex::store::Database& project() {
    static korvex::testing::TempRoot* root = new korvex::testing::TempRoot;
    static korvex::store::Database db = root->open(root->newProject("Fuzz"));
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto half = size / 2;
    korvex::store::text::compare(reinterpret_cast<const char*>(data), int(half),
                                 reinterpret_cast<const char*>(data) + half, int(size - half));
    korvex::store::text::likeMatch(text.left(text.size() / 2), text.mid(text.size() / 2));
    try {
        const auto t = korvex::store::dialect::translate(text);
        QVariantList values;
        for (int i = 0; i < t.userParamCount; ++i)
            values << (i % 2 ? QVariant("1,5") : QVariant(QStringLiteral("Ñandú")));
        auto& db = project();
        korvex::store::Transaction undo(db);
        if (t.kind == korvex::store::dialect::StatementKind::Select)
            db.openRecordSet(text, values);
        else
            db.execute(text, values);
    } catch (const korvex::store::StoreError&) {
    }
    return 0;
}
