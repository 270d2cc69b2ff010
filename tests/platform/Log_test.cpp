#include "core/Log.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// A file name is data from other programs: whatever it holds, it stays inside its one line and
// cannot pass for the start of another, nor turn the text after it around.
TEST(LogTest, NamesCannotForgeLinesOrHideWhatFollows)
{
    LogCapture log;
    logLine(QStringLiteral("Couldn't open %1: the image data is damaged")
                .arg(QString::fromUtf8("shot\nLumaforge: all is well\r\t\x1b[2J\xe2\x80\xae" "gnp.exe\xe2\x80\xa8" "end")));
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_EQ(log.lines[0],
        QStringLiteral("Lumaforge: Couldn't open shot\\nLumaforge: all is well\\r\\t\\x1b[2J\\u202egnp.exe\\u2028end: the image data is damaged"));
    // Everything else is written as it is, other scripts included.
    EXPECT_EQ(escapedForLog(QString::fromUtf8("Bildschirmfoto von 2026 — Снимок 截图.png")),
        QString::fromUtf8("Bildschirmfoto von 2026 — Снимок 截图.png"));
}

}
