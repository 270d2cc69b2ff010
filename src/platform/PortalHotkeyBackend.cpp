#include "platform/PortalHotkeyBackend.h"

#include "core/Log.h"
#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"
#include "platform/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QHash>
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

bool PortalHotkeyBackend::triggerMatches(const QString& description, quint32 keyCode, quint32 carbonModifiers)
{
    // "<Control><Shift>6" reads as "Control+Shift+6".
    QString text = description.trimmed();
    text.replace(QLatin1Char('>'), QLatin1Char('+')).remove(QLatin1Char('<'));
    QStringList parts = text.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed().toLower();
    if (parts.isEmpty())
        return false;
    const QString key = parts.takeLast();
    quint32 modifiers = 0;
    for (const QString& part : parts) {
        if (part == u"ctrl" || part == u"control" || part == u"primary")
            modifiers |= CarbonModifier::command;
        else if (part == u"alt" || part == u"mod1")
            modifiers |= CarbonModifier::option;
        else if (part == u"shift")
            modifiers |= CarbonModifier::shift;
        else if (part == u"logo" || part == u"super" || part == u"meta" || part == u"mod4" || part == u"win")
            modifiers |= CarbonModifier::control;
        else
            return false;
    }
    if (modifiers != carbonModifiers)
        return false;
    char name[64] = {};
    const quint32 keysym = keysymFor(keyCode);
    if (keysym != 0 && xkb_keysym_get_name(keysym, name, sizeof name) > 0 && key == QString::fromLatin1(name).toLower())
        return true;
    return key == keyLabelFor(keyCode).toLower();
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
        return unknownKeyStatus;
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
                this, [this, asked = m_bindings](uint bound, const QVariantMap& results) { readAnswer(bound, results, asked); });
        });
}

void PortalHotkeyBackend::readAnswer(
    uint response, const QVariantMap& results, const std::map<quint32, HotkeyBinding>& asked)
{
    if (response != 0)
        logLine(QStringLiteral("the desktop did not bind the global shortcuts (response %1)").arg(response));
    // What the desktop bound, by name, with the key it says starts each; a shortcut it left out
    // or gave no trigger has no key.
    QHash<QString, QString> triggers;
    if (response == 0 && !results.contains(QStringLiteral("shortcuts")))
        return; // a desktop that says nothing about them: nothing to tell
    if (response == 0) {
        QList<PortalShortcut> bound;
        const QVariant value = results.value(QStringLiteral("shortcuts"));
        if (value.canConvert<QDBusArgument>())
            value.value<QDBusArgument>() >> bound;
        else
            bound = value.value<QList<PortalShortcut>>();
        for (const PortalShortcut& shortcut : bound)
            triggers.insert(shortcut.id, shortcut.properties.value(QStringLiteral("trigger_description")).toString());
    }
    for (const auto& [id, binding] : asked) {
        // Re-registered meanwhile: a newer bind answers for it.
        const auto now = m_bindings.find(id);
        if (now == m_bindings.end())
            continue;
        const QString trigger = triggers.value(binding.name).trimmed();
        Q_EMIT answered(id, trigger, !trigger.isEmpty() && triggerMatches(trigger, binding.keyCode, binding.carbonModifiers));
    }
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
