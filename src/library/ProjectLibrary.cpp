#include "library/ProjectLibrary.h"

#include "library/RecentsOrder.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "tags/UnicodeText.h"

#include <algorithm>

namespace ProjectLibrary {

QString displayName(const RecentFolder& project)
{
    return RecentsOrder::lastPathComponent(project.path);
}

QString displayPath(const RecentFolder& project)
{
    return project.path;
}

QList<TagGroup> libraryGroups(const QList<RecentFolder>& projects)
{
    QList<TagGroup> groups;
    QStringList normalizedKeys;
    for (const RecentFolder& project : projects) {
        const QString tag = TagRules::effectiveTag(project);
        const QString key = tag.normalized(QString::NormalizationForm_C);
        const qsizetype index = normalizedKeys.indexOf(key);
        if (index >= 0) {
            groups[index].projects.append(project);
        } else {
            normalizedKeys.append(key);
            groups.append(TagGroup{tag, {project}});
        }
    }
    std::stable_sort(groups.begin(), groups.end(), [](const TagGroup& a, const TagGroup& b) {
        return UnicodeText::scalarLess(a.tag, b.tag);
    });
    return groups;
}

QStringList sortedGroupKeys(QStringList keys)
{
    std::stable_sort(keys.begin(), keys.end(), &UnicodeText::scalarLess);
    return keys;
}

QString groupHeaderTitle(const QString& tag)
{
    return UnicodeText::capitalizedWords(tag);
}

std::optional<TagRules::Swatch> groupHeaderColor(const QString& tag)
{
    if (!groupHeaderShowsSwatch(tag))
        return std::nullopt;
    return TagRules::keywordSwatch(tag);
}

bool groupHeaderShowsSwatch(const QString& tag)
{
    return !UnicodeText::canonicalEqual(tag, QString(TagRules::uncategorized));
}

SidebarSections sidebarSections(const QList<RecentFolder>& projects)
{
    SidebarSections sections;
    for (const RecentFolder& project : projects)
        (project.isPinned ? sections.pinned : sections.recent).append(project);
    return sections;
}

ProjectEntry entryFor(const RecentFolder& project)
{
    return {displayName(project), TagRules::effectiveTag(project), displayPath(project), project};
}

Listing loadListing(const Preferences& preferences)
{
    Listing listing;
    const std::optional<QByteArray> stored = preferences.bytes(PreferenceKeys::recentFoldersJson);
    if (!stored || stored->isEmpty())
        return listing;
    QString error;
    const std::optional<QList<RecentFolder>> decoded = RecentFolderCodec::decode(*stored, &error);
    if (!decoded) {
        listing.error = error;
        return listing;
    }
    for (const RecentFolder& project : *decoded)
        listing.projects.append(entryFor(project));
    for (const TagGroup& group : libraryGroups(*decoded)) {
        ProjectEntryGroup entries{group.tag, {}};
        for (const RecentFolder& project : group.projects)
            entries.projects.append(entryFor(project));
        listing.groups.append(entries);
    }
    return listing;
}

} // namespace ProjectLibrary
