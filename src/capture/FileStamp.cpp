#include "capture/FileStamp.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

FileStamp FileStamp::of(const QString& path)
{
    struct statx st {};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW,
            STATX_INO | STATX_SIZE | STATX_MTIME, &st)
        != 0)
        return {};
    return of(st);
}

FileStamp FileStamp::of(const struct statx& st)
{
    return { makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino, qint64(st.stx_size),
        qint64(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec };
}
