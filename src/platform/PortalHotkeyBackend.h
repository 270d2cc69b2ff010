#pragma once

#include "platform/HotkeyBackend.h"

#include <QDBusConnection>
#include <QDBusObjectPath>

#include <QVariantMap>

#include <map>

class QDBusArgument;

// One (sa{sv}) entry of the portal's BindShortcuts: an id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

// Hot keys through the desktop portal's GlobalShortcuts (native Wayland sessions). The portal
// binds a whole set at once, so registrations are collected and bound together on the next turn
// of the event loop, in a fresh session each time (the desktop may ask the user to confirm).
class PortalHotkeyBackend final : public HotkeyBackend {
    Q_OBJECT
public:
    explicit PortalHotkeyBackend(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalHotkeyBackend() override;

    int registerHotKey(quint32 id, quint32 keyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;

    static const QString interface; // org.freedesktop.portal.GlobalShortcuts

private Q_SLOTS:
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
        const QVariantMap& options);

private:
    struct Binding {
        quint32 keyCode;
        quint32 modifiers;
    };

    void scheduleBind();
    void bind();
    void closeSession();

    QDBusConnection m_bus;
    std::map<quint32, Binding> m_bindings;
    bool m_bindScheduled = false;
    QString m_session;
};
