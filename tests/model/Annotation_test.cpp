#include "model/Annotation.h"

#include <gtest/gtest.h>

namespace {
void expectRect(const QRectF& r, double x, double y, double w, double h)
{
    EXPECT_NEAR(r.x(), x, 1e-12);
    EXPECT_NEAR(r.y(), y, 1e-12);
    EXPECT_NEAR(r.width(), w, 1e-12);
    EXPECT_NEAR(r.height(), h, 1e-12);
}
}

TEST(Annotation, BoundingRect)
{
    Annotation pen;
    pen.kind = Annotation::Kind::pen;
    pen.start = QPointF(0.9, 0.9);
    pen.end = QPointF(0.95, 0.95);
    pen.points = { { 0.2, 0.3 }, { 0.5, 0.1 }, { 0.4, 0.6 } };
    expectRect(pen.boundingRect(), 0.2, 0.1, 0.3, 0.5); // points only, start and end ignored

    pen.points.clear(); // a stroke without points falls back to start/end
    expectRect(pen.boundingRect(), 0.9, 0.9, 0.05, 0.05);

    Annotation arrow;
    arrow.kind = Annotation::Kind::arrow;
    arrow.start = QPointF(0.8, 0.8);
    arrow.end = QPointF(0.2, 0.4);
    expectRect(arrow.boundingRect(), 0.2, 0.4, 0.6, 0.4);

    arrow.end = arrow.start;
    expectRect(arrow.boundingRect(), 0.8, 0.8, 0, 0);
}

TEST(Annotation, TranslateMovesEverythingWithoutClamping)
{
    Annotation pen;
    pen.kind = Annotation::Kind::pen;
    pen.start = QPointF(0.0, 0.0);
    pen.end = QPointF(0.95, 0.02);
    pen.points = { { 0.1, 0.02 }, { 0.95, 0.5 } };
    pen.translate(0.1, -0.05);
    EXPECT_DOUBLE_EQ(pen.start.x(), 0.1);
    EXPECT_DOUBLE_EQ(pen.end.x(), 1.05);
    EXPECT_DOUBLE_EQ(pen.end.y(), -0.03);
    EXPECT_DOUBLE_EQ(pen.points[0].y(), -0.03);
    EXPECT_DOUBLE_EQ(pen.points[1].x(), 1.05);
}

TEST(Annotation, FillableAndEquality)
{
    Annotation a;
    for (auto kind : allCases<Annotation::Kind>) {
        a.kind = kind;
        EXPECT_EQ(a.isFillable(), kind == Annotation::Kind::box || kind == Annotation::Kind::ellipse);
    }

    a.kind = Annotation::Kind::pen;
    a.points = { { 0.1, 0.1 }, { 0.2, 0.2 } };
    Annotation b = a;
    EXPECT_EQ(a, b);
    b.id = QUuid::createUuid();
    EXPECT_FALSE(a == b); // identity is part of equality

    b = a;
    std::swap(b.points[0], b.points[1]);
    EXPECT_FALSE(a == b);

    b = a;
    b.fontName = QString(); // present-but-empty differs from absent
    EXPECT_FALSE(a == b);

    b = a;
    b.start.setX(b.start.x() + 1e-14); // exact, not fuzzy
    EXPECT_FALSE(a == b);
}
