#include "ui/PlainButton.h"

#include "ui/ColorContrast.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 4;
constexpr qreal cornerRadius = 5;

} // namespace

PlainButton::PlainButton(const QString& text, std::function<QColor()> color, QWidget* parent)
    : QPushButton(parent)
    , m_color(std::move(color))
{
    setText(text);
    setAttribute(Qt::WA_Hover);
    setFlat(true);
}

QSize PlainButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2 * horizontalPadding,
                 metrics.height() + 2 * verticalPadding);
}

QSize PlainButton::minimumSizeHint() const
{
    return sizeHint();
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    const QColor color = m_color();
    QColor background = Theme::controlBackground();
    if (isEnabled() && (isDown() || underMouse())) {
        const QColor tint = Theme::withOpacity(color, isDown() ? 0.18 : 0.1);
        painter.fillPath(shape, tint);
        background = ColorContrast::composite(tint, background);
    }
    if (hasFocus())
        painter.strokePath(shape, QPen(Theme::accent(), 1.5));
    // A disabled button is faded on purpose; an enabled one reads well.
    painter.setPen(isEnabled() ? Theme::readable(color, background)
                               : Theme::withOpacity(color, 0.4));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

bool PlainButton::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QPushButton::event(event);
}
