#include "onboarding/VideoFrameScaler.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Fixed-point YCbCr to RGB (x256): luma gain and the chroma terms of each channel.
struct Coefficients {
    int lumaOffset;
    int luma;
    int rV;
    int gU;
    int gV;
    int bU;
};

Coefficients coefficientsFor(const QVideoFrameFormat& format)
{
    const bool bt709 = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709;
    if (format.colorRange() == QVideoFrameFormat::ColorRange_Full)
        return bt709 ? Coefficients { 0, 256, 403, -48, -120, 475 } : Coefficients { 0, 256, 359, -88, -183, 454 };
    // Video range (16-235), what encoders write unless told otherwise.
    return bt709 ? Coefficients { 16, 298, 459, -55, -136, 541 } : Coefficients { 16, 298, 409, -100, -208, 516 };
}

inline uint clamp8(int v) { return uint(std::clamp(v, 0, 255)); }

// Each output column or row: the source span [first, last) averaged into it.
struct Span {
    int first;
    int last;
};

std::vector<Span> spans(qreal start, qreal step, int count, int limit)
{
    std::vector<Span> out(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        int first = std::clamp(int(std::floor(start + i * step)), 0, limit - 1);
        int last = std::clamp(int(std::floor(start + (i + 1) * step)), first + 1, limit);
        out[size_t(i)] = { first, last };
    }
    return out;
}

}

QRectF VideoFrameScaler::aspectFillSource(QSizeF frameSize, QSizeF target)
{
    if (frameSize.isEmpty() || target.isEmpty())
        return {};
    const qreal scale = std::max(target.width() / frameSize.width(), target.height() / frameSize.height());
    const QSizeF shown(target.width() / scale, target.height() / scale);
    return QRectF(QPointF((frameSize.width() - shown.width()) / 2, (frameSize.height() - shown.height()) / 2), shown);
}

QImage VideoFrameScaler::scaled(const QVideoFrame& source, QSize target, QImage reuse)
{
    if (!source.isValid() || target.isEmpty())
        return {};
    const QSize frameSize = source.size();
    const QRectF crop = aspectFillSource(frameSize, target);
    if (crop.isEmpty())
        return {};
    const QVideoFrameFormat::PixelFormat pixelFormat = source.pixelFormat();
    const bool planar = pixelFormat == QVideoFrameFormat::Format_YUV420P || pixelFormat == QVideoFrameFormat::Format_YV12;
    const bool semiPlanar = pixelFormat == QVideoFrameFormat::Format_NV12 || pixelFormat == QVideoFrameFormat::Format_NV21;
    if (!planar && !semiPlanar) {
        const QImage image = source.toImage();
        if (image.isNull())
            return {};
        return image.copy(crop.toAlignedRect())
            .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    }

    QVideoFrame frame = source; // mapping needs a non-const handle; the data is shared
    if (!frame.map(QVideoFrame::ReadOnly))
        return {};
    const uchar* luma = frame.bits(0);
    const int lumaStride = frame.bytesPerLine(0);
    // Planar: U then V (I420) or V then U (YV12). Semi-planar: interleaved UV (NV12) or VU (NV21).
    const uchar* cb = nullptr;
    const uchar* cr = nullptr;
    int chromaStride = 0;
    int chromaStep = 1;
    if (planar) {
        const bool yv12 = pixelFormat == QVideoFrameFormat::Format_YV12;
        cb = frame.bits(yv12 ? 2 : 1);
        cr = frame.bits(yv12 ? 1 : 2);
        chromaStride = frame.bytesPerLine(1);
    } else {
        const uchar* uv = frame.bits(1);
        const bool nv21 = pixelFormat == QVideoFrameFormat::Format_NV21;
        cb = uv + (nv21 ? 1 : 0);
        cr = uv + (nv21 ? 0 : 1);
        chromaStride = frame.bytesPerLine(1);
        chromaStep = 2;
    }
    if (!luma || !cb || !cr) {
        frame.unmap();
        return {};
    }

    const Coefficients k = coefficientsFor(frame.surfaceFormat());
    const std::vector<Span> columns
        = spans(crop.x(), crop.width() / target.width(), target.width(), frameSize.width());
    const std::vector<Span> rows = spans(crop.y(), crop.height() / target.height(), target.height(), frameSize.height());
    const int chromaWidth = (frameSize.width() + 1) / 2;
    const int chromaHeight = (frameSize.height() + 1) / 2;
    std::vector<int> chromaColumn(columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
        chromaColumn[i] = std::min((columns[i].first + columns[i].last) / 4, chromaWidth - 1) * chromaStep;

    QImage out = std::move(reuse);
    if (out.size() != target || out.format() != QImage::Format_RGB32)
        out = QImage(target, QImage::Format_RGB32);
    // Each term looked up once per call rather than multiplied per pixel.
    struct Terms {
        int luma[256];
        int rV[256];
        int gUV[256][2];
        int bU[256];
    };
    static thread_local Terms t;
    for (int i = 0; i < 256; ++i) {
        t.luma[i] = k.luma * (i - k.lumaOffset) + 128;
        t.rV[i] = k.rV * (i - 128);
        t.gUV[i][0] = k.gU * (i - 128);
        t.gUV[i][1] = k.gV * (i - 128);
        t.bU[i] = k.bU * (i - 128);
    }
    const auto toRgb = [](int y, int u, int v) {
        const int c = t.luma[y];
        return 0xff000000u | (clamp8((c + t.rV[v]) >> 8) << 16) | (clamp8((c + t.gUV[u][0] + t.gUV[v][1]) >> 8) << 8)
            | clamp8((c + t.bU[u]) >> 8);
    };
    // Whether every span is `width` wide and follows the one before without gap or overlap.
    const auto steady = [](const std::vector<Span>& all, int width) {
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].last - all[i].first != width || all[i].first != all.front().first + int(i) * width)
                return false;
        }
        return true;
    };
    // The clip at 1x is exactly half its size and at 2x exactly its size: each output pixel is one
    // 2x2 block, or one sample, and the chroma sample over it.
    const int factor = steady(columns, 2) && steady(rows, 2) && columns.front().first % 2 == 0 ? 2
        : steady(columns, 1) && steady(rows, 1)                                               ? 1
                                                                                             : 0;
    for (int y = 0; y < target.height(); ++y) {
        const Span rowSpan = rows[size_t(y)];
        const int chromaRow = std::min((rowSpan.first + rowSpan.last) / 4, chromaHeight - 1);
        const uchar* cbRow = cb + qsizetype(chromaRow) * chromaStride;
        const uchar* crRow = cr + qsizetype(chromaRow) * chromaStride;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uchar* top = luma + qsizetype(rowSpan.first) * lumaStride + columns.front().first;
        if (factor == 2) {
            const uchar* bottom = top + lumaStride;
            const uchar* u = cbRow + chromaColumn.front();
            const uchar* v = crRow + chromaColumn.front();
            for (int x = 0; x < target.width(); ++x) {
                const int sum = top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
                line[x] = toRgb((sum + 2) >> 2, u[x * chromaStep], v[x * chromaStep]);
            }
            continue;
        }
        if (factor == 1) {
            for (int x = 0; x < target.width(); ++x) {
                const int at = chromaColumn[size_t(x)];
                line[x] = toRgb(top[x], cbRow[at], crRow[at]);
            }
            continue;
        }
        const int rowsIn = rowSpan.last - rowSpan.first;
        for (int x = 0; x < target.width(); ++x) {
            const Span col = columns[size_t(x)];
            int sum = 0;
            for (int sy = rowSpan.first; sy < rowSpan.last; ++sy) {
                const uchar* p = luma + qsizetype(sy) * lumaStride;
                for (int sx = col.first; sx < col.last; ++sx)
                    sum += p[sx];
            }
            const int count = rowsIn * (col.last - col.first);
            const int at = chromaColumn[size_t(x)];
            line[x] = toRgb((sum + count / 2) / count, cbRow[at], crRow[at]);
        }
    }
    frame.unmap();
    return out;
}
