#include "model/ColorHex.h"

#include <algorithm>
#include <cmath>

QColor colorFromHex(int hex)
{
    return QColor((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF);
}

namespace {
int channel(double component)
{
    if (!std::isfinite(component))
        return component > 0 ? 255 : 0;
    return int(std::clamp(std::round(component * 255.0), 0.0, 255.0));
}
}

int hexFromColor(const QColor& color)
{
    if (!color.isValid())
        return 0;
    // Plain RGB keeps 16 bits per channel; components of extended colours beyond 0-1 come out
    // clamped, as each channel is below.
    const QColor srgb = color.toRgb();
    return (channel(srgb.redF()) << 16) | (channel(srgb.greenF()) << 8) | channel(srgb.blueF());
}
