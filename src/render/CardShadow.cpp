#include "render/CardShadow.h"

#include "core/ParallelFor.h"
#include "render/ContinuousCorners.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double phi(double z)
{
    return 0.5 * std::erfc(-z * M_SQRT1_2);
}

// The rounded rectangle, with everything the coverage needs precomputed.
struct Shape {
    double left, top, right, bottom, radius, sigma;
    int cornerSamples;

    Shape(const QRectF& r, double cornerRadius, double s)
        : left(r.left())
        , top(r.top())
        , right(r.right())
        , bottom(r.bottom())
        , radius(std::clamp(cornerRadius, 0.0, std::min(r.width(), r.height()) / 2))
        , sigma(s)
        // Enough rows that each spans at most a quarter sigma.
        , cornerSamples(std::clamp(int(std::ceil(radius / (0.25 * s))), 1, 32))
    {
    }

    double rowCoverage(double x, double x0, double x1) const { return phi((x1 - x) / sigma) - phi((x0 - x) / sigma); }

    // The coverage is exact along rows (a difference of two normal CDFs) and summed over rows
    // weighted by their Gaussian mass: the straight middle rows in one term, the rounded corner
    // rows in `cornerSamples` slices, each at the corner's width in its middle.
    double across(double x) const { return rowCoverage(x, left, right); }
    double middle(double y) const { return rowCoverage(y, top + radius, bottom - radius); }
    double slice() const { return radius / cornerSamples; }
    // Slice m of the top and bottom corner rows, m = 0 next to the straight middle.
    double horizontal(int m, double x) const
    {
        const double dy = (m + 0.5) * slice();
        const double in = radius - std::sqrt(std::max(0.0, radius * radius - dy * dy));
        return rowCoverage(x, left + in, right - in);
    }
    double vertical(int m, double y) const
    {
        const double near = m * slice(), far = (m + 1) * slice();
        return rowCoverage(y, top + radius - far, top + radius - near)
            + rowCoverage(y, bottom - radius + near, bottom - radius + far);
    }

    double coverage(double x, double y) const
    {
        double value = across(x) * middle(y);
        if (radius > 0)
            for (int m = 0; m < cornerSamples; ++m)
                value += horizontal(m, x) * vertical(m, y);
        return std::clamp(value, 0.0, 1.0);
    }

    // Far enough inside that the coverage is 1 to within the Gaussian's tail.
    bool deepInside(double x, double y) const
    {
        const double m = 3 * sigma;
        if (x < left + m || x > right - m || y < top + m || y > bottom - m)
            return false;
        const bool nearCornerX = x < left + radius + m || x > right - radius - m;
        const bool nearCornerY = y < top + radius + m || y > bottom - radius - m;
        return !(nearCornerX && nearCornerY);
    }
};

}

double roundedRectShadowCoverage(const QRectF& rect, double cornerRadius, double sigma, const QPointF& point)
{
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return 0;
    if (!(sigma > 0))
        return continuousRoundedRect(r, cornerRadius).contains(point) ? 1 : 0;
    return Shape(r, cornerRadius, sigma).coverage(point.x(), point.y());
}

void paintRoundedRectShadow(
    QPainter& painter, const QRectF& rect, double cornerRadius, const DropShadow& shadow, bool coveredByOpaqueShape)
{
    const QRectF base = rect.normalized();
    const QRectF shape = base.translated(shadow.offset);
    if (shape.isEmpty() || shadow.color.alpha() == 0 || !std::isfinite(shadow.radius))
        return;
    const double sigma = shadow.radius / 2;
    if (!(sigma > 0)) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(shadow.color);
        painter.drawPath(continuousRoundedRect(shape, cornerRadius));
        painter.restore();
        return;
    }

    // Grid cells of a third of a sigma, but never finer than a device pixel and never more than
    // 2048 a side.
    const QTransform device = painter.deviceTransform();
    const double deviceScale = std::max(1e-6, std::sqrt(std::abs(device.determinant())));
    const QRectF bounds = shape.adjusted(-3 * sigma, -3 * sigma, 3 * sigma, 3 * sigma);
    double cell = std::max(sigma / 3, 1 / deviceScale);
    cell = std::max({ cell, bounds.width() / 2048, bounds.height() / 2048 });
    const int columns = int(std::ceil(bounds.width() / cell));
    const int rows = int(std::ceil(bounds.height() / cell));

    QImage grid(columns, rows, QImage::Format_ARGB32_Premultiplied);
    if (grid.isNull())
        return;
    const Shape s(shape, cornerRadius, sigma);
    const auto centre = [&](int index, double origin) { return origin + (index + 0.5) * cell; };

    // Cells whose shadow is solid: everything but a band of 3 sigma plus the corner radius round
    // the edge. Kept as a range of cell indices.
    const double band = 3 * sigma + s.radius;
    const int innerLeft = std::clamp(int(std::ceil((shape.left() + band - bounds.left()) / cell)), 0, columns);
    const int innerRight = std::clamp(int(std::floor((shape.right() - band - bounds.left()) / cell)), innerLeft, columns);
    const int innerTop = std::clamp(int(std::ceil((shape.top() + band - bounds.top()) / cell)), 0, rows);
    const int innerBottom = std::clamp(int(std::floor((shape.bottom() - band - bounds.top()) / cell)), innerTop, rows);

    // Away from the rounded corners the coverage is a product of a row and a column term; near
    // them the corner slices add terms that again split into a column and a row factor, so
    // every factor is computed once per column or row.
    const double cornerReach = s.radius + 4 * sigma;
    const int slices = s.radius > 0 ? s.cornerSamples : 0;
    std::vector<double> across(static_cast<size_t>(columns)), down(static_cast<size_t>(rows));
    std::vector<double> middle(static_cast<size_t>(rows));
    std::vector<double> horizontal(size_t(columns) * slices), vertical(size_t(rows) * slices);
    for (int i = 0; i < columns; ++i) {
        const double x = centre(i, bounds.left());
        across[size_t(i)] = s.across(x);
        if (x < shape.left() + cornerReach || x > shape.right() - cornerReach)
            for (int m = 0; m < slices; ++m)
                horizontal[size_t(i) * slices + m] = s.horizontal(m, x);
    }
    for (int j = 0; j < rows; ++j) {
        const double y = centre(j, bounds.top());
        down[size_t(j)] = s.rowCoverage(y, shape.top(), shape.bottom());
        middle[size_t(j)] = s.middle(y);
        if (y < shape.top() + cornerReach || y > shape.bottom() - cornerReach)
            for (int m = 0; m < slices; ++m)
                vertical[size_t(j) * slices + m] = s.vertical(m, y);
    }
    const auto cornerCoverage = [&](int i, int j) {
        double value = across[size_t(i)] * middle[size_t(j)];
        const double* h = horizontal.data() + size_t(i) * slices;
        const double* v = vertical.data() + size_t(j) * slices;
        for (int m = 0; m < slices; ++m)
            value += h[m] * v[m];
        return value;
    };

    const QRgb full = qPremultiply(shadow.color.rgba());
    // Rows depend on nothing but the factors above: bands of them are filled side by side.
    uchar* const pixels = grid.bits();
    const qsizetype stride = grid.bytesPerLine();
    constexpr int kRowsPerBand = 64;
    parallelFor((rows + kRowsPerBand - 1) / kRowsPerBand, [&](int band) {
        for (int j = band * kRowsPerBand; j < std::min(rows, (band + 1) * kRowsPerBand); ++j) {
            const double y = centre(j, bounds.top());
            const bool cornerRow = y < shape.top() + cornerReach || y > shape.bottom() - cornerReach;
            const bool innerRow = j >= innerTop && j < innerBottom;
            auto* line = reinterpret_cast<QRgb*>(pixels + j * stride);
            for (int i = 0; i < columns; ++i) {
                if (innerRow && i >= innerLeft && i < innerRight) {
                    line[i] = full;
                    continue;
                }
                const double x = centre(i, bounds.left());
                const bool cornerColumn = x < shape.left() + cornerReach || x > shape.right() - cornerReach;
                const double coverage = cornerRow && cornerColumn ? cornerCoverage(i, j) : across[size_t(i)] * down[size_t(j)];
                const uint a = uint(std::lround(std::clamp(coverage, 0.0, 1.0) * 256));
                // Scale all four premultiplied channels by the coverage.
                line[i] = qRgba(int((qRed(full) * a) >> 8), int((qGreen(full) * a) >> 8), int((qBlue(full) * a) >> 8),
                    int((qAlpha(full) * a) >> 8));
            }
        }
    });

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto target = [&](int i0, int j0, int i1, int j1) {
        return QRectF(bounds.left() + i0 * cell, bounds.top() + j0 * cell, (i1 - i0) * cell, (j1 - j0) * cell);
    };
    const QRectF inner = target(innerLeft, innerTop, innerRight, innerBottom);
    const double r = std::clamp(cornerRadius, 0.0, std::min(base.width(), base.height()) / 2);
    if (coveredByOpaqueShape && !inner.isEmpty() && base.adjusted(r, r, -r, -r).contains(inner)) {
        // The shape drawn over the shadow hides its solid middle: upscale only the band round it.
        const auto strip = [&](int i0, int j0, int i1, int j1) {
            if (i1 > i0 && j1 > j0)
                painter.drawImage(target(i0, j0, i1, j1), grid, QRectF(i0, j0, i1 - i0, j1 - j0));
        };
        strip(0, 0, columns, innerTop);
        strip(0, innerBottom, columns, rows);
        strip(0, innerTop, innerLeft, innerBottom);
        strip(innerRight, innerTop, columns, innerBottom);
    } else {
        painter.drawImage(target(0, 0, columns, rows), grid);
    }
    painter.restore();
}
