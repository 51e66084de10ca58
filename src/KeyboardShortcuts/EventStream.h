#pragma once

#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/Name.h"

#include <QObject>

#include <optional>

namespace KeyboardShortcuts {

// A live subscription to a name's presses and releases, made by eventStream(). It starts
// listening on the next turn of the event loop and stops when destroyed; the name's hot key is
// released then if no action or other stream still needs its shortcut.
class EventStream : public QObject {
    Q_OBJECT

public:
    EventStream(const Name& name, std::optional<EventType> only);
    ~EventStream() override;

    const Name& name() const { return m_name; }
    bool isListening() const { return m_listening; }

    // Called by the module's dispatchers.
    void deliver(EventType type);

Q_SIGNALS:
    // The name's shortcut was pressed or released.
    void triggered(KeyboardShortcuts::EventType type);

private:
    void startListening();

    Name m_name;
    std::optional<EventType> m_only;
    bool m_listening = false;
};

} // namespace KeyboardShortcuts
