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
class PosixFolderWalk : public FolderWalk {
public:
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
    struct Level {
        DIR* dir;
        // Length of the relative path of this folder's entries' parent, with its "/".
        qsizetype prefixLength;
    };

    void closeAll();
    void descendIntoCurrent();
    void classify(int parentFd, const char* name, unsigned char type);

    std::vector<Level> m_levels;
    QByteArray m_relativePath;
    qsizetype m_nameOffset = 0;
    int m_depth = 0;
    bool m_isFolder = false;
    // The current entry is a real folder (not a link) that the next step opens.
    bool m_descend = false;
};
