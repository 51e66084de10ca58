#pragma once

#include "platform/Clipboard.h"
#include "platform/FolderBookmark.h"
#include "platform/FolderWalk.h"

#include <QStringList>

// A bookmark service that can refuse access and counts the brackets.
class FakeBookmarkService : public LocalBookmarkService {
public:
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

// Installs a fake bookmark service for the lifetime of the object.
class ScopedBookmarkService {
public:
    ScopedBookmarkService() { BookmarkService::setCurrent(&service); }
    ~ScopedBookmarkService() { BookmarkService::setCurrent(nullptr); }
    ScopedBookmarkService(const ScopedBookmarkService&) = delete;
    ScopedBookmarkService& operator=(const ScopedBookmarkService&) = delete;

    FakeBookmarkService service;
};

// Records every clipboard call, in order.
class FakeClipboard : public Clipboard {
public:
    QStringList calls;
    void clear() override { calls.append(QStringLiteral("clear")); }
    void setText(const QString& text) override { calls.append(QStringLiteral("set:") + text); }
};

// Wraps the platform walk and records what it yields and which entries it was told to skip.
class RecordingWalk : public FolderWalk {
public:
    RecordingWalk(QStringList* yielded, QStringList* skipped)
        : m_inner(FolderWalk::create())
        , m_yielded(yielded)
        , m_skipped(skipped)
    {}

    bool start(const QString& rootPath) override { return m_inner->start(rootPath); }
    bool next() override
    {
        if (!m_inner->next())
            return false;
        m_yielded->append(QString::fromUtf8(m_inner->relativePath()));
        return true;
    }
    QByteArrayView name() const override { return m_inner->name(); }
    QByteArrayView relativePath() const override { return m_inner->relativePath(); }
    int depth() const override { return m_inner->depth(); }
    bool isFolder() const override { return m_inner->isFolder(); }
    void skipDescendants() override
    {
        m_skipped->append(QString::fromUtf8(m_inner->relativePath()));
        m_inner->skipDescendants();
    }

private:
    std::unique_ptr<FolderWalk> m_inner;
    QStringList* m_yielded;
    QStringList* m_skipped;
};
