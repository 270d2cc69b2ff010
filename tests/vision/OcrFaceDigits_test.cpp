// Faces drawn for machines (OCR A) have digits the engine reads as letters and marks, and dots it
// reads as hyphens; only runs that the mended characters make a phone, card or IP address change.
#include "vision/OcrFaceDigits.h"

#include <gtest/gtest.h>

namespace {

QString mended(QString line)
{
    mendOcrFaceDigits(line);
    return line;
}

} // namespace

TEST(OcrFaceDigits, DigitsReadAsLettersMakeTheNumberWhole)
{
    EXPECT_EQ(mended("phone: +b1 7be 545 9485"), "phone: +61 762 545 9485");
    EXPECT_EQ(mended("(4b?) 372-9174 ok"), "(467) 372-9174 ok");
    EXPECT_EQ(mended("card 535974?b46203308"), "card 5359747646203308");
    EXPECT_EQ(mended(QStringLiteral(u"\u00A7789223425294435 |")), "5789223425294435 |");
    // An address's dots read as hyphens.
    EXPECT_EQ(mended("inet 10-144-93-211/24"), "inet 10.144.93.211/24");
    EXPECT_EQ(mended("from 192-1b8-46-4 port"), "from 192.168.46.4 port");
}

TEST(OcrFaceDigits, WordsDatesAndOtherNumbersStay)
{
    for (const QString line : { "2026-01-18 queue", "1-800-555-0199", "v1.2.5-rc1", "SN-2024-0042", "to be 545 9485 or not", "10-144-93-999",
             "Label 12 b1 7b", "build 4f2a9c1 be7 545", "see 545 Oak Bay", "eb 123 456 7890b", "ISBN 978-0-306-40615-7" })
        EXPECT_EQ(mended(line), line) << line.toStdString();
}
