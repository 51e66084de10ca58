#pragma once

#include "model/RecentFolder.h"

#include <QPointer>
#include <QWidget>

class Badge;
class CustomTagManager;
class ElidedLabel;
class QLabel;

// One remembered project in the sidebar: pin or folder symbol, name, "#tag" badge in the
// project's colour and the path shortened in the middle; tinted with the accent colour while it
// shows the open project (isSelected). A pure display: the sidebar list attaches clicks and the
// context menu (see ProjectContextMenu). The colours follow the palette and the custom tags,
// which the row observes.
class SidebarRow : public QWidget {
    Q_OBJECT

public:
    SidebarRow(const RecentFolder& folder, bool isSelected, CustomTagManager& tags,
               QWidget* parent = nullptr);
    // With the application's shared tag manager.
    SidebarRow(const RecentFolder& folder, bool isSelected, QWidget* parent = nullptr);

    const RecentFolder& folder() const { return m_folder; }
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);

    // "#" followed by the project's effective tag.
    QString tagText() const;
    // The project's colour (the badge background's hue).
    QColor projectColor() const;

    // Three lines: the name, "#" and the tag, the path; for the row's tooltip.
    QString fullText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The accent colour that fills the row of the open project.
    static QColor selectionTint();
    void applyStyle();

    RecentFolder m_folder;
    bool m_isSelected;
    QPointer<CustomTagManager> m_tags;
    QLabel* m_icon;
    ElidedLabel* m_name;
    Badge* m_tagBadge;
    ElidedLabel* m_path;
};
