#pragma once

#include "platform/Clipboard.h"
#include "platform/FolderBookmark.h"

#include <QStringList>

// The bookmark service for the lifetime of the object: it can refuse access and counts the
// brackets.
class ScopedBookmarkService : public LocalBookmarkService {
public:
    ScopedBookmarkService() { BookmarkService::setCurrent(this); }
    ~ScopedBookmarkService() override { BookmarkService::setCurrent(nullptr); }
    ScopedBookmarkService(const ScopedBookmarkService&) = delete;
    ScopedBookmarkService& operator=(const ScopedBookmarkService&) = delete;

    bool refuse = false;
    int begun = 0;
    int ended = 0;

    bool beginAccess(const QString&) override
    {
        if (refuse)
            return false;
        ++begun;
        return true;
    }
    void endAccess(const QString&) override { ++ended; }
};

// Records every clipboard call, in order.
class FakeClipboard : public Clipboard {
public:
    QStringList calls;
    void clear() override { calls.append(QStringLiteral("clear")); }
    void setText(const QString& text) override { calls.append(QStringLiteral("set:") + text); }
};
