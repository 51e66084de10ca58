#include "ui/CharacterCount.h"

#include <QTextBoundaryFinder>

namespace CharacterCount {

qsizetype graphemes(QStringView text)
{
    // Below U+0300 there are no combining marks, joiners, surrogates or other extending
    // characters, so every code unit is a character of its own except LF after CR.
    qsizetype pairs = 0;
    char16_t previous = 0;
    bool simple = true;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x300) {
            simple = false;
            break;
        }
        if (unit == u'\n' && previous == u'\r')
            ++pairs;
        previous = unit;
    }
    if (simple)
        return text.size() - pairs;

    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), int(text.size()));
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace CharacterCount
