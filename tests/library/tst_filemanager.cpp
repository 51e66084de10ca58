#include "platform/DesktopFileManager.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

const QString serviceName = u"org.freedesktop.FileManager1"_qs;
const QString objectPath = u"/org/freedesktop/FileManager1"_qs;

// Stands in for a file manager on the bus.
class FakeFileManagerService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> calls;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { calls << uris; }
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

    // A file manager on the bus shows the folder; without one the fallback opens it. (One that
    // never answers ends in the same error reply, after the call's timeout.)
    void revealingThroughTheBus_data()
    {
        QTest::addColumn<bool>("service");
        QTest::newRow("a file manager answers") << true;
        QTest::newRow("no file manager") << false;
    }

    void revealingThroughTheBus()
    {
        QFETCH(bool, service);
        if (m_address.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QDBusConnection serviceBus = connect();
        FakeFileManagerService fake;
        if (service) {
            QVERIFY(serviceBus.registerObject(objectPath, &fake, QDBusConnection::ExportAllSlots));
            QVERIFY(serviceBus.registerService(serviceName));
        }
        QList<QUrl> opened;
        {
            const auto fallback = [&opened](const QUrl& url) {
                opened << url;
                return true;
            };
            DesktopFileManager manager(connect(), fallback, 5000);
            manager.revealFolder(u"/home/a/Caf\u00E9 #1"_qs);
            QVERIFY(opened.isEmpty()); // any answer comes through the event loop
            const QList<QUrl> expected{QUrl::fromLocalFile(u"/home/a/Caf\u00E9 #1"_qs)};
            if (service) {
                QTRY_COMPARE(fake.calls.size(), 1);
                // The answer arrives after the call; give it the chance to (wrongly) fall back.
                QTest::qWait(100);
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(opened, expected, 5000);
            }
        }
        QCOMPARE(opened.isEmpty(), service);
        QCOMPARE(fake.calls, service ? QList<QStringList>{{u"file:///home/a/Caf%C3%A9%20%231"_qs}}
                                     : QList<QStringList>{});
        serviceBus.unregisterService(serviceName);
        serviceBus.unregisterObject(objectPath);
    }
};

QTEST_GUILESS_MAIN(TestFileManager)
#include "tst_filemanager.moc"
