#pragma once

#include "model/RecentFolder.h"
#include "model/ViewMode.h"
#include "tags/TagSelectionView.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>

class Clipboard;
class FolderChooser;
class PlexorWorkView;
class Preferences;
class ProjectLibraryView;
class QSplitter;
class QStackedWidget;
class QToolBar;
class RecentFoldersStore;
class SegmentedControl;
class SidebarView;

// The main window: the sidebar of remembered projects beside a detail area that shows the
// project library or the main tab's work view, with the "Mode" picker centred in the toolbar.
//
// The window owns the project library state (RecentFoldersStore: the list, the open folder) and
// the screen selector. The work view, and the collection engine it owns, exist only while the
// main tab or the preview is shown: showing the project library discards them, and coming back
// builds them afresh from the open project's stored record.
//
// On its first showing the window restores the folder used last (restoreLastFolder). Folders
// dropped anywhere on the window open like a folder chosen in the folder chooser.
class MainContainerView : public QMainWindow {
    Q_OBJECT

public:
    // The sidebar's width: at least, ideally and at most.
    static constexpr int sidebarMinimumWidth = 220;
    static constexpr int sidebarIdealWidth = 250;
    static constexpr int sidebarMaximumWidth = 350;
    // The "Mode" picker's width.
    static constexpr int modePickerWidth = 300;

    // Over the user's preferences, the desktop clipboard and the desktop's folder dialog.
    explicit MainContainerView(QWidget* parent = nullptr);
    // All services must outlive the window.
    MainContainerView(Preferences& preferences, Clipboard& clipboard, FolderChooser& folderChooser,
                      QWidget* parent = nullptr);
    ~MainContainerView() override;

    RecentFoldersStore& store() { return *m_store; }

    ViewMode viewMode() const { return m_viewMode; }
    // Shows the project library (discarding the work view) or the work view's input screen or
    // preview (building the work view when there is none).
    void setViewMode(ViewMode mode);

    // The project library's ordering: view state, "Recent" at first, lost with the window.
    ProjectSortMode projectSortMode() const { return m_projectSortMode; }
    void setProjectSortMode(ProjectSortMode mode);

    // Opens the tag sheet for `folder` (the project's effective tag and own colour preset); a
    // sheet already open for another project is closed first. Saving applies the chosen tag and
    // colour to the project's record.
    void promptTag(const RecentFolder& folder);
    // The project whose tag sheet is open.
    const std::optional<RecentFolder>& folderForTagging() const { return m_folderForTagging; }
    TagSelectionView* tagSheet() const { return m_tagSheet; }

    // Runs the folder chooser; a chosen folder is opened (selectFolder) in the main tab.
    void browseFolder();
    // Remembers `folderPath` in the recent folders and makes it the open folder. The main tab is
    // not shown by this alone.
    void selectFolder(const QString& folderPath);
    // selectFolder, then the main tab: what choosing a folder in the chooser does.
    void openFolder(const QString& folderPath);
    // Opens the first local file location among `urls` in the main tab, once the event loop is
    // back (as a drop's completion would); it is used as the folder without further checks.
    // Nothing happens when there is none.
    void handleDroppedItems(const QList<QUrl>& urls);
    // Reloads the remembered projects and reopens the folder used last: the main tab on it, or
    // the project library when there is none.
    void restoreLastFolder();

    SidebarView* sidebar() const { return m_sidebar; }
    PlexorWorkView* workView() const { return m_workView; }
    ProjectLibraryView* projectsScreen() const { return m_projects; }
    QStackedWidget* detailArea() const { return m_detail; }
    QSplitter* splitter() const { return m_splitter; }
    // The window's toolbar: the picker in the middle; items added later go to its trailing end.
    QToolBar* toolBar() const { return m_toolBar; }
    SegmentedControl* modePicker() const { return m_modePicker; }
    // The checkable show/hide command of the sidebar (Ctrl+Alt+S), for the View menu.
    QAction* toggleSidebarAction() const { return m_toggleSidebar; }

Q_SIGNALS:
    void viewModeChanged(ViewMode mode);
    void projectSortModeChanged(ProjectSortMode mode);
    // The tag sheet opened (for folderForTagging) or closed.
    void folderForTaggingChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildToolBar();
    void buildSidebar();
    void buildProjectsScreen();
    void buildWorkView();
    void discardWorkView();
    void passSavedPaths();
    void passOpenFolder();
    void applyColors();

    Preferences& m_preferences;
    Clipboard& m_clipboard;
    FolderChooser& m_folderChooser;
    std::unique_ptr<RecentFoldersStore> m_store;

    ViewMode m_viewMode = ViewMode::projects;
    ProjectSortMode m_projectSortMode = ProjectSortMode::recent;
    QSplitter* m_splitter = nullptr;
    SidebarView* m_sidebar = nullptr;
    QStackedWidget* m_detail = nullptr;
    ProjectLibraryView* m_projects = nullptr;
    std::optional<RecentFolder> m_folderForTagging;
    QPointer<TagSelectionView> m_tagSheet;
    PlexorWorkView* m_workView = nullptr;
    QToolBar* m_toolBar = nullptr;
    SegmentedControl* m_modePicker = nullptr;
    QAction* m_toggleSidebar = nullptr;
    bool m_appeared = false;
};
