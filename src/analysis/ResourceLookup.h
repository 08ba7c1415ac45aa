#pragma once
// The resources already used anywhere in the project, offered while a description is typed: the
// distinct pairs of description and unit (materials) or category (labour), or the distinct
// descriptions (equipment), whose description begins with the typed text, letter case aside.
//
// The catalogue is read with one query when an edit starts and then filtered in memory on every
// keystroke, so typing stays quick on large projects and any character, quotes and wildcards
// included, is matched as itself.

#include "analysis/AnalysisKinds.h"

#include <QList>
#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

struct ResourceMatch {
    QString description;
    QString second; // unit or category; "" for equipment
    friend bool operator==(const ResourceMatch&, const ResourceMatch&) = default;
};

inline constexpr int kMaxLookupMatches = 99;

class ResourceCatalog {
public:
    // The distinct resources of the kind over every line of the project, sorted by description
    // and unit or category. Transport has no lookup. Throws store::StoreError.
    static ResourceCatalog read(store::Database& db, Kind kind);

    Kind kind() const { return kind_; }
    int size() const { return static_cast<int>(entries_.size()); }
    // The first `limit` resources whose description begins with prefix.
    QList<ResourceMatch> matches(const QString& prefix, int limit = kMaxLookupMatches) const;

private:
    struct Entry {
        ResourceMatch match;
        QString folded; // description in folded case
    };
    Kind kind_ = Kind::Material;
    QList<Entry> entries_;
};

} // namespace korvex::analysis
