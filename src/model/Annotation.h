#pragma once

#include "model/RawEnum.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

// One drawn mark on the canvas. Positions are fractions 0 to 1 of the canvas, origin top left.
struct Annotation {
    enum class Kind { text, pen, arrow, line, box, ellipse, highlight };
    enum class Align { leading, center, trailing };

    QUuid id = QUuid::createUuid();
    Kind kind = Kind::box;
    QPointF start;
    QPointF end;
    QList<QPointF> points;            // samples of a pen stroke, in drawing order
    QString text;
    int colorHex = 0xFF3B30;          // 0xRRGGBB
    double fontFraction = 0.04;       // text size as a fraction of the canvas height
    std::optional<QString> fontName;  // absent: the bold system font
    Align alignment = Align::leading;
    double lineWidthFraction = 1.0;   // in three-hundredths of the canvas's shorter side
    bool highlightFullCanvas = false; // dim the whole canvas instead of the screenshot
    bool dashed = false;
    double fillOpacity = 0.0;         // 0 to 1, boxes and ellipses

    // The rectangle the mark covers: a pen stroke's points, else the span of start and end.
    QRectF boundingRect() const;
    // Moves start, end and every point by (dx, dy); never clamps.
    void translate(double dx, double dy);
    // Boxes and ellipses take a fill.
    bool isFillable() const;

    // Every field, numbers by exact numeric equality (QPointF's own == is fuzzy).
    bool operator==(const Annotation& other) const;
};

template <>
struct EnumCases<Annotation::Kind> {
    static constexpr std::array<std::pair<Annotation::Kind, const char*>, 7> table { {
        { Annotation::Kind::text, "text" },
        { Annotation::Kind::pen, "pen" },
        { Annotation::Kind::arrow, "arrow" },
        { Annotation::Kind::line, "line" },
        { Annotation::Kind::box, "box" },
        { Annotation::Kind::ellipse, "ellipse" },
        { Annotation::Kind::highlight, "highlight" },
    } };
};

template <>
struct EnumCases<Annotation::Align> {
    static constexpr std::array<std::pair<Annotation::Align, const char*>, 3> table { {
        { Annotation::Align::leading, "leading" },
        { Annotation::Align::center, "center" },
        { Annotation::Align::trailing, "trailing" },
    } };
};

// Exact comparison of two points (both coordinates numerically equal).
inline bool samePoint(const QPointF& a, const QPointF& b)
{
    return a.x() == b.x() && a.y() == b.y();
}
