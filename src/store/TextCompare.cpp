#include "store/TextCompare.h"

#include <QChar>
#include <QList>
#include <array>
#include <sqlite3.h>
#include <vector>

namespace korvex::store::text {

namespace {

// A code point that is not ASCII never folds to ASCII, so that an ASCII text compares equal to
// exactly the texts SQLite's NOCASE finds (the stored indexes use NOCASE).
char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const char32_t f = QChar::toCaseFolded(c);
    return f < 0x80 ? c : f;
}

// Primary sort weight: accented Latin letters weigh as their base letter, ñ just after n.
uint32_t computeWeight(char32_t f) {
    if (f < 0x80)
        return f << 8;
    if (f == 0xF1) // ñ
        return ('n' << 8) | 0x80;
    const QString d = QChar::decomposition(f);
    const char32_t base = d.isEmpty() ? 0 : d.at(0).unicode();
    const char32_t lower = base < 0x80 ? fold(base) : 0;
    return (lower >= 'a' && lower <= 'z') ? (lower << 8) : (f << 8);
}

struct Folded {
    char32_t letter; // folded code point
    uint32_t weight; // primary weight
};

// Latin letters are looked up in a table; the rest of Unicode is computed.
constexpr char32_t kTableSize = 0x250;

Folded folded(char32_t c) {
    static const std::array<Folded, kTableSize> table = [] {
        std::array<Folded, kTableSize> t{};
        for (char32_t i = 0; i < kTableSize; ++i) {
            const char32_t f = fold(i);
            t[i] = {f, computeWeight(f)};
        }
        return t;
    }();
    if (c < kTableSize)
        return table[c];
    const char32_t f = fold(c);
    return {f, computeWeight(f)};
}

// Decodes one UTF-8 sequence; malformed bytes count as one code point each, so that no input
// can make the comparison read past its end.
char32_t nextCodePoint(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0xFFFD;
    }
    if (end - p < extra)
        return 0xFFFD;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

int compareFrom(const unsigned char* a, const unsigned char* ae, const unsigned char* b,
                const unsigned char* be) {
    // Primary pass: letters without accents or case.
    const unsigned char* pa = a;
    const unsigned char* pb = b;
    while (pa < ae && pb < be) {
        const uint32_t wa = folded(nextCodePoint(pa, ae)).weight;
        const uint32_t wb = folded(nextCodePoint(pb, be)).weight;
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (pa < ae || pb < be)
        return pa < ae ? 1 : -1;
    // Secondary pass: accents tell apart texts that are otherwise the same.
    pa = a;
    pb = b;
    while (pa < ae && pb < be) {
        const char32_t fa = folded(nextCodePoint(pa, ae)).letter;
        const char32_t fb = folded(nextCodePoint(pb, be)).letter;
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return 0;
}

inline unsigned char lowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

std::vector<char32_t> foldedCodePoints(const QString& s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (char32_t c : s.toUcs4())
        out.push_back(folded(c).letter);
    return out;
}

bool isDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

// Matches one "[...]" list starting after "["; advances i past "]". Returns false on a malformed
// list (no closing "]"), which then matches nothing.
bool matchList(const std::vector<char32_t>& p, size_t& i, char32_t c, bool& ok) {
    bool negate = false;
    if (i < p.size() && p[i] == '!') {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < p.size() && (p[i] != ']' || first)) {
        first = false;
        char32_t lo = p[i++];
        char32_t hi = lo;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
            hi = p[i + 1];
            i += 2;
        }
        if (c >= lo && c <= hi)
            found = true;
    }
    if (i >= p.size()) {
        ok = false;
        return false;
    }
    ++i; // past "]"
    ok = true;
    return found != negate;
}

bool matchAt(const std::vector<char32_t>& p, size_t pi, const std::vector<char32_t>& v, size_t vi) {
    // Iterative matching with one backtracking point for the last "*".
    size_t starP = SIZE_MAX;
    size_t starV = 0;
    while (vi < v.size()) {
        bool advanced = false;
        if (pi < p.size()) {
            const char32_t pc = p[pi];
            if (pc == '*') {
                starP = ++pi;
                starV = vi;
                continue;
            }
            if (pc == '?') {
                ++pi;
                ++vi;
                advanced = true;
            } else if (pc == '#') {
                if (isDigit(v[vi])) {
                    ++pi;
                    ++vi;
                    advanced = true;
                }
            } else if (pc == '[') {
                size_t j = pi + 1;
                bool ok = false;
                if (matchList(p, j, v[vi], ok)) {
                    pi = j;
                    ++vi;
                    advanced = true;
                } else if (!ok) {
                    return false;
                }
            } else if (pc == v[vi]) {
                ++pi;
                ++vi;
                advanced = true;
            }
        }
        if (advanced)
            continue;
        if (starP == SIZE_MAX)
            return false;
        pi = starP;
        vi = ++starV;
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

int sqliteCompare(void*, int la, const void* a, int lb, const void* b) {
    return compare(static_cast<const char*>(a), la, static_cast<const char*>(b), lb);
}

QString valueText(sqlite3_value* v) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(t, sqlite3_value_bytes(v));
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL ||
        sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, likeMatch(valueText(argv[0]), valueText(argv[1])) ? 1 : 0);
}

} // namespace

int compare(const char* a, int lengthA, const char* b, int lengthB) {
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    const int n = lengthA < lengthB ? lengthA : lengthB;
    // Fast path over the common ASCII prefix; the full comparison starts where it ends.
    int i = 0;
    for (; i < n; ++i) {
        const unsigned char ca = ua[i];
        const unsigned char cb = ub[i];
        if ((ca | cb) & 0x80)
            break;
        const unsigned char la = lowerAscii(ca);
        const unsigned char lb = lowerAscii(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (i == n)
        return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
    return compareFrom(ua + i, ua + lengthA, ub + i, ub + lengthB);
}

bool equalFolded(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compare(ua.constData(), int(ua.size()), ub.constData(), int(ub.size())) == 0;
}

QString foldKey(const QString& text) {
    if (isAscii(text)) {
        // Lowered by hand: QString::toLower goes through the Unicode tables for every letter.
        QString lowered = text; // shares the data until the first upper-case letter is written
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c >= u'A' && c <= u'Z')
                lowered[i] = QChar(char16_t(c + 32));
        }
        return lowered;
    }
    const std::vector<char32_t> letters = foldedCodePoints(text);
    return QString::fromUcs4(letters.data(), static_cast<qsizetype>(letters.size()));
}

QString resourceKey(const QString& description, const QString& second) {
    // A unit separator cannot be typed into a cell, so ("ab", "c") and ("a", "bc") stay apart.
    return foldKey(description) + QChar(0x1f) + foldKey(second);
}

bool likeMatch(const QString& pattern, const QString& value) {
    return matchAt(foldedCodePoints(pattern), 0, foldedCodePoints(value), 0);
}

bool isAscii(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

int registerFunctions(sqlite3* db) {
    int rc = sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, sqliteCompare, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                                    nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    return sqlite3_create_function_v2(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                      likeFunction, nullptr, nullptr, nullptr);
}

} // namespace korvex::store::text
