#include "OtherX11Client.h"

#include "KeyboardShortcuts/AlertPresenter.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/StringTable.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"
#include "model/Preferences.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

// The display of the Xvfb that main() started for this test; empty when there is none.
QByteArray testDisplay;

constexpr xcb_keycode_t jKeyCode = 44;
const Shortcut commandShiftJ(Key::j, EventModifierFlag::command | EventModifierFlag::shift);
const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);

void runOnDisplay(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    QVERIFY2(process.waitForFinished(10000), qPrintable(program));
    QCOMPARE(process.exitCode(), 0);
}


class CollectingAlertPresenter : public AlertPresenter {
public:
    QList<Alert> shown;
    int present(QWidget*, const Alert& alert) override
    {
        shown.append(alert);
        return firstButton;
    }
};

} // namespace

// The module wired into an application on the xcb platform, as the application does it: the
// platform backend picked by the factory, events read through Qt's own connection. A second X
// client stands for another program holding grabs.
class TestX11Application : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;

private Q_SLOTS:
    void initTestCase()
    {
        if (testDisplay.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(m_dir->filePath(u"prefs.json"_qs));
        setPreferences(m_preferences.get());
        PlatformBackend::install();
    }

    void cleanup()
    {
        removeAllHandlers();
        setBackend(nullptr);
        KeyboardLayout::setCurrent(nullptr);
        AlertPresenter::setCurrent(nullptr);
        setPreferences(nullptr);
        m_preferences.reset();
        m_dir.reset();
    }

    // While the recorder captures it holds the keyboard: a combination another program grabs
    // in every lock state, and this program's own hot key, reach it.
    void theRecorderSeesGrabbedCombinations()
    {
        OtherX11Client other(testDisplay);
        other.grabInEveryLockState(jKeyCode, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
        auto presenter = std::make_unique<CollectingAlertPresenter>();
        CollectingAlertPresenter* alerts = presenter.get();
        AlertPresenter::setCurrent(std::move(presenter));
        const Name name = Names::generateProject();
        int runs = 0;
        onKeyUp(name, this, [&runs] { ++runs; });
        setShortcut(commandShiftK, name);

        Recorder recorder(name);
        recorder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&recorder));
        // No window manager on the test display: the window takes the focus itself.
        recorder.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&recorder));
        RecorderLineEdit* field = recorder.field();
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->isCapturing());

        runOnDisplay(u"xdotool"_qs, {u"key"_qs, u"ctrl+shift+j"_qs});
        QTRY_COMPARE(alerts->shown.size(), 1);
        QCOMPARE(alerts->shown[0].message, StringTable::text(StringTable::usedBySystem));
        // The server refuses what another client holds: no offer to use it anyway.
        QCOMPARE(alerts->shown[0].buttons, QStringList{StringTable::text(StringTable::ok)});
        QTRY_VERIFY(field->isCapturing());

        // The own hot key is recorded again, not run.
        runOnDisplay(u"xdotool"_qs, {u"key"_qs, u"ctrl+shift+k"_qs});
        QTRY_VERIFY(!field->isCapturing());
        QCOMPARE(runs, 0);
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        // Not capturing (once the release of the keyboard reached the server, which the event
        // loop sends on its next turn): the hot key runs the action again.
        QTest::qWait(100);
        runOnDisplay(u"xdotool"_qs, {u"key"_qs, u"ctrl+shift+k"_qs});
        QTRY_COMPARE(runs, 1);
    }

    void aRefusedShortcutShowsAsNotActive()
    {
        OtherX11Client other(testDisplay);
        other.grab(jKeyCode, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK);
        Recorder recorder(Names::generateProject());
        setShortcut(commandShiftJ, Names::generateProject());
        QVERIFY(isRefusedBySystem(Names::generateProject()));
        QVERIFY(recorder.field()->refusedMark()->isVisible());
        QCOMPARE(recorder.field()->refusedMark()->toolTip(),
                 u"Ctrl+Shift+J is used by another application"_qs);
    }

    void namesComeFromTheAsciiCapableGroup()
    {
        runOnDisplay(u"setxkbmap"_qs, {u"-layout"_qs, u"ru,us"_qs});
        QTRY_COMPARE(QtKeyMapping::shownText(commandShiftJ), u"Ctrl+Shift+J"_qs);
        QCOMPARE(layoutCharacter(Key::q.rawValue), std::optional(u"q"_qs));
        runOnDisplay(u"setxkbmap"_qs, {u"-layout"_qs, u"us"_qs});
    }

    void shortcutFiresInTheApplication()
    {
        setBackend(nullptr);
        KeyboardLayout::setCurrent(nullptr);
        const Name name = Names::generateProject();
        int runs = 0;
        // Attached before the backend exists, as an application may do.
        onKeyUp(name, this, [&runs] { ++runs; });
        PlatformBackend::install();
        QVERIFY(dynamic_cast<X11HotKeyBackend*>(&backend()));
        QVERIFY(KeyboardLayout::current());
        QCOMPARE(layoutCharacter(Key::k.rawValue), std::optional(u"k"_qs));

        const Shortcut shortcut(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
        setShortcut(shortcut, name);
        QVERIFY(isEnabled(name));
        QCOMPARE(shortcut.description(), u"\u21E7\u2318K"_qs);

        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        QVERIFY(!xdotool.isEmpty());
        QProcess press;
        press.start(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
        QVERIFY(press.waitForFinished(10000));
        QTRY_COMPARE(runs, 1);
        QTest::qWait(100);
        QCOMPARE(runs, 1);
    }
};

int main(int argc, char* argv[])
{
    QProcess server;
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (!xvfb.isEmpty()) {
        server.start(xvfb,
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                      QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QByteArray number;
        while (server.waitForReadyRead(15000)) {
            number += server.readAllStandardOutput();
            if (number.contains('\n'))
                break;
        }
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
