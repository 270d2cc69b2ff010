#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <vector>

// A small working image with one float plane (0 to 1) per channel: 1 (alpha), 3 (opaque RGB)
// or 4 (premultiplied RGBA, alpha last). The gradient rasteriser and the blur draw into one at a
// reduced size and scale it up to the final image.
struct PlanarImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<float> plane[4];

    PlanarImage() = default;
    PlanarImage(int w, int h, int channelCount);

    bool isNull() const { return width <= 0 || height <= 0 || channels <= 0; }
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
};

// Averages factor x factor blocks of `image` (any format; converted to premultiplied ARGB, or kept
// as one alpha plane for Format_Alpha8) into a planar image of ceil(size / factor). Blocks cut by
// the right or bottom edge average the pixels they hold.
PlanarImage downscaleToPlanar(const QImage& image, int factor);

// Bilinear upscale to `size`, target pixel X reading source position (X + 0.5) * scale - 0.5
// (clamped at the edges), with a 4 x 4 ordered dither on the way to 8 bits so wide smooth ramps
// show no bands. Produces Format_RGB32 (3 channels), Format_ARGB32_Premultiplied (4) or
// Format_Alpha8 (1). Row bands run on the global thread pool. Null when the image cannot be
// allocated.
QImage upscaleToImage(const PlanarImage& source, QSize size, double scaleX, double scaleY);
