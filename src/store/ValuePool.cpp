#include "store/ValuePool.h"

namespace korvex::store {

ValuePool::ValuePool() : values_{QVariant()} {}

template <typename Make> int ValuePool::intern(Ids& ids, std::string_view key, Make make) {
    // The lookup borrows the bytes; only a value met for the first time copies them.
    if (const auto known = ids.find(key); known != ids.end())
        return known->second;
    const int id = int(values_.size());
    values_.push_back(make());
    ids.emplace(key, id);
    return id;
}

int ValuePool::idOfText(QByteArrayView utf8) {
    return intern(texts_, std::string_view(utf8.data(), std::size_t(utf8.size())),
                  [utf8] { return QVariant(QString::fromUtf8(utf8)); });
}

int ValuePool::id(const Row& row, int column) {
    if (const auto text = row.text(column))
        return idOfText(*text);
    if (row.isNull(column))
        return 0;
    const QVariant value = row.value(column);
    const bool blob = value.typeId() == QMetaType::QByteArray;
    const QByteArray key =
        QByteArray(value.typeName()) + ':' + (blob ? value.toByteArray() : value.toString().toUtf8());
    return intern(others_, std::string_view(key.constData(), std::size_t(key.size())),
                  [&value] { return value; });
}

bool RepeatedPair::operator()(const Row& row, int firstColumn) {
    const auto view = [](QByteArrayView bytes) {
        return std::string_view(bytes.data(), std::size_t(bytes.size()));
    };
    const auto first = row.text(firstColumn);
    const auto second = row.text(firstColumn + 1);
    const bool same = known_ && first && second && view(*first) == firstText_ && view(*second) == secondText_;
    known_ = first && second;
    if (known_ && !same) {
        firstText_ = view(*first);
        secondText_ = view(*second);
    }
    return same;
}

} // namespace korvex::store
