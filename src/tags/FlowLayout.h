#pragma once

#include <QLayout>
#include <QList>
#include <QPointF>
#include <QSizeF>

#include <optional>

// A layout that places its items left to right and wraps to a new line when the next item would
// pass the available width. One computation, `arrange`, both measures and places, so what is
// measured is what is shown. Items keep their ideal size (sizeHint).
class FlowLayout : public QLayout {
    Q_OBJECT

public:
    struct Arrangement {
        QList<QPointF> positions;
        QSizeF size;
    };

    // Positions of items of the given sizes for a width limit (none: unlimited). An item that
    // would pass the limit starts a new line unless it is the first on its line. The measured
    // width is the limit when there is one, otherwise the end of the single line including one
    // trailing spacing; the height is the bottom of the last line.
    static Arrangement arrange(std::optional<qreal> widthLimit, const QList<QSizeF>& sizes,
                               qreal spacing);

    explicit FlowLayout(QWidget* parent = nullptr, qreal spacing = 8);
    ~FlowLayout() override;

    qreal flowSpacing() const { return m_spacing; }
    void setFlowSpacing(qreal spacing);

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
    QList<QSizeF> itemSizes() const;

    QList<QLayoutItem*> m_items;
    qreal m_spacing;
};
