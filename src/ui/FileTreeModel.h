#pragma once

#include "engine/FileTreeFilter.h"

#include <QAbstractItemModel>
#include <QSet>
#include <QUuid>

class FileItem;
class PlexorViewModel;
class TokenCounter;

// The engine's project tree as an item model with one column. Every index points straight at
// its FileItem (internal pointer), so index(), parent() and rowCount() are O(1) whatever the
// size of the tree, and nothing is copied out of the engine.
//
// The model follows the engine: a scan is a model reset (filesAboutToChange/filesChanged), a
// selection change is a dataChanged of the rows whose selection changed. Setting SelectedRole
// (or CheckStateRole) toggles the row's node in the engine's selection, which is what a click
// on a row does; nothing else in the engine is written through the model. Expansion is view
// state, kept in the nodes: views read ExpandedRole after a reset and report disclosure changes
// through PlexorViewModel::setExpanded.
//
// A filter (FileTreeFilter) narrows the rows to the files whose paths contain the words of a
// query and the folders holding them; setting it is a model reset, and a rescan keeps it.
class FileTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        IsFolderRole,
        SelectedRole,
        ExpandedRole,
        // A file's token count (qint64) once known; nothing for folders and files not counted.
        TokenCountRole,
    };

    // The engine must outlive the model.
    explicit FileTreeModel(PlexorViewModel& engine, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The node an index stands for; nullptr for the root or an index of another model.
    FileItem* node(const QModelIndex& index) const;
    QModelIndex indexOf(const FileItem* node) const;

    // Toggles the node's selection in the engine (what a click on its row does).
    void toggleSelection(const QModelIndex& index);

    // Shows only what `query` finds (everything for a query without words); a model reset.
    void setFilterQuery(const QString& query);
    const FileTreeFilter& filter() const { return m_filter; }

    // Where TokenCountRole reads the files' counts (none: no counts). It must outlive the model.
    void setTokenCounter(const TokenCounter* counter) { m_tokens = counter; }

Q_SIGNALS:
    // A node was opened or closed in the engine (by a view or by anyone else).
    void expansionChanged(const QModelIndex& index, bool expanded);

private:
    void announceSelectionChanges();
    void announceSelected(const FileItem* node);

    // While the filter is active an index holds its node's number (FileTreeFilter); -1 stands
    // for the root.
    static int filterNumber(const QModelIndex& index);

    PlexorViewModel& m_engine;
    FileTreeFilter m_filter;
    // The selection the views were last told about: its difference to the engine's selection is
    // what a change announces.
    QSet<QUuid> m_shownSelection;
    // The node a toggle through the model is changing, so that its change is announced without
    // searching the tree for it.
    const FileItem* m_toggledNode = nullptr;
    const TokenCounter* m_tokens = nullptr;
};
