#include "platform/PlatformTexts.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
// The design's texts that name the other desktop; each view shows them through the table.
const char* const kDesignTexts[] = {
    "⌘C", "⌘E", "⌘O", "⌘V",
    "Screenshot copied — press ⌘V to paste in ",
    "Delete selection (⌫)",
    " drawn · Select to drag, ⌫ to delete.",
    "⇧⌘4", "⇧⌘4 then Space", "⇧⌘3", "⇧⌘5", "Screenshot toolbar", "⌘⇧4 to snap",
    "Press ⇧⌘4 — new screenshots open here automatically.",
    "Thanks for giving Lumaforge a shot, it really means a lot.\nHit ⌘⇧4 whenever you're ready. We'll be here.",
    "Use the macOS shortcut you already know. Your shot lands here the instant you take it.",
    "macOS screenshot shortcuts",
    "Lumaforge uses your Mac's built-in capture shortcuts — nothing to grant. Take a screenshot and it opens here "
    "automatically. You can also paste (⌘V) or open a file from the menu-bar.",
    "Disable macOS floating thumbnail (for instant load)",
    "Local & private — captures never leave your Mac.",
    "Cut out the subject on-device with Apple Vision — nothing leaves your Mac",
    "On-device · powered by Apple Vision",
    "Runs quietly in the menu bar",
    "Go to System Settings › Privacy & Security › Files and Folders",
    "Desktop folder access denied — stopping watcher. Grant access in System Settings › Privacy & Security › Files "
    "and Folders.",
};
}

TEST(PlatformTexts, EveryTextNamingTheOtherDesktopIsAdapted)
{
    const QStringList foreign { QStringLiteral("⌘"), QStringLiteral("⇧"), QStringLiteral("⌥"), QStringLiteral("⌃"),
        QStringLiteral("⌫"), QStringLiteral("Mac"), QStringLiteral("Apple"), QStringLiteral("System Settings"),
        QStringLiteral("menu bar"), QStringLiteral("menu-bar"), QStringLiteral("toolbar") };
    for (const char* text : kDesignTexts) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(hasPlatformText(text));
        const QString adapted = platformText(text);
        for (const QString& word : foreign)
            EXPECT_FALSE(adapted.contains(word, Qt::CaseSensitive)) << adapted.toStdString();
    }
}

TEST(PlatformTexts, SentencesKeepTheirShape)
{
    // The caller appends a platform name to this one: its trailing space must survive.
    EXPECT_EQ(platformText("Screenshot copied — press ⌘V to paste in "), "Screenshot copied — press Ctrl+V to paste in ");
    EXPECT_EQ(platformText(" drawn · Select to drag, ⌫ to delete.").front(), QChar(u' '));
    // Key caps split at spaces: each desktop shortcut is one cap.
    for (const char* combo : { "⇧⌘4", "⇧⌘4 then Space", "⇧⌘3", "⇧⌘5" })
        EXPECT_FALSE(platformText(combo).contains(QLatin1Char(' '))) << combo;
    EXPECT_TRUE(platformText("Thanks for giving Lumaforge a shot, it really means a lot.\nHit ⌘⇧4 whenever you're "
                             "ready. We'll be here.")
                    .contains(QLatin1Char('\n')));
}

TEST(PlatformTexts, OtherTextsPassThrough)
{
    EXPECT_FALSE(hasPlatformText("Copied to clipboard"));
    EXPECT_EQ(platformText("Copied to clipboard"), "Copied to clipboard");
    EXPECT_EQ(platformText("Größe — ✓"), QString::fromUtf8("Größe — ✓"));
    EXPECT_EQ(platformText(nullptr), QString());
}
