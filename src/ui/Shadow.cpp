#include "ui/Shadow.h"

#include <QCache>
#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// One horizontal box-blur pass over an 8-bit alpha image, radius r, into `out` (transposed, so two
// calls blur both directions).
void boxBlurTransposed(const QImage& in, QImage& out, int r)
{
    const int w = in.width(), h = in.height();
    out = QImage(h, w, QImage::Format_Alpha8);
    const int window = 2 * r + 1;
    std::vector<int> line(size_t(w) + 2 * size_t(r));
    for (int y = 0; y < h; ++y) {
        const uchar* src = in.constScanLine(y);
        for (int x = 0; x < w + 2 * r; ++x) {
            const int sx = x - r;
            line[size_t(x)] = sx >= 0 && sx < w ? src[sx] : 0;
        }
        int sum = 0;
        for (int i = 0; i < window; ++i)
            sum += line[size_t(i)];
        for (int x = 0; x < w; ++x) {
            out.scanLine(x)[y] = uchar((sum + window / 2) / window);
            if (x + 1 < w)
                sum += line[size_t(x + window)] - line[size_t(x)];
        }
    }
}

void gaussianApprox(QImage& alpha, qreal sigma)
{
    if (sigma <= 0.2)
        return;
    // Three box passes per direction approximate a Gaussian of this sigma.
    const int r = std::max(1, int(std::lround((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0)));
    QImage tmp;
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurTransposed(alpha, tmp, r);
        boxBlurTransposed(tmp, alpha, r);
    }
}

struct Key {
    QByteArray shape;
    qint64 radius;
    qint64 scale;
    QRgb color;
    bool operator==(const Key&) const = default;
};
size_t qHash(const Key& key, size_t seed = 0)
{
    return qHashMulti(seed, key.shape, key.radius, key.scale, key.color);
}

QByteArray shapeKey(const QPainterPath& shape)
{
    QByteArray key;
    key.reserve(shape.elementCount() * 12);
    for (int i = 0; i < shape.elementCount(); ++i) {
        const QPainterPath::Element e = shape.elementAt(i);
        const qint32 v[3] = { qint32(e.type), qint32(std::lround(e.x * 64)), qint32(std::lround(e.y * 64)) };
        key.append(reinterpret_cast<const char*>(v), sizeof v);
    }
    return key;
}

QImage renderShadow(const QPainterPath& local, QSizeF size, qreal scale, qreal radius, const QColor& color)
{
    // A wide blur loses nothing when computed on a reduced copy: keep at least 3 pixels of sigma
    // and let the upscaling interpolate the rest.
    const qreal sigma = radius / 2.0 * scale;
    const int reduce = sigma >= 6.0 ? int(sigma / 3.0) : 1;
    const qreal s = scale / reduce;
    QImage mask(std::max(1, int(std::ceil(size.width() * s))), std::max(1, int(std::ceil(size.height() * s))),
        QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        p.fillPath(local, Qt::black);
    }
    gaussianApprox(mask, sigma / reduce);
    QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.fill(color);
    {
        QPainter t(&tinted);
        t.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        t.drawImage(0, 0, mask);
    }
    if (reduce > 1) {
        // Back to full resolution once, so every later paint is a plain copy.
        tinted = tinted.scaled(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)),
            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    tinted.setDevicePixelRatio(scale);
    return tinted;
}
}

qreal shadowReach(qreal radius, QPointF offset)
{
    return std::ceil(radius * 1.5 + std::max(std::abs(offset.x()), std::abs(offset.y())));
}

void paintShadow(QPainter& painter, const QPainterPath& shape, const QColor& color, qreal radius, QPointF offset)
{
    if (shape.isEmpty() || color.alpha() == 0)
        return;
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF bounds = shape.boundingRect();
    const qreal margin = std::ceil(radius * 1.5) + 1.0;
    const QPointF origin = bounds.topLeft() - QPointF(margin, margin);
    // The image depends on the shape's form, not where it sits.
    const QPainterPath local = shape.translated(-origin);
    const QSizeF size = bounds.size() + QSizeF(2 * margin, 2 * margin);

    // Views paint on the main thread only, so the cache needs no lock.
    static QCache<Key, QImage> cache(32 * 1024 * 1024);
    const Key key { shapeKey(local), qint64(std::lround(radius * 64)), qint64(std::lround(scale * 64)), color.rgba() };
    if (const QImage* cached = cache.object(key)) {
        painter.drawImage(origin + offset, *cached);
        return;
    }
    const QImage image = renderShadow(local, size, scale, radius, color);
    painter.drawImage(origin + offset, image);
    cache.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes()));
}
