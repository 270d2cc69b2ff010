// The lock file decides which launch is the one instance; without a session bus a later launch
// can only be refused, never run beside the first.
#include "app/SingleInstance.h"
#include "support/LogCapture.h"
#include "support/ScratchFileSystem.h"
#include "support/Wait.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(SingleInstance, TheLockDecidesEvenWithoutASessionBus)
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("instance.lock"));
    LogCapture log;
    auto first = std::make_unique<SingleInstance>(lock);
    ASSERT_EQ(first->claim({}), SingleInstance::Claim::first);

    // A second launch (its own open of the file, as another process has) is refused and told why.
    SingleInstance second(lock);
    QString why;
    EXPECT_EQ(second.claim({}, &why), SingleInstance::Claim::notAnswered);
    EXPECT_EQ(why, QStringLiteral("there is no session bus"));
    EXPECT_TRUE(SingleInstance::notAnsweredNotice(why).contains(why));

    // The lock goes with its holder, however it ends.
    first.reset();
    SingleInstance third(lock);
    EXPECT_EQ(third.claim({}), SingleInstance::Claim::first);
}

TEST(SingleInstance, AnotherProcessHoldingTheLockWinsUntilItEnds)
{
    QTemporaryDir dir;
    const QByteArray lock = QFile::encodeName(dir.filePath(QStringLiteral("instance.lock")));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        // Only async-signal-safe calls in the child of a threaded process.
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            ::_exit(1);
        [[maybe_unused]] const ssize_t n = ::write(ready[1], "x", 1);
        for (;;)
            ::pause();
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);

    SingleInstance late(QFile::decodeName(lock));
    EXPECT_EQ(late.claim({}), SingleInstance::Claim::notAnswered);
    // Killed, not quit: the lock still goes.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    SingleInstance after(QFile::decodeName(lock));
    EXPECT_EQ(after.claim({}), SingleInstance::Claim::first);
}

TEST(SingleInstance, WithoutALockFileTheBusDecidesAsBefore)
{
    // A lock in a folder that does not exist cannot be taken: with no bus either, the launch runs.
    LogCapture log;
    SingleInstance instance(QStringLiteral("/nonexistent-folder/instance.lock"));
    EXPECT_EQ(instance.claim({}), SingleInstance::Claim::first);
    EXPECT_EQ(log.count(QStringLiteral("the session bus decides")), 1);
}

namespace {
// Sets environment variables while it lives (an empty value unsets).
class Environment {
public:
    void set(const char* name, const QString& value)
    {
        m_saved.append({ name, qgetenv(name) });
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~Environment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second.isNull())
                qunsetenv(it->first);
            else
                qputenv(it->first, it->second);
        }
    }

private:
    QList<std::pair<const char*, QByteArray>> m_saved;
};
}

// A runtime folder that exists but cannot be written (a read-only mount stops even root): the
// lock goes to a private folder in the temporary folder, and a second launch is still refused.
TEST(SingleInstance, AnUnwritableRuntimeFolderStillHoldsTheLockElsewhere)
{
    ScratchFileSystem runtime(64 * 1024);
    if (!runtime.makeUnwritable())
        GTEST_SKIP() << "cannot mount a read-only file system here, and root writes through file modes";
    QTemporaryDir tmp;
    Environment env;
    env.set("XDG_RUNTIME_DIR", runtime.path());
    env.set("TMPDIR", tmp.path());

    LogCapture log;
    SingleInstance first;
    ASSERT_EQ(first.claim({}), SingleInstance::Claim::first);
    SingleInstance second;
    QString why;
    EXPECT_EQ(second.claim({}, &why), SingleInstance::Claim::notAnswered);
    EXPECT_EQ(why, QStringLiteral("there is no session bus"));
    const QString folder = tmp.filePath(QStringLiteral("lumaforge-%1").arg(::getuid()));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/instance.lock")));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(log.count(QStringLiteral("session bus decides")), 0);
    runtime.setReadOnly(false);
}

// The fallback folder is refused when others could have put files or links into it: the lock is
// then not taken there at all.
TEST(SingleInstance, ATemporaryFolderOthersCanWriteToIsRefused)
{
    QTemporaryDir tmp;
    Environment env;
    env.set("XDG_RUNTIME_DIR", QString());
    env.set("TMPDIR", tmp.path());
    const QString folder = tmp.filePath(QStringLiteral("lumaforge-%1").arg(::getuid()));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);

    LogCapture log;
    SingleInstance instance;
    EXPECT_EQ(instance.claim({}), SingleInstance::Claim::first);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/instance.lock")));
    EXPECT_EQ(log.count(QStringLiteral("others can write into ") + folder), 1);

    // Ours and private again: used.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
    SingleInstance again;
    EXPECT_EQ(again.claim({}), SingleInstance::Claim::first);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/instance.lock")));
}
