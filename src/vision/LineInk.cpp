#include "vision/LineInk.h"

#include <algorithm>
#include <cmath>

namespace LineInk {

double median(std::vector<double> values, double fallback)
{
    if (values.empty())
        return fallback;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

std::vector<uint8_t> darkestInColumns(const QImage& grey)
{
    const int w = grey.width(), h = grey.height();
    std::vector<uint8_t> darkest(size_t(w), 255);
    for (int y = 0; y < h; ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < w; ++x)
            darkest[size_t(x)] = std::min(darkest[size_t(x)], row[x]);
    }
    return darkest;
}

int imageColumn(const LineImage& line, int width, double x, bool up)
{
    const double c = (x - line.origin.x()) * line.scale;
    return std::clamp(int(up ? std::ceil(c) : std::floor(c)), 0, width);
}

int inkThreshold(const std::vector<uint8_t>& darkest, const LineImage& line, double inkFrom, double inkTo)
{
    const int width = int(darkest.size());
    int local = 255;
    for (int x = imageColumn(line, width, inkFrom, false), end = imageColumn(line, width, inkTo, true); x < end; ++x)
        local = std::min<int>(local, darkest[size_t(x)]);
    return std::max(140, (255 + local) / 2);
}

bool underscoreBetween(const LineImage& line, const QRectF& text, double fromX, double toX, int threshold)
{
    const QImage& grey = line.image;
    const int a = imageColumn(line, grey.width(), fromX, false), b = imageColumn(line, grey.width(), toX, true);
    const int top = std::clamp(int((text.top() - line.origin.y()) * line.scale), 0, grey.height());
    const int bottom = std::clamp(int(std::ceil((text.bottom() - line.origin.y()) * line.scale)), 0, grey.height());
    const int low = top + int(0.65 * (bottom - top));
    if (b - a < 2 || bottom - top < 4)
        return false;
    int inked = 0;
    for (int x = a; x < b; ++x) {
        bool any = false;
        for (int y = 0; y < grey.height(); ++y) {
            if (grey.constScanLine(y)[x] >= threshold)
                continue;
            if (y < low)
                return false;
            any = true;
        }
        inked += any;
    }
    return inked * 10 >= (b - a) * 8;
}

bool faintUnderscoreIn(const LineImage& line, const QRectF& text, const std::vector<uint8_t>& darkest, double fromX, double toX,
    const QRectF& before, const QRectF& after, int threshold)
{
    constexpr int kFaint = 235;
    const QImage& grey = line.image;
    const int width = grey.width();
    const int a = imageColumn(line, width, fromX, false), b = imageColumn(line, width, toX, true);
    const int top = std::clamp(int((text.top() - line.origin.y()) * line.scale), 0, grey.height());
    const int bottom = std::clamp(int(std::ceil((text.bottom() - line.origin.y()) * line.scale)), 0, grey.height());
    const int low = top + int(0.65 * (bottom - top));
    int blank = 0, ruled = 0, first = grey.height(), last = -1;
    for (int x = a; x < b; ++x) {
        if (darkest[size_t(x)] < threshold)
            continue;
        ++blank;
        bool high = false, below = false;
        int from = grey.height(), to = -1;
        for (int y = 0; y < grey.height(); ++y) {
            if (grey.constScanLine(y)[x] >= kFaint)
                continue;
            if (y < low) {
                high = true;
                break;
            }
            below = true;
            from = std::min(from, y);
            to = std::max(to, y);
        }
        if (below && !high) {
            ++ruled;
            first = std::min(first, from);
            last = std::max(last, to);
        }
    }
    if (ruled < 2 || ruled * 2 < blank)
        return false;
    // Under the middle of each neighbouring glyph, at the rule's rows.
    const auto runsOn = [&](const QRectF& glyph) {
        const int ga = imageColumn(line, width, glyph.left() + 0.3 * glyph.width(), false);
        const int gb = imageColumn(line, width, glyph.right() - 0.3 * glyph.width(), true);
        int inked = 0;
        for (int x = ga; x < gb; ++x)
            for (int y = first; y <= last; ++y)
                if (grey.constScanLine(y)[x] < kFaint) {
                    ++inked;
                    break;
                }
        return gb > ga && inked * 10 >= (gb - ga) * 7;
    };
    return !(runsOn(before) && runsOn(after));
}

double blankBetween(const std::vector<uint8_t>& darkest, const LineImage& line, double fromX, double toX,
    double inkFrom, double inkTo)
{
    const int width = int(darkest.size());
    const auto column = [&](double x, bool up) { return imageColumn(line, width, x, up); };
    const int threshold = inkThreshold(darkest, line, inkFrom, inkTo);
    const int a = column(fromX, false), b = column(toX, true);
    int best = 0, run = 0;
    for (int x = a; x < b; ++x) {
        run = darkest[size_t(x)] < threshold ? 0 : run + 1;
        best = std::max(best, run);
    }
    return best / line.scale;
}

double inkEdge(const std::vector<uint8_t>& darkest, const LineImage& line, double edge, double limit, int step,
    double gap, int threshold)
{
    const int width = int(darkest.size());
    if (width == 0)
        return edge;
    const int end = imageColumn(line, width, limit, step < 0);
    const int allowed = std::max(1, int(std::ceil(gap * line.scale)));
    // A box at the image's edge starts on its last or first column, not past it.
    int x = std::clamp(imageColumn(line, width, edge, step > 0) - (step > 0 ? 1 : 0), 0, width - 1);
    int last = -1, run = 0;
    for (; step < 0 ? x >= std::max(0, end) : x < std::min(width, end); x += step) {
        if (darkest[size_t(x)] < threshold) {
            last = x;
            run = 0;
        } else if (++run > allowed) {
            break;
        }
    }
    if (last < 0)
        return edge;
    const double page = line.origin.x() + (step < 0 ? last : last + 1) / line.scale;
    return step < 0 ? std::min(edge, page) : std::max(edge, page);
}

InkExtent inkExtent(const LineImage& line, const std::vector<uint8_t>& darkest, double from, double to, int high, int low)
{
    const QImage& grey = line.image;
    const int a = imageColumn(line, grey.width(), from, false), b = imageColumn(line, grey.width(), to, true);
    const int threshold = inkThreshold(darkest, line, from, to);
    InkExtent e;
    int left = -1, right = -1;
    for (int x = a; x < b; ++x) {
        bool up = false, down = false;
        for (int y = 0; y < grey.height(); ++y) {
            const uchar v = grey.constScanLine(y)[x];
            e.mass += 255 - v;
            if (v >= threshold)
                continue;
            e.top = e.top < 0 ? y : std::min(e.top, y);
            e.bottom = std::max(e.bottom, y);
            left = left < 0 ? x : left;
            right = x;
            up = up || y < high;
            down = down || y > low;
        }
        e.above += up;
        e.below += down;
    }
    e.width = left < 0 ? 0 : right - left + 1;
    return e;
}

bool solidBlob(const LineImage& line, const std::vector<uint8_t>& darkest, double from, double to, int* height)
{
    const QImage& grey = line.image;
    const int a = imageColumn(line, grey.width(), from, false), b = imageColumn(line, grey.width(), to, true);
    const int threshold = inkThreshold(darkest, line, from, to);
    int top = -1, bottom = -1, left = -1, right = -1, area = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        int runs = 0;
        for (int x = a; x < b; ++x) {
            if (row[x] >= threshold)
                continue;
            ++area;
            runs += x == a || row[x - 1] >= threshold;
            top = top < 0 ? y : top;
            bottom = y;
            left = left < 0 ? x : std::min(left, x);
            right = std::max(right, x);
        }
        if (runs > 1)
            return false;
    }
    if (top < 0)
        return false;
    for (int x = left; x <= right; ++x) {
        int runs = 0;
        for (int y = top; y <= bottom; ++y)
            runs += grey.constScanLine(y)[x] < threshold && (y == top || grey.constScanLine(y - 1)[x] >= threshold);
        if (runs != 1)
            return false;
    }
    const int w = right - left + 1, h = bottom - top + 1;
    if (height)
        *height = h;
    return w >= 0.5 * h && w <= 2.0 * h && area >= 0.45 * w * h;
}

}
