#include "vision/EdgeInk.h"

#include "vision/PixelSteps.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// `page` holds 32-bit pixels.
QRgb pixelAt(const QImage& page, int x, int y)
{
    return reinterpret_cast<const QRgb*>(page.constScanLine(y))[x];
}

bool thirtyTwoBit(const QImage& page)
{
    return page.format() == QImage::Format_RGB32 || page.format() == QImage::Format_ARGB32;
}

// The line's background beside the edge: per channel, the median over its rows and a few glyphs'
// width in. Text covers well under half of that.
QRgb backgroundBeside(const QImage& page, int top, int bottom, bool left)
{
    const int w = page.width();
    const int across = std::min(w, std::max(8, 3 * (bottom - top)));
    std::vector<int> r, g, b;
    for (int y = top; y < bottom; ++y) {
        for (int i = 0; i < across; ++i) {
            const QRgb p = pixelAt(page, left ? i : w - 1 - i, y);
            r.push_back(qRed(p));
            g.push_back(qGreen(p));
            b.push_back(qBlue(p));
        }
    }
    const auto median = [](std::vector<int>& v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    return qRgb(median(r), median(g), median(b));
}

} // namespace

bool inkAtEdge(const QImage& image, int top, int bottom, bool left)
{
    const QImage page = thirtyTwoBit(image) ? image : image.convertToFormat(QImage::Format_RGB32);
    const int w = page.width(), h = page.height();
    top = std::max(0, top);
    bottom = std::min(h, bottom);
    if (w <= 0 || bottom <= top)
        return false;
    const QRgb background = backgroundBeside(page, top, bottom, left);
    // Above and below the rows a glyph's ink stops; a frame's does not.
    const int reach = std::max(1, (bottom - top) / 4);
    const int from = std::max(0, top - reach), to = std::min(h, bottom + reach);
    for (int c = 0; c < std::min(kEdgeColumns, w); ++c) {
        const int x = left ? c : w - 1 - c;
        const QRgb first = pixelAt(page, x, from);
        bool uniform = true;
        for (int y = from; y < to && uniform; ++y)
            uniform = colourDistance(pixelAt(page, x, y), first) <= kInkContrast;
        if (uniform)
            continue;
        for (int y = top; y < bottom; ++y)
            if (colourDistance(pixelAt(page, x, y), background) > kInkContrast)
                return true;
    }
    return false;
}

void markEdgeInk(const QImage& image, QList<RecognizedLine>& lines)
{
    const QImage page = thirtyTwoBit(image) ? image : image.convertToFormat(QImage::Format_RGB32);
    const double w = page.width();
    for (RecognizedLine& line : lines) {
        const int top = int(std::floor(line.box.top() * page.height()));
        const int bottom = int(std::ceil(line.box.bottom() * page.height()));
        // Only a line that comes within a glyph or two of an edge can have its ink there.
        const double near = kEdgeColumns + 2.0 * (bottom - top);
        line.inkAtLeftEdge = line.box.left() * w <= near && inkAtEdge(page, top, bottom, true);
        line.inkAtRightEdge = (1 - line.box.right()) * w <= near && inkAtEdge(page, top, bottom, false);
    }
}
