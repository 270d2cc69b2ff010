#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <vector>

// The backgrounds under and around one line of text when it crosses more than one: a badge, a
// highlighted word, a table cell beside the page. Backgrounds are flat areas (no steep step between
// neighbours) larger than a glyph's box or reaching the edge of the area around the line, which
// the insides of the line's glyphs do not; pieces of a fill that its text and rim cut off count
// with it. Each pixel's background is the nearest of them; where two of them meet, their blend is
// no ink.
class LineBackgrounds {
public:
    // The backgrounds in `area` (the line's box and a ring around it) of `page` (RGB32), where the
    // ring's commonest colour is `background`; empty when all of them are of about that colour.
    static LineBackgrounds around(const QImage& page, const QRect& area, QRgb background, int glyphHeight);

    bool empty() const { return m_source.empty(); }
    // How many backgrounds distance() tells apart.
    int count() const { return m_backgrounds + 1; }

    // The colour of the background of page pixel (px, py).
    QRgb background(int px, int py) const;
    // How far `p`, at page pixel (px, py), stands from its background, and which one that is.
    int distance(int px, int py, QRgb p, int* which) const;

private:
    QRect m_area;
    QRgb m_background = 0;
    std::vector<int32_t> m_source; // per pixel of m_area: the background pixel nearest to it, or -1
    std::vector<QRgb> m_colour;    // per pixel of m_area: its colour
    std::vector<int32_t> m_piece;  // per background pixel of m_area: which background it is
    int m_backgrounds = 0;
};
