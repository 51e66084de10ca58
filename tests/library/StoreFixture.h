#pragma once

#include "TempPreferences.h"
#include "engine/TestEngine.h"
#include "library/RecentFoldersStore.h"
#include "platform/FileManager.h"

#include <QDir>
#include <QStringList>

// A recents store over a fresh preference file, with a clock that counts up from 1000 and no
// shortened paths, a bookmark service that counts the access brackets and the log collected. It
// stands in for the file manager too: revealed folders are collected.
struct StoreFixture : FileManager {
    ScopedBookmarkService bookmarks;
    LogCapture log;
    TempPreferences temp;
    RecentFoldersStore store{temp.preferences};
    double now = 1000;
    QStringList revealed;

    StoreFixture()
    {
        store.setClock([this] { return now++; });
        store.setPathPrefixes({});
        FileManager::setCurrent(this);
    }
    ~StoreFixture() override { FileManager::setCurrent(nullptr); }

    void revealFolder(const QString& folderPath) override { revealed << folderPath; }

    // A folder made under the temporary directory.
    QString folder(const QString& relative) const
    {
        const QString path = QDir(temp.dir.path()).filePath(relative);
        QDir().mkpath(path);
        return path;
    }
};
