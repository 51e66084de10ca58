#pragma once

#include "engine/NodeIdSource.h"
#include "model/FileItem.h"

#include <QByteArray>
#include <QCollator>
#include <QList>
#include <QSet>
#include <QString>

class FolderWalk;
class GitWorkTree;

// Builds the file tree of one project folder from a folder walk.
//
// Rules, per yielded entry:
// - an entry named like one of ignoredNames() is left out, and the walk is told to skip what is
//   below it, so a dependency folder costs one entry;
// - an entry whose name ends with ".DS_Store" is left out; what lies below such a folder is
//   dropped because its folder is missing from the tree;
// - a file is taken when all files are shown or its name ends with one of the enabled
//   extensions (a case-sensitive comparison);
// - a node whose parent folder was left out is dropped;
// - a node whose path is in the saved expanded set starts expanded;
// - an entry whose name is not valid UTF-8 is left out with what is below it, and logged
//   ("Left out PATH: ...", the bad bytes escaped): its name could not be shown, stored or
//   written faithfully, and a decoded stand-in could name another file.
// Afterwards folders left without children (at any depth) are removed, and every folder's
// entries (and the top level) are sorted as Linux file managers show them: folders first, then
// files, each in natural name order (nameCollator()). Names the collator holds equal ("a.c" and
// "A.c") keep one fixed order by their characters.
//
// Names are compared in the file system's encoding, before any conversion to text, so entries
// that are left out cost no string at all. An entry's parent is found from the walk's depth
// (pre-order: the parent is the last folder yielded one level up), which gives the same result
// as looking its path up in a table of folders without building any lookup key.
class FileTreeScanner {
public:
    struct Options {
        // The extensions (with their dot) whose files are taken, in UTF-8.
        QList<QByteArray> enabledExtensions;
        bool showAllFiles = false;
        const QSet<QString>* savedExpandedPaths = nullptr;
        // When given, what git ignores is left out too (after the rules above, so that entries
        // left out anyway cost no question to git), an ignored folder with all below it.
        GitWorkTree* gitIgnores = nullptr;
    };

    explicit FileTreeScanner(Options options);

    // Walks with `walk`, which must have been started on `rootPath`, and returns the pruned
    // top-level nodes with their parents and rows set.
    FileItemList scan(FolderWalk& walk, const QString& rootPath);

    // The six names cut off wherever they appear as a path component.
    static const QList<QByteArray>& ignoredNames();
    static bool isIgnoredName(QByteArrayView name);

    // `base` joined with the UTF-8 `name` by one "/" (none is added when `base` ends with one).
    static QString joinPath(const QString& base, QByteArrayView name);

    // The order of names: the user's locale, numbers by value, case ignored. Under the C (or
    // POSIX) locale, which has no collation rules of its own, the common English rules apply.
    static QCollator nameCollator();

private:
    bool takesFile(QByteArrayView name) const;
    static void leaveOutUndecodable(FolderWalk& walk, const QString& rootPath);
    // Removes the folders left empty below `list`, sorts every level and numbers the rows.
    void pruneAndSort(FileItemList& list, FileItem* parent) const;
    bool comesBefore(const FileItem& a, const FileItem& b) const;

    Options m_options;
    NodeIdSource m_ids;
    QCollator m_collator;
};
