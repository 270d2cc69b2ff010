#include "platform/LinuxScreenshotSettings.h"

#include "platform/Log.h"

#include <QStandardPaths>

QString LinuxScreenshotSettings::location() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString LinuxScreenshotSettings::namePrefix() const
{
    return {};
}

void LinuxScreenshotSettings::setShowThumbnail(bool show)
{
    logLine(QStringLiteral("the desktop's screenshot tool has no floating thumbnail to %1; preference kept")
                .arg(show ? QStringLiteral("show") : QStringLiteral("hide")));
}

ScreenshotSettings& ScreenshotSettings::shared()
{
    static LinuxScreenshotSettings settings;
    return settings;
}
