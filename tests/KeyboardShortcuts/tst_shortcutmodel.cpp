#include "FakeKeyboardLayout.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/MenuItem.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

constexpr quint64 commandFlag = EventModifierFlag::command;
constexpr quint64 shiftFlag = EventModifierFlag::shift;
constexpr quint64 optionFlag = EventModifierFlag::option;
constexpr quint64 controlFlag = EventModifierFlag::control;
constexpr quint64 functionFlag = EventModifierFlag::function;

const QString replacement = QString(QChar(0xFFFD));

} // namespace

class TestShortcutModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { KeyboardLayout::setCurrent(nullptr); }

    // Every named key has a code of its own.
    void keyCodesAreUnique()
    {
        QSet<qint64> codes;
        for (const NamedKey& named : namedKeys())
            codes.insert(named.key.rawValue);
        QCOMPARE(codes.size(), qsizetype(namedKeys().size()));
        QVERIFY(!specialKeyByKeyCode(Key::a.rawValue));
        QVERIFY(!specialKeyByKeyCode(-1));
    }

    void specialKeyTexts_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<bool>("hasMenu");
        QTest::newRow("space") << qint64(49) << u"Space"_qs << u" "_qs << true;
        QTest::newRow("f1") << qint64(122) << u"F1"_qs << u"\uF704"_qs << true;
        QTest::newRow("keypad0") << qint64(82) << u"0\u20E3"_qs << QString() << false;
    }

    void specialKeyTexts()
    {
        QFETCH(qint64, keyCode);
        QFETCH(QString, shown);
        QFETCH(QString, menu);
        QFETCH(bool, hasMenu);
        const SpecialKey key = *specialKeyByKeyCode(keyCode);
        QCOMPARE(shownText(key), shown);
        QCOMPARE(menuKeyEquivalent(key).has_value(), hasMenu);
        if (hasMenu)
            QCOMPARE(*menuKeyEquivalent(key), menu);
    }

    void modifierConversions_data()
    {
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<qint64>("carbon");
        QTest::newRow("command") << commandFlag << qint64(0x100);
        QTest::newRow("shift") << shiftFlag << qint64(0x200);
        QTest::newRow("option") << optionFlag << qint64(0x800);
        QTest::newRow("control") << controlFlag << qint64(0x1000);
        QTest::newRow("function") << functionFlag << qint64(0x20000);
        QTest::newRow("all") << (commandFlag | shiftFlag | optionFlag | controlFlag | functionFlag)
                             << qint64(0x21B00);
    }

    void modifierConversions()
    {
        QFETCH(quint64, flags);
        QFETCH(qint64, carbon);
        QCOMPARE(carbonModifiersFromEventFlags(flags), carbon);
        QCOMPARE(eventFlagsFromCarbonModifiers(carbon), flags);
        // Bits outside the five are lost in both directions.
        const quint64 noise = EventModifierFlag::capsLock | EventModifierFlag::numericPad |
                              EventModifierFlag::help | 0x1;
        QCOMPARE(carbonModifiersFromEventFlags(flags | noise), carbon);
        QCOMPARE(eventFlagsFromCarbonModifiers(carbon | 0x4000 | 0x1 | 0x400), flags);
        QCOMPARE(normalizedCarbonModifiers(carbon | 0x4000), carbon);
    }

    void constructorsNormaliseButStoredRecordsKeepBits()
    {
        const Shortcut made(0, 0x4100);
        QCOMPARE(made.carbonModifiers(), qint64(0x100));
        const auto decoded = Shortcut::fromJson(R"({"carbonKeyCode":0,"carbonModifiers":16640})");
        QVERIFY(decoded);
        QCOMPARE(decoded->carbonModifiers(), qint64(0x4100));
        QVERIFY(*decoded != made);
        QCOMPARE(decoded->modifiers(), commandFlag);

        const Shortcut fromKey(Key::k, commandFlag | shiftFlag | EventModifierFlag::capsLock);
        QCOMPARE(fromKey, Shortcut(40, 0x300));
        QCOMPARE(qHash(fromKey), qHash(Shortcut(40, 0x300)));
        QVERIFY(fromKey != Shortcut(40, 0x100));
        QCOMPARE(fromKey.modifiers(), commandFlag | shiftFlag);
    }

    // The stored form: written as below; read in any member order, with other members, and
    // with numbers beyond 32 bits; anything else reads as none.
    void storedForm_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<qint64>("modifiers");
        const auto row = [](const char* name, const char* json, bool valid = false,
                            qint64 keyCode = 0, qint64 modifiers = 0) {
            QTest::newRow(name) << QByteArray(json) << valid << keyCode << modifiers;
        };
        row("as written", R"({"carbonKeyCode":40,"carbonModifiers":768})", true, 40, 768);
        row("reversed", R"({"carbonModifiers":768,"carbonKeyCode":40})", true, 40, 768);
        row("other members", R"( {"carbonKeyCode":40, "carbonModifiers":768, "x":true} )", true, 40,
            768);
        row("large", R"({"carbonKeyCode":9007199254740993,"carbonModifiers":-1})", true,
            Q_INT64_C(9007199254740993), -1);
        row("number", "40");
        row("not json", "{carbonKeyCode:40");
        row("empty", "");
        row("missing modifiers", R"({"carbonKeyCode":40})");
        row("text member", R"({"carbonKeyCode":"40","carbonModifiers":256})");
        row("fraction", R"({"carbonKeyCode":40.5,"carbonModifiers":256})");
        row("array", "[40,256]");
    }

    void storedForm()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        QFETCH(qint64, keyCode);
        QFETCH(qint64, modifiers);
        const std::optional<Shortcut> read = Shortcut::fromJson(json);
        QCOMPARE(read.has_value(), valid);
        if (!read)
            return;
        QCOMPARE(read->carbonKeyCode(), keyCode);
        QCOMPARE(read->carbonModifiers(), modifiers);
        QCOMPARE(Shortcut::fromJson(read->toJson()), read);
        QCOMPARE(Shortcut(Key::k, commandFlag | shiftFlag).toJson(),
                 QByteArray(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    }

    void description_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("expected");
        QTest::newRow("command-shift-k")
            << qint64(40) << (commandFlag | shiftFlag) << u"\u21E7\u2318K"_qs;
        QTest::newRow("control-option-space")
            << qint64(49) << (controlFlag | optionFlag) << u"\u2303\u2325Space"_qs;
        QTest::newRow("everything-f1")
            << qint64(122) << (commandFlag | shiftFlag | optionFlag | controlFlag | functionFlag)
            << u"\u2303\u2325\u21E7\u2318\U0001F310\uFE0EF1"_qs;
        QTest::newRow("shift-a stays unshifted") << qint64(0) << shiftFlag << u"\u21E7A"_qs;
        QTest::newRow("two characters") << qint64(2) << commandFlag << u"\u2318"_qs + replacement;
        QTest::newRow("combining mark is one character")
            << qint64(4) << commandFlag << u"\u2318E\u0301"_qs;
        QTest::newRow("out of range")
            << qint64(100000) << commandFlag << u"\u2318"_qs + replacement;
    }

    void description()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, expected);
        auto layout = FakeKeyboardLayout::us();
        layout->setText(Key::d.rawValue, u"ab"_qs);
        layout->setText(Key::f.rawValue, QString());
        layout->setText(Key::h.rawValue, u"e\u0301"_qs);
        KeyboardLayout::setCurrent(std::move(layout));
        QCOMPARE(Shortcut(keyCode, carbonModifiersFromEventFlags(flags)).description(), expected);
    }

    void specialKeysNeedNoLayout()
    {
        QCOMPARE(Shortcut(Key::k, commandFlag).description(), u"\u2318"_qs + replacement);
        QCOMPARE(Shortcut(Key::f5, commandFlag).description(), u"\u2318F5"_qs);
        auto layout = FakeKeyboardLayout::us();
        FakeKeyboardLayout* fake = layout.get();
        KeyboardLayout::setCurrent(std::move(layout));
        for (const SpecialKeyRow& row : specialKeyRows()) {
            Shortcut(row.keyCode, 0x100).description();
            Shortcut(row.keyCode, 0x100).nsMenuItemKeyEquivalent();
        }
        QCOMPARE(fake->lookups, 0);
        Shortcut(Key::k, commandFlag).description();
        QCOMPARE(fake->lookups, 1);
    }

    void menuKeyEquivalents()
    {
        KeyboardLayout::setCurrent(FakeKeyboardLayout::us());
        QCOMPARE(Shortcut(Key::k, commandFlag).nsMenuItemKeyEquivalent(), std::optional(u"k"_qs));
        QCOMPARE(Shortcut(Key::space, commandFlag).nsMenuItemKeyEquivalent(),
                 std::optional(u" "_qs));
        QVERIFY(!Shortcut(Key::keypad5, commandFlag).nsMenuItemKeyEquivalent());
    }

    void menuClashSearch_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("title");
        QTest::newRow("command-q") << qint64(12) << commandFlag << u"Quit"_qs;
        QTest::newRow("upper case implies shift")
            << qint64(40) << (commandFlag | shiftFlag) << u"Upper"_qs;
        QTest::newRow("upper case without shift") << qint64(40) << commandFlag << QString();
        QTest::newRow("lower case with shift")
            << qint64(12) << (commandFlag | shiftFlag) << QString();
        QTest::newRow("in a submenu") << qint64(46) << (commandFlag | optionFlag) << u"Minimise"_qs;
        QTest::newRow("first match wins") << qint64(1) << commandFlag << u"Save"_qs;
        QTest::newRow("function key") << qint64(122) << quint64(0) << u"Help"_qs;
        QTest::newRow("keypad never clashes") << qint64(87) << commandFlag << QString();
    }

    void menuClashSearch()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, title);
        KeyboardLayout::setCurrent(FakeKeyboardLayout::us());
        const QList<MenuItem> menu{
            {u"File"_qs,
             QString(),
             0,
             {{u"Save"_qs, u"s"_qs, commandFlag, {}},
              {u"Quit"_qs, u"q"_qs, commandFlag, {}},
              {u"Keypad"_qs, u"5"_qs, commandFlag, {}}}},
            {u"Window"_qs,
             QString(),
             0,
             {{u"Upper"_qs, u"K"_qs, commandFlag, {}},
              {u"More"_qs, QString(), 0, {{u"Minimise"_qs, u"m"_qs, commandFlag | optionFlag, {}}}},
              {u"Save again"_qs, u"s"_qs, commandFlag, {}},
              {u"Help"_qs, u"\uF704"_qs, 0, {}}}},
        };
        const std::optional<MenuItem> found =
            findMenuItem(menu, Shortcut(keyCode, carbonModifiersFromEventFlags(flags)));
        QCOMPARE(found.has_value(), !title.isEmpty());
        if (found)
            QCOMPARE(found->title, title);
        QVERIFY(!findMenuItem({}, Shortcut(Key::q, commandFlag)));
    }

    void keyPositionsRoundTrip()
    {
        int positioned = 0;
        for (const NamedKey& named : namedKeys()) {
            const std::optional<quint32> x = KeyPositions::xKeyCode(named.key.rawValue);
            if (!x) {
                // Fn never reaches the X server as a key.
                QCOMPARE(named.key, Key::function);
                continue;
            }
            ++positioned;
            QCOMPARE(KeyPositions::virtualKeyCode(*x), std::optional(named.key.rawValue));
        }
        QCOMPARE(positioned, 112);
        QCOMPARE(KeyPositions::xKeyCode(Key::k.rawValue), std::optional(quint32(45)));
        QCOMPARE(KeyPositions::xKeyCode(Key::a.rawValue), std::optional(quint32(38)));
        QCOMPARE(KeyPositions::xKeyCode(Key::f12.rawValue), std::optional(quint32(96)));
        QVERIFY(!KeyPositions::virtualKeyCode(107)); // Print Screen has no virtual key code
        QVERIFY(!KeyPositions::virtualKeyCode(1000));
    }

    void toQtCombination_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("text");
        QTest::newRow("command-shift-k")
            << qint64(40) << (commandFlag | shiftFlag) << u"Ctrl+Shift+K"_qs;
        QTest::newRow("control is meta") << qint64(40) << controlFlag << u"Meta+K"_qs;
        QTest::newRow("option is alt") << qint64(122) << optionFlag << u"Alt+F1"_qs;
        QTest::newRow("keypad") << qint64(91) << commandFlag << u"Ctrl+Num+8"_qs;
        QTest::newRow("backspace") << qint64(51) << commandFlag << u"Ctrl+Backspace"_qs;
        QTest::newRow("forward delete") << qint64(117) << commandFlag << u"Ctrl+Del"_qs;
    }

    void toQtCombination()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, text);
        const Shortcut shortcut(keyCode, carbonModifiersFromEventFlags(flags));
        QCOMPARE(QtKeyMapping::toKeySequence(shortcut).toString(QKeySequence::PortableText), text);
        QCOMPARE(QtKeyMapping::shownText(shortcut), text);
        QCOMPARE(QtKeyMapping::fromKeyCombination(*QtKeyMapping::toKeyCombination(shortcut)),
                 std::optional(shortcut));
    }

    void linuxNamesOnly_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("shown");
        QTest::newRow("key without a Qt name")
            << qint64(93) << (commandFlag | shiftFlag) << u"Ctrl+Shift+Key 93"_qs;
        QTest::newRow("code out of range") << qint64(70000) << commandFlag << u"Ctrl+Key 70000"_qs;
        QTest::newRow("function modifier")
            << Key::f1.rawValue << (functionFlag | commandFlag) << u"Fn+Ctrl+F1"_qs;
        QTest::newRow("function and an unnamed key")
            << qint64(93) << functionFlag << u"Fn+Key 93"_qs;
        QTest::newRow("letter without a layout") << Key::k.rawValue << controlFlag << u"Meta+K"_qs;
    }

    void linuxNamesOnly()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, shown);
        const Shortcut shortcut(keyCode, carbonModifiersFromEventFlags(flags));
        QCOMPARE(QtKeyMapping::shownText(shortcut), shown);
        // Fn has no Qt counterpart: no key sequence rather than a wrong one.
        if (flags & functionFlag)
            QVERIFY(QtKeyMapping::toKeySequence(shortcut).isEmpty());
    }

    // Keymaps compiled from the system's layout data, as the X server would hold them.
    void xkbLayouts_data()
    {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<quint32>("activeGroup");
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<QString>("character");
        QTest::newRow("us") << u"us"_qs << 0u << Key::k.rawValue << u"k"_qs;
        QTest::newRow("russian first, english second")
            << u"ru,us"_qs << 0u << Key::j.rawValue << u"j"_qs;
        QTest::newRow("english active") << u"ru,us"_qs << 1u << Key::q.rawValue << u"q"_qs;
        QTest::newRow("german: active group is ASCII-capable")
            << u"de,ru"_qs << 0u << Key::y.rawValue << u"z"_qs;
        QTest::newRow("russian only: no ASCII-capable group")
            << u"ru"_qs << 0u << Key::j.rawValue << u"\u043E"_qs;
        QTest::newRow("german dead circumflex")
            << u"de"_qs << 0u << Key::backtick.rawValue << u"^"_qs;
        QTest::newRow("french dead diaeresis has a base")
            << u"fr"_qs << 0u << Key::leftBracket.rawValue << u"^"_qs;
    }

    void xkbLayouts()
    {
        QFETCH(QString, layouts);
        QFETCH(quint32, activeGroup);
        QFETCH(qint64, keyCode);
        QFETCH(QString, character);
        if (!QFileInfo::exists(u"/usr/share/X11/xkb/symbols/ru"_qs))
            QSKIP("the keyboard layout data (xkb-data) is not installed");
        KeyboardLayout::setCurrent(std::make_unique<XkbKeyboardLayout>(layouts, activeGroup));
        QCOMPARE(layoutCharacter(keyCode), std::optional(character));
    }

    void layoutNamesTheKey()
    {
        // A layout that puts "x" on the K position: the key code stays, the name follows.
        auto layout = FakeKeyboardLayout::us();
        layout->setText(Key::k.rawValue, u"x"_qs);
        layout->setText(Key::x.rawValue, u"k"_qs);
        KeyboardLayout::setCurrent(std::move(layout));
        const Shortcut shortcut(Key::k, commandFlag);
        QCOMPARE(QtKeyMapping::shownText(shortcut), u"Ctrl+X"_qs);
        QCOMPARE(QtKeyMapping::fromKeyCombination(Qt::CTRL | Qt::Key_X), std::optional(shortcut));
    }

    void fromEvents()
    {
        const QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        const QKeyEvent release(QEvent::KeyRelease, Qt::Key_K,
                                Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QtKeyMapping::fromEvent(press), std::optional(Shortcut(40, 0x300)));
        QCOMPARE(QtKeyMapping::fromEvent(release), QtKeyMapping::fromEvent(press));

        // A native event names its key by position, whatever the layout calls it; Caps Lock
        // (X lock bit) never becomes part of the shortcut.
        const QKeyEvent native(QEvent::KeyPress, Qt::Key_X, Qt::MetaModifier, 45, 0, 0x2 | 0x40);
        QCOMPARE(QtKeyMapping::fromEvent(native), std::optional(Shortcut(40, 0x1000)));
        QVERIFY(QtKeyMapping::eventModifierFlags(native) & EventModifierFlag::capsLock);

        const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_8,
                               Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(QtKeyMapping::fromEvent(keypad),
                 std::optional(Shortcut(Key::keypad8, commandFlag)));
        const QKeyEvent shifted(QEvent::KeyPress, Qt::Key_Exclam,
                                Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QtKeyMapping::fromEvent(shifted),
                 std::optional(Shortcut(Key::one, commandFlag | shiftFlag)));
        const QKeyEvent printScreen(QEvent::KeyPress, Qt::Key_Print, Qt::ControlModifier, 107, 0,
                                    0x4);
        QVERIFY(!QtKeyMapping::fromEvent(printScreen));

        const QMouseEvent mouse(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
        QVERIFY(!QtKeyMapping::fromEvent(mouse));
    }
};

QTEST_GUILESS_MAIN(TestShortcutModel)
#include "tst_shortcutmodel.moc"
