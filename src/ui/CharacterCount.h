#pragma once

#include <QStringView>

// Lengths of texts as a person counts them.
namespace CharacterCount {

// The number of user-perceived characters (extended grapheme clusters): a letter with combining
// accents, an emoji sequence or a CR LF pair count as one. Text made only of characters below
// U+0300 (all of ASCII and Latin-1, in which every character but the CR of a CR LF pair stands
// alone) is counted in one quick pass; other text goes through the Unicode boundary rules.
qsizetype graphemes(QStringView text);

} // namespace CharacterCount
