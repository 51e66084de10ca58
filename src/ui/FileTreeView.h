#pragma once

#include <QTreeView>

// The view of the file tree. Its rows are not selected the item-view way: a click or Space on a
// row toggles the file in the engine's selection (the row delegate does that through the model).
// An accessibility client's "Toggle" of a row selects the row in the view's selection model;
// the view turns that into the same toggle and lets go of the view selection at once, so the
// next "Toggle" toggles again.
class FileTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit FileTreeView(QWidget* parent = nullptr);

protected:
    // Mouse and keys never select rows in the view.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
};
