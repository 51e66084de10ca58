#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

// One remembered project folder. A plain value; equality compares `id` alone.
struct RecentFolder {
    QUuid id;
    // Opaque bookmark bytes from which the folder is reopened (see platform/FolderBookmark.h).
    QByteArray bookmarkData;
    // The folder's path text as made by shortenedPath; projects are matched by this text.
    QString path;
    bool isPinned = false;
    // Seconds since 2001-01-01 00:00:00 UTC (see model/ReferenceDate.h).
    double lastAccessed = 0;
    // Absolute paths of the tree items selected / expanded when the state was last saved.
    // None and an empty set are different: none means the state was never saved.
    std::optional<QSet<QString>> savedSelectedPaths;
    std::optional<QSet<QString>> savedExpandedPaths;
    std::optional<QString> manualTag;
    std::optional<QString> customColorHex;

    friend bool operator==(const RecentFolder& a, const RecentFolder& b) { return a.id == b.id; }
};

// The stored form: a compact JSON array of objects with the record's field names as members.
namespace RecentFolderCodec {

QByteArray encode(const QList<RecentFolder>& folders);

// Fails as a whole (no value) when the bytes are not a JSON array, or when any element lacks a
// required member or has a member of the wrong type. `error` receives a readable reason.
std::optional<QList<RecentFolder>> decode(const QByteArray& bytes, QString* error = nullptr);

} // namespace RecentFolderCodec
