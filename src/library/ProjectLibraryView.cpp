#include "library/ProjectLibraryView.h"

#include "library/AdaptiveGridLayout.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibrary.h"
#include "library/RecentFoldersStore.h"
#include "tags/CustomTagManager.h"
#include "tags/TagStyle.h"
#include "ui/ProminentButton.h"
#include "ui/SegmentedControl.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int horizontalPadding = 20;
constexpr int emptySymbolSize = 60;
constexpr int swatchSize = 8;

QLabel* textLabel(const QString& text, const QString& objectName, const QFont& font,
                  const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    Theme::setTextColor(label, color);
    return label;
}

// Detaches a replaced part at once (so it is no longer found among the view's children) and
// deletes it once control is back in the event loop: the part may be the one whose card or
// menu is still handling the event that caused the change.
void discard(QWidget* widget)
{
    if (!widget)
        return;
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}

} // namespace

ProjectLibraryView::ProjectLibraryView(QWidget* parent)
    : ProjectLibraryView(CustomTagManager::shared(), parent)
{}

ProjectLibraryView::ProjectLibraryView(CustomTagManager& tags, QWidget* parent)
    : QWidget(parent)
    , m_tags(tags)
    , m_scrollArea(new QScrollArea(this))
    , m_content(new QWidget)
    , m_contentLayout(new QVBoxLayout(m_content))
{
    setObjectName(QStringLiteral("projectLibraryView"));
    setAccessibleName(QStringLiteral("Project Library"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollArea);

    m_scrollArea->setObjectName(QStringLiteral("libraryScrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setBackgroundRole(QPalette::Window);
    // Not a Tab stop of its own (it would show no focus): the cards and controls inside are,
    // and the area scrolls to whichever has the focus.
    m_scrollArea->setFocusPolicy(Qt::NoFocus);

    m_content->setObjectName(QStringLiteral("libraryContent"));
    m_content->setBackgroundRole(QPalette::Window);
    m_content->setAutoFillBackground(true);
    m_contentLayout->setContentsMargins(0, 20, 0, 40);
    m_contentLayout->setSpacing(20);

    auto* header = new QWidget(m_content);
    header->setObjectName(QStringLiteral("libraryHeader"));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    m_title = textLabel(QStringLiteral("Project Library"), QStringLiteral("libraryTitle"), QFont(),
                        QColor(), header);
    headerRow->addWidget(m_title);
    headerRow->addStretch();
    QStringList segments;
    for (ProjectSortMode mode : allProjectSortModes())
        segments << rawValue(mode);
    m_sortPicker = new SegmentedControl(QStringLiteral("Sort"), segments, header);
    m_sortPicker->setFixedWidth(200);
    headerRow->addWidget(m_sortPicker);
    m_contentLayout->addWidget(header);
    m_contentLayout->addStretch(1);

    m_scrollArea->setWidget(m_content);

    connect(m_sortPicker, &SegmentedControl::activated, this, [this](int index) {
        setSortMode(allProjectSortModes().value(index, ProjectSortMode::recent));
    });

    applyHeaderStyle();
    rebuild();
}

void ProjectLibraryView::setStore(RecentFoldersStore* store)
{
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    if (!store)
        return;
    connect(store, &RecentFoldersStore::recentFoldersChanged, this,
            [this] { setRecentFolders(m_store->recentFolders()); });
    setRecentFolders(store->recentFolders());
}

void ProjectLibraryView::setRecentFolders(const QList<RecentFolder>& folders)
{
    m_folders = folders;
    rebuild();
}

void ProjectLibraryView::setSortMode(ProjectSortMode mode)
{
    m_sortPicker->setCurrentIndex(int(allProjectSortModes().indexOf(mode)));
    if (m_sortMode == mode)
        return;
    m_sortMode = mode;
    rebuild();
    Q_EMIT sortModeChanged(mode);
}

ProjectContextMenu* ProjectLibraryView::createContextMenu(const RecentFolder& folder,
                                                          QWidget* parent)
{
    auto* menu = new ProjectContextMenu(folder, parent ? parent : this);
    connect(menu, &ProjectContextMenu::showInFinderRequested, this,
            &ProjectLibraryView::showInFinderRequested);
    connect(menu, &ProjectContextMenu::togglePinRequested, this,
            &ProjectLibraryView::togglePinRequested);
    connect(menu, &ProjectContextMenu::promptTagRequested, this,
            &ProjectLibraryView::promptTagRequested);
    connect(menu, &ProjectContextMenu::removeRequested, this, &ProjectLibraryView::removeRequested);
    return menu;
}

void ProjectLibraryView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        applyHeaderStyle();
        rebuild();
    }
}

void ProjectLibraryView::applyHeaderStyle()
{
    m_title->setFont(Theme::font(Theme::TextStyle::largeTitle, QFont::Bold));
    Theme::setTextColor(m_title, Theme::primaryText());
}

void ProjectLibraryView::rebuild()
{
    // Keep the keyboard focus on the same project when its card is rebuilt.
    std::optional<QUuid> focusedProject;
    if (m_body) {
        if (auto* card = qobject_cast<ProjectCard*>(QApplication::focusWidget());
            card && m_body->isAncestorOf(card))
            focusedProject = card->folder().id;
    }

    QWidget* body = nullptr;
    if (m_folders.isEmpty())
        body = buildEmptyState();
    else if (m_sortMode == ProjectSortMode::recent)
        body = buildRecentGrid();
    else
        body = buildTagGroups();

    discard(m_body);
    m_body = body;
    // After the header, before the closing stretch.
    m_contentLayout->insertWidget(1, body);
    // Shown now rather than when the layout gets round to it, so the new part is there at once.
    if (m_content->isVisible())
        body->show();

    if (focusedProject) {
        for (ProjectCard* card : body->findChildren<ProjectCard*>()) {
            if (card->folder().id == *focusedProject) {
                card->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

QWidget* ProjectLibraryView::buildEmptyState()
{
    auto* empty = new QWidget(m_content);
    empty->setObjectName(QStringLiteral("emptyState"));
    auto* column = new QVBoxLayout(empty);
    column->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    column->setSpacing(20);
    column->addSpacing(50);

    auto* symbol = new QLabel(empty);
    symbol->setObjectName(QStringLiteral("emptySymbol"));
    symbol->setAccessibleName(QStringLiteral("No projects yet"));
    symbol->setPixmap(SymbolIcon::icon(Symbol::folderBadgePlus, Theme::secondaryText())
                          .pixmap(QSize(emptySymbolSize, emptySymbolSize), devicePixelRatioF()));
    column->addWidget(symbol, 0, Qt::AlignHCenter);

    column->addWidget(textLabel(QStringLiteral("No projects yet"), QStringLiteral("emptyMessage"),
                                Theme::font(Theme::TextStyle::title2), Theme::secondaryText(),
                                empty),
                      0, Qt::AlignHCenter);

    auto* browse = new ProminentButton(QStringLiteral("Select Project Folder"), empty);
    browse->setObjectName(QStringLiteral("selectProjectFolderButton"));
    connect(browse, &QPushButton::clicked, this, &ProjectLibraryView::browseRequested);
    column->addWidget(browse, 0, Qt::AlignHCenter);
    return empty;
}

QWidget* ProjectLibraryView::buildRecentGrid()
{
    auto* grid = new QWidget(m_content);
    grid->setObjectName(QStringLiteral("recentGrid"));
    auto* layout =
        new AdaptiveGridLayout(minimumColumnWidth, maximumColumnWidth, gridSpacing, grid);
    layout->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);

    auto* open = new OpenProjectCard(grid);
    connect(open, &OpenProjectCard::clicked, this, &ProjectLibraryView::browseRequested);
    layout->addWidget(open);
    for (const RecentFolder& folder : std::as_const(m_folders))
        layout->addWidget(buildCard(folder, grid));
    return grid;
}

QWidget* ProjectLibraryView::buildTagGroups()
{
    auto* groups = new QWidget(m_content);
    groups->setObjectName(QStringLiteral("tagGroups"));
    auto* column = new QVBoxLayout(groups);
    column->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    column->setSpacing(24);

    for (const ProjectLibrary::TagGroup& group : ProjectLibrary::libraryGroups(m_folders)) {
        auto* section = new QWidget(groups);
        section->setObjectName(QStringLiteral("tagGroup"));
        section->setProperty("tag", group.tag);
        auto* sectionColumn = new QVBoxLayout(section);
        sectionColumn->setContentsMargins(0, 0, 0, 0);
        sectionColumn->setSpacing(12);

        auto* header = new QHBoxLayout;
        header->setSpacing(8);
        const std::optional<TagRules::Swatch> swatch = ProjectLibrary::groupHeaderColor(group.tag);
        const QColor color = swatch ? TagStyle::displayColor(*swatch) : Theme::primaryText();
        QLabel* title =
            textLabel(ProjectLibrary::groupHeaderTitle(group.tag), QStringLiteral("groupTitle"),
                      Theme::font(Theme::TextStyle::title2, QFont::DemiBold), color, section);
        header->addWidget(title);
        if (ProjectLibrary::groupHeaderShowsSwatch(group.tag)) {
            auto* square = new QWidget(section);
            square->setObjectName(QStringLiteral("groupSwatch"));
            square->setFixedSize(swatchSize, swatchSize);
            square->setAutoFillBackground(true);
            QPalette palette = square->palette();
            palette.setColor(QPalette::Window, color);
            square->setPalette(palette);
            header->addWidget(square, 0, Qt::AlignVCenter);
        }
        header->addStretch();
        sectionColumn->addLayout(header);

        auto* grid = new QWidget(section);
        grid->setObjectName(QStringLiteral("groupGrid"));
        auto* layout =
            new AdaptiveGridLayout(minimumColumnWidth, maximumColumnWidth, gridSpacing, grid);
        for (const RecentFolder& folder : group.projects)
            layout->addWidget(buildCard(folder, grid));
        sectionColumn->addWidget(grid);
        column->addWidget(section);
    }
    return groups;
}

QWidget* ProjectLibraryView::buildCard(const RecentFolder& folder, QWidget* parent)
{
    auto* card = new ProjectCard(folder, m_tags, parent);
    card->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(card, &ProjectCard::clicked, this,
            [this, card] { Q_EMIT openRequested(card->folder()); });
    connect(card, &ProjectCard::customContextMenuRequested, this, [this, card](const QPoint& at) {
        ProjectContextMenu* menu = createContextMenu(card->folder());
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(card->mapToGlobal(at));
    });
    return card;
}
