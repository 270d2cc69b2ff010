#include "fakes/FakeKeystrokePoster.h"
#include "platform/Keys.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr quint32 kPrint = 0xff61;

DesktopScreenshotKeys twoStepKeys()
{
    DesktopScreenshotKeys keys = DesktopScreenshotKeys::forDesktop(QStringLiteral("GNOME"));
    keys.windowFollowUp = KeyChord { 0x20, 0 };
    return keys;
}

class KeystrokeToolTest : public ::testing::Test {
protected:
    KeystrokeToolTest()
    {
        auto fake = std::make_unique<FakeKeystrokePoster>();
        poster = fake.get();
        tool = std::make_unique<KeystrokeScreenshotTool>(std::move(fake), twoStepKeys());
    }
    FakeKeystrokePoster* poster;
    std::unique_ptr<KeystrokeScreenshotTool> tool;
};

TEST_F(KeystrokeToolTest, PressesTheDesktopsOwnKeys)
{
    tool->capture(SystemCapture::fullScreen);
    tool->capture(SystemCapture::selection);
    ASSERT_EQ(poster->posted.size(), 2);
    EXPECT_EQ(poster->posted[0].chord, (KeyChord { kPrint, CarbonModifier::shift }));
    EXPECT_EQ(poster->posted[1].chord, (KeyChord { kPrint, 0 }));
}

TEST_F(KeystrokeToolTest, TheWindowsSecondPressFollowsAfterAFifthOfASecond)
{
    tool->capture(SystemCapture::window);
    ASSERT_EQ(poster->posted.size(), 1);
    EXPECT_EQ(poster->posted[0].chord, (KeyChord { kPrint, CarbonModifier::option }));
    ASSERT_TRUE(waitUntil([&] { return poster->posted.size() == 2; }));
    EXPECT_EQ(poster->posted[1].chord, (KeyChord { 0x20, 0 }));
    EXPECT_GE(poster->posted[1].atMs - poster->posted[0].atMs, KeystrokeScreenshotTool::followUpDelayMs);
}

TEST_F(KeystrokeToolTest, WithoutAWayToPressKeysNothingIsPostedAndTheNoticeSaysWhy)
{
    poster->trusted = false;
    QSignalSpy notices(tool.get(), &SystemScreenshotTool::unavailable);
    for (SystemCapture what : { SystemCapture::options, SystemCapture::selection, SystemCapture::window, SystemCapture::fullScreen })
        tool->capture(what);
    spin(300);
    EXPECT_TRUE(poster->posted.isEmpty());
    ASSERT_EQ(notices.count(), 4);
    EXPECT_EQ(notices.at(0).at(0).toString(), QStringLiteral("no XTEST"));
}

// A key nobody listens for would do nothing: the tool says so instead of pressing it. GNOME's
// listeners cannot be seen that way, so there the key is pressed regardless.
TEST_F(KeystrokeToolTest, AKeyNobodyListensForIsNotPressedAndTheToolSaysSo)
{
    poster->listened = false;
    QSignalSpy noAnswer(tool.get(), &SystemScreenshotTool::noAnswer);
    auto fake = std::make_unique<FakeKeystrokePoster>();
    FakeKeystrokePoster* plainPoster = fake.get();
    plainPoster->listened = false;
    KeystrokeScreenshotTool xfce(std::move(fake), DesktopScreenshotKeys::forDesktop(QStringLiteral("XFCE")));
    QSignalSpy xfceNoAnswer(&xfce, &SystemScreenshotTool::noAnswer);
    xfce.capture(SystemCapture::selection);
    xfce.capture(SystemCapture::window);
    EXPECT_TRUE(plainPoster->posted.isEmpty());
    EXPECT_EQ(xfceNoAnswer.count(), 2);

    tool->capture(SystemCapture::fullScreen); // GNOME's keys
    EXPECT_EQ(poster->posted.size(), 1);
    EXPECT_EQ(noAnswer.count(), 0);
}

TEST_F(KeystrokeToolTest, APendingSecondPressDiesWithTheTool)
{
    // The poster goes with the tool: a second press that still ran would use it after its end.
    // A poster that outlives the tool records any such press.
    auto kept = std::make_shared<QList<KeyChord>>();
    struct SharedPoster final : KeystrokePoster {
        std::shared_ptr<QList<KeyChord>> posted;
        bool isAvailable() const override { return true; }
        QString explainUnavailable() const override { return {}; }
        void post(const KeyChord& chord) override { posted->append(chord); }
    };
    auto shared = std::make_unique<SharedPoster>();
    shared->posted = kept;
    tool = std::make_unique<KeystrokeScreenshotTool>(std::move(shared), twoStepKeys());
    tool->capture(SystemCapture::window);
    ASSERT_EQ(kept->size(), 1);
    tool.reset();
    spin(KeystrokeScreenshotTool::followUpDelayMs + 200);
    EXPECT_EQ(kept->size(), 1);
}

TEST(DesktopScreenshotKeysTest, PicksTheBindingsOfTheRunningDesktop)
{
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop(QStringLiteral("KDE")).selection,
        (KeyChord { kPrint, CarbonModifier::control | CarbonModifier::shift }));
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop(QStringLiteral("ubuntu:GNOME")).window, (KeyChord { kPrint, CarbonModifier::option }));
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop(QStringLiteral("XFCE")).selection, (KeyChord { kPrint, CarbonModifier::shift }));
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop(QString()).fullScreen, (KeyChord { kPrint, 0 }));
}

}
