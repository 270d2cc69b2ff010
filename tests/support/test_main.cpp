// Shared main of every test binary: a QApplication on a private desktop. HOME and the XDG folders
// point at a fresh temporary folder so no test touches the real settings, screenshots or
// autostart entries. Binaries built with LUMAFORGE_TEST_X11 start their own Xvfb and use Qt's
// xcb platform; the others use the offscreen platform.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TestEnvironment env;
#ifdef LUMAFORGE_TEST_X11
    if (!env.startXvfb()) {
        std::fprintf(stderr, "cannot start Xvfb\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
