#pragma once

#include <QColor>
#include <QImage>

#include <ostream>

// Which symbol a picture of the toast shows, told by colour: the accent check mark of a
// confirmation or the amber triangle of a failure. The capsule is dark and the text white, so
// neither is mistaken for a symbol.
enum class ToastSymbol { none, checkMark, warning, both };

inline void PrintTo(ToastSymbol symbol, std::ostream* out)
{
    constexpr const char* names[] = { "none", "checkMark", "warning", "both" };
    *out << names[int(symbol)];
}

inline ToastSymbol toastSymbolIn(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    int amber = 0;
    int violet = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 140 && c.green() < 215 && c.blue() < 110)
                ++amber;
            else if (c.blue() > 200 && c.red() > 140 && c.red() < 230 && c.green() < 120)
                ++violet;
        }
    }
    constexpr int kEnough = 12; // a solid part of a glyph, not a stray edge pixel
    if (amber >= kEnough && violet >= kEnough)
        return ToastSymbol::both;
    if (amber >= kEnough)
        return ToastSymbol::warning;
    if (violet >= kEnough)
        return ToastSymbol::checkMark;
    return ToastSymbol::none;
}
