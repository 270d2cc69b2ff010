#include "platform/PortalScreenshotTool.h"

#include "core/Log.h"
#include "platform/PortalRequest.h"

#include <QCoreApplication>
#include <QUrl>

const QString PortalScreenshotTool::interface = QStringLiteral("org.freedesktop.portal.Screenshot");

PortalScreenshotTool::PortalScreenshotTool(QDBusConnection bus, QObject* parent)
    : SystemScreenshotTool(parent)
    , m_bus(std::move(bus))
{
}

bool PortalScreenshotTool::isAvailable() const
{
    return m_bus.isConnected();
}

QString PortalScreenshotTool::explainUnavailable() const
{
    return QCoreApplication::translate("SystemScreenshotTool",
        "Lumaforge cannot start the desktop's screenshot tool: the session bus is not available.");
}

void PortalScreenshotTool::capture(SystemCapture what)
{
    if (!isAvailable()) {
        Q_EMIT unavailable(explainUnavailable());
        return;
    }
    const QVariantMap options {
        { QStringLiteral("interactive"), what != SystemCapture::fullScreen },
        { QStringLiteral("modal"), false },
    };
    PortalRequest::call(m_bus, interface, QStringLiteral("Screenshot"), { QString(), options }, this,
        [this](uint response, const QVariantMap& results) {
            if (response == 1)
                return; // the user cancelled the desktop's chooser
            const QUrl uri(results.value(QStringLiteral("uri")).toString());
            if (response != 0 || !uri.isLocalFile()) {
                logLine(QStringLiteral("the screenshot portal returned no file (response %1)").arg(response));
                // A portal without a screenshot backend fails every request.
                if (response != 0)
                    Q_EMIT noAnswer();
                return;
            }
            Q_EMIT captured(uri.toLocalFile());
        });
}
