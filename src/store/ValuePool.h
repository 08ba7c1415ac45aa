#pragma once
// The values of a pass over many rows, each distinct value kept once: rows that repeat a text
// (the description of a resource on each of its lines) share one string instead of one each,
// and a value is known by a number that is equal exactly when the stored values are.

#include "store/Database.h"

#include <QByteArrayView>
#include <QVariant>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvex::store {

class ValuePool {
public:
    ValuePool();
    // The number of the column's value in the current row; 0 is Null.
    int id(const Row& row, int column);
    // The number of a text given by its UTF-8 bytes.
    int idOfText(QByteArrayView utf8);
    // The value as Row::value reads it.
    const QVariant& value(int id) const { return values_[std::size_t(id)]; }

private:
    // The number of the value known by key, made by make() when it is met for the first time.
    struct BytesHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view bytes) const noexcept {
            return std::hash<std::string_view>{}(bytes);
        }
    };
    // Looked up by the row's bytes in place, without copying them.
    using Ids = std::unordered_map<std::string, int, BytesHash, std::equal_to<>>;
    template <typename Make> int intern(Ids& ids, std::string_view key, Make make);

    std::vector<QVariant> values_;
    Ids texts_;
    Ids others_; // numbers and blobs, by type and printed value
};

// Whether two columns (firstColumn and the next) hold the texts they held in the previous row,
// compared as stored bytes: a scan in stored order meets the lines of one item one after another,
// and comparing their code and number is cheaper than reading them. A Null or a number is never
// taken as repeated.
class RepeatedPair {
public:
    bool operator()(const Row& row, int firstColumn);

private:
    bool known_ = false;
    std::string firstText_;
    std::string secondText_;
};

} // namespace korvex::store
