#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

class QVideoFrame;

// Turns a decoded video frame into the picture a view shows: the part that fills `target`
// without distortion (cropped evenly on the overflowing axis), converted and scaled in one pass
// on the CPU. 8-bit 4:2:0 frames (I420, YV12, NV12, NV21) are read straight from their planes,
// each output pixel the average of the luma under it; other formats go through Qt's converter.
// Qt's own QVideoFrame::toImage() renders through an OpenGL context, which without a GPU is a
// software rasteriser costing more than a core for a small clip. Safe on any thread.
class VideoFrameScaler {
public:
    // An RGB32 image of exactly `target` pixels; null for an invalid frame or an empty target.
    // `reuse`, an earlier result of the same size, is written over instead of allocating anew.
    static QImage scaled(const QVideoFrame& frame, QSize target, QImage reuse = {});

    // The part of a frame of `frameSize` that fills `target` without distortion.
    static QRectF aspectFillSource(QSizeF frameSize, QSizeF target);
};
