#include "vision/LineBackgrounds.h"

#include "vision/InkMask.h"
#include "vision/PixelSteps.h"

#include <algorithm>
#include <cstdlib>

LineBackgrounds LineBackgrounds::around(const QImage& page, const QRect& area, QRgb background, int glyphHeight)
{
    LineBackgrounds out;
    const int w = area.width(), h = area.height();
    if (w < 3 || h < 3)
        return out;
    // Most lines lie on one background: nothing flat of another colour, nothing more to do. Told
    // from the page itself, as it is for nearly every line.
    const auto pixel = [&](int x, int y) { return reinterpret_cast<const QRgb*>(page.constScanLine(area.top() + y))[area.left() + x]; };
    const auto flatAt = [&](int x, int y) {
        const QRgb p = pixel(x, y);
        return (x == 0 || colourDistance(p, pixel(x - 1, y)) <= kEdgeStep) && (x + 1 == w || colourDistance(p, pixel(x + 1, y)) <= kEdgeStep)
            && (y == 0 || colourDistance(p, pixel(x, y - 1)) <= kEdgeStep) && (y + 1 == h || colourDistance(p, pixel(x, y + 1)) <= kEdgeStep);
    };
    int other = 0;
    for (int y = 0; y < h && other < glyphHeight; ++y)
        for (int x = 0; x < w; ++x)
            other += colourDistance(pixel(x, y), background) > kInkContrast && flatAt(x, y);
    if (other < glyphHeight)
        return out;

    const size_t n = size_t(w) * h;
    std::vector<QRgb> colour(n);
    for (int y = 0; y < h; ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(page.constScanLine(area.top() + y)) + area.left(), w, colour.begin() + size_t(y) * w);
    const auto step = [&](size_t a, size_t b) { return colourDistance(colour[a], colour[b]) > kEdgeStep; };
    std::vector<uint8_t> flat(n, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            if (x + 1 < w && step(i, i + 1))
                flat[i] = flat[i + 1] = 0;
            if (y + 1 < h && step(i, i + w))
                flat[i] = flat[i + w] = 0;
        }

    // Flat areas, joined where neighbours are alike.
    struct Piece {
        size_t first, count; // its pixels in `members`
        QRgb colour;
        bool background;
    };
    std::vector<Piece> pieces;
    std::vector<int> members, stack;
    std::vector<uint8_t> seen(n, 0);
    const qint64 large = qint64(glyphHeight) * glyphHeight;
    for (size_t start = 0; start < n; ++start) {
        if (!flat[start] || seen[start])
            continue;
        const size_t first = members.size();
        stack.assign(1, int(start));
        seen[start] = 1;
        bool reachesEdge = false;
        int x0 = w, x1 = 0;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            members.push_back(i);
            const int x = i % w, y = i / w;
            reachesEdge = reachesEdge || x == 0 || y == 0 || x + 1 == w || y + 1 == h;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            const int next[4] = { x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1, y > 0 ? i - w : -1, y + 1 < h ? i + w : -1 };
            for (int j : next)
                if (j >= 0 && flat[size_t(j)] && !seen[size_t(j)] && !step(size_t(i), size_t(j))) {
                    seen[size_t(j)] = 1;
                    stack.push_back(j);
                }
        }
        const qint64 size = qint64(members.size() - first);
        const bool isBackground = size >= glyphHeight && (reachesEdge || size >= large || x1 - x0 + 1 >= 2 * glyphHeight);
        pieces.push_back({ first, size_t(size), colour[start], isBackground });
    }
    std::vector<QRgb> fills;
    for (const Piece& piece : pieces)
        if (piece.background && colourDistance(piece.colour, background) > kInkContrast)
            fills.push_back(piece.colour);
    if (fills.empty())
        return out;
    const auto seeds = [&] {
        std::vector<int32_t> all;
        for (const Piece& piece : pieces)
            if (piece.background)
                all.insert(all.end(), members.begin() + piece.first, members.begin() + piece.first + piece.count);
        return all;
    };
    std::vector<int32_t> source = InkMask::nearestOf(seeds(), w, h);
    // A fill that glyphs and its rim cut into pieces: a piece of a fill's colour is that fill when
    // beside it, across a glyph or the rim, lies what that fill is the background of. Not a piece
    // inside another background: that is the inside of a glyph of that colour (dark text on a
    // badge on a dark page). Nor of the line's own background's colour: on a badge on a light
    // page, that is the inside of a light glyph.
    bool more = false;
    for (Piece& piece : pieces) {
        if (piece.background || 2 * int(piece.count) < glyphHeight
            || std::none_of(fills.begin(), fills.end(), [&](QRgb f) { return colourDistance(f, piece.colour) <= kEdgeStep; }))
            continue;
        for (size_t k = piece.first; k < piece.first + piece.count && !piece.background; ++k) {
            const int x = members[k] % w, y = members[k] / w;
            for (int yy = std::max(0, y - 2); yy <= std::min(h - 1, y + 2) && !piece.background; ++yy)
                for (int xx = std::max(0, x - 2); xx <= std::min(w - 1, x + 2); ++xx) {
                    const int32_t s = source[size_t(yy) * w + xx];
                    if (s >= 0 && !flat[size_t(yy) * w + xx] && colourDistance(colour[size_t(s)], piece.colour) <= kEdgeStep) {
                        piece.background = true;
                        break;
                    }
                }
        }
        more = more || piece.background;
    }
    if (more)
        source = InkMask::nearestOf(seeds(), w, h);
    std::vector<int32_t> pieceOf(n, -1);
    for (const Piece& piece : pieces) {
        if (!piece.background)
            continue;
        for (size_t k = piece.first; k < piece.first + piece.count; ++k)
            pieceOf[size_t(members[k])] = out.m_backgrounds;
        ++out.m_backgrounds;
    }
    out.m_area = area;
    out.m_background = background;
    out.m_source = std::move(source);
    out.m_colour = std::move(colour);
    out.m_piece = std::move(pieceOf);
    return out;
}

QRgb LineBackgrounds::background(int px, int py) const
{
    const int32_t s = m_source[size_t(py - m_area.top()) * m_area.width() + (px - m_area.left())];
    return s < 0 ? m_background : m_colour[size_t(s)];
}

int LineBackgrounds::distance(int px, int py, QRgb p, int* which) const
{
    const int x = px - m_area.left(), y = py - m_area.top();
    const int w = m_area.width(), h = m_area.height();
    const int32_t s = m_source[size_t(y) * w + x];
    *which = s < 0 ? m_backgrounds : m_piece[size_t(s)];
    if (s < 0)
        return colourDistance(p, m_background);
    const QRgb bg = m_colour[size_t(s)];
    // Where another background lies close, a blend of the two is no ink, even a rough one (the
    // curve of a rounded rim); right beside it, neither is its colour.
    for (int yy = std::max(0, y - 2); yy <= std::min(h - 1, y + 2); ++yy)
        for (int xx = std::max(0, x - 2); xx <= std::min(w - 1, x + 2); ++xx) {
            const int32_t o = m_source[size_t(yy) * w + xx];
            if (o < 0 || o == s)
                continue;
            const QRgb other = m_colour[size_t(o)];
            if (colourDistance(bg, other) <= kInkContrast)
                continue;
            const bool beside = std::abs(xx - x) + std::abs(yy - y) <= 1;
            if ((beside && colourDistance(p, other) <= kInkContrast) || isNearBlend(p, bg, other, 16))
                return 0;
        }
    return colourDistance(p, bg);
}
