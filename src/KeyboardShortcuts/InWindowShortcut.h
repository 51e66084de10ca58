#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QObject>

class QShortcut;
class QWidget;

namespace KeyboardShortcuts {

// A shortcut inside one window (not a global hot key) that follows a name: it uses the name's
// stored shortcut, changes with it, and is off while the name has none or while any recorder
// captures keys.
class InWindowShortcut : public QObject {
    Q_OBJECT

public:
    InWindowShortcut(const Name& name, QWidget* parent,
                     Qt::ShortcutContext context = Qt::WindowShortcut);

    const Name& name() const { return m_name; }
    QShortcut* shortcut() const { return m_shortcut; }

Q_SIGNALS:
    // The shortcut was pressed in its window.
    void activated();

private:
    void refresh();

    Name m_name;
    QShortcut* m_shortcut;
    bool m_isRecorderActive = false;
};

} // namespace KeyboardShortcuts
