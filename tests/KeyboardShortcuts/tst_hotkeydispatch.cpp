#include "ModuleFixture.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NullHotKeyBackend.h"
#include "KeyboardShortcuts/PlatformBackend.h"

#include <QKeyEvent>
#include <QWindow>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
const Shortcut optionF5(Key::f5, EventModifierFlag::option);

// A window that counts the key events that reach it.
class KeyWindow : public QWindow {
public:
    int received = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++received; }
    void keyReleaseEvent(QKeyEvent*) override { ++received; }
};

} // namespace

class TestHotKeyDispatch : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleFixture> f;
    QStringList ran;

    Action record(const QString& what)
    {
        return [this, what] { ran.append(what); };
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ModuleFixture>();
        ran.clear();
    }
    void cleanup() { f.reset(); }

    void actionsRunInAttachOrder()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        onKeyUp(name, record(u"first"_qs));
        onKeyUp(name, record(u"second"_qs));
        onKeyDown(name, record(u"down"_qs));
        QVERIFY(f->backend->press(commandShiftK));
        QCOMPARE(ran, QStringList{u"down"_qs});
        QVERIFY(f->backend->release(commandShiftK));
        QCOMPARE(ran, (QStringList{u"down"_qs, u"first"_qs, u"second"_qs}));
        // One hot key for the name, however many actions; another name with the same shortcut
        // runs too.
        QCOMPARE(f->backend->held.size(), size_t(1));
        const Name second(u"second"_qs);
        setShortcut(commandShiftK, second);
        onKeyDown(second, record(u"second down"_qs));
        ran.clear();
        f->backend->press(commandShiftK);
        QCOMPARE(ran, (QStringList{u"down"_qs, u"second down"_qs}));
    }

    void attachingWithoutShortcutRegistersNothingUntilSet()
    {
        const Name name = Names::generateProject();
        onKeyUp(name, record(u"generate"_qs));
        QVERIFY(f->backend->calls.isEmpty());
        QVERIFY(!isEnabled(name));
        setShortcut(optionF5, name);
        QVERIFY(isEnabled(name));
        f->backend->press(optionF5);
        f->backend->release(optionF5);
        QCOMPARE(ran, QStringList{u"generate"_qs});
    }

    // Presses that must not run the action: while the recorder suspends dispatch, for an id
    // nobody registered, and after the stored shortcut changed behind the module's back.
    void pressesThatRunNothing()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        onKeyDown(name, record(u"one"_qs));
        setDispatchSuspended(true);
        QVERIFY(f->backend->press(commandShiftK));
        QVERIFY(ran.isEmpty());
        setDispatchSuspended(false);
        Q_EMIT f->backend->hotKeyPressed(999999);
        QVERIFY(ran.isEmpty());
        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"one"_qs});
        f->preferences.setText(name.preferenceKey(), QString::fromUtf8(optionF5.toJson()));
        f->backend->press(commandShiftK);
        QCOMPARE(ran.size(), 1);
    }

    void disablingAndEnablingReRegisters()
    {
        const Name first(u"first"_qs);
        const Name second(u"second"_qs);
        setShortcut(commandShiftK, first);
        setShortcut(optionF5, second);
        onKeyDown(first, record(u"first"_qs));
        onKeyDown(second, record(u"second"_qs));

        setEnabled(false);
        QVERIFY(!isEnabled());
        QVERIFY(!isEnabled(first) && f->backend->held.empty());
        // The table keeps them; the set of active shortcuts too.
        QCOMPARE(CarbonKeyboardShortcuts::shared().hotKeys().size(), 2);
        // An open menu does not match keys for disabled hot keys either.
        setMenuTracking(true);
        QVERIFY(!CarbonKeyboardShortcuts::shared().handleRawKeyEvent(EventType::keyDown,
                                                                     commandShiftK));
        setMenuTracking(false);

        f->backend->refused.insert(optionF5);
        setEnabled(true);
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(f->logLines, QStringList{u"Error registering hotkey Alt+F5: 10"_qs});
        QCOMPARE(CarbonKeyboardShortcuts::shared().hotKeys().size(), 1);
        // Still counted as active, so it is not retried by attaching another action.
        QVERIFY(isEnabled(second));
        onKeyDown(second, record(u"again"_qs));
        QCOMPARE(f->logLines.size(), 1);

        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"first"_qs});
    }

    void refusedRegistrationIsLoggedAndStillStored()
    {
        f->backend->refused.insert(commandShiftK);
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        QCOMPARE(f->logLines, QStringList{u"Error registering hotkey Ctrl+Shift+K: 10"_qs});
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QCOMPARE(f->changes, QStringList{u"one"_qs});
        QVERIFY(f->backend->held.empty());
    }

    void enableAndDisableNames()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        disable({name});
        QVERIFY(f->backend->held.empty());
        QVERIFY(!isEnabled(name));
        enable({name, Name(u"nothingStored"_qs)});
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
    }

    void removingHandlers()
    {
        const Name first(u"first"_qs);
        const Name second(u"second"_qs);
        setShortcut(commandShiftK, first);
        setShortcut(optionF5, second);
        onKeyDown(first, record(u"first"_qs));
        onKeyUp(second, record(u"second"_qs));
        removeHandler(first);
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        f->backend->release(optionF5);
        QCOMPARE(ran, QStringList{u"second"_qs});

        // A stream keeps its name's hot key through removeAllHandlers.
        const auto stream = eventStream(second);
        QTest::qWait(0);
        removeAllHandlers();
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        f->backend->release(optionF5);
        QCOMPARE(ran, QStringList{u"second"_qs});
    }

    void actionsDieWithTheirContext()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        auto context = std::make_unique<QObject>();
        onKeyDown(name, context.get(), record(u"context"_qs));
        onKeyDown(name, record(u"plain"_qs));
        context.reset();
        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"plain"_qs});
    }

    void eventStreams()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        disable({name});
        auto both = eventStream(name);
        auto upsOnly = eventStream(name, EventType::keyUp);
        QList<EventType> bothEvents;
        QList<EventType> upEvents;
        connect(both.get(), &EventStream::triggered, this,
                [&](EventType t) { bothEvents.append(t); });
        connect(upsOnly.get(), &EventStream::triggered, this,
                [&](EventType t) { upEvents.append(t); });
        // Listening starts on the next turn of the event loop.
        QVERIFY(f->backend->held.empty());
        QTRY_VERIFY(both->isListening());
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        f->backend->press(commandShiftK);
        f->backend->release(commandShiftK);
        QCOMPARE(bothEvents, (QList{EventType::keyDown, EventType::keyUp}));
        QCOMPARE(upEvents, QList{EventType::keyUp});

        both.reset();
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        upsOnly.reset();
        QVERIFY(f->backend->held.empty());
    }

    void openPopupMatchesKeysItself()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        onKeyDown(name, record(u"down"_qs));
        onKeyUp(name, record(u"up"_qs));

        KeyWindow popup;
        popup.setFlags(Qt::Popup);
        popup.show();
        QVERIFY(isMenuTracking());
        QVERIFY(f->backend->held.empty());

        QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCoreApplication::sendEvent(&popup, &press);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier,
                         QString(), true);
        QCoreApplication::sendEvent(&popup, &repeat);
        // Modifiers released first: the release still belongs to the hot key.
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier);
        QCoreApplication::sendEvent(&popup, &release);
        QCOMPARE(ran, (QStringList{u"down"_qs, u"up"_qs}));
        QCOMPARE(popup.received, 0);

        // Other keys reach the menu.
        QKeyEvent other(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(&popup, &other);
        QCOMPARE(popup.received, 1);

        popup.hide();
        QVERIFY(!isMenuTracking());
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        f->backend->press(commandShiftK);
        QCOMPARE(ran.size(), 3);

        // Without an open popup the application's own key events are left alone.
        KeyWindow plain;
        plain.show();
        QKeyEvent again(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCoreApplication::sendEvent(&plain, &again);
        QCOMPARE(plain.received, 1);
        QCOMPARE(ran.size(), 3);
    }

    void offscreenPlatformHasNoGlobalHotKeys()
    {
        // The X11 interface object exists here, but without a connection behind it.
        const PlatformBackend platform = PlatformBackend::create();
        QVERIFY(dynamic_cast<NullHotKeyBackend*>(platform.hotKeys.get()));
        QVERIFY(!platform.layout);
    }
};

QTEST_MAIN(TestHotKeyDispatch)
#include "tst_hotkeydispatch.moc"
