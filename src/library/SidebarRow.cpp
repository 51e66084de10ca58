#include "library/SidebarRow.h"

#include "library/ProjectLibrary.h"
#include "tags/CustomTagManager.h"
#include "tags/TagRules.h"
#include "tags/TagStyle.h"
#include "ui/Badge.h"
#include "ui/ColorContrast.h"
#include "ui/ElidedLabel.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr qreal cornerRadius = 8;

} // namespace

SidebarRow::SidebarRow(const RecentFolder& folder, bool isSelected, QWidget* parent)
    : SidebarRow(folder, isSelected, CustomTagManager::shared(), parent)
{}

SidebarRow::SidebarRow(const RecentFolder& folder, bool isSelected, CustomTagManager& tags,
                       QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_isSelected(isSelected)
    , m_tags(&tags)
    , m_icon(new QLabel(this))
    , m_name(new ElidedLabel(ProjectLibrary::displayName(folder), Qt::ElideRight, this))
    , m_tagBadge(new Badge(tagText(), this))
    , m_path(new ElidedLabel(ProjectLibrary::displayPath(folder), Qt::ElideMiddle, this))
{
    setObjectName(QStringLiteral("sidebarRow"));
    setAccessibleName(ProjectLibrary::displayName(folder));
    setAccessibleDescription(ProjectLibrary::displayPath(folder) + QStringLiteral(", ") +
                             tagText());
    m_icon->setObjectName(QStringLiteral("rowIcon"));
    m_name->setObjectName(QStringLiteral("projectName"));
    // The row takes the sidebar's width: a long name, tag or path ends in "…" (the list's
    // tooltip holds them whole).
    m_name->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_tagBadge->setObjectName(QStringLiteral("tagBadge"));
    m_tagBadge->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    m_path->setObjectName(QStringLiteral("projectPath"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    row->addWidget(m_icon, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    title->addWidget(m_name, 0, Qt::AlignVCenter);
    title->addWidget(m_tagBadge, 0, Qt::AlignVCenter);
    title->addStretch();
    column->addLayout(title);
    column->addWidget(m_path);
    row->addLayout(column, 1);

    connect(&tags, &CustomTagManager::savedTagsChanged, this, &SidebarRow::applyStyle);
    applyStyle();
}

void SidebarRow::setSelected(bool selected)
{
    if (m_isSelected == selected)
        return;
    m_isSelected = selected;
    applyStyle();
}

QString SidebarRow::tagText() const
{
    return QLatin1Char('#') + TagRules::effectiveTag(m_folder);
}

QColor SidebarRow::projectColor() const
{
    return m_tags ? TagStyle::projectDisplayColor(m_folder, *m_tags)
                  : TagRules::keywordColor(TagRules::effectiveTag(m_folder));
}

QString SidebarRow::fullText() const
{
    return ProjectLibrary::displayName(m_folder) + u'\n' + tagText() + u'\n' +
           ProjectLibrary::displayPath(m_folder);
}

QColor SidebarRow::selectionTint()
{
    return Theme::withOpacity(Theme::accent(), 0.2);
}

QSize SidebarRow::sizeHint() const
{
    return QSize(220, QWidget::sizeHint().height());
}

void SidebarRow::applyStyle()
{
    // White on the selection tint reads well on a dark sidebar; on a light one the tint is pale,
    // so the selected row keeps the primary text colour there.
    const bool whiteText = m_isSelected && Theme::isDark();
    const QColor selectedText = whiteText ? QColor(Qt::white) : Theme::primaryText();

    const QFont body = Theme::font(Theme::TextStyle::body);
    const int side = QFontInfo(body).pixelSize();
    const QColor iconColor = m_folder.isPinned ? NamedColors::color(NamedColor::orange, 0.7)
                                               : NamedColors::color(NamedColor::blue);
    m_icon->setPixmap(
        SymbolIcon::icon(m_folder.isPinned ? Symbol::pinFill : Symbol::folderFill, iconColor)
            .pixmap(QSize(side, side), devicePixelRatioF()));
    m_icon->setFixedSize(side, QFontMetrics(body).height());
    m_icon->setAlignment(Qt::AlignCenter);

    m_name->setFont(
        Theme::font(Theme::TextStyle::body, m_isSelected ? QFont::DemiBold : QFont::Medium));
    // What the texts lie on: the selection tint (see paintEvent) or the sidebar.
    const QColor background =
        m_isSelected ? ColorContrast::composite(selectionTint(), Theme::controlBackground())
                     : Theme::controlBackground();
    Theme::setTextColor(m_name, m_isSelected ? selectedText : Theme::primaryText(), background);

    const QColor color = projectColor();
    m_tagBadge->setFont(TagStyle::systemFont(9, QFont::Bold));
    Badge::Style badge;
    badge.color = color;
    badge.backgroundOpacity = m_isSelected ? 0.3 : 0.15;
    badge.padding = QMargins(4, 1, 4, 1);
    badge.cornerRadius = 4;
    if (whiteText)
        badge.textColor = Qt::white;
    badge.underlay = background;
    m_tagBadge->setBadgeStyle(badge);

    m_path->setFont(Theme::font(Theme::TextStyle::caption2));
    Theme::setTextColor(m_path,
                        whiteText ? Theme::withOpacity(Qt::white, 0.8) : Theme::secondaryText(),
                        background);
    update();
}

void SidebarRow::paintEvent(QPaintEvent*)
{
    if (!m_isSelected)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, selectionTint());
}

void SidebarRow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyStyle();
    QWidget::changeEvent(event);
}
