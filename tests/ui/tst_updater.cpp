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
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        QByteArray location;
        // Never answers; the connection stays open.
        bool silent = false;
        // Answers after this long.
        int delayMs = 0;
        // Sends no Content-Length: the body ends when the connection closes.
        bool noLength = false;
        // Sends only this many bytes of the body, then closes the connection.
        int closeAfter = -1;
        // Sends the body one byte a second.
        bool drip = false;
        // Redirects back and forth between two paths.
        bool redirectLoop = false;
    };

    FeedServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { readRequest(socket); });
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
    void setAnswer(const QByteArray& path, const Answer& answer) { m_answers[path] = answer; }
    const QList<QByteArray>& requestedPaths() const { return m_paths; }

private:
    void readRequest(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QByteArray path = requestLine.value(1);
        m_paths.append(path);
        m_buffers.remove(socket);
        Answer answer = m_answers.value(path, m_defaultAnswer);
        if (answer.redirectLoop)
            answer.location = path == "/loop/a" ? "/loop/b" : "/loop/a";
        if (answer.silent)
            return;
        const QPointer<QTcpSocket> target(socket);
        QTimer::singleShot(answer.delayMs, this, [target, answer] {
            if (!target)
                return;
            QByteArray response =
                "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + answer.reason + "\r\n";
            response += "Content-Type: application/json\r\n";
            if (!answer.noLength)
                response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
            if (!answer.location.isEmpty())
                response += "Location: " + answer.location + "\r\n";
            response += "Connection: close\r\n\r\n";
            if (answer.drip) {
                target->write(response);
                dripBody(target, answer.body);
                return;
            }
            response += answer.closeAfter >= 0 ? answer.body.left(answer.closeAfter) : answer.body;
            target->write(response);
            target->disconnectFromHost();
        });
    }

    static void dripBody(QTcpSocket* socket, const QByteArray& body)
    {
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, body, sent = qsizetype(0)]() mutable {
            if (sent < body.size())
                socket->write(body.mid(sent++, 1));
        });
        timer->start(1000);
    }

    QTcpServer m_server;
    Answer m_defaultAnswer;
    QHash<QByteArray, Answer> m_answers;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QByteArray> m_paths;
};

// Counts the requests the view model hands to the network layer.
class CountingNetworkAccess : public QNetworkAccessManager {
public:
    int requests = 0;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* data) override
    {
        ++requests;
        return QNetworkAccessManager::createRequest(op, request, data);
    }
};

// Records what a check shows; answers "View Release" when told to.
class RecordingPresenter : public UpdatePresenter {
public:
    QStringList shown;
    std::optional<UpdateRelease> release;
    std::optional<UpdateError> error;
    QString currentVersion;
    std::function<void()> viewRelease;

    void presentUpToDate(const QString& current) override
    {
        shown.append(u"up to date"_s);
        currentVersion = current;
    }
    void presentUpdateAvailable(const UpdateRelease& newer, const QString& current,
                                std::function<void()> open) override
    {
        shown.append(u"update available"_s);
        release = newer;
        currentVersion = current;
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
                           {u"body"_s, notes},
                           {u"draft"_s, false}})
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
    std::unique_ptr<CountingNetworkAccess> m_network;
    RecordingPresenter m_presenter;
    QList<QUrl> m_opened;
    double m_now = testNow;

    UpdaterViewModel::Options options(const QString& feedAddress)
    {
        UpdaterViewModel::Options result;
        result.feedAddress = feedAddress;
        result.currentVersion = u"1.0"_s;
        result.buildNumber = u"1"_s;
        result.preferences = &m_temp->preferences;
        result.network = m_network.get();
        result.openUrl = [this](const QUrl& url) {
            m_opened.append(url);
            return true;
        };
        result.clock = [this] { return m_now; };
        result.timeout = std::chrono::seconds(20);
        return result;
    }

    std::unique_ptr<UpdaterViewModel> makeUpdater(const QString& feedAddress)
    {
        auto updater = std::make_unique<UpdaterViewModel>(options(feedAddress));
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
        if (finished.count() != 1)
            return {};
        return finished.first().first().value<UpdateCheckResult>();
    }

    // Starts the automatic checks and reports whether they sent a request (and if so, lets the
    // check finish).
    bool runAutomaticStart(UpdaterViewModel& updater)
    {
        QSignalSpy finished(&updater, &UpdaterViewModel::checkFinished);
        const int before = m_network->requests;
        updater.startAutomaticChecks();
        // The first evaluation is queued: let it run.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (m_network->requests == before) {
            [&] { QVERIFY(!updater.isChecking()); }();
            return false;
        }
        if (finished.isEmpty())
            [&] { QVERIFY(finished.wait(30000)); }();
        return true;
    }

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_server = std::make_unique<FeedServer>();
        QVERIFY(m_server->listen());
        m_network = std::make_unique<CountingNetworkAccess>();
        m_presenter = RecordingPresenter();
        m_opened.clear();
        m_now = testNow;
    }

    void cleanup()
    {
        m_network.reset();
        m_server.reset();
        m_temp.reset();
    }

    void userCheckAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<ErrorKind>("errorKind");
        QTest::addColumn<QString>("messagePart");

        const ErrorKind none = ErrorKind::NoFeedConfigured;
        QTest::newRow("newer") << 200 << releaseJson(u"v1.2.0"_s) << Outcome::UpdateAvailable
                               << none << QString();
        QTest::newRow("newer by numbers, not text")
            << 200 << releaseJson(u"1.10"_s) << Outcome::UpdateAvailable << none << QString();
        QTest::newRow("newer pre-release")
            << 200 << releaseJson(u"v1.1-rc1"_s) << Outcome::UpdateAvailable << none << QString();
        QTest::newRow("same") << 200 << releaseJson(u"v1.0.0"_s) << Outcome::UpToDate << none
                              << QString();
        QTest::newRow("older") << 200 << releaseJson(u"0.9.7"_s) << Outcome::UpToDate << none
                               << QString();
        QTest::newRow("pre-release of this version")
            << 200 << releaseJson(u"1.0-beta.3"_s) << Outcome::UpToDate << none << QString();
        QTest::newRow("malformed JSON")
            << 200 << QByteArray("{\"tag_name\": \"v2.0\", \"html_url\": ") << Outcome::Failed
            << ErrorKind::BadAnswer << u"not valid JSON"_s;
        QTest::newRow("empty answer") << 200 << QByteArray() << Outcome::Failed
                                      << ErrorKind::BadAnswer << u"not valid JSON"_s;
        QTest::newRow("array instead of object")
            << 200 << QByteArray("[{\"tag_name\": \"v2.0\"}]") << Outcome::Failed
            << ErrorKind::BadAnswer << u"not a JSON object"_s;
        QTest::newRow("missing tag_name")
            << 200 << QByteArray("{\"name\": \"2.0\", \"html_url\": \"https://example.org/r\"}")
            << Outcome::Failed << ErrorKind::BadAnswer << u"tag_name"_s;
        QTest::newRow("tag_name not text")
            << 200 << QByteArray("{\"tag_name\": 2, \"html_url\": \"https://example.org/r\"}")
            << Outcome::Failed << ErrorKind::BadAnswer << u"tag_name"_s;
        QTest::newRow("tag_name not a version")
            << 200 << releaseJson(u"nightly"_s) << Outcome::Failed << ErrorKind::BadAnswer
            << u"\u201cnightly\u201d is not a version number"_s;
        QTest::newRow("release page not https")
            << 200 << QByteArray("{\"tag_name\": \"v2.0\", \"html_url\": \"javascript:alert(1)\"}")
            << Outcome::Failed << ErrorKind::BadAnswer << u"html_url"_s;
        QTest::newRow("release page missing")
            << 200 << QByteArray("{\"tag_name\": \"v2.0\"}") << Outcome::Failed
            << ErrorKind::BadAnswer << u"html_url"_s;
        QTest::newRow("answer too large")
            << 200 << releaseJson(u"v9.0"_s, QString(UpdaterViewModel::maximumAnswerSize, u'x'))
            << Outcome::Failed << ErrorKind::BadAnswer << u"larger"_s;
        QTest::newRow("HTTP 500") << 500 << QByteArray("{}") << Outcome::Failed
                                  << ErrorKind::HttpStatus << u"HTTP status 500"_s;
        QTest::newRow("HTTP 404") << 404 << QByteArray("{\"message\": \"Not Found\"}")
                                  << Outcome::Failed << ErrorKind::HttpStatus
                                  << u"HTTP status 404"_s;
    }

    void userCheckAnswers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Outcome, outcome);
        QFETCH(ErrorKind, errorKind);
        QFETCH(QString, messagePart);

        FeedServer::Answer answer;
        answer.status = status;
        answer.reason = status == 200 ? "OK" : "Failure";
        answer.body = body;
        m_server->setAnswer(answer);
        auto updater = makeUpdater(m_server->url());
        QSignalSpy checking(updater.get(), &UpdaterViewModel::checkingChanged);

        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.origin, Origin::User);
        QCOMPARE(result.currentVersion, u"1.0"_s);
        QCOMPARE(m_server->requestedPaths(), QList<QByteArray>{"/releases/latest"});
        QCOMPARE(checking.count(), 2);
        QVERIFY(!updater->isChecking());
        // The user always gets exactly one answer.
        QCOMPARE(m_presenter.shown.size(), 1);

        switch (outcome) {
        case Outcome::UpdateAvailable:
            QCOMPARE(m_presenter.shown.first(), u"update available"_s);
            QCOMPARE(m_presenter.release->tagName(), result.release.tagName());
            QCOMPARE(m_presenter.release->notes(), u"Faster scans."_s);
            QCOMPARE(m_presenter.currentVersion, u"1.0"_s);
            break;
        case Outcome::UpToDate:
            QCOMPARE(m_presenter.shown.first(), u"up to date"_s);
            QCOMPARE(m_presenter.currentVersion, u"1.0"_s);
            break;
        case Outcome::Failed:
            QCOMPARE(m_presenter.shown.first(), u"failed"_s);
            QCOMPARE(m_presenter.error->kind(), errorKind);
            QCOMPARE(result.error.kind(), errorKind);
            QVERIFY2(m_presenter.error->message().contains(messagePart),
                     qPrintable(m_presenter.error->message()));
            break;
        }
        // The server answered: that counts as a check, whatever the answer.
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime), testNow);
        QVERIFY(m_opened.isEmpty());
    }

    void viewReleaseOpensThePageOnlyWhenAsked()
    {
        FeedServer::Answer answer;
        answer.body = releaseJson(u"v2.1"_s, u"Line one\nLine two"_s);
        m_server->setAnswer(answer);
        auto updater = makeUpdater(m_server->url());

        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.outcome, Outcome::UpdateAvailable);
        QCOMPARE(result.release.version().toString(), u"2.1"_s);
        QCOMPARE(result.release.notes(), u"Line one\nLine two"_s);
        QVERIFY(m_opened.isEmpty());
        QVERIFY(m_presenter.viewRelease);

        m_presenter.viewRelease();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://example.org/releases/v2.1"_s)});

        // The answer may come after the updater is gone; then nothing happens.
        updater.reset();
        m_presenter.viewRelease();
        QCOMPARE(m_opened.size(), 1);
    }

    // Not reaching the server, or getting no answer from it, is no check: the next start tries
    // again.
    void noAnswer_data()
    {
        QTest::addColumn<bool>("serverListens");
        QTest::addColumn<ErrorKind>("kind");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("connection refused") << false << ErrorKind::NetworkFailure << u"refused"_s;
        QTest::newRow("server never answers") << true << ErrorKind::TimedOut << QString();
    }

    void noAnswer()
    {
        QFETCH(bool, serverListens);
        QFETCH(ErrorKind, kind);
        QFETCH(QString, messagePart);
        UpdaterViewModel::Options slow = options(m_server->url());
        slow.timeout = std::chrono::milliseconds(300);
        FeedServer::Answer answer;
        answer.silent = true;
        m_server->setAnswer(answer);
        QTcpServer closed;
        if (!serverListens) {
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            slow.feedAddress = u"http://127.0.0.1:%1/latest"_s.arg(closed.serverPort());
            closed.close();
        }
        UpdaterViewModel updater(slow);
        updater.setPresenter(&m_presenter);

        const UpdateCheckResult result = runCheck(updater);
        QCOMPARE(result.outcome, Outcome::Failed);
        QCOMPARE(result.error.kind(), kind);
        QVERIFY2(result.error.message().contains(messagePart, Qt::CaseInsensitive),
                 qPrintable(result.error.message()));
        QCOMPARE(m_presenter.shown, QStringList{u"failed"_s});
        QVERIFY(!m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime));
        QVERIFY(!updater.isChecking());
    }

    void refusedAddressesSendNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<ErrorKind>("kind");

        QTest::newRow("no feed in this build") << QString() << ErrorKind::NoFeedConfigured;
        QTest::newRow("blank feed") << u"  "_s << ErrorKind::NoFeedConfigured;
        QTest::newRow("plain http to the network")
            << u"http://192.0.2.10/releases/latest"_s << ErrorKind::RefusedAddress;
        QTest::newRow("plain http to a name")
            << u"http://updates.example.org/latest"_s << ErrorKind::RefusedAddress;
        QTest::newRow("name that starts like loopback")
            << u"http://127.0.0.1.example.org/latest"_s << ErrorKind::RefusedAddress;
        QTest::newRow("local file") << u"file:///etc/hostname"_s << ErrorKind::RefusedAddress;
        QTest::newRow("ftp") << u"ftp://example.org/latest.json"_s << ErrorKind::RefusedAddress;
        QTest::newRow("not an address") << u"releases/latest"_s << ErrorKind::RefusedAddress;
    }

    void refusedAddressesSendNothing()
    {
        QFETCH(QString, address);
        QFETCH(ErrorKind, kind);
        auto updater = makeUpdater(address);
        QSignalSpy checking(updater.get(), &UpdaterViewModel::checkingChanged);

        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.outcome, Outcome::Failed);
        QCOMPARE(result.error.kind(), kind);
        QCOMPARE(m_presenter.shown, QStringList{u"failed"_s});
        QCOMPARE(m_network->requests, 0);
        QCOMPARE(checking.count(), 0);
        if (kind == ErrorKind::RefusedAddress)
            QVERIFY(result.error.message().contains(address));
    }

    void redirects()
    {
        FeedServer::Answer moved;
        moved.status = 301;
        moved.reason = "Moved Permanently";
        moved.location = m_server->url(u"/new/latest"_s).toUtf8();
        m_server->setAnswer("/old/latest", moved);
        FeedServer::Answer release;
        release.body = releaseJson(u"3.0"_s);
        m_server->setAnswer("/new/latest", release);
        FeedServer::Answer away;
        away.status = 302;
        away.reason = "Found";
        away.location = "http://192.0.2.10/latest";
        m_server->setAnswer("/away/latest", away);

        auto followed = makeUpdater(m_server->url(u"/old/latest"_s));
        UpdateCheckResult result = runCheck(*followed);
        QCOMPARE(result.outcome, Outcome::UpdateAvailable);
        QCOMPARE(m_server->requestedPaths(), (QList<QByteArray>{"/old/latest", "/new/latest"}));

        // Leaving this machine over plain http is refused like a configured address would be.
        auto refused = makeUpdater(m_server->url(u"/away/latest"_s));
        result = runCheck(*refused);
        QCOMPARE(result.outcome, Outcome::Failed);
        QCOMPARE(result.error.kind(), ErrorKind::RefusedAddress);
        QVERIFY(result.error.message().contains(u"192.0.2.10"_s));
        QCOMPARE(m_server->requestedPaths().size(), 3);
    }

    void hostileFeeds_data()
    {
        QTest::addColumn<FeedServer::Answer>("answer");
        QTest::addColumn<ErrorKind>("kind");
        QTest::addColumn<QString>("messagePart");

        const QByteArray release = releaseJson(u"v9.0"_s);
        FeedServer::Answer overCap;
        overCap.body = releaseJson(u"v9.0"_s, QString(UpdaterViewModel::maximumAnswerSize, u'x'));
        overCap.noLength = true;
        QTest::newRow("body over the cap, no length given")
            << overCap << ErrorKind::BadAnswer << u"larger than"_s;
        FeedServer::Answer drip;
        drip.body = release;
        drip.drip = true;
        QTest::newRow("one byte a second") << drip << ErrorKind::TimedOut << u"did not answer"_s;
        FeedServer::Answer toHttp;
        toHttp.status = 302;
        toHttp.location = "http://updates.example.org/latest";
        QTest::newRow("redirect to plain http")
            << toHttp << ErrorKind::RefusedAddress << u"http://updates.example.org/latest"_s;
        FeedServer::Answer loop;
        loop.status = 302;
        loop.redirectLoop = true;
        QTest::newRow("redirect loop") << loop << ErrorKind::NetworkFailure << u"redirect"_s;
        FeedServer::Answer cut;
        cut.body = release;
        cut.closeAfter = 10;
        QTest::newRow("connection closed mid-body")
            << cut << ErrorKind::NetworkFailure << u"closed"_s;
        FeedServer::Answer wrongTypes;
        wrongTypes.body = R"({"tag_name": "v9.0", "html_url": "https://example.org/r", "body": 7})";
        QTest::newRow("notes of the wrong type")
            << wrongTypes << ErrorKind::BadAnswer << u"\u201cbody\u201d"_s;
        FeedServer::Answer hugeVersion;
        hugeVersion.body = releaseJson(u"1."_s + QString(500000, u'9'));
        QTest::newRow("enormous version string")
            << hugeVersion << ErrorKind::BadAnswer << u"release tag is 500002 characters"_s;
        FeedServer::Answer plainLink;
        plainLink.body = R"({"tag_name": "v9.0", "html_url": "http://example.org/releases/v9.0"})";
        QTest::newRow("release link not https")
            << plainLink << ErrorKind::BadAnswer << u"https release page"_s;
    }

    // Whatever the feed does, a check ends within its time limit with the matching message and
    // opens nothing.
    void hostileFeeds()
    {
        QFETCH(FeedServer::Answer, answer);
        QFETCH(ErrorKind, kind);
        QFETCH(QString, messagePart);
        m_server->setAnswer(answer);
        UpdaterViewModel::Options limited = options(m_server->url());
        limited.timeout = std::chrono::milliseconds(1500);
        UpdaterViewModel updater(limited);
        updater.setPresenter(&m_presenter);

        QElapsedTimer elapsed;
        elapsed.start();
        const UpdateCheckResult result = runCheck(updater);
        QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(result.outcome, Outcome::Failed);
        QCOMPARE(result.error.kind(), kind);
        QVERIFY2(result.error.message().left(300).contains(messagePart, Qt::CaseInsensitive),
                 qPrintable(result.error.message().left(300)));
        // The message quotes no more of the answer than a person can read.
        QVERIFY(result.error.message().size() < 1000);
        QCOMPARE(m_presenter.shown, QStringList{u"failed"_s});
        QVERIFY(m_opened.isEmpty());
    }

    void userCheckDuringBackgroundCheckIsAnswered()
    {
        FeedServer::Answer answer;
        answer.body = releaseJson(u"1.0"_s);
        answer.delayMs = 300;
        m_server->setAnswer(answer);
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
        QTest::newRow("never checked") << QVariant(true) << absent << true;
        QTest::newRow("an hour ago") << QVariant(true) << QVariant(testNow - 3600) << false;
        QTest::newRow("just under a day") << absent << QVariant(testNow - day + 1) << false;
        QTest::newRow("exactly a day") << QVariant(true) << QVariant(testNow - day) << true;
        QTest::newRow("three days") << absent << QVariant(testNow - 3 * day) << true;
        QTest::newRow("clock set back") << QVariant(true) << QVariant(testNow + 2 * day) << true;
        QTest::newRow("disabled, never checked") << QVariant(false) << absent << false;
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
        FeedServer::Answer answer;
        answer.body = releaseJson(u"1.0"_s);
        m_server->setAnswer(answer);
        auto updater = makeUpdater(m_server->url());

        QCOMPARE(updater->isAutomaticCheckDue(), requests);
        QCOMPARE(runAutomaticStart(*updater), requests);
        QCOMPARE(m_server->requestedPaths().size(), requests ? 1 : 0);
        if (requests) {
            QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime), testNow);
            // Checked now: not again today.
            QVERIFY(!updater->isAutomaticCheckDue());
            QVERIFY(!runAutomaticStart(*updater));
            m_now += day;
            QVERIFY(runAutomaticStart(*updater));
            QCOMPARE(m_server->requestedPaths().size(), 2);
        } else if (lastCheck.isValid()) {
            QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime),
                     lastCheck.toDouble());
        }
    }

    void userChecksCountForTheDailyRule()
    {
        FeedServer::Answer answer;
        answer.body = releaseJson(u"1.0"_s);
        m_server->setAnswer(answer);
        auto updater = makeUpdater(m_server->url());
        QVERIFY(updater->isAutomaticCheckDue());
        runCheck(*updater);
        QVERIFY(!updater->isAutomaticCheckDue());
        QVERIFY(!runAutomaticStart(*updater));
    }

    void backgroundChecksSpeakOnlyOfNewerReleases_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Outcome>("outcome");

        QTest::newRow("newer") << 200 << releaseJson(u"v1.1"_s) << Outcome::UpdateAvailable;
        QTest::newRow("same") << 200 << releaseJson(u"v1.0"_s) << Outcome::UpToDate;
        QTest::newRow("older") << 200 << releaseJson(u"v0.5"_s) << Outcome::UpToDate;
        QTest::newRow("malformed") << 200 << QByteArray("{") << Outcome::Failed;
        QTest::newRow("missing tag") << 200 << QByteArray("{}") << Outcome::Failed;
        QTest::newRow("HTTP 500") << 500 << QByteArray() << Outcome::Failed;
    }

    void backgroundChecksSpeakOnlyOfNewerReleases()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Outcome, outcome);
        FeedServer::Answer answer;
        answer.status = status;
        answer.body = body;
        m_server->setAnswer(answer);
        auto updater = makeUpdater(m_server->url());
        QSignalSpy finished(updater.get(), &UpdaterViewModel::checkFinished);

        QVERIFY(runAutomaticStart(*updater));
        QCOMPARE(finished.count(), 1);
        const auto result = finished.first().first().value<UpdateCheckResult>();
        QCOMPARE(result.origin, Origin::Automatic);
        QCOMPARE(result.outcome, outcome);
        if (outcome == Outcome::UpdateAvailable)
            QCOMPARE(m_presenter.shown, QStringList{u"update available"_s});
        else
            QVERIFY2(m_presenter.shown.isEmpty(), qPrintable(m_presenter.shown.join(u", ")));
    }

    void backgroundChecksSilentWithoutServerOrFeed_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("connection refused") << u"closed port"_s;
        QTest::newRow("no feed") << QString();
        QTest::newRow("insecure feed") << u"http://192.0.2.10/latest"_s;
    }

    void backgroundChecksSilentWithoutServerOrFeed()
    {
        QFETCH(QString, address);
        if (address == u"closed port") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            address = u"http://127.0.0.1:%1/latest"_s.arg(closed.serverPort());
        }
        auto updater = makeUpdater(address);
        QSignalSpy finished(updater.get(), &UpdaterViewModel::checkFinished);
        updater->startAutomaticChecks();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<UpdateCheckResult>().outcome, Outcome::Failed);
        QVERIFY(m_presenter.shown.isEmpty());
    }

    void automaticChecksPreference()
    {
        auto updater = makeUpdater(m_server->url());
        QSignalSpy changed(updater.get(), &UpdaterViewModel::automaticChecksChanged);
        QVERIFY(updater->automaticallyChecksForUpdates());

        updater->setAutomaticallyChecksForUpdates(false);
        QCOMPARE(m_temp->preferences.boolean(PreferenceKeys::enableAutomaticChecks), false);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toBool(), false);
        QVERIFY(!updater->automaticallyChecksForUpdates());

        // A change made elsewhere (the settings window writing the store) is announced too.
        m_temp->preferences.setBoolean(PreferenceKeys::enableAutomaticChecks, true);
        QCOMPARE(changed.count(), 2);
        QVERIFY(updater->automaticallyChecksForUpdates());
        m_temp->preferences.setText(PreferenceKeys::savedPrefixText, u"x"_s);
        QCOMPARE(changed.count(), 2);
    }

    void versionText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("text");

        QTest::newRow("both") << u"1.2"_s << u"34"_s << u"1.2 (34)"_s;
        QTest::newRow("this build's form") << u"1.0"_s << u"1"_s << u"1.0 (1)"_s;
        QTest::newRow("blanks trimmed") << u" 1.0 "_s << u" 7\n"_s << u"1.0 (7)"_s;
        QTest::newRow("no build number") << u"1.2"_s << QString() << QString();
        QTest::newRow("blank build number") << u"1.2"_s << u"  "_s << QString();
        QTest::newRow("no version") << QString() << u"34"_s << QString();
    }

    void versionText()
    {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, text);
        QCOMPARE(UpdaterViewModel::versionText(version, build), text);

        UpdaterViewModel::Options injected = options(QString());
        injected.currentVersion = version;
        injected.buildNumber = build;
        const UpdaterViewModel updater(injected);
        QCOMPARE(updater.versionText(), text);
    }

    void buildOptionsCarryThisBuildsVersion()
    {
        // The build's options use the user's store: keep it inside this test's folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_temp->dir.path()));
        const UpdaterViewModel::Options built = UpdaterViewModel::buildOptions();
        QCOMPARE(built.currentVersion, QStringLiteral(CODEPLEXOR_VERSION));
        QCOMPARE(built.buildNumber, QStringLiteral(CODEPLEXOR_BUILD_NUMBER));
        QCOMPARE(built.feedAddress, UpdateFeed::configuredAddress());
        QVERIFY(VersionNumber::parse(built.currentVersion));
        QVERIFY(built.openUrl);
        QVERIFY(built.clock);
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
