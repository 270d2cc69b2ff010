// Shortcut labels from the X server's active keyboard layout, switched with setxkbmap as a user
// switching layouts would.
#include "capture/CaptureShortcut.h"
#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"
#include "platform/PortalHotkeyBackend.h"
#include "support/Wait.h"

#include <QKeyEvent>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

bool setLayout(const QString& layout)
{
    return QProcess::execute(QStringLiteral("setxkbmap"), { layout }) == 0;
}

struct LayoutTest : ::testing::Test {
    void TearDown() override { setLayout(QStringLiteral("us")); }
};

QKeyEvent pressAt(quint32 keyCode, Qt::KeyboardModifiers modifiers)
{
    // As the X server reports a press: the X keycode of the position and the keysym typed.
    const auto key = keyForCode(keyCode);
    return QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, modifiers, key->xKeycode, 0, 0);
}

TEST_F(LayoutTest, LabelsNameTheKeyTheActiveLayoutPutsOnThePosition)
{
    ASSERT_TRUE(KeyboardLayout::shared());
    ASSERT_TRUE(setLayout(QStringLiteral("us")));
    const CaptureShortcut yPosition { 16, CarbonModifier::command | CarbonModifier::option, QStringLiteral("Y") };
    EXPECT_EQ(yPosition.displayString(), QStringLiteral("Ctrl+Alt+Y"));

    ASSERT_TRUE(setLayout(QStringLiteral("de")));
    // The same stored position, now named as the German layout prints it.
    EXPECT_EQ(yPosition.displayString(), QStringLiteral("Ctrl+Alt+Z"));
    const auto recorded = CaptureShortcut::fromKeyEvent(pressAt(16, Qt::ControlModifier | Qt::AltModifier));
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->keyCode, 16u);
    EXPECT_EQ(recorded->keyLabel, QStringLiteral("Z"));
    // Unshifted symbols: Shift+6 types "&" here, the label stays "6"; a dead key shows its accent;
    // keys without a character keep their names.
    const auto six = CaptureShortcut::fromKeyEvent(pressAt(22, Qt::ControlModifier | Qt::ShiftModifier));
    ASSERT_TRUE(six);
    EXPECT_EQ(six->displayString(), QStringLiteral("Ctrl+Shift+6"));
    EXPECT_EQ(keyLabelFor(50), QStringLiteral("^")); // dead_circumflex left of 1
    EXPECT_EQ(keyLabelFor(33), QStringLiteral("Ü"));
    EXPECT_EQ(keyLabelFor(122), QStringLiteral("F1"));
    EXPECT_EQ(keyLabelFor(49), QStringLiteral("Space"));
    EXPECT_EQ(keyLabelFor(82), QStringLiteral("Num 0"));
    // The desktop portal is asked for the key the layout has there.
    EXPECT_EQ(PortalHotkeyBackend::preferredTrigger(16, CarbonModifier::command), QStringLiteral("CTRL+z"));
    EXPECT_EQ(PortalHotkeyBackend::preferredTrigger(82, CarbonModifier::command), QStringLiteral("CTRL+KP_0"));
}

}
