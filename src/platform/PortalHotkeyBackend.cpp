#include "platform/PortalHotkeyBackend.h"

#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"
#include "platform/Log.h"
#include "platform/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QTimer>

#include <xkbcommon/xkbcommon.h>

const QString PortalHotkeyBackend::interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

QString PortalHotkeyBackend::preferredTrigger(quint32 keyCode, quint32 carbonModifiers)
{
    // Named by what the active layout puts on the key, which is what the desktop will match.
    const quint32 keysym = keysymFor(keyCode);
    char name[64] = {};
    if (keysym == 0 || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return {};
    QStringList parts;
    if (carbonModifiers & CarbonModifier::command)
        parts << QStringLiteral("CTRL");
    if (carbonModifiers & CarbonModifier::option)
        parts << QStringLiteral("ALT");
    if (carbonModifiers & CarbonModifier::shift)
        parts << QStringLiteral("SHIFT");
    if (carbonModifiers & CarbonModifier::control)
        parts << QStringLiteral("LOGO");
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}

PortalHotkeyBackend::PortalHotkeyBackend(QDBusConnection bus, QObject* parent)
    : HotkeyBackend(parent)
    , m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(PortalRequest::service, PortalRequest::path, interface, QStringLiteral("Activated"), this,
        SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalHotkeyBackend::~PortalHotkeyBackend()
{
    closeSession();
}

int PortalHotkeyBackend::registerHotKey(quint32 id, const HotkeyBinding& binding)
{
    if (!keyForCode(binding.keyCode) || binding.name.isEmpty())
        return 2;
    m_bindings[id] = binding;
    scheduleBind();
    return 0;
}

void PortalHotkeyBackend::unregisterHotKey(quint32 id)
{
    if (m_bindings.erase(id))
        scheduleBind();
}

void PortalHotkeyBackend::scheduleBind()
{
    if (m_bindScheduled)
        return;
    m_bindScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_bindScheduled = false;
        bind();
    });
}

void PortalHotkeyBackend::closeSession()
{
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(QDBusMessage::createMethodCall(
        PortalRequest::service, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

void PortalHotkeyBackend::bind()
{
    closeSession();
    if (m_bindings.empty())
        return;
    const QVariantMap options { { QStringLiteral("session_handle_token"), QStringLiteral("lumaforge_hotkeys") } };
    PortalRequest::call(m_bus, interface, QStringLiteral("CreateSession"), { options }, this,
        [this](uint response, const QVariantMap& results) {
            if (response != 0) {
                logLine(QStringLiteral("the desktop refused a global shortcuts session (response %1)").arg(response));
                return;
            }
            m_session = results.value(QStringLiteral("session_handle")).toString();
            QList<PortalShortcut> shortcuts;
            for (const auto& [id, binding] : m_bindings) {
                shortcuts.append({ binding.name,
                    { { QStringLiteral("description"), binding.description },
                        { QStringLiteral("preferred_trigger"),
                            preferredTrigger(binding.keyCode, binding.carbonModifiers) } } });
            }
            PortalRequest::call(m_bus, interface, QStringLiteral("BindShortcuts"),
                { QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(), QVariantMap() },
                this, [](uint bound, const QVariantMap&) {
                    if (bound != 0)
                        logLine(QStringLiteral("the desktop did not bind the global shortcuts (response %1)").arg(bound));
                });
        });
}

void PortalHotkeyBackend::onActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong,
    const QVariantMap&)
{
    if (session.path() != m_session)
        return;
    for (const auto& [id, binding] : m_bindings) {
        if (binding.name == shortcutId) {
            Q_EMIT pressed(id);
            return;
        }
    }
}
