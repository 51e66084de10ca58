#pragma once

#include "platform/FileManager.h"

#include <QDBusConnection>
#include <QUrl>

#include <functional>

// Reveals folders through the freedesktop.org file-manager interface on the session bus
// (org.freedesktop.FileManager1.ShowItems with the folder's file URI), which opens the parent
// folder with the folder selected. When no file manager answers (no session bus, no service,
// an error, or no reply within the timeout) the folder itself is opened with the desktop's
// default handler instead.
//
// The call is asynchronous: the answer, or the timeout, arrives through the event loop.
class DesktopFileManager : public FileManager {
public:
    // Opens a location with the desktop's default handler; true when it was handed over.
    using Opener = std::function<bool(const QUrl& location)>;

    static constexpr int defaultTimeoutMs = 5000;

    // The session bus, QDesktopServices::openUrl as the fallback.
    DesktopFileManager();
    // For tests: another bus, another fallback and a shorter timeout.
    DesktopFileManager(const QDBusConnection& bus, Opener fallback, int timeoutMs);

    void revealFolder(const QString& folderPath) override;

private:
    QDBusConnection m_bus;
    Opener m_fallback;
    int m_timeoutMs;
};
