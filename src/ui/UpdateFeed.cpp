#include "ui/UpdateFeed.h"

#include <QHostAddress>

#ifndef CODEPLEXOR_UPDATE_FEED_URL
#define CODEPLEXOR_UPDATE_FEED_URL ""
#endif

QString UpdateFeed::configuredAddress()
{
    return QStringLiteral(CODEPLEXOR_UPDATE_FEED_URL).trimmed();
}

bool UpdateFeed::isAllowedAddress(const QUrl& address)
{
    if (!address.isValid() || address.isRelative() || address.host().isEmpty())
        return false;
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1StringView("https"))
        return true;
    return scheme == QLatin1StringView("http") && isLoopbackHost(address.host());
}

bool UpdateFeed::isLoopbackHost(const QString& host)
{
    QString name = host.toLower();
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name == QLatin1StringView("localhost"))
        return true;
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    QHostAddress literal;
    if (!literal.setAddress(name))
        return false;
    return literal.isLoopback();
}
