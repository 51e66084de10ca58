#pragma once

#include <QString>

// Text rules shared by the project library and the tags, written once so that every place that
// compares, orders or capitalizes names agrees.
namespace UnicodeText {

// Equality under canonical equivalence: "é" as one character equals "e" followed by a combining
// acute accent. Case-sensitive.
bool canonicalEqual(const QString& a, const QString& b);

// True when `a` orders before `b` by the Unicode scalar values of their NFC forms, compared one
// by one (no locale, no numeric awareness, upper case before lower case).
bool scalarLess(const QString& a, const QString& b);

// The key under which names are matched without regard to letter case: the canonical caseless
// form NFD(fold(NFD(text))), where fold is Unicode's full default case folding.
//
// Full folding (not lower-casing) is what makes "STRASSE", "Straße" and "STRAẞE" one name, and
// "ﬁle" the same as "FILE". The folding is the locale-independent default, not the Turkic one:
// "I" matches "i", "İ" matches "i̇" (i with a combining dot above), and the dotless "ı" matches
// only itself, so a Turkish name never merges two of its distinct letters.
QString caselessKey(const QString& text);
bool caselessEqual(const QString& a, const QString& b);

// Every white-space separated word with its first character in title case and all its other
// characters in lower case ("home automation" -> "Home Automation", "AI" -> "Ai"). The rule is
// locale-independent. Title case equals upper case for nearly every letter; it differs for
// digraphs and ligatures, where it gives the word-initial form ("ǆ" -> "ǅ", "ß" -> "Ss",
// "ﬁ" -> "Fi"). Combining marks that belong to the first character are kept as they are, and a
// capital sigma that ends a word becomes the final form "ς".
QString capitalizedWords(const QString& text);

} // namespace UnicodeText
