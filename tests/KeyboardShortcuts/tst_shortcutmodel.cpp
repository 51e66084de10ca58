#include "FakeKeyboardLayout.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/MenuItem.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include <QKeyEvent>
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

    // The five modifiers as stored (each bit is pinned here or by the checks below); other bits
    // are dropped, except in a stored record.
    void modifiers()
    {
        const quint64 five = commandFlag | shiftFlag | optionFlag | controlFlag | functionFlag;
        QCOMPARE(carbonModifiersFromEventFlags(five), qint64(0x21B00));
        QCOMPARE(eventFlagsFromCarbonModifiers(0x21B00), five);
        const Shortcut made(0, 0x4100);
        QCOMPARE(made.carbonModifiers(), qint64(0x100));
        const auto decoded = Shortcut::fromJson(R"({"carbonKeyCode":0,"carbonModifiers":16640})");
        QCOMPARE(decoded->carbonModifiers(), qint64(0x4100));
        QVERIFY(*decoded != made);
        QCOMPARE(decoded->modifiers(), commandFlag);

        const Shortcut fromKey(Key::k, commandFlag | shiftFlag | EventModifierFlag::capsLock);
        QCOMPARE(fromKey, Shortcut(40, 0x300));
        QCOMPARE(qHash(fromKey), qHash(Shortcut(40, 0x300)));
        QVERIFY(fromKey != Shortcut(40, 0x100));
    }

    // The stored form: written as below; read with numbers beyond 32 bits; anything else reads
    // as none.
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
        row("large", R"({"carbonKeyCode":9007199254740993,"carbonModifiers":-1})", true,
            Q_INT64_C(9007199254740993), -1);
        row("not json", "{carbonKeyCode:40");
        row("missing modifiers", R"({"carbonKeyCode":40})");
        row("fraction", R"({"carbonKeyCode":40.5,"carbonModifiers":256})");
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
    }

    void description_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("expected");
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
        layout->setText(Key::h.rawValue, u"e\u0301"_qs);
        KeyboardLayout::setCurrent(std::move(layout));
        QCOMPARE(Shortcut(keyCode, carbonModifiersFromEventFlags(flags)).description(), expected);
    }

    void menuClashSearch_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("title");
        QTest::newRow("first match wins") << qint64(1) << commandFlag << u"Save"_qs;
        QTest::newRow("upper case implies shift")
            << qint64(40) << (commandFlag | shiftFlag) << u"Upper"_qs;
        QTest::newRow("upper case without shift") << qint64(40) << commandFlag << QString();
        QTest::newRow("lower case with shift")
            << qint64(1) << (commandFlag | shiftFlag) << QString();
        QTest::newRow("keypad never clashes") << qint64(87) << commandFlag << QString();
    }

    void menuClashSearch()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, title);
        KeyboardLayout::setCurrent(FakeKeyboardLayout::us());
        const QList<MenuItem> menu{
            {u"Save"_qs, u"s"_qs, commandFlag, {}},
            {u"Keypad"_qs, u"5"_qs, commandFlag, {}},
            {u"Upper"_qs, u"K"_qs, commandFlag, {}},
            {u"Save again"_qs, u"s"_qs, commandFlag, {}},
        };
        const std::optional<MenuItem> found =
            findMenuItem(menu, Shortcut(keyCode, carbonModifiersFromEventFlags(flags)));
        QCOMPARE(found.has_value(), !title.isEmpty());
        if (found)
            QCOMPARE(found->title, title);
    }

    // Every named key has a code of its own and, Fn aside, a key position that leads back to it.
    void keyPositionsRoundTrip()
    {
        QSet<qint64> codes;
        int positioned = 0;
        for (const NamedKey& named : namedKeys()) {
            codes.insert(named.key.rawValue);
            const std::optional<quint32> x = KeyPositions::xKeyCode(named.key.rawValue);
            if (!x) {
                QCOMPARE(named.key, Key::function);
                continue;
            }
            ++positioned;
            QCOMPARE(KeyPositions::virtualKeyCode(*x), std::optional(named.key.rawValue));
        }
        QCOMPARE(codes.size(), qsizetype(namedKeys().size()));
        QCOMPARE(positioned, 112);
        QVERIFY(!KeyPositions::virtualKeyCode(107)); // Print Screen has no virtual key code
        QVERIFY(!KeyPositions::virtualKeyCode(1000));
    }

    // Shown with Qt's Linux names; Fn and keys without a Qt name have no Qt key sequence rather
    // than a wrong one.
    void qtNames_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inQt");
        const auto row = [](const char* name, qint64 keyCode, quint64 flags, const char16_t* text,
                            bool inQt = true) {
            QTest::newRow(name) << keyCode << flags << QString::fromUtf16(text) << inQt;
        };
        row("control is meta", 40, controlFlag, u"Meta+K");
        row("option is alt", 122, optionFlag, u"Alt+F1");
        row("keypad", 91, commandFlag, u"Ctrl+Num+8");
        row("backspace", 51, commandFlag, u"Ctrl+Backspace");
        row("key without a Qt name", 93, commandFlag | shiftFlag, u"Ctrl+Shift+Key 93", false);
        row("code out of range", 70000, commandFlag, u"Ctrl+Key 70000", false);
        row("function modifier", Key::f1.rawValue, functionFlag | commandFlag, u"Fn+Ctrl+F1",
            false);
    }

    void qtNames()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, text);
        QFETCH(bool, inQt);
        const Shortcut shortcut(keyCode, carbonModifiersFromEventFlags(flags));
        QCOMPARE(QtKeyMapping::shownText(shortcut), text);
        const QKeySequence sequence = QtKeyMapping::toKeySequence(shortcut);
        QCOMPARE(sequence.toString(QKeySequence::PortableText), inQt ? text : QString());
        if (inQt) {
            QCOMPARE(QtKeyMapping::fromKeyCombination(sequence[0]), std::optional(shortcut));
        }
    }

    // Keymaps compiled from the system's layout data, as the X server would hold them.
    void xkbLayouts_data()
    {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<QString>("character");
        QTest::newRow("russian only: no ASCII-capable group")
            << u"ru"_qs << Key::j.rawValue << u"\u043E"_qs;
        QTest::newRow("german dead circumflex") << u"de"_qs << Key::backtick.rawValue << u"^"_qs;
    }

    void xkbLayouts()
    {
        QFETCH(QString, layouts);
        QFETCH(qint64, keyCode);
        QFETCH(QString, character);
        if (!QFileInfo::exists(u"/usr/share/X11/xkb/symbols/ru"_qs))
            QSKIP("the keyboard layout data (xkb-data) is not installed");
        KeyboardLayout::setCurrent(std::make_unique<XkbKeyboardLayout>(layouts, 0));
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
        const auto read = [](Qt::Key key, Qt::KeyboardModifiers modifiers, quint32 scanCode = 0,
                             quint32 nativeModifiers = 0) {
            const QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, nativeModifiers);
            return QtKeyMapping::fromEvent(event);
        };
        // A native event names its key by position, whatever the layout calls it; Caps Lock
        // (X lock bit) never becomes part of the shortcut.
        QCOMPARE(read(Qt::Key_X, Qt::MetaModifier, 45, 0x2 | 0x40),
                 std::optional(Shortcut(40, 0x1000)));
        QCOMPARE(read(Qt::Key_8, Qt::ControlModifier | Qt::KeypadModifier),
                 std::optional(Shortcut(Key::keypad8, commandFlag)));
        QCOMPARE(read(Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier),
                 std::optional(Shortcut(Key::one, commandFlag | shiftFlag)));
        QVERIFY(!read(Qt::Key_Print, Qt::ControlModifier, 107, 0x4));
    }
};

QTEST_GUILESS_MAIN(TestShortcutModel)
#include "tst_shortcutmodel.moc"
