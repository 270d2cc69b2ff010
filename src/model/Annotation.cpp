#include "model/Annotation.h"

#include <algorithm>
#include <cmath>

QRectF Annotation::boundingRect() const
{
    if (kind == Kind::pen && !points.isEmpty()) {
        double minX = points.first().x(), maxX = minX;
        double minY = points.first().y(), maxY = minY;
        for (const QPointF& p : points) {
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
        }
        return QRectF(minX, minY, maxX - minX, maxY - minY);
    }
    return QRectF(std::min(start.x(), end.x()), std::min(start.y(), end.y()),
        std::abs(end.x() - start.x()), std::abs(end.y() - start.y()));
}

void Annotation::translate(double dx, double dy)
{
    const QPointF delta(dx, dy);
    start += delta;
    end += delta;
    for (QPointF& p : points)
        p += delta;
}

bool Annotation::isFillable() const
{
    return kind == Kind::box || kind == Kind::ellipse;
}

bool Annotation::operator==(const Annotation& o) const
{
    if (id != o.id || kind != o.kind || !samePoint(start, o.start) || !samePoint(end, o.end))
        return false;
    if (points.size() != o.points.size())
        return false;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (!samePoint(points[i], o.points[i]))
            return false;
    }
    return text == o.text && colorHex == o.colorHex && fontFraction == o.fontFraction
        && fontName == o.fontName && alignment == o.alignment && lineWidthFraction == o.lineWidthFraction
        && highlightFullCanvas == o.highlightFullCanvas && dashed == o.dashed && fillOpacity == o.fillOpacity;
}
