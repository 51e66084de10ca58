#pragma once

#include "platform/FolderWalk.h"

#include <QByteArray>

#include <dirent.h>
#include <vector>

// The folder walk on POSIX systems, built on openat/fdopendir/readdir.
//
// The type of an entry comes from the directory entry itself where the file system reports it,
// so a plain file or folder costs no stat call; only links (to tell whether they lead to a
// folder) and entries of unknown type are looked up. A folder is opened relative to its
// parent's descriptor and never through a link, so a folder replaced by a link while the walk
// runs is not followed either.
//
// Depth is bounded by memory only. At most MaxOpenLevels folders are held open; past that, and
// whenever the process runs out of descriptors, the shallowest open folder reads its remaining
// entries into memory and is closed. When the walk returns to such a folder and has to descend
// from it, the folder is reopened component by component from the nearest folder still open
// (or the root), again never through a link.
class PosixFolderWalk : public FolderWalk {
public:
    // Folders held open at once; deeper trees cost one read-ahead per folder beyond this.
    static constexpr int MaxOpenLevels = 32;

    PosixFolderWalk() = default;
    ~PosixFolderWalk() override;
    PosixFolderWalk(const PosixFolderWalk&) = delete;
    PosixFolderWalk& operator=(const PosixFolderWalk&) = delete;

    bool start(const QString& rootPath) override;
    bool next() override;
    QByteArrayView name() const override;
    QByteArrayView relativePath() const override;
    int depth() const override { return m_depth; }
    bool isFolder() const override { return m_isFolder; }
    void skipDescendants() override { m_descend = false; }

private:
    struct Kind {
        bool isFolder = false;
        // A real folder (not a link), to be descended unless the caller says otherwise.
        bool descend = false;
    };
    // An entry read ahead from a folder that was closed early.
    struct Pending {
        qsizetype nameOffset;
        Kind kind;
    };
    struct Level {
        DIR* dir = nullptr;
        // This folder's descriptor: the stream's while it is open, a reopened one (or -1) after
        // its entries were read ahead.
        int fd = -1;
        // Length of the relative path of this folder's entries' parent, with its "/".
        qsizetype prefixLength = 0;
        // Entries read ahead, as NUL-terminated names one after the other.
        QByteArray pendingNames;
        std::vector<Pending> pending;
        size_t nextPending = 0;
    };

    void closeAll();
    void descendIntoCurrent();
    void finishLevel();
    static Kind classify(int parentFd, const char* name, unsigned char type);
    // Reads the rest of level `index` into memory and releases its descriptor.
    void spill(size_t index);
    // Spills the shallowest level holding a descriptor other than `keep`. False when none.
    bool spillShallowest(size_t keep);
    // openat that frees the walk's own descriptors when the process has none left.
    int openFolder(int parentFd, const char* name, int extraFlags, size_t keep);
    // The descriptor of level `index`, reopening the folder when it was released; -1 on failure.
    int descriptorOf(size_t index);
    void reportNoDescriptors(qsizetype relativeLength) const;

    std::vector<Level> m_levels;
    int m_openLevels = 0;
    QByteArray m_rootPath;
    QByteArray m_relativePath;
    qsizetype m_nameOffset = 0;
    int m_depth = 0;
    bool m_isFolder = false;
    // The current entry is a real folder (not a link) that the next step opens.
    bool m_descend = false;
};
