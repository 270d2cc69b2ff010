#include "platform/HotkeyBackend.h"

#include "platform/Log.h"
#include "platform/PortalHotkeyBackend.h"
#include "platform/PortalRequest.h"
#include "platform/X11HotkeyBackend.h"

#include <QCoreApplication>
#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::createForSession()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        if (auto x11 = X11HotkeyBackend::create())
            return x11;
        return std::make_unique<NullHotkeyBackend>(
            QCoreApplication::translate("HotkeyBackend", "the X server connection is not available"));
    }
    if (platform.startsWith(QLatin1String("wayland"))) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalRequest::version(bus, PortalHotkeyBackend::interface) > 0)
            return std::make_unique<PortalHotkeyBackend>(bus);
        return std::make_unique<NullHotkeyBackend>(QCoreApplication::translate(
            "HotkeyBackend", "this desktop offers no global shortcuts (xdg-desktop-portal GlobalShortcuts)"));
    }
    return std::make_unique<NullHotkeyBackend>(
        QCoreApplication::translate("HotkeyBackend", "this session has neither an X server nor a Wayland desktop"));
}

NullHotkeyBackend::NullHotkeyBackend(QString reason, QObject* parent)
    : HotkeyBackend(parent)
    , m_reason(std::move(reason))
{
    logLine(QStringLiteral("global hot keys are unavailable: %1").arg(m_reason));
}

int NullHotkeyBackend::registerHotKey(quint32, quint32, quint32)
{
    return unavailableStatus;
}
