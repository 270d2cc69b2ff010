#include "render/CensorCache.h"

#include "core/Async.h"
#include "render/ImageFilters.h"

#include <algorithm>
#include <cmath>

namespace {
// Intensity is a slider fraction; anything else (a hand-edited preset) is brought into range so
// the filter sizes and the key's percentage stay sane.
double saneIntensity(double intensity)
{
    return std::isfinite(intensity) ? std::clamp(intensity, 0.0, 1.0) : 0.0;
}

double longSide(QSize pixels)
{
    return double(std::max(pixels.width(), pixels.height()));
}
}

CensorCache::CensorCache(int maxCount, qint64 maxBytes)
    : m_store(maxCount, maxBytes)
{
}

CensorCache& CensorCache::shared()
{
    static CensorCache cache;
    return cache;
}

double CensorCache::blurRadius(QSize pixels, double intensity)
{
    return std::max((saneIntensity(intensity) * 0.03 + 0.006) * longSide(pixels), 4.0);
}

double CensorCache::pixelCell(QSize pixels, double intensity)
{
    return std::max((saneIntensity(intensity) * 0.05 + 0.012) * longSide(pixels), 6.0);
}

QString CensorCache::key(const QImage& image, RedactStyle style, double intensity)
{
    const int percent = static_cast<int>(saneIntensity(intensity) * 100.0); // truncates toward zero
    return QStringLiteral("%1-%2-%3")
        .arg(image.cacheKey())
        .arg(style == RedactStyle::pixelate ? QStringLiteral("pixelate") : QStringLiteral("blur"))
        .arg(percent);
}

std::optional<QImage> CensorCache::censoredImage(const QImage& image, RedactStyle style, double intensity)
{
    if (image.isNull() || style == RedactStyle::block)
        return std::nullopt;
    const QSize pixels = image.size();
    QImage out = style == RedactStyle::blur
        ? blurImage(image, blurRadius(pixels, intensity))
        : pixellateImage(image, pixelCell(pixels, intensity), QPointF(pixels.width() / 2.0, pixels.height() / 2.0));
    if (out.isNull())
        return std::nullopt;
    out.setDevicePixelRatio(1.0);
    return out;
}

std::optional<QImage> CensorCache::censored(const QImage& image, RedactStyle style, double intensity)
{
    if (style == RedactStyle::block || image.isNull())
        return std::nullopt;
    QImage copy = m_store.obtain(key(image, style, intensity), [&] { return censoredImage(image, style, intensity).value_or(QImage()); });
    if (copy.isNull())
        return std::nullopt;
    return copy;
}

void CensorCache::store(const QImage& image, RedactStyle style, double intensity, const QImage& copy)
{
    if (style != RedactStyle::block && !image.isNull() && !copy.isNull())
        m_store.insert(key(image, style, intensity), copy);
}

void CensorCache::prepare(const QImage& image, RedactStyle style, double intensity, QObject* owner)
{
    if (style == RedactStyle::block || image.isNull())
        return;
    QString name = key(image, style, intensity);
    if (m_store.find(name))
        return;
    runInBackground(
        QThreadPool::globalInstance(), owner,
        [image, style, intensity] { return censoredImage(image, style, intensity).value_or(QImage()); },
        [this, name = std::move(name), generation = m_generation](QImage made) {
            if (!made.isNull() && generation == m_generation && !m_store.find(name))
                m_store.insert(name, made);
        });
}
