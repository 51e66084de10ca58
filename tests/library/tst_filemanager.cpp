#include "platform/DesktopFileManager.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

const QString serviceName = u"org.freedesktop.FileManager1"_qs;
const QString objectPath = u"/org/freedesktop/FileManager1"_qs;

// Stands in for a file manager on the bus. With `answers` false it takes calls and never
// replies, like a file manager that hangs.
class FakeFileManagerService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FakeFileManagerService(bool answers)
        : m_answers(answers)
    {}

    QList<QStringList> calls;
    QStringList startupIds;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        calls << uris;
        startupIds << startupId;
        if (!m_answers)
            setDelayedReply(true);
    }

private:
    bool m_answers;
};

struct Fallback {
    QList<QUrl> opened;
    DesktopFileManager::Opener opener()
    {
        return [this](const QUrl& url) {
            opened << url;
            return true;
        };
    }
};

} // namespace

class TestFileManager : public QObject {
    Q_OBJECT

    // A private session bus for this test, so that the machine's own bus and file manager are
    // never involved.
    std::unique_ptr<QProcess> m_daemon;
    QString m_address;
    int m_connections = 0;

    QDBusConnection connect()
    {
        return QDBusConnection::connectToBus(m_address, u"test-%1"_qs.arg(++m_connections));
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_qs);
        if (daemon.isEmpty())
            return;
        m_daemon = std::make_unique<QProcess>();
        m_daemon->start(daemon, {u"--session"_qs, u"--nofork"_qs, u"--print-address=1"_qs});
        QVERIFY(m_daemon->waitForStarted(5000));
        QElapsedTimer waited;
        waited.start();
        while (!m_daemon->canReadLine() && waited.elapsed() < 5000)
            m_daemon->waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon->readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase()
    {
        if (m_daemon) {
            m_daemon->terminate();
            m_daemon->waitForFinished(5000);
        }
    }

    void theSessionBusPathFallsBackWhenNoBusIsThere()
    {
        // The test runs with a session-bus address that leads nowhere, so the default
        // constructor's bus is not connected; the fallback must still be reached, at once.
        if (!qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(u"nonexistent"_qs))
            QSKIP("needs DBUS_SESSION_BUS_ADDRESS pointing nowhere (set by the test registration)");
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        Fallback fallback;
        DesktopFileManager manager(QDBusConnection::sessionBus(), fallback.opener(), 200);
        manager.revealFolder(u"/tmp"_qs);
        QCOMPARE(fallback.opened.size(), 1);
    }

    // A file manager on the bus shows the folder; without one, or when it never answers, the
    // fallback opens it.
    void revealingThroughTheBus_data()
    {
        QTest::addColumn<int>("service"); // 0 none, 1 answers, 2 never answers
        QTest::addColumn<int>("timeout");
        QTest::newRow("a file manager answers") << 1 << 5000;
        QTest::newRow("no file manager") << 0 << 5000;
        QTest::newRow("a file manager that never answers times out") << 2 << 300;
    }

    void revealingThroughTheBus()
    {
        QFETCH(int, service);
        QFETCH(int, timeout);
        if (m_address.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QDBusConnection serviceBus = connect();
        FakeFileManagerService fake(service == 1);
        if (service) {
            QVERIFY(serviceBus.registerObject(objectPath, &fake, QDBusConnection::ExportAllSlots));
            QVERIFY(serviceBus.registerService(serviceName));
        }
        Fallback fallback;
        {
            DesktopFileManager manager(connect(), fallback.opener(), timeout);
            manager.revealFolder(u"/home/a/Caf\u00E9 #1"_qs);
            QVERIFY(fallback.opened.isEmpty()); // any answer comes through the event loop
            const QList<QUrl> expected{QUrl::fromLocalFile(u"/home/a/Caf\u00E9 #1"_qs)};
            if (service == 1) {
                QTRY_COMPARE(fake.calls.size(), 1);
                // The answer arrives after the call; give it the chance to (wrongly) fall back.
                QTest::qWait(100);
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(fallback.opened, expected, 5000);
            }
        }
        QCOMPARE(fallback.opened.isEmpty(), service == 1);
        QCOMPARE(fake.calls, service ? QList<QStringList>{{u"file:///home/a/Caf%C3%A9%20%231"_qs}}
                                     : QList<QStringList>{});
        QCOMPARE(fake.startupIds, service ? QStringList{QString()} : QStringList{});
        serviceBus.unregisterService(serviceName);
        serviceBus.unregisterObject(objectPath);
    }
};

QTEST_GUILESS_MAIN(TestFileManager)
#include "tst_filemanager.moc"
