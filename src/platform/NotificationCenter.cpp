#include "platform/NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

QMetaObject::Connection NotificationCenter::addObserver(const QString& name, const QObject* context,
                                                        Handler handler)
{
    return connect(
        this, &NotificationCenter::posted, context,
        [name, handler = std::move(handler)](const QString& postedName,
                                             const QVariantMap& userInfo) {
            if (postedName == name)
                handler(userInfo);
        },
        Qt::DirectConnection);
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo)
{
    Q_EMIT posted(name, userInfo);
}
