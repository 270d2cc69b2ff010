// Two launches of the real application with no session bus and a runtime folder that exists but
// cannot be written: the second must say that Lumaforge is already running and end, never run
// beside the first (both would handle every shot).
#include "support/RunningApp.h"
#include "support/ScratchFileSystem.h"
#include "support/Wait.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>


TEST(SingleInstanceApp, ASecondLaunchIsRefusedWhenTheRuntimeFolderCannotBeWritten)
{
    // Read-only for root too: a read-only mount, not file modes.
    ScratchFileSystem runtime(64 * 1024);
    if (!runtime.makeUnwritable())
        GTEST_SKIP() << "cannot mount a read-only file system here, and root writes through file modes";
    QTemporaryDir tmp; // the fallback lives here, away from other tests' instances
    const auto prepare = [&](RunningApp& app) {
        app.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        app.setEnvironment(QStringLiteral("TMPDIR"), tmp.path());
    };

    RunningApp first;
    prepare(first);
    ASSERT_TRUE(first.start()) << first.log().toStdString();
    EXPECT_TRUE(first.log().contains(QStringLiteral("private files go to ") + tmp.path())) << first.log().toStdString();

    RunningApp second;
    prepare(second);
    ASSERT_TRUE(second.launch());
    EXPECT_TRUE(second.closeAlreadyRunningNotice()) << second.log().toStdString();
    EXPECT_TRUE(first.isRunning());
    EXPECT_EQ(first.terminate(), 0);
    runtime.setReadOnly(false);
}
