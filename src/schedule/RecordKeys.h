#pragma once
// Pairs the rows a window shows with the records they came from by their keys, so that a save
// never depends on the order in which a table happens to return its records. Keys compare as the
// database compares text (letter case ignored); when several records share a key, the k-th row
// with that key goes to the k-th record with it.

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace korvex::schedule {

// Folds letter case the way the database's "=" does.
QString comparableText(const QString& text);
// The key of a budget item: CodigoPres + ItemPres.
QString itemKey(const QString& codigoPres, const QString& itemPres);

class KeyIndex {
public:
    void add(const QString& key, int position);
    // The next position with the key not handed out yet, nullopt when none is left.
    std::optional<int> take(const QString& key);

private:
    QHash<QString, QList<int>> positions_;
};

} // namespace korvex::schedule
