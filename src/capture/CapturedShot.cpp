#include "capture/CapturedShot.h"

#include <QFileInfo>
#include <QLocale>

CapturedShot CapturedShot::make(QImage image, QString filePath)
{
    return { QUuid::createUuid(), std::move(image), std::move(filePath), QDateTime::currentDateTime() };
}

QString shotFileName(const CapturedShot& shot)
{
    if (!shot.filePath.isEmpty())
        return QFileInfo(shot.filePath).fileName();
    return QStringLiteral("Screenshot ") + QLocale().toString(shot.date, QStringLiteral("MMM d, HH.mm.ss"))
        + QStringLiteral(".png");
}
