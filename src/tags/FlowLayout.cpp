#include "tags/FlowLayout.h"

#include <QWidget>

#include <cmath>
#include <limits>

FlowLayout::Arrangement FlowLayout::arrange(std::optional<qreal> widthLimit,
                                            const QList<QSizeF>& sizes, qreal spacing)
{
    const qreal limit = widthLimit.value_or(std::numeric_limits<qreal>::infinity());
    Arrangement result;
    result.positions.reserve(sizes.size());
    qreal x = 0;
    qreal y = 0;
    qreal lineHeight = 0;
    for (const QSizeF& size : sizes) {
        if (x > 0 && x + size.width() > limit) {
            x = 0;
            y += lineHeight + spacing;
            lineHeight = 0;
        }
        result.positions.append(QPointF(x, y));
        lineHeight = std::max(lineHeight, size.height());
        x += size.width() + spacing;
    }
    result.size = QSizeF(std::isfinite(limit) ? limit : x, y + lineHeight);
    return result;
}

FlowLayout::FlowLayout(QWidget* parent, qreal spacing)
    : QLayout(parent)
    , m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::setFlowSpacing(qreal spacing)
{
    m_spacing = spacing;
    invalidate();
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

QList<QSizeF> FlowLayout::itemSizes() const
{
    QList<QSizeF> sizes;
    sizes.reserve(m_items.size());
    for (QLayoutItem* item : m_items) {
        // Hidden widgets take no room, as in every other Qt layout.
        if (item->isEmpty())
            continue;
        sizes.append(QSizeF(item->sizeHint()));
    }
    return sizes;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const qreal inner = std::max(0, width - margins.left() - margins.right());
    const Arrangement arrangement = arrange(inner, itemSizes(), m_spacing);
    return int(std::ceil(arrangement.size.height())) + margins.top() + margins.bottom();
}

QSize FlowLayout::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const Arrangement arrangement = arrange(std::nullopt, itemSizes(), m_spacing);
    return QSize(int(std::ceil(arrangement.size.width())),
                 int(std::ceil(arrangement.size.height()))) +
           QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::minimumSize() const
{
    // Narrow enough for the widest single item at its least size (an item too wide for a line
    // is narrowed, see setGeometry); the height follows from heightForWidth.
    QSize size;
    for (QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    const Arrangement arrangement = arrange(qreal(inner.width()), itemSizes(), m_spacing);
    qsizetype index = 0;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QPointF position = arrangement.positions.at(index++);
        const QPoint topLeft = inner.topLeft() + QPoint(int(std::lround(position.x())),
                                                        int(std::lround(position.y())));
        // An item wider than the line (alone on it) is narrowed to the line, down to its least
        // width, rather than cut off at the edge.
        QSize size = item->sizeHint();
        size.setWidth(std::max(item->minimumSize().width(),
                               std::min(size.width(), inner.right() + 1 - topLeft.x())));
        item->setGeometry(QRect(topLeft, size));
    }
}
