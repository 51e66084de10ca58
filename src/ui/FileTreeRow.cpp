#include "ui/FileTreeRow.h"

#include "tags/NamedColors.h"
#include "ui/FileTreeModel.h"
#include "ui/SymbolIcon.h"
#include "ui/TokenCountText.h"
#include "ui/Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

FileTreeRow::FileTreeRow(QObject* parent)
    : QStyledItemDelegate(parent)
{}

void FileTreeRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const
{
    const bool selected = index.data(FileTreeModel::SelectedRole).toBool();
    const bool folder = index.data(FileTreeModel::IsFolderRole).toBool();
    const QRectF row = QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(row, cornerRadius, cornerRadius);
    if (selected)
        painter->fillPath(shape, Theme::accent());
    // The keyboard's current row, while the tree has the focus.
    // Inside the row's own rectangle, pen and antialiasing included: the view repaints only that
    // rectangle when the current row moves, and anything outside it would stay on screen.
    if (option.state & QStyle::State_HasFocus) {
        QColor ring = selected ? QColor(Qt::white) : Theme::accent();
        ring.setAlphaF(0.8);
        const qreal inset = ringWidth / 2 + 0.5;
        QPainterPath ringShape;
        ringShape.addRoundedRect(QRectF(option.rect).adjusted(inset, inset, -inset, -inset),
                                 cornerRadius - inset, cornerRadius - inset);
        painter->strokePath(ringShape, QPen(ring, ringWidth));
    }

    const QRect content = option.rect.adjusted(horizontalPadding, verticalPadding,
                                               -horizontalPadding, -verticalPadding);
    const QRectF iconRect(content.left(), content.center().y() - iconSize / 2.0 + 0.5, iconSize,
                          iconSize);
    SymbolIcon::paint(*painter, iconRect, folder ? Symbol::folderFill : Symbol::docText,
                      folder ? NamedColors::color(NamedColor::blue) : Theme::secondaryText());

    QRect textRect = content.adjusted(iconSize + iconSpacing, 0, 0, 0).intersected(option.rect);
    painter->setFont(option.font);
    const QVariant tokens = index.data(FileTreeModel::TokenCountRole);
    if (tokens.isValid()) {
        const QString count = TokenCountText::compact(tokens.toLongLong());
        painter->setPen(selected ? Theme::readable(Qt::white, Theme::accent())
                                 : Theme::readable(Theme::secondaryText()));
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, count);
        textRect.setRight(textRect.right() - option.fontMetrics.horizontalAdvance(count)
                          - iconSpacing * 2);
    }
    painter->setPen(selected ? Theme::readable(Qt::white, Theme::accent())
                             : Theme::readable(Theme::primaryText()));
    const QString name = index.data(Qt::DisplayRole).toString();
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(name, Qt::ElideMiddle, textRect.width()));
    painter->restore();
}

QSize FileTreeRow::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // Every row is as high as the font and the icon allow, whatever its text, so that the view
    // can use uniform row heights.
    const int height = std::max(option.fontMetrics.height(), iconSize) + 2 * verticalPadding;
    const int width = option.fontMetrics.horizontalAdvance(index.data().toString()) + iconSize +
                      iconSpacing + 2 * horizontalPadding;
    return {width, height};
}

bool FileTreeRow::editorEvent(QEvent* event, QAbstractItemModel* model,
                              const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (!model || !index.isValid())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
            return false;
        const bool selected = index.data(FileTreeModel::SelectedRole).toBool();
        return model->setData(index, !selected, FileTreeModel::SelectedRole);
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Select)
            return false;
        const bool selected = index.data(FileTreeModel::SelectedRole).toBool();
        return model->setData(index, !selected, FileTreeModel::SelectedRole);
    }
    default:
        return false;
    }
}
