#include "AppFixtures.h"
#include "StoredRecords.h"
#include "engine/TestTree.h"
#include "model/PreferenceKeys.h"
#include "platform/InstanceChannel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The built application in processes of its own, as a user starts it: a later launch hands its
// folder to the running one, which saves it even when asked to end right after; an argument that
// is not a folder is refused; on an X server of its own, the recorded global shortcut pressed
// with another program's keystrokes regenerates the remembered project's text onto the clipboard.
class TestEndToEnd : public QObject {
    Q_OBJECT

    static constexpr int launchTimeoutMs = 30000;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcessEnvironment m_environment;

    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    QString preferencesPath() const { return path(u"config/CodePlexor/CodePlexor.json"_s); }

    void start(QProcess& process, const QStringList& arguments,
               const QString& program = QStringLiteral(CODEPLEXOR_APP_PATH))
    {
        process.setProcessEnvironment(m_environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
    }

    // Runs a shell command in the test's environment and returns what it printed.
    QString shell(const char* command)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(u"/bin/sh"_s, {u"-c"_s, QString::fromUtf8(command)});
        return tool.waitForFinished(5000) ? QString::fromUtf8(tool.readAllStandardOutput())
                                          : QString();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path(u"project"_s)) && QDir().mkpath(path(u"config/CodePlexor"_s)));
        QCOMPARE(::mkdir(QFile::encodeName(path(u"runtime"_s)).constData(), 0700), 0);
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        m_environment.insert(u"XDG_CONFIG_HOME"_s, path(u"config"_s));
        m_environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"_s));
    }

    void laterLaunchHandsItsFolderOver_data()
    {
        QTest::addColumn<bool>("sessionBus");
        QTest::newRow("session bus") << true;
        QTest::newRow("lock file without a bus") << false;
    }

    void laterLaunchHandsItsFolderOver()
    {
        QFETCH(bool, sessionBus);
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (sessionBus && !bus.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        if (!sessionBus)
            m_environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s,
                                 u"unix:path="_s + path(u"no-bus"_s));

        QProcess first;
        start(first, {});
        const auto running = [&] {
            return sessionBus
                       ? bus.interface()->isServiceRegistered(InstanceChannel::busName).value()
                       : QFile::exists(path(u"runtime/codeplexor.socket"_s));
        };
        QTRY_VERIFY_WITH_TIMEOUT(running(), launchTimeoutMs);

        // Relative to the later launch's own working folder.
        QProcess second;
        second.setWorkingDirectory(m_dir->path());
        start(second, {u"project"_s});
        QVERIFY(second.waitForFinished(launchTimeoutMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // Asked to end right away: the folder it just remembered reaches the file all the same.
        QCOMPARE(::kill(static_cast<pid_t>(first.processId()), SIGTERM), 0);
        QVERIFY(first.waitForFinished(launchTimeoutMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        const Preferences stored(preferencesPath(), Preferences::Access::ReadOnly);
        QCOMPARE(StoredRecords::pathsOf(
                     RecentFolderCodec::decode(
                         stored.bytes(PreferenceKeys::recentFoldersJson).value_or(QByteArray()))
                         .value_or(QList<RecentFolder>())),
                 QStringList{path(u"project"_s)});
        QVERIFY(!running());
    }

    void argumentThatIsNotAFolderIsRefused_data()
    {
        // The argument as printf writes it: \351 is the byte 0xE9.
        QTest::addColumn<QString>("argument");
        QTest::newRow("missing") << u"missing"_s;
        QTest::newRow("a file") << u"file.txt"_s;
        // Read as text it would name "d\uFFFD", which exists too.
        QTest::newRow("name not UTF-8") << u"d\\351"_s;
    }

    void argumentThatIsNotAFolderIsRefused()
    {
        QFETCH(QString, argument);
        TestTree folder;
        QVERIFY(folder.addRaw("d\xE9/") && folder.add(u"d\uFFFD/"_s) && folder.add(u"file.txt"_s));
        // Through the shell, which passes the bytes as they are.
        QProcess launch;
        launch.setWorkingDirectory(folder.root());
        start(launch,
              {u"-c"_s, u"exec \"$0\" \"$(printf \"$1\")\""_s, QStringLiteral(CODEPLEXOR_APP_PATH),
               argument},
              u"/bin/sh"_s);
        QVERIFY(launch.waitForFinished(launchTimeoutMs));
        QCOMPARE(launch.exitCode(), 2);
        QVERIFY(!QFile::exists(preferencesPath()));
    }

    void theShortcutCopiesTheRememberedProject()
    {
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QVERIFY(!QStandardPaths::findExecutable(u"xdotool"_s).isEmpty() &&
                !QStandardPaths::findExecutable(u"xclip"_s).isEmpty());
        QProcess server;
        server.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-noreset"_s, u"-nolisten"_s, u"tcp"_s});
        QByteArray number;
        while (!number.contains('\n') && server.waitForReadyRead(15000))
            number += server.readAllStandardOutput();
        QVERIFY(!number.trimmed().isEmpty());
        m_environment.insert(u"DISPLAY"_s, u':' + QString::fromLatin1(number.trimmed()));
        m_environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        m_environment.remove(u"WAYLAND_DISPLAY"_s);
        // Its own instance, never a hand-over to one the desktop runs.
        m_environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path(u"no-bus"_s));

        // A remembered project with one selected file and the shortcut Ctrl+Shift+K.
        const QString file = path(u"project/src/main.cpp"_s);
        QVERIFY(QDir().mkpath(path(u"project/src"_s)));
        QVERIFY(StoredRecords::writeFile(file, "first version\n"));
        QVERIFY(StoredRecords::writeFile(path(u"project/notes.txt"_s), "not selected\n"));
        QVERIFY(SeededProject::writePreferences(
            preferencesPath(), path(u"project"_s), {file}, {path(u"project/src"_s)},
            u"{\"carbonKeyCode\":40,\"carbonModifiers\":768}"_s));
        QProcess app;
        start(app, {});
        QVERIFY(app.waitForStarted(10000));
        const auto stop = qScopeGuard([&] {
            for (QProcess* process : {&app, &server}) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(5000);
            }
        });

        // The hot key is grabbed once the application has started; press until it answers.
        const QString listed = u"project/src/main.cpp"_s;
        const QString first = SeededProject::expectedText(listed, u"first version\n"_s);
        for (int attempt = 0; attempt < 20 && shell("xclip -o -selection clipboard") != first;
             ++attempt) {
            shell("xdotool key ctrl+shift+k");
            QTest::qWait(500);
        }
        QCOMPARE(shell("xclip -o -selection clipboard"), first);

        QVERIFY(StoredRecords::writeFile(file, "second version\n"));
        shell("xdotool key ctrl+shift+k");
        QTRY_COMPARE_WITH_TIMEOUT(shell("xclip -o -selection clipboard"),
                                  SeededProject::expectedText(listed, u"second version\n"_s),
                                  10000);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
