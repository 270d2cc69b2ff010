#pragma once

#include "platform/Pasteboard.h"

#include <QPointer>

#include <memory>
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
    ~QtPasteboard() override;

    QImage readImage() override;
    // On X11 another program's offer is read on a thread of our own over a connection of its own:
    // Qt's clipboard waits for the owner on the main thread, which an owner that stalls would
    // freeze for seconds.
    void readImageLater(QObject* context, std::function<void(Read)> done) override;
    // How long each answer of the clipboard's owner is waited for.
    static constexpr int ownerTimeoutMs = 3000;
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
    std::unique_ptr<QThreadPool> m_readers;
};
