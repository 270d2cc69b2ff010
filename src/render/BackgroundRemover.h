#pragma once

#include "vision/ForegroundSegmenter.h"

#include <QImage>

#include <list>
#include <optional>

// Cuts a screenshot's foreground out of its own background for styles with `removeBackground`
// on. The canvas asks on every paint, so results are cached per image, keyed by
// QImage::cacheKey() (never reused by another image) and bounded by count and bytes.
// Main thread only, like the canvas that calls it.
class BackgroundRemover {
public:
    explicit BackgroundRemover(ForegroundSegmenter& segmenter, int maxEntries = 8,
        qint64 maxBytes = qint64(256) * 1024 * 1024);

    static BackgroundRemover& shared();

    // The cut-out (transparent outside the foreground, same point size as `image`), or no value
    // when none can be made; the canvas then shows the uncut image.
    std::optional<QImage> removeBackground(const QImage& image);
    // The uncached work.
    std::optional<QImage> cutOutForeground(const QImage& image);

    int cachedEntries() const { return int(m_entries.size()); }
    void clear()
    {
        m_entries.clear();
        m_bytes = 0;
    }

private:
    struct Entry {
        qint64 key;
        std::optional<QImage> cutOut; // no value: nothing found, which would be found again
        qint64 bytes;
    };
    std::optional<QImage> cutOut(const QImage& image, bool* deterministic);
    void insert(Entry entry);

    ForegroundSegmenter& m_segmenter;
    int m_maxEntries;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    std::list<Entry> m_entries; // most recently used first
};
