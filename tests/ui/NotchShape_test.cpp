#include "ui/NotchShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// The on-curve points of the outline, in drawing order (control points dropped).
std::vector<QPointF> corners(const QPainterPath& path)
{
    std::vector<QPointF> out;
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto e = path.elementAt(i);
        const bool lastOfCurve = e.type == QPainterPath::CurveToDataElement
            && (i + 1 == path.elementCount() || path.elementAt(i + 1).type != QPainterPath::CurveToDataElement);
        if (e.type == QPainterPath::MoveToElement || e.type == QPainterPath::LineToElement || lastOfCurve)
            out.emplace_back(e.x, e.y);
    }
    return out;
}
}

TEST(NotchShape, CardOutline)
{
    const NotchShape shape { 16, 34 };
    const QPainterPath path = shape.path(QRectF(0, 0, 620, 200));
    const std::vector<QPointF> expected {
        { 0, 0 }, { 16, 16 }, { 16, 166 }, { 50, 200 }, { 570, 200 }, { 604, 166 }, { 604, 16 }, { 620, 0 }, { 0, 0 } };
    EXPECT_EQ(corners(path), expected);
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 620, 200));
    // The flares bulge toward the top corners of the frame: the top-left curve passes near (t, 0)
    // before reaching (t, t), as a quadratic with control point (t, 0) does.
    EXPECT_TRUE(path.contains(QPointF(14, 3)));
    EXPECT_FALSE(path.contains(QPointF(3, 14)));
    // The body between the flares is w - 2t wide.
    EXPECT_TRUE(path.contains(QPointF(17, 100)));
    EXPECT_FALSE(path.contains(QPointF(15, 100)));
    EXPECT_FALSE(path.contains(QPointF(605, 100)));
}

TEST(NotchShape, RadiiShrinkToTheFrame)
{
    const NotchShape shape { 16, 34 };
    EXPECT_EQ(shape.effectiveRadii({ 20, 200 }), std::make_pair(10.0, 0.0)); // narrow: square bottom
    EXPECT_EQ(shape.effectiveRadii({ 620, 30 }), std::make_pair(16.0, 14.0)); // short
    // Shorter than the flare: the flare itself shrinks, where the unclamped outline would fold.
    EXPECT_EQ(shape.effectiveRadii({ 620, 10 }), std::make_pair(10.0, 0.0));
    const NotchShape negative { -5, -1 };
    EXPECT_EQ(negative.effectiveRadii({ 100, 100 }), std::make_pair(0.0, 0.0));
    const NotchShape undefined { std::nan(""), INFINITY };
    EXPECT_EQ(undefined.effectiveRadii({ 100, 100 }), std::make_pair(0.0, 0.0));
}

TEST(NotchShape, TinyFramesStayWellFormed)
{
    const NotchShape shape { 16, 34 };
    for (double w : { 0.5, 1.0, 7.0, 20.0, 31.0, 33.0, 100.0 }) {
        for (double h : { 0.5, 1.0, 5.0, 15.0, 16.0, 30.0, 49.0, 200.0 }) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            const QList<QPolygonF> polygons = shape.path(QRectF(0, 0, w, h)).toSubpathPolygons();
            ASSERT_EQ(polygons.size(), 1);
            const QPolygonF& outline = polygons.front();
            for (const QPointF& p : outline) {
                EXPECT_GE(p.x(), -1e-9);
                EXPECT_LE(p.x(), w + 1e-9);
                EXPECT_GE(p.y(), -1e-9);
                EXPECT_LE(p.y(), h + 1e-9);
            }
            // A folded outline crosses some horizontal line more than twice.
            for (int k = 1; k < 10; ++k) {
                const double y = h * k / 10.0;
                int crossings = 0;
                for (qsizetype i = 0; i < outline.size(); ++i) {
                    const QPointF a = outline[i], b = outline[(i + 1) % outline.size()];
                    if ((a.y() < y) != (b.y() < y))
                        ++crossings;
                }
                EXPECT_LE(crossings, 2) << "at y " << y;
            }
        }
    }
    EXPECT_TRUE(shape.path(QRectF(0, 0, 0, 100)).isEmpty());
    EXPECT_TRUE(shape.path(QRectF(0, 0, 100, -4)).isEmpty());
}

TEST(NotchShape, PlacedInItsFrame)
{
    const NotchShape shape;
    EXPECT_EQ(shape.path(QRectF(40, 10, 620, 200)).boundingRect(), QRectF(40, 10, 620, 200));
}

TEST(NotchShape, InterpolatesBothRadii)
{
    const NotchShape a { 0, 10 }, b { 16, 34 };
    EXPECT_EQ(NotchShape::interpolated(a, b, 0.5), (NotchShape { 8, 22 }));
    EXPECT_EQ(NotchShape::interpolated(a, b, 1.0), b);
}
