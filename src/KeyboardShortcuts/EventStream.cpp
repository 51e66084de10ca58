#include "KeyboardShortcuts/EventStream.h"

#include <QTimer>

namespace KeyboardShortcuts::Internal {
void attachStream(EventStream* stream);
void detachStream(EventStream* stream);
} // namespace KeyboardShortcuts::Internal

namespace KeyboardShortcuts {

EventStream::EventStream(const Name& name, std::optional<EventType> only)
    : m_name(name)
    , m_only(only)
{
    QTimer::singleShot(0, this, &EventStream::startListening);
}

EventStream::~EventStream()
{
    if (m_listening)
        Internal::detachStream(this);
}

void EventStream::startListening()
{
    m_listening = true;
    Internal::attachStream(this);
}

void EventStream::deliver(EventType type)
{
    if (!m_only || *m_only == type)
        Q_EMIT triggered(type);
}

} // namespace KeyboardShortcuts
