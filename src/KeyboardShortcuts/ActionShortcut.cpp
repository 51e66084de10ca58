#include "KeyboardShortcuts/ActionShortcut.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "platform/NotificationCenter.h"

#include <QAction>

namespace KeyboardShortcuts {

namespace {

// The child object of an action that follows a name; the action's shortcut follows while it
// lives.
constexpr const char* followerObjectName = "KeyboardShortcuts.actionShortcutFollower";
constexpr const char* nameProperty = "KeyboardShortcuts.name";

QObject* follower(const QAction* action)
{
    return action->findChild<QObject*>(QLatin1StringView(followerObjectName),
                                       Qt::FindDirectChildrenOnly);
}

void applyStoredShortcut(QAction* action, const Name& name)
{
    const std::optional<Shortcut> stored = getShortcut(name);
    action->setShortcut(stored ? QtKeyMapping::toKeySequence(*stored) : QKeySequence());
}

} // namespace

void setShortcut(QAction* action, const std::optional<Name>& name)
{
    delete follower(action);
    if (!name) {
        action->setProperty(nameProperty, QVariant());
        action->setShortcut(QKeySequence());
        return;
    }
    action->setProperty(nameProperty, QVariant::fromValue(*name));
    auto* watcher = new QObject(action);
    watcher->setObjectName(QLatin1StringView(followerObjectName));
    NotificationCenter::defaultCenter().addObserver(
        shortcutByNameDidChange, watcher, [action, followed = *name](const QVariantMap& userInfo) {
            if (userInfo.value(nameUserInfoKey).value<Name>() == followed)
                applyStoredShortcut(action, followed);
        });
    applyStoredShortcut(action, *name);
}

std::optional<Name> shortcutName(const QAction* action)
{
    const QVariant value = action->property(nameProperty);
    if (!value.isValid() || !follower(action))
        return std::nullopt;
    return value.value<Name>();
}

} // namespace KeyboardShortcuts
