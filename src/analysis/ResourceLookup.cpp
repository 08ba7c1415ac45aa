#include "analysis/ResourceLookup.h"

#include "store/Database.h"
#include "store/TextCompare.h"

#include <QSet>
#include <algorithm>

namespace korvex::analysis {

ResourceCatalog ResourceCatalog::read(store::Database& db, Kind kind) {
    ResourceCatalog catalog;
    catalog.kind_ = kind;
    if (kind == Kind::Transport)
        return catalog;

    const KindSpec& s = kindInfo(kind);
    const QString fields = s.hasSecond() ? s.descField + ", " + s.secondField : s.descField;
    // Distinct pairs are picked here rather than by the database: its DISTINCT sorts every line
    // with the case-blind collation first, which costs more than the whole scan. Pairs are told
    // apart as that DISTINCT tells them, letter case aside, and the first spelling met is shown.
    store::RecordSet rs = db.openRecordSet("SELECT " + fields + " FROM " + s.table);
    QSet<QString> seen;
    for (; !rs.eof(); rs.moveNext()) {
        ResourceMatch match{rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString()};
        if (match.description.isEmpty())
            continue;
        const QString pair = store::text::resourceKey(match.description, match.second);
        if (seen.contains(pair))
            continue;
        seen.insert(pair);
        catalog.entries_.append({match, store::text::foldKey(match.description)});
    }
    std::sort(catalog.entries_.begin(), catalog.entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.folded != b.folded)
            return a.folded < b.folded;
        return store::text::foldKey(a.match.second) < store::text::foldKey(b.match.second);
    });
    return catalog;
}

QList<ResourceMatch> ResourceCatalog::matches(const QString& prefix, int limit) const {
    QList<ResourceMatch> result;
    const QString folded = store::text::foldKey(prefix);
    // Sorted by folded description: the matches are one run starting at the first not below it.
    auto it = std::lower_bound(entries_.begin(), entries_.end(), folded,
                               [](const Entry& e, const QString& p) { return e.folded < p; });
    for (; it != entries_.end() && result.size() < limit; ++it) {
        if (!it->folded.startsWith(folded))
            break;
        result.append(it->match);
    }
    return result;
}

} // namespace korvex::analysis
