#pragma once

#include "model/StyleOptions.h"
#include "render/ImageLru.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Blurred and pixellated copies of whole screenshots, made once per image, style and intensity
// percentage and shared by every bar and every later render of the same shot.
//
// Images are identified by QImage::cacheKey(), which no other image ever reuses, so a freed
// shot's copy can never be shown for a new one. The store is a small LRU bounded by count and
// bytes: dragging the intensity slider replaces entries instead of piling them up. Main thread
// only; calls from other threads compute without the store.
class CensorCache {
public:
    explicit CensorCache(int maxCount = 6, qint64 maxBytes = qint64(192) << 20);

    static CensorCache& shared();

    // The censored copy of the whole image, from the store or made now; none for block style or
    // when no copy can be made (the caller then draws solid bars).
    std::optional<QImage> censored(const QImage& image, RedactStyle style, double intensity);

    // Makes the censored copy of `image` on a worker and stores it once done, unless the store
    // was emptied meanwhile or `owner` is gone; a later render of the image then finds it. Used
    // while the main thread is busy elsewhere (a new shot being recognised).
    void prepare(const QImage& image, RedactStyle style, double intensity, QObject* owner);

    // Keeps a copy made elsewhere as the image's copy for that style and intensity.
    void store(const QImage& image, RedactStyle style, double intensity, const QImage& copy);

    // Makes the censored copy without the store: same pixel size, device pixel ratio 1.
    static std::optional<QImage> censoredImage(const QImage& image, RedactStyle style, double intensity);

    // "<image identity>-blur-60": the style word and the intensity percentage, truncated.
    static QString key(const QImage& image, RedactStyle style, double intensity);

    // Filter sizes in pixels for an image of `pixels`: the blur's Gaussian radius and the cell side.
    static double blurRadius(QSize pixels, double intensity);
    static double pixelCell(QSize pixels, double intensity);

    int count() const { return m_store.count(); }
    void clear()
    {
        m_store.clear();
        ++m_generation;
    }
    qint64 bytes() const { return m_store.bytes(); }

private:
    ImageLru<QString> m_store;
    // Counts the clears, so that a copy prepared before one is not stored after it.
    quint64 m_generation = 0;
};
