#pragma once

#include "model/RecentFolder.h"

#include <QWidget>

class ElidedLabel;
class QLabel;

// One project in the sidebar: the pin or folder symbol, the project's name and its path (cut in
// the middle), on the accent colour while it is the open project. A pure display; the sidebar
// attaches clicks and the menu.
class SidebarProjectRow : public QWidget {
    Q_OBJECT

public:
    SidebarProjectRow(const RecentFolder& folder, bool isSelected, QWidget* parent = nullptr);

    const RecentFolder& folder() const { return m_folder; }
    bool isSelected() const { return m_isSelected; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    RecentFolder m_folder;
    bool m_isSelected;
    QLabel* m_icon = nullptr;
    QLabel* m_name = nullptr;
    ElidedLabel* m_path = nullptr;
    bool m_applyingColors = false;
};
