#pragma once

#include "ui/UpdateError.h"
#include "ui/UpdateRelease.h"

#include <QString>

#include <functional>

// Shows the answers of update checks to the user. The application gives one to its
// UpdaterViewModel; tests give one that records what it was asked to show.
//
// Every call comes on the main thread, after the check has finished. A presenter must not block
// on the caller's behalf for longer than it takes to put its message on screen.
class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;

    // The installed version (`currentVersion`, for example "1.0") is the newest.
    virtual void presentUpToDate(const QString& currentVersion) = 0;

    // `release` is newer than `currentVersion`. Calling `viewRelease` (at any later time, any
    // number of times) opens the release's page; the presenter calls it when the user asks
    // for the page and does nothing when the user chooses to wait.
    virtual void presentUpdateAvailable(const UpdateRelease& release, const QString& currentVersion,
                                        std::function<void()> viewRelease) = 0;

    // A check that the user started failed.
    virtual void presentCheckFailed(const UpdateError& error) = 0;
};
