#include "schedule/RecordKeys.h"

#include "store/TextCompare.h"

namespace korvex::schedule {

QString comparableText(const QString& text) {
    return store::text::foldKey(text);
}

QString itemKey(const QString& codigoPres, const QString& itemPres) {
    // A unit separator cannot be typed into a cell, so ("1", "23") and ("12", "3") stay apart.
    return comparableText(codigoPres) + QChar(0x1f) + comparableText(itemPres);
}

void KeyIndex::add(const QString& key, int position) {
    positions_[comparableText(key)].append(position);
}

std::optional<int> KeyIndex::take(const QString& key) {
    const auto it = positions_.find(comparableText(key));
    if (it == positions_.end() || it->isEmpty())
        return std::nullopt;
    return it->takeFirst();
}

} // namespace korvex::schedule
