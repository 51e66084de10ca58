#include "FakeAlertPresenter.h"
#include "TempPreferences.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/StringTable.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace KeyboardShortcuts;

namespace {

// The display of the Xvfb that main() started for this test; empty when there is none.
QByteArray testDisplay;

constexpr xcb_keycode_t jKeyCode = 44;
constexpr xcb_keycode_t f5KeyCode = 71;
constexpr quint16 altMask = XCB_MOD_MASK_1;
const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
const Shortcut optionF5(Key::f5, EventModifierFlag::option);

// Runs a program (xdotool, setxkbmap) against the test display.
void runOnDisplay(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    QVERIFY2(process.waitForFinished(10000), qPrintable(program));
    QCOMPARE(process.exitCode(), 0);
}

void xdotool(const QStringList& arguments)
{
    runOnDisplay(u"xdotool"_qs, arguments);
}

// A second X client, standing for another program that holds key grabs.
class OtherX11Client {
public:
    explicit OtherX11Client(const QByteArray& display)
        : m_connection(xcb_connect(display.constData(), nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherX11Client() { xcb_disconnect(m_connection); }

    // The X error code of the grab, 0 when it succeeded.
    int grab(xcb_keycode_t keyCode, quint16 modifiers)
    {
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keyCode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const int code = error ? error->error_code : 0;
        std::free(error);
        return code;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

} // namespace

// Hot keys on a real X server (Xvfb), pressed with xdotool: the X11 backend on its own
// connection, and the module wired into an application on the xcb platform as the application
// does it. A second X client stands for another program holding grabs.
class TestX11Application : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;

private Q_SLOTS:
    void initTestCase()
    {
        if (testDisplay.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
    }

    void init()
    {
        setPreferences(&m_temp.emplace().preferences);
        PlatformBackend::install();
    }

    void cleanup()
    {
        removeAllHandlers();
        setBackend(nullptr);
        KeyboardLayout::setCurrent(nullptr);
        AlertPresenter::setCurrent(nullptr);
        setPreferences(nullptr);
        m_temp.reset();
    }

    void heldKeyFiresOnce()
    {
        auto backend = X11HotKeyBackend::connectTo(testDisplay);
        QVERIFY(backend);
        // Stored bits beyond the modifiers (here 0x4000) do not keep the combination from
        // being grabbed.
        const auto stored = Shortcut::fromJson(R"({"carbonKeyCode":40,"carbonModifiers":17152})");
        QCOMPARE(backend->registerHotKey(7, *stored), 0);
        QSignalSpy pressed(backend.get(), &HotKeyBackend::hotKeyPressed);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);
        // Held past the server's auto-repeat delay, then the modifiers go up before the key.
        xdotool({u"keydown"_qs, u"ctrl+shift+k"_qs, u"sleep"_qs, u"1.2"_qs, u"keyup"_qs,
                 u"ctrl+shift"_qs, u"keyup"_qs, u"k"_qs});
        QTRY_COMPARE(released.size(), 1);
        // Other combinations are not grabbed.
        xdotool({u"key"_qs, u"ctrl+k"_qs});
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(released.size(), 1);
        QCOMPARE(pressed.first().first().toUInt(), 7u);
    }

    void lockKeysDoNotMatter()
    {
        auto backend = X11HotKeyBackend::connectTo(testDisplay);
        QCOMPARE(backend->registerHotKey(1, commandShiftK), 0);
        QSignalSpy released(backend.get(), &HotKeyBackend::hotKeyReleased);
        // Caps Lock alone, Num Lock alone, both, then neither.
        const QString caps = u"Caps_Lock"_qs;
        const QString num = u"Num_Lock"_qs;
        for (const QStringList& toggle : {QStringList{caps}, {caps, num}, {caps}, {caps, num}}) {
            xdotool(QStringList{u"key"_qs} + toggle);
            xdotool({u"key"_qs, u"ctrl+shift+k"_qs});
        }
        QTRY_COMPARE(released.size(), 4);
    }

    // Another client cannot grab what a backend holds until it lets go. A backend cannot grab
    // what another client holds, even in one lock state only, and gives back the variants it got
    // before the refusal.
    void grabsAgainstAnotherClient()
    {
        auto backend = X11HotKeyBackend::connectTo(testDisplay);
        QCOMPARE(backend->registerHotKey(1, optionF5), 0);
        QCOMPARE(backend->registerHotKey(2, optionF5), HotKeyBackend::hotKeyExists);
        QVERIFY(!backend->isTakenBySystem(optionF5));
        OtherX11Client other(testDisplay);
        QCOMPARE(other.grab(f5KeyCode, altMask), X11HotKeyBackend::badAccess);
        backend->unregisterHotKey(1);

        QCOMPARE(other.grab(f5KeyCode, altMask | XCB_MOD_MASK_LOCK), 0);
        QVERIFY(backend->isTakenBySystem(optionF5));
        QVERIFY(!backend->isTakenBySystem(commandShiftK));
        QCOMPARE(backend->registerHotKey(3, optionF5), X11HotKeyBackend::badAccess);
        QCOMPARE(OtherX11Client(testDisplay).grab(f5KeyCode, altMask), 0);
    }

    // The module with an action attached before the backend exists, as an application may do.
    // While the recorder captures it holds the keyboard: a combination another program grabs
    // in every lock state (as desktops do), and this program's own hot key, reach it.
    void theRecorderSeesGrabbedCombinations()
    {
        setBackend(nullptr);
        const Name name = Names::generateProject();
        int runs = 0;
        onKeyUp(name, this, [&runs] { ++runs; });
        PlatformBackend::install();
        QVERIFY(dynamic_cast<X11HotKeyBackend*>(&backend()));
        setShortcut(commandShiftK, name);
        QCOMPARE(commandShiftK.description(), u"\u21E7\u2318K"_qs);
        OtherX11Client other(testDisplay);
        for (const int lock : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2),
                               int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
            other.grab(jKeyCode, quint16(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | lock));
        auto presenter = std::make_unique<FakeAlertPresenter>();
        FakeAlertPresenter* alerts = presenter.get();
        AlertPresenter::setCurrent(std::move(presenter));

        Recorder recorder(name);
        recorder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&recorder));
        // No window manager on the test display: the window takes the focus itself.
        recorder.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&recorder));
        RecorderLineEdit* field = recorder.field();
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->isCapturing());

        xdotool({u"key"_qs, u"ctrl+shift+j"_qs});
        QTRY_COMPARE(alerts->shown.size(), 1);
        QCOMPARE(alerts->shown[0].message, StringTable::text(StringTable::usedBySystem));
        // The server refuses what another client holds: no offer to use it anyway.
        QCOMPARE(alerts->shown[0].buttons, QStringList{StringTable::text(StringTable::ok)});
        QTRY_VERIFY(field->isCapturing());

        // The own hot key is recorded again, not run.
        xdotool({u"key"_qs, u"ctrl+shift+k"_qs});
        QTRY_VERIFY(!field->isCapturing());
        QCOMPARE(runs, 0);
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        // Not capturing (once the release of the keyboard reached the server, which the event
        // loop sends on its next turn): the hot key runs the action again.
        QTest::qWait(100);
        xdotool({u"key"_qs, u"ctrl+shift+k"_qs});
        QTRY_COMPARE(runs, 1);
    }

    void namesComeFromTheAsciiCapableGroup()
    {
        runOnDisplay(u"setxkbmap"_qs, {u"-layout"_qs, u"ru,us"_qs});
        QTRY_COMPARE(QtKeyMapping::shownText(Shortcut(Key::j, EventModifierFlag::command)),
                     u"Ctrl+J"_qs);
        QCOMPARE(layoutCharacter(Key::q.rawValue), std::optional(u"q"_qs));
        runOnDisplay(u"setxkbmap"_qs, {u"-layout"_qs, u"us"_qs});
    }
};

int main(int argc, char* argv[])
{
    QProcess server;
    const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_qs);
    if (!xvfb.isEmpty()) {
        // -displayfd: the server picks a free display number and writes it to standard output.
        server.start(xvfb, {u"-displayfd"_qs, u"1"_qs, u"-noreset"_qs, u"-nolisten"_qs, u"tcp"_qs});
        QByteArray number;
        while (!number.contains('\n') && server.waitForReadyRead(15000))
            number += server.readAllStandardOutput();
        if (!number.trimmed().isEmpty())
            testDisplay = ':' + number.trimmed();
    }
    // An X11 session, also when the tests run inside a Wayland desktop.
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
    if (!testDisplay.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", testDisplay);
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        TestX11Application test;
        result = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished(5000);
    return result;
}

#include "tst_x11application.moc"
