#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <cstddef>

// Large pixel buffers: renders, their layers and an encoder's scratch. Fresh memory is faulted in
// page by page on its first write, which for tens of megabytes costs a large share of a render.
namespace LargeBuffer {

// `size` bytes, uninitialised, of which only what is written becomes resident; null when there
// is no memory.
void* allocate(std::size_t size);
void release(void* data);

// An image of `size` and `format` filled with `color` exactly as QImage::fill does, its rows
// written in bands on every core so that its pages are faulted in side by side. Null when it
// cannot be allocated.
QImage filledImage(QSize size, QImage::Format format, const QColor& color);

// A deep copy of `image` (pixels, format and device pixel ratio), its rows copied in bands on every
// core. Null when it cannot be allocated.
QImage copiedImage(const QImage& image);

}
