#include "library/ProjectCard.h"

#include "library/ProjectLibrary.h"
#include "model/ReferenceDate.h"
#include "tags/CustomTagManager.h"
#include "tags/TagRules.h"
#include "tags/TagStyle.h"
#include "ui/Badge.h"
#include "ui/ElidedLabel.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int padding = 12;
constexpr qreal cornerRadius = 12;
// Room below the card's face for its shadow.
constexpr qreal shadowRoom = 2;

QPixmap symbolPixmap(Symbol symbol, const QColor& color, const QFont& font, qreal ratio)
{
    const int side = QFontInfo(font).pixelSize();
    return SymbolIcon::icon(symbol, color).pixmap(QSize(side, side), ratio);
}

// "pin.fill" in orange, padded 4 points on all sides, on orange at opacity 0.1.
QPixmap pinBadgePixmap(const QFont& font, qreal ratio)
{
    const int side = QFontInfo(font).pixelSize();
    const int padding = 4;
    QPixmap pixmap(QSize(side + 2 * padding, side + 2 * padding) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Theme::withOpacity(NamedColors::color(NamedColor::orange), 0.1));
    QPainter painter(&pixmap);
    SymbolIcon::paint(painter, QRectF(padding, padding, side, side), Symbol::pinFill,
                      NamedColors::color(NamedColor::orange));
    return pixmap;
}

} // namespace

ProjectCard::ProjectCard(const RecentFolder& folder, CustomTagManager& tags, QWidget* parent)
    : QAbstractButton(parent)
    , m_folder(folder)
    , m_tags(&tags)
    , m_folderIcon(new QLabel(this))
    , m_pinBadge(new QLabel(this))
    , m_name(new ElidedLabel(ProjectLibrary::displayName(folder), Qt::ElideRight, this))
    , m_path(new ElidedLabel(ProjectLibrary::displayPath(folder), Qt::ElideMiddle, this))
    , m_tagBadge(new Badge(tagText(), this))
    , m_date(new QLabel(dateText(folder.lastAccessed), this))
{
    setObjectName(QStringLiteral("projectCard"));
    setText(ProjectLibrary::displayName(folder));
    setAccessibleName(ProjectLibrary::displayName(folder));
    setAccessibleDescription(
        QStringList{ProjectLibrary::displayPath(folder), tagText(), m_date->text()}.join(
            QStringLiteral(", ")));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(cardHeight);

    m_folderIcon->setObjectName(QStringLiteral("folderIcon"));
    m_pinBadge->setObjectName(QStringLiteral("pinBadge"));
    m_pinBadge->setVisible(folder.isPinned);
    m_name->setObjectName(QStringLiteral("projectName"));
    m_path->setObjectName(QStringLiteral("projectPath"));
    m_tagBadge->setObjectName(QStringLiteral("tagBadge"));
    m_date->setObjectName(QStringLiteral("lastAccessed"));

    // The card is one button: clicks and hovering go to it, not to its parts.
    for (QWidget* part : std::initializer_list<QWidget*>{m_folderIcon, m_pinBadge, m_name, m_path,
                                                         m_tagBadge, m_date})
        part->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding + int(shadowRoom));
    column->setSpacing(12);
    column->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(m_folderIcon, 0, Qt::AlignTop);
    top->addStretch();
    top->addWidget(m_pinBadge, 0, Qt::AlignTop);
    column->addLayout(top);

    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(m_name);
    names->addWidget(m_path);
    column->addLayout(names);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    bottom->addWidget(m_tagBadge, 0, Qt::AlignVCenter);
    bottom->addStretch();
    bottom->addWidget(m_date, 0, Qt::AlignVCenter);
    column->addLayout(bottom);
    column->addStretch();

    connect(&tags, &CustomTagManager::savedTagsChanged, this, &ProjectCard::applyStyle);
    applyStyle();
}

QString ProjectCard::tagText() const
{
    return QLatin1Char('#') + TagRules::effectiveTag(m_folder);
}

QColor ProjectCard::projectColor() const
{
    return m_tags ? TagStyle::projectDisplayColor(m_folder, *m_tags)
                  : TagRules::keywordColor(TagRules::effectiveTag(m_folder));
}

QString ProjectCard::dateText(double lastAccessed)
{
    return QLocale().toString(ReferenceDate::toDateTime(lastAccessed).toLocalTime().date(),
                              QLocale::ShortFormat);
}

QSize ProjectCard::sizeHint() const
{
    return QSize(200, cardHeight);
}

QSize ProjectCard::minimumSizeHint() const
{
    return QSize(120, cardHeight);
}

void ProjectCard::applyStyle()
{
    const qreal ratio = devicePixelRatioF();
    const QColor orange = NamedColors::color(NamedColor::orange);
    m_folderIcon->setPixmap(symbolPixmap(
        Symbol::folderFill, m_folder.isPinned ? orange : NamedColors::color(NamedColor::blue),
        Theme::font(Theme::TextStyle::title), ratio));
    m_pinBadge->setPixmap(pinBadgePixmap(Theme::font(Theme::TextStyle::caption), ratio));

    m_name->setFont(Theme::font(Theme::TextStyle::headline));
    // The card's face is the text background.
    const QColor face = Theme::textBackground();
    Theme::setTextColor(m_name, Theme::primaryText(), face);
    m_path->setFont(Theme::font(Theme::TextStyle::caption2));
    Theme::setTextColor(m_path, Theme::secondaryText(), face);

    m_tagBadge->setFont(TagStyle::systemFont(10, QFont::Bold));
    Badge::Style badge;
    badge.color = projectColor();
    badge.backgroundOpacity = 0.1;
    badge.padding = QMargins(6, 2, 6, 2);
    badge.cornerRadius = 4;
    badge.underlay = face;
    m_tagBadge->setBadgeStyle(badge);

    m_date->setFont(Theme::font(Theme::TextStyle::caption2));
    Theme::setTextColor(m_date, Theme::withOpacity(Theme::secondaryText(), 0.7), face);
    update();
}

void ProjectCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(1, 0.5, -1, -shadowRoom - 0.5);
    QPainterPath shape;
    shape.addRoundedRect(face, cornerRadius, cornerRadius);

    // A soft shadow one point below the face: black at 0.05, spread over two points.
    for (int step = 2; step >= 1; --step) {
        QPainterPath shadow;
        const QRectF box = face.translated(0, 1).adjusted(-step * 0.5, 0, step * 0.5, step * 0.5);
        shadow.addRoundedRect(box, cornerRadius + step * 0.5, cornerRadius + step * 0.5);
        painter.fillPath(shadow, QColor(0, 0, 0, int(255 * 0.05 / step)));
    }

    QColor background = Theme::textBackground();
    if (isDown())
        background = QColor::fromRgbF(background.redF() * 0.94 + Theme::accent().redF() * 0.06,
                                      background.greenF() * 0.94 + Theme::accent().greenF() * 0.06,
                                      background.blueF() * 0.94 + Theme::accent().blueF() * 0.06);
    painter.fillPath(shape, background);

    const bool hovered = underMouse() && isEnabled();
    QPen outline(hovered ? Theme::withOpacity(Theme::accent(), 0.6) : Theme::separator(),
                 hovered ? 1.0 : 0.5);
    painter.strokePath(shape, outline);

    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(face.adjusted(1, 1, -1, -1), cornerRadius - 1, cornerRadius - 1);
        painter.strokePath(ring, QPen(Theme::accent(), 2));
    }
}

void ProjectCard::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ProjectCard::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyStyle();
    QAbstractButton::changeEvent(event);
}

bool ProjectCard::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}
