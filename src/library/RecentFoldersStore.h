#pragma once

#include "library/CloudPathPrefixes.h"
#include "model/RecentFolder.h"
#include "model/ViewMode.h"

#include <QByteArray>
#include <QCollator>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class Preferences;

// The remembered project folders: the list of RecentFolder records with their bookmarks, kept
// in recents order (see RecentsOrder) and stored under "recentFoldersJson"; the folder that is
// open in the main tab; and the bookmark of the folder reopened at start ("lastFolderBookmark").
//
// At most 20 folders are remembered. Records are matched by id, except when a folder is opened
// (addToRecents) and when its tree state is saved (saveFolderState), which match by path text
// under canonical equivalence.
//
// Bookmarks go through BookmarkService::current(), the file manager through
// FileManager::current(). Failures are written as one log line (Log::line), a fixed text followed
// by the error's description; nothing is rolled back beyond what each operation says.
//
// Main thread only.
class RecentFoldersStore : public QObject {
    Q_OBJECT

public:
    static constexpr int recentsLimit = 20;

    explicit RecentFoldersStore(Preferences& preferences, QObject* parent = nullptr);
    // Over Preferences::standard().
    explicit RecentFoldersStore(QObject* parent = nullptr);

    // The cloud-drive prefixes used by shortenedPath; the build's values unless replaced.
    void setPathPrefixes(const CloudPathPrefixes& prefixes);
    const CloudPathPrefixes& pathPrefixes() const { return m_prefixes; }
    // The clock giving "now" in seconds since 2001-01-01 UTC; ReferenceDate::now unless replaced.
    void setClock(std::function<double()> clock);
    // The collator of the pinned projects' name order; RecentsOrder::naturalNameCollator() unless
    // replaced. Takes effect at the next save.
    void setCollator(const QCollator& collator);

    // --- State -------------------------------------------------------------------------------

    // The remembered projects, in recents order after every save.
    const QList<RecentFolder>& recentFolders() const { return m_recentFolders; }
    // The folder open in the main tab (absolute path), or none.
    const std::optional<QString>& accessibleURL() const { return m_accessibleURL; }
    // shortenedPath of the open folder; empty when none is open.
    const QString& folderPath() const { return m_folderPath; }
    // Identity of the sidebar list: a new random value after every change that adds, removes,
    // pins or tags a project.
    QUuid sidebarListId() const { return m_sidebarListId; }
    // The stored bookmark of the folder reopened at start.
    std::optional<QByteArray> lastFolderBookmark() const;

    // The first record whose path equals shortenedPath of the open folder (the record whose
    // sidebar row is highlighted and whose saved tree state the work view starts from).
    std::optional<RecentFolder> recordForOpenFolder() const;
    // True when `folder` is the open folder's record by path text.
    bool isOpenFolder(const RecentFolder& folder) const;

    // --- Operations --------------------------------------------------------------------------

    // The remembered form of a folder's path: ".../" and the rest under a cloud-drive prefix,
    // else the absolute path without trailing "/". An empty path (no folder) gives "".
    QString shortenedPath(const QString& folderPath) const;
    QString shortenedPath(const std::optional<QString>& folderPath) const;

    // Replaces the list with the stored one, in stored order. Nothing stored: unchanged.
    // Undecodable: logs "Error loading recents: " and keeps the list. A stored value that does
    // not decode or has another type is kept aside before a save replaces it
    // (Preferences::keepOriginal).
    void loadRecents();
    // Sorts the list into recents order, announces it and stores it.
    void saveRecents();
    // Makes a fresh bookmark of `folderPath` and either refreshes the record with the same path
    // text (bookmark and time; pin, tag, colour and saved paths stay) or puts a new unpinned
    // record in front; beyond 20 records the oldest unpinned one goes. Saves and renews the
    // sidebar id. Returns false, changing nothing, when the bookmark cannot be made (logged
    // "Failed to create bookmark for recents: ").
    bool addToRecents(const QString& folderPath);
    // Resolves the record's bookmark and makes its folder the open one. A stale bookmark is
    // renewed through addToRecents; otherwise the record's time is refreshed and saved. Returns
    // false, changing nothing, when it does not resolve (logged "Could not resolve recent
    // bookmark: ").
    bool openRecent(const RecentFolder& folder);
    // Flips the pin of the record with the same id; saves and renews the sidebar id.
    void togglePin(const RecentFolder& folder);
    // Removes every record with the same id; saves and renews the sidebar id. The open folder
    // stays open.
    void removeRecent(const RecentFolder& folder);
    // Sets the manual tag (an empty text clears it) and the colour text (none clears it) of the
    // record with the same id; saves and renews the sidebar id.
    void applyTag(const RecentFolder& folder, const QString& tag,
                  const std::optional<QString>& colorHex);
    // Keeps the tree state in the open folder's record (found by path text) and saves; nothing
    // when no folder is open or it has no record.
    void saveFolderState(const QSet<QString>& selectedPaths, const QSet<QString>& expandedPaths);
    // Stores a bookmark of `folderPath` as the folder to reopen at start. Returns false, keeping
    // the previous value, when the bookmark cannot be made (logged "Error creating bookmark: ").
    bool saveLastFolderBookmark(const QString& folderPath);
    // What a generation does: saveLastFolderBookmark of the folder the work view reports, or of
    // the open folder when it reports none; nothing when both are none.
    void recordGeneration(const std::optional<QString>& reportedFolder);
    // Start-up: loadRecents, then reopen the stored start bookmark. Returns the screen to show:
    // plexor when the folder was reopened (a stale bookmark is renewed), projects when nothing
    // is stored or it does not resolve (logged "Error resolving startup bookmark: " with the
    // error's localized description; the stored bookmark is then removed).
    ViewMode restoreLastFolder();
    // Shows the record's folder in the file manager. Returns false when its bookmark does not
    // resolve (logged "Could not resolve bookmark to show in Finder: ").
    bool showInFinder(const RecentFolder& folder);

    // Makes `folderPath` the open folder (none closes it) and its shortened path folderPath().
    void setOpenFolder(const std::optional<QString>& folderPath);

Q_SIGNALS:
    // The list changed (loaded, or saved after a change).
    void recentFoldersChanged();
    // accessibleURL() and folderPath() changed.
    void openFolderChanged();
    // sidebarListId() was renewed.
    void sidebarListIdChanged(const QUuid& id);

private:
    qsizetype indexOfId(const QUuid& id) const;
    qsizetype indexOfPath(const QString& path) const;
    void evictBeyondLimit();
    void renewSidebarListId();

    Preferences& m_preferences;
    CloudPathPrefixes m_prefixes = CloudPathPrefixes::buildDefaults();
    std::function<double()> m_clock;
    QCollator m_collator;
    QList<RecentFolder> m_recentFolders;
    std::optional<QString> m_accessibleURL;
    QString m_folderPath;
    QUuid m_sidebarListId = QUuid::createUuid();
};
