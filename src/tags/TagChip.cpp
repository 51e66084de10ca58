#include "tags/TagChip.h"

#include "tags/TagStyle.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 5;
constexpr qreal outlineWidth = 2;

} // namespace

TagChip::TagChip(const QString& name, const QColor& color, QWidget* parent)
    : QAbstractButton(parent)
    , m_color(color)
{
    setText(name);
    setAccessibleName(name);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(TagStyle::systemFont(12, QFont::Medium));
}

void TagChip::setChipColor(const QColor& color)
{
    m_color = color;
    update();
}

void TagChip::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

QSize TagChip::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2 * horizontalPadding,
                 metrics.height() + 2 * verticalPadding);
}

QSize TagChip::minimumSizeHint() const
{
    return sizeHint();
}

void TagChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(outlineWidth / 2, outlineWidth / 2,
                                               -outlineWidth / 2, -outlineWidth / 2);
    QPainterPath capsule;
    capsule.addRoundedRect(box, box.height() / 2, box.height() / 2);

    const bool hovered = underMouse() && isEnabled();
    painter.fillPath(capsule, Theme::withOpacity(m_color, isDown() ? 0.3 : hovered ? 0.22 : 0.15));
    if (m_selected)
        painter.strokePath(capsule, QPen(m_color, outlineWidth));
    else if (hasFocus())
        painter.strokePath(capsule, QPen(Theme::accent(), 1.5, Qt::DotLine));

    painter.setPen(m_color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

void TagChip::keyPressEvent(QKeyEvent* event)
{
    // Enter picks the focused chip (and does not reach the sheet's default button).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TagChip::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QAbstractButton::changeEvent(event);
}

bool TagChip::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}
