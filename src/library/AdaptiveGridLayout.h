#pragma once

#include <QLayout>
#include <QList>

// A grid whose column count follows the available width: as many columns as fit at the minimum
// column width, each then widened to share the width, but never beyond the maximum column
// width (extra room is left evenly on both sides). Items fill the columns row by row; a row is
// as high as its tallest item. With less room than one minimum column, the one column shrinks.
class AdaptiveGridLayout : public QLayout {
    Q_OBJECT

public:
    struct Columns {
        int count = 1;
        int width = 0;
        // Where the first column starts, relative to the layout's inner left edge.
        int offset = 0;
    };

    AdaptiveGridLayout(int minimumColumnWidth, int maximumColumnWidth, int spacing,
                       QWidget* parent = nullptr);
    ~AdaptiveGridLayout() override;

    // The columns for an inner width (without the contents margins).
    Columns columnsFor(int width) const;
    // Each visible item's rectangle for an inner width, with the origin at the inner top left.
    QList<QRect> cellRects(int width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int innerWidth(int width) const;

    QList<QLayoutItem*> m_items;
    int m_minimumColumnWidth;
    int m_maximumColumnWidth;
    int m_spacing;
};
