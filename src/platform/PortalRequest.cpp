#include "platform/PortalRequest.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QHash>
#include <QPointer>

const QString PortalRequest::service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalRequest::path = QStringLiteral("/org/freedesktop/portal/desktop");

namespace {
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
}

PortalRequest::PortalRequest(QObject* context, Done done)
    : m_context(context)
    , m_done(std::move(done))
{
}

QString PortalRequest::call(const QDBusConnection& bus, const QString& interface, const QString& method,
    QVariantList arguments, QObject* context, Done done, std::function<void()> accepted)
{
    static uint counter = 0;
    const QString token = QStringLiteral("lumaforge%1").arg(++counter);
    QString sender = bus.baseService();
    sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0).replace(QLatin1Char('.'), QLatin1Char('_'));

    auto* request = new PortalRequest(context, std::move(done));
    request->m_bus = bus;
    request->m_requestPath = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    // Nobody is left to answer: stop listening rather than wait for a Response that may never come.
    connect(context, &QObject::destroyed, request, [request] {
        request->m_context = nullptr;
        request->finish(2, {});
    });
    request->m_bus.connect(service, request->m_requestPath, kRequestInterface, QStringLiteral("Response"), request,
        SLOT(onResponse(uint, QVariantMap)));

    QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);

    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(request->m_bus.asyncCall(message), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request,
        [request, method, accepted = std::move(accepted)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (w->isError()) {
                logLine(QStringLiteral("portal call %1 failed: %2").arg(method, w->error().message()));
                request->finish(2, {});
            } else if (accepted && request->m_context && request->m_done) {
                accepted();
            }
        });
    return request->m_requestPath;
}

void PortalRequest::close(const QDBusConnection& bus, const QString& requestPath)
{
    QDBusConnection connection(bus);
    connection.asyncCall(QDBusMessage::createMethodCall(service, requestPath, kRequestInterface, QStringLiteral("Close")));
}

void PortalRequest::onResponse(uint response, const QVariantMap& results)
{
    finish(response, results);
}

void PortalRequest::finish(uint response, const QVariantMap& results)
{
    m_bus.disconnect(service, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
        SLOT(onResponse(uint, QVariantMap)));
    if (m_context && m_done)
        m_done(response, results);
    m_done = nullptr;
    deleteLater();
}

namespace {

constexpr int kVersionTimeoutMs = 1000;

QDBusMessage versionQuestion(const QString& interface)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        PortalRequest::service, PortalRequest::path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({ interface, QStringLiteral("version") });
    return message;
}

uint versionIn(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toUInt();
}

// Answers per connection name and interface. Only the main thread asks.
QHash<QString, uint>& rememberedVersions()
{
    static QHash<QString, uint> versions;
    return versions;
}

QString versionKey(const QDBusConnection& bus, const QString& interface)
{
    return bus.name() + QLatin1Char('\n') + interface;
}

}

uint PortalRequest::version(const QDBusConnection& bus, const QString& interface)
{
    if (!bus.isConnected())
        return 0;
    // A portal that does not answer quickly counts as absent.
    return versionIn(bus.call(versionQuestion(interface), QDBus::Block, kVersionTimeoutMs));
}

uint PortalRequest::rememberedVersion(const QDBusConnection& bus, const QString& interface)
{
    const QString key = versionKey(bus, interface);
    const auto known = rememberedVersions().constFind(key);
    if (known != rememberedVersions().constEnd())
        return *known;
    const uint answer = version(bus, interface);
    rememberedVersions().insert(key, answer);
    return answer;
}

void PortalRequest::learnVersion(const QDBusConnection& bus, const QString& interface)
{
    const QString key = versionKey(bus, interface);
    if (!bus.isConnected() || rememberedVersions().contains(key))
        return;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(versionQuestion(interface), kVersionTimeoutMs), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp, [watcher, key] {
        // An answer someone already waited for stays as it was.
        rememberedVersions().insert(key, rememberedVersions().value(key, versionIn(watcher->reply())));
        watcher->deleteLater();
    });
}

void PortalRequest::forgetVersions()
{
    rememberedVersions().clear();
}
