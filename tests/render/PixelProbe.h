#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdlib>

// Pixel helpers shared by the render tests.

// The largest channel difference (alpha included) between two colours.
inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
        std::abs(qAlpha(a) - qAlpha(b)) });
}

inline bool near(QRgb a, QColor b, int tolerance)
{
    return channelDistance(a, b.rgba()) <= tolerance;
}

// A transparent canvas of `size` pixels at a device pixel ratio.
inline QImage transparentCanvas(QSize size, double dpr = 1.0)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    return image;
}

// Fine dark-on-white stripes and dots: every pixel differs from its neighbours, like text.
inline QImage detailedImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = ((x / 2 + y / 3) % 2) ? qRgb(255, 255, 255) : qRgb(40, 40, 40);
    }
    return image;
}
