#include "ModuleFixture.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"

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

class TestKeyboardShortcuts : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleFixture> f;
    QStringList ran;
    const Name first{u"first"_qs};
    const Name second{u"second"_qs};

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

    void setReplaceAndClear()
    {
        setShortcut(commandShiftK, first);
        QCOMPARE(f->preferences.text(u"KeyboardShortcuts_first"_qs),
                 std::optional(u"{\"carbonKeyCode\":40,\"carbonModifiers\":768}"_qs));
        QCOMPARE(getShortcut(first), std::optional(commandShiftK));
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(f->changes, QStringList{u"first"_qs});

        setShortcut(optionF5, first);
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        QCOMPARE(activeHotKeyShortcuts(), QSet{optionF5});

        // Clearing without a default removes the key; nothing left to clear: no notification.
        f->changes.clear();
        setShortcut(std::nullopt, first);
        QVERIFY(!f->preferences.contains(first.preferenceKey()));
        QVERIFY(f->backend->held.empty() && activeHotKeyShortcuts().isEmpty());
        setShortcut(std::nullopt, first);
        QCOMPARE(f->changes, QStringList{u"first"_qs});
    }

    void defaultIsAppliedOnceAndClearingKeepsItAway()
    {
        {
            const Name name(u"withDefault"_qs, optionF5);
            QCOMPARE(getShortcut(name), std::optional(optionF5));
            QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
            setShortcut(std::nullopt, name);
            QCOMPARE(f->preferences.boolean(name.preferenceKey()), std::optional(false));
        }
        f->changes.clear();
        // Made again (the next start): the cleared state stays; a name is the same name whatever
        // its default.
        const Name again(u"withDefault"_qs, optionF5);
        QVERIFY(!getShortcut(again));
        QVERIFY(f->changes.isEmpty() && f->backend->held.empty());
        QCOMPARE(again, Name(u"withDefault"_qs));
        QCOMPARE(qHash(again), qHash(Name(u"withDefault"_qs)));
        // Only reset brings it back.
        reset({again});
        QCOMPARE(getShortcut(again), std::optional(optionF5));
        QCOMPARE(f->changes, QStringList{u"withDefault"_qs});

        // A default does not replace a value of another type.
        f->preferences.setNumber(QLatin1StringView("KeyboardShortcuts_typed"), 3);
        QVERIFY(!getShortcut(Name(u"typed"_qs, optionF5)));
        QCOMPARE(f->preferences.number(QLatin1StringView("KeyboardShortcuts_typed")),
                 std::optional(3.0));
    }

    // Values of another type read as none, and clearing them changes nothing.
    void unreadableValuesReadAsNone()
    {
        const QLatin1StringView number("KeyboardShortcuts_number");
        const QLatin1StringView bytes("KeyboardShortcuts_bytes");
        f->preferences.setNumber(number, 12);
        f->preferences.setBytes(bytes, commandShiftK.toJson());
        for (const Name& name : {Name(u"number"_qs), Name(u"bytes"_qs)}) {
            QVERIFY(!getShortcut(name));
            setShortcut(std::nullopt, name);
        }
        QVERIFY(f->preferences.contains(QString(number)) &&
                f->preferences.contains(QString(bytes)));
        QVERIFY(f->changes.isEmpty());
    }

    void resetAndResetAll()
    {
        setShortcut(commandShiftK, first);
        setShortcut(optionF5, second);
        f->changes.clear();
        reset({first});
        QVERIFY(!f->preferences.contains(first.preferenceKey()));
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        // Even with nothing to remove, a reset announces itself.
        reset({first});
        QCOMPARE(f->changes, (QStringList{u"first"_qs, u"first"_qs}));

        // resetAll finds every prefixed key, and only those.
        f->preferences.setBoolean(u"KeyboardShortcuts_three"_qs, false);
        f->preferences.setText(u"savedPrefixText"_qs, u"kept"_qs);
        f->changes.clear();
        resetAll();
        QCOMPARE(f->preferences.allKeys(), QStringList{u"savedPrefixText"_qs});
        QVERIFY(f->backend->held.empty() && activeHotKeyShortcuts().isEmpty());
        f->changes.sort();
        QCOMPARE(f->changes, (QStringList{u"second"_qs, u"three"_qs}));
    }

    // In attach order, minus those whose context is gone; one hot key for the name however many
    // actions; another name with the same shortcut runs too.
    void actionsRunInAttachOrder()
    {
        setShortcut(commandShiftK, first);
        onKeyUp(first, record(u"first"_qs));
        auto context = std::make_unique<QObject>();
        onKeyUp(first, context.get(), record(u"gone"_qs));
        onKeyUp(first, record(u"second"_qs));
        onKeyDown(first, record(u"down"_qs));
        context.reset();
        QVERIFY(f->backend->press(commandShiftK));
        QCOMPARE(ran, QStringList{u"down"_qs});
        QVERIFY(f->backend->release(commandShiftK));
        QCOMPARE(ran, (QStringList{u"down"_qs, u"first"_qs, u"second"_qs}));
        QCOMPARE(f->backend->held.size(), size_t(1));
        setShortcut(commandShiftK, second);
        onKeyDown(second, record(u"second down"_qs));
        ran.clear();
        f->backend->press(commandShiftK);
        QCOMPARE(ran, (QStringList{u"down"_qs, u"second down"_qs}));
        // Cleared for one name, the shared hot key stays for the other (pressed below).
        setShortcut(std::nullopt, first);

        // Nothing runs while the recorder suspends dispatch, for an id nobody registered, nor for
        // a name whose stored shortcut changed behind the module's back.
        ran.clear();
        setDispatchSuspended(true);
        f->backend->press(commandShiftK);
        setDispatchSuspended(false);
        Q_EMIT f->backend->hotKeyPressed(999999);
        f->preferences.setText(first.preferenceKey(), QString::fromUtf8(optionF5.toJson()));
        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"second down"_qs});
        // Its actions removed, a name leaves the hot key that another name's actions still use.
        setShortcut(commandShiftK, first);
        removeHandler(first);
        ran.clear();
        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"second down"_qs});
    }

    void disablingAndEnablingReRegisters()
    {
        setShortcut(commandShiftK, first);
        setShortcut(optionF5, second);
        onKeyDown(first, record(u"first"_qs));
        onKeyDown(second, record(u"second"_qs));

        setEnabled(false);
        QVERIFY(!isEnabled(first) && f->backend->held.empty());
        // An open menu does not match keys for disabled hot keys either.
        setMenuTracking(true);
        QVERIFY(!CarbonKeyboardShortcuts::shared().handleRawKeyEvent(EventType::keyDown,
                                                                     commandShiftK));
        setMenuTracking(false);

        f->backend->refused.insert(optionF5);
        setEnabled(true);
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(f->logLines, QStringList{u"Error registering hotkey Alt+F5: 10"_qs});
        // Still counted as active, so it is not retried by attaching another action.
        QVERIFY(isEnabled(second) && isRefusedBySystem(second));
        onKeyDown(second, record(u"again"_qs));
        QCOMPARE(f->logLines.size(), 1);

        f->backend->press(commandShiftK);
        QCOMPARE(ran, QStringList{u"first"_qs});

        disable({first});
        QVERIFY(f->backend->held.empty() && !isEnabled(first));
        enable({first, Name(u"nothingStored"_qs)});
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
    }

    void removingHandlers()
    {
        setShortcut(commandShiftK, first);
        setShortcut(optionF5, second);
        onKeyDown(first, record(u"first"_qs));
        onKeyUp(second, record(u"second"_qs));
        removeHandler(first);
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        f->backend->release(optionF5);
        QCOMPARE(ran, QStringList{u"second"_qs});

        // A stream (of releases only) listens from the next turn of the event loop and keeps its
        // name's hot key through removeAllHandlers; the hot key goes with the stream.
        auto stream = eventStream(second, EventType::keyUp);
        QSignalSpy streamed(stream.get(), &EventStream::triggered);
        QTest::qWait(0);
        removeAllHandlers();
        QVERIFY(f->backend->press(optionF5));
        f->backend->release(optionF5);
        QCOMPARE(ran, QStringList{u"second"_qs});
        QCOMPARE(streamed.size(), 1);
        stream.reset();
        QVERIFY(f->backend->held.empty());
    }

    // While a popup is open the hot keys are given up and the module matches the keys that
    // reach the popup itself; other keys go to the menu.
    void openPopupMatchesKeysItself()
    {
        setShortcut(commandShiftK, first);
        onKeyDown(first, record(u"down"_qs));
        onKeyUp(first, record(u"up"_qs));

        KeyWindow popup;
        popup.setFlags(Qt::Popup);
        popup.show();
        QVERIFY(isMenuTracking());
        QVERIFY(f->backend->held.empty());

        const auto send = [&popup](QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
                                   bool autoRepeat = false) {
            QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
            QCoreApplication::sendEvent(&popup, &event);
        };
        send(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        send(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, true);
        // Modifiers released first: the release still belongs to the hot key.
        send(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier);
        QCOMPARE(ran, (QStringList{u"down"_qs, u"up"_qs}));
        QCOMPARE(popup.received, 0);
        send(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCOMPARE(popup.received, 1);

        popup.hide();
        QVERIFY(!isMenuTracking());
        f->backend->press(commandShiftK);
        QCOMPARE(ran.size(), 3);
    }
};

QTEST_MAIN(TestKeyboardShortcuts)
#include "tst_keyboardshortcuts.moc"
