#include "library/OpenProjectCard.h"

#include "library/ProjectCard.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal cornerRadius = 12;
constexpr qreal outlineWidth = 2;

} // namespace

OpenProjectCard::OpenProjectCard(QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("openProjectCard"));
    setText(QStringLiteral("Open Project"));
    setAccessibleName(QStringLiteral("Open Project"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(ProjectCard::cardHeight);
}

QSize OpenProjectCard::sizeHint() const
{
    return QSize(200, ProjectCard::cardHeight);
}

QSize OpenProjectCard::minimumSizeHint() const
{
    return QSize(120, ProjectCard::cardHeight);
}

void OpenProjectCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The same face as a project card (which leaves room below for its shadow).
    const QRectF face = QRectF(rect()).adjusted(outlineWidth / 2 + 0.5, outlineWidth / 2,
                                                -outlineWidth / 2 - 0.5, -outlineWidth / 2 - 2);
    QPainterPath shape;
    shape.addRoundedRect(face, cornerRadius, cornerRadius);

    const bool hovered = underMouse() && isEnabled();
    painter.fillPath(shape, Theme::controlBackground());
    if (hovered || isDown())
        painter.fillPath(shape, Theme::withOpacity(Theme::accent(), isDown() ? 0.12 : 0.06));

    QPen dash(Theme::withOpacity(Theme::secondaryText(), hovered ? 0.6 : 0.3), outlineWidth);
    // A dash of 5 points and a gap of 5, in units of the pen width.
    dash.setDashPattern({5.0 / outlineWidth, 5.0 / outlineWidth});
    painter.strokePath(shape, dash);

    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(face.adjusted(2, 2, -2, -2), cornerRadius - 2, cornerRadius - 2);
        painter.strokePath(ring, QPen(Theme::accent(), 2));
    }

    const QFont titleFont = Theme::font(Theme::TextStyle::largeTitle);
    const qreal symbolSide = QFontInfo(titleFont).pixelSize();
    const QFont labelFont = Theme::font(Theme::TextStyle::body, QFont::Medium);
    const qreal labelHeight = QFontMetricsF(labelFont).height();
    const qreal spacing = 8;
    const qreal top = face.center().y() - (symbolSide + spacing + labelHeight) / 2;

    SymbolIcon::paint(painter,
                      QRectF(face.center().x() - symbolSide / 2, top, symbolSide, symbolSide),
                      Symbol::plus, Theme::accent());
    painter.setFont(labelFont);
    painter.setPen(Theme::primaryText());
    painter.drawText(QRectF(face.left(), top + symbolSide + spacing, face.width(), labelHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, text());
}

void OpenProjectCard::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

bool OpenProjectCard::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}
