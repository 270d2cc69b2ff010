#include "platform/PrivacySettings.h"

#include "platform/OpenFolder.h"
#include "platform/ScreenshotSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

void openPrivacySettings(const ScreenshotSettings& settings, QObject* context, std::function<void(const QString&)> failed)
{
    const QString location = settings.location();
    if (location.isEmpty())
        return;
    QString parent = QFileInfo(QDir::cleanPath(location)).absolutePath();
    // Walk up to a folder that exists: the screenshot folder's parent may be missing too.
    while (!QFileInfo(parent).isDir() && parent != QDir::rootPath())
        parent = QFileInfo(parent).absolutePath();
    openFolder(parent, context ? context : qApp, [parent, failed](const QString& reason) {
        if (failed)
            failed(QCoreApplication::translate("PrivacySettings", "Couldn't show %1: %2").arg(folderForDisplay(parent), reason));
    });
}
