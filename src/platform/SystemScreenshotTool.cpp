#include "platform/SystemScreenshotTool.h"

#include "platform/KeystrokeScreenshotTool.h"
#include "platform/Log.h"
#include "platform/PortalRequest.h"
#include "platform/PortalScreenshotTool.h"
#include "platform/XTestKeystrokePoster.h"

#include <QCoreApplication>
#include <QGuiApplication>

NullScreenshotTool::NullScreenshotTool(QString reason, QObject* parent)
    : SystemScreenshotTool(parent)
    , m_reason(std::move(reason))
{
    logLine(QStringLiteral("no way to start the desktop's screenshot tool: %1").arg(m_reason));
}

SystemScreenshotTool& SystemScreenshotTool::shared()
{
    static SystemScreenshotTool* tool = []() -> SystemScreenshotTool* {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalRequest::version(bus, PortalScreenshotTool::interface) > 0)
            return new PortalScreenshotTool(bus);
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            if (auto poster = XTestKeystrokePoster::create(); poster && poster->isAvailable()) {
                return new KeystrokeScreenshotTool(std::move(poster),
                    DesktopScreenshotKeys::forDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
            }
        }
        return new NullScreenshotTool(QCoreApplication::translate("SystemScreenshotTool",
            "Lumaforge cannot start the desktop's screenshot tool: no screenshot portal (xdg-desktop-portal) is "
            "running and this session has no X server with the XTEST extension."));
    }();
    return *tool;
}
