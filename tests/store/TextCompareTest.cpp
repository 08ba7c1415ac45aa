#include "store/TextCompare.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace text = korvex::store::text;

namespace {

int cmp(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    const int r = text::compare(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

TEST(TextCompare, FoldsCaseOfEveryLetterButKeepsAccents) {
    EXPECT_EQ(cmp("Ñandú", "ñANDÚ"), 0);
    EXPECT_EQ(cmp("CEMENTO gris", "cemento GRIS"), 0);
    EXPECT_EQ(cmp("ÇÀÉÎÕÜ", "çàéîõü"), 0);
    EXPECT_NE(cmp("cafe", "café"), 0);
    EXPECT_NE(cmp("nandu", "ñandú"), 0);
    EXPECT_EQ(cmp("", ""), 0);
    EXPECT_TRUE(text::equalFolded("Hormigón", "HORMIGÓN"));
}

TEST(TextCompare, OrdersAlphabetically) {
    EXPECT_EQ(cmp("árbol", "arco"), -1);
    EXPECT_EQ(cmp("Árbol", "arbol"), 1); // the accent decides only between otherwise equal words
    EXPECT_EQ(cmp("nube", "ñandú"), -1);
    EXPECT_EQ(cmp("ñandú", "oro"), -1);
    EXPECT_EQ(cmp("abc", "abcd"), -1);
    EXPECT_EQ(cmp("abcé", "abc"), 1);
    EXPECT_EQ(cmp("Z", "a"), 1);
    // Malformed UTF-8 compares without reading past the end.
    const char bad[] = {'a', char(0xC3)};
    const char good[] = {'a', 'b'};
    EXPECT_NE(text::compare(bad, 2, good, 2), 0);
}

TEST(TextCompare, LikeWildcardsOfTheDialect) {
    EXPECT_TRUE(text::likeMatch("cem*", "CEMENTO"));
    EXPECT_TRUE(text::likeMatch("*", ""));
    EXPECT_TRUE(text::likeMatch("ñan*", "Ñandú"));
    EXPECT_TRUE(text::likeMatch("*to*o", "cemento blanco"));
    EXPECT_TRUE(text::likeMatch("p?n", "pan"));
    EXPECT_FALSE(text::likeMatch("p?n", "pn"));
    EXPECT_TRUE(text::likeMatch("tubo #\"", "Tubo 2\""));
    EXPECT_FALSE(text::likeMatch("tubo #", "Tubo x"));
    EXPECT_TRUE(text::likeMatch("[a-c]*", "Bloque"));
    EXPECT_FALSE(text::likeMatch("[!a-c]*", "bloque"));
    EXPECT_TRUE(text::likeMatch("100[%]", "100%"));
    EXPECT_TRUE(text::likeMatch("[*]*", "*x"));
    EXPECT_FALSE(text::likeMatch("a%", "abc")); // "%" is an ordinary character
    EXPECT_FALSE(text::likeMatch("a_c", "abc"));
    EXPECT_FALSE(text::likeMatch("[abc", "a")); // unclosed list matches nothing
    EXPECT_FALSE(text::likeMatch("cem", "cemento"));
}

} // namespace

// The key every part of the program groups names by is equal exactly when the comparison is.
TEST(TextCompare, FoldKeyIsEqualExactlyWhenTheComparisonIs) {
    using namespace korvex::store::text;
    const QStringList words =
        QString::fromUtf8("cemento|CEMENTO|Cemento|Cémento|CÉMENTO|ſierra|sierra|SIERRA|"
                          "\u212Ailo|kilo|Straße|STRASSE|ÑANDÚ|ñandú|nandu||A1|a1")
            .split('|');
    for (const QString& a : words)
        for (const QString& b : words)
            EXPECT_EQ(foldKey(a) == foldKey(b), equalFolded(a, b))
                << a.toStdString() << " / " << b.toStdString();
    EXPECT_EQ(resourceKey("Cemento", "KG"), resourceKey("CEMENTO", "kg"));
    EXPECT_NE(resourceKey("ab", "c"), resourceKey("a", "bc"));
}
