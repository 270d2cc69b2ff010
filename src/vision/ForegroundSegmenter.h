#pragma once

#include <QImage>
#include <QString>

// What segmentation found in an image.
struct ForegroundMask {
    enum class Status { found, nothingFound, failed };
    Status status = Status::nothingFound;
    QImage alpha;   // Format_Alpha8, the image's pixel size: 255 foreground, 0 background
    QString error;  // why it failed (status failed only)
};

// Separates a screenshot's foreground from its background. No segmentation model ships with
// the application, so the Linux provider works from the image alone (see
// BorderForegroundSegmenter); tests use a fake.
class ForegroundSegmenter {
public:
    virtual ~ForegroundSegmenter() = default;
    // Deterministic for a given image: "nothing found" would be found again.
    virtual ForegroundMask segment(const QImage& image) = 0;

    static ForegroundSegmenter& shared();
};
