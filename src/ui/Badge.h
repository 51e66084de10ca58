#pragma once

#include <QColor>
#include <QLabel>
#include <QMargins>

// A short text on a rounded, tinted background: tag badges, chips and counters. The text is
// drawn in `color`, the background in the same colour at `backgroundOpacity`, and an optional
// outline in the same colour.
class Badge : public QLabel {
    Q_OBJECT

public:
    struct Style {
        QColor color;
        qreal backgroundOpacity = 0.15;
        QMargins padding{6, 2, 6, 2};
        // Corner radius; a negative radius draws a capsule (half the height).
        qreal cornerRadius = 4;
        qreal outlineWidth = 0;
        // Text colour when it differs from `color` (for example white on a selected row).
        QColor textColor;
        // Background colour when it differs from `color`.
        QColor backgroundColor;
    };

    explicit Badge(const QString& text = QString(), QWidget* parent = nullptr);

    const Style& badgeStyle() const { return m_style; }
    void setBadgeStyle(const Style& style);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style;
};
