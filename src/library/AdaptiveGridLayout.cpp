#include "library/AdaptiveGridLayout.h"

#include <algorithm>

AdaptiveGridLayout::AdaptiveGridLayout(int minimumColumnWidth, int maximumColumnWidth, int spacing,
                                       QWidget* parent)
    : QLayout(parent)
    , m_minimumColumnWidth(minimumColumnWidth)
    , m_maximumColumnWidth(std::max(minimumColumnWidth, maximumColumnWidth))
    , m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

AdaptiveGridLayout::~AdaptiveGridLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

AdaptiveGridLayout::Columns AdaptiveGridLayout::columnsFor(int width) const
{
    Columns columns;
    width = std::max(0, width);
    columns.count = std::max(1, (width + m_spacing) / (m_minimumColumnWidth + m_spacing));
    const int shared = (width - (columns.count - 1) * m_spacing) / columns.count;
    columns.width = std::min(m_maximumColumnWidth, std::max(0, shared));
    const int used = columns.count * columns.width + (columns.count - 1) * m_spacing;
    columns.offset = std::max(0, (width - used) / 2);
    return columns;
}

QList<QRect> AdaptiveGridLayout::cellRects(int width) const
{
    const Columns columns = columnsFor(width);
    QList<QRect> rects;
    int y = 0;
    int rowHeight = 0;
    int column = 0;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        if (column == columns.count) {
            y += rowHeight + m_spacing;
            rowHeight = 0;
            column = 0;
        }
        const int height = item->hasHeightForWidth() ? item->heightForWidth(columns.width)
                                                     : item->sizeHint().height();
        rects.append(
            QRect(columns.offset + column * (columns.width + m_spacing), y, columns.width, height));
        rowHeight = std::max(rowHeight, height);
        ++column;
    }
    // Every cell of a row takes the row's height.
    int rowStart = 0;
    for (int i = 0; i < rects.size(); ++i) {
        if (i == rects.size() - 1 || rects.at(i + 1).y() != rects.at(i).y()) {
            int tallest = 0;
            for (int j = rowStart; j <= i; ++j)
                tallest = std::max(tallest, rects.at(j).height());
            for (int j = rowStart; j <= i; ++j)
                rects[j].setHeight(tallest);
            rowStart = i + 1;
        }
    }
    return rects;
}

void AdaptiveGridLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

int AdaptiveGridLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* AdaptiveGridLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* AdaptiveGridLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations AdaptiveGridLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool AdaptiveGridLayout::hasHeightForWidth() const
{
    return true;
}

int AdaptiveGridLayout::innerWidth(int width) const
{
    const QMargins margins = contentsMargins();
    return width - margins.left() - margins.right();
}

int AdaptiveGridLayout::heightForWidth(int width) const
{
    const QList<QRect> rects = cellRects(innerWidth(width));
    const QMargins margins = contentsMargins();
    const int bottom = rects.isEmpty() ? 0 : rects.constLast().bottom() + 1;
    return bottom + margins.top() + margins.bottom();
}

QSize AdaptiveGridLayout::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const int width = m_minimumColumnWidth + margins.left() + margins.right();
    return QSize(width, heightForWidth(width));
}

QSize AdaptiveGridLayout::minimumSize() const
{
    // Any width works (one narrow column); the height follows from heightForWidth.
    const QMargins margins = contentsMargins();
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void AdaptiveGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    const QList<QRect> rects = cellRects(inner.width());
    qsizetype index = 0;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        item->setGeometry(rects.at(index++).translated(inner.topLeft()));
    }
}
