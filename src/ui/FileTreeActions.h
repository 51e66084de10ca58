#pragma once

#include <QObject>

class FileTreeModel;
class PlexorViewModel;
class QAction;
class QMenu;
class QModelIndex;
class QPoint;
class QTreeView;

// The bulk selection commands of the file tree: "Select All Files" (Ctrl+A) and "Deselect All"
// (Ctrl+Shift+A) while the tree has focus, and a context menu that adds "Select Files Inside"
// and "Deselect Files Inside" on folder rows. While a filter is active the whole-tree commands
// act on the files it shows. Each command changes the engine's selection as that many clicks
// on rows would.
class FileTreeActions : public QObject {
    Q_OBJECT

public:
    // Installs the shortcuts and the context menu on `tree`; all three must outlive this object
    // (it is a child of `tree`).
    FileTreeActions(QTreeView* tree, FileTreeModel* model, PlexorViewModel& engine);

    QAction* selectAllAction() const { return m_selectAll; }
    QAction* deselectAllAction() const { return m_deselectAll; }

    // The context menu for the row at `index` (none: the empty area below the rows). The caller
    // owns it.
    QMenu* menuFor(const QModelIndex& index) const;

private:
    void showMenu(const QPoint& position);

    QTreeView* m_tree;
    FileTreeModel* m_model;
    PlexorViewModel& m_engine;
    QAction* m_selectAll;
    QAction* m_deselectAll;
};
