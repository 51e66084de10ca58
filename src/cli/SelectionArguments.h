#pragma once

#include "engine/PathPattern.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class CommandLineParser;
class FileItem;
class PlexorViewModel;

// The options that choose files from a scanned tree:
//   --select PATH     (generate only) the node at PATH, file or folder, as a click on its row;
//   --select-all      every file of the tree;
//   --include GLOB    every file matching GLOB;
//   --changed         every file git reports as changed (modified, added, renamed, untracked);
//   --exclude GLOB    none of the files matching GLOB, whatever else chose them.
// GLOBs are gitignore-style patterns (PathPattern) matched against project-relative paths; the
// scan has already applied the fixed ignores and the file types, so they choose among the files
// the tree holds.
struct SelectionArguments {
    QStringList selectPaths;
    bool selectAll = false;
    QList<PathPattern> includes;
    QList<PathPattern> excludes;
    bool changed = false;

    // Registers the options with `parser`; --select only when `withSelect`.
    void addOptionsTo(CommandLineParser& parser, bool withSelect);

    // Whether any option adds files (all but --exclude).
    bool addsFiles() const;
    bool isEmpty() const { return !addsFiles() && excludes.isEmpty(); }

    // Asks git for the changed files when --changed is given: an error text when `folder` is not
    // in a git work tree or git cannot tell. Call before chosenFiles() or applyTo().
    std::optional<QString> readChangedFiles(const QString& folder);

    // The --select paths as absolute, clean paths under `folder`.
    QSet<QString> selectedPaths(const QString& folder) const;

    // The files the options choose in `engine`'s tree, scanned from `folder`: the files the
    // adding options name (or every file when none is given and `allWhenNoneAdds`), less the
    // excluded ones.
    QList<const FileItem*> chosenFiles(const PlexorViewModel& engine, const QString& folder,
                                       bool allWhenNoneAdds) const;
    // Applies the options to `engine`, whose scan already selected selectedPaths(): selects the
    // chosen files and deselects the excluded ones, as clicks on their rows would.
    void applyTo(PlexorViewModel& engine, const QString& folder) const;

private:
    QSet<QString> m_changedFiles;
};
