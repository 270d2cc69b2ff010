#include "confetti/ConfettiCannon.h"

#include <QPainter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// The welcome page's cannon.
ConfettiOptions welcomeOptions()
{
    ConfettiOptions o;
    o.num = 60;
    o.colors = { QColor(0xF030B0), QColor(0xC030E0), QColor(0x8020F0), QColor(0x1080F0), Qt::white };
    o.confettiSize = 8;
    o.rainHeight = 500;
    o.radius = 340;
    o.openingAngle = 60;
    o.closingAngle = 120;
    o.repetitions = 1;
    o.repetitionInterval = 1.0;
    return o;
}

struct FakeTime {
    double seconds = 100.0;
    ConfettiClock clock()
    {
        return [this] { return seconds; };
    }
};

ConfettiRandom seeded(quint32 seed)
{
    auto generator = std::make_shared<QRandomGenerator>(seed);
    return [generator] { return generator->generateDouble(); };
}

ConfettiRandom constant(double u)
{
    return [u] { return u; };
}

}

TEST(ConfettiTiming, DurationsFollowRadiusAndRainHeight)
{
    const ConfettiConfig config(welcomeOptions());
    EXPECT_NEAR(config.explosionAnimationDuration, 0.26154, 1e-5);
    EXPECT_NEAR(config.rainAnimationDuration, 4.2, 1e-12);
    EXPECT_NEAR(config.burstDuration(), 4.4615, 1e-4);

    // The rain starts a tenth of the explosion time in: before it, no piece has fallen.
    ConfettiBurst burst(std::make_shared<ConfettiConfig>(welcomeOptions()), 0, seeded(3));
    for (const ConfettiPieceState& piece : burst.pieces()) {
        const auto before = piece.at(0.026, config);
        const auto after = piece.at(0.05, config);
        const double flyOut = piece.burstLocation.y() * (before.location.x() / piece.burstLocation.x());
        EXPECT_NEAR(before.location.y(), flyOut, 1e-6) << "fell before the rain";
        EXPECT_GT(after.location.y(), piece.burstLocation.y() * (after.location.x() / piece.burstLocation.x()));
    }
}

TEST(ConfettiTiming, BurstsLeaveAfterTheirTimeOnAFakeClock)
{
    FakeTime time;
    ConfettiCannon cannon(welcomeOptions(), nullptr, time.clock(), seeded(1));
    cannon.setTrigger(1);
    EXPECT_EQ(cannon.firedCount(), 0) << "a change before the cannon appears is lost";

    cannon.markAppeared();
    cannon.setTrigger(1);
    EXPECT_EQ(cannon.firedCount(), 0) << "the same value is no change";
    cannon.setTrigger(2);
    ASSERT_EQ(cannon.activeBursts().size(), 1u);
    EXPECT_EQ(cannon.activeBursts().front().pieces().size(), 60);
    EXPECT_TRUE(cannon.isAnimating());

    time.seconds += 4.4614;
    cannon.advance();
    EXPECT_EQ(cannon.activeBursts().size(), 1u);
    time.seconds += 0.0002;
    cannon.advance();
    EXPECT_TRUE(cannon.activeBursts().empty());
    EXPECT_EQ(cannon.finishedCount(), 1);
    EXPECT_FALSE(cannon.isAnimating()) << "no timer runs without a burst";
}

TEST(ConfettiTiming, RepetitionsScheduleBurstsOneIntervalApart)
{
    FakeTime time;
    ConfettiOptions none = welcomeOptions();
    none.repetitions = 0;
    ConfettiCannon silent(none, nullptr, time.clock(), seeded(1));
    silent.markAppeared();
    silent.setTrigger(1);
    EXPECT_EQ(silent.firedCount(), 0);
    EXPECT_EQ(silent.pendingCount(), 0);
    EXPECT_FALSE(silent.isAnimating());

    ConfettiOptions three = welcomeOptions();
    three.repetitions = 3;
    ConfettiCannon cannon(three, nullptr, time.clock(), seeded(1));
    cannon.markAppeared();
    const double start = time.seconds;
    cannon.setTrigger(1);
    EXPECT_EQ(cannon.firedCount(), 1);
    EXPECT_EQ(cannon.pendingCount(), 2);
    time.seconds = start + 0.999;
    cannon.advance();
    EXPECT_EQ(cannon.firedCount(), 1);
    time.seconds = start + 2.0;
    cannon.advance();
    ASSERT_EQ(cannon.activeBursts().size(), 3u) << "three bursts on screen at once";
    EXPECT_DOUBLE_EQ(cannon.activeBursts()[1].startTime(), start + 1.0);
    EXPECT_DOUBLE_EQ(cannon.activeBursts()[2].startTime(), start + 2.0);

    // A change while these fall adds bursts; finished ones leave in firing order.
    cannon.setTrigger(2);
    EXPECT_EQ(cannon.activeBursts().size(), 4u);
    time.seconds = start + 4.5;
    cannon.advance();
    EXPECT_EQ(cannon.finishedCount(), 1);
    EXPECT_DOUBLE_EQ(cannon.activeBursts().front().startTime(), start + 1.0);
    time.seconds = start + 30;
    cannon.advance();
    EXPECT_EQ(cannon.firedCount(), 6);
    EXPECT_EQ(cannon.finishedCount(), 6);
}

TEST(ConfettiGeometry, AnglesStayInTheConeAndWrapThroughZero)
{
    const auto anglesOf = [](double opening, double closing) {
        ConfettiOptions o = welcomeOptions();
        o.num = 400;
        o.openingAngle = opening;
        o.closingAngle = closing;
        ConfettiBurst burst(std::make_shared<ConfettiConfig>(o), 0, seeded(7));
        return burst.pieces();
    };
    for (const ConfettiPieceState& piece : anglesOf(60, 120)) {
        EXPECT_GE(piece.angle, 60);
        EXPECT_LE(piece.angle, 120);
        EXPECT_LT(piece.burstLocation.y(), 0) << "above the centre";
    }
    int nearZero = 0, nearThreeHundred = 0;
    for (const ConfettiPieceState& piece : anglesOf(300, 60)) {
        EXPECT_TRUE((piece.angle >= 300 && piece.angle < 360) || (piece.angle >= 0 && piece.angle <= 60))
            << piece.angle;
        nearZero += piece.angle <= 60;
        nearThreeHundred += piece.angle >= 300;
    }
    EXPECT_GT(nearZero, 100);
    EXPECT_GT(nearThreeHundred, 100);
    for (const ConfettiPieceState& piece : anglesOf(45, 45))
        EXPECT_NEAR(std::atan2(-piece.burstLocation.y(), piece.burstLocation.x()) * 180 / M_PI, 45, 1e-9);

    // The draw's ends: u = 1 in the wrapped cone lands on 60 (420 reduced), u = 0 on 300.
    ConfettiOptions wrapped = welcomeOptions();
    wrapped.openingAngle = 300;
    wrapped.closingAngle = 60;
    EXPECT_NEAR(ConfettiBurst(std::make_shared<ConfettiConfig>(wrapped), 0, constant(1)).pieces()[0].angle, 60, 1e-9);
    EXPECT_NEAR(ConfettiBurst(std::make_shared<ConfettiConfig>(wrapped), 0, constant(0)).pieces()[0].angle, 300, 1e-9);
}

TEST(ConfettiGeometry, DistancesPackTowardsTheRimWithinBounds)
{
    const auto config = std::make_shared<ConfettiConfig>(welcomeOptions());
    const double inner = 340 * std::pow(0.01, 2.0 / 7.0);
    EXPECT_NEAR(inner / 340, 0.268, 1e-3);
    EXPECT_NEAR(ConfettiBurst(config, 0, constant(0)).pieces()[0].distance, inner, 1e-9);
    EXPECT_NEAR(ConfettiBurst(config, 0, constant(1)).pieces()[0].distance, 340, 1e-9);
    int outerHalf = 0;
    ConfettiBurst burst(config, 0, seeded(11));
    for (const ConfettiPieceState& piece : burst.pieces()) {
        EXPECT_GE(piece.distance, inner - 1e-9);
        EXPECT_LE(piece.distance, 340 + 1e-9);
        EXPECT_NEAR(std::hypot(piece.burstLocation.x(), piece.burstLocation.y()), piece.distance, 1e-9);
        outerHalf += piece.distance > 170;
    }
    EXPECT_GT(outerHalf, 50) << "the exponent packs pieces towards the rim";
}

TEST(ConfettiGeometry, PieceEndsFallenByRainHeightAndFaded)
{
    ConfettiConfig config(welcomeOptions());
    const auto shared = std::make_shared<ConfettiConfig>(config);
    ConfettiBurst burst(shared, 0, seeded(5));
    const ConfettiPieceState& piece = burst.pieces()[0];
    const auto end = piece.at(config.burstDuration(), config);
    EXPECT_NEAR(end.location.x(), piece.burstLocation.x(), 1e-9);
    EXPECT_NEAR(end.location.y(), piece.burstLocation.y() + 500, 1e-9);
    EXPECT_DOUBLE_EQ(end.opacity, 0.0);
    EXPECT_DOUBLE_EQ(piece.at(0, config).opacity, 0.0) << "starts invisible at the centre";
    EXPECT_EQ(piece.at(0, config).location, QPointF(0, 0));
    const auto mid = piece.at(0.6, config);
    EXPECT_GT(mid.opacity, 0.5);
    EXPECT_LE(mid.opacity, 1.0);

    ConfettiOptions steady = welcomeOptions();
    steady.fadesOut = false;
    steady.opacity = 0.8;
    ConfettiConfig steadyConfig(steady);
    ConfettiBurst steadyBurst(std::make_shared<ConfettiConfig>(steadyConfig), 0, seeded(5));
    for (double t : { 1.0, 2.5, 4.4 })
        EXPECT_NEAR(steadyBurst.pieces()[0].at(t, steadyConfig).opacity, 0.8, 1e-9) << t;
}

TEST(ConfettiPieces, OnePreparedPiecePerTypeAndColour)
{
    const ConfettiConfig config(welcomeOptions());
    ASSERT_EQ(config.shapes.size(), 25);
    for (const ConfettiPiece& piece : config.shapes)
        EXPECT_EQ(piece.size, QSizeF(8, 8));
    // Shapes outer, colours inner: the second piece is a circle in the second colour.
    const QImage second = config.shapes[1].image;
    EXPECT_EQ(second.pixelColor(second.width() / 2, second.height() / 2).rgb(), QColor(0xC030E0).rgb());

    ConfettiOptions mixed = welcomeOptions();
    mixed.confettis = { ConfettiType::text(QStringLiteral("🎉")), ConfettiType::sfSymbol(QStringLiteral("star.fill")),
        ConfettiType::image(QStringLiteral("icons/lumaforge.svg")), ConfettiType::image(QStringLiteral("missing")) };
    mixed.colors = { Qt::red, Qt::blue };
    const ConfettiConfig mixedConfig(mixed);
    EXPECT_EQ(mixedConfig.shapes.size(), 8);
    EXPECT_LE(mixedConfig.shapes[4].size.width(), 8) << "images fit the piece size";

    // Outside the caller's limits (no colours) a burst is empty rather than a crash.
    ConfettiOptions colourless = welcomeOptions();
    colourless.colors.clear();
    ConfettiBurst empty(std::make_shared<ConfettiConfig>(colourless), 0, seeded(1));
    EXPECT_TRUE(empty.pieces().isEmpty());

    EXPECT_EQ(ConfettiType::allCases().size(), 5u);
    EXPECT_EQ(ConfettiType::text("a"), ConfettiType::text("a"));
    EXPECT_NE(ConfettiType::text("a"), ConfettiType::sfSymbol("a"));
    EXPECT_NE(qHash(ConfettiType::text("a")), qHash(ConfettiType::sfSymbol("a")));
}

TEST(ConfettiPieces, CustomShapesCoverTheirParts)
{
    const QRectF frame(0, 0, 30, 30);
    const QPainterPath cross = confettiShapePath(ConfettiType::Shape::roundedCross, frame);
    EXPECT_TRUE(cross.contains(QPointF(15, 15)));
    EXPECT_TRUE(cross.contains(QPointF(15, 1)));
    EXPECT_TRUE(cross.contains(QPointF(1, 15)));
    EXPECT_FALSE(cross.contains(QPointF(2, 2))) << "the corners are cut away";
    EXPECT_FALSE(cross.contains(QPointF(28, 28)));

    const QPainterPath slim = confettiShapePath(ConfettiType::Shape::slimRectangle, frame);
    EXPECT_TRUE(slim.contains(QPointF(15, 27)));
    EXPECT_FALSE(slim.contains(QPointF(15, 20)));
    EXPECT_NEAR(slim.boundingRect().height(), 6, 1e-9);

    const QPainterPath triangle = confettiShapePath(ConfettiType::Shape::triangle, frame);
    EXPECT_TRUE(triangle.contains(QPointF(15, 20)));
    EXPECT_FALSE(triangle.contains(QPointF(3, 5)));
}
