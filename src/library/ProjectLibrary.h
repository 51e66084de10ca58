#pragma once

#include "model/RecentFolder.h"
#include "tags/TagRules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Preferences;

// How the remembered projects are presented: names, paths and tags of the cards and rows, the
// grouping by tag with its order and headers, and the sidebar's two sections. Pure functions of
// the list (already in recents order); nothing here changes it.
namespace ProjectLibrary {

// The folder's own name: the last path component of the stored path text.
QString displayName(const RecentFolder& project);
// The stored path text as it is (absolute, or shortened to begin with ".../").
QString displayPath(const RecentFolder& project);

// One group of the "Tags" ordering: the projects whose effective tag is `tag`, in list order.
struct TagGroup {
    QString tag;
    QList<RecentFolder> projects;
};

// The projects grouped by effective tag, groups in sortedGroupKeys order. Tags are told apart
// case-sensitively ("Swift" and "swift" are two groups) but under canonical equivalence; a
// group carries the spelling of its first project.
QList<TagGroup> libraryGroups(const QList<RecentFolder>& projects);

// `keys` in ascending plain order: the Unicode scalar values of the canonically normalized
// texts, compared one by one; "uncategorized" has no special place.
QStringList sortedGroupKeys(QStringList keys);

// The header text of a group: every word capitalized ("home automation" -> "Home Automation",
// "AI" -> "Ai", "uncategorized" -> "Uncategorized"); see UnicodeText::capitalizedWords.
QString groupHeaderTitle(const QString& tag);
// The header's colour: none for "uncategorized" (the screen's primary text colour), otherwise
// the tag's keyword colour, also when its projects carry colours of their own.
std::optional<TagRules::Swatch> groupHeaderColor(const QString& tag);
// Whether the header shows a square in the keyword colour (every tag but "uncategorized").
bool groupHeaderShowsSwatch(const QString& tag);

// The sidebar's two sections, each in list order.
struct SidebarSections {
    QList<RecentFolder> pinned;
    QList<RecentFolder> recent;
};
SidebarSections sidebarSections(const QList<RecentFolder>& projects);

// What a listing shows of one project.
struct ProjectEntry {
    QString displayName;
    QString tag;
    QString displayPath;
    RecentFolder record;
};

struct ProjectEntryGroup {
    QString tag;
    QList<ProjectEntry> projects;
};

struct Listing {
    // In library order: the stored order, which is recents order as of the last save.
    QList<ProjectEntry> projects;
    // The "Tags" ordering.
    QList<ProjectEntryGroup> groups;
    // Why the stored list could not be read; the lists are then empty.
    std::optional<QString> error;
};

ProjectEntry entryFor(const RecentFolder& project);

// Reads the remembered projects from `preferences` and lists them in both orderings. Writes
// nothing and logs nothing, so a command-line tool can use it on the user's store.
Listing loadListing(const Preferences& preferences);

} // namespace ProjectLibrary
