#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPointF>
#include <QStringList>
#include <QStringView>

#include <optional>

class QPainter;

// The named symbols of the interface, drawn from the Material Icons font that is embedded in
// the resources. Each name the design uses maps to a glyph (some turned, where the glyph's
// natural direction differs). Symbols are drawn in one colour at any size; `size` is the point
// size of the text they accompany, as with the design's symbol fonts.
class Symbols {
public:
    struct Glyph {
        char32_t codepoint = 0;
        int rotation = 0; // degrees clockwise
    };

    // The glyph for a name; none for a name the table lacks.
    static std::optional<Glyph> glyph(QStringView name);
    // Every name in the table, sorted.
    static QStringList names();

    // The icon font at the pixel size that makes a glyph match text of `size` points.
    static QFont font(qreal size);
    // Edge length in logical pixels of the square a symbol of `size` points occupies.
    static qreal extent(qreal size);

    // Draws the symbol centred on `center`. `weight` thickens the glyph for bold faces (the
    // icon font has a single weight). An unknown name draws nothing and is logged once.
    static void paint(QPainter& painter, QStringView name, const QPointF& center, qreal size, const QColor& color,
        QFont::Weight weight = QFont::Normal);

    // The symbol rendered into a square pixmap of `extent(size)` logical pixels.
    static QPixmap pixmap(QStringView name, qreal size, const QColor& color, qreal devicePixelRatio = 1.0,
        QFont::Weight weight = QFont::Normal);
    static QIcon icon(QStringView name, qreal size, const QColor& color);
};
