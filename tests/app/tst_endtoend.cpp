#include "AppFixtures.h"
#include "StoredRecords.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The built application on its own X server: the recorded global shortcut, pressed with
// another program's keystrokes, regenerates the remembered project's text onto the clipboard.
class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess m_server;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();

    // Runs a tool on the test's display and returns what it printed.
    QString onDisplay(const char* command)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(u"/bin/sh"_s, {u"-c"_s, QString::fromUtf8(command)});
        return tool.waitForFinished(5000) ? QString::fromUtf8(tool.readAllStandardOutput())
                                          : QString();
    }

    QString clipboardText() { return onDisplay("xclip -o -selection clipboard"); }

private Q_SLOTS:
    void initTestCase()
    {
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QVERIFY(!QStandardPaths::findExecutable(u"xdotool"_s).isEmpty());
        QVERIFY(!QStandardPaths::findExecutable(u"xclip"_s).isEmpty());
        m_server.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-noreset"_s, u"-nolisten"_s, u"tcp"_s});
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(15000))
            number += m_server.readAllStandardOutput();
        QVERIFY(!number.trimmed().isEmpty());
        m_environment.insert(u"DISPLAY"_s, u':' + QString::fromLatin1(number.trimmed()));
        m_environment.remove(u"WAYLAND_DISPLAY"_s);
    }

    void cleanupTestCase()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    void theShortcutCopiesTheRememberedProject()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(u"project"_s);
        const QString file = project + u"/src/main.cpp"_s;
        QVERIFY(QDir().mkpath(project + u"/src"_s));
        QVERIFY(StoredRecords::writeFile(file, "first version\n"));
        QVERIFY(StoredRecords::writeFile(project + u"/notes.txt"_s, "not selected\n"));

        // A remembered project with one selected file and the shortcut Ctrl+Shift+K.
        const QString config = dir.filePath(u"config"_s);
        QVERIFY(QDir().mkpath(config + u"/CodePlexor"_s));
        QVERIFY(SeededProject::writePreferences(
            config + u"/CodePlexor/CodePlexor.json"_s, project, {file}, {project + u"/src"_s},
            {{u"KeyboardShortcuts_generateProject"_s,
              u"{\"carbonKeyCode\":40,\"carbonModifiers\":768}"_s}}));

        QProcess app;
        QProcessEnvironment environment = m_environment;
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, config);
        // Its own instance, never a hand-over to one the desktop runs.
        environment.insert(u"XDG_RUNTIME_DIR"_s, config);
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + config + u"/no-bus"_s);
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(QStringLiteral(CODEPLEXOR_APP_PATH), {});
        QVERIFY(app.waitForStarted(10000));
        const auto stop = qScopeGuard([&app] {
            app.terminate();
            if (!app.waitForFinished(5000))
                app.kill();
            app.waitForFinished(5000);
        });

        // The hot key is grabbed once the application has started; press until it answers.
        const QString listed = u"project/src/main.cpp"_s;
        const QString first = SeededProject::expectedText(listed, u"first version\n"_s);
        for (int attempt = 0; attempt < 20 && clipboardText() != first; ++attempt) {
            onDisplay("xdotool key ctrl+shift+k");
            QTest::qWait(500);
        }
        QCOMPARE(clipboardText(), first);

        QVERIFY(StoredRecords::writeFile(file, "second version\n"));
        onDisplay("xdotool key ctrl+shift+k");
        QTRY_COMPARE_WITH_TIMEOUT(
            clipboardText(), SeededProject::expectedText(listed, u"second version\n"_s), 10000);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
