#include "ui/FileTreeView.h"

#include "ui/FileTreeModel.h"

FileTreeView::FileTreeView(QWidget* parent)
    : QTreeView(parent)
{
    // Single selection, not none: an accessibility client's select request is ignored without
    // a selection mode.
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags FileTreeView::selectionCommand(const QModelIndex&,
                                                                   const QEvent*) const
{
    return QItemSelectionModel::NoUpdate;
}

void FileTreeView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    if (selected.isEmpty())
        return;
    // By range: the rows are not selectable item-view rows, so QItemSelection::indexes() would
    // leave them out.
    for (const QItemSelectionRange& range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const QModelIndex index = model()->index(row, 0, range.parent());
            const bool isSelected = index.data(FileTreeModel::SelectedRole).toBool();
            model()->setData(index, !isSelected, FileTreeModel::SelectedRole);
        }
    }
    selectionModel()->clearSelection();
}
