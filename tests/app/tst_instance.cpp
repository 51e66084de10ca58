#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "model/RecentFolder.h"
#include "platform/InstanceChannel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int launchTimeoutMs = 30000;

} // namespace

// Two real processes of the built application: the second launch hands its folder to the first
// and ends; the first opens it, and saves it when it is asked to end right after.
class TestInstance : public QObject {
    Q_OBJECT

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

    QStringList rememberedPaths() const
    {
        const Preferences stored(path(QStringLiteral("config/CodePlexor/CodePlexor.json")),
                                 Preferences::Access::ReadOnly);
        QStringList paths;
        const auto list = RecentFolderCodec::decode(
            stored.bytes(PreferenceKeys::recentFoldersJson).value_or(QByteArray()));
        for (const RecentFolder& folder : list.value_or(QList<RecentFolder>{}))
            paths << folder.path;
        return paths;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path(QStringLiteral("runtime"))));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("runtime")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QDir().mkpath(path(QStringLiteral("project"))));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
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
            m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                                 QStringLiteral("unix:path=") + path(QStringLiteral("no-bus")));

        QProcess first;
        start(first, {});
        const auto running = [&] {
            return sessionBus
                       ? bus.interface()->isServiceRegistered(InstanceChannel::busName).value()
                       : QFile::exists(path(QStringLiteral("runtime/codeplexor.socket")));
        };
        QTRY_VERIFY_WITH_TIMEOUT(running(), launchTimeoutMs);

        QProcess second;
        // Relative to the later launch's own working folder.
        second.setWorkingDirectory(m_dir->path());
        start(second, {QStringLiteral("project")});
        QVERIFY(second.waitForFinished(launchTimeoutMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // Asked to end right away: the folder it just remembered reaches the file all the same.
        QCOMPARE(::kill(static_cast<pid_t>(first.processId()), SIGTERM), 0);
        QVERIFY(first.waitForFinished(launchTimeoutMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rememberedPaths(), QStringList{path(QStringLiteral("project"))});
        QVERIFY(!running());
    }

    void argumentThatIsNotAFolderIsRefused_data()
    {
        // The argument as printf writes it: \351 is the byte 0xE9.
        QTest::addColumn<QString>("argument");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("a file") << QStringLiteral("file.txt");
        // Read as text it would name "d\uFFFD", which exists too.
        QTest::newRow("name not UTF-8") << QStringLiteral("d\\351");
    }

    void argumentThatIsNotAFolderIsRefused()
    {
        QFETCH(QString, argument);
        const QByteArray latin1Folder = QFile::encodeName(m_dir->path()) + QByteArray("/d\xE9");
        QVERIFY(::mkdir(latin1Folder.constData(), 0700) == 0);
        // Qt cannot name it to remove it with the temporary folder.
        const auto removeLatin1Folder = qScopeGuard([&] { ::rmdir(latin1Folder.constData()); });
        QVERIFY(QDir().mkpath(path(QStringLiteral("d\uFFFD"))));
        QFile(path(QStringLiteral("file.txt"))).open(QIODevice::WriteOnly);
        // Through the shell, which passes the bytes as they are.
        QProcess launch;
        launch.setWorkingDirectory(m_dir->path());
        start(launch,
              {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf \"$1\")\""),
               QStringLiteral(CODEPLEXOR_APP_PATH), argument},
              QStringLiteral("/bin/sh"));
        QVERIFY(launch.waitForFinished(launchTimeoutMs));
        QCOMPARE(launch.exitCode(), 2);
        QVERIFY(!QFile::exists(path(QStringLiteral("config/CodePlexor/CodePlexor.json"))));
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
