#include "ui/CharacterCount.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace CharacterCount {

namespace {

// Below U+0300 there are no combining marks, joiners, surrogates or other extending characters:
// every code unit stands alone, except an LF after a CR, which can only end a line.
bool onlySimple(QStringView line)
{
    bool complex = false;
    for (const QChar c : line)
        complex |= c.unicode() >= 0x300;
    return !complex;
}

qsizetype fullRules(QStringView text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), int(text.size()));
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

qsizetype graphemes(QStringView text)
{
    // A line feed always ends a character, and nothing before it joins anything after it, so the
    // text is counted line by line: lines of simple characters at once, runs of other lines
    // through the full rules.
    qsizetype count = 0;
    qsizetype complexStart = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype feed = text.indexOf(u'\n', start);
        const qsizetype end = feed < 0 ? text.size() : feed + 1;
        const QStringView line = text.sliced(start, end - start);
        if (onlySimple(line)) {
            count += fullRules(text.sliced(complexStart, start - complexStart));
            count += line.size() - (line.endsWith(u"\r\n") ? 1 : 0);
            complexStart = end;
        }
        start = end;
    }
    return count + fullRules(text.sliced(complexStart));
}

qsizetype changeAfterEdit(QStringView text, qsizetype from, qsizetype removed, QStringView inserted)
{
    // The lines the edit touches are all that can count differently.
    const qsizetype start = from > 0 ? text.lastIndexOf(u'\n', from - 1) + 1 : 0;
    const qsizetype feed = text.indexOf(u'\n', from + removed);
    const qsizetype end = feed < 0 ? text.size() : feed + 1;
    QString after;
    after.reserve(from - start + inserted.size() + end - from - removed);
    after.append(text.sliced(start, from - start));
    after.append(inserted);
    after.append(text.sliced(from + removed, end - from - removed));
    return graphemes(after) - graphemes(text.sliced(start, end - start));
}

} // namespace CharacterCount
