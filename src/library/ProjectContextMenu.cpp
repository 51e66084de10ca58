#include "library/ProjectContextMenu.h"

ProjectContextMenu::ProjectContextMenu(const RecentFolder& folder, QWidget* parent)
    : QMenu(parent)
    , m_folder(folder)
{
    setObjectName(QStringLiteral("projectContextMenu"));
    m_showInFinder = addNamedAction(QStringLiteral("Show in &File Manager"), showInFinderName);
    addSeparator();
    m_togglePin = addNamedAction(
        folder.isPinned ? QStringLiteral("Un&pin") : QStringLiteral("&Pin"), togglePinName);
    m_assignTag = addNamedAction(QStringLiteral("Assign &Tag..."), assignTagName);
    m_remove = addNamedAction(QStringLiteral("&Remove"), removeName);

    connect(m_showInFinder, &QAction::triggered, this,
            [this] { Q_EMIT showInFinderRequested(m_folder); });
    connect(m_togglePin, &QAction::triggered, this,
            [this] { Q_EMIT togglePinRequested(m_folder); });
    connect(m_assignTag, &QAction::triggered, this,
            [this] { Q_EMIT promptTagRequested(m_folder); });
    connect(m_remove, &QAction::triggered, this, [this] { Q_EMIT removeRequested(m_folder); });
}

QAction* ProjectContextMenu::addNamedAction(const QString& text, QLatin1StringView name)
{
    QAction* action = addAction(text);
    action->setObjectName(name);
    return action;
}
