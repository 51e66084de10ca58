#pragma once

#include <QWidget>

class QLabel;
class RecentFoldersStore;
class TintedButton;

// A plain stand-in for the project library screen: its title, the empty state while no project
// is remembered, and the button that opens the folder chooser.
class ProjectsPlaceholder : public QWidget {
    Q_OBJECT

public:
    explicit ProjectsPlaceholder(const RecentFoldersStore& store, QWidget* parent = nullptr);

Q_SIGNALS:
    void browseRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showEmptyState();
    void applyColors();

    const RecentFoldersStore& m_store;
    QLabel* m_symbol = nullptr;
    QLabel* m_empty = nullptr;
    TintedButton* m_browse = nullptr;
    bool m_applyingColors = false;
};
