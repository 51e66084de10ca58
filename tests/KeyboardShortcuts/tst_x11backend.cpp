#include "OtherX11Client.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"
#include "KeyboardShortcuts/XkbKeyboardLayout.h"
#include "model/Preferences.h"
#include "platform/Log.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
const Shortcut optionF5(Key::f5, EventModifierFlag::option);
constexpr xcb_keycode_t f5KeyCode = 71;
constexpr quint16 altMask = XCB_MOD_MASK_1;

} // namespace

class TestX11Backend : public QObject {
    Q_OBJECT

    QProcess m_server;
    QByteArray m_display;
    QString m_xdotool;

    // Runs xdotool with `arguments` on the test display.
    void xdotool(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
        process.setProcessEnvironment(environment);
        process.start(m_xdotool, arguments);
        QVERIFY2(process.waitForFinished(10000), "xdotool did not finish");
        QCOMPARE(process.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        m_xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        QVERIFY2(!m_xdotool.isEmpty(), "xdotool is missing (scripts/setup installs it)");
        // -displayfd: the server picks a free display number and writes it to standard output.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        QVERIFY(m_server.waitForStarted(10000));
        QByteArray number;
        while (!number.contains('\n')) {
            QVERIFY2(m_server.waitForReadyRead(15000), "Xvfb did not report its display");
            number += m_server.readAllStandardOutput();
        }
        m_display = ':' + number.trimmed();
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    void pressAndReleaseOnce()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        QCOMPARE(backend->registerHotKey(1, commandShiftK), 0);
        QSignalSpy pressed(backend.get(), &HotKeyBackend::hotKeyPressed);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);

        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        QTRY_COMPARE(released.size(), 1);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.first().first().toUInt(), 1u);
        QCOMPARE(released.first().first().toUInt(), 1u);

        // Other combinations are not grabbed.
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+k")});
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 1);
    }

    void lockKeysDoNotMatter()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        QCOMPARE(backend->registerHotKey(1, commandShiftK), 0);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);
        for (const QString& lock : {QStringLiteral("Caps_Lock"), QStringLiteral("Num_Lock")}) {
            xdotool({QStringLiteral("key"), lock});
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        }
        QTRY_COMPARE(released.size(), 2);
        // Both locks off again.
        xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock"), QStringLiteral("Num_Lock")});
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        QTRY_COMPARE(released.size(), 3);
    }

    void heldKeyFiresOnce()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        QCOMPARE(backend->registerHotKey(7, commandShiftK), 0);
        QSignalSpy pressed(backend.get(), &HotKeyBackend::hotKeyPressed);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);
        // Held past the server's auto-repeat delay, then the modifiers go up before the key.
        xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+shift+k"), QStringLiteral("sleep"),
                 QStringLiteral("1.2"), QStringLiteral("keyup"), QStringLiteral("ctrl+shift"),
                 QStringLiteral("keyup"), QStringLiteral("k")});
        QTRY_COMPARE(released.size(), 1);
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(released.size(), 1);
    }

    void unregisteredKeysAreReleased()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        QCOMPARE(backend->registerHotKey(1, optionF5), 0);
        QCOMPARE(backend->registerHotKey(2, optionF5), HotKeyBackend::hotKeyExists);
        OtherX11Client other(m_display);
        QCOMPARE(other.grab(f5KeyCode, altMask), X11HotKeyBackend::badAccess);
        backend->unregisterHotKey(1);
        QCOMPARE(other.grab(f5KeyCode, altMask), 0);
        other.ungrab(f5KeyCode, altMask);

        QSignalSpy pressed(backend.get(), &HotKeyBackend::hotKeyPressed);
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F5")});
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 0);
    }

    void combinationHeldByAnotherClientIsRefused()
    {
        OtherX11Client other(m_display);
        // The other program holds only the Caps Lock variant: the variants obtained before the
        // refusal must be given back.
        QCOMPARE(other.grab(f5KeyCode, altMask | XCB_MOD_MASK_LOCK), 0);
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        QVERIFY(backend->isTakenBySystem(optionF5));
        QVERIFY(!backend->isTakenBySystem(commandShiftK));
        QCOMPARE(backend->registerHotKey(1, optionF5), X11HotKeyBackend::badAccess);
        OtherX11Client third(m_display);
        QCOMPARE(third.grab(f5KeyCode, altMask), 0);
        third.ungrab(f5KeyCode, altMask);

        // Through the module: the refusal is logged with the shown text and the status.
        QStringList lines;
        const Log::Sink previous =
            Log::setSink([&lines](const QString& line) { lines.append(line); });
        CarbonKeyboardShortcuts::shared().setBackend(std::move(backend));
        CarbonKeyboardShortcuts::shared().registerShortcut(optionF5, {}, {});
        CarbonKeyboardShortcuts::shared().setBackend(nullptr);
        Log::setSink(previous);
        QCOMPARE(lines, QStringList{u"Error registering hotkey Alt+F5: 10"_qs});

        // A combination this program holds itself is not taken.
        other.ungrab(f5KeyCode, altMask | XCB_MOD_MASK_LOCK);
        auto owner = X11HotKeyBackend::connectTo(m_display);
        QCOMPARE(owner->registerHotKey(3, optionF5), 0);
        QVERIFY(!owner->isTakenBySystem(optionF5));
    }

    void storedBitsBeyondTheModifiersAreIgnored()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        const std::optional<Shortcut> stored =
            Shortcut::fromJson(R"({"carbonKeyCode":40,"carbonModifiers":17152})");
        QVERIFY(stored);
        QCOMPARE(stored->carbonModifiers(), 17152);
        QCOMPARE(backend->registerHotKey(1, *stored), 0);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        QTRY_COMPARE(released.size(), 1);
    }

    void layoutOfTheServer()
    {
        auto backend = X11HotKeyBackend::connectTo(m_display);
        QVERIFY(backend);
        auto layout = std::make_unique<XkbKeyboardLayout>(backend->connection(), false);
        QCOMPARE(layout->unmodifiedText(45), std::optional(u"k"_qs));
        QCOMPARE(layout->unmodifiedText(10), std::optional(u"1"_qs));
        KeyboardLayout::setCurrent(std::move(layout));
        QCOMPARE(commandShiftK.description(), u"\u21E7\u2318K"_qs);
        QCOMPARE(QtKeyMapping::shownText(commandShiftK), u"Ctrl+Shift+K"_qs);
        QCOMPARE(Shortcut(Key::one, EventModifierFlag::control).description(), u"\u2303"
                                                                               "1"_qs);
        KeyboardLayout::setCurrent(nullptr);
    }

    void actionRunsThroughTheModule()
    {
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("prefs.json")));
        setPreferences(&preferences);
        setBackend(X11HotKeyBackend::connectTo(m_display));
        int runs = 0;
        const Name name(QStringLiteral("x11"));
        onKeyUp(name, [&runs] { ++runs; });
        setShortcut(commandShiftK, name);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        QTRY_COMPARE(runs, 1);
        removeAllHandlers();
        setBackend(nullptr);
        setPreferences(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestX11Backend)
#include "tst_x11backend.moc"
