#include "StoredRecords.h"
#include "engine/TestTree.h"
#include "model/PreferenceKeys.h"
#include "platform/InstanceChannel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Two real processes of the built application: the second launch hands its folder to the first
// and ends; the first opens it, and saves it when it is asked to end right after.
class TestInstance : public QObject {
    Q_OBJECT

    static constexpr int launchTimeoutMs = 30000;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcessEnvironment m_environment;

    QString path(const QString& relative) const { return m_dir->filePath(relative); }

    void start(QProcess& process, const QStringList& arguments,
               const QString& program = QStringLiteral(CODEPLEXOR_APP_PATH))
    {
        process.setProcessEnvironment(m_environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
    }

    QString preferencesPath() const { return path(u"config/CodePlexor/CodePlexor.json"_s); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path(u"project"_s)));
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
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
