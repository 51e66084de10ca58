#include "ui/ProminentButton.h"

#include "ui/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int horizontalPadding = 16;
constexpr int verticalPadding = 6;
constexpr qreal cornerRadius = 6;

} // namespace

ProminentButton::ProminentButton(const QString& text, QWidget* parent)
    : QPushButton(parent)
{
    setText(text);
    setAttribute(Qt::WA_Hover);
    QFont medium = font();
    medium.setWeight(QFont::Medium);
    setFont(medium);
}

QSize ProminentButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2 * horizontalPadding,
                 metrics.height() + 2 * verticalPadding);
}

QSize ProminentButton::minimumSizeHint() const
{
    return sizeHint();
}

void ProminentButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), cornerRadius, cornerRadius);

    QColor fill = Theme::accent();
    if (!isEnabled())
        fill = Theme::withOpacity(fill, 0.35);
    else if (isDown())
        fill = fill.darker(115);
    else if (underMouse())
        fill = fill.lighter(110);
    painter.fillPath(shape, fill);

    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius + 0.5,
                            cornerRadius + 0.5);
        painter.strokePath(ring, QPen(Theme::withOpacity(Theme::primaryText(), 0.6), 1.5));
    }

    QColor textColor = palette().color(QPalette::Active, QPalette::HighlightedText);
    // A disabled button is faded on purpose; an enabled one reads well.
    textColor = isEnabled() ? Theme::readable(textColor, fill) : Theme::withOpacity(textColor, 0.6);
    painter.setPen(textColor);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

bool ProminentButton::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QPushButton::event(event);
}
