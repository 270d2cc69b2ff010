#pragma once

#include "vision/ForegroundSegmenter.h"

// Returns a canned result and counts how often it was asked.
class FakeForegroundSegmenter : public ForegroundSegmenter {
public:
    ForegroundMask segment(const QImage& image) override
    {
        ++calls;
        ForegroundMask out = result;
        if (out.status == ForegroundMask::Status::found && out.alpha.isNull()) {
            // Default mask: the left half is foreground.
            out.alpha = QImage(image.size(), QImage::Format_Alpha8);
            out.alpha.fill(0);
            for (int y = 0; y < image.height(); ++y)
                std::fill_n(out.alpha.scanLine(y), image.width() / 2, uchar(255));
        }
        return out;
    }

    ForegroundMask result { ForegroundMask::Status::found, {}, {} };
    int calls = 0;
};
