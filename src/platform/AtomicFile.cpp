#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("FileWriteFailure", text);
}

// Every byte, through short writes and interrupted calls; the errno of a failure, else 0.
int writeAll(int fd, const QByteArray& data)
{
    const char* at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        at += written;
        left -= written;
    }
    return 0;
}

// A new file next to `target` (the rename then stays on one file system), created by us alone.
int createTemporary(const QByteArray& target, QByteArray* name, int* error)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        *name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *error = fd >= 0 ? 0 : errno;
            return fd;
        }
    }
    *error = EEXIST;
    return -1;
}

}

QString FileWriteFailure::systemText() const
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString FileWriteFailure::logText() const
{
    return QStringLiteral("cannot write %1: %2").arg(path, systemText());
}

QString FileWriteFailure::reason() const
{
    return fileErrorInWords(error);
}

QString fileErrorInWords(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return tr("the disk is full");
    case EACCES:
    case EPERM:
        return tr("there is no permission to write to that folder");
    case ENOENT:
    case ENOTDIR:
        return tr("the folder no longer exists");
    case EROFS:
        return tr("the disk is read-only");
    case EFBIG:
        return tr("the file is too large for that disk");
    case EIO:
        return tr("the disk reported an error");
    case ENAMETOOLONG:
        return tr("the file name is too long");
    case EISDIR:
        return tr("a folder has that name");
    case EMFILE:
    case ENFILE:
        return tr("too many files are open");
    case EBUSY:
    case ETXTBSY:
        return tr("the file is in use");
    default:
        break;
    }
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

std::optional<FileWriteFailure> writeFileAtomically(const QString& path, const QByteArray& data)
{
    const auto failure = [&path](int error) { return FileWriteFailure { error, path }; };
    // Through a link to the file it names, so the link is kept (as QSaveFile does).
    QString target = path;
    if (const QFileInfo info(path); info.isSymLink()) {
        const QString resolved = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray finalName = QFile::encodeName(target);

    QByteArray tempName;
    int error = 0;
    const int fd = createTemporary(finalName, &tempName, &error);
    if (fd < 0)
        return failure(error);
    struct stat existing {};
    if (::stat(finalName.constData(), &existing) == 0)
        ::fchmod(fd, existing.st_mode & 07777);

    error = writeAll(fd, data);
    // A delayed allocation can fail only here; a file system that cannot sync is no failure.
    if (error == 0 && ::fdatasync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        error = errno;
    // Linux closes the descriptor even when close() is interrupted.
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(tempName.constData(), finalName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempName.constData());
        return failure(error);
    }
    return std::nullopt;
}

std::optional<FileWriteFailure> makeFolder(const QString& path)
{
    errno = 0;
    if (QDir().mkpath(path))
        return std::nullopt;
    // mkpath keeps the errno of the mkdir that failed.
    return FileWriteFailure { errno != 0 ? errno : EIO, path };
}

std::optional<FileWriteFailure> removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return std::nullopt;
    return FileWriteFailure { errno, path };
}
