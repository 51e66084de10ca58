#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "ui/UpdatePresenter.h"
#include "ui/UpdaterViewModel.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using Outcome = UpdateCheckResult::Outcome;
using Origin = UpdateCheckResult::Origin;
using ErrorKind = UpdateError::Kind;

Q_DECLARE_METATYPE(UpdateCheckResult::Outcome)
Q_DECLARE_METATYPE(UpdateError::Kind)

namespace {

// A release feed served on 127.0.0.1 by the test itself: HTTP/1.1, one answer per connection.
class FeedServer : public QObject {
public:
    struct Answer {
        int status = 200; // 0: no server listens at all
        QByteArray body = {};
        QByteArray location = {};
        int delayMs = 0;
        bool noLength = false;     // no Content-Length: the body ends with the connection
        bool drip = false;         // sends the body one byte a second
        bool redirectLoop = false; // redirects back and forth between two paths
    };

    FeedServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { read(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    QString url() const
    {
        return u"http://127.0.0.1:%1/releases/latest"_s.arg(m_server.serverPort());
    }
    void setAnswer(const Answer& answer) { m_defaultAnswer = answer; }
    const QList<QByteArray>& requestedPaths() const { return m_paths; }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QByteArray path = buffer.left(buffer.indexOf("\r\n")).split(' ').value(1);
        m_paths.append(path);
        m_buffers.remove(socket);
        Answer answer = m_defaultAnswer;
        if (answer.redirectLoop)
            answer.location = path == "/loop/a" ? "/loop/b" : "/loop/a";
        QTimer::singleShot(answer.delayMs, this, [target = QPointer(socket), answer] {
            if (!target)
                return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n";
            if (!answer.noLength)
                head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
            if (!answer.location.isEmpty())
                head += "Location: " + answer.location + "\r\n";
            target->write(head + "Content-Type: application/json\r\nConnection: close\r\n\r\n");
            if (!answer.drip) {
                target->write(answer.body);
                target->disconnectFromHost();
                return;
            }
            auto* timer = new QTimer(target);
            QObject::connect(timer, &QTimer::timeout, target,
                             [socket = target.data(), body = answer.body, sent = 0]() mutable {
                                 if (sent < body.size())
                                     socket->write(body.mid(sent++, 1));
                             });
            timer->start(1000);
        });
    }

    QTcpServer m_server;
    Answer m_defaultAnswer;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QByteArray> m_paths;
};

// Records what a check shows; keeps the "View Release" answer.
class RecordingPresenter : public UpdatePresenter {
public:
    QStringList shown;
    std::optional<UpdateError> error;
    std::function<void()> viewRelease;

    void presentUpToDate(const QString&) override { shown.append(u"up to date"_s); }
    void presentUpdateAvailable(const UpdateRelease&, const QString&,
                                std::function<void()> open) override
    {
        shown.append(u"update available"_s);
        viewRelease = std::move(open);
    }
    void presentCheckFailed(const UpdateError& failure) override
    {
        shown.append(u"failed"_s);
        error = failure;
    }
};

QByteArray releaseJson(const QString& tag, const QString& notes = u"Faster scans."_s)
{
    return QJsonDocument(
               QJsonObject{{u"tag_name"_s, tag},
                           {u"html_url"_s, QString(u"https://example.org/releases/"_s + tag)},
                           {u"body"_s, notes}})
        .toJson(QJsonDocument::Compact);
}

constexpr double testNow = 820000000.0;
constexpr double day = UpdaterViewModel::automaticCheckInterval;

} // namespace

Q_DECLARE_METATYPE(FeedServer::Answer)

class TestUpdater : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    std::unique_ptr<FeedServer> m_server;
    RecordingPresenter m_presenter;
    QList<QUrl> m_opened;
    double m_now = testNow;

    std::unique_ptr<UpdaterViewModel>
    makeUpdater(const QString& feedAddress,
                std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        UpdaterViewModel::Options options;
        options.feedAddress = feedAddress;
        options.currentVersion = u"1.0"_s;
        options.buildNumber = u"1"_s;
        options.preferences = &m_temp->preferences;
        options.openUrl = [this](const QUrl& url) {
            m_opened.append(url);
            return true;
        };
        options.clock = [this] { return m_now; };
        options.timeout = timeout;
        // One network access for the whole run, as the application has: destroying a manager
        // right after an aborted request races with Qt's own HTTP thread, which then leaks.
        static auto* const network = new QNetworkAccessManager;
        options.network = network;
        auto updater = std::make_unique<UpdaterViewModel>(std::move(options));
        updater->setPresenter(&m_presenter);
        return updater;
    }

    // Runs a user-started check to its end and returns what it reported.
    static UpdateCheckResult runCheck(UpdaterViewModel& updater)
    {
        QSignalSpy finished(&updater, &UpdaterViewModel::checkFinished);
        updater.checkForUpdates();
        if (finished.isEmpty())
            [&] { QVERIFY(finished.wait(30000)); }();
        return finished.count() == 1 ? finished.first().first().value<UpdateCheckResult>()
                                     : UpdateCheckResult();
    }

    // Starts the automatic checks; true when they started one (which then runs to its end).
    static bool runAutomaticStart(UpdaterViewModel& updater)
    {
        QSignalSpy finished(&updater, &UpdaterViewModel::checkFinished);
        updater.startAutomaticChecks();
        // The first evaluation is queued: let it run.
        QCoreApplication::processEvents();
        if (!updater.isChecking() && finished.isEmpty())
            return false;
        if (finished.isEmpty())
            [&] { QVERIFY(finished.wait(30000)); }();
        return true;
    }

    QString closedPort()
    {
        QTcpServer closed;
        [&] { QVERIFY(closed.listen(QHostAddress::LocalHost, 0)); }();
        return u"http://127.0.0.1:%1/latest"_s.arg(closed.serverPort());
    }

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_server = std::make_unique<FeedServer>();
        QVERIFY(m_server->listen());
        m_presenter = RecordingPresenter();
        m_opened.clear();
        m_now = testNow;
    }

    void cleanup()
    {
        m_server.reset();
        m_temp.reset();
    }

    // Whatever the feed does, a user's check ends within its time limit with one answer, opens
    // nothing, and counts as the day's check only when the server answered in time. (What a
    // release record may hold is the feed's own test.)
    void userCheck_data()
    {
        QTest::addColumn<FeedServer::Answer>("feed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<ErrorKind>("kind");
        QTest::addColumn<QString>("messagePart");
        QTest::addColumn<bool>("counted");
        const auto row = [](const char* name, const FeedServer::Answer& feed, Outcome outcome,
                            ErrorKind kind = {}, const QString& part = {}, bool counted = true) {
            QTest::newRow(name) << feed << outcome << kind << part << counted;
        };
        const Outcome failed = Outcome::Failed;
        row("newer", {.body = releaseJson(u"v1.2.0"_s)}, Outcome::UpdateAvailable);
        row("same", {.body = releaseJson(u"v1.0.0"_s)}, Outcome::UpToDate);
        row("older", {.body = releaseJson(u"0.9.7"_s)}, Outcome::UpToDate);
        row("invalid JSON", {.body = "{\"tag_name\": \"v2.0\", \"html_url\": "}, failed,
            ErrorKind::BadAnswer, u"not valid JSON"_s);
        // Without a length the size is known only as the body arrives.
        row("body over the cap, no length given",
            {.body = releaseJson(u"v9.0"_s, QString(UpdaterViewModel::maximumAnswerSize, u'x')),
             .noLength = true},
            failed, ErrorKind::BadAnswer, u"larger than"_s);
        row("HTTP 500", {.status = 500, .body = "{}"}, failed, ErrorKind::HttpStatus,
            u"HTTP status 500"_s);
        row("one byte a second", {.body = releaseJson(u"v9.0"_s), .drip = true}, failed,
            ErrorKind::TimedOut, u"did not answer"_s, false);
        row("connection refused", {.status = 0}, failed, ErrorKind::NetworkFailure, u"refused"_s,
            false);
        row("redirect to plain http",
            {.status = 302, .location = "http://updates.example.org/latest"}, failed,
            ErrorKind::RefusedAddress, u"http://updates.example.org/latest"_s);
        row("redirect loop", {.status = 302, .redirectLoop = true}, failed,
            ErrorKind::NetworkFailure, u"redirect"_s);
    }

    void userCheck()
    {
        QFETCH(FeedServer::Answer, feed);
        QFETCH(Outcome, outcome);
        QFETCH(ErrorKind, kind);
        QFETCH(QString, messagePart);
        QFETCH(bool, counted);
        m_server->setAnswer(feed);
        auto updater = makeUpdater(feed.status ? m_server->url() : closedPort(),
                                   std::chrono::milliseconds(1500));
        QSignalSpy checking(updater.get(), &UpdaterViewModel::checkingChanged);

        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.origin, Origin::User);
        QCOMPARE(checking.count(), 2);
        QVERIFY(!updater->isChecking());
        const char* shown = outcome == Outcome::UpdateAvailable ? "update available"
                            : outcome == Outcome::UpToDate      ? "up to date"
                                                                : "failed";
        QCOMPARE(m_presenter.shown, QStringList{QString::fromLatin1(shown)});
        if (outcome == Outcome::Failed) {
            QCOMPARE(m_presenter.error->kind(), kind);
            const QString message = result.error.message();
            QVERIFY2(message.contains(messagePart, Qt::CaseInsensitive), qPrintable(message));
        }
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime),
                 counted ? std::optional<double>(testNow) : std::nullopt);
        QVERIFY(m_opened.isEmpty());
        if (outcome != Outcome::UpdateAvailable)
            return;
        // "View Release" opens the page; after the updater is gone it does nothing.
        m_presenter.viewRelease();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://example.org/releases/v1.2.0"_s)});
        updater.reset();
        m_presenter.viewRelease();
        QCOMPARE(m_opened.size(), 1);
    }

    void refusedAddressesSendNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<ErrorKind>("kind");
        QTest::newRow("no feed in this build") << QString() << ErrorKind::NoFeedConfigured;
        QTest::newRow("blank feed") << u"  "_s << ErrorKind::NoFeedConfigured;
        QTest::newRow("plain http to the network")
            << u"http://192.0.2.10/latest"_s << ErrorKind::RefusedAddress;
    }

    void refusedAddressesSendNothing()
    {
        QFETCH(QString, address);
        QFETCH(ErrorKind, kind);
        auto updater = makeUpdater(address);
        QSignalSpy checking(updater.get(), &UpdaterViewModel::checkingChanged);
        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.error.kind(), kind);
        QCOMPARE(m_presenter.shown, QStringList{u"failed"_s});
        // Nothing was started, so nothing was sent.
        QCOMPARE(checking.count(), 0);
        QVERIFY(result.error.message().contains(address.trimmed()));
    }

    void userCheckDuringBackgroundCheckIsAnswered()
    {
        m_server->setAnswer({.body = releaseJson(u"1.0"_s), .delayMs = 300});
        auto updater = makeUpdater(m_server->url());
        QSignalSpy finished(updater.get(), &UpdaterViewModel::checkFinished);
        updater->startAutomaticChecks();
        QTRY_VERIFY(updater->isChecking());
        updater->checkForUpdates();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<UpdateCheckResult>().origin, Origin::User);
        QCOMPARE(m_presenter.shown, QStringList{u"up to date"_s});
        QCOMPARE(m_server->requestedPaths().size(), 1);
    }

    void onceADay_data()
    {
        QTest::addColumn<QVariant>("enabled");
        QTest::addColumn<QVariant>("lastCheck");
        QTest::addColumn<bool>("requests");
        const QVariant absent;
        QTest::newRow("fresh installation") << absent << absent << true;
        QTest::newRow("just under a day") << absent << QVariant(testNow - day + 1) << false;
        QTest::newRow("exactly a day") << QVariant(true) << QVariant(testNow - day) << true;
        QTest::newRow("clock set back") << QVariant(true) << QVariant(testNow + 2 * day) << true;
        QTest::newRow("disabled, long ago") << QVariant(false) << QVariant(0.0) << false;
    }

    void onceADay()
    {
        QFETCH(QVariant, enabled);
        QFETCH(QVariant, lastCheck);
        QFETCH(bool, requests);
        if (enabled.isValid())
            m_temp->preferences.setBoolean(PreferenceKeys::enableAutomaticChecks, enabled.toBool());
        if (lastCheck.isValid())
            m_temp->preferences.setNumber(PreferenceKeys::lastUpdateCheckTime,
                                          lastCheck.toDouble());
        m_server->setAnswer({.body = releaseJson(u"1.0"_s)});
        auto updater = makeUpdater(m_server->url());

        QCOMPARE(updater->isAutomaticCheckDue(), requests);
        QCOMPARE(runAutomaticStart(*updater), requests);
        QCOMPARE(m_server->requestedPaths().size(), requests ? 1 : 0);
        if (!requests)
            return;
        // Checked now: not again today, but again tomorrow.
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime), testNow);
        QVERIFY(!runAutomaticStart(*updater));
        m_now += day;
        QVERIFY(runAutomaticStart(*updater));
        QCOMPARE(m_server->requestedPaths().size(), 2);
    }

    // The daily check speaks only of a newer release; failures stay silent, whether the server
    // answered or nothing was sent.
    void backgroundChecks_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("address");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("newer") << releaseJson(u"v1.1"_s) << QString() << Outcome::UpdateAvailable;
        QTest::newRow("same") << releaseJson(u"v1.0"_s) << QString() << Outcome::UpToDate;
        QTest::newRow("malformed") << QByteArray("{") << QString() << Outcome::Failed;
        QTest::newRow("insecure feed")
            << QByteArray() << u"http://192.0.2.10/latest"_s << Outcome::Failed;
    }

    void backgroundChecks()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, address);
        QFETCH(Outcome, outcome);
        m_server->setAnswer({.body = body});
        auto updater = makeUpdater(address.isEmpty() ? m_server->url() : address);
        QSignalSpy finished(updater.get(), &UpdaterViewModel::checkFinished);
        updater->startAutomaticChecks();
        QTRY_COMPARE(finished.count(), 1);
        const auto result = finished.first().first().value<UpdateCheckResult>();
        QCOMPARE(result.origin, Origin::Automatic);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(m_presenter.shown, outcome == Outcome::UpdateAvailable
                                        ? QStringList{u"update available"_s}
                                        : QStringList());
    }

    void versionText()
    {
        QCOMPARE(UpdaterViewModel::versionText(u" 1.0 "_s, u" 7\n"_s), u"1.0 (7)"_s);
        QCOMPARE(UpdaterViewModel::versionText(u"1.2"_s, u"  "_s), QString());
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
