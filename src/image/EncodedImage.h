#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>

#include <functional>

class QThreadPool;

// Encodes the PNG bytes a written image is offered as; runs off the GUI thread.
using PngEncodeFunction = std::function<QByteArray(const QImage&)>;

// An image with its PNG bytes, encoded once on a worker as soon as it is made and shared by every
// reader of the same image (the clipboard and the drag-out file), so no image is encoded twice.
class EncodedImage {
public:
    EncodedImage() = default;
    // Starts encoding `image` with `encoder` on `pool` (the global pool when none).
    static EncodedImage start(const QImage& image, const PngEncodeFunction& encoder, QThreadPool* pool = nullptr);

    const QImage& image() const { return m_image; }
    // The PNG bytes; waits for the encoder. Empty when encoding failed.
    QByteArray png() const { return m_png.isValid() ? m_png.result() : QByteArray(); }
    QFuture<QByteArray> future() const { return m_png; }

private:
    QImage m_image;
    QFuture<QByteArray> m_png;
};
