#pragma once

#include "model/RecentFolder.h"

#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <optional>

class QListWidget;
class QListWidgetItem;
class ProjectContextMenu;
class RecentFoldersStore;
class SidebarRow;
class TintedButton;

// The main window's sidebar: the remembered projects under the heading "Projects", pinned ones
// first under "Pinned", the others after a divider (under "Recents" when pinned ones are shown),
// the open project's row highlighted, and the button "Select Project Folder" below the list.
//
// The sidebar reads the store and rebuilds its rows (once the event loop is back) whenever the
// list, the open folder or the list's identity changes; it changes nothing itself. Clicks, the
// keyboard (Return, Enter or Space on the current row) and the rows' context menu are reported
// through the signals.
class SidebarView : public QWidget {
    Q_OBJECT

public:
    // Per-project items carry the project's id under this role.
    static constexpr int ProjectIdRole = Qt::UserRole + 1;

    // The store must outlive the sidebar.
    explicit SidebarView(const RecentFoldersStore& store, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    TintedButton* selectFolderButton() const { return m_selectFolder; }

    // The row of the project with `id`, or -1.
    int rowOf(const QUuid& id) const;
    // The project shown in list row `row`; none for headings, captions and dividers.
    std::optional<RecentFolder> projectAt(int row) const;
    // Ids of the projects whose rows are highlighted as open.
    QList<QUuid> highlightedProjects() const;

    // The context menu of a project's row: "Show in File Manager", a divider, "Pin" or "Unpin",
    // "Assign Tag...", "Remove". Its actions emit the signals below. The caller owns the menu.
    ProjectContextMenu* buildContextMenu(const RecentFolder& folder, QWidget* parent = nullptr);

Q_SIGNALS:
    void openRequested(const RecentFolder& folder);
    void browseRequested();
    void showInFinderRequested(const RecentFolder& folder);
    void togglePinRequested(const RecentFolder& folder);
    void removeRequested(const RecentFolder& folder);
    void promptTagRequested(const RecentFolder& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    // The row widget of one project.
    SidebarRow* makeRow(const RecentFolder& folder, bool isSelected);
    void addHeading();
    void addCaption(const QString& text, int topPadding);
    void addDivider();
    void addProject(const RecentFolder& folder);
    void addItem(QWidget* widget, bool selectable);
    void openItem(QListWidgetItem* item);
    void showMenu(QListWidgetItem* item, const QPoint& globalPosition);

    const RecentFoldersStore& m_store;
    QListWidget* m_list = nullptr;
    TintedButton* m_selectFolder = nullptr;
    QList<QUuid> m_highlighted;
    QTimer m_rebuildTimer;
};
