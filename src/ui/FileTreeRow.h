#pragma once

#include <QStyledItemDelegate>

// The row of one project tree node, painted for a FileTreeModel: the folder symbol in blue or
// the document symbol in the secondary colour, then the node's name (and, right-aligned in the
// secondary colour, a file's token count once known), on a rounded accent-coloured
// rectangle (radius 6) while the node is selected, with 4 pixels of space above and below and 8
// to the left and right.
//
// A click anywhere on the row, or Space on the view's current row, toggles that node alone in
// the selection (through the model's SelectedRole). Opening and closing folders stays with the
// view's disclosure control.
class FileTreeRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int verticalPadding = 4;
    static constexpr int horizontalPadding = 8;
    static constexpr int cornerRadius = 6;
    static constexpr qreal ringWidth = 1.5;
    static constexpr int iconSize = 16;
    static constexpr int iconSpacing = 6;

    explicit FileTreeRow(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};
