#pragma once

#include "image/EncodedImage.h"
#include "platform/Pasteboard.h"

#include <QList>

// A clipboard in memory: `image` is what a read returns; writes are recorded.
class FakePasteboard final : public Pasteboard {
    Q_OBJECT
public:
    QImage readImage() override
    {
        ++reads;
        return image;
    }
    void writeImage(const QImage& written) override
    {
        writes.append(written);
        image = written;
        owned = true;
        countWrite();
    }
    void writeEncoded(const EncodedImage& encoded) override
    {
        writeImage(encoded.image());
        encodedWrites.append(encoded);
    }
    bool ownsClipboard() const override { return owned; }
    void clear() override
    {
        ++clears;
        image = QImage();
        owned = false;
    }

    QImage image;
    QList<QImage> writes;
    QList<EncodedImage> encodedWrites; // the bytes offered with writes that came encoded
    int reads = 0;
    int clears = 0;
    bool owned = false;
};
