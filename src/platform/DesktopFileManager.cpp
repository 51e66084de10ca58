#include "platform/DesktopFileManager.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString fileManagerInterface = QStringLiteral("org.freedesktop.FileManager1");
const QString showItemsMethod = QStringLiteral("ShowItems");

} // namespace

DesktopFileManager::DesktopFileManager()
    : DesktopFileManager(
          QDBusConnection::sessionBus(),
          [](const QUrl& location) { return QDesktopServices::openUrl(location); },
          defaultTimeoutMs)
{}

DesktopFileManager::DesktopFileManager(const QDBusConnection& bus, Opener fallback, int timeoutMs)
    : m_bus(bus)
    , m_fallback(std::move(fallback))
    , m_timeoutMs(timeoutMs)
{}

void DesktopFileManager::revealFolder(const QString& folderPath)
{
    const QUrl location = QUrl::fromLocalFile(folderPath);
    if (!m_bus.isConnected()) {
        m_fallback(location);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(fileManagerService, fileManagerPath,
                                                       fileManagerInterface, showItemsMethod);
    // The second argument is a startup-notification id, which a request without a launching
    // event does not have.
    call << QStringList{location.toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs));
    // The watcher owns what the answer needs, so the answer is handled even when this object
    // is gone by then.
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [fallback = m_fallback, location](QDBusPendingCallWatcher* finished) {
                         if (finished->isError())
                             fallback(location);
                         finished->deleteLater();
                     });
}
