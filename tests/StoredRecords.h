#pragma once

#include "model/Preferences.h"
#include "model/RecentFolder.h"

#include <QFile>

// Helpers shared by the tests of remembered projects and their tags.
namespace StoredRecords {

// A remembered project with a fresh id; the rest as given.
inline RecentFolder project(const QString& path, bool pinned = false, double lastAccessed = 0,
                            std::optional<QString> tag = std::nullopt,
                            std::optional<QString> colorHex = std::nullopt)
{
    return {QUuid::createUuid(), "b", path, pinned, lastAccessed, {}, {}, std::move(tag),
            std::move(colorHex)};
}

inline QStringList pathsOf(const QList<RecentFolder>& folders)
{
    QStringList paths;
    std::ranges::transform(folders, std::back_inserter(paths), &RecentFolder::path);
    return paths;
}

// What a second reader of the file finds under `key` after `preferences` wrote everything.
inline std::optional<QByteArray> storedBytes(Preferences& preferences, QLatin1StringView key)
{
    preferences.flush();
    return Preferences(preferences.filePath(), Preferences::Access::ReadOnly).bytes(key);
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The bytes of the file at `path`, empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace StoredRecords
