#include "tags/TagChip.h"

#include "tags/TagStyle.h"
#include "ui/Theme.h"

#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

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
    // Never wider than its name; narrower when the line is (see minimumSizeHint).
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
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
    // Rounded up, with a pixel to spare: a rounded-down advance would end the name in "…".
    const QFontMetricsF metrics(font());
    return QSize(int(std::ceil(metrics.horizontalAdvance(text()))) + 1 + 2 * horizontalPadding,
                 int(std::ceil(metrics.height())) + 2 * verticalPadding);
}

QSize TagChip::minimumSizeHint() const
{
    // Narrower than its text, the chip ends the name in "…".
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QStringLiteral("\u2026")) + 2 * horizontalPadding,
                 sizeHint().height());
}

QString TagChip::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, width() - 2 * horizontalPadding);
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
    const qreal tint = isDown() ? 0.3 : hovered ? 0.22 : 0.15;
    painter.fillPath(capsule, Theme::withOpacity(m_color, tint));
    if (m_selected)
        painter.strokePath(capsule, QPen(m_color, outlineWidth));
    else if (hasFocus())
        painter.strokePath(capsule, QPen(Theme::accent(), 1.5, Qt::DotLine));

    painter.setPen(shownColors(tint).text);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, shownText());
}

ColorContrast::TintedText TagChip::shownColors(qreal tintOpacity) const
{
    return ColorContrast::tinted(m_color, tintOpacity, palette().color(QPalette::Window));
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
    // The whole name, while the chip shows it shortened.
    if (event->type() == QEvent::ToolTip) {
        if (shownText() != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}
