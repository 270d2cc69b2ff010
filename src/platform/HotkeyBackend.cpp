#include "platform/HotkeyBackend.h"

#include "core/Log.h"
#include "platform/DesktopSession.h"
#include "platform/PortalHotkeyBackend.h"
#include "platform/PortalRequest.h"
#include "platform/X11HotkeyBackend.h"

#include <QCoreApplication>
#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::createForSession()
{
    const DesktopSession session = DesktopSession::current();
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const bool portal = session.isWayland() && PortalRequest::rememberedVersion(bus, PortalHotkeyBackend::interface) > 0;
    switch (chooseHotkeyProvider(session, portal)) {
    case HotkeyProvider::portal:
        return std::make_unique<PortalHotkeyBackend>(bus);
    case HotkeyProvider::x11Grabs:
        if (auto x11 = X11HotkeyBackend::create())
            return x11;
        return std::make_unique<NullHotkeyBackend>(
            QCoreApplication::translate("HotkeyBackend", "Capture hot keys are unavailable: the X server connection is not available."));
    case HotkeyProvider::none:
        break;
    }
    if (session.isWayland()) {
        return std::make_unique<NullHotkeyBackend>(QCoreApplication::translate("HotkeyBackend",
            "Capture hot keys are unavailable: this Wayland desktop does not let applications take global shortcuts "
            "(xdg-desktop-portal GlobalShortcuts). Use the desktop's own screenshot key (usually Print) instead, or bind "
            "a key to its screenshot tool in the desktop's keyboard settings: Lumaforge picks up every screenshot saved "
            "to the screenshot folder."));
    }
    return std::make_unique<NullHotkeyBackend>(QCoreApplication::translate(
        "HotkeyBackend", "Capture hot keys are unavailable: this session has neither an X server nor a Wayland desktop."));
}

NullHotkeyBackend::NullHotkeyBackend(QString reason, QObject* parent)
    : HotkeyBackend(parent)
    , m_reason(std::move(reason))
{
    logLine(QStringLiteral("global hot keys are unavailable: %1").arg(m_reason));
}

int NullHotkeyBackend::registerHotKey(quint32, const HotkeyBinding&)
{
    return unavailableStatus;
}
