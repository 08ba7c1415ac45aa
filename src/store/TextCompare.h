#pragma once
// Case-blind text comparison as project databases expect it: letter case is ignored for every
// letter, accented ones and ñ included ("Ñandú" equals "ñANDÚ"), while accents still tell words
// apart. Works on UTF-8 as SQLite hands it over; registered on every connection as the collation
// KNOCASE and as the like() function with the wildcard rules of the query dialect.

#include <QString>

struct sqlite3;

namespace korvex::store::text {

// <0, 0, >0. Equal exactly when both texts fold to the same letters; the order is alphabetical
// with accented letters next to their base letter and ñ after n.
int compare(const char* a, int lengthA, const char* b, int lengthB);
bool equalFolded(const QString& a, const QString& b);

// The letters of a text as the comparison folds them: two texts have the same key exactly when
// compare() finds them equal. Every part of the program that groups or matches names by hand
// (resources, items, groups, symbols) uses this key, so it groups what a query groups.
QString foldKey(const QString& text);

// The key a resource is known by: its description and its unit or category (empty for equipment,
// known by its description alone), each folded as above. Two lines share it exactly when a query
// comparing those fields with "=" finds one from the other.
QString resourceKey(const QString& description, const QString& second);

// Dialect wildcards: "*" any run of characters, "?" one character, "#" one digit, "[abc]",
// "[a-z]" and "[!abc]" one character of (or not of) the list. Every other character stands for
// itself, letter case ignored.
bool likeMatch(const QString& pattern, const QString& value);

bool isAscii(const QString& s);

inline constexpr const char* kCollation = "KNOCASE";
// Registers the collation and like() on a connection. Returns an SQLite result code.
int registerFunctions(sqlite3* db);

} // namespace korvex::store::text
