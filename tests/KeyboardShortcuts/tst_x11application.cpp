#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"
#include "model/Preferences.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

// The display of the Xvfb that main() started for this test; empty when there is none.
QByteArray testDisplay;

} // namespace

// The module wired into an application on the xcb platform, as the application does it: the
// platform backend picked by the factory, events read through Qt's own connection.
class TestX11Application : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (testDisplay.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
    }

    void shortcutFiresInTheApplication()
    {
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("prefs.json")));
        setPreferences(&preferences);

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

        removeAllHandlers();
        setBackend(nullptr);
        KeyboardLayout::setCurrent(nullptr);
        setPreferences(nullptr);
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
    if (!testDisplay.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", testDisplay);
    }
    int result = 0;
    {
        QGuiApplication application(argc, argv);
        TestX11Application test;
        result = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished(5000);
    return result;
}

#include "tst_x11application.moc"
