#include "ui/TintedButton.h"

#include "ui/ColorContrast.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr int symbolSpacing = 6;

} // namespace

TintedButton::Appearance TintedButton::bordered()
{
    return Appearance{QColor(), 1.0, QColor(), true, true};
}

TintedButton::Appearance TintedButton::prominent(const QColor& tint, qreal opacity)
{
    return Appearance{tint, opacity, QColor(), false, true};
}

TintedButton::Appearance TintedButton::plain(const QColor& text)
{
    return Appearance{QColor(), 1.0, text, false, false};
}

TintedButton::TintedButton(const QString& text, QWidget* parent)
    : QPushButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TintedButton::setAppearance(const Appearance& appearance)
{
    m_appearance = appearance;
    update();
}

void TintedButton::setCheckedAppearance(const Appearance& appearance)
{
    m_checkedAppearance = appearance;
    update();
}

void TintedButton::setSymbol(std::optional<Symbol> symbol)
{
    m_symbol = symbol;
    updateGeometry();
    update();
}

void TintedButton::setPadding(const QMargins& padding)
{
    m_padding = padding;
    updateGeometry();
    update();
}

void TintedButton::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

int TintedButton::symbolSize() const
{
    return std::max(14, fontMetrics().height() - 2);
}

QSize TintedButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    // Rounded up, with a pixel to spare: a rounded-down advance would elide the text.
    int width = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 1;
    int height = metrics.height();
    if (m_symbol) {
        width += symbolSize() + (text().isEmpty() ? 0 : symbolSpacing);
        height = std::max(height, symbolSize());
    }
    return {width + m_padding.left() + m_padding.right(),
            height + m_padding.top() + m_padding.bottom()};
}

QSize TintedButton::minimumSizeHint() const
{
    return sizeHint();
}

void TintedButton::paintEvent(QPaintEvent*)
{
    const Appearance& look =
        isChecked() && m_checkedAppearance ? *m_checkedAppearance : m_appearance;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);

    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(box, m_cornerRadius, m_cornerRadius);
    // What shows behind the text, to keep the text readable on it.
    QColor background = Theme::controlBackground();
    const auto fillWith = [&](const QColor& color) {
        painter.fillPath(shape, color);
        background = ColorContrast::composite(color, background);
    };
    if (look.filled) {
        const QColor fill = look.fill.isValid() ? look.fill : palette().color(QPalette::Button);
        fillWith(Theme::withOpacity(fill, look.fillOpacity));
    }
    // Hover and press darken (or, on a dark palette, lighten) whatever lies below.
    const QColor overlay = Theme::primaryText();
    if (isEnabled() && isDown())
        fillWith(Theme::withOpacity(overlay, 0.16));
    else if (isEnabled() && underMouse())
        fillWith(Theme::withOpacity(overlay, 0.07));
    if (look.outlined)
        painter.strokePath(shape, QPen(Theme::withOpacity(Theme::primaryText(), 0.22), 1));
    if (hasFocus())
        painter.strokePath(shape, QPen(Theme::withOpacity(Theme::accent(), 0.85), 2));

    const QColor textColor = Theme::readable(
        look.text.isValid() ? look.text : palette().color(QPalette::ButtonText), background);
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 1;
    const int symbolWidth = m_symbol ? symbolSize() + (text().isEmpty() ? 0 : symbolSpacing) : 0;
    const QRect content = rect().marginsRemoved(m_padding);
    const int available = content.width();
    int x = content.left() + std::max(0, (available - textWidth - symbolWidth) / 2);
    if (m_symbol) {
        const int size = symbolSize();
        SymbolIcon::paint(painter, QRectF(x, content.center().y() - size / 2.0 + 0.5, size, size),
                          *m_symbol, textColor);
        x += symbolWidth;
    }
    painter.setPen(textColor);
    painter.setFont(font());
    const QRect textRect(x, content.top(), content.right() - x + 1, content.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(text(), Qt::ElideRight, textRect.width()));
}
