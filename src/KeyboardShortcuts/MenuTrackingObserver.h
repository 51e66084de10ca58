#pragma once

#include <QObject>
#include <QSet>

class QWindow;

namespace KeyboardShortcuts {

// An application event filter that knows when a popup (a menu, a combo box list) is open. Such a
// popup grabs the keyboard, so global hot keys do not fire; while one is open the observer sets
// the module's menu tracking and hands the application's key events to the hot-key layer, which
// runs the matching actions and consumes the event.
class MenuTrackingObserver : public QObject {
    Q_OBJECT

public:
    explicit MenuTrackingObserver(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void popupShown(QWindow* window);
    void popupHidden(QWindow* window);

    QSet<QWindow*> m_openPopups;
};

} // namespace KeyboardShortcuts
