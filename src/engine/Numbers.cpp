#include "engine/Numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace korvex::engine {

namespace {

// Powers of ten up to 10^22 are exact doubles; past that pow() is only approximate.
constexpr int kMaxExactPower = 22;
constexpr std::array<double, kMaxExactPower + 1> kPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr double kTwoPow53 = 9007199254740992.0;

double powerOfTen(int n) {
    if (n >= 0 && n <= kMaxExactPower)
        return kPowersOfTen[static_cast<std::size_t>(n)];
    return std::pow(10.0, n);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Step 3 of the reading: a decimal number with "." as its only possible separator, a leading
// sign and blanks around it. Exponents, inner blanks and any other character are refused.
std::optional<double> parseDecimal(const QString& text) {
    const QString trimmed = text.trimmed();
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(trimmed.size()));
    for (const QChar c : trimmed) {
        if (c.unicode() > 127)
            return std::nullopt;
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    std::size_t pos = 0;
    bool negative = false;
    if (pos < ascii.size() && (ascii[pos] == '+' || ascii[pos] == '-')) {
        negative = ascii[pos] == '-';
        ++pos;
    }
    std::string body = ascii.substr(pos);
    int digits = 0;
    int points = 0;
    bool nonZeroBeforePoint = false;
    for (const char c : body) {
        if (isDigit(c)) {
            ++digits;
            if (points == 0 && c != '0')
                nonZeroBeforePoint = true;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    if (body.front() == '.')
        body.insert(body.begin(), '0');
    if (body.back() == '.')
        body.push_back('0');

    double value = 0;
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
    if (end != body.data() + body.size())
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        if (nonZeroBeforePoint)
            return std::nullopt; // too large for a double
        value = 0;               // too small: it is zero for every purpose of the system
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// A pattern such as "###,##0.00#": how many integer digits are always shown, whether thousands
// are grouped, and the least and most decimals shown.
struct Pattern {
    int minInteger = 1;
    bool grouping = false;
    int minDecimals = 2;
    int maxDecimals = 2;
};

std::optional<Pattern> parsePattern(const QString& text) {
    Pattern pattern{0, false, 0, 0};
    const qsizetype point = text.indexOf('.');
    const QString integerPart = point < 0 ? text : text.left(point);
    const QString decimalPart = point < 0 ? QString() : text.mid(point + 1);
    if (integerPart.isEmpty() && decimalPart.isEmpty())
        return std::nullopt;
    for (const QChar c : integerPart) {
        if (c == '0')
            ++pattern.minInteger;
        else if (c == ',')
            pattern.grouping = true;
        else if (c != '#')
            return std::nullopt;
    }
    bool optionalSeen = false;
    for (const QChar c : decimalPart) {
        if (c == '0' && !optionalSeen)
            ++pattern.minDecimals;
        else if (c == '#')
            optionalSeen = true;
        else
            return std::nullopt;
        ++pattern.maxDecimals;
    }
    return pattern;
}

// The digits of |value| in its shortest round-trip form, split at the decimal point.
struct DecimalDigits {
    std::string integer; // no leading zeros ("" for zero)
    std::string fraction;
};

DecimalDigits decimalDigits(double magnitude) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific);
    const std::string text(buffer.data(), result.ptr);
    const std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (isDigit(text[i]))
            digits.push_back(text[i]);
    const int exponent = std::stoi(text.substr(e + 1));

    DecimalDigits out;
    if (exponent >= 0) {
        const auto integerCount = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < integerCount)
            digits.append(integerCount - digits.size(), '0');
        out.integer = digits.substr(0, integerCount);
        out.fraction = digits.substr(integerCount);
    } else {
        out.fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    const std::size_t firstNonZero = out.integer.find_first_not_of('0');
    out.integer = firstNonZero == std::string::npos ? std::string() : out.integer.substr(firstNonZero);
    return out;
}

// Keeps `decimals` digits of the fraction, rounding half away from zero on the decimal digits.
void roundDigits(DecimalDigits& number, int decimals) {
    const auto keep = static_cast<std::size_t>(decimals);
    if (number.fraction.size() <= keep)
        return;
    const bool up = number.fraction[keep] >= '5';
    number.fraction.resize(keep);
    if (!up)
        return;
    for (std::size_t i = keep; i-- > 0;) {
        if (number.fraction[i] != '9') {
            ++number.fraction[i];
            return;
        }
        number.fraction[i] = '0';
    }
    for (std::size_t i = number.integer.size(); i-- > 0;) {
        if (number.integer[i] != '9') {
            ++number.integer[i];
            return;
        }
        number.integer[i] = '0';
    }
    number.integer.insert(number.integer.begin(), '1');
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

QString applyPattern(double value, const Pattern& pattern) {
    if (!std::isfinite(value))
        value = 0;
    DecimalDigits number = decimalDigits(std::fabs(value));
    roundDigits(number, pattern.maxDecimals);
    while (static_cast<int>(number.fraction.size()) > pattern.minDecimals && number.fraction.back() == '0')
        number.fraction.pop_back();
    if (number.fraction.size() < static_cast<std::size_t>(pattern.minDecimals))
        number.fraction.append(static_cast<std::size_t>(pattern.minDecimals) - number.fraction.size(), '0');

    const bool isZero = number.integer.find_first_not_of('0') == std::string::npos &&
                        number.fraction.find_first_not_of('0') == std::string::npos;
    std::string integer = number.integer;
    if (integer.size() < static_cast<std::size_t>(pattern.minInteger))
        integer.insert(0, static_cast<std::size_t>(pattern.minInteger) - integer.size(), '0');

    std::string out;
    if (value < 0 && !isZero)
        out.push_back('-');
    out += pattern.grouping ? groupThousands(integer) : integer;
    if (!number.fraction.empty())
        out += "." + number.fraction;
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace

std::optional<double> ConvertirNumero(const QString& text) {
    QString normalized;
    normalized.reserve(text.size());
    bool pointPlaced = false;
    for (qsizetype i = text.size(); i-- > 0;) {
        const QChar c = text[i];
        if (c == ',' || c == '.') {
            if (!pointPlaced) {
                normalized.prepend('.');
                pointPlaced = true;
            }
        } else {
            normalized.prepend(c);
        }
    }
    return parseDecimal(normalized);
}

double ConvertirNumeroOCero(const QString& text) {
    return ConvertirNumero(text).value_or(0.0);
}

double Redondear(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    const double scale = powerOfTen(decimals);
    const double whole = std::floor(value);
    const double fraction = value - whole;
    const double scaled = fraction * scale;
    const double kept = std::floor(scaled);
    const double remainder = scaled - kept;
    const double step = remainder >= 0.49999 ? 1.0 : 0.0;

    // whole x 10^n + kept + step is an integer; while it is exact, one division gives the
    // double nearest to the rounded decimal value (33.675 -> exactly the double of 33.68).
    if (decimals >= 0 && decimals <= kMaxExactPower) {
        const double units = whole * scale;
        if (std::fabs(units) < kTwoPow53 && std::fabs(units + kept + step) < kTwoPow53)
            return (units + kept + step) / scale;
    }
    return kept / scale + whole + step / scale;
}

double RedondearPar(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    const double scale = powerOfTen(decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= kTwoPow53)
        return value;
    const double below = std::floor(scaled);
    const double excess = scaled - below;
    double rounded = below;
    if (excess > 0.5 || (excess == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1;
    return rounded / scale;
}

QString CambiarComas(const QString& text) {
    QString out = text;
    out.replace(',', '.');
    return out;
}

QString formatNumber(double value, const QString& pattern) {
    static const Pattern fallback{1, false, 2, 2};
    return applyPattern(value, parsePattern(pattern).value_or(fallback));
}

QString FormatoMoneda(double value) {
    return formatNumber(value, kFormatoMoneda);
}
QString FormatoTresDecimales(double value) {
    return formatNumber(value, kFormatoTresDecimales);
}
QString FormatoPrecio(double value) {
    return formatNumber(value, kFormatoPrecio);
}
QString FormatoGrupo(double value) {
    return formatNumber(value, kFormatoGrupo);
}
QString FormatoSimple(double value) {
    return formatNumber(value, kFormatoSimple);
}

QString Contar(qint64 n, const QString& singular, const QString& plural) {
    return QString::number(n) + QLatin1Char(' ') + (n == 1 ? singular : plural);
}

} // namespace korvex::engine
