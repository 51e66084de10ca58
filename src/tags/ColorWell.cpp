#include "tags/ColorWell.h"

#include "ui/Theme.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal cornerRadius = 5;
constexpr int checkerSize = 5;

} // namespace

ColorWell::ColorWell(QWidget* parent)
    : QAbstractButton(parent)
    , m_color(Qt::gray)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColorWell::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void ColorWell::setDrawOpacity(qreal opacity)
{
    m_drawOpacity = opacity;
    update();
}

QSize ColorWell::sizeHint() const
{
    return QSize(44, 24);
}

void ColorWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_drawOpacity);

    const QRectF outer = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath frame;
    frame.addRoundedRect(outer, cornerRadius, cornerRadius);
    painter.fillPath(frame, Theme::controlBackground());
    painter.strokePath(frame, QPen(hasFocus() ? Theme::accent() : Theme::separator().darker(150),
                                   hasFocus() ? 2.0 : 1.0));

    const QRectF inner = outer.adjusted(3, 3, -3, -3);
    QPainterPath swatch;
    swatch.addRoundedRect(inner, cornerRadius - 2, cornerRadius - 2);
    painter.save();
    painter.setClipPath(swatch);
    if (m_color.alphaF() < 1.0) {
        painter.fillRect(inner, Qt::white);
        for (int y = 0; y * checkerSize < inner.height(); ++y) {
            for (int x = (y % 2); x * checkerSize < inner.width(); x += 2)
                painter.fillRect(QRectF(inner.left() + x * checkerSize,
                                        inner.top() + y * checkerSize, checkerSize, checkerSize),
                                 QColor(0xCC, 0xCC, 0xCC));
        }
    }
    painter.fillRect(inner, m_color);
    painter.restore();
}

void ColorWell::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
