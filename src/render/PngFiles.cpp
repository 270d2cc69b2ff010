#include "render/PngFiles.h"

#include "core/Log.h"
#include "image/PngEncoder.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {
const QString kDragFolderPrefix = QStringLiteral("drag-");
// Folders from before they carried their process id are stale once this old.
constexpr qint64 kUnownedFolderAgeSecs = 3600;

// A new folder of our own (mode 0700) inside the private temporary folder, named after this
// process so a later start can tell whether its owner still runs.
std::optional<QString> makeDragFolder(FileWriteFailure* failure)
{
    const QString base = AppPaths::privateTempDir();
    if (base.isEmpty()) {
        *failure = { ENOENT, QStringLiteral("the private temporary folder") };
        return std::nullopt;
    }
    QByteArray templ = QFile::encodeName(
        base + QLatin1Char('/') + kDragFolderPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(templ.data())) {
        *failure = { errno, base };
        return std::nullopt;
    }
    return QFile::decodeName(templ);
}
}

QString screenshotDateString()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd 'at' HH.mm.ss"));
}

bool exportPNG(QDialog::DialogCode response, const QString& path, const QByteArray& data,
    const ExportCompletion& completion)
{
    std::optional<FileWriteFailure> failure;
    if (response == QDialog::Accepted && !path.isEmpty()) {
        failure = writeFileAtomically(path, data);
        if (failure)
            logLine(QStringLiteral("export failed: %1").arg(failure->logText()));
    }
    const bool ok = response == QDialog::Accepted && !path.isEmpty() && !failure;
    if (completion)
        completion(ok, failure);
    return ok;
}

std::optional<QString> writeTempPNG(const QImage& image, const std::optional<QString>& destination)
{
    return writeTempPNGData(PngEncoder::encode(image), destination);
}

std::optional<QString> writeTempPNGData(
    const QByteArray& png, const std::optional<QString>& destination, FileWriteFailure* failure)
{
    if (png.isEmpty())
        return std::nullopt;

    QString path;
    std::optional<QString> madeFolder;
    FileWriteFailure why;
    if (destination) {
        path = *destination;
    } else {
        madeFolder = makeDragFolder(&why);
        if (!madeFolder) {
            logLine(QStringLiteral("temp file write failed: %1").arg(why.logText()));
            if (failure)
                *failure = why;
            return std::nullopt;
        }
        path = *madeFolder + QStringLiteral("/Lumaforge ") + screenshotDateString() + QStringLiteral(".png");
    }
    if (const std::optional<FileWriteFailure> written = writeFileAtomically(path, png)) {
        logLine(QStringLiteral("temp file write failed: %1").arg(written->logText()));
        if (failure)
            *failure = *written;
        if (madeFolder)
            QDir().rmdir(*madeFolder);
        return std::nullopt;
    }
    return path;
}

void removeTempPNG(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
    // Remove the folder only when it is one we made for a drag-out file.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const QString base = AppPaths::privateTempDir();
    if (!base.isEmpty() && folder.fileName().startsWith(kDragFolderPrefix)
        && QFileInfo(folder.absolutePath()).canonicalFilePath() == QFileInfo(base).canonicalFilePath())
        QDir().rmdir(folder.absoluteFilePath());
}

int sweepStaleDragFolders()
{
    const QString base = AppPaths::privateTempDir();
    if (base.isEmpty())
        return 0;
    int removed = 0;
    const QFileInfoList folders = QDir(base).entryInfoList(
        { kDragFolderPrefix + QLatin1Char('*') }, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        const QString rest = folder.fileName().mid(kDragFolderPrefix.size());
        bool numbered = false;
        const qint64 pid = rest.section(QLatin1Char('-'), 0, 0).toLongLong(&numbered);
        bool stale;
        if (numbered && rest.contains(QLatin1Char('-')) && pid > 0)
            stale = pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
        else
            stale = folder.lastModified().secsTo(QDateTime::currentDateTime()) > kUnownedFolderAgeSecs;
        if (stale && QDir(folder.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    if (removed > 0)
        logLine(QStringLiteral("removed %1 drag-out folder(s) left by an earlier run").arg(removed));
    return removed;
}
