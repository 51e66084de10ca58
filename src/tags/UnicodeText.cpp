#include "tags/UnicodeText.h"

#include <QList>

#include <algorithm>

namespace UnicodeText {

namespace {

void appendCodePoint(QString& out, char32_t cp)
{
    if (QChar::requiresSurrogates(cp)) {
        out.append(QChar(QChar::highSurrogate(cp)));
        out.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        out.append(QChar(static_cast<char16_t>(cp)));
    }
}

QString fromCodePoint(char32_t cp)
{
    QString text;
    appendCodePoint(text, cp);
    return text;
}

QList<uint> codePoints(const QString& text)
{
    return text.toUcs4();
}

// Unicode's full default case folding of one code point. Qt's toCaseFolded applies only the
// simple (one-to-one) folding, so the one-to-many entries are derived from Qt's full upper-case
// mapping: every character whose upper case is several characters folds to the lower case of
// that upper case ("ß" -> "SS" -> "ss", "ᾳ" -> "ΑΙ" -> "αι"). Two capitals fold to several
// characters although their upper case is themselves; they are written out.
void appendFullFold(QString& out, char32_t cp)
{
    if (cp == 0x0130) { // İ
        out.append(QChar(u'i'));
        out.append(QChar(char16_t(0x0307)));
        return;
    }
    if (cp == 0x1E9E) { // ẞ
        out.append(QStringLiteral("ss"));
        return;
    }
    const QString upper = fromCodePoint(cp).toUpper();
    if (codePoints(upper).size() > 1) {
        for (uint part : codePoints(upper.toLower()))
            appendCodePoint(out, QChar::toCaseFolded(char32_t(part)));
        return;
    }
    appendCodePoint(out, QChar::toCaseFolded(cp));
}

bool isCased(char32_t cp)
{
    return QChar::isLower(cp) || QChar::isUpper(cp) || QChar::isTitleCase(cp);
}

// Characters that do not break the context of a final sigma ("Case_Ignorable").
bool isCaseIgnorable(char32_t cp)
{
    switch (QChar::category(cp)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        break;
    }
    return cp == u'\'' || cp == u'.' || cp == u':' || cp == 0x00B7 || cp == 0x2018 ||
           cp == 0x2019 || cp == 0x2024 || cp == 0x2027;
}

bool isCombiningMark(char32_t cp)
{
    const QChar::Category category = QChar::category(cp);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// A capital sigma at `index` is final when a cased letter precedes it and none follows it,
// looking past case-ignorable characters on both sides.
bool isFinalSigma(const QList<uint>& cps, qsizetype index)
{
    qsizetype before = index - 1;
    while (before >= 0 && isCaseIgnorable(cps[before]))
        --before;
    if (before < 0 || !isCased(cps[before]))
        return false;
    qsizetype after = index + 1;
    while (after < cps.size() && isCaseIgnorable(cps[after]))
        ++after;
    return after >= cps.size() || !isCased(cps[after]);
}

// The full title-case mapping of one code point.
void appendTitleCase(QString& out, char32_t cp)
{
    const char32_t simple = QChar::toTitleCase(cp);
    if (simple != cp) {
        appendCodePoint(out, simple);
        return;
    }
    const QList<uint> upper = codePoints(fromCodePoint(cp).toUpper());
    if (upper.size() <= 1) {
        appendCodePoint(out, upper.isEmpty() ? cp : char32_t(upper.first()));
        return;
    }
    // Several characters ("ß" -> "SS"): keep them up to the first cased one and lower the rest,
    // which turns the upper-case form into the title-case one ("Ss", "Fi", "ʼN"). In Greek
    // letters with an iota subscript the capital iota of the upper-case form is the subscript
    // again in title case.
    const bool greekWithSubscript = cp >= 0x1F80 && cp <= 0x1FFF;
    bool seenCased = false;
    for (uint part : upper) {
        if (!seenCased) {
            appendCodePoint(out, part);
            seenCased = isCased(part);
        } else if (greekWithSubscript && part == 0x0399) {
            appendCodePoint(out, 0x0345);
        } else {
            out.append(fromCodePoint(part).toLower());
        }
    }
}

} // namespace

bool canonicalEqual(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

bool scalarLess(const QString& a, const QString& b)
{
    const QList<uint> left = codePoints(a.normalized(QString::NormalizationForm_C));
    const QList<uint> right = codePoints(b.normalized(QString::NormalizationForm_C));
    return std::lexicographical_compare(left.cbegin(), left.cend(), right.cbegin(), right.cend());
}

QString caselessKey(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (uint cp : codePoints(decomposed))
        appendFullFold(folded, cp);
    return folded.normalized(QString::NormalizationForm_D);
}

bool caselessEqual(const QString& a, const QString& b)
{
    return a == b || caselessKey(a) == caselessKey(b);
}

QString capitalizedWords(const QString& text)
{
    const QList<uint> cps = codePoints(text);
    QString out;
    out.reserve(text.size());
    bool atWordStart = true;
    bool inFirstCharacter = false;
    for (qsizetype i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        if (QChar::isSpace(cp)) {
            appendCodePoint(out, cp);
            atWordStart = true;
            inFirstCharacter = false;
        } else if (atWordStart) {
            appendTitleCase(out, cp);
            atWordStart = false;
            inFirstCharacter = true;
        } else if (inFirstCharacter && isCombiningMark(cp)) {
            appendCodePoint(out, cp);
        } else {
            inFirstCharacter = false;
            if (cp == 0x03A3)
                appendCodePoint(out, isFinalSigma(cps, i) ? 0x03C2 : 0x03C3);
            else
                out.append(fromCodePoint(cp).toLower());
        }
    }
    return out;
}

} // namespace UnicodeText
