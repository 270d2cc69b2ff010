#pragma once

#include "editor/EditorDocument.h"
#include "fakes/FakeSensitiveTextScan.h"

#include <QColor>
#include <QImage>

#include <memory>

// A flat image of one colour, `width` x `height` pixels at a device pixel ratio of 1.
inline QImage flatImage(int width, int height, QColor color = QColor(90, 90, 90))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A document over a 400 x 300 shot with the given detections (none: the scan waits in `scan`).
inline std::unique_ptr<EditorDocument> makeDocument(FakeSensitiveTextScan& scan,
    std::optional<DetectionResult> detected = DetectionResult {},
    const BeautifySettings& settings = BeautifySettings::defaults(), const QImage& image = flatImage(400, 300))
{
    return std::make_unique<EditorDocument>(image, QStringLiteral("Shot.png"), settings, std::move(detected), scan.scan());
}

inline Annotation mark(Annotation::Kind kind, QPointF start, QPointF end)
{
    Annotation a;
    a.kind = kind;
    a.start = start;
    a.end = end;
    return a;
}
