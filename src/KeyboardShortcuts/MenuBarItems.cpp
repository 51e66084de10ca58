#include "KeyboardShortcuts/MenuBarItems.h"

#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/SpecialKey.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace KeyboardShortcuts::MenuBarItems {

namespace {

// The title without mnemonic markers: "&Quit" gives "Quit", "Save && Close" gives "Save & Close".
QString plainTitle(const QString& text)
{
    QString title;
    title.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                title += u'&';
                ++i;
            }
            continue;
        }
        title += text[i];
    }
    return title;
}

// The key equivalent of a Qt combination: the special key's menu key equivalent, or the key's
// character in lower case (Qt names letters by their upper-case form).
QString keyEquivalent(QKeyCombination combination)
{
    if (const std::optional<Shortcut> shortcut = QtKeyMapping::fromKeyCombination(combination)) {
        if (const std::optional<SpecialKey> special =
                specialKeyByKeyCode(shortcut->carbonKeyCode()))
            return menuKeyEquivalent(*special).value_or(QString());
    }
    const int key = combination.key();
    if (key <= 0 || key > 0x10FFFF)
        return {};
    const char32_t codePoint = char32_t(key);
    return QString::fromUcs4(&codePoint, 1).toLower();
}

} // namespace

QList<MenuItem> ofActions(const QList<QAction*>& actions)
{
    QList<MenuItem> items;
    for (const QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString title = plainTitle(action->text());
        if (const QMenu* menu = action->menu()) {
            items.append(MenuItem{title, QString(), 0, ofActions(menu->actions())});
            continue;
        }
        const QList<QKeySequence> sequences = action->shortcuts();
        if (sequences.isEmpty())
            items.append(MenuItem{title, QString(), 0, {}});
        for (const QKeySequence& sequence : sequences) {
            // A sequence of several key presses cannot be one hot key.
            if (sequence.count() != 1)
                continue;
            const QKeyCombination combination = sequence[0];
            const quint64 mask = QtKeyMapping::eventModifierFlags(combination.keyboardModifiers()) &
                                 ~EventModifierFlag::numericPad;
            items.append(MenuItem{title, keyEquivalent(combination), mask, {}});
        }
    }
    return items;
}

QList<MenuItem> ofMenuBar(const QMenuBar& menuBar)
{
    return ofActions(menuBar.actions());
}

QList<MenuItem> ofApplication()
{
    QList<MenuItem> items;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        const QList<QMenuBar*> menuBars = window->findChildren<QMenuBar*>();
        for (const QMenuBar* menuBar : menuBars)
            items += ofMenuBar(*menuBar);
    }
    return items;
}

} // namespace KeyboardShortcuts::MenuBarItems
