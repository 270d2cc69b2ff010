#pragma once

#include <QHashFunctions>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <array>

// The kind of one confetti piece: a filled shape, a text, a named symbol or an image from the
// resources. Only the five shapes are in `allCases`.
class ConfettiType {
public:
    enum class Kind { shape, text, sfSymbol, image };
    enum class Shape { circle, triangle, square, slimRectangle, roundedCross };

    static ConfettiType shape(Shape shape) { return ConfettiType(Kind::shape, shape, {}); }
    static ConfettiType text(const QString& text) { return ConfettiType(Kind::text, Shape::circle, text); }
    static ConfettiType sfSymbol(const QString& name) { return ConfettiType(Kind::sfSymbol, Shape::circle, name); }
    static ConfettiType image(const QString& name) { return ConfettiType(Kind::image, Shape::circle, name); }

    // The five shapes, in the order of `Shape`.
    static const std::array<ConfettiType, 5>& allCases();

    Kind kind() const { return m_kind; }
    // Meaningful for `Kind::shape` only.
    Shape shapeCase() const { return m_shape; }
    // The text, symbol name or image name; empty for shapes.
    const QString& payload() const { return m_payload; }

    bool operator==(const ConfettiType& other) const;

private:
    ConfettiType(Kind kind, Shape shape, QString payload)
        : m_kind(kind)
        , m_shape(shape)
        , m_payload(std::move(payload))
    {
    }

    Kind m_kind;
    Shape m_shape;
    QString m_payload;
};

// The case index, then the payload (the shape's index, or the string).
size_t qHash(const ConfettiType& type, size_t seed = 0);

// The outline of a shape piece in `rect`. The custom shapes use the rectangle's far edges as
// written (maxX/3 and so on), which is exact for the pieces' own frames at the origin.
QPainterPath confettiShapePath(ConfettiType::Shape shape, const QRectF& rect);
