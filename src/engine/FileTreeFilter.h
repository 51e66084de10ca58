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
// The filter refers to the nodes of one tree (setTree()), which must be set again whenever the
// tree is replaced. It numbers the tree's nodes in pre-order and describes the shown part of the
// tree by those numbers (folder -1 stands for the project folder above the top level), so that
// an item model can present it row by row without any look-up by node.
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
    // The same in two steps, for a model that must announce a change before it happens:
    // prepareQuery() finds what `query` shows and tells whether the shown part of the tree
    // would change, leaving what is shown as it is; applyQuery() shows it. When nothing would
    // change, the numbers, rows and children stay valid through applyQuery().
    bool prepareQuery(const QString& query);
    void applyQuery();

    bool isActive() const { return !m_words.isEmpty(); }
    const QString& query() const { return m_query; }

    // While active, by node numbers: how many shown children `folder` has, the number of the
    // one at `row`, a node's row among its shown siblings (-1 when hidden), its parent (-1 at
    // the top level), and the node a number stands for.
    int shownCount(int folder) const;
    int shownChild(int folder, int row) const;
    int shownRow(int number) const { return m_rows[static_cast<size_t>(number)]; }
    int parentOf(int number) const { return m_parents[static_cast<size_t>(number)]; }
    FileItem* node(int number) const { return m_nodes[static_cast<size_t>(number)]; }
    // The number of `node` (-1 for a node of another tree); the first call builds a table.
    int numberOf(const FileItem* node) const;

    // The shown files in tree pre-order: every file of the tree while inactive.
    QList<const FileItem*> shownFiles() const;

    // "Select All Files": selects every shown file, as a click on each unselected one would.
    void selectShownFiles(PlexorViewModel& engine) const;
    // "Deselect All": clears the whole selection while inactive, and deselects the shown files
    // while active (what is hidden stays as it is).
    void deselectShown(PlexorViewModel& engine) const;

private:
    void index();
    void number(const FileItemList& nodes, int parent);
    bool narrows(const QStringList& words) const;
    void findAll(const QString& word, std::vector<qsizetype>& matches) const;
    void keepContaining(const QString& word, std::vector<qsizetype>& matches) const;
    void clearShown();
    void buildShown();

    const FileItemList* m_tree = nullptr;
    QString m_query;
    QStringList m_words;

    // Every node in tree pre-order with its parent's number; the files' numbers, and their
    // relative paths folded, one after another (m_offsets[i] is where file i's path starts; one
    // entry more marks the end).
    bool m_indexed = false;
    std::vector<FileItem*> m_nodes;
    std::vector<int> m_parents;
    std::vector<int> m_files;
    QString m_folded;
    std::vector<qsizetype> m_offsets;
    mutable QHash<const FileItem*, int> m_numbers;

    // The finds (indexes into m_files, ascending) and the shown part of the tree: each shown
    // node's row and each shown folder's shown children, by number; m_touched lists the nodes
    // to reset before the next query.
    std::vector<qsizetype> m_matches;
    std::vector<int> m_rows;
    std::vector<std::vector<int>> m_children;
    std::vector<int> m_topLevel;
    std::vector<int> m_touched;

    // What prepareQuery() found, until applyQuery().
    QString m_pendingQuery;
    QStringList m_pendingWords;
    std::vector<qsizetype> m_pendingMatches;
};
