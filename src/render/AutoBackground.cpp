#include "render/AutoBackground.h"

#include "render/BackgroundMesh.h"

#include <QPainter>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double circularHue(double c, double s)
{
    double h = std::atan2(s, c) / kTwoPi;
    return h < 0 ? h + 1.0 : h;
}

}

ColorStats hueSaturation(double r, double g, double b)
{
    const double mx = std::max({ r, g, b });
    const double mn = std::min({ r, g, b });
    const double d = mx - mn;
    double h = 0;
    if (d > 0) {
        if (mx == r)
            h = std::fmod((g - b) / d, 6.0);
        else if (mx == g)
            h = (b - r) / d + 2.0;
        else
            h = (r - g) / d + 4.0;
        h /= 6.0;
        if (h < 0)
            h += 1.0;
    }
    const double s = mx == 0 ? 0.0 : d / mx;
    return { h, s };
}

std::optional<ColorStats> sampleImageColors(const QImage& image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return std::nullopt;

    // Squeeze the whole image into 24 x 24 (aspect not kept). A nearest-pixel pass to 96 x 96 first
    // keeps the cost independent of the screenshot's size; the smooth pass then averages.
    QImage small = image;
    if (small.width() > 96 || small.height() > 96)
        small = small.scaled(96, 96, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage bitmap(24, 24, QImage::Format_RGBA8888_Premultiplied);
    bitmap.fill(Qt::transparent);
    {
        QPainter p(&bitmap);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(QRectF(0, 0, 24, 24), small);
    }

    double c = 0, s = 0, sk = 0, k = 0;
    for (int y = 0; y < 24; ++y) {
        const uchar* row = bitmap.constScanLine(y);
        for (int x = 0; x < 24; ++x) {
            // Premultiplied bytes, alpha unread: transparent pixels count as black.
            const ColorStats px = hueSaturation(row[4 * x] / 255.0, row[4 * x + 1] / 255.0, row[4 * x + 2] / 255.0);
            const double weight = px.saturation + 0.05;
            c += px.saturation * std::cos(kTwoPi * px.hue);
            s += px.saturation * std::sin(kTwoPi * px.hue);
            sk += px.saturation * weight;
            k += weight;
        }
    }
    if (!(k > 0))
        return std::nullopt;
    return ColorStats { circularHue(c, s), sk / k };
}

ColorStats meanHue(BackgroundPreset preset)
{
    const auto mesh = gradient(preset);
    if (!mesh || mesh->colors.isEmpty())
        return {};
    double c = 0, s = 0, t = 0;
    int n = 0;
    for (const MeshColor& color : mesh->colors) {
        const ColorStats px = hueSaturation(color.red, color.green, color.blue);
        c += px.saturation * std::cos(kTwoPi * px.hue);
        s += px.saturation * std::sin(kTwoPi * px.hue);
        t += px.saturation;
        ++n;
    }
    if (n == 0)
        return {};
    return ColorStats { circularHue(c, s), t / n };
}

BackgroundPreset chooseAutoBackground(const QImage& image)
{
    const auto stats = sampleImageColors(image);
    if (!stats)
        return BackgroundPreset::nebula;

    const double w = 0.35 + 0.4 * stats->saturation;
    bool any = false;
    BackgroundPreset choice = BackgroundPreset::sunset;
    double best = std::numeric_limits<double>::lowest();
    for (BackgroundPreset preset : allCases<BackgroundPreset>) {
        if (preset == BackgroundPreset::none || preset == BackgroundPreset::noir || preset == BackgroundPreset::snow)
            continue;
        const auto mesh = gradient(preset);
        if (!mesh || mesh->colors.isEmpty())
            continue;
        const ColorStats p = meanHue(preset);
        double d = std::abs(p.hue - stats->hue);
        d = std::min(d, 1.0 - d);
        const double hueScore = std::max(1.0 - 2.0 * d, 0.85 * (1.0 - 2.0 * std::abs(d - 0.5)));
        const double score = (1.0 - w) * p.saturation + w * hueScore;
        if (!any) {
            any = true;
            choice = preset;
        }
        if (score > best) {
            best = score;
            choice = preset;
        }
    }
    return any ? choice : BackgroundPreset::sunset;
}
