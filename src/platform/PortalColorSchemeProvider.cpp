#include "platform/PortalColorSchemeProvider.h"

#include "core/Log.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPalette>

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

ColorSchemeProvider* g_installed = nullptr;

// Read answers a variant inside a variant (older portals) or a plain one; take what is inside.
QVariant unwrap(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}
}

PortalColorSchemeProvider::PortalColorSchemeProvider(const QDBusConnection& bus, QObject* parent)
    : ColorSchemeProvider(parent)
    , m_bus(bus)
{
    m_current = paletteScheme();
    if (qApp)
        qApp->installEventFilter(this);
    if (!m_bus.isConnected())
        return;

    // The slot takes the whole message: QtDBus cannot bind a QDBusVariant parameter here.
    if (!m_bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
            SLOT(onSettingChanged(QDBusMessage))))
        logLine(QStringLiteral("cannot follow colour scheme changes: %1").arg(m_bus.lastError().message()));

    QDBusMessage read = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
    read << kNamespace << kKey;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            // No portal, or one without the appearance setting: the palette decides.
            if (reply.errorName() != QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
                && reply.errorName() != QStringLiteral("org.freedesktop.portal.Error.NotFound"))
                logLine(QStringLiteral("colour scheme portal unavailable: %1").arg(reply.errorMessage()));
            return;
        }
        applyPortalValue(reply.arguments().constFirst());
    });
}

ColorScheme PortalColorSchemeProvider::paletteScheme()
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() < 128 ? ColorScheme::dark : ColorScheme::light;
}

bool PortalColorSchemeProvider::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp)
        recompute();
    return false;
}

void PortalColorSchemeProvider::onSettingChanged(const QDBusMessage& message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() >= 3 && args[0].toString() == kNamespace && args[1].toString() == kKey)
        applyPortalValue(args[2]);
}

void PortalColorSchemeProvider::applyPortalValue(const QVariant& value)
{
    const QVariant inner = unwrap(value);
    bool ok = false;
    const uint preference = inner.toUInt(&ok);
    m_portal = ok && preference <= 2 ? int(preference) : 0;
    recompute();
}

void PortalColorSchemeProvider::recompute()
{
    ColorScheme next = paletteScheme();
    if (m_portal == 1)
        next = ColorScheme::dark;
    else if (m_portal == 2)
        next = ColorScheme::light;
    if (next == m_current)
        return;
    m_current = next;
    Q_EMIT changed(next);
}

ColorSchemeProvider& ColorSchemeProvider::shared()
{
    if (g_installed)
        return *g_installed;
    static auto* provider = new PortalColorSchemeProvider(QDBusConnection::sessionBus());
    return *provider;
}

void ColorSchemeProvider::setShared(ColorSchemeProvider* provider)
{
    g_installed = provider;
}
