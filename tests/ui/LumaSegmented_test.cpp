#include "ui/LumaSegmented.h"
#include "ui/Theme.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
enum class Frame { none, light, dark };

struct SegmentedFixture : ::testing::Test {
    SegmentedFixture()
    {
        picker.setOptions(QList<std::pair<Frame, QString>> {
            { Frame::none, QStringLiteral("None") }, { Frame::light, QStringLiteral("Light") },
            { Frame::dark, QStringLiteral("Dark") } });
        picker.setSelection(QVariant::fromValue(Frame::none));
        picker.resize(300, picker.sizeHint().height());
        picker.show();
    }
    void tap(int index) { QTest::mouseClick(&picker, Qt::LeftButton, {}, picker.segmentRect(index).center().toPoint()); }

    LumaSegmented picker;
};
}

TEST_F(SegmentedFixture, TapSelectsAndRetapWritesAgain)
{
    QSignalSpy activated(&picker, &LumaSegmented::activated);
    QSignalSpy changed(&picker, &LumaSegmented::selectionChanged);
    tap(2);
    EXPECT_EQ(picker.selectionAs<Frame>(), Frame::dark);
    EXPECT_TRUE(picker.isSelected(2));
    EXPECT_FALSE(picker.isSelected(0));
    tap(2);
    EXPECT_EQ(activated.count(), 2);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(SegmentedFixture, SegmentsShareTheWidthEqually)
{
    const QRectF a = picker.segmentRect(0), b = picker.segmentRect(1), c = picker.segmentRect(2);
    EXPECT_DOUBLE_EQ(a.width(), c.width());
    EXPECT_DOUBLE_EQ(b.left() - a.right(), 5.0);
    EXPECT_DOUBLE_EQ(a.left(), 3.0);
    EXPECT_DOUBLE_EQ(picker.width() - c.right(), 3.0);
    EXPECT_DOUBLE_EQ(a.height(), 26.0);
    // The gaps between segments take no taps.
    QSignalSpy activated(&picker, &LumaSegmented::activated);
    QTest::mouseClick(&picker, Qt::LeftButton, {}, QPointF((a.right() + b.left()) / 2, a.center().y()).toPoint());
    EXPECT_EQ(activated.count(), 0);
}

TEST_F(SegmentedFixture, PressAndReleaseOnDifferentSegmentsIsNoTap)
{
    QTest::mousePress(&picker, Qt::LeftButton, {}, picker.segmentRect(0).center().toPoint());
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, picker.segmentRect(1).center().toPoint());
    EXPECT_EQ(picker.selectionAs<Frame>(), Frame::none);
}

TEST_F(SegmentedFixture, UnmatchedSelectionShowsNoneAndRepeatedValuesAllShow)
{
    picker.setSelection(QVariant::fromValue(QStringLiteral("elsewhere")));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(picker.isSelected(i));

    picker.setOptions({ { 1, QStringLiteral("One") }, { 2, QStringLiteral("Two") }, { 1, QStringLiteral("Uno") } });
    picker.setSelection(1);
    EXPECT_TRUE(picker.isSelected(0));
    EXPECT_FALSE(picker.isSelected(1));
    EXPECT_TRUE(picker.isSelected(2));
}

TEST_F(SegmentedFixture, SelectedSegmentIsOnTheGradientInBothSchemes)
{
    picker.setSelection(QVariant::fromValue(Frame::light));
    const QRectF selected = picker.segmentRect(1);
    const QPoint edge = QPointF(selected.left() + 4, selected.center().y()).toPoint(); // beside the label
    const QPoint track = QPointF(picker.segmentRect(0).left() + 4, selected.center().y()).toPoint();
    QColor fills[2], tracks[2];
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        Theme::setColorScheme(&picker, scheme);
        const QImage image = picker.grab().toImage();
        fills[int(scheme)] = image.pixelColor(edge);
        tracks[int(scheme)] = image.pixelColor(track);
    }
    EXPECT_EQ(fills[0], fills[1]);
    EXPECT_GT(fills[0].blue(), 200);
    EXPECT_LT(fills[0].green(), 80);
    EXPECT_NE(tracks[0], tracks[1]);
}
