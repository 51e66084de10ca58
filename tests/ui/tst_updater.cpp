#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "ui/UpdateDialogs.h"
#include "ui/UpdateFeed.h"
#include "ui/UpdatePresenter.h"
#include "ui/UpdateRelease.h"
#include "ui/UpdaterViewModel.h"
#include "ui/VersionNumber.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPushButton>
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
        int status = 200;     // 0: no server listens at all
        QString address = {}; // asked instead of this server when not null
        QByteArray body = {};
        QByteArray location = {};
        int delayMs = 0;
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
    QString url() const
    {
        return u"http://127.0.0.1:%1/releases/latest"_s.arg(m_server.serverPort());
    }
    void setAnswer(const Answer& answer) { m_defaultAnswer = answer; }
    const QList<QByteArray>& requestedPaths() const { return m_paths; }

private:
    void read(QTcpSocket* socket)
    {
        // The request stays in the socket until its head is whole.
        const QByteArray request = socket->peek(socket->bytesAvailable());
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
        m_paths.append(path);
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
                target->write(answer.closeAfter < 0 ? answer.body
                                                    : answer.body.left(answer.closeAfter));
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
    QList<QByteArray> m_paths;
};

// Records what a check shows; keeps the "View Release" answer.
class RecordingPresenter : public UpdatePresenter {
public:
    QStringList shown;
    std::function<void()> viewRelease;

    void presentUpToDate(const QString&) override { shown.append(u"up to date"_s); }
    void presentUpdateAvailable(const UpdateRelease&, const QString&,
                                std::function<void()> open) override
    {
        shown.append(u"update available"_s);
        viewRelease = std::move(open);
    }
    void presentCheckFailed(const UpdateError&) override { shown.append(u"failed"_s); }
};

QByteArray releaseJson(const QString& tag, const QString& notes = u"Faster scans."_s)
{
    return QJsonDocument(
               QJsonObject{{u"tag_name"_s, tag},
                           {u"html_url"_s, QString(u"https://example.org/releases/"_s + tag)},
                           {u"body"_s, notes}})
        .toJson(QJsonDocument::Compact);
}

UpdateRelease releaseWithNotes(const QString& tag, const QString& notes)
{
    return *UpdateRelease::fromJson(releaseJson(tag, notes), nullptr);
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
    // The window the messages belong to.
    QWidget m_window;

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
    void initTestCase() { m_window.show(); }

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
                            ErrorKind kind = {}, const QString& part = {}, bool counted = true) {
            QTest::newRow(name) << feed << outcome << kind << part << counted;
        };
        const Outcome failed = Outcome::Failed;
        row("newer", {.body = releaseJson(u"v1.2.0"_s)}, Outcome::UpdateAvailable);
        row("same", {.body = releaseJson(u"v1.0.0"_s)}, Outcome::UpToDate);
        row("older", {.body = releaseJson(u"0.9.7"_s)}, Outcome::UpToDate);
        row("invalid JSON", {.body = "{\"tag_name\": \"v2.0\", \"html_url\": "}, failed,
            ErrorKind::BadAnswer, u"not valid JSON"_s);
        // With a length the answer is refused before its body; without, as the body arrives.
        const QByteArray overCap =
            releaseJson(u"v9.0"_s, QString(UpdaterViewModel::maximumAnswerSize, u'x'));
        row("body over the cap, length given", {.body = overCap}, failed, ErrorKind::BadAnswer,
            u"larger than"_s);
        row("body over the cap, no length given", {.body = overCap, .noLength = true}, failed,
            ErrorKind::BadAnswer, u"larger than"_s);
        row("connection closed mid-body", {.body = releaseJson(u"v9.0"_s), .closeAfter = 10},
            failed, ErrorKind::NetworkFailure, u"closed"_s);
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
        // Refused before anything is sent.
        row("no feed in this build", {.address = u""_s}, failed, ErrorKind::NoFeedConfigured, {},
            false);
        row("blank feed", {.address = u"  "_s}, failed, ErrorKind::NoFeedConfigured, {}, false);
        row("plain http to the network", {.address = u"http://192.0.2.10/latest"_s}, failed,
            ErrorKind::RefusedAddress, u"http://192.0.2.10/latest"_s, false);
    }

    void userCheck()
    {
        QFETCH(FeedServer::Answer, feed);
        QFETCH(Outcome, outcome);
        QFETCH(ErrorKind, kind);
        QFETCH(QString, messagePart);
        QFETCH(bool, counted);
        m_server->setAnswer(feed);
        const bool sent = feed.address.isNull();
        auto updater = makeUpdater(!sent         ? feed.address
                                   : feed.status ? m_server->url()
                                                 : closedPort(),
                                   std::chrono::milliseconds(1500));
        QSignalSpy checking(updater.get(), &UpdaterViewModel::checkingChanged);

        const UpdateCheckResult result = runCheck(*updater);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(checking.count(), sent ? 2 : 0);
        QCOMPARE(m_server->requestedPaths().isEmpty(), !sent || !feed.status);
        const char* shown = outcome == Outcome::UpdateAvailable ? "update available"
                            : outcome == Outcome::UpToDate      ? "up to date"
                                                                : "failed";
        QCOMPARE(m_presenter.shown, QStringList{QString::fromLatin1(shown)});
        if (outcome == Outcome::Failed) {
            QCOMPARE(result.error.kind(), kind);
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

    // The daily check speaks only of a newer release; failures stay silent, and any answer
    // counts as the day's check.
    void onceADay_data()
    {
        QTest::addColumn<QVariant>("enabled");
        QTest::addColumn<QVariant>("lastCheck");
        QTest::addColumn<bool>("due");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("shown");
        const QVariant absent;
        const QByteArray same = releaseJson(u"1.0"_s);
        QTest::newRow("fresh installation, newer")
            << absent << absent << true << releaseJson(u"v1.1"_s)
            << QStringList{u"update available"_s};
        QTest::newRow("just under a day")
            << absent << QVariant(testNow - day + 1) << false << same << QStringList();
        QTest::newRow("exactly a day, malformed") << QVariant(true) << QVariant(testNow - day)
                                                  << true << QByteArray("{") << QStringList();
        QTest::newRow("clock set back, same")
            << QVariant(true) << QVariant(testNow + 2 * day) << true << same << QStringList();
        QTest::newRow("disabled, long ago")
            << QVariant(false) << QVariant(0.0) << false << same << QStringList();
    }

    void onceADay()
    {
        QFETCH(QVariant, enabled);
        QFETCH(QVariant, lastCheck);
        QFETCH(bool, due);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, shown);
        if (enabled.isValid())
            m_temp->preferences.setBoolean(PreferenceKeys::enableAutomaticChecks, enabled.toBool());
        if (lastCheck.isValid())
            m_temp->preferences.setNumber(PreferenceKeys::lastUpdateCheckTime,
                                          lastCheck.toDouble());
        m_server->setAnswer({.body = body});
        auto updater = makeUpdater(m_server->url());

        QCOMPARE(updater->isAutomaticCheckDue(), due);
        QCOMPARE(runAutomaticStart(*updater), due);
        QCOMPARE(m_server->requestedPaths().size(), due ? 1 : 0);
        QCOMPARE(m_presenter.shown, shown);
        if (!due)
            return;
        // Checked now: not again today, but again tomorrow.
        QCOMPARE(m_temp->preferences.number(PreferenceKeys::lastUpdateCheckTime), testNow);
        QVERIFY(!runAutomaticStart(*updater));
        m_now += day;
        QVERIFY(runAutomaticStart(*updater));
        QCOMPARE(m_server->requestedPaths().size(), 2);
    }

    void shownVersion()
    {
        QCOMPARE(UpdaterViewModel::versionText(u" 1.0 "_s, u" 7\n"_s), u"1.0 (7)"_s);
        QCOMPARE(UpdaterViewModel::versionText(u"1.2"_s, u"  "_s), QString());
        // This build's own version is one the feed's versions can be compared with.
        QVERIFY(VersionNumber::parse(QStringLiteral(CODEPLEXOR_VERSION)));
    }

    // The loopback forms a feed on this machine may use over plain http, and the near misses.
    void allowedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        const auto row = [](const char* name, const char* address, bool allowed) {
            QTest::newRow(name) << QString::fromUtf8(address) << allowed;
        };
        row("https", "https://updates.example.org/releases/latest", true);
        row("http loopback range", "http://127.45.6.7/latest", true);
        row("http localhost", "http://localhost:9000/latest", true);
        row("http LOCALHOST.", "http://LOCALHOST./latest", true);
        row("http ipv6 loopback", "http://[::1]:9000/latest", true);
        row("http localhost subdomain", "http://localhost.example.org/x", false);
        row("http unspecified address", "http://0.0.0.0/latest", false);
        row("http ipv6 other", "http://[2001:db8::1]/latest", false);
        row("no host", "https:///latest", false);
    }

    void allowedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        QCOMPARE(UpdateFeed::isAllowedAddress(QUrl(address, QUrl::StrictMode)), allowed);
    }

    // A release is read, or refused with a problem that names the field at fault.
    void releaseRecord_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("notesOrProblem");
        QTest::addColumn<bool>("read");
        const auto row = [](const char* name, const QByteArray& json, const QString& text,
                            bool read = false) { QTest::newRow(name) << json << text << read; };
        const QByteArray release = "{\"tag_name\":\"2\",\"html_url\":\"https://e.org/r\"";
        row("notes kept as written", release + ",\"body\":\"a\\r\\n- b\"}", u"a\r\n- b"_s, true);
        row("notes absent", release + "}", QString(), true);
        row("notes null", release + ",\"body\":null}", QString(), true);
        row("notes of the wrong type", release + ",\"body\":7}", u"\u201cbody\u201d"_s);
        row("trailing garbage", release + "} x", u"not valid JSON"_s);
        row("array instead of object", "[" + release + "}]", u"not a JSON object"_s);
        row("blank tag", "{\"tag_name\":\"  \"}", u"tag_name"_s);
        row("tag not a version", "{\"tag_name\":\"nightly\"}",
            u"\u201cnightly\u201d is not a version number"_s);
        // Not quoted back: a tag this long is no version anyone reads.
        row("enormous tag", "{\"tag_name\":\"1." + QByteArray(500, '9') + "\"}",
            u"the release tag is 502 characters long"_s);
        row("page not https", "{\"tag_name\":\"2\",\"html_url\":\"http://e.org/r\"}",
            u"https release page"_s);
    }

    void releaseRecord()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, notesOrProblem);
        QFETCH(bool, read);
        QString problem;
        const auto release = UpdateRelease::fromJson(json, &problem);
        QCOMPARE(bool(release), read);
        if (!read) {
            QVERIFY2(problem.contains(notesOrProblem) && problem.size() < 200, qPrintable(problem));
            return;
        }
        QCOMPARE(release->notes(), notesOrProblem);
        QCOMPARE(release->version().toString(), u"2"_s);
        QCOMPARE(release->pageUrl(), QUrl(u"https://e.org/r"_s));
    }

    // Each row's left version is older than (-1) or equal to (0) its right one.
    void versionOrder_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("order");
        const auto row = [](const char* name, const char* left, const char* right, int order) {
            QTest::newRow(name) << QString::fromUtf8(left) << QString::fromUtf8(right) << order;
        };
        row("minor numerically", "1.9", "1.10", -1);
        row("extra component", "1.2", "1.2.1", -1);
        row("beyond 64 bits", "1.18446744073709551615", "1.18446744073709551616", -1);
        row("pre-release before release", "1.2-beta", "1.2", -1);
        row("alpha before beta", "1.2-alpha", "1.2-beta", -1);
        row("suffix numbers numerically", "1.2-beta.2", "1.2-beta.10", -1);
        row("suffix case ignored, number decides", "1.2-RC1", "1.2-rc2", -1);
        row("numeric piece before word", "1.2-1", "1.2-alpha", -1);
        row("pre-release of missing component", "1.2-rc1", "1.2.0.1", -1);
        row("missing components are zero", "1.2", "1.2.0.0", 0);
        row("v prefix", "v1.0", "1", 0);
        row("leading zeros", "01.002", "1.2", 0);
        row("build metadata ignored", "1.2+linux.7", "1.2", 0);
        row("suffix separators", "1.2rc1", "1.2-rc.1", 0);
        row("surrounding blanks", "  1.4\n", "1.4", 0);
    }

    void versionOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, order);
        const auto a = VersionNumber::parse(left);
        const auto b = VersionNumber::parse(right);
        QVERIFY(a && b);
        QCOMPARE(VersionNumber::compare(*a, *b), order);
        QCOMPARE(VersionNumber::compare(*b, *a), -order);
    }

    // Texts that are no version; a version shows as written, less the "v" and build metadata.
    void versionText()
    {
        for (const char* text : {"", "v", ".1", "1..2", "1.", "1.2-", "1.2 beta", "-1.2", "1.2/3"})
            QVERIFY2(!VersionNumber::parse(QString::fromUtf8(text)), text);
        QCOMPARE(VersionNumber::parse(u"v007.2.0-rc1+x"_s)->toString(), u"007.2.0-rc1"_s);
    }

    // The messages a check shows.
    void answers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("up to date")
            << u"current"_s << int(QMessageBox::Information) << u"You\u2019re up to date!"_s
            << u"Code Plexor 1.0 is the newest version available."_s << QStringList{u"OK"_s};
        QTest::newRow("newer release")
            << u"newer"_s << int(QMessageBox::Information)
            << u"A new version of Code Plexor is available!"_s
            << u"Code Plexor 1.2 is now available \u2014 you have 1.0.\n\nFaster scans."_s
            << QStringList{u"Later"_s, u"View Release"_s};
        QTest::newRow("HTTP status")
            << u"404"_s << int(QMessageBox::Warning) << u"Update check failed"_s
            << u"The update server answered with HTTP status 404 (Not Found)."_s
            << QStringList{u"OK"_s};
    }

    void answers()
    {
        QFETCH(QString, answer);
        QFETCH(int, icon);
        QFETCH(QString, text);
        QFETCH(QString, informative);
        QFETCH(QStringList, buttons);
        UpdateDialogs dialogs(&m_window);
        int opened = 0;
        if (answer == u"current")
            dialogs.presentUpToDate(u"1.0"_s);
        else if (answer == u"newer")
            dialogs.presentUpdateAvailable(releaseWithNotes(u"v1.2"_s, u"Faster scans."_s),
                                           u"1.0"_s, [&opened] { ++opened; });
        else
            dialogs.presentCheckFailed(
                UpdateError(UpdateError::Kind::HttpStatus, u"Not Found"_s, 404));
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->parentWidget(), &m_window);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->informativeText(), informative);
        QStringList shown;
        for (QAbstractButton* button : box->buttons())
            shown.append(button->text().remove(u'&'));
        shown.sort();
        QCOMPARE(shown, buttons);
        // OK, or View Release (the default), closes the message.
        QAbstractButton* accept =
            buttons.size() == 1 ? box->buttons().constFirst() : box->defaultButton();
        QCOMPARE(accept->text().remove(u'&'), buttons.last());
        accept->click();
        QCOMPARE(opened, answer == u"newer" ? 1 : 0);
        QTRY_VERIFY(!dialogs.currentMessage());
    }

    // Notes from the feed are text, never markup or links; long notes are cut, whole under the
    // details; a second answer replaces the first; "Later" opens nothing.
    void releaseNotes()
    {
        UpdateDialogs dialogs(&m_window);
        int opened = 0;
        QStringList lines{u"<b>Bold</b> <a href=\"file:///etc/passwd\">link</a>"_s};
        for (int i = 1; i < 40; ++i)
            lines.append(u"- change %1"_s.arg(i));
        const QString notes = lines.join(u'\n');
        const auto present = [&] {
            dialogs.presentUpdateAvailable(releaseWithNotes(u"2.0"_s, notes), u"1.0"_s,
                                           [&opened] { ++opened; });
        };
        present();
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box->informativeText().endsWith(lines.mid(0, 20).join(u'\n') + u'\u2026'));
        QCOMPARE(box->detailedText(), notes);
        const QList<QLabel*> labels = box->findChildren<QLabel*>();
        QVERIFY(labels.size() >= 2);
        for (const QLabel* label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(!label->openExternalLinks());
        }

        const QPointer<QMessageBox> first = box;
        dialogs.presentUpToDate(u"1.0"_s);
        QVERIFY(!first);
        int visible = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            visible += qobject_cast<QMessageBox*>(widget) && widget->isVisible();
        QCOMPARE(visible, 1);
        present();
        dialogs.currentMessage()->findChild<QPushButton*>(u"laterButton"_s)->click();
        QCOMPARE(opened, 0);
        QTRY_VERIFY(!dialogs.currentMessage());
        // Short notes with Windows line ends are shown whole, without a details section.
        dialogs.presentUpdateAvailable(releaseWithNotes(u"2.0"_s, u"a\r\nb"_s), u"1.0"_s, {});
        QVERIFY(dialogs.currentMessage()->detailedText().isEmpty());
    }

    void notesExcerpt_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("excerpt");
        const qsizetype most = UpdateDialogs::maximumNotesLength;
        QStringList lines;
        for (int i = 0; i < 20; ++i)
            lines.append(QString::number(i));
        const QString twenty = lines.join(u'\n');
        QTest::newRow("short") << u"  Fixes.\n"_s << u"Fixes."_s;
        QTest::newRow("windows line ends") << u"a\r\nb"_s << u"a\nb"_s;
        QTest::newRow("twenty lines kept") << twenty << twenty;
        QTest::newRow("long line cut")
            << QString(most + 50, u'x') << QString(most, u'x') + u'\u2026';
        QTest::newRow("surrogate pair kept whole")
            << QString(most - 1, u'y') + u"\U0001F600"_s << QString(most - 1, u'y') + u'\u2026';
    }

    void notesExcerpt()
    {
        QFETCH(QString, notes);
        QFETCH(QString, excerpt);
        QCOMPARE(UpdateDialogs::notesExcerpt(notes), excerpt);
    }
};

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
