#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

// Fast decoding of the PNG form screenshot tools write: 8-bit RGB or RGBA, not interlaced, with
// no chunk that would change how Qt's reader presents the pixels (colour spaces, transparency
// keys, orientation, offsets). The result equals what QImageReader makes of the same data
// (format, pixels, resolution) in about half the time; text chunks are skipped, not kept. Anything else, damaged data
// included, gives nullopt and is left to QImageReader, which decodes it or says what is wrong.
// Thread-safe.
namespace PngDecoder {
std::optional<QImage> decode(const QByteArray& data, qint64 maxImageBytes);
}
