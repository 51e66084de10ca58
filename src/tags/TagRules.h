#pragma once

#include "model/RecentFolder.h"
#include "tags/NamedColors.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class CustomTagManager;

// The rules that give every project a tag and every tag a colour. All are pure functions of
// their arguments; projectColor also reads the custom tags.
namespace TagRules {

// The tag of a project that has neither a manual tag nor one read off its path.
inline constexpr QLatin1StringView uncategorized{"uncategorized"};

// The 18 tags offered in the tag sheet, in the order it shows them.
const QStringList& suggestedTags();
// Exact, case-sensitive membership in suggestedTags().
bool isSuggestedTag(const QString& tag);

// The tag read off a path: the first folder after a leading ".../" (the shortened form of
// remembered cloud-drive folders), else the piece right after the first "Coding" folder of the
// path (possibly empty, for a path ending in "/Coding/"), else none. Case-sensitive.
std::optional<QString> pathDerivedTag(const QString& path);

// The project's manual tag when present and not empty, else its path-derived tag, else
// "uncategorized".
QString effectiveTag(const RecentFolder& project);

// A named colour at an opacity: what the keyword rules give, before it becomes a QColor. The
// screens may paint NamedColor::secondary with their palette's secondary text colour instead.
struct Swatch {
    NamedColor color = NamedColor::gray;
    double opacity = 1.0;

    QColor toColor() const { return NamedColors::color(color, opacity); }
    friend bool operator==(const Swatch&, const Swatch&) = default;
};

// The first of the keyword rules that matches the lower-cased tag ("swift" orange, "python"
// blue, ... gray when none does).
Swatch keywordSwatch(const QString& tag);
QColor keywordColor(const QString& tag);

// The project's colour: its own readable colour text, else the colour of the custom tag named
// like its effective tag (matched without regard to case), else the tag's keyword colour.
QColor projectColor(const RecentFolder& project, const CustomTagManager& tags);
// The same with the shared tag manager.
QColor projectColor(const RecentFolder& project);

} // namespace TagRules
