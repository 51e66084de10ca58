#pragma once

#include "FakeHotKeyBackend.h"
#include "TempPreferences.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>

// A fresh module for every test: its own preference file, a fake backend, all switches back to
// their first values, log lines and change notifications collected.
class ModuleFixture {
public:
    ModuleFixture()
    {
        KeyboardShortcuts::setPreferences(&preferences);
        KeyboardShortcuts::removeAllHandlers();
        auto fake = std::make_unique<FakeHotKeyBackend>();
        backend = fake.get();
        KeyboardShortcuts::setBackend(std::move(fake));
        KeyboardShortcuts::setEnabled(true);
        KeyboardShortcuts::setDispatchSuspended(false);
        KeyboardShortcuts::setMenuTracking(false);
        previousSink = Log::setSink([this](const QString& line) { logLines.append(line); });
        NotificationCenter::defaultCenter().addObserver(
            KeyboardShortcuts::shortcutByNameDidChange, &context,
            [this](const QVariantMap& userInfo) {
                changes.append(userInfo.value(KeyboardShortcuts::nameUserInfoKey)
                                   .value<KeyboardShortcuts::Name>()
                                   .rawValue());
            });
    }

    ~ModuleFixture()
    {
        KeyboardShortcuts::removeAllHandlers();
        KeyboardShortcuts::setBackend(nullptr);
        KeyboardShortcuts::setPreferences(nullptr);
        Log::setSink(std::move(previousSink));
    }

    TempPreferences temp;
    Preferences& preferences = temp.preferences;
    FakeHotKeyBackend* backend = nullptr;
    QStringList logLines;
    QStringList changes;
    QObject context;
    Log::Sink previousSink;
};
