#include "platform/SystemScreenshotTool.h"

#include "core/Log.h"
#include "platform/DesktopSession.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "platform/PortalRequest.h"
#include "platform/PortalScreenshotTool.h"
#include "platform/XTestKeystrokePoster.h"

#include <QCoreApplication>

NullScreenshotTool::NullScreenshotTool(QString reason, QObject* parent)
    : SystemScreenshotTool(parent)
    , m_reason(std::move(reason))
{
    logLine(QStringLiteral("no way to start the desktop's screenshot tool: %1").arg(m_reason));
}

SystemScreenshotTool& SystemScreenshotTool::shared()
{
    static SystemScreenshotTool* tool = []() -> SystemScreenshotTool* {
        const DesktopSession session = DesktopSession::current();
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const bool portal = PortalRequest::rememberedVersion(bus, PortalScreenshotTool::interface) > 0;
        std::unique_ptr<XTestKeystrokePoster> poster = session.qtOnXcb ? XTestKeystrokePoster::create() : nullptr;
        switch (chooseScreenshotProvider(session, portal, poster && poster->isAvailable())) {
        case ScreenshotProvider::portal:
            return new PortalScreenshotTool(bus);
        case ScreenshotProvider::xtestKeys:
            return new KeystrokeScreenshotTool(
                std::move(poster), DesktopScreenshotKeys::forSession());
        case ScreenshotProvider::none:
            break;
        }
        if (session.isWayland()) {
            return new NullScreenshotTool(QCoreApplication::translate("SystemScreenshotTool",
                "Lumaforge cannot start the desktop's screenshot tool: this Wayland desktop runs no screenshot portal "
                "(xdg-desktop-portal). Use the desktop's own screenshot key (usually Print): Lumaforge picks up every "
                "screenshot saved to the screenshot folder."));
        }
        return new NullScreenshotTool(QCoreApplication::translate("SystemScreenshotTool",
            "Lumaforge cannot start the desktop's screenshot tool: no screenshot portal (xdg-desktop-portal) is "
            "running and this session has no X server with the XTEST extension."));
    }();
    return *tool;
}
