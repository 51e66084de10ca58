#include "ModuleFixture.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
const Shortcut optionF5(Key::f5, EventModifierFlag::option);

} // namespace

class TestShortcutStorage : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleFixture> f;

private Q_SLOTS:
    void init() { f = std::make_unique<ModuleFixture>(); }
    void cleanup() { f.reset(); }

    void applicationNameStartsEmpty()
    {
        const Name& name = Names::generateProject();
        QVERIFY(!getShortcut(name));
        QVERIFY(f->preferences.allKeys().isEmpty());
        QVERIFY(f->backend->calls.isEmpty());
        // Names are the same name whatever their default.
        QCOMPARE(Name(u"x"_qs), Name(u"x"_qs, optionF5));
        QCOMPARE(qHash(Name(u"x"_qs)), qHash(Name(u"x"_qs, optionF5)));
    }

    void setReplaceAndClear()
    {
        const Name name(u"one"_qs);
        setShortcut(commandShiftK, name);
        QCOMPARE(f->preferences.text(u"KeyboardShortcuts_one"_qs),
                 std::optional(u"{\"carbonKeyCode\":40,\"carbonModifiers\":768}"_qs));
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(f->changes, QStringList{u"one"_qs});

        // The same shortcut again registers afresh, under a new id.
        const quint32 firstId = f->backend->held.begin()->first;
        f->backend->calls.clear();
        setShortcut(commandShiftK, name);
        const quint32 secondId = f->backend->held.begin()->first;
        QCOMPARE(f->backend->calls,
                 (QStringList{u"unregister %1"_qs.arg(firstId),
                              u"register %1 {\"carbonKeyCode\":40,\"carbonModifiers\":768}"_qs.arg(
                                  secondId)}));

        setShortcut(optionF5, name);
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        QCOMPARE(activeHotKeyShortcuts(), QSet{optionF5});

        // Clearing without a default removes the key; nothing left to clear: no notification.
        f->changes.clear();
        setShortcut(std::nullopt, name);
        QVERIFY(!f->preferences.contains(name.preferenceKey()));
        QVERIFY(f->backend->held.empty() && activeHotKeyShortcuts().isEmpty());
        setShortcut(std::nullopt, name);
        QCOMPARE(f->changes, QStringList{u"one"_qs});
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
        // Made again (the next start): the cleared state stays.
        const Name again(u"withDefault"_qs, optionF5);
        QVERIFY(!getShortcut(again));
        QVERIFY(f->changes.isEmpty() && f->backend->held.empty());
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

    void unreadableValuesReadAsNone_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("number") << QVariant(12.0);
        QTest::newRow("true") << QVariant(true);
        QTest::newRow("one member") << QVariant(u"{\"carbonKeyCode\":40}"_qs);
        QTest::newRow("bytes") << QVariant(
            QByteArray(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    }

    void unreadableValuesReadAsNone()
    {
        QFETCH(QVariant, stored);
        const QLatin1StringView key("KeyboardShortcuts_odd");
        if (stored.typeId() == QMetaType::Double)
            f->preferences.setNumber(key, stored.toDouble());
        else if (stored.typeId() == QMetaType::Bool)
            f->preferences.setBoolean(key, stored.toBool());
        else if (stored.typeId() == QMetaType::QByteArray)
            f->preferences.setBytes(key, stored.toByteArray());
        else
            f->preferences.setText(key, stored.toString());
        const Name name(u"odd"_qs);
        QVERIFY(!getShortcut(name));
        // Clearing what cannot be read changes nothing.
        setShortcut(std::nullopt, name);
        QVERIFY(f->preferences.contains(QString(key)));
        QVERIFY(f->changes.isEmpty());
    }

    void resetAndResetAll()
    {
        const Name one(u"one"_qs);
        setShortcut(commandShiftK, one);
        setShortcut(optionF5, Name(u"two"_qs));
        f->changes.clear();
        reset({one});
        QVERIFY(!f->preferences.contains(one.preferenceKey()));
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        // Even with nothing to remove, a reset announces itself.
        reset({one});
        QCOMPARE(f->changes, (QStringList{u"one"_qs, u"one"_qs}));

        // resetAll finds every prefixed key, and only those.
        f->preferences.setBoolean(u"KeyboardShortcuts_three"_qs, false);
        f->preferences.setText(u"savedPrefixText"_qs, u"kept"_qs);
        f->changes.clear();
        resetAll();
        QCOMPARE(f->preferences.allKeys(), QStringList{u"savedPrefixText"_qs});
        QVERIFY(f->backend->held.empty() && activeHotKeyShortcuts().isEmpty());
        f->changes.sort();
        QCOMPARE(f->changes, (QStringList{u"three"_qs, u"two"_qs}));
        f->changes.clear();
        resetAll();
        QVERIFY(f->changes.isEmpty());
    }

    void clearingOneOfTwoNamesWithTheSameShortcut()
    {
        const Name first(u"first"_qs);
        const Name second(u"second"_qs);
        setShortcut(commandShiftK, first);
        setShortcut(commandShiftK, second);
        QCOMPARE(f->backend->held.size(), size_t(1));
        setShortcut(std::nullopt, first);
        // The shared hot key is gone although the second name still stores it.
        QVERIFY(f->backend->held.empty());
        QCOMPARE(getShortcut(second), std::optional(commandShiftK));
        QVERIFY(!isEnabled(second));
        // Attaching an action to the second name registers it again.
        onKeyUp(second, [] {});
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
    }
};

QTEST_GUILESS_MAIN(TestShortcutStorage)
#include "tst_shortcutstorage.moc"
