#include "AppFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) >= 0;
}

} // namespace

// The built application on its own X server: the recorded global shortcut, pressed with
// another program's keystrokes, regenerates the remembered project's text onto the clipboard.
class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess m_server;
    QString m_display;

    // Runs a tool on the test's display and returns what it printed.
    QString onDisplay(const QString& program, const QStringList& arguments)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        tool.setProcessEnvironment(environment);
        tool.start(program, arguments);
        return tool.waitForFinished(5000) ? QString::fromUtf8(tool.readAllStandardOutput())
                                          : QString();
    }

    QString clipboardText()
    {
        return onDisplay(
            QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    }

    void pressShortcut()
    {
        onDisplay(QStringLiteral("xdotool"),
                  {QStringLiteral("key"), QStringLiteral("ctrl+shift+k")});
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty());
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty());
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        QByteArray number;
        while (m_server.waitForReadyRead(15000)) {
            number += m_server.readAllStandardOutput();
            if (number.contains('\n'))
                break;
        }
        QVERIFY(!number.trimmed().isEmpty());
        m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    void theShortcutCopiesTheRememberedProject()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString project = dir.filePath(QStringLiteral("project"));
        QVERIFY(QDir().mkpath(project + QStringLiteral("/src")));
        const QString file = project + QStringLiteral("/src/main.cpp");
        QVERIFY(writeFile(file, "first version\n"));
        QVERIFY(writeFile(project + QStringLiteral("/notes.txt"), "not selected\n"));

        // A remembered project with one selected file and the shortcut Ctrl+Shift+K.
        const QString config = dir.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(config + QStringLiteral("/CodePlexor")));
        QVERIFY(SeededProject::writePreferences(
            config + QStringLiteral("/CodePlexor/CodePlexor.json"), project, {file},
            {project + QStringLiteral("/src")},
            {{QStringLiteral("KeyboardShortcuts_generateProject"),
              QStringLiteral("{\"carbonKeyCode\":40,\"carbonModifiers\":768}")}}));

        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        // Its own instance, never a hand-over to one the desktop runs.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), config);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + config + QStringLiteral("/no-bus"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(QStringLiteral(CODEPLEXOR_APP_PATH), {});
        QVERIFY(app.waitForStarted(10000));
        // Stopped however the test ends.
        const auto stop = qScopeGuard([&app] {
            app.terminate();
            if (!app.waitForFinished(5000)) {
                app.kill();
                app.waitForFinished(5000);
            }
        });

        const QString listed = QStringLiteral("project/src/main.cpp");
        // The hot key is grabbed once the application has started; press until it answers.
        const QString first =
            SeededProject::expectedText(listed, QStringLiteral("first version\n"));
        for (int attempt = 0; attempt < 20 && clipboardText() != first; ++attempt) {
            pressShortcut();
            QTest::qWait(500);
        }
        QCOMPARE(clipboardText(), first);

        QVERIFY(writeFile(file, "second version\n"));
        pressShortcut();
        const QString second =
            SeededProject::expectedText(listed, QStringLiteral("second version\n"));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), second, 10000);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
