#pragma once

#include <QStringView>

// Lengths of texts as a person counts them.
namespace CharacterCount {

// The number of user-perceived characters (extended grapheme clusters): a letter with combining
// accents, an emoji sequence or a CR LF pair count as one. Lines made only of characters below
// U+0300 (all of ASCII and Latin-1, in which every character but the CR of a CR LF pair stands
// alone) are counted in one quick pass; other lines go through the Unicode boundary rules.
qsizetype graphemes(QStringView text);

// How the count of `text` changes when its `removed` characters at `from` are replaced by
// `inserted`, found from the lines the edit touches alone.
qsizetype changeAfterEdit(QStringView text, qsizetype from, qsizetype removed,
                          QStringView inserted);

} // namespace CharacterCount
