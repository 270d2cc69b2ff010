#include "platform/AppPaths.h"
#include "platform/LoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(XdgAutostartLoginItem, WritesAndRemovesTheAutostartEntry)
{
    QTemporaryDir dir;
    XdgAutostartLoginItem item(dir.path() + QStringLiteral("/autostart"), QStringLiteral("/opt/My Apps/lumaforge"));
    FileWriteFailure error;
    ASSERT_TRUE(item.apply(true, &error)) << error.logText().toStdString();
    ASSERT_TRUE(item.isRegistered());

    QFile file(item.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Exec=\"/opt/My Apps/lumaforge\"\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Type=Application\n")));
    file.close();

    ASSERT_TRUE(item.apply(true, &error)); // idempotent
    ASSERT_TRUE(item.apply(false, &error));
    EXPECT_FALSE(item.isRegistered());
    EXPECT_TRUE(item.apply(false, &error)); // removing what is not there is fine
}

TEST(XdgAutostartLoginItem, ReportsAFolderThatCannotBeMade)
{
    QTemporaryDir dir;
    // A regular file where the folder should be: no amount of permissions makes this writable.
    QFile blocker(dir.path() + QStringLiteral("/autostart"));
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    XdgAutostartLoginItem item(blocker.fileName() + QStringLiteral("/sub"), QStringLiteral("lumaforge"));
    FileWriteFailure error;
    EXPECT_FALSE(item.apply(true, &error));
    EXPECT_EQ(error.reason(), "the folder no longer exists"); // a file stands in a folder's place
}

TEST(AppPaths, PrivateTempDirIsOwnedAndClosed)
{
    const QString dir = AppPaths::privateTempDir();
    ASSERT_FALSE(dir.isEmpty());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(dir.startsWith(QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"))));
    EXPECT_EQ(AppPaths::privateTempDir(), dir);
}
