#pragma once
// The values a report computes with: Null, a truth value, a number or a text. Database fields
// arrive as QVariant and are turned into Values once, when a query is read.

#include <QString>
#include <QVariant>

namespace korvex::reports {

class Value {
public:
    enum class Kind { Null, Bool, Number, Text };

    Value() = default;
    explicit Value(double number) : kind_(Kind::Number), number_(number) {}
    explicit Value(bool flag) : kind_(Kind::Bool), number_(flag ? 1 : 0) {}
    explicit Value(QString text) : kind_(Kind::Text), text_(std::move(text)) {}
    static Value fromVariant(const QVariant& variant);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isText() const { return kind_ == Kind::Text; }

    // Null counts as 0 and as ""; a text that reads as a number counts as that number.
    double toNumber() const;
    QString toText() const;
    bool truthy() const;

    // Text comparison ignores letter case, as the database's does; a number and a text that
    // reads as a number compare as numbers. Null sorts after everything.
    static int compare(const Value& a, const Value& b);
    // A key for matching records across queries: case-folded text, numbers in plain form.
    QString key() const;

private:
    Kind kind_ = Kind::Null;
    double number_ = 0;
    QString text_;
};

} // namespace korvex::reports
