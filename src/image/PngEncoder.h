#pragma once

#include <QByteArray>
#include <QImage>

// Fast PNG encoding for renders and the clipboard: one pass that converts, filters and deflates at
// a fast level, with no metadata. Opaque images are written as RGB, others as RGBA (straight
// alpha). Thread-safe: it keeps no state, so it runs off the GUI thread.
namespace PngEncoder {
// The PNG file, or empty data when the image is null or cannot be encoded.
QByteArray encode(const QImage& image);
}
