#include "support/ScratchFileSystem.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kFiller = QStringLiteral(".filler");
}

ScratchFileSystem::ScratchFileSystem(qint64 sizeBytes)
{
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0777";
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData())
        == 0;
}

ScratchFileSystem::~ScratchFileSystem()
{
    makeRoom();
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool ScratchFileSystem::fill()
{
    if (!m_mounted) {
        // Writes past the limit fail with EFBIG once SIGXFSZ no longer ends the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 1, RLIM_INFINITY };
        m_limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        return m_limited;
    }
    const int fd = ::open(QFile::encodeName(filePath(kFiller)).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    static const char block[4096] = {};
    // Whole blocks first, then single bytes, until the file system takes no more.
    for (size_t chunk : { sizeof block, size_t(1) }) {
        while (::write(fd, block, chunk) == ssize_t(chunk)) { }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full && !canWrite();
}

void ScratchFileSystem::makeRoom()
{
    if (m_limited) {
        const rlimit limit { RLIM_INFINITY, RLIM_INFINITY };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_limited = false;
    }
    if (m_mounted)
        QFile::remove(filePath(kFiller));
}

bool ScratchFileSystem::setReadOnly(bool readOnly)
{
    if (!m_mounted)
        return false;
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    return ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr, flags, nullptr) == 0;
}

bool ScratchFileSystem::canWrite() const
{
    const QByteArray probe = QFile::encodeName(filePath(QStringLiteral(".probe")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const char bytes[64] = {};
    const bool wrote = ::write(fd, bytes, sizeof bytes) == ssize_t(sizeof bytes);
    ::close(fd);
    ::unlink(probe.constData());
    return wrote;
}

bool ScratchFileSystem::makeUnwritable()
{
    if (m_mounted)
        return setReadOnly(true) && !canWrite();
    // Root writes through file modes.
    if (::geteuid() == 0)
        return false;
    return ::chmod(QFile::encodeName(path()).constData(), 0500) == 0 && !canWrite();
}
