#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>

// Memory for large pixel buffers (renders, their layers, an encoder's scratch), backed by huge
// pages where the kernel allows: faulting in tens of megabytes page by page otherwise costs a
// large share of a render or an encode.
namespace LargeBuffer {

// `size` bytes, uninitialised; null when there is no memory. A buffer written only here and there
// takes small pages (`hugePages` false), so that only what is written becomes resident.
void* allocate(std::size_t size, bool hugePages = true);
void release(void* data);

// An image of `size` and `format` in such memory, uninitialised; null when it cannot be had.
// Sized under 2 MiB it is an ordinary image.
QImage image(QSize size, QImage::Format format);

}
