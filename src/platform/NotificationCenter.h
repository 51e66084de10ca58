#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

// The in-process notification centre: a named notification with optional user info, delivered
// synchronously to every observer on the posting thread, in the order the observers were added.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const QVariantMap& userInfo)>;

    static NotificationCenter& defaultCenter();

    // Calls `handler` for every later post of `name` until `context` is destroyed or the returned
    // connection is disconnected.
    QMetaObject::Connection addObserver(const QString& name, const QObject* context,
                                        Handler handler);

    void post(const QString& name, const QVariantMap& userInfo = {});

Q_SIGNALS:
    void posted(const QString& name, const QVariantMap& userInfo);
};
