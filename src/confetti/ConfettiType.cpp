#include "confetti/ConfettiType.h"

const std::array<ConfettiType, 5>& ConfettiType::allCases()
{
    static const std::array<ConfettiType, 5> cases { shape(Shape::circle), shape(Shape::triangle), shape(Shape::square),
        shape(Shape::slimRectangle), shape(Shape::roundedCross) };
    return cases;
}

bool ConfettiType::operator==(const ConfettiType& other) const
{
    if (m_kind != other.m_kind)
        return false;
    return m_kind == Kind::shape ? m_shape == other.m_shape : m_payload == other.m_payload;
}

size_t qHash(const ConfettiType& type, size_t seed)
{
    if (type.kind() == ConfettiType::Kind::shape)
        return qHashMulti(seed, int(type.kind()), int(type.shapeCase()));
    return qHashMulti(seed, int(type.kind()), type.payload());
}

QPainterPath confettiShapePath(ConfettiType::Shape shape, const QRectF& r)
{
    QPainterPath path;
    const qreal minX = r.left(), minY = r.top(), maxX = r.right(), maxY = r.bottom(), midX = r.center().x();
    switch (shape) {
    case ConfettiType::Shape::circle:
        path.addEllipse(r);
        break;
    case ConfettiType::Shape::square:
        path.addRect(r);
        break;
    case ConfettiType::Shape::triangle:
        path.moveTo(midX, minY);
        path.lineTo(minX, maxY);
        path.lineTo(maxX, maxY);
        path.lineTo(midX, minY);
        break;
    case ConfettiType::Shape::slimRectangle:
        path.moveTo(minX, 4 * maxY / 5);
        path.lineTo(maxX, 4 * maxY / 5);
        path.lineTo(maxX, maxY);
        path.lineTo(minX, maxY);
        path.closeSubpath();
        break;
    case ConfettiType::Shape::roundedCross: {
        const qreal a = maxX / 3, b = 2 * maxX / 3, c = maxY / 3, e = 2 * maxY / 3;
        path.moveTo(minX, c);
        path.quadTo(a, c, a, minY);
        path.lineTo(b, minY);
        path.quadTo(b, c, maxX, c);
        path.lineTo(maxX, e);
        path.quadTo(b, e, b, maxY);
        path.lineTo(a, maxY);
        path.quadTo(a, e, 2 * minX / 3, e);
        path.closeSubpath();
        break;
    }
    }
    return path;
}
