#pragma once

#include "ui/ColorContrast.h"

#include <QColor>
#include <QLabel>
#include <QMargins>

// A short text on a rounded, tinted background: tag badges, chips and counters. The text is
// drawn in `color`, the background in the same colour at `backgroundOpacity`, and an optional
// outline in the same colour. The size policy is fixed; with a policy that lets it shrink, a
// narrow badge ends its text in "…".
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
        // The opaque colour the badge sits on (the window background when invalid); the text is
        // made readable on the tint over it.
        QColor underlay;
    };

    explicit Badge(const QString& text = QString(), QWidget* parent = nullptr);

    const Style& badgeStyle() const { return m_style; }
    void setBadgeStyle(const Style& style);
    // The colours as painted: the tint over the underlay, and the text made readable on it.
    ColorContrast::TintedText shownColors() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style;
};
