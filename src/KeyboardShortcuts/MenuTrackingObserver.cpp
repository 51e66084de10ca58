#include "KeyboardShortcuts/MenuTrackingObserver.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/QtKeyMapping.h"

#include <QKeyEvent>
#include <QWindow>

namespace KeyboardShortcuts {

MenuTrackingObserver::MenuTrackingObserver(QObject* parent)
    : QObject(parent)
{}

void MenuTrackingObserver::popupShown(QWindow* window)
{
    if (m_openPopups.contains(window))
        return;
    m_openPopups.insert(window);
    connect(window, &QObject::destroyed, this, [this, window] { popupHidden(window); });
    setMenuTracking(true);
}

void MenuTrackingObserver::popupHidden(QWindow* window)
{
    if (!m_openPopups.remove(window))
        return;
    disconnect(window, &QObject::destroyed, this, nullptr);
    if (m_openPopups.isEmpty())
        setMenuTracking(false);
}

bool MenuTrackingObserver::eventFilter(QObject* watched, QEvent* event)
{
    // Windows only: a widget's events pass through here a second time on their way from its
    // window, and would be counted twice.
    if (!watched->isWindowType())
        return false;
    auto* window = static_cast<QWindow*>(watched);
    switch (event->type()) {
    case QEvent::Show:
        if (window->type() == Qt::Popup)
            popupShown(window);
        break;
    case QEvent::Hide:
        popupHidden(window);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (isMenuTracking()) {
            if (const std::optional<Shortcut> shortcut = QtKeyMapping::fromEvent(*event)) {
                const EventType type =
                    event->type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp;
                return CarbonKeyboardShortcuts::shared().handleRawKeyEvent(
                    type, *shortcut, static_cast<QKeyEvent*>(event)->isAutoRepeat());
            }
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace KeyboardShortcuts
