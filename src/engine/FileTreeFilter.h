#pragma once

#include "model/FileItem.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Finds files in a project tree by words of their project-relative paths.
//
// A query is split at white space into words; a file is shown when its path relative to the
// project folder ("src/engine/Scan.cpp") contains every word, ignoring case, in any order. A
// folder is shown when it holds a shown file, at any depth. A query without words shows the
// whole tree (the filter is inactive).
//
// The filter keeps the shown part of the tree as lists of shown children, so that an item model
// can present it row by row; it refers to the nodes of one tree and must be rebuilt (apply())
// whenever the tree is replaced.
class PlexorViewModel;

class FileTreeFilter {
public:
    static QStringList words(const QString& query);
    // Whether `relativePath` contains every one of `words`, ignoring case.
    static bool matches(QStringView relativePath, const QStringList& words);

    // Filters `nodes` (a scanned tree's top level) by `query`.
    void apply(const FileItemList& nodes, const QString& query);
    // Forgets the tree: nothing is shown until the next apply().
    void clear();

    bool isActive() const { return !m_words.isEmpty(); }
    const QString& query() const { return m_query; }

    // While active: the shown children of `folder` (nullptr for the top level), in tree order.
    const std::vector<FileItem*>& shownChildren(const FileItem* folder) const;
    // While active: the row of a shown node among its parent's shown children, or -1.
    int shownRow(const FileItem* node) const { return m_rows.value(node, -1); }
    // The shown files in tree pre-order: every file of the tree while inactive.
    const QList<const FileItem*>& shownFiles() const { return m_files; }

    // "Select All Files": selects every shown file, as a click on each unselected one would.
    void selectShownFiles(PlexorViewModel& engine) const;
    // "Deselect All": clears the whole selection while inactive, and deselects the shown files
    // while active (what is hidden stays as it is).
    void deselectShown(PlexorViewModel& engine) const;

private:
    bool collect(const FileItemList& nodes, FileItem* parent, qsizetype rootLength);

    QString m_query;
    QStringList m_words;
    QHash<const FileItem*, std::vector<FileItem*>> m_children;
    QHash<const FileItem*, int> m_rows;
    QList<const FileItem*> m_files;
};
