#pragma once

#include "model/RecentFolder.h"
#include "tags/TagRules.h"

#include <QColor>
#include <QFont>

class CustomTagManager;

// How tags look on screen: the font sizes of badges and chips and the colours that stand for a
// tag, with the muted "secondary" keyword colour taken from the palette so that it reads on a
// light and on a dark background alike.
namespace TagStyle {

// The application's font at `points` on the scale where the body text is 13 points, so badge
// and chip sizes keep their proportion to the rest of the screen whatever the desktop's size.
QFont systemFont(qreal points, QFont::Weight weight = QFont::Normal);

// The colour of a keyword swatch on screen: the palette's secondary text colour for
// NamedColor::secondary, the named colour's value otherwise, each at the swatch's opacity.
QColor displayColor(const TagRules::Swatch& swatch);

// keywordColor of `tag` as shown on screen.
QColor keywordDisplayColor(const QString& tag);

// The project's colour as shown on screen: its own readable colour text, else the colour of the
// custom tag named like its effective tag, else the tag's keyword colour (see displayColor).
QColor projectDisplayColor(const RecentFolder& project, const CustomTagManager& tags);

} // namespace TagStyle
