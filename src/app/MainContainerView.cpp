#include "app/MainContainerView.h"

#include "app/FileDialogFolderChooser.h"
#include "app/SidebarView.h"
#include "engine/PlexorWorkView.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibraryView.h"
#include "library/RecentFoldersStore.h"
#include "model/Preferences.h"
#include "platform/Clipboard.h"
#include "tags/CustomTagManager.h"
#include "tags/TagSelectionView.h"
#include "ui/SegmentedControl.h"
#include "ui/Theme.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>

#include <algorithm>

namespace {

FolderChooser& desktopFolderChooser()
{
    static FileDialogFolderChooser chooser;
    return chooser;
}

bool carriesLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.cbegin(), urls.cend(),
                       [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

MainContainerView::MainContainerView(QWidget* parent)
    : MainContainerView(Preferences::standard(), Clipboard::system(), desktopFolderChooser(),
                        parent)
{}

MainContainerView::MainContainerView(Preferences& preferences, Clipboard& clipboard,
                                     FolderChooser& folderChooser, QWidget* parent)
    : QMainWindow(parent)
    , m_preferences(preferences)
    , m_clipboard(clipboard)
    , m_folderChooser(folderChooser)
    , m_store(std::make_unique<RecentFoldersStore>(preferences))
{
    setObjectName(QStringLiteral("mainWindow"));
    setUnifiedTitleAndToolBarOnMac(true);
    setAcceptDrops(true);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);
    applyColors();
    buildSidebar();
    m_detail = new QStackedWidget(m_splitter);
    m_detail->setObjectName(QStringLiteral("detailArea"));
    m_splitter->addWidget(m_detail);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({sidebarIdealWidth, 900});
    setCentralWidget(m_splitter);

    buildToolBar();
    buildProjectsScreen();

    m_toggleSidebar = new QAction(QStringLiteral("Show &Sidebar"), this);
    m_toggleSidebar->setObjectName(QStringLiteral("toggleSidebarAction"));
    m_toggleSidebar->setCheckable(true);
    m_toggleSidebar->setChecked(true);
    m_toggleSidebar->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    m_toggleSidebar->setShortcutContext(Qt::WindowShortcut);
    // Hiding keeps the sidebar's rows and highlight as they are; showing brings them back.
    connect(m_toggleSidebar, &QAction::toggled, m_sidebar, &QWidget::setVisible);
    addAction(m_toggleSidebar);

    // The work view follows the open folder and the open project's record.
    connect(m_store.get(), &RecentFoldersStore::openFolderChanged, this,
            &MainContainerView::passOpenFolder);
    connect(m_store.get(), &RecentFoldersStore::recentFoldersChanged, this,
            &MainContainerView::passSavedPaths);
}

MainContainerView::~MainContainerView()
{
    // The screens read the store; they go before it.
    delete m_splitter;
}

void MainContainerView::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolBar->toggleViewAction()->setVisible(false);

    // The picker sits in the middle between two equal springs.
    auto* leading = new QWidget(m_toolBar);
    leading->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(leading);
    QStringList segments;
    for (ViewMode mode : allViewModes())
        segments.append(rawValue(mode));
    m_modePicker = new SegmentedControl(QStringLiteral("Mode"), segments, m_toolBar);
    m_modePicker->setFixedWidth(modePickerWidth);
    m_modePicker->setToolTip(QStringLiteral("Mode"));
    m_toolBar->addWidget(m_modePicker);
    auto* trailing = new QWidget(m_toolBar);
    trailing->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(trailing);
    connect(m_modePicker, &SegmentedControl::activated, this,
            [this](int index) { setViewMode(allViewModes().value(index, ViewMode::projects)); });
}

void MainContainerView::buildSidebar()
{
    m_sidebar = new SidebarView(*m_store, m_splitter);
    m_sidebar->setMinimumWidth(sidebarMinimumWidth);
    m_sidebar->setMaximumWidth(sidebarMaximumWidth);
    m_splitter->addWidget(m_sidebar);

    connect(m_sidebar, &SidebarView::openRequested, this, [this](const RecentFolder& folder) {
        // The main tab opens even when the bookmark does not resolve; the previous folder then
        // stays open.
        m_store->openRecent(folder);
        setViewMode(ViewMode::plexor);
    });
    connect(m_sidebar, &SidebarView::browseRequested, this, &MainContainerView::browseFolder);
    connect(m_sidebar, &SidebarView::showInFinderRequested, this,
            [this](const RecentFolder& folder) { m_store->showInFinder(folder); });
    connect(m_sidebar, &SidebarView::togglePinRequested, this,
            [this](const RecentFolder& folder) { m_store->togglePin(folder); });
    connect(m_sidebar, &SidebarView::removeRequested, this,
            [this](const RecentFolder& folder) { m_store->removeRecent(folder); });
    connect(m_sidebar, &SidebarView::promptTagRequested, this, &MainContainerView::promptTag);
}

void MainContainerView::buildProjectsScreen()
{
    m_projects = new ProjectLibraryView(m_detail);
    m_projects->setObjectName(QStringLiteral("projectLibrary"));
    m_projects->setStore(m_store.get());
    m_projects->setSortMode(m_projectSortMode);
    connect(m_projects, &ProjectLibraryView::sortModeChanged, this,
            &MainContainerView::setProjectSortMode);
    connect(m_projects, &ProjectLibraryView::browseRequested, this,
            &MainContainerView::browseFolder);
    connect(m_projects, &ProjectLibraryView::openRequested, this,
            [this](const RecentFolder& folder) {
                // As from the sidebar: the main tab shows even when the bookmark does not
                // resolve.
                m_store->openRecent(folder);
                setViewMode(ViewMode::plexor);
            });
    connect(m_projects, &ProjectLibraryView::togglePinRequested, this,
            [this](const RecentFolder& folder) { m_store->togglePin(folder); });
    connect(m_projects, &ProjectLibraryView::removeRequested, this,
            [this](const RecentFolder& folder) { m_store->removeRecent(folder); });
    connect(m_projects, &ProjectLibraryView::showInFinderRequested, this,
            [this](const RecentFolder& folder) { m_store->showInFinder(folder); });
    connect(m_projects, &ProjectLibraryView::promptTagRequested, this,
            &MainContainerView::promptTag);
    m_detail->addWidget(m_projects);
    m_detail->setCurrentWidget(m_projects);
}

void MainContainerView::promptTag(const RecentFolder& folder)
{
    if (m_tagSheet) {
        // One sheet at a time: the earlier one closes as if cancelled.
        m_tagSheet->reject();
    }
    m_folderForTagging = folder;
    TagSelectionView* sheet =
        TagSelectionView::forProject(folder, CustomTagManager::shared(), this);
    m_tagSheet = sheet;
    connect(sheet, &TagSelectionView::saved, this,
            [this, folder](const QString& tag, const std::optional<QString>& colorHex) {
                m_store->applyTag(folder, tag, colorHex);
            });
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (m_tagSheet != sheet)
            return;
        m_tagSheet = nullptr;
        m_folderForTagging.reset();
        Q_EMIT folderForTaggingChanged();
    });
    sheet->open();
    Q_EMIT folderForTaggingChanged();
}

void MainContainerView::buildWorkView()
{
    m_workView = new PlexorWorkView(m_preferences, m_clipboard, m_detail);
    connect(m_workView, &PlexorWorkView::viewModeChanged, this, &MainContainerView::setViewMode);
    connect(m_workView, &PlexorWorkView::saveStateRequested, m_store.get(),
            &RecentFoldersStore::saveFolderState);
    connect(m_workView, &PlexorWorkView::generated, m_store.get(),
            &RecentFoldersStore::recordGeneration);
    passSavedPaths();
    m_workView->setFolder(m_store->accessibleURL(), m_store->folderPath());
    m_detail->addWidget(m_workView);
}

void MainContainerView::discardWorkView()
{
    if (!m_workView)
        return;
    m_detail->removeWidget(m_workView);
    delete m_workView;
    m_workView = nullptr;
}

void MainContainerView::passSavedPaths()
{
    if (!m_workView)
        return;
    const std::optional<RecentFolder> record = m_store->recordForOpenFolder();
    m_workView->setSavedPaths(record ? record->savedSelectedPaths : std::nullopt,
                              record ? record->savedExpandedPaths : std::nullopt);
}

void MainContainerView::passOpenFolder()
{
    if (!m_workView)
        return;
    passSavedPaths();
    m_workView->setFolder(m_store->accessibleURL(), m_store->folderPath());
}

void MainContainerView::setViewMode(ViewMode mode)
{
    const bool changed = mode != m_viewMode;
    m_viewMode = mode;
    m_modePicker->setCurrentIndex(int(allViewModes().indexOf(mode)));
    if (mode == ViewMode::projects) {
        m_detail->setCurrentWidget(m_projects);
        discardWorkView();
    } else {
        if (!m_workView)
            buildWorkView();
        m_workView->setViewMode(mode);
        m_detail->setCurrentWidget(m_workView);
    }
    if (changed)
        Q_EMIT viewModeChanged(mode);
}

void MainContainerView::setProjectSortMode(ProjectSortMode mode)
{
    if (mode == m_projectSortMode)
        return;
    m_projectSortMode = mode;
    if (m_projects)
        m_projects->setSortMode(mode);
    Q_EMIT projectSortModeChanged(mode);
}

void MainContainerView::browseFolder()
{
    const std::optional<QString> chosen = m_folderChooser.chooseFolder(this);
    if (!chosen)
        return;
    openFolder(*chosen);
}

void MainContainerView::openFolder(const QString& folderPath)
{
    selectFolder(folderPath);
    setViewMode(ViewMode::plexor);
}

void MainContainerView::selectFolder(const QString& folderPath)
{
    // A folder whose bookmark cannot be made still opens; it is only not remembered.
    m_store->addToRecents(folderPath);
    m_store->setOpenFolder(folderPath);
}

void MainContainerView::handleDroppedItems(const QList<QUrl>& urls)
{
    const auto first =
        std::find_if(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    if (first == urls.cend())
        return;
    const QString path = QDir::cleanPath(first->toLocalFile());
    QMetaObject::invokeMethod(this, [this, path] { openFolder(path); }, Qt::QueuedConnection);
}

void MainContainerView::restoreLastFolder()
{
    setViewMode(m_store->restoreLastFolder());
}

void MainContainerView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void MainContainerView::applyColors()
{
    // The line between the sidebar and the detail area.
    const QColor line = Theme::separator();
    m_splitter->setStyleSheet(
        QStringLiteral("QSplitter::handle { background: rgba(%1, %2, %3, %4); }")
            .arg(line.red())
            .arg(line.green())
            .arg(line.blue())
            .arg(QString::number(line.alphaF(), 'f', 3)));
}

void MainContainerView::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    restoreLastFolder();
}

void MainContainerView::dragEnterEvent(QDragEnterEvent* event)
{
    if (carriesLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void MainContainerView::dragMoveEvent(QDragMoveEvent* event)
{
    if (carriesLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void MainContainerView::dropEvent(QDropEvent* event)
{
    // A drop is always taken; what it holds decides whether anything opens.
    event->acceptProposedAction();
    if (event->mimeData())
        handleDroppedItems(event->mimeData()->urls());
}
