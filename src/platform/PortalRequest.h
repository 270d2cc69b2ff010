#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

// xdg-desktop-portal calls that answer through a Request object. The Response signal is
// subscribed to before the call is made (its object path follows from our bus name and the
// handle token), so a quick answer is never missed.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    // response: 0 success, 1 cancelled by the user, 2 failed (also when the call itself fails).
    using Done = std::function<void(uint response, const QVariantMap& results)>;

    // Calls `method` of `interface` on the portal with `arguments`, whose last one must be the
    // options map (a handle token is added to it). `done` runs on the main thread unless
    // `context` is gone by then; `accepted`, when given, runs likewise once the portal has
    // answered the call itself (the user may still be choosing). Returns the request's object
    // path, for close().
    static QString call(const QDBusConnection& bus, const QString& interface, const QString& method,
        QVariantList arguments, QObject* context, Done done, std::function<void()> accepted = {});

    // Asks the portal to end a request still waiting for the user; its answer is not awaited.
    static void close(const QDBusConnection& bus, const QString& requestPath);

    // The interface's "version" property; 0 when the portal or the interface is missing, or
    // does not answer within a second.
    static uint version(const QDBusConnection& bus, const QString& interface);
    // The same, asked once per connection and interface and then remembered: a portal that keeps
    // its caller waiting does so once, not on every export. learnVersion asks ahead without
    // waiting, so that when the answer is in, even the first use does not wait.
    static uint rememberedVersion(const QDBusConnection& bus, const QString& interface);
    static void learnVersion(const QDBusConnection& bus, const QString& interface);
    static void forgetVersions(); // for tests that change portals between cases

    static const QString service; // org.freedesktop.portal.Desktop
    static const QString path; // /org/freedesktop/portal/desktop

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

private:
    PortalRequest(QObject* context, Done done);
    void finish(uint response, const QVariantMap& results);

    QObject* m_context;
    Done m_done;
    QDBusConnection m_bus { QString() };
    QString m_requestPath;
};
