#pragma once

#include "model/RecentFolder.h"

#include <QAbstractButton>
#include <QPointer>

class Badge;
class CustomTagManager;
class ElidedLabel;
class QLabel;

// One remembered project in the library grid: folder symbol (orange when pinned), pin mark,
// name, path shortened in the middle, "#tag" badge in the project's colour and the date it was
// last opened, on a rounded card. A button: a click (or Enter/Space while focused) emits
// clicked(); the container attaches what it does and the context menu. The colours follow the
// palette and the custom tags, which the card observes.
class ProjectCard : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int cardHeight = 140;

    ProjectCard(const RecentFolder& folder, CustomTagManager& tags, QWidget* parent = nullptr);

    const RecentFolder& folder() const { return m_folder; }

    // "#" followed by the project's effective tag.
    QString tagText() const;
    // The colour of the tag badge.
    QColor projectColor() const;
    // The shown date of a moment (seconds since 2001-01-01 UTC): the locale's short date in
    // local time, without the time of day.
    static QString dateText(double lastAccessed);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyStyle();

    RecentFolder m_folder;
    QPointer<CustomTagManager> m_tags;
    QLabel* m_folderIcon;
    QLabel* m_pinBadge;
    ElidedLabel* m_name;
    ElidedLabel* m_path;
    Badge* m_tagBadge;
    QLabel* m_date;
};
