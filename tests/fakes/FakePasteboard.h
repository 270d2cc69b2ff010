#pragma once

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
    }
    bool ownsClipboard() const override { return owned; }

    QImage image;
    QList<QImage> writes;
    int reads = 0;
    bool owned = false;
};
