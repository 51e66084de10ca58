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

    void applicationName()
    {
        const Name& name = Names::generateProject();
        QCOMPARE(name.rawValue(), u"generateProject"_qs);
        QVERIFY(!name.defaultShortcut());
        QCOMPARE(name.preferenceKey(), u"KeyboardShortcuts_generateProject"_qs);
        QVERIFY(!getShortcut(name));
        QVERIFY(f->preferences.allKeys().isEmpty());
        QVERIFY(f->backend->calls.isEmpty());
    }

    void namesCompareByRawValue()
    {
        const Name plain(QStringLiteral("x"));
        const Name withDefault(QStringLiteral("x"), optionF5);
        QCOMPARE(plain, withDefault);
        QCOMPARE(qHash(plain), qHash(withDefault));
        QVERIFY(plain != Name(QStringLiteral("y")));
    }

    void setStoresRegistersAndNotifies()
    {
        const Name name(QStringLiteral("one"));
        setShortcut(commandShiftK, name);
        QCOMPARE(f->preferences.text(u"KeyboardShortcuts_one"_qs),
                 std::optional(u"{\"carbonKeyCode\":40,\"carbonModifiers\":768}"_qs));
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QCOMPARE(Shortcut::fromName(name), std::optional(commandShiftK));
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(activeHotKeyShortcuts(), QSet{commandShiftK});
        QCOMPARE(f->changes, QStringList{u"one"_qs});
    }

    void settingTheSameShortcutAgainRegistersAfresh()
    {
        const Name name(QStringLiteral("one"));
        name.setShortcut(commandShiftK);
        const quint32 firstId = f->backend->held.begin()->first;
        f->backend->calls.clear();
        f->changes.clear();
        name.setShortcut(commandShiftK);
        QCOMPARE(f->backend->held.size(), size_t(1));
        const quint32 secondId = f->backend->held.begin()->first;
        QVERIFY(secondId != firstId);
        const QStringList expected{
            u"unregister %1"_qs.arg(firstId),
            u"register %1 {\"carbonKeyCode\":40,\"carbonModifiers\":768}"_qs.arg(secondId)};
        QCOMPARE(f->backend->calls, expected);
        QCOMPARE(f->changes, QStringList{u"one"_qs});
        QCOMPARE(name.shortcut(), std::optional(commandShiftK));
    }

    void replacingUnregistersTheOldShortcut()
    {
        const Name name(QStringLiteral("one"));
        setShortcut(commandShiftK, name);
        setShortcut(optionF5, name);
        QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
        QCOMPARE(activeHotKeyShortcuts(), QSet{optionF5});
    }

    void clearingWithoutDefaultRemovesTheKey()
    {
        const Name name(QStringLiteral("one"));
        setShortcut(commandShiftK, name);
        f->changes.clear();
        setShortcut(std::nullopt, name);
        QVERIFY(!f->preferences.contains(name.preferenceKey()));
        QVERIFY(f->backend->held.empty());
        QVERIFY(activeHotKeyShortcuts().isEmpty());
        QCOMPARE(f->changes, QStringList{u"one"_qs});

        // Nothing left to clear: no write, no notification.
        f->changes.clear();
        setShortcut(std::nullopt, name);
        QVERIFY(f->changes.isEmpty());
    }

    void defaultIsAppliedOnceAndClearingKeepsItAway()
    {
        {
            const Name name(QStringLiteral("withDefault"), optionF5);
            QCOMPARE(getShortcut(name), std::optional(optionF5));
            QCOMPARE(f->backend->heldShortcuts(), QList{optionF5});
            setShortcut(std::nullopt, name);
            QCOMPARE(f->preferences.boolean(name.preferenceKey()), std::optional(false));
            QVERIFY(!getShortcut(name));
        }
        f->changes.clear();
        // Made again (the next start): the cleared state stays.
        const Name again(QStringLiteral("withDefault"), optionF5);
        QVERIFY(!getShortcut(again));
        QVERIFY(f->changes.isEmpty());
        QVERIFY(f->backend->held.empty());

        // Only reset brings it back.
        reset({again});
        QCOMPARE(getShortcut(again), std::optional(optionF5));
        QCOMPARE(f->changes, QStringList{u"withDefault"_qs});
    }

    void aDefaultDoesNotReplaceAValueOfAnotherType()
    {
        f->preferences.setNumber(QLatin1StringView("KeyboardShortcuts_typed"), 3);
        const Name name(QStringLiteral("typed"), optionF5);
        QVERIFY(!getShortcut(name));
        QCOMPARE(f->preferences.number(QLatin1StringView("KeyboardShortcuts_typed")),
                 std::optional(3.0));
    }

    void unreadableValuesReadAsNone_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("number") << QVariant(12.0);
        QTest::newRow("true") << QVariant(true);
        QTest::newRow("malformed") << QVariant(u"{\"carbonKeyCode\":"_qs);
        QTest::newRow("one member") << QVariant(u"{\"carbonKeyCode\":40}"_qs);
        QTest::newRow("bytes") << QVariant(
            QByteArray(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    }

    void unreadableValuesReadAsNone()
    {
        QFETCH(QVariant, stored);
        const QLatin1StringView key("KeyboardShortcuts_odd");
        switch (stored.typeId()) {
        case QMetaType::Double:
            f->preferences.setNumber(key, stored.toDouble());
            break;
        case QMetaType::Bool:
            f->preferences.setBoolean(key, stored.toBool());
            break;
        case QMetaType::QByteArray:
            f->preferences.setBytes(key, stored.toByteArray());
            break;
        default:
            f->preferences.setText(key, stored.toString());
        }
        const Name name(QStringLiteral("odd"));
        QVERIFY(!getShortcut(name));
        // Clearing what cannot be read changes nothing.
        setShortcut(std::nullopt, name);
        QVERIFY(f->preferences.contains(QString(key)));
        QVERIFY(f->changes.isEmpty());
    }

    void resetWithoutDefaultRemovesAndNotifies()
    {
        const Name name(QStringLiteral("one"));
        setShortcut(commandShiftK, name);
        f->changes.clear();
        reset({name});
        QVERIFY(!f->preferences.contains(name.preferenceKey()));
        QVERIFY(f->backend->held.empty());
        QCOMPARE(f->changes, QStringList{u"one"_qs});
        // Even with nothing to remove, a reset announces itself.
        reset({name});
        QCOMPARE(f->changes.size(), 2);
    }

    void resetAllFindsEveryPrefixedKey()
    {
        setShortcut(commandShiftK, Name(QStringLiteral("one")));
        setShortcut(optionF5, Name(QStringLiteral("two")));
        f->preferences.setBoolean(u"KeyboardShortcuts_three"_qs, false);
        f->preferences.setText(u"savedPrefixText"_qs, u"kept"_qs);
        f->changes.clear();
        resetAll();
        QCOMPARE(f->preferences.allKeys(), QStringList{u"savedPrefixText"_qs});
        QVERIFY(f->backend->held.empty());
        QVERIFY(activeHotKeyShortcuts().isEmpty());
        f->changes.sort();
        QCOMPARE(f->changes, (QStringList{u"one"_qs, u"three"_qs, u"two"_qs}));

        f->changes.clear();
        resetAll();
        QVERIFY(f->changes.isEmpty());
    }

    void clearingOneOfTwoNamesWithTheSameShortcut()
    {
        const Name first(QStringLiteral("first"));
        const Name second(QStringLiteral("second"));
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
        QVERIFY(isEnabled(second));
    }
};

QTEST_GUILESS_MAIN(TestShortcutStorage)
#include "tst_shortcutstorage.moc"
