#include "vision/ConfusedCharacters.h"

#include <gtest/gtest.h>

namespace {
QString mended(QString line)
{
    mendConfusedCharacters(line);
    return line;
}
}

TEST(ConfusedCharacters, MendsLookAlikesWhereTheContextLeavesNoDoubt)
{
    EXPECT_EQ(mended("ssh deploy@10.0.4.l7 -p 22"), "ssh deploy@10.0.4.17 -p 22");
    EXPECT_EQ(mended("host: \"192.168.O.12\""), "host: \"192.168.0.12\"");
    EXPECT_EQ(mended("// contact FELIX.HADDAD@ACME.I0"), "// contact FELIX.HADDAD@ACME.IO");
    EXPECT_EQ(mended("mail jane@acme.c0m now"), "mail jane@acme.com now");
    EXPECT_EQ(mended("key \"AKTAYDS59P5G2Z95WE7D\""), "key \"AKIAYDS59P5G2Z95WE7D\"");
    EXPECT_EQ(mended("admin@build-01:~$ 1s -la"), "admin@build-01:~$ ls -la");
    EXPECT_EQ(mended("key: sk-ZDyuhSXeSPrQhPyuA6écTrdfjH6YUy"), "key: sk-ZDyuhSXeSPrQhPyuA6ecTrdfjH6YUy");
    EXPECT_EQ(mended("token=\"855572bc4ab912cdcbeb52da8c6516/4fe035fd7\""), "token=\"855572bc4ab912cdcbeb52da8c651674fe035fd7\"");
    // Nor inside a long key or hash.
    EXPECT_EQ(mended("sha 9bd7ba7adb0c39c144bde1€a4f00bad1dd297b1d"), "sha 9bd7ba7adb0c39c144bde1ea4f00bad1dd297b1d");
    EXPECT_EQ(mended("key=sk-pxMRxHfHT0nDGjvX3I6B$vseHb44zBt4w"), "key=sk-pxMRxHfHT0nDGjvX3I6BSvseHb44zBt4w");
    // A currency sign inside a number or a date is no amount's.
    EXPECT_EQ(mended("2026-02-e3TLCs 322l€2"), "2026-02-e3TLCs 3221e2");
    EXPECT_EQ(mended("etld-€2-29T10:51"), "etld-e2-29T10:51");
    EXPECT_EQ(mended("id 16$05-9452"), "id 16S05-9452");
}

// Words, versions, keys and addresses that merely hold such characters stay as they were, and
// every mend keeps the length, so each character keeps its box.
TEST(ConfusedCharacters, LeavesWordsKeysAndRealDigitsAlone)
{
    for (const QString line : { "I met Ola at 10", "v1.2.0 build lO", "sk-a1B2c3D4e5F6g7H8i9J0", "Room 101, floor 2",
             "jane.doe@example.com", "AKIA1234567890ABCDEF", "Il0 l0l", "2024-03-12 09:41", "x1 and y1",
             "ghp_Ol1IlO0o", "https://example.com/path/to/a/page/of/the/site", "src/render/SensitiveTextDetector",
             "Paid $5, €12.50 and £3 (-€2 refund), total=-$4.99, 5€ tip, US$20, A$-3 € 4" }) {
        EXPECT_EQ(mended(line), line) << line.toStdString();
    }
    const QString mixed = QStringLiteral("from 172.l6.O.1 via a@b.c0 and 1s");
    EXPECT_EQ(mended(mixed).size(), mixed.size());
}
