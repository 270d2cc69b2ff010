#include "render/BackgroundRemover.h"

#include "core/Log.h"

BackgroundRemover::BackgroundRemover(ForegroundSegmenter& segmenter, int maxEntries, qint64 maxBytes)
    : m_segmenter(segmenter)
    , m_maxEntries(maxEntries)
    , m_maxBytes(maxBytes)
{
}

BackgroundRemover& BackgroundRemover::shared()
{
    static BackgroundRemover remover(ForegroundSegmenter::shared());
    return remover;
}

std::optional<QImage> BackgroundRemover::removeBackground(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    const qint64 key = image.cacheKey();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key == key) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->cutOut;
        }
    }
    bool deterministic = false;
    std::optional<QImage> result = cutOut(image, &deterministic);
    // "Nothing found" is remembered too: segmentation is deterministic, and repeating it on every
    // paint would stall the canvas. Failures (memory) are retried next time.
    if (result || deterministic)
        insert({ key, result, result ? result->sizeInBytes() : 0 });
    return result;
}

std::optional<QImage> BackgroundRemover::cutOutForeground(const QImage& image)
{
    bool deterministic = false;
    return cutOut(image, &deterministic);
}

std::optional<QImage> BackgroundRemover::cutOut(const QImage& image, bool* deterministic)
{
    *deterministic = false;
    if (image.isNull())
        return std::nullopt;
    const ForegroundMask mask = m_segmenter.segment(image);
    switch (mask.status) {
    case ForegroundMask::Status::failed:
        logLine(QStringLiteral("background removal failed: %1").arg(mask.error));
        return std::nullopt;
    case ForegroundMask::Status::nothingFound:
        *deterministic = true;
        return std::nullopt;
    case ForegroundMask::Status::found:
        break;
    }
    if (mask.alpha.size() != image.size())
        return std::nullopt;

    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return std::nullopt;
    const int width = out.width(), height = out.height();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uchar* alpha = mask.alpha.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint a = alpha[x];
            if (a == 255)
                continue;
            const QRgb p = row[x];
            // Scale every premultiplied channel by the mask.
            const auto scale = [a](uint c) { return (c * a + 127) / 255; };
            row[x] = qRgba(int(scale(uint(qRed(p)))), int(scale(uint(qGreen(p)))), int(scale(uint(qBlue(p)))),
                int(scale(uint(qAlpha(p)))));
        }
    }
    // Same point size as the source so the layout does not change.
    out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}

void BackgroundRemover::insert(Entry entry)
{
    m_bytes += entry.bytes;
    m_entries.push_front(std::move(entry));
    while (m_entries.size() > 1
        && (int(m_entries.size()) > m_maxEntries || m_bytes > m_maxBytes)) {
        m_bytes -= m_entries.back().bytes;
        m_entries.pop_back();
    }
}
