#include "vision/RecognitionPage.h"

#include "vision/PixelSteps.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The colour transparent pixels are flattened onto: white, unless what is opaque is mostly light
// (white text on a transparent layer), which would vanish on white.
QColor flatteningColour(const QImage& page)
{
    qint64 sum = 0, weight = 0;
    const int stepY = std::max(1, page.height() / 300), stepX = std::max(1, page.width() / 300);
    for (int y = 0; y < page.height(); y += stepY) {
        for (int x = 0; x < page.width(); x += stepX) {
            const QRgb p = page.pixel(x, y);
            const int a = qAlpha(p);
            if (a < 128)
                continue;
            // Premultiplied or not, the grey of an opaque pixel is its colour.
            sum += qGray(p) * 255 / a;
            ++weight;
        }
    }
    return weight && sum / weight > 150 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

// The page as RGB32, flattened (see flatteningColour) and scaled down when enormous or wider or
// taller than the engine takes. Results are fractions of the page, so they need no scaling back.
QImage preparePage(const QImage& image, qint64 maxPixels, int maxSide)
{
    QImage page = image;
    const qint64 pixels = qint64(image.width()) * image.height();
    // The whole page is read in strips as wide as itself, which the engine must take.
    const double across = double(maxSide) / std::max(image.width(), image.height());
    if (pixels > maxPixels || across < 1) {
        const double f = std::min(std::sqrt(double(maxPixels) / double(pixels)), across);
        const QSize target(std::max(1, int(image.width() * f)), std::max(1, int(image.height() * f)));
        // Averaging every pixel of a giant image costs seconds; sampling down to twice the size
        // first keeps the result smooth. Not for images just past four times the limit: there
        // the sample would be a second full-size copy (400 MB at 100 megapixels).
        if (f < 0.35)
            page = image.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        page = page.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (page.hasAlphaChannel()) {
        QImage flat(page.size(), QImage::Format_RGB32);
        flat.fill(flatteningColour(page));
        QPainter painter(&flat);
        painter.drawImage(0, 0, page);
        painter.end();
        return flat;
    }
    return page.format() == QImage::Format_RGB32 ? page : page.convertToFormat(QImage::Format_RGB32);
}

// The opaque window of a window shot (an opaque rectangle, its corners perhaps rounded, in a
// transparent margin with a soft shadow); empty for any other image, an opaque one among them.
QRect opaqueWindow(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return {};
    const auto opaque = [&](int x, int y) { return qAlpha(image.pixel(x, y)) >= 250; };
    const int w = image.width(), h = image.height();
    if (opaque(0, 0) && opaque(w - 1, 0) && opaque(0, h - 1) && opaque(w - 1, h - 1))
        return {};
    const QImage argb = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    qint64 count = 0;
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(row[x]) < 250)
                continue;
            ++count;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    }
    const QRect box(QPoint(x0, y0), QPoint(x1, y1));
    if (x1 < 0 || box == image.rect() || count < 0.9 * double(box.width()) * box.height())
        return {};
    return box;
}

// Steep steps outside the found lines, as a share of the sampled pixels: text the line finder
// could not place (on a photo, a pattern, a busy wallpaper) leaves many; flat panels, frames and
// gradients few.
double unexplainedEdges(const QImage& page, const QList<TextLineBox>& lines)
{
    constexpr int kStep = 48;
    const int stepY = std::max(1, page.height() / 300);
    qint64 samples = 0, edges = 0;
    // Per sampled row, which columns a line covers: a dense page has hundreds of lines, and
    // asking each of them about every step would cost more than all the rest of this.
    std::vector<uint8_t> covered(size_t(std::max(0, page.width())));
    for (int y = 0; y < page.height(); y += stepY) {
        std::fill(covered.begin(), covered.end(), uint8_t(0));
        for (const TextLineBox& l : lines) {
            if (y < l.box.top() || y > l.box.bottom())
                continue;
            const int from = std::max(0, l.box.left()), to = std::min(page.width() - 1, l.box.right());
            if (from <= to)
                std::fill(covered.begin() + from, covered.begin() + to + 1, uint8_t(1));
        }
        const QRgb* r = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x + 1 < page.width(); x += 2) {
            ++samples;
            if (!covered[size_t(x)] && colourDistance(r[x], r[x + 1]) > kStep)
                ++edges;
        }
    }
    return samples ? double(edges) / double(samples) : 0;
}

// The page as black ink on white: ink is what stands far out of the page's own spread of greys
// (the median give or take four median deviations), on either side, so texture stays white.
QImage inkPage(const QImage& page)
{
    QImage grey(page.size(), QImage::Format_Grayscale8);
    std::vector<qint64> histogram(256, 0);
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* r = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* o = grey.scanLine(y);
        for (int x = 0; x < page.width(); ++x)
            ++histogram[o[x] = uchar(qGray(r[x]))];
    }
    const qint64 half = (qint64(page.width()) * page.height() + 1) / 2;
    const auto medianOf = [&](const std::vector<qint64>& h) {
        qint64 seen = 0;
        for (int v = 0; v < 256; ++v)
            if ((seen += h[size_t(v)]) >= half)
                return v;
        return 255;
    };
    const int median = medianOf(histogram);
    std::vector<qint64> deviations(256, 0);
    for (int v = 0; v < 256; ++v)
        deviations[size_t(std::abs(v - median))] += histogram[size_t(v)];
    const int spread = std::max(40, 4 * medianOf(deviations));
    for (int y = 0; y < grey.height(); ++y) {
        uchar* o = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            o[x] = std::abs(int(o[x]) - median) > spread ? 0 : 255;
    }
    return grey;
}
