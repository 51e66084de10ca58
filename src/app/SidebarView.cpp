#include "app/SidebarView.h"

#include "library/ProjectContextMenu.h"
#include "library/ProjectLibrary.h"
#include "library/RecentFoldersStore.h"
#include "library/SidebarRow.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QVBoxLayout>

namespace {

// Rows sit inset from the sidebar's edges.
constexpr int rowInset = 8;

QWidget* inset(QWidget* content, int top, int bottom)
{
    auto* wrapper = new QWidget;
    auto* layout = new QVBoxLayout(wrapper);
    layout->setContentsMargins(rowInset, top, rowInset, bottom);
    layout->addWidget(content);
    return wrapper;
}

} // namespace

SidebarView::SidebarView(const RecentFoldersStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("sidebar"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("sidebarList"));
    m_list->setAccessibleName(QStringLiteral("Projects"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The list lies on the sidebar's own background.
    QPalette clear = m_list->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(clear);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, &SidebarView::openItem);
    layout->addWidget(m_list, 1);

    m_selectFolder = new TintedButton(QStringLiteral("Select Project Folder"), this);
    m_selectFolder->setObjectName(QStringLiteral("selectProjectFolderButton"));
    m_selectFolder->setSymbol(Symbol::folderBadgePlus);
    m_selectFolder->setPadding(QMargins(12, 8, 12, 8));
    m_selectFolder->setCornerRadius(10);
    m_selectFolder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_selectFolder, &QPushButton::clicked, this, &SidebarView::browseRequested);
    auto* buttonRow = new QVBoxLayout;
    buttonRow->setContentsMargins(8, 8, 8, 8);
    buttonRow->addWidget(m_selectFolder);
    layout->addLayout(buttonRow);

    // One change of the store often sends several signals, and may come from a click on a row
    // or from its menu: the rows are rebuilt once, when the event loop is back.
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(0);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &SidebarView::rebuild);
    const auto scheduleRebuild = [this] { m_rebuildTimer.start(); };
    connect(&m_store, &RecentFoldersStore::recentFoldersChanged, this, scheduleRebuild);
    connect(&m_store, &RecentFoldersStore::openFolderChanged, this, scheduleRebuild);
    connect(&m_store, &RecentFoldersStore::sidebarListIdChanged, this, scheduleRebuild);
    rebuild();
}

SidebarRow* SidebarView::makeRow(const RecentFolder& folder, bool isSelected)
{
    return new SidebarRow(folder, isSelected);
}

void SidebarView::rebuild()
{
    m_rebuildTimer.stop();
    const std::optional<RecentFolder> current =
        m_list->currentItem() ? projectAt(m_list->currentRow()) : std::nullopt;
    m_list->clear();
    m_highlighted.clear();

    const ProjectLibrary::SidebarSections sections =
        ProjectLibrary::sidebarSections(m_store.recentFolders());
    addHeading();
    if (!sections.pinned.isEmpty()) {
        addCaption(QStringLiteral("Pinned"), 4);
        for (const RecentFolder& folder : sections.pinned)
            addProject(folder);
    }
    if (!sections.recent.isEmpty()) {
        addDivider();
        if (!sections.pinned.isEmpty())
            addCaption(QStringLiteral("Recents"), 0);
        for (const RecentFolder& folder : sections.recent)
            addProject(folder);
    }
    if (current) {
        const int row = rowOf(current->id);
        if (row >= 0)
            m_list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    }
}

void SidebarView::addItem(QWidget* widget, bool selectable)
{
    auto* item = new QListWidgetItem(m_list);
    item->setFlags(selectable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
    // Only the height: every row takes the list's width, never more (no sideways scrolling).
    item->setSizeHint(QSize(1, widget->sizeHint().height()));
    m_list->setItemWidget(item, widget);
    // The row widgets only show; clicks reach the list.
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SidebarView::addHeading()
{
    auto* heading = new QLabel(QStringLiteral("Projects"));
    heading->setObjectName(QStringLiteral("sidebarHeading"));
    heading->setFont(Theme::font(Theme::TextStyle::title));
    Theme::setTextColor(heading, Theme::withOpacity(Theme::primaryText(), 0.7));
    addItem(inset(heading, 10, 6), false);
}

void SidebarView::addCaption(const QString& text, int topPadding)
{
    auto* caption = new QLabel(text);
    caption->setObjectName(QStringLiteral("sidebarCaption:") + text);
    caption->setFont(Theme::font(Theme::TextStyle::caption));
    Theme::setTextColor(caption, Theme::withOpacity(Theme::secondaryText(), 0.6));
    addItem(inset(caption, topPadding, 2), false);
}

void SidebarView::addDivider()
{
    // A one-pixel strip filled with the translucent separator colour.
    auto* line = new QWidget;
    line->setObjectName(QStringLiteral("sidebarDivider"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Theme::separator());
    line->setPalette(palette);
    addItem(inset(line, 8, 8), false);
}

void SidebarView::addProject(const RecentFolder& folder)
{
    const bool selected = m_store.isOpenFolder(folder);
    if (selected)
        m_highlighted.append(folder.id);
    SidebarRow* row = makeRow(folder, selected);
    addItem(inset(row, 1, 1), true);
    QListWidgetItem* item = m_list->item(m_list->count() - 1);
    item->setData(ProjectIdRole, folder.id);
    item->setData(Qt::AccessibleTextRole, ProjectLibrary::displayName(folder));
    item->setData(Qt::AccessibleDescriptionRole, ProjectLibrary::displayPath(folder));
    // The row's texts may end in "…"; the tooltip holds them whole.
    item->setToolTip(row->fullText());
}

int SidebarView::rowOf(const QUuid& id) const
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->data(ProjectIdRole).toUuid() == id)
            return row;
    }
    return -1;
}

std::optional<RecentFolder> SidebarView::projectAt(int row) const
{
    const QListWidgetItem* item = m_list->item(row);
    if (!item)
        return std::nullopt;
    const QUuid id = item->data(ProjectIdRole).toUuid();
    if (id.isNull())
        return std::nullopt;
    for (const RecentFolder& folder : m_store.recentFolders()) {
        if (folder.id == id)
            return folder;
    }
    return std::nullopt;
}

QList<QUuid> SidebarView::highlightedProjects() const
{
    return m_highlighted;
}

ProjectContextMenu* SidebarView::buildContextMenu(const RecentFolder& folder, QWidget* parent)
{
    auto* menu = new ProjectContextMenu(folder, parent);
    connect(menu, &ProjectContextMenu::showInFinderRequested, this,
            &SidebarView::showInFinderRequested);
    connect(menu, &ProjectContextMenu::togglePinRequested, this, &SidebarView::togglePinRequested);
    connect(menu, &ProjectContextMenu::promptTagRequested, this, &SidebarView::promptTagRequested);
    connect(menu, &ProjectContextMenu::removeRequested, this, &SidebarView::removeRequested);
    return menu;
}

void SidebarView::openItem(QListWidgetItem* item)
{
    if (!item)
        return;
    if (const std::optional<RecentFolder> folder = projectAt(m_list->row(item)))
        Q_EMIT openRequested(*folder);
}

void SidebarView::showMenu(QListWidgetItem* item, const QPoint& globalPosition)
{
    if (!item)
        return;
    const std::optional<RecentFolder> folder = projectAt(m_list->row(item));
    if (!folder)
        return;
    ProjectContextMenu* menu = buildContextMenu(*folder, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

bool SidebarView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
            QListWidgetItem* item = m_list->currentItem();
            const QRect rect = item ? m_list->visualItemRect(item) : QRect();
            showMenu(item, m_list->viewport()->mapToGlobal(rect.center()));
        } else if (watched == m_list->viewport()) {
            showMenu(m_list->itemAt(menuEvent->pos()), menuEvent->globalPos());
        }
        return true;
    }
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            openItem(m_list->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SidebarView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        m_rebuildTimer.start();
}
