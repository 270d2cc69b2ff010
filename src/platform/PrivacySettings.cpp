#include "platform/PrivacySettings.h"

#include "core/Log.h"
#include "platform/ScreenshotSettings.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void openPrivacySettings(const ScreenshotSettings& settings)
{
    const QString location = settings.location();
    if (location.isEmpty())
        return;
    QString parent = QFileInfo(QDir::cleanPath(location)).absolutePath();
    // Walk up to a folder that exists: the screenshot folder's parent may be missing too.
    while (!QFileInfo(parent).isDir() && parent != QDir::rootPath())
        parent = QFileInfo(parent).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(parent)))
        logLine(QStringLiteral("could not open the folder %1").arg(parent));
}
