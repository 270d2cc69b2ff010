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
// Shortcuts are bound under their bindings' stable names, so the desktop keeps what the user
// assigned to each across re-registrations and restarts.
class PortalHotkeyBackend final : public HotkeyBackend {
    Q_OBJECT
public:
    explicit PortalHotkeyBackend(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalHotkeyBackend() override;

    int registerHotKey(quint32 id, const HotkeyBinding& binding) override;
    void unregisterHotKey(quint32 id) override;

    static const QString interface; // org.freedesktop.portal.GlobalShortcuts

    // The shortcuts notation of the portal: modifiers CTRL, ALT, SHIFT, LOGO and the key's keysym
    // name, joined by "+" ("CTRL+SHIFT+6", "ALT+LOGO+bracketleft"). Empty for an unknown key.
    static QString preferredTrigger(quint32 keyCode, quint32 carbonModifiers);
    // Whether the desktop's description of a trigger ("Ctrl+Shift+6", "CTRL+SHIFT+6",
    // "<Control><Shift>6", "Meta+Print") names this key with exactly these modifiers.
    static bool triggerMatches(const QString& description, quint32 keyCode, quint32 carbonModifiers);

private Q_SLOTS:
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
        const QVariantMap& options);

private:
    void scheduleBind();
    void bind();
    void closeSession();
    // Reads the desktop's answer to BindShortcuts for the bindings that were asked for.
    void readAnswer(uint response, const QVariantMap& results, const std::map<quint32, HotkeyBinding>& asked);

    QDBusConnection m_bus;
    std::map<quint32, HotkeyBinding> m_bindings;
    bool m_bindScheduled = false;
    QString m_session;
};
