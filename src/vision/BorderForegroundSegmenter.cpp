#include "vision/BorderForegroundSegmenter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Colour distances are the sum of the three channel differences (0 to 765).
constexpr int kModelDistance = 48;       // close enough to the background model on its own
constexpr int kDriftDistance = 150;      // further off, but reached through a smooth step
constexpr int kStepDistance = 18;        // a smooth step between neighbouring pixels
constexpr double kMinBorderEvidence = 0.5; // share of the border that must look like background
constexpr double kMinComponentShare = 0.0005;
constexpr int kMinComponentPixels = 16;

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// Background model: a bilinear colour gradient fitted to the border, plus its dominant colours
// (for two-tone or patterned edges a gradient cannot describe).
class BackgroundModel {
public:
    BackgroundModel(const QRgb* pixels, int width, int height, qsizetype stride);

    // Distance to the nearest background explanation, exact up to `limit`; anything further
    // reports limit + 1 (callers only compare against limits).
    int distanceAt(QRgb pixel, int x, int y, int limit = 765) const
    {
        const float u = float(x) * m_invWidth;
        const float v = float(y) * m_invHeight;
        const float uv = u * v;
        const auto predicted = [&](int c) {
            const auto& k = m_coefficients[c];
            return k[0] + k[1] * u + k[2] * v + k[3] * uv;
        };
        int best = int(std::abs(float(qRed(pixel)) - predicted(0)) + std::abs(float(qGreen(pixel)) - predicted(1))
            + std::abs(float(qBlue(pixel)) - predicted(2)));
        if (best <= kModelDistance)
            return best;
        for (const QRgb colour : m_dominant)
            best = std::min(best, distance(pixel, colour));
        return std::min(best, limit + 1);
    }

    double borderEvidence() const { return m_evidence; }

private:
    void fitGradient(const std::vector<std::pair<QPoint, QRgb>>& samples);
    void findDominantColours(const std::vector<std::pair<QPoint, QRgb>>& samples);

    int m_width;
    int m_height;
    std::array<std::array<float, 4>, 3> m_coefficients {};
    float m_invWidth;
    float m_invHeight;
    std::vector<QRgb> m_dominant;
    double m_evidence = 0;
};

BackgroundModel::BackgroundModel(const QRgb* pixels, int width, int height, qsizetype stride)
    : m_width(width)
    , m_height(height)
    , m_invWidth(1.0f / float(width))
    , m_invHeight(1.0f / float(height))
{
    std::vector<std::pair<QPoint, QRgb>> samples;
    samples.reserve(size_t(2 * (width + height)));
    const auto at = [&](int x, int y) { return pixels[y * stride + x]; };
    for (int x = 0; x < width; ++x) {
        samples.push_back({ QPoint(x, 0), at(x, 0) });
        samples.push_back({ QPoint(x, height - 1), at(x, height - 1) });
    }
    for (int y = 1; y < height - 1; ++y) {
        samples.push_back({ QPoint(0, y), at(0, y) });
        samples.push_back({ QPoint(width - 1, y), at(width - 1, y) });
    }
    fitGradient(samples);
    findDominantColours(samples);
    int explained = 0;
    for (const auto& [pos, colour] : samples)
        explained += distanceAt(colour, pos.x(), pos.y()) <= kModelDistance ? 1 : 0;
    m_evidence = double(explained) / double(samples.size());
}

void BackgroundModel::fitGradient(const std::vector<std::pair<QPoint, QRgb>>& samples)
{
    // Least squares for c = k0 + k1 u + k2 v + k3 uv, one normal system shared by the channels.
    double normal[4][4] {};
    double rhs[3][4] {};
    for (const auto& [pos, colour] : samples) {
        const double u = double(pos.x()) / m_width, v = double(pos.y()) / m_height;
        const double basis[4] = { 1, u, v, u * v };
        const double channel[3] = { double(qRed(colour)), double(qGreen(colour)), double(qBlue(colour)) };
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j)
                normal[i][j] += basis[i] * basis[j];
            for (int c = 0; c < 3; ++c)
                rhs[c][i] += basis[i] * channel[c];
        }
    }
    // Gaussian elimination with partial pivoting on the 4x4 system, for the three right-hand sides.
    int order[4] = { 0, 1, 2, 3 };
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::abs(normal[order[r]][col]) > std::abs(normal[order[pivot]][col]))
                pivot = r;
        std::swap(order[col], order[pivot]);
        const double p = normal[order[col]][col];
        if (std::abs(p) < 1e-12)
            continue;
        for (int r = col + 1; r < 4; ++r) {
            const double f = normal[order[r]][col] / p;
            for (int j = col; j < 4; ++j)
                normal[order[r]][j] -= f * normal[order[col]][j];
            for (int c = 0; c < 3; ++c)
                rhs[c][order[r]] -= f * rhs[c][order[col]];
        }
    }
    for (int c = 0; c < 3; ++c) {
        double solved[4] {};
        for (int col = 3; col >= 0; --col) {
            double sum = rhs[c][order[col]];
            for (int j = col + 1; j < 4; ++j)
                sum -= normal[order[col]][j] * solved[j];
            const double p = normal[order[col]][col];
            solved[col] = std::abs(p) < 1e-12 ? 0 : sum / p;
            m_coefficients[c][col] = float(solved[col]);
        }
    }
}

void BackgroundModel::findDominantColours(const std::vector<std::pair<QPoint, QRgb>>& samples)
{
    // 4096 bins of 4 bits per channel; bins holding at least 3 % of the border are dominant.
    struct Bin {
        int count = 0;
        qint64 r = 0, g = 0, b = 0;
    };
    std::vector<Bin> bins(4096);
    for (const auto& [pos, colour] : samples) {
        Bin& bin = bins[size_t(((qRed(colour) >> 4) << 8) | ((qGreen(colour) >> 4) << 4) | (qBlue(colour) >> 4))];
        ++bin.count;
        bin.r += qRed(colour);
        bin.g += qGreen(colour);
        bin.b += qBlue(colour);
    }
    std::vector<const Bin*> ranked;
    for (const Bin& bin : bins)
        if (bin.count * 100 >= int(samples.size()) * 3)
            ranked.push_back(&bin);
    std::sort(ranked.begin(), ranked.end(), [](const Bin* a, const Bin* b) { return a->count > b->count; });
    if (ranked.size() > 6)
        ranked.resize(6);
    for (const Bin* bin : ranked)
        m_dominant.push_back(qRgb(int(bin->r / bin->count), int(bin->g / bin->count), int(bin->b / bin->count)));
}

// Marks the background reachable from the border. Returns the number of background pixels.
qsizetype growBackground(const QRgb* pixels, int width, int height, qsizetype stride, const BackgroundModel& model,
    std::vector<uchar>& state)
{
    enum : uchar { unknown = 0, background = 1, rejected = 2 };
    std::vector<QPoint> stack;
    stack.reserve(size_t(4 * (width + height)));
    qsizetype count = 0;
    const auto tryAdd = [&](int x, int y, QRgb from, bool seed) {
        const qsizetype i = qsizetype(y) * width + x;
        if (state[size_t(i)] != unknown)
            return;
        const QRgb p = pixels[y * stride + x];
        // The same colour as the background pixel it is reached from: background too (flat
        // desktops and the runs of a gradient take this path).
        if (!seed && ((p ^ from) & 0xffffffu) == 0) {
            state[size_t(i)] = background;
            ++count;
            stack.emplace_back(x, y);
            return;
        }
        const int d = model.distanceAt(p, x, y, kDriftDistance);
        const bool accept = d <= kModelDistance || (!seed && d <= kDriftDistance && distance(p, from) <= kStepDistance);
        if (!accept) {
            // A seed that fails may still be reached later through a smooth step.
            if (!seed)
                state[size_t(i)] = rejected;
            return;
        }
        state[size_t(i)] = background;
        ++count;
        stack.emplace_back(x, y);
    };
    for (int x = 0; x < width; ++x) {
        tryAdd(x, 0, 0, true);
        tryAdd(x, height - 1, 0, true);
    }
    for (int y = 1; y < height - 1; ++y) {
        tryAdd(0, y, 0, true);
        tryAdd(width - 1, y, 0, true);
    }
    while (!stack.empty()) {
        const auto [x, y] = std::pair(stack.back().x(), stack.back().y());
        stack.pop_back();
        const QRgb p = pixels[y * stride + x];
        if (x > 0)
            tryAdd(x - 1, y, p, false);
        if (x + 1 < width)
            tryAdd(x + 1, y, p, false);
        if (y > 0)
            tryAdd(x, y - 1, p, false);
        if (y + 1 < height)
            tryAdd(x, y + 1, p, false);
    }
    return count;
}

// Keeps the foreground components large enough to be a subject: `mask` gets 255 for every
// foreground pixel, then components smaller than the minimum are cleared again. Returns the number
// of kept pixels.
qsizetype keepComponents(const std::vector<uchar>& state, int width, int height, std::vector<uchar>& mask)
{
    const qsizetype total = qsizetype(width) * height;
    const qsizetype minimum = std::max<qsizetype>(kMinComponentPixels, qsizetype(double(total) * kMinComponentShare));
    qsizetype kept = 0;
    for (qsizetype i = 0; i < total; ++i) {
        mask[size_t(i)] = state[size_t(i)] == 1 ? 0 : 255;
        kept += mask[size_t(i)] ? 1 : 0;
    }
    // Walk each component once (marking it 254 as seen); only a small one needs its pixels listed.
    std::vector<QPoint> stack;
    std::vector<int> small;
    for (qsizetype start = 0; start < total; ++start) {
        if (mask[size_t(start)] != 255)
            continue;
        small.clear();
        qsizetype size = 0;
        stack.emplace_back(int(start % width), int(start / width));
        mask[size_t(start)] = 254;
        while (!stack.empty()) {
            const auto [x, y] = std::pair(stack.back().x(), stack.back().y());
            stack.pop_back();
            const int i = y * width + x;
            if (++size < minimum)
                small.push_back(i);
            const auto visit = [&](int j, int vx, int vy) {
                if (mask[size_t(j)] == 255) {
                    mask[size_t(j)] = 254;
                    stack.emplace_back(vx, vy);
                }
            };
            if (x > 0)
                visit(i - 1, x - 1, y);
            if (x + 1 < width)
                visit(i + 1, x + 1, y);
            if (y > 0)
                visit(i - width, x, y - 1);
            if (y + 1 < height)
                visit(i + width, x, y + 1);
        }
        if (size < minimum) {
            for (const int i : small)
                mask[size_t(i)] = 0;
            kept -= size;
        }
    }
    for (qsizetype i = 0; i < total; ++i)
        mask[size_t(i)] = mask[size_t(i)] ? 255 : 0;
    return kept;
}

// Softens the cut edge with a 3x3 box average so it is anti-aliased rather than stair-stepped.
QImage featheredAlpha(const std::vector<uchar>& mask, int width, int height)
{
    QImage alpha(width, height, QImage::Format_Alpha8);
    if (alpha.isNull())
        throw std::bad_alloc();
    std::vector<quint16> sums(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const uchar* row = mask.data() + size_t(y) * width;
        quint16* out = sums.data() + size_t(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = quint16(row[std::max(x - 1, 0)] + row[x] + row[std::min(x + 1, width - 1)]);
    }
    for (int y = 0; y < height; ++y) {
        const quint16* above = sums.data() + size_t(std::max(y - 1, 0)) * width;
        const quint16* here = sums.data() + size_t(y) * width;
        const quint16* below = sums.data() + size_t(std::min(y + 1, height - 1)) * width;
        uchar* out = alpha.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = uchar((above[x] + here[x] + below[x] + 4) / 9);
    }
    return alpha;
}

}

ForegroundMask BorderForegroundSegmenter::segment(const QImage& source)
{
    ForegroundMask result;
    if (source.isNull() || source.width() < 3 || source.height() < 3)
        return result;
    try {
        QImage image = source;
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
            image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            throw std::bad_alloc();
        const int width = image.width(), height = image.height();
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        const qsizetype stride = image.bytesPerLine() / 4;

        const BackgroundModel model(pixels, width, height, stride);
        if (model.borderEvidence() < kMinBorderEvidence)
            return result;

        std::vector<uchar> state(size_t(width) * height, 0);
        const qsizetype background = growBackground(pixels, width, height, stride, model, state);
        if (background == qsizetype(width) * height)
            return result; // one region: nothing stands out

        std::vector<uchar> mask(size_t(width) * height, 0);
        if (keepComponents(state, width, height, mask) == 0)
            return result;
        result.alpha = featheredAlpha(mask, width, height);
        result.status = ForegroundMask::Status::found;
    } catch (const std::bad_alloc&) {
        result.status = ForegroundMask::Status::failed;
        result.alpha = QImage();
        result.error = QStringLiteral("not enough memory to segment a %1x%2 image").arg(source.width()).arg(source.height());
    }
    return result;
}

ForegroundSegmenter& ForegroundSegmenter::shared()
{
    static BorderForegroundSegmenter segmenter;
    return segmenter;
}
