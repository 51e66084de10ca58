#pragma once

#include "model/RecentFolder.h"

#include <QMenu>

// The menu every remembered project carries, on library cards and sidebar rows alike:
// "Show in File Manager", a divider, "Pin" or "Unpin" (following the project's pin state),
// "Assign Tag..." and "Remove". The menu only reports the choice; its owner runs the store
// operation. Each signal carries the project as it was when the menu was built.
class ProjectContextMenu : public QMenu {
    Q_OBJECT

public:
    // Object names of the actions, for finding them.
    static constexpr QLatin1StringView showInFinderName{"showInFinder"};
    static constexpr QLatin1StringView togglePinName{"togglePin"};
    static constexpr QLatin1StringView assignTagName{"assignTag"};
    static constexpr QLatin1StringView removeName{"remove"};

    explicit ProjectContextMenu(const RecentFolder& folder, QWidget* parent = nullptr);

    const RecentFolder& folder() const { return m_folder; }

    QAction* showInFinderAction() const { return m_showInFinder; }
    QAction* togglePinAction() const { return m_togglePin; }
    QAction* assignTagAction() const { return m_assignTag; }
    QAction* removeAction() const { return m_remove; }

Q_SIGNALS:
    void showInFinderRequested(const RecentFolder& folder);
    void togglePinRequested(const RecentFolder& folder);
    void promptTagRequested(const RecentFolder& folder);
    void removeRequested(const RecentFolder& folder);

private:
    QAction* addNamedAction(const QString& text, QLatin1StringView name);

    RecentFolder m_folder;
    QAction* m_showInFinder;
    QAction* m_togglePin;
    QAction* m_assignTag;
    QAction* m_remove;
};
