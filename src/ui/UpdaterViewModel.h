#pragma once

#include "ui/UpdateCheckResult.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>

class Preferences;
class QNetworkAccessManager;
class UpdatePresenter;

// The application's update checks: one instance, owned by the application for the whole run.
//
// A check asks the feed compiled into this build (see UpdateFeed) for its newest release and
// compares that release's version with the installed one (see VersionNumber). Nothing is ever
// downloaded or run: a newer release is only announced, with a way to open its web page.
//
// - checkForUpdates() is the check the user starts ("Check for Updates...", "Check Now"). It
//   always answers through the presenter: up to date, a newer release, or what went wrong.
// - startAutomaticChecks() is called once at start. While "SUEnableAutomaticChecks" is true (or
//   absent) it checks in the background when the last check is a day old or more, and
//   re-evaluates that every hour while the application runs. A background check speaks only
//   when a newer release exists; it is silent when up to date and on every failure.
//
// The moment of the last check is kept under "SULastCheckTime" (seconds since 2001-01-01 UTC).
// Any check that got an answer from the feed's server counts, whether started by the user or in
// the background, and whatever the answer; a check that could not reach the server (no
// network, timeout) does not, so the next start tries again.
//
// The network is never waited for: requests run asynchronously on the main thread's event loop
// and are abandoned after a time limit.
class UpdaterViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool checking READ isChecking NOTIFY checkingChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE
                   setAutomaticallyChecksForUpdates NOTIFY automaticChecksChanged)

public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Now, in seconds since 2001-01-01 UTC.
    using Clock = std::function<double()>;

    // Everything a check depends on; tests replace parts of it.
    struct Options {
        // The feed's address; empty when this build has none.
        QString feedAddress;
        // The installed version and build number, for example "1.0" and "1".
        QString currentVersion;
        QString buildNumber;
        // The preference store; must outlive the view model.
        Preferences* preferences = nullptr;
        // The network access to use; null for one of the view model's own. Must outlive it.
        QNetworkAccessManager* network = nullptr;
        // Opens a release page on the desktop.
        UrlOpener openUrl;
        Clock clock;
        // How long a check may take from request to complete answer.
        std::chrono::milliseconds timeout{std::chrono::seconds(30)};
    };

    // This build's feed and version, the user's preferences, the desktop's URL handler and
    // the system clock.
    static Options buildOptions();

    // A day: the least time between two background checks.
    static constexpr double automaticCheckInterval = 24.0 * 60.0 * 60.0;
    // Answers larger than this are refused (a release description is a few kilobytes).
    static constexpr qint64 maximumAnswerSize = 1024 * 1024;

    explicit UpdaterViewModel(QObject* parent = nullptr);
    explicit UpdaterViewModel(Options options, QObject* parent = nullptr);
    ~UpdaterViewModel() override;

    // Shows the answers; not owned, may be null (then only checkFinished reports). Must outlive
    // the view model or be replaced before it goes.
    void setPresenter(UpdatePresenter* presenter);

    // False in a build without an update feed: such a build is updated by whatever installed
    // it, and offers no update checks.
    bool hasFeed() const { return !m_options.feedAddress.trimmed().isEmpty(); }

    const QString& currentVersion() const { return m_options.currentVersion; }
    const QString& buildNumber() const { return m_options.buildNumber; }
    // "1.0 (1)": the version, a blank and the build number in parentheses; empty unless both
    // are known.
    QString versionText() const;
    static QString versionText(const QString& version, const QString& buildNumber);

    // The stored "SUEnableAutomaticChecks"; true when absent or not a Boolean.
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool enabled);

    // True when automatic checks are on and no check got an answer within the last day (or
    // the stored moment lies in the future, which a clock set back can cause).
    bool isAutomaticCheckDue() const;

    // True from the moment a request is sent until its check has finished.
    bool isChecking() const { return m_reply != nullptr; }

public Q_SLOTS:
    // Starts a check that answers the user. While a check is running this makes that check
    // answer the user instead of starting another.
    void checkForUpdates();

    // Starts the background checks; see the class comment. The first evaluation runs once the
    // event loop turns, so start-up is not delayed.
    void startAutomaticChecks();

Q_SIGNALS:
    void checkingChanged(bool checking);
    // Emitted when "SUEnableAutomaticChecks" changes through the preference store.
    void automaticChecksChanged(bool enabled);
    // Emitted when a check ends, before the presenter is called, whatever its origin and
    // outcome.
    void checkFinished(const UpdateCheckResult& result);

private:
    enum class AbortReason { None, TimedOut, TooLarge, RefusedRedirect };

    Preferences& preferences() const;
    void checkInBackgroundIfDue();
    void startCheck(UpdateCheckResult::Origin origin);
    void abortCheck(AbortReason reason);
    void replyFinished(QNetworkReply* reply);
    void finishWithError(const UpdateError& error);
    void finishWithRelease(const UpdateRelease& release);
    void finish(const UpdateCheckResult& result);
    void openReleasePage(const QUrl& page);

    Options m_options;
    UpdatePresenter* m_presenter = nullptr;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    UpdateCheckResult::Origin m_origin = UpdateCheckResult::Origin::User;
    AbortReason m_abortReason = AbortReason::None;
    QUrl m_refusedRedirect;
    // Redirects followed by the running check.
    int m_redirects = 0;
    QTimer m_timeoutTimer;
    QTimer m_scheduleTimer;
};
