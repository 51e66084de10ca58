#pragma once

#include "model/FileItem.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class PlexorViewModel;

// Finds files in a project tree by words of their project-relative paths.
//
// A query is split at white space into words; a file is shown when its path relative to the
// project folder ("src/engine/Scan.cpp") contains every word, ignoring case, in any order. A
// folder is shown when it holds a shown file, at any depth. A query without words shows the
// whole tree (the filter is inactive).
//
// The filter keeps the shown part of the tree as lists of shown children, so that an item model
// can present it row by row. It refers to the nodes of one tree (setTree()), which must be set
// again whenever the tree is replaced.
//
// Speed, for keystroke-by-keystroke use on trees of a hundred thousand nodes: the first active
// query folds every file's relative path once into one text; a word is then looked for in that
// text as a whole, so a rare word costs one pass over it. A query that only narrows the previous
// one (each earlier word is part of a new one) searches the previous finds alone. The shown
// folders are found upwards from the shown files, so the cost follows the finds, not the tree.
class FileTreeFilter {
public:
    static QStringList words(const QString& query);

    // The tree to filter (nullptr: none). Clears the finds; call setQuery() afterwards.
    void setTree(const FileItemList* nodes);
    // Filters the tree by `query`.
    void setQuery(const QString& query);

    bool isActive() const { return !m_words.isEmpty(); }
    const QString& query() const { return m_query; }

    // While active: the shown children of `folder` (nullptr for the top level), in tree order.
    const std::vector<FileItem*>& shownChildren(const FileItem* folder) const;
    // While active: the row of a shown node among its parent's shown children, or -1.
    int shownRow(const FileItem* node) const;
    // The shown files in tree pre-order: every file of the tree while inactive.
    QList<const FileItem*> shownFiles() const;

    // "Select All Files": selects every shown file, as a click on each unselected one would.
    void selectShownFiles(PlexorViewModel& engine) const;
    // "Deselect All": clears the whole selection while inactive, and deselects the shown files
    // while active (what is hidden stays as it is).
    void deselectShown(PlexorViewModel& engine) const;

private:
    struct Shown {
        int row = -1;
        std::vector<FileItem*> children;
    };

    void index();
    bool narrows(const QStringList& words) const;
    void findAll(const QString& word);
    void keepContaining(const QString& word);
    void buildShown();

    const FileItemList* m_nodes = nullptr;
    QString m_query;
    QStringList m_words;

    // Every file in tree pre-order, and their relative paths folded, one after another
    // (m_offsets[i] is where file i's path starts; one entry more marks the end).
    bool m_indexed = false;
    std::vector<FileItem*> m_files;
    QString m_folded;
    std::vector<qsizetype> m_offsets;

    // The finds: indexes into m_files, ascending; and the shown part of the tree.
    std::vector<qsizetype> m_matches;
    QHash<const FileItem*, Shown> m_shown;
    std::vector<FileItem*> m_topLevel;
};
