#include "reports/Value.h"

#include "store/TextCompare.h"

#include <QMetaType>
#include <cmath>

namespace korvex::reports {

namespace {

// Plain decimal form without exponent or trailing zeros: 12.5, 1000000, 0.125.
QString plainNumber(double number) {
    if (!std::isfinite(number))
        return QString::number(number);
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    QString text = QString::number(number, 'f', 10);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

bool readNumber(const QString& text, double& number) {
    bool ok = false;
    number = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(number);
}

} // namespace

Value Value::fromVariant(const QVariant& variant) {
    if (!variant.isValid() || variant.isNull())
        return {};
    switch (variant.metaType().id()) {
    case QMetaType::Bool:
        return Value(variant.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Value(variant.toDouble());
    default:
        return Value(variant.toString());
    }
}

double Value::toNumber() const {
    switch (kind_) {
    case Kind::Null:
        return 0;
    case Kind::Bool:
    case Kind::Number:
        return number_;
    case Kind::Text: {
        double number = 0;
        return readNumber(text_, number) ? number : 0;
    }
    }
    return 0;
}

QString Value::toText() const {
    switch (kind_) {
    case Kind::Null:
        return {};
    case Kind::Bool:
        return number_ != 0 ? QStringLiteral("Sí") : QStringLiteral("No");
    case Kind::Number:
        return plainNumber(number_);
    case Kind::Text:
        return text_;
    }
    return {};
}

bool Value::truthy() const {
    switch (kind_) {
    case Kind::Null:
        return false;
    case Kind::Bool:
    case Kind::Number:
        return number_ != 0;
    case Kind::Text: {
        const QString t = text_.trimmed().toLower();
        double number = 0;
        if (readNumber(t, number))
            return number != 0;
        return t == QLatin1String("true") || t == QLatin1String("verdadero") || t == QLatin1String("sí") ||
               t == QLatin1String("si");
    }
    }
    return false;
}

int Value::compare(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? 1 : -1);
    double x = 0;
    double y = 0;
    const bool aNumeric = a.kind_ != Kind::Text || readNumber(a.text_, x);
    const bool bNumeric = b.kind_ != Kind::Text || readNumber(b.text_, y);
    if (aNumeric && bNumeric) {
        x = a.toNumber();
        y = b.toNumber();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Equal exactly when the store's "=" finds the texts equal; otherwise in case-blind order.
    const QString ta = a.toText();
    const QString tb = b.toText();
    if (store::text::equalFolded(ta, tb))
        return 0;
    const int c = QString::compare(ta, tb, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0 ? -1 : 1;
    return ta < tb ? -1 : 1;
}

QString Value::key() const {
    return store::text::foldKey(toText().trimmed());
}

} // namespace korvex::reports
