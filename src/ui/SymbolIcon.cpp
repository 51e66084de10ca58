#include "ui/SymbolIcon.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPalette>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace {

// Every symbol is drawn on a 24 x 24 grid.
constexpr qreal grid = 24.0;

struct Shape {
    QPainterPath filled;
    QPainterPath stroked;
    qreal strokeWidth = 1.8;
};

QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

QPainterPath folderOutline(qreal x, qreal y, qreal w, qreal h)
{
    // A folder body with the tab on its upper left.
    QPainterPath path;
    const qreal tab = w * 0.38;
    const qreal r = 2.0;
    path.moveTo(x + r, y);
    path.lineTo(x + tab, y);
    path.lineTo(x + tab + 2.2, y + 2.4);
    path.lineTo(x + w - r, y + 2.4);
    path.quadTo(x + w, y + 2.4, x + w, y + 2.4 + r);
    path.lineTo(x + w, y + h - r);
    path.quadTo(x + w, y + h, x + w - r, y + h);
    path.lineTo(x + r, y + h);
    path.quadTo(x, y + h, x, y + h - r);
    path.lineTo(x, y + r);
    path.quadTo(x, y, x + r, y);
    path.closeSubpath();
    return path;
}

QPainterPath page(qreal x, qreal y, qreal w, qreal h)
{
    QPainterPath path;
    const qreal fold = w * 0.32;
    path.moveTo(x + 1.5, y);
    path.lineTo(x + w - fold, y);
    path.lineTo(x + w, y + fold);
    path.lineTo(x + w, y + h - 1.5);
    path.quadTo(x + w, y + h, x + w - 1.5, y + h);
    path.lineTo(x + 1.5, y + h);
    path.quadTo(x, y + h, x, y + h - 1.5);
    path.lineTo(x, y + 1.5);
    path.quadTo(x, y, x + 1.5, y);
    path.closeSubpath();
    path.moveTo(x + w - fold, y);
    path.lineTo(x + w - fold, y + fold);
    path.lineTo(x + w, y + fold);
    return path;
}

QPainterPath star(QPointF centre, qreal outer, qreal inner)
{
    // A four-pointed star with curved sides.
    QPainterPath path;
    const QPointF top = centre + QPointF(0, -outer);
    const QPointF right = centre + QPointF(outer, 0);
    const QPointF bottom = centre + QPointF(0, outer);
    const QPointF left = centre + QPointF(-outer, 0);
    path.moveTo(top);
    path.quadTo(centre + QPointF(inner, -inner), right);
    path.quadTo(centre + QPointF(inner, inner), bottom);
    path.quadTo(centre + QPointF(-inner, inner), left);
    path.quadTo(centre + QPointF(-inner, -inner), top);
    path.closeSubpath();
    return path;
}

QPainterPath numberedCircle()
{
    QPainterPath path;
    path.addEllipse(QPointF(12, 12), 9.5, 9.5);
    return path;
}

QPainterPath digitPath(int digit)
{
    QFont font;
    font.setPixelSize(13);
    font.setBold(true);
    QPainterPath text;
    text.addText(0, 0, font, QString::number(digit));
    const QRectF bounds = text.boundingRect();
    text.translate(12 - bounds.center().x(), 12 - bounds.center().y());
    return text;
}

QPainterPath gear()
{
    QPainterPath path;
    constexpr int teeth = 8;
    const QPointF c(12, 12);
    const qreal outer = 10.0;
    const qreal root = 7.8;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: rise, top, fall, valley; four points per tooth.
        const qreal angle = (i / (teeth * 4.0)) * 2 * std::numbers::pi - std::numbers::pi / 2;
        const bool high = (i % 4 == 1) || (i % 4 == 2);
        const qreal r = high ? outer : root;
        const QPointF p = c + QPointF(std::cos(angle) * r, std::sin(angle) * r);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    path.addEllipse(c, 3.4, 3.4);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

Shape shapeFor(Symbol symbol)
{
    Shape shape;
    switch (symbol) {
    case Symbol::folderFill:
        shape.filled = folderOutline(2, 5, 20, 15);
        break;
    case Symbol::docText: {
        shape.stroked = page(5, 2.5, 14, 19);
        for (qreal y : {11.0, 14.5, 18.0}) {
            shape.stroked.moveTo(8.5, y);
            shape.stroked.lineTo(y == 18.0 ? 13.0 : 15.5, y);
        }
        shape.strokeWidth = 1.6;
        break;
    }
    case Symbol::folderBadgePlus: {
        // The folder's outline with room cut out around the badge, then the badge with its plus
        // cut out of it.
        QPainterPathStroker stroker;
        stroker.setWidth(1.8);
        stroker.setJoinStyle(Qt::RoundJoin);
        QPainterPath clearance;
        clearance.addEllipse(QPointF(18, 17.5), 6.6, 6.6);
        shape.filled = stroker.createStroke(folderOutline(2, 4.5, 17, 13)).subtracted(clearance);
        QPainterPath badge;
        badge.addEllipse(QPointF(18, 17.5), 5.0, 5.0);
        QPainterPath upright;
        upright.addRect(QRectF(17.15, 14.5, 1.7, 6.0));
        QPainterPath bar;
        bar.addRect(QRectF(15.0, 16.65, 6.0, 1.7));
        const QPainterPath cross = upright.united(bar);
        shape.filled.addPath(badge.subtracted(cross));
        break;
    }
    case Symbol::plus:
        shape.stroked.moveTo(12, 4);
        shape.stroked.lineTo(12, 20);
        shape.stroked.moveTo(4, 12);
        shape.stroked.lineTo(20, 12);
        shape.strokeWidth = 2.4;
        break;
    case Symbol::pinFill: {
        QPainterPath head;
        head.moveTo(8, 2.5);
        head.lineTo(16, 2.5);
        head.lineTo(15, 4.5);
        head.lineTo(15, 9.5);
        head.lineTo(18.5, 13.5);
        head.lineTo(5.5, 13.5);
        head.lineTo(9, 9.5);
        head.lineTo(9, 4.5);
        head.closeSubpath();
        shape.filled = head;
        shape.stroked.moveTo(12, 13.5);
        shape.stroked.lineTo(12, 21.5);
        shape.strokeWidth = 1.8;
        break;
    }
    case Symbol::gearshape:
        shape.filled = gear();
        break;
    case Symbol::macwindow:
        shape.stroked = roundedRect(2.5, 4, 19, 16, 2.5);
        shape.stroked.moveTo(2.5, 8.5);
        shape.stroked.lineTo(21.5, 8.5);
        break;
    case Symbol::circle1:
    case Symbol::circle2:
    case Symbol::circle3: {
        const int digit = 1 + int(symbol) - int(Symbol::circle1);
        shape.stroked = numberedCircle();
        shape.filled = digitPath(digit);
        shape.strokeWidth = 1.6;
        break;
    }
    case Symbol::arrowClockwise: {
        QPainterPath arc;
        const QRectF box(4, 4, 16, 16);
        arc.arcMoveTo(box, 60);
        arc.arcTo(box, 60, -300);
        shape.stroked = arc;
        // Arrow head at the arc's start, pointing along the clockwise direction.
        QPainterPath head;
        head.moveTo(17.2, 1.8);
        head.lineTo(17.2, 8.6);
        head.lineTo(10.8, 6.4);
        head.closeSubpath();
        shape.filled = head;
        shape.strokeWidth = 2.0;
        break;
    }
    case Symbol::arrowLeft:
        shape.stroked.moveTo(20, 12);
        shape.stroked.lineTo(4.5, 12);
        shape.stroked.moveTo(10.5, 5.5);
        shape.stroked.lineTo(4, 12);
        shape.stroked.lineTo(10.5, 18.5);
        shape.strokeWidth = 2.2;
        break;
    case Symbol::checkmark:
        shape.stroked.moveTo(4.5, 12.5);
        shape.stroked.lineTo(9.5, 17.5);
        shape.stroked.lineTo(19.5, 6.5);
        shape.strokeWidth = 2.4;
        break;
    case Symbol::docOnDoc:
        shape.stroked = roundedRect(8, 7, 12, 15, 1.8);
        shape.stroked.moveTo(5.5, 17);
        shape.stroked.lineTo(5, 17);
        shape.stroked.quadTo(4, 17, 4, 16);
        shape.stroked.lineTo(4, 3.8);
        shape.stroked.quadTo(4, 2.5, 5.3, 2.5);
        shape.stroked.lineTo(14.5, 2.5);
        shape.stroked.quadTo(15.8, 2.5, 15.8, 3.8);
        shape.stroked.lineTo(15.8, 4.5);
        shape.strokeWidth = 1.6;
        break;
    case Symbol::sparkles:
        shape.filled = star(QPointF(10, 13), 8.5, 1.6);
        shape.filled.addPath(star(QPointF(18.5, 5.5), 4.0, 0.8));
        shape.filled.addPath(star(QPointF(19, 19), 2.8, 0.6));
        break;
    }
    return shape;
}

class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(Symbol symbol, const QColor& color)
        : m_symbol(symbol)
        , m_color(color)
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor color = m_color;
        const QPalette palette = QGuiApplication::palette();
        if (!color.isValid())
            color = palette.color(QPalette::Text);
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.35);
        else if (mode == QIcon::Selected)
            color = palette.color(QPalette::HighlightedText);
        SymbolIcon::paint(*painter, rect, m_symbol, color);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap result(size);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return result;
    }

    QIconEngine* clone() const override { return new SymbolIconEngine(m_symbol, m_color); }

private:
    Symbol m_symbol;
    QColor m_color;
};

} // namespace

namespace SymbolIcon {

void paint(QPainter& painter, const QRectF& rect, Symbol symbol, const QColor& color)
{
    const Shape shape = shapeFor(symbol);
    const qreal side = std::min(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / grid, side / grid);
    if (!shape.filled.isEmpty())
        painter.fillPath(shape.filled, color);
    if (!shape.stroked.isEmpty()) {
        QPen pen(color, shape.strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(shape.stroked, pen);
    }
    painter.restore();
}

QIcon icon(Symbol symbol, const QColor& color)
{
    return QIcon(new SymbolIconEngine(symbol, color));
}

std::optional<Symbol> fromName(const QString& name)
{
    static const QHash<QString, Symbol> names{
        {QStringLiteral("folder.fill"), Symbol::folderFill},
        {QStringLiteral("doc.text"), Symbol::docText},
        {QStringLiteral("folder.badge.plus"), Symbol::folderBadgePlus},
        {QStringLiteral("plus"), Symbol::plus},
        {QStringLiteral("pin.fill"), Symbol::pinFill},
        {QStringLiteral("gearshape"), Symbol::gearshape},
        {QStringLiteral("macwindow"), Symbol::macwindow},
        {QStringLiteral("1.circle"), Symbol::circle1},
        {QStringLiteral("2.circle"), Symbol::circle2},
        {QStringLiteral("3.circle"), Symbol::circle3},
        {QStringLiteral("arrow.clockwise"), Symbol::arrowClockwise},
        {QStringLiteral("arrow.left"), Symbol::arrowLeft},
        {QStringLiteral("checkmark"), Symbol::checkmark},
        {QStringLiteral("doc.on.doc"), Symbol::docOnDoc},
        {QStringLiteral("sparkles"), Symbol::sparkles},
    };
    const auto it = names.constFind(name);
    if (it == names.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace SymbolIcon
