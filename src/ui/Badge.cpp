#include "ui/Badge.h"

#include <QPainter>
#include <QPainterPath>

Badge::Badge(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_style.color = palette().color(QPalette::PlaceholderText);
}

void Badge::setBadgeStyle(const Style& style)
{
    m_style = style;
    updateGeometry();
    update();
}

ColorContrast::TintedText Badge::shownColors() const
{
    const QColor tint = m_style.backgroundColor.isValid() ? m_style.backgroundColor : m_style.color;
    const QColor underlay =
        m_style.underlay.isValid() ? m_style.underlay : palette().color(QPalette::Window);
    return ColorContrast::tinted(tint, m_style.backgroundOpacity, underlay,
                                 m_style.textColor.isValid() ? m_style.textColor : m_style.color);
}

QSize Badge::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QSize text(metrics.horizontalAdvance(this->text()), metrics.height());
    return text + QSize(m_style.padding.left() + m_style.padding.right(),
                        m_style.padding.top() + m_style.padding.bottom());
}

QSize Badge::minimumSizeHint() const
{
    // Room for the padding and an ellipsis: a badge whose size policy allows it shrinks to that,
    // ending its text in "…". (The default policy keeps the full size.)
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QStringLiteral("\u2026")) + m_style.padding.left() +
                     m_style.padding.right(),
                 sizeHint().height());
}

void Badge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box =
        QRectF(rect()).adjusted(m_style.outlineWidth / 2, m_style.outlineWidth / 2,
                                -m_style.outlineWidth / 2, -m_style.outlineWidth / 2);
    const qreal radius = m_style.cornerRadius < 0 ? box.height() / 2 : m_style.cornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(box, radius, radius);

    QColor tint = m_style.backgroundColor.isValid() ? m_style.backgroundColor : m_style.color;
    tint.setAlphaF(tint.alphaF() * m_style.backgroundOpacity);
    painter.fillPath(shape, tint);
    if (m_style.outlineWidth > 0)
        painter.strokePath(shape, QPen(m_style.color, m_style.outlineWidth));

    painter.setPen(shownColors().text);
    painter.setFont(font());
    const QRect textRect = rect().marginsRemoved(m_style.padding);
    painter.drawText(textRect, Qt::AlignCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width() + 1));
}
