#include "platform/CoreDumps.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// In a child of its own, so this test process keeps its dumps (and its leak checker).
TEST(CoreDumps, MarksTheProcessNotDumpable)
{
#if defined(LUMAFORGE_SANITIZED) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the leak checker must attach to sanitised processes";
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool before = prctl(PR_GET_DUMPABLE) == 1;
        const bool marked = markNotDumpable();
        _exit(before && marked && prctl(PR_GET_DUMPABLE) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}
