#include "app/SidebarProjectRow.h"

#include "library/ProjectLibrary.h"
#include "tags/NamedColors.h"
#include "ui/ElidedLabel.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int padding = 10;
constexpr qreal cornerRadius = 8;
constexpr int iconSize = 16;

} // namespace

SidebarProjectRow::SidebarProjectRow(const RecentFolder& folder, bool isSelected, QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_isSelected(isSelected)
{
    setAccessibleName(ProjectLibrary::displayName(folder));
    setAccessibleDescription(ProjectLibrary::displayPath(folder));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(8);
    m_icon = new QLabel(this);
    m_icon->setFixedSize(iconSize, iconSize);
    row->addWidget(m_icon, 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    m_name = new QLabel(ProjectLibrary::displayName(folder), this);
    m_name->setFont(
        Theme::font(Theme::TextStyle::body, isSelected ? QFont::DemiBold : QFont::Medium));
    text->addWidget(m_name);
    m_path = new ElidedLabel(ProjectLibrary::displayPath(folder), Qt::ElideMiddle, this);
    m_path->setFont(Theme::font(Theme::TextStyle::caption2));
    text->addWidget(m_path);
    row->addLayout(text, 1);
    applyColors();
}

void SidebarProjectRow::paintEvent(QPaintEvent*)
{
    if (!m_isSelected)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, Theme::withOpacity(Theme::accent(), 0.2));
}

void SidebarProjectRow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void SidebarProjectRow::applyColors()
{
    if (m_applyingColors)
        return;
    m_applyingColors = true;
    QPixmap icon(QSize(iconSize, iconSize) * devicePixelRatioF());
    icon.setDevicePixelRatio(devicePixelRatioF());
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        SymbolIcon::paint(painter, QRectF(0, 0, iconSize, iconSize),
                          m_folder.isPinned ? Symbol::pinFill : Symbol::folderFill,
                          m_folder.isPinned ? NamedColors::color(NamedColor::orange, 0.7)
                                            : NamedColors::color(NamedColor::blue));
    }
    m_icon->setPixmap(icon);
    QPalette names = m_name->palette();
    names.setColor(QPalette::WindowText, Theme::primaryText());
    m_name->setPalette(names);
    QPalette paths = m_path->palette();
    paths.setColor(QPalette::WindowText, Theme::secondaryText());
    m_path->setPalette(paths);
    m_applyingColors = false;
}
