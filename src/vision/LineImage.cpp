#include "vision/LineImage.h"

#include "vision/LineBackgrounds.h"
#include "vision/PixelSteps.h"

#include <algorithm>
#include <vector>

#include <unordered_map>

namespace {

// Whether the line was drawn without smoothing (an X core bitmap face): next to its ink, hardly
// a pixel lies between ink and background. `grey` is dark ink on white.
bool drawnCrisp(const QImage& grey)
{
    qint64 ink = 0, between = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* p = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            ink += p[x] < 128;
            between += p[x] >= 48 && p[x] < 208;
        }
    }
    return ink > 0 && between * 5 < ink;
}

// A crisp line enlarged `factor` times: every pixel a block, the blocks' corners rounded and the
// strokes thickened a little by averaging over half a block each way and cutting at two thirds of
// the way to white. Smoothly enlarged, a bitmap face's one-pixel strokes come out faint and its
// square dots read as commas; the engine knows glyphs drawn like this.
QImage enlargeCrisp(const QImage& grey, int factor)
{
    const QImage blocks = grey.scaled(grey.width() * factor, grey.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const int w = blocks.width(), h = blocks.height(), r = std::max(1, factor / 2), n = (2 * r + 1) * (2 * r + 1);
    // Sums over the rows of each pixel's window, then over its columns.
    std::vector<int> across(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const uchar* p = blocks.constScanLine(y);
        int sum = 0;
        for (int x = -r; x <= r; ++x)
            sum += p[std::clamp(x, 0, w - 1)];
        for (int x = 0; x < w; ++x) {
            across[size_t(y) * w + x] = sum;
            sum += p[std::min(x + r + 1, w - 1)] - p[std::max(x - r, 0)];
        }
    }
    QImage out(w, h, QImage::Format_Grayscale8);
    for (int x = 0; x < w; ++x) {
        int sum = 0;
        for (int y = -r; y <= r; ++y)
            sum += across[size_t(std::clamp(y, 0, h - 1)) * w + x];
        for (int y = 0; y < h; ++y) {
            out.scanLine(y)[x] = sum < 170 * n ? 0 : 255;
            sum += across[size_t(std::min(y + r + 1, h - 1)) * w + x] - across[size_t(std::max(y - r, 0)) * w + x];
        }
    }
    return out;
}

} // namespace

LineImage lineImageForRecognition(const QImage& page, const TextLineBox& line, int targetHeight, int padding, int noiseFloor,
    double maxScale)
{
    const int t = std::max(1, line.height);
    const QRect region = line.box.adjusted(-1, -1, 1, 1).intersected(page.rect());
    // The background is the commonest colour of a ring around the line.
    const int ringPad = std::max(2, t / 4);
    const QRect ring = line.box.adjusted(-ringPad, -ringPad, ringPad, ringPad).intersected(page.rect());
    const auto forEachOnRing = [&](const auto& visit) {
        for (int x = ring.left(); x <= ring.right(); ++x) {
            visit(reinterpret_cast<const QRgb*>(page.constScanLine(ring.top()))[x]);
            visit(reinterpret_cast<const QRgb*>(page.constScanLine(ring.bottom()))[x]);
        }
        for (int y = ring.top() + 1; y < ring.bottom(); ++y) {
            visit(reinterpret_cast<const QRgb*>(page.constScanLine(y))[ring.left()]);
            visit(reinterpret_cast<const QRgb*>(page.constScanLine(y))[ring.right()]);
        }
    };
    const auto keyOf = [](QRgb p) { return uint32_t(((qRed(p) >> 3) << 10) | ((qGreen(p) >> 3) << 5) | (qBlue(p) >> 3)); };
    std::unordered_map<uint32_t, int> votes;
    forEachOnRing([&](QRgb p) { ++votes[keyOf(p)]; });
    uint32_t key = 0;
    int most = -1;
    for (const auto& [k, n] : votes) {
        if (n > most) {
            key = k;
            most = n;
        }
    }
    long sums[3] = { 0, 0, 0 };
    int count = 0;
    forEachOnRing([&](QRgb p) {
        if (keyOf(p) != key)
            return;
        sums[0] += qRed(p);
        sums[1] += qGreen(p);
        sums[2] += qBlue(p);
        ++count;
    });
    const QRgb bg = count ? qRgb(int(sums[0] / count), int(sums[1] / count), int(sums[2] / count)) : qRgb(255, 255, 255);

    // Distance from the background, stretched so the strongest ink is black. Where the line
    // crosses a fill of another colour (a badge, a highlighted word), the fill is the background,
    // and the ink on each background is stretched on its own, but never more than twice as much
    // as the line's strongest: text that runs from a note onto a darker desktop stays as dark.
    const LineBackgrounds backgrounds = LineBackgrounds::around(page, ring, bg, t);
    QImage grey(region.size(), QImage::Format_Grayscale8);
    int strongest = 1;
    std::vector<int> strongestOn(size_t(backgrounds.empty() ? 0 : backgrounds.count()), 1);
    std::vector<uint16_t> on(backgrounds.empty() ? 0 : size_t(region.width()) * region.height());
    for (int y = 0; y < region.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(page.constScanLine(region.top() + y)) + region.left();
        uchar* dst = grey.scanLine(y);
        for (int x = 0; x < region.width(); ++x) {
            int which = 0;
            const int d = std::max(0, (backgrounds.empty() ? colourDistance(src[x], bg) : backgrounds.distance(region.left() + x, region.top() + y, src[x], &which)) - noiseFloor);
            dst[x] = uchar(d);
            strongest = std::max(strongest, d);
            if (!backgrounds.empty()) {
                on[size_t(y) * region.width() + x] = uint16_t(which);
                strongestOn[size_t(which)] = std::max(strongestOn[size_t(which)], d);
            }
        }
    }
    // Where the background under the middle of the line changes colour.
    QList<double> fillEdges;
    if (!backgrounds.empty()) {
        const int middle = std::clamp(line.box.center().y(), region.top(), region.bottom());
        QRgb previous = 0;
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb here = backgrounds.background(x, middle);
            if (x > region.left() && colourDistance(here, previous) > kInkContrast)
                fillEdges.append(x);
            previous = here;
        }
    }
    for (int& s : strongestOn)
        s = std::max({ s, kInkContrast, strongest / 2 });
    const int full = std::max(strongest, kInkContrast);
    for (int y = 0, rows = grey.height(), columns = grey.width(); y < rows; ++y) {
        uchar* p = grey.scanLine(y);
        for (int x = 0; x < columns; ++x) {
            const int scale = backgrounds.empty() ? full : strongestOn[on[size_t(y) * columns + x]];
            p[x] = uchar(255 - std::min(255, p[x] * 255 / scale));
        }
    }

    double scale = std::clamp(double(targetHeight) / t, 0.5, maxScale);
    QImage scaled;
    // A crisp line is enlarged by whole pixels, so each of its pixels becomes a block like its
    // neighbours'. Such blocks read best a size smaller than smooth text: a bitmap face's mid sizes
    // (glyphs 11 to 20 pixels tall) aim at three quarters of the height, a whole factor less. Small
    // faces keep four times: a one-pixel dot in a smaller block reads as a comma.
    const int whole = std::min(int(std::lround(scale)), int(maxScale));
    const int factor = whole >= 4 ? whole : std::min(int(std::lround(0.75 * targetHeight / t)), int(maxScale));
    if (factor >= 2 && drawnCrisp(grey)) {
        scale = factor;
        scaled = enlargeCrisp(grey, factor);
    } else {
        const QSize scaledSize(std::max(1, int(std::lround(region.width() * scale))),
            std::max(1, int(std::lround(region.height() * scale))));
        scaled = scale == 1.0 ? grey : grey.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage framed(scaled.width() + 2 * padding, scaled.height() + 2 * padding, QImage::Format_Grayscale8);
    framed.fill(255);
    for (int y = 0; y < scaled.height(); ++y)
        std::copy_n(scaled.constScanLine(y), scaled.width(), framed.scanLine(y + padding) + padding);
    LineImage out;
    out.image = framed;
    out.scale = double(scaled.width()) / region.width();
    out.origin = QPointF(region.left() - padding / out.scale, region.top() - padding / out.scale);
    out.fillEdges = fillEdges;
    return out;
}
