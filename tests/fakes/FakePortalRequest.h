#pragma once
// What the stand-in portals of the tests share: the request path a call names, the Response it
// answers with, and a request object left open that counts the caller's Close.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include <atomic>

// The request object path the portal makes for `call` and its handle token.
inline QString portalRequestPath(const QDBusMessage& call, const QString& token)
{
    const QString sender = call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

// Sends the Response a portal request answers with.
inline void respond(QDBusConnection& bus, const QDBusMessage& call, const QString& token, uint answer, const QVariantMap& results)
{
    QDBusMessage response = QDBusMessage::createSignal(
        portalRequestPath(call, token), QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << answer << results;
    bus.send(response);
}

class FakePortalRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    FakePortalRequest(QObject* parent, std::atomic<int>* closes)
        : QObject(parent)
        , m_closes(closes)
    {
    }
public Q_SLOTS:
    void Close() { ++*m_closes; }

private:
    std::atomic<int>* m_closes;
};
