#include "render/CardShadow.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Brute force: the Gaussian-weighted share of a finely sampled rounded rectangle (circular corners).
double bruteForce(const QRectF& r, double radius, double sigma, const QPointF& p)
{
    const double h = 0.25;
    double sum = 0;
    for (double y = r.top() + h / 2; y < r.bottom(); y += h)
        for (double x = r.left() + h / 2; x < r.right(); x += h) {
            const double cx = std::clamp(x, r.left() + radius, r.right() - radius);
            const double cy = std::clamp(y, r.top() + radius, r.bottom() - radius);
            if (std::hypot(x - cx, y - cy) > radius)
                continue;
            const double dx = x - p.x(), dy = y - p.y();
            sum += std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
        }
    return sum * h * h / (2 * M_PI * sigma * sigma);
}
}

TEST(CardShadow, CoverageMatchesTheGaussianOfTheRoundedRectangle)
{
    const QRectF rect(0, 0, 120, 70);
    const double radius = 20, sigma = 8;
    const QPointF points[] = { { 60, 35 }, { 0, 35 }, { 60, 0 }, { -10, 35 }, { 0, 0 }, { 5, 5 }, { -8, -8 },
        { 120, 70 }, { 110, 65 }, { 126, 76 }, { 20, -4 }, { 119, 10 } };
    for (const QPointF& p : points)
        EXPECT_NEAR(roundedRectShadowCoverage(rect, radius, sigma, p), bruteForce(rect, radius, sigma, p), 0.004)
            << p.x() << "," << p.y();

    // Far outside nothing, half-way across a straight edge one half.
    EXPECT_LT(roundedRectShadowCoverage(rect, radius, sigma, { -30, 35 }), 0.001);
    EXPECT_NEAR(roundedRectShadowCoverage(QRectF(0, 0, 400, 400), 0, sigma, { 0, 200 }), 0.5, 1e-9);
}

TEST(CardShadow, PaintedShadowFollowsTheCoverage)
{
    // Scale 2, as renders are drawn; sample the painted alpha against the coverage.
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(2, 2);
    const QRectF card(40, 30, 120, 80);
    const DropShadow shadow { QColor(0, 0, 0, 128), 24, QPointF(0, 10) };
    paintRoundedRectShadow(p, card, 16, shadow);
    p.end();
    for (const QPointF pt : { QPointF(100, 70), QPointF(40, 70), QPointF(30, 60), QPointF(100, 125), QPointF(160, 120),
             QPointF(100, 30), QPointF(20, 20) }) {
        const double expected = 128 * roundedRectShadowCoverage(card.translated(0, 10), 16, 12, pt);
        const int actual = qAlpha(image.pixel(int(pt.x() * 2), int(pt.y() * 2)));
        EXPECT_NEAR(actual, expected, 3) << pt.x() << "," << pt.y();
    }
}

TEST(CardShadow, NoBlurOrNoOpacity)
{
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paintRoundedRectShadow(p, QRectF(10, 10, 50, 50), 5, { QColor(0, 0, 0, 0), 10, {} });
    EXPECT_EQ(qAlpha(image.pixel(35, 35)), 0);
    // Radius 0: a hard shadow, exactly the shape.
    paintRoundedRectShadow(p, QRectF(10, 10, 50, 50), 5, { QColor(0, 0, 0, 100), 0, QPointF(20, 0) });
    p.end();
    EXPECT_EQ(qAlpha(image.pixel(55, 35)), 100);
    EXPECT_EQ(qAlpha(image.pixel(25, 35)), 0);
    EXPECT_EQ(qAlpha(image.pixel(85, 35)), 0);
}
