#include "ui/Spring.h"

#include "support/Wait.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cmath>

TEST(Spring, StartsAtRestAndSettlesOnTarget)
{
    for (const Spring spring : { Spring { 0.22, 0.75 }, Spring { 0.3, 1.0 }, Spring { 0.5, 1.6 }, Spring { 0.3, 0.6 } }) {
        SCOPED_TRACE(testing::Message() << spring.response << "/" << spring.dampingFraction);
        EXPECT_NEAR(spring.value(0), 0.0, 1e-12);
        EXPECT_NEAR(spring.velocity(0), 0.0, 1e-9);
        const double settle = spring.settlingDuration();
        EXPECT_GT(settle, 0.05);
        EXPECT_LT(settle, 3.0);
        for (double t = settle; t < settle + 2.0; t += 0.01)
            ASSERT_NEAR(spring.value(t), 1.0, 1.5e-3);
    }
}

TEST(Spring, DampingDecidesOvershoot)
{
    const auto peak = [](Spring s) {
        double best = 0;
        for (double t = 0; t < 3; t += 0.001)
            best = std::max(best, s.value(t));
        return best;
    };
    EXPECT_GT(peak({ 0.3, 0.6 }), 1.05);
    EXPECT_LE(peak({ 0.3, 1.0 }), 1.0 + 1e-9);
    EXPECT_LE(peak({ 0.3, 1.5 }), 1.0 + 1e-9);
    // Response is the period: a lightly damped spring first peaks near half a period.
    const Spring light { 0.4, 0.1 };
    double tPeak = 0, best = 0;
    for (double t = 0; t < 0.4; t += 0.0005) {
        if (light.value(t) > best) {
            best = light.value(t);
            tPeak = t;
        }
    }
    EXPECT_NEAR(tPeak, 0.2, 0.01);
}

TEST(Spring, VelocityIsTheDerivativeIncludingAPush)
{
    for (const Spring spring : { Spring { 0.22, 0.75 }, Spring { 0.3, 1.0 }, Spring { 0.5, 1.6 } }) {
        for (double v0 : { 0.0, 4.0, -3.0 }) {
            EXPECT_NEAR(spring.velocity(0, v0), v0, 1e-9);
            for (double t : { 0.01, 0.05, 0.2 }) {
                const double h = 1e-6;
                const double numeric = (spring.value(t + h, v0) - spring.value(t - h, v0)) / (2 * h);
                EXPECT_NEAR(spring.velocity(t, v0), numeric, 1e-4);
            }
        }
    }
}

TEST(SpringAnimation, EndsExactlyOnTheEndValue)
{
    SpringAnimation animation(Spring { 0.22, 0.75 });
    animation.setStartValue(0.0);
    animation.setEndValue(10.0);
    double highest = 0;
    QObject::connect(&animation, &QVariantAnimation::valueChanged,
        [&](const QVariant& v) { highest = std::max(highest, v.toDouble()); });
    animation.start();
    ASSERT_TRUE(waitUntil([&] { return animation.state() == QAbstractAnimation::Stopped; }, 3000));
    EXPECT_EQ(animation.currentValue().toDouble(), 10.0);
    EXPECT_GT(highest, 10.0); // it sprang past the target on the way
}

TEST(SpringAnimation, RetargetContinuesFromWhereItIs)
{
    SpringAnimation animation(Spring { 0.4, 0.9 });
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.start();
    spin(80);
    const double here = animation.currentValue().toDouble();
    const double velocity = animation.currentVelocity();
    ASSERT_GT(here, 0.05);
    ASSERT_GT(velocity, 0.1);
    animation.retarget(0.0);
    EXPECT_NEAR(animation.startValue().toDouble(), here, 1e-9);
    EXPECT_NEAR(animation.currentVelocity(), velocity, std::abs(velocity) * 0.05 + 1e-3);
    // It keeps moving up for a moment (its velocity carried over) before returning.
    spin(15);
    EXPECT_GE(animation.currentValue().toDouble(), here - 0.02);
    ASSERT_TRUE(waitUntil([&] { return animation.state() == QAbstractAnimation::Stopped; }, 3000));
    EXPECT_EQ(animation.currentValue().toDouble(), 0.0);
}
