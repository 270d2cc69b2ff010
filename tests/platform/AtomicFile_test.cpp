// Every file the application writes goes through one helper: on a full or read-only file system
// the old file must stay whole and the reason come back, never a short file renamed into place.
#include "platform/AtomicFile.h"
#include "platform/LoginItem.h"
#include "support/ScratchFileSystem.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
}

TEST(AtomicFile, AFullDiskKeepsTheOldFileWhateverTheSizeOfTheWrite)
{
    ScratchFileSystem disk(256 * 1024);
    const QString path = disk.filePath(QStringLiteral("settings.json"));
    const QByteArray old("{\"savedPresets\": \"every preset the user made\"}");
    ASSERT_EQ(writeFileAtomically(path, old), std::nullopt);
    ASSERT_TRUE(disk.fill());

    // A few bytes stay in QSaveFile's buffer until commit(), where Qt 6.4 loses the error; a
    // large write fails on the way.
    for (qsizetype size : { qsizetype(10), qsizetype(300 * 1024) }) {
        SCOPED_TRACE(size);
        const std::optional<FileWriteFailure> failure = writeFileAtomically(path, QByteArray(size, 'x'));
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->logText(),
            "cannot write " + path + (disk.mounted() ? ": No space left on device" : ": File too large"));
        EXPECT_EQ(failure->reason(), disk.mounted() ? "the disk is full" : "the file is too large for that disk");
        EXPECT_EQ(contents(path), old);
    }
    disk.makeRoom();
    // No temporary file is left behind to take the room.
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList { QStringLiteral("settings.json") });
    ASSERT_EQ(writeFileAtomically(path, "new"), std::nullopt);
    EXPECT_EQ(contents(path), "new");
}

TEST(AtomicFile, AReadOnlyFolderKeepsTheOldFileAndTheAutostartEntry)
{
    ScratchFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a file system here";
    XdgAutostartLoginItem item(disk.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/lumaforge"));
    FileWriteFailure error;
    ASSERT_TRUE(item.apply(true, &error));
    const QByteArray entry = contents(item.filePath());
    ASSERT_TRUE(disk.setReadOnly(true));
    ASSERT_FALSE(disk.canWrite()); // root's override does not reach a read-only mount

    XdgAutostartLoginItem moved(disk.filePath(QStringLiteral("autostart")), QStringLiteral("/opt/lumaforge"));
    EXPECT_FALSE(moved.apply(true, &error));
    EXPECT_EQ(error.reason(), "the disk is read-only");
    EXPECT_EQ(contents(item.filePath()), entry);
    error = {};
    EXPECT_FALSE(item.apply(false, &error)); // nor can it be removed, and it says so
    EXPECT_EQ(error.reason(), "the disk is read-only");
    EXPECT_TRUE(item.isRegistered());
    disk.setReadOnly(false);
}
