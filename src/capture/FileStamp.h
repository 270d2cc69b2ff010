#pragma once

#include <QString>
#include <QtGlobal>

struct statx;

// Which file a name stands for and what state it is in: its identity (device, inode), size and
// modification time. A file replaced under the same name, or written again in place, gets
// another stamp; a rename keeps it.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = 0;

    bool exists() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;

    // The name itself, not what a symbolic link points to; none when it cannot be looked at.
    static FileStamp of(const QString& path);
    static FileStamp of(const struct statx& st);
};
