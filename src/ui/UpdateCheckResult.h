#pragma once

#include "ui/UpdateError.h"
#include "ui/UpdateRelease.h"

#include <QString>

// The outcome of one update check, as UpdaterViewModel::checkFinished reports it.
struct UpdateCheckResult {
    enum class Outcome {
        // The feed's newest release is not newer than the installed version.
        UpToDate,
        // The feed's newest release is newer; `release` describes it.
        UpdateAvailable,
        // No answer about versions; `error` says why.
        Failed,
    };
    enum class Origin {
        // Started by the user, who always gets an answer.
        User,
        // Started by the daily background check, which speaks only about a newer release.
        Automatic,
    };

    Outcome outcome = Outcome::Failed;
    Origin origin = Origin::User;
    // The installed version the release was compared with.
    QString currentVersion;
    // The feed's newest release; set for UpToDate and UpdateAvailable.
    UpdateRelease release;
    // Set for Failed.
    UpdateError error;
};
