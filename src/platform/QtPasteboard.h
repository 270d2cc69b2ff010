#pragma once

#include "platform/Pasteboard.h"

#include <QPointer>

#include <optional>

class QClipboard;
class QMimeData;
class QThreadPool;

// Pasteboard over QClipboard. A written image is offered as "image/png" bytes, encoded once on a
// worker thread as soon as it is written, and as the QImage itself for readers in this process.
// The clipboard is owned at once; a reader that asks for the bytes before the encoder is done
// waits for it.
class QtPasteboard final : public Pasteboard {
    Q_OBJECT
public:
    explicit QtPasteboard(QClipboard* clipboard, PngEncodeFunction encoder = encodePngWithQt,
        QThreadPool* pool = nullptr, QObject* parent = nullptr);

    QImage readImage() override;
    void writeImage(const QImage& image) override;
    void writeEncoded(const EncodedImage& encoded) override;
    bool ownsClipboard() const override;
    void clear() override;

    // A faster encoder replaces Qt's writer once it is available.
    void setEncoder(PngEncodeFunction encoder);
    // The PNG bytes of the image last written here (waits for the encoder); empty when the
    // clipboard no longer holds it.
    QByteArray writtenPng() const;

private:
    QClipboard* m_clipboard;
    PngEncodeFunction m_encoder;
    QThreadPool* m_pool;
    QPointer<QMimeData> m_written;
};
