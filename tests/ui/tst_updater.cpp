#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "ui/UpdateFeed.h"
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
        QByteArray body;
        QByteArray location;
        bool silent = false;       // never answers
        int delayMs = 0;           // answers after this long
        bool noLength = false;     // no Content-Length: the body ends with the connection
        int closeAfter = -1;       // sends this many bytes of the body, then closes
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
    QString url(const QString& path = u"/releases/latest"_s) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(m_server.serverPort()).arg(path);
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
        if (answer.silent)
            return;
        QTimer::singleShot(answer.delayMs, this, [target = QPointer(socket), answer] {
            if (!target)
                return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n";
            if (!answer.noLength)
                head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
            if (!answer.location.isEmpty())
                head += "Location: " + answer.location + "\r\n";
            target->write(head + "Content-Type: application/json\r\nConnection: close\r\n\r\n");
            if (answer.drip) {
                auto* timer = new QTimer(target);
                QObject::connect(timer, &QTimer::timeout, target,
                                 [socket = target.data(), body = answer.body, sent = 0]() mutable {
                                     if (sent < body.size())
                                         socket->write(body.mid(sent++, 1));
                                 });
                timer->start(1000);
                return;
            }
            target->write(answer.closeAfter >= 0 ? answer.body.left(answer.closeAfter)
                                                 : answer.body);
            target->disconnectFromHost();
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

FeedServer::Answer answer(const QByteArray& body, int status = 200)
{
    FeedServer::Answer result;
    result.body = body;
    result.status = status;
    return result;
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
    // nothing, and counts as the day's check only when the server answered in time.
    void userCheck_data()
    {
        QTest::addColumn<FeedServer::Answer>("feed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<ErrorKind>("kind");
        QTest::addColumn<QString>("messagePart");
        QTest::addColumn<bool>("counted");
        const auto row = [](const char* name, const FeedServer::Answer& feed, Outcome outcome,
                            ErrorKind kind = ErrorKind::NoFeedConfigured, const QString& part = {},
                            bool counted = true) {
            QTest::newRow(name) << feed << outcome << kind << part << counted;
        };
        const auto failed = [&row](const char* name, const FeedServer::Answer& feed, ErrorKind kind,
                                   const QString& part, bool counted = true) {
            row(name, feed, Outcome::Failed, kind, part, counted);
        };
        row("newer", answer(releaseJson(u"v1.2.0"_s)), Outcome::UpdateAvailable);
        row("same", answer(releaseJson(u"v1.0.0"_s)), Outcome::UpToDate);
        row("older", answer(releaseJson(u"0.9.7"_s)), Outcome::UpToDate);
        const ErrorKind bad = ErrorKind::BadAnswer;
        failed("invalid JSON", answer("{\"tag_name\": \"v2.0\", \"html_url\": "), bad,
               u"not valid JSON"_s);
        failed("array instead of object", answer("[{\"tag_name\": \"v2.0\"}]"), bad,
               u"not a JSON object"_s);
        failed("missing tag_name", answer("{\"html_url\": \"https://example.org/r\"}"), bad,
               u"tag_name"_s);
        failed("tag_name not a version", answer(releaseJson(u"nightly"_s)), bad,
               u"\u201cnightly\u201d is not a version number"_s);
        failed("release page missing", answer("{\"tag_name\": \"v2.0\"}"), bad, u"html_url"_s);
        failed(
            "release link not https",
            answer("{\"tag_name\": \"v9.0\", \"html_url\": \"http://example.org/releases/v9.0\"}"),
            bad, u"https release page"_s);
        failed(
            "notes of the wrong type",
            answer(
                "{\"tag_name\": \"v9.0\", \"html_url\": \"https://example.org/r\", \"body\": 7}"),
            bad, u"\u201cbody\u201d"_s);
        failed("enormous version string", answer(releaseJson(u"1."_s + QString(500000, u'9'))), bad,
               u"release tag is 500002 characters"_s);
        FeedServer::Answer overCap =
            answer(releaseJson(u"v9.0"_s, QString(UpdaterViewModel::maximumAnswerSize, u'x')));
        failed("body over the cap, length given", overCap, bad, u"larger than"_s);
        overCap.noLength = true;
        failed("body over the cap, no length given", overCap, bad, u"larger than"_s);
        failed("HTTP 500", answer("{}", 500), ErrorKind::HttpStatus, u"HTTP status 500"_s);
        FeedServer::Answer feed = answer(releaseJson(u"v9.0"_s));
        feed.closeAfter = 10;
        failed("connection closed mid-body", feed, ErrorKind::NetworkFailure, u"closed"_s);
        feed = answer(releaseJson(u"v9.0"_s));
        feed.drip = true;
        failed("one byte a second", feed, ErrorKind::TimedOut, u"did not answer"_s, false);
        feed.silent = true;
        failed("server never answers", feed, ErrorKind::TimedOut, {}, false);
        failed("connection refused", answer({}, 0), ErrorKind::NetworkFailure, u"refused"_s, false);
        feed = answer({}, 302);
        feed.location = "http://updates.example.org/latest";
        failed("redirect to plain http", feed, ErrorKind::RefusedAddress,
               u"http://updates.example.org/latest"_s);
        feed.location.clear();
        feed.redirectLoop = true;
        failed("redirect loop", feed, ErrorKind::NetworkFailure, u"redirect"_s);
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

        QElapsedTimer elapsed;
        elapsed.start();
        const UpdateCheckResult result = runCheck(*updater);
        QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
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
            QVERIFY2(message.left(300).contains(messagePart, Qt::CaseInsensitive),
                     qPrintable(message.left(300)));
            // The message quotes no more of the answer than a person can read.
            QVERIFY(message.size() < 1000);
        }
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime),
                 counted ? std::optional<double>(testNow) : std::nullopt);
        QVERIFY(m_opened.isEmpty());
        if (outcome != Outcome::UpdateAvailable)
            return;
        // "View Release" opens the page; after the updater is gone it does nothing.
        m_presenter.viewRelease();
        QCOMPARE(m_opened, QList<QUrl>{result.release.pageUrl()});
        QCOMPARE(result.release.pageUrl(), QUrl(u"https://example.org/releases/v1.2.0"_s));
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
        QTest::newRow("local file") << u"file:///etc/hostname"_s << ErrorKind::RefusedAddress;
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
        FeedServer::Answer slow = answer(releaseJson(u"1.0"_s));
        slow.delayMs = 300;
        m_server->setAnswer(slow);
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
        QTest::newRow("an hour ago") << QVariant(true) << QVariant(testNow - 3600) << false;
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
        m_server->setAnswer(answer(releaseJson(u"1.0"_s)));
        auto updater = makeUpdater(m_server->url());

        QCOMPARE(updater->isAutomaticCheckDue(), requests);
        QCOMPARE(runAutomaticStart(*updater), requests);
        QCOMPARE(m_server->requestedPaths().size(), requests ? 1 : 0);
        if (!requests) {
            QVERIFY(!updater->isChecking());
            return;
        }
        // Checked now: not again today, but again tomorrow.
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime), testNow);
        QVERIFY(!runAutomaticStart(*updater));
        m_now += day;
        QVERIFY(runAutomaticStart(*updater));
        QCOMPARE(m_server->requestedPaths().size(), 2);
    }

    // The daily check speaks only of a newer release; failures stay silent.
    void backgroundChecks_data()
    {
        QTest::addColumn<FeedServer::Answer>("feed");
        QTest::addColumn<QString>("address");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("newer") << answer(releaseJson(u"v1.1"_s)) << QString()
                               << Outcome::UpdateAvailable;
        QTest::newRow("same") << answer(releaseJson(u"v1.0"_s)) << QString() << Outcome::UpToDate;
        QTest::newRow("malformed") << answer("{") << QString() << Outcome::Failed;
        QTest::newRow("HTTP 500") << answer({}, 500) << QString() << Outcome::Failed;
        QTest::newRow("connection refused") << answer({}, 0) << QString() << Outcome::Failed;
        QTest::newRow("insecure feed")
            << answer({}) << u"http://192.0.2.10/latest"_s << Outcome::Failed;
    }

    void backgroundChecks()
    {
        QFETCH(FeedServer::Answer, feed);
        QFETCH(QString, address);
        QFETCH(Outcome, outcome);
        m_server->setAnswer(feed);
        auto updater = makeUpdater(!address.isEmpty() ? address
                                   : feed.status      ? m_server->url()
                                                      : closedPort());
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
        QCOMPARE(UpdaterViewModel::versionText(u"1.2"_s, u"34"_s), u"1.2 (34)"_s);
        QCOMPARE(UpdaterViewModel::versionText(u" 1.0 "_s, u" 7\n"_s), u"1.0 (7)"_s);
        QCOMPARE(UpdaterViewModel::versionText(u"1.2"_s, u"  "_s), QString());
        QCOMPARE(UpdaterViewModel::versionText(QString(), u"34"_s), QString());
    }

    // The build's own version is one the feed's versions can be compared with.
    void buildOptionsCarryThisBuildsVersion()
    {
        // The build's options use the user's store: keep it inside this test's folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_temp->dir.path()));
        const UpdaterViewModel::Options built = UpdaterViewModel::buildOptions();
        QCOMPARE(built.currentVersion, QStringLiteral(CODEPLEXOR_VERSION));
        QCOMPARE(built.feedAddress, UpdateFeed::configuredAddress());
        QVERIFY(VersionNumber::parse(built.currentVersion));
        QVERIFY(built.openUrl && built.clock);
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
