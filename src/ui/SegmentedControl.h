#pragma once

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QPushButton;

// A row of mutually exclusive segments, one of which is current. Each segment is a checkable
// button, so it has its text as accessible name and works from the keyboard.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    // `title` names the whole control for accessibility ("Mode", "Sort").
    SegmentedControl(const QString& title, const QStringList& segments, QWidget* parent = nullptr);

    int currentIndex() const;
    // Changes the current segment without emitting `activated`.
    void setCurrentIndex(int index);
    QPushButton* segment(int index) const;
    int count() const;

Q_SIGNALS:
    // The user chose segment `index` (also when it was already current).
    void activated(int index);

private:
    QButtonGroup* m_group;
};
