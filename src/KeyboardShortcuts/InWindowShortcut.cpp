#include "KeyboardShortcuts/InWindowShortcut.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "platform/NotificationCenter.h"

#include <QShortcut>
#include <QWidget>

namespace KeyboardShortcuts {

InWindowShortcut::InWindowShortcut(const Name& name, QWidget* parent, Qt::ShortcutContext context)
    : QObject(parent)
    , m_name(name)
    , m_shortcut(new QShortcut(parent))
{
    m_shortcut->setContext(context);
    connect(m_shortcut, &QShortcut::activated, this, &InWindowShortcut::activated);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(recorderActiveStatusDidChange, this, [this](const QVariantMap& userInfo) {
        m_isRecorderActive = userInfo.value(isActiveUserInfoKey).toBool();
        refresh();
    });
    center.addObserver(shortcutByNameDidChange, this, [this](const QVariantMap& userInfo) {
        if (userInfo.value(nameUserInfoKey).value<Name>() == m_name)
            refresh();
    });
    refresh();
}

void InWindowShortcut::refresh()
{
    const std::optional<Shortcut> stored = getShortcut(m_name);
    const QKeySequence sequence =
        stored && !m_isRecorderActive ? QtKeyMapping::toKeySequence(*stored) : QKeySequence();
    m_shortcut->setKey(sequence);
    m_shortcut->setEnabled(!sequence.isEmpty());
}

} // namespace KeyboardShortcuts
