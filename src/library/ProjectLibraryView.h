#pragma once

#include "model/RecentFolder.h"
#include "model/ViewMode.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class CustomTagManager;
class ProjectContextMenu;
class QScrollArea;
class QVBoxLayout;
class RecentFoldersStore;
class SegmentedControl;

// The project library screen: the "Project Library" header with the "Sort" picker, then either
// the empty state, the "Recent" grid (the open-project card first, then every project in list
// order) or the "Tags" ordering (one group per effective tag, in plain text order), all in a
// vertical scroll area.
//
// The view only shows the list; every action is reported by a signal and carried out by the
// main window through the store. It follows a RecentFoldersStore when given one (setStore), or
// shows whatever list setRecentFolders gives it.
class ProjectLibraryView : public QWidget {
    Q_OBJECT

public:
    // Adaptive grid measures.
    static constexpr int minimumColumnWidth = 200;
    static constexpr int maximumColumnWidth = 300;
    static constexpr int gridSpacing = 16;

    explicit ProjectLibraryView(CustomTagManager& tags, QWidget* parent = nullptr);
    // With the application's shared tag manager.
    explicit ProjectLibraryView(QWidget* parent = nullptr);

    // Shows the store's list now and after every change of it; nullptr stops following.
    void setStore(RecentFoldersStore* store);
    void setRecentFolders(const QList<RecentFolder>& folders);
    const QList<RecentFolder>& recentFolders() const { return m_folders; }

    // The ordering; view state that starts at recent and is not stored.
    ProjectSortMode sortMode() const { return m_sortMode; }
    void setSortMode(ProjectSortMode mode);

    // The context menu of a project, wired to this view's signals. The caller owns it (it is
    // parented to `parent`, or to this view when none is given).
    ProjectContextMenu* createContextMenu(const RecentFolder& folder, QWidget* parent = nullptr);

Q_SIGNALS:
    // The ordering changed, by the picker or by setSortMode.
    void sortModeChanged(ProjectSortMode mode);
    // "Select Project Folder" or the open-project card: choose a folder.
    void browseRequested();
    // A project card was clicked. The main window opens the project and then shows the main tab
    // (also when the project's bookmark no longer resolves).
    void openRequested(const RecentFolder& folder);
    void togglePinRequested(const RecentFolder& folder);
    void promptTagRequested(const RecentFolder& folder);
    void removeRequested(const RecentFolder& folder);
    void showInFinderRequested(const RecentFolder& folder);

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    QWidget* buildEmptyState();
    QWidget* buildRecentGrid();
    QWidget* buildTagGroups();
    QWidget* buildCard(const RecentFolder& folder, QWidget* parent);
    void applyHeaderStyle();

    CustomTagManager& m_tags;
    QPointer<RecentFoldersStore> m_store;
    QList<RecentFolder> m_folders;
    ProjectSortMode m_sortMode = ProjectSortMode::recent;

    QScrollArea* m_scrollArea;
    QWidget* m_content;
    QVBoxLayout* m_contentLayout;
    QWidget* m_title;
    SegmentedControl* m_sortPicker;
    QWidget* m_body = nullptr;
};
