#include "app/ProjectsPlaceholder.h"

#include "library/RecentFoldersStore.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

ProjectsPlaceholder::ProjectsPlaceholder(const RecentFoldersStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("projectsScreen"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 40);
    layout->setSpacing(20);

    auto* title = new QLabel(QStringLiteral("Project Library"), this);
    title->setObjectName(QStringLiteral("projectsTitle"));
    title->setFont(Theme::font(Theme::TextStyle::largeTitle, QFont::Bold));
    layout->addWidget(title);
    layout->addSpacing(50);

    m_symbol = new QLabel(this);
    m_symbol->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_symbol);
    m_empty = new QLabel(QStringLiteral("No projects yet"), this);
    m_empty->setObjectName(QStringLiteral("projectsEmptyLabel"));
    m_empty->setFont(Theme::font(Theme::TextStyle::title2));
    m_empty->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_empty);

    m_browse = new TintedButton(QStringLiteral("Select Project Folder"), this);
    m_browse->setObjectName(QStringLiteral("projectsSelectFolderButton"));
    m_browse->setPadding(QMargins(14, 6, 14, 6));
    connect(m_browse, &QPushButton::clicked, this, &ProjectsPlaceholder::browseRequested);
    layout->addWidget(m_browse, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(&m_store, &RecentFoldersStore::recentFoldersChanged, this,
            &ProjectsPlaceholder::showEmptyState);
    showEmptyState();
    applyColors();
}

void ProjectsPlaceholder::showEmptyState()
{
    const bool empty = m_store.recentFolders().isEmpty();
    m_symbol->setVisible(empty);
    m_empty->setVisible(empty);
}

void ProjectsPlaceholder::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void ProjectsPlaceholder::applyColors()
{
    if (m_applyingColors)
        return;
    m_applyingColors = true;
    const qreal ratio = devicePixelRatioF();
    QPixmap symbol(QSize(60, 60) * ratio);
    symbol.setDevicePixelRatio(ratio);
    symbol.fill(Qt::transparent);
    {
        QPainter painter(&symbol);
        painter.setRenderHint(QPainter::Antialiasing);
        SymbolIcon::paint(painter, QRectF(0, 0, 60, 60), Symbol::folderBadgePlus,
                          Theme::secondaryText());
    }
    m_symbol->setPixmap(symbol);
    m_browse->setAppearance(TintedButton::Appearance{Theme::accent(), 1.0, QColor(Qt::white)});
    QPalette palette = m_empty->palette();
    palette.setColor(QPalette::WindowText, Theme::secondaryText());
    m_empty->setPalette(palette);
    m_applyingColors = false;
}
