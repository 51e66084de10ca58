#include "ui/UpdaterViewModel.h"

#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "model/ReferenceDate.h"
#include "ui/UpdateFeed.h"
#include "ui/UpdatePresenter.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

using Origin = UpdateCheckResult::Origin;
using Outcome = UpdateCheckResult::Outcome;

constexpr int maximumRedirects = 5;
constexpr std::chrono::hours scheduleInterval{1};

} // namespace

UpdaterViewModel::Options UpdaterViewModel::buildOptions()
{
    Options options;
    options.feedAddress = UpdateFeed::configuredAddress();
    options.currentVersion = QStringLiteral(CODEPLEXOR_VERSION);
    options.buildNumber = QStringLiteral(CODEPLEXOR_BUILD_NUMBER);
    options.preferences = &Preferences::standard();
    options.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    options.clock = &ReferenceDate::now;
    return options;
}

UpdaterViewModel::UpdaterViewModel(QObject* parent)
    : UpdaterViewModel(buildOptions(), parent)
{}

UpdaterViewModel::UpdaterViewModel(Options options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    if (!m_options.preferences)
        m_options.preferences = &Preferences::standard();
    if (!m_options.clock)
        m_options.clock = &ReferenceDate::now;
    m_network = m_options.network ? m_options.network : new QNetworkAccessManager(this);

    m_timeoutTimer.setSingleShot(true);
    connect(&m_timeoutTimer, &QTimer::timeout, this, [this] { abortCheck(AbortReason::TimedOut); });
    m_scheduleTimer.setInterval(scheduleInterval);
    connect(&m_scheduleTimer, &QTimer::timeout, this, &UpdaterViewModel::checkInBackgroundIfDue);

    connect(m_options.preferences, &Preferences::changed, this, [this](const QString& key) {
        if (key == PreferenceKeys::enableAutomaticChecks)
            Q_EMIT automaticChecksChanged(automaticallyChecksForUpdates());
    });
}

UpdaterViewModel::~UpdaterViewModel()
{
    // Drop a running check without answering: nobody is left to hear it.
    if (QNetworkReply* reply = m_reply) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        delete reply;
    }
}

void UpdaterViewModel::setPresenter(UpdatePresenter* presenter)
{
    m_presenter = presenter;
}

QString UpdaterViewModel::versionText() const
{
    return versionText(m_options.currentVersion, m_options.buildNumber);
}

QString UpdaterViewModel::versionText(const QString& version, const QString& buildNumber)
{
    const QString shortVersion = version.trimmed();
    const QString build = buildNumber.trimmed();
    if (shortVersion.isEmpty() || build.isEmpty())
        return {};
    return shortVersion + u" (" + build + u')';
}

Preferences& UpdaterViewModel::preferences() const
{
    return *m_options.preferences;
}

bool UpdaterViewModel::automaticallyChecksForUpdates() const
{
    return preferences().boolean(PreferenceKeys::enableAutomaticChecks).value_or(true);
}

void UpdaterViewModel::setAutomaticallyChecksForUpdates(bool enabled)
{
    preferences().setBoolean(PreferenceKeys::enableAutomaticChecks, enabled);
}

bool UpdaterViewModel::isAutomaticCheckDue() const
{
    if (!automaticallyChecksForUpdates())
        return false;
    const std::optional<double> last = preferences().number(PreferenceKeys::lastUpdateCheckTime);
    if (!last)
        return true;
    const double elapsed = m_options.clock() - *last;
    return !(elapsed >= 0.0 && elapsed < automaticCheckInterval);
}

void UpdaterViewModel::checkForUpdates()
{
    if (m_reply) {
        m_origin = Origin::User;
        return;
    }
    startCheck(Origin::User);
}

void UpdaterViewModel::startAutomaticChecks()
{
    m_scheduleTimer.start();
    QTimer::singleShot(0, this, &UpdaterViewModel::checkInBackgroundIfDue);
}

void UpdaterViewModel::checkInBackgroundIfDue()
{
    if (!m_reply && isAutomaticCheckDue())
        startCheck(Origin::Automatic);
}

void UpdaterViewModel::startCheck(Origin origin)
{
    m_origin = origin;
    m_abortReason = AbortReason::None;
    m_refusedRedirect.clear();
    m_redirects = 0;

    const QString address = m_options.feedAddress.trimmed();
    if (address.isEmpty()) {
        finishWithError(UpdateError(UpdateError::Kind::NoFeedConfigured, {}));
        return;
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!UpdateFeed::isAllowedAddress(url)) {
        finishWithError(UpdateError(UpdateError::Kind::RefusedAddress, address));
        return;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QString(u"CodePlexor/" + m_options.currentVersion));
    request.setRawHeader("Accept", "application/json");

    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (reply != m_reply)
            return;
        // Follow a redirect only to an allowed address, and never from https down to http.
        const bool downgrade =
            target.scheme().compare(QLatin1StringView("https"), Qt::CaseInsensitive) != 0 &&
            !UpdateFeed::isLoopbackHost(reply->url().host());
        if (UpdateFeed::isAllowedAddress(target) && !downgrade) {
            ++m_redirects;
            Q_EMIT reply->redirectAllowed();
            return;
        }
        m_refusedRedirect = target;
        abortCheck(AbortReason::RefusedRedirect);
    });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) {
                if (reply == m_reply && (received > maximumAnswerSize || total > maximumAnswerSize))
                    abortCheck(AbortReason::TooLarge);
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
    m_timeoutTimer.start(m_options.timeout);
    Q_EMIT checkingChanged(true);
}

void UpdaterViewModel::abortCheck(AbortReason reason)
{
    if (!m_reply)
        return;
    m_abortReason = reason;
    // Emits finished at once, which ends the check.
    m_reply->abort();
}

void UpdaterViewModel::replyFinished(QNetworkReply* reply)
{
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_timeoutTimer.stop();
    reply->deleteLater();
    Q_EMIT checkingChanged(false);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // The server answered, whatever it said: that counts as today's check.
    if (status.isValid() && m_abortReason != AbortReason::TimedOut)
        preferences().setNumber(PreferenceKeys::lastUpdateCheckTime, m_options.clock());

    switch (m_abortReason) {
    case AbortReason::TimedOut:
        finishWithError(UpdateError(UpdateError::Kind::TimedOut, {}));
        return;
    case AbortReason::TooLarge:
        finishWithError(
            UpdateError(UpdateError::Kind::BadAnswer,
                        QStringLiteral("it is larger than %1 bytes").arg(maximumAnswerSize)));
        return;
    case AbortReason::RefusedRedirect:
        finishWithError(
            UpdateError(UpdateError::Kind::RefusedAddress, m_refusedRedirect.toDisplayString()));
        return;
    case AbortReason::None:
        break;
    }

    const int statusCode = status.toInt();
    // A feed that keeps redirecting ends with the network layer giving up: with its error, or
    // with the status of an interim or redirect answer and no release.
    const bool interimStatus = statusCode < 200 || (statusCode >= 300 && statusCode < 400);
    if (reply->error() == QNetworkReply::TooManyRedirectsError ||
        (m_redirects > 0 && status.isValid() && interimStatus)) {
        finishWithError(UpdateError(
            UpdateError::Kind::NetworkFailure,
            QStringLiteral("it redirected %1 times without an answer").arg(m_redirects)));
        return;
    }
    if (status.isValid() && (statusCode < 200 || statusCode > 299)) {
        finishWithError(UpdateError(
            UpdateError::Kind::HttpStatus,
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed(),
            statusCode));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finishWithError(UpdateError(UpdateError::Kind::NetworkFailure, reply->errorString()));
        return;
    }

    const QByteArray answer = reply->read(maximumAnswerSize + 1);
    // A connection closed in the middle of the body may end the reply without an error; the
    // stated length tells (when the body came as sent, not compressed).
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && answer.size() < length.toLongLong() &&
        !reply->hasRawHeader("Content-Encoding")) {
        finishWithError(
            UpdateError(UpdateError::Kind::NetworkFailure,
                        QStringLiteral("the connection closed before the whole answer arrived")));
        return;
    }
    if (answer.size() > maximumAnswerSize) {
        finishWithError(
            UpdateError(UpdateError::Kind::BadAnswer,
                        QStringLiteral("it is larger than %1 bytes").arg(maximumAnswerSize)));
        return;
    }
    QString problem;
    const std::optional<UpdateRelease> release = UpdateRelease::fromJson(answer, &problem);
    if (!release) {
        finishWithError(UpdateError(UpdateError::Kind::BadAnswer, problem));
        return;
    }
    finishWithRelease(*release);
}

void UpdaterViewModel::finishWithError(const UpdateError& error)
{
    UpdateCheckResult result;
    result.outcome = Outcome::Failed;
    result.origin = m_origin;
    result.currentVersion = m_options.currentVersion;
    result.error = error;
    finish(result);
}

void UpdaterViewModel::finishWithRelease(const UpdateRelease& release)
{
    UpdateCheckResult result;
    result.origin = m_origin;
    result.currentVersion = m_options.currentVersion;
    result.release = release;
    // An installed version that cannot be read counts as older than every release.
    const std::optional<VersionNumber> installed = VersionNumber::parse(m_options.currentVersion);
    const bool newer = !installed || release.version() > *installed;
    result.outcome = newer ? Outcome::UpdateAvailable : Outcome::UpToDate;
    finish(result);
}

void UpdaterViewModel::finish(const UpdateCheckResult& result)
{
    Q_EMIT checkFinished(result);
    if (!m_presenter)
        return;
    switch (result.outcome) {
    case Outcome::UpdateAvailable: {
        const QPointer<UpdaterViewModel> self(this);
        const QUrl page = result.release.pageUrl();
        m_presenter->presentUpdateAvailable(result.release, result.currentVersion, [self, page] {
            if (self)
                self->openReleasePage(page);
        });
        break;
    }
    case Outcome::UpToDate:
        if (result.origin == Origin::User)
            m_presenter->presentUpToDate(result.currentVersion);
        break;
    case Outcome::Failed:
        if (result.origin == Origin::User)
            m_presenter->presentCheckFailed(result.error);
        break;
    }
}

void UpdaterViewModel::openReleasePage(const QUrl& page)
{
    if (m_options.openUrl)
        m_options.openUrl(page);
}
