#include "ui/LumaSlider.h"
#include "ui/Theme.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
struct SliderFixture : ::testing::Test {
    SliderFixture()
    {
        slider.setRange(0, 100);
        slider.resize(300, slider.sizeHint().height());
        slider.setOnBegin([this] { ++begins; });
        QObject::connect(&slider, &LumaSlider::valueChanged, [this](double v) { writes.append(v); });
        slider.show();
    }

    QPoint trackPoint(double fraction) const
    {
        const QRectF track = slider.trackRect();
        return QPointF(track.left() + track.width() * fraction, track.center().y()).toPoint();
    }

    LumaSlider slider { QStringLiteral("Padding") };
    int begins = 0;
    QList<double> writes;
};
}

TEST(LumaSliderFormat, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(LumaSlider::defaultFormat(12.5), "13");
    EXPECT_EQ(LumaSlider::defaultFormat(-2.5), "-3");
    EXPECT_EQ(LumaSlider::defaultFormat(2.5), "3");
    EXPECT_EQ(LumaSlider::defaultFormat(-0.4), "0"); // no "-0"
    EXPECT_EQ(LumaSlider::defaultFormat(0.4), "0");
    EXPECT_EQ(LumaSlider::defaultFormat(-0.6), "-1");
    EXPECT_EQ(LumaSlider::defaultFormat(1234567.0), "1234567"); // no grouping separators
}

TEST(LumaSliderFormat, UnrepresentableValuesDoNotTrap)
{
    EXPECT_EQ(LumaSlider::defaultFormat(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(LumaSlider::defaultFormat(std::numeric_limits<double>::infinity()), "9223372036854775807");
    EXPECT_EQ(LumaSlider::defaultFormat(-std::numeric_limits<double>::infinity()), "-9223372036854775808");
    EXPECT_EQ(LumaSlider::defaultFormat(1e300), "9223372036854775807");
    EXPECT_EQ(LumaSlider::defaultFormat(9223372036854775808.0), "9223372036854775807");
    EXPECT_EQ(LumaSlider::defaultFormat(-9223372036854775808.0), "-9223372036854775808");
}

TEST(LumaSliderGeometry, KnobStaysOnTheTrack)
{
    EXPECT_DOUBLE_EQ(LumaSlider::knobPosition(50, 0, 100, 200), 100);
    EXPECT_DOUBLE_EQ(LumaSlider::knobPosition(-20, 0, 100, 200), 0);
    EXPECT_DOUBLE_EQ(LumaSlider::knobPosition(250, 0, 100, 200), 200);
    // An empty range has no position: the knob sits at the trailing end.
    EXPECT_DOUBLE_EQ(LumaSlider::knobPosition(3, 3, 3, 200), 200);
    EXPECT_DOUBLE_EQ(LumaSlider::knobPosition(std::nan(""), 0, 1, 200), 200);
    // A reversed range still keeps the knob within the track.
    const double reversed = LumaSlider::knobPosition(5, 10, 0, 200);
    EXPECT_GE(reversed, 0);
    EXPECT_LE(reversed, 200);
}

TEST_F(SliderFixture, ClickSetsTheValueAndBeginsOnce)
{
    QTest::mouseClick(&slider, Qt::LeftButton, {}, trackPoint(0.25));
    EXPECT_NEAR(slider.value(), 25, 0.5);
    EXPECT_EQ(begins, 1);
    EXPECT_FALSE(slider.isDragging());
    // The value is continuous: nothing snaps to whole numbers.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, trackPoint(0.333));
    EXPECT_NE(slider.value(), std::round(slider.value()));
    EXPECT_EQ(begins, 2);
}

TEST_F(SliderFixture, OneBeginPerDragAndEndsPinTheValue)
{
    QTest::mousePress(&slider, Qt::LeftButton, {}, trackPoint(0.5));
    for (double f : { 0.6, 0.8, 1.4, 3.0 })
        QTest::mouseMove(&slider, trackPoint(f));
    EXPECT_EQ(slider.value(), 100);
    for (double f : { 0.2, -0.5, -2.0 })
        QTest::mouseMove(&slider, trackPoint(f));
    EXPECT_EQ(slider.value(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, trackPoint(-2.0));
    EXPECT_EQ(begins, 1);

    QTest::mousePress(&slider, Qt::LeftButton, {}, trackPoint(0.9));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, trackPoint(0.9));
    EXPECT_EQ(begins, 2);
}

TEST_F(SliderFixture, PressesOutsideTheTrackDoNothing)
{
    slider.setValue(40);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(slider.width() / 2, 2)); // on the title row
    EXPECT_EQ(slider.value(), 40);
    EXPECT_EQ(begins, 0);
}

TEST_F(SliderFixture, EmptyRangeWritesTheLowerBound)
{
    slider.setRange(3, 3);
    slider.setValue(7);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, trackPoint(0.7));
    EXPECT_EQ(slider.value(), 3);
}

TEST_F(SliderFixture, OutOfRangeValueIsShownAtTheNearerEndButKept)
{
    slider.setValue(250);
    EXPECT_EQ(slider.value(), 250);
    EXPECT_EQ(slider.readout(), "250");
    slider.setFormat([](double v) { return QString::number(int(v * 100) / 100) + QStringLiteral("%"); });
    EXPECT_EQ(slider.readout(), "250%");
}

// The knob is drawn where the value says and the rail takes the scheme's colour.
TEST_F(SliderFixture, PaintsKnobAndRailForEachScheme)
{
    slider.setValue(25);
    const QRectF track = slider.trackRect();
    const auto sample = [&](ColorScheme scheme, QPointF at) {
        Theme::setColorScheme(&slider, scheme);
        const QImage image = slider.grab().toImage();
        return image.pixelColor(at.toPoint());
    };
    const QPointF knobCentre(track.left() + track.width() * 0.25, track.center().y());
    EXPECT_EQ(sample(ColorScheme::light, knobCentre), QColor(Qt::white));
    const QPointF railAfterKnob(track.left() + track.width() * 0.75, track.center().y());
    const QColor lightRail = sample(ColorScheme::light, railAfterKnob);
    const QColor darkRail = sample(ColorScheme::dark, railAfterKnob);
    EXPECT_NE(lightRail, darkRail);
    // The filled part before the knob is violet in both schemes.
    const QColor fill = sample(ColorScheme::dark, QPointF(track.left() + track.width() * 0.1, track.center().y()));
    EXPECT_GT(fill.blue(), 150);
    EXPECT_GT(fill.red(), 100);
    EXPECT_LT(fill.green(), 100);
}
