#pragma once

#include <QString>
#include <QTemporaryDir>

// A folder on a file system of its own, for tests of what happens when writing fails: a small
// tmpfs mounted for the test when the process may mount one (root in a container). Each kind of
// failure can be brought on and taken away again. Without the right to mount, `mounted()` is
// false and the test decides how to stand in (a file size limit for a full disk) or to skip.
class ScratchFileSystem {
public:
    explicit ScratchFileSystem(qint64 sizeBytes = 1024 * 1024);
    ~ScratchFileSystem();

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Fills the file system to the last byte (a full disk); makeRoom() frees it again. Without a
    // mount, lowers this process's file size limit (RLIMIT_FSIZE) to one byte instead, so writes
    // fail with "File too large".
    bool fill();
    void makeRoom();
    // Makes the whole file system read-only (a remount), or writable again.
    bool setReadOnly(bool readOnly);
    // Makes the folder unwritable for this process, root included: a read-only remount, else
    // (not root) its mode. False when neither can hold for root; the test then skips.
    bool makeUnwritable();
    // Whether a new file can be written here now: the test checks that it really could not.
    bool canWrite() const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    bool m_limited = false;
};
