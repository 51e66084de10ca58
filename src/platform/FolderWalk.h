#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

// A deep walk of one folder, entry by entry, in pre-order: a folder is yielded before anything
// inside it, and the entries of one folder come in the file system's own order (nothing is
// sorted). Hidden entries are yielded; links to folders are yielded but not descended; folders
// that cannot be opened are yielded and then contribute no entries, without any report.
//
// Names are in the platform's file name encoding (UTF-8 here). They and the relative path stay
// valid until the next call to next().
class FolderWalk {
public:
    virtual ~FolderWalk() = default;

    // Starts the walk of the folder at `rootPath`. False when it cannot be opened as a folder.
    virtual bool start(const QString& rootPath) = 0;

    // Advances to the next entry. False when the walk is over.
    virtual bool next() = 0;

    // The current entry's own name.
    virtual QByteArrayView name() const = 0;
    // The current entry's path relative to the root, components separated by "/".
    virtual QByteArrayView relativePath() const = 0;
    // 0 for an entry directly in the root, 1 for one inside a folder of the root, and so on.
    virtual int depth() const = 0;
    // Whether the current entry is a folder, following links. An entry that vanished counts as
    // a file.
    virtual bool isFolder() const = 0;

    // Asks the walk not to descend into the current entry. Has no effect on a file.
    virtual void skipDescendants() = 0;

    // The platform's walk.
    static std::unique_ptr<FolderWalk> create();
};
