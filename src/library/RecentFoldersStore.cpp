#include "library/RecentFoldersStore.h"

#include "library/RecentsOrder.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "model/ReferenceDate.h"
#include "platform/FileManager.h"
#include "platform/FolderBookmark.h"
#include "platform/Log.h"
#include "tags/UnicodeText.h"

namespace {

// The fixed beginnings of the log lines; the error's description follows directly.
const QString loadFailedMessage = QStringLiteral("Error loading recents: ");
const QString recentsBookmarkFailedMessage =
    QStringLiteral("Failed to create bookmark for recents: ");
const QString openResolveFailedMessage = QStringLiteral("Could not resolve recent bookmark: ");
const QString startBookmarkFailedMessage = QStringLiteral("Error creating bookmark: ");
const QString startResolveFailedMessage = QStringLiteral("Error resolving startup bookmark: ");
const QString revealResolveFailedMessage =
    QStringLiteral("Could not resolve bookmark to show in Finder: ");

} // namespace

RecentFoldersStore::RecentFoldersStore(Preferences& preferences, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_clock(&ReferenceDate::now)
    , m_collator(RecentsOrder::naturalNameCollator())
{}

RecentFoldersStore::RecentFoldersStore(QObject* parent)
    : RecentFoldersStore(Preferences::standard(), parent)
{}

void RecentFoldersStore::setPathPrefixes(const CloudPathPrefixes& prefixes)
{
    m_prefixes = prefixes;
}

void RecentFoldersStore::setClock(std::function<double()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<double()>(&ReferenceDate::now);
}

void RecentFoldersStore::setCollator(const QCollator& collator)
{
    m_collator = collator;
}

std::optional<QByteArray> RecentFoldersStore::lastFolderBookmark() const
{
    return m_preferences.bytes(PreferenceKeys::lastFolderBookmark);
}

std::optional<RecentFolder> RecentFoldersStore::recordForOpenFolder() const
{
    if (!m_accessibleURL)
        return std::nullopt;
    const qsizetype index = indexOfPath(shortenedPath(m_accessibleURL));
    if (index < 0)
        return std::nullopt;
    return m_recentFolders[index];
}

bool RecentFoldersStore::isOpenFolder(const RecentFolder& folder) const
{
    return m_accessibleURL && UnicodeText::canonicalEqual(folder.path, m_folderPath);
}

QString RecentFoldersStore::shortenedPath(const QString& folderPath) const
{
    return m_prefixes.shorten(folderPath);
}

QString RecentFoldersStore::shortenedPath(const std::optional<QString>& folderPath) const
{
    return folderPath ? shortenedPath(*folderPath) : QString();
}

void RecentFoldersStore::loadRecents()
{
    const QString key(PreferenceKeys::recentFoldersJson);
    const std::optional<QByteArray> stored = m_preferences.bytes(PreferenceKeys::recentFoldersJson);
    if (!stored) {
        // Another type reads as nothing stored, but is kept before the next save replaces it.
        m_preferences.keepOriginal(key);
        return;
    }
    if (stored->isEmpty())
        return;
    QString error;
    std::optional<QList<RecentFolder>> decoded = RecentFolderCodec::decode(*stored, &error);
    if (!decoded) {
        Log::line(loadFailedMessage + error);
        m_preferences.keepOriginal(key);
        return;
    }
    m_recentFolders = std::move(*decoded);
    Q_EMIT recentFoldersChanged();
}

void RecentFoldersStore::saveRecents()
{
    RecentsOrder::sort(m_recentFolders, m_collator);
    Q_EMIT recentFoldersChanged();
    // Encoding a list of records cannot fail, so there is no failure to report here.
    m_preferences.setBytes(PreferenceKeys::recentFoldersJson,
                           RecentFolderCodec::encode(m_recentFolders));
}

bool RecentFoldersStore::addToRecents(const QString& folderPath)
{
    const auto bookmark = BookmarkService::current().create(folderPath);
    if (!bookmark) {
        Log::line(recentsBookmarkFailedMessage + bookmark.error.description());
        return false;
    }
    const QString path = shortenedPath(folderPath);
    const double now = m_clock();
    const qsizetype existing = indexOfPath(path);
    if (existing >= 0) {
        RecentFolder& folder = m_recentFolders[existing];
        folder.lastAccessed = now;
        folder.bookmarkData = *bookmark.value;
    } else {
        RecentFolder folder;
        folder.id = QUuid::createUuid();
        folder.bookmarkData = *bookmark.value;
        folder.path = path;
        folder.isPinned = false;
        folder.lastAccessed = now;
        m_recentFolders.prepend(folder);
    }
    evictBeyondLimit();
    saveRecents();
    renewSidebarListId();
    return true;
}

bool RecentFoldersStore::openRecent(const RecentFolder& folder)
{
    const auto resolved = BookmarkService::current().resolve(folder.bookmarkData);
    if (!resolved) {
        Log::line(openResolveFailedMessage + resolved.error.description());
        return false;
    }
    if (resolved.value->isStale) {
        addToRecents(resolved.value->path);
    } else if (const qsizetype index = indexOfId(folder.id); index >= 0) {
        m_recentFolders[index].lastAccessed = m_clock();
        saveRecents();
    }
    setOpenFolder(resolved.value->path);
    return true;
}

void RecentFoldersStore::togglePin(const RecentFolder& folder)
{
    const qsizetype index = indexOfId(folder.id);
    if (index < 0)
        return;
    m_recentFolders[index].isPinned = !m_recentFolders[index].isPinned;
    saveRecents();
    renewSidebarListId();
}

void RecentFoldersStore::removeRecent(const RecentFolder& folder)
{
    const QUuid id = folder.id;
    m_recentFolders.removeIf([&](const RecentFolder& candidate) { return candidate.id == id; });
    saveRecents();
    renewSidebarListId();
}

void RecentFoldersStore::applyTag(const RecentFolder& folder, const QString& tag,
                                  const std::optional<QString>& colorHex)
{
    const qsizetype index = indexOfId(folder.id);
    if (index < 0)
        return;
    RecentFolder& target = m_recentFolders[index];
    target.manualTag = tag.isEmpty() ? std::nullopt : std::optional<QString>(tag);
    target.customColorHex = colorHex;
    saveRecents();
    renewSidebarListId();
}

void RecentFoldersStore::saveFolderState(const QSet<QString>& selectedPaths,
                                         const QSet<QString>& expandedPaths)
{
    if (!m_accessibleURL)
        return;
    const qsizetype index = indexOfPath(shortenedPath(m_accessibleURL));
    if (index < 0)
        return;
    m_recentFolders[index].savedSelectedPaths = selectedPaths;
    m_recentFolders[index].savedExpandedPaths = expandedPaths;
    saveRecents();
}

bool RecentFoldersStore::saveLastFolderBookmark(const QString& folderPath)
{
    const ScopedFolderAccess access(folderPath);
    const auto bookmark = BookmarkService::current().create(folderPath);
    if (!bookmark) {
        Log::line(startBookmarkFailedMessage + bookmark.error.description());
        return false;
    }
    m_preferences.setBytes(PreferenceKeys::lastFolderBookmark, *bookmark.value);
    return true;
}

void RecentFoldersStore::recordGeneration(const std::optional<QString>& reportedFolder)
{
    if (reportedFolder)
        saveLastFolderBookmark(*reportedFolder);
    else if (m_accessibleURL)
        saveLastFolderBookmark(*m_accessibleURL);
}

ViewMode RecentFoldersStore::restoreLastFolder()
{
    loadRecents();
    const std::optional<QByteArray> bookmark = lastFolderBookmark();
    if (!bookmark)
        return ViewMode::projects;
    const auto resolved = BookmarkService::current().resolve(*bookmark);
    if (!resolved) {
        Log::line(startResolveFailedMessage + resolved.error.localizedDescription);
        m_preferences.remove(QString(PreferenceKeys::lastFolderBookmark));
        return ViewMode::projects;
    }
    if (resolved.value->isStale)
        saveLastFolderBookmark(resolved.value->path);
    setOpenFolder(resolved.value->path);
    return ViewMode::plexor;
}

bool RecentFoldersStore::showInFinder(const RecentFolder& folder)
{
    const auto resolved = BookmarkService::current().resolve(folder.bookmarkData);
    if (!resolved) {
        Log::line(revealResolveFailedMessage + resolved.error.description());
        return false;
    }
    FileManager::current().revealFolder(resolved.value->path);
    return true;
}

void RecentFoldersStore::setOpenFolder(const std::optional<QString>& folderPath)
{
    const QString shortened = shortenedPath(folderPath);
    if (folderPath == m_accessibleURL && shortened == m_folderPath)
        return;
    m_accessibleURL = folderPath;
    m_folderPath = shortened;
    Q_EMIT openFolderChanged();
}

qsizetype RecentFoldersStore::indexOfId(const QUuid& id) const
{
    for (qsizetype i = 0; i < m_recentFolders.size(); ++i) {
        if (m_recentFolders[i].id == id)
            return i;
    }
    return -1;
}

qsizetype RecentFoldersStore::indexOfPath(const QString& path) const
{
    for (qsizetype i = 0; i < m_recentFolders.size(); ++i) {
        if (UnicodeText::canonicalEqual(m_recentFolders[i].path, path))
            return i;
    }
    return -1;
}

// Removes at most one record: the unpinned one with the oldest lastAccessed, the earliest in the
// list among equal times. With every record pinned nothing goes.
void RecentFoldersStore::evictBeyondLimit()
{
    if (m_recentFolders.size() <= recentsLimit)
        return;
    const RecentFolder* oldest = nullptr;
    for (const RecentFolder& folder : std::as_const(m_recentFolders)) {
        if (!folder.isPinned && (!oldest || folder.lastAccessed < oldest->lastAccessed))
            oldest = &folder;
    }
    if (!oldest)
        return;
    m_recentFolders.removeAt(indexOfId(oldest->id));
}

void RecentFoldersStore::renewSidebarListId()
{
    m_sidebarListId = QUuid::createUuid();
    Q_EMIT sidebarListIdChanged(m_sidebarListId);
}
