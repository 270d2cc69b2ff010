#include "editor/ColorChipButton.h"
#include "editor/ColorChooserPopover.h"
#include "fakes/FakeColorSampler.h"
#include "model/ColorHex.h"
#include "support/Wait.h"
#include "ui/PopoverWindow.h"

#include <QColorDialog>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class ColorChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ColorSampler::setShared(&sampler);
        host.resize(200, 100);
        chip = new ColorChipButton(0x0A84FF, [this](int hex) { picks.append(hex); }, 18, &host);
        chip->move(80, 20);
        host.show();
    }
    void TearDown() override { ColorSampler::setShared(nullptr); }

    // Clicks the chip and returns the chooser it opened.
    ColorChooserPopover* open()
    {
        QTest::mouseClick(chip, Qt::LeftButton);
        EXPECT_TRUE(chip->isShowing());
        EXPECT_TRUE(chip->popover() && chip->popover()->isVisible());
        return chip->chooser();
    }

    QList<int> ringed(ColorChooserPopover* chooser) const
    {
        QList<int> out;
        for (int i = 0; i < int(colorPalette.size()); ++i) {
            if (chooser->swatch(i)->isRinged())
                out.append(i);
        }
        return out;
    }

    FakeColorSampler sampler;
    QWidget host;
    ColorChipButton* chip = nullptr;
    QList<int> picks;
};
}

TEST_F(ColorChooserTest, ChipOpensTheChooserBelowItAndAClickDoesNotToggleIt)
{
    EXPECT_EQ(chip->toolTip(), QStringLiteral("Colour"));
    EXPECT_FALSE(chip->isShowing());
    ColorChooserPopover* chooser = open();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->width(), 190);
    EXPECT_EQ(chip->popover()->arrowEdge(), Qt::BottomEdge);
    EXPECT_GE(chip->popover()->geometry().top() + PopoverWindow::kShadowMargin,
        chip->mapToGlobal(QPoint(0, chip->height())).y() - 1);

    QTest::mouseClick(chip, Qt::LeftButton);
    EXPECT_TRUE(chip->isShowing());
    chip->popover()->hide(); // what a click elsewhere does
    EXPECT_FALSE(chip->isShowing());
    EXPECT_TRUE(picks.isEmpty());
}

TEST_F(ColorChooserTest, TheRingMarksOnlyAnExactlyEqualColourAndASwatchPicksWithoutClosing)
{
    ColorChooserPopover* chooser = open();
    EXPECT_EQ(ringed(chooser), QList<int> { 5 }); // 0x0A84FF
    chip->setHex(0x0A84FE);
    EXPECT_TRUE(ringed(chooser).isEmpty());
    chip->setHex(0xFFFFFF);
    EXPECT_EQ(ringed(chooser), QList<int> { 9 });

    ColorSwatch* red = chooser->swatch(0);
    QTest::mouseClick(red, Qt::LeftButton, {}, QPoint(red->width() / 2, red->height() / 2));
    // The swatch's corner lies outside its circle.
    QTest::mouseClick(chooser->swatch(3), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(picks, QList<int> { 0xFF3B30 });
    EXPECT_TRUE(chip->popover()->isVisible());
}

TEST_F(ColorChooserTest, PickHandsOnTheSampledColourAndACancelNothing)
{
    ColorChooserPopover* chooser = open();
    ASSERT_TRUE(chooser->pickButton()->isEnabled());
    EXPECT_EQ(chooser->pickButton()->toolTip(), QStringLiteral("Sample a colour from anywhere on screen"));

    QTest::mouseClick(chooser->pickButton(), Qt::LeftButton);
    // Out of the way while the screen is sampled, and not clickable twice.
    EXPECT_FALSE(chip->popover()->isVisible());
    EXPECT_FALSE(chooser->pickButton()->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return sampler.starts == 1; }));
    sampler.answer(std::nullopt);
    EXPECT_TRUE(picks.isEmpty());
    EXPECT_TRUE(chooser->pickButton()->isEnabled());
    EXPECT_TRUE(chip->popover()->isVisible());
    EXPECT_TRUE(chip->isShowing());

    QTest::mouseClick(chooser->pickButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return sampler.starts == 2; }));
    sampler.answer(QColor(255, 0, 0));
    EXPECT_EQ(picks, QList<int> { 0xFF0000 });
    EXPECT_TRUE(chip->popover()->isVisible());
}

TEST_F(ColorChooserTest, WithoutASamplerPickIsDisabled)
{
    FakeColorSampler none(false);
    ColorSampler::setShared(&none);
    ColorChooserPopover* chooser = open();
    EXPECT_FALSE(chooser->pickButton()->isEnabled());
    QTest::mouseClick(chooser->pickButton(), Qt::LeftButton);
    spin(ColorChooserPopover::kSamplerDelayMs + 50);
    EXPECT_EQ(none.starts, 0);
}

TEST_F(ColorChooserTest, TheColourWheelOpensBesideTheChooserAndReportsEveryChange)
{
    ColorChooserPopover* chooser = open();
    EXPECT_EQ(chooser->colorWell()->toolTip(), QStringLiteral("Open the colour wheel"));
    QTest::mouseClick(chooser->colorWell(), Qt::LeftButton);
    QColorDialog* dialog = chooser->colorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(hexFromColor(dialog->currentColor()), 0x0A84FF);

    dialog->setCurrentColor(QColor(0x80, 0x10, 0x20));
    dialog->setCurrentColor(QColor(0x81, 0x10, 0x20));
    EXPECT_EQ(picks, (QList<int> { 0x801020, 0x811020 }));
    // A colour set from outside moves the wheel without reporting back.
    chip->setHex(0x00FF00);
    EXPECT_EQ(hexFromColor(dialog->currentColor()), 0x00FF00);
    EXPECT_EQ(picks.size(), 2);

    // The wheel goes with its chip.
    QPointer<QColorDialog> guard(dialog);
    delete chip;
    EXPECT_TRUE(guard.isNull());
}
