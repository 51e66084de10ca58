#pragma once

#include <QString>
#include <QUrl>

// Where update checks ask for the newest release, and which addresses they may contact.
//
// The feed address is fixed when the application is built (CMake cache variable
// CODEPLEXOR_UPDATE_FEED_URL); a build without one cannot check for updates. Only https
// addresses are contacted, so that nobody on the way can announce a release. Plain http is
// allowed only to this machine's loopback addresses (127.0.0.0/8, ::1 and "localhost"), where
// nothing travels over a network; tests serve their feeds there.
class UpdateFeed {
public:
    // The address compiled into this build; empty when none was set.
    static QString configuredAddress();

    // True when `address` is an absolute https address with a host, or http to a loopback host.
    static bool isAllowedAddress(const QUrl& address);

    // True for "localhost" and for literal loopback addresses; never for other names, even
    // ones that would resolve to a loopback address.
    static bool isLoopbackHost(const QString& host);
};
