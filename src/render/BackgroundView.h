#pragma once

#include "model/BackgroundPreset.h"
#include "platform/ColorScheme.h"
#include "render/ImageLru.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>

// Fills `rect` with the preset: the checkerboard for `none`, a linear gradient for noir and snow,
// the preset's mesh otherwise. The one painter of backgrounds: canvas, renders and every swatch.
// Gradients are rendered at the exact device pixel size and cached, so a repaint is a blit.
void paintBackground(QPainter& painter, const QRectF& rect, BackgroundPreset preset, ColorScheme scheme);

// The opaque gradient image of a preset at a pixel size, without the cache; null for `none`
// (which has no fixed image) or a size that cannot be allocated. Thread-safe.
QImage renderBackgroundImage(BackgroundPreset preset, QSize pixelSize);

// Rendered gradients by preset and pixel size, bounded by count and bytes. The colour scheme is
// not part of the key: only the checkerboard depends on it, and that is drawn directly. Used
// from other threads it renders without touching the store. The byte budget holds an export-size
// background and the editor's current zoom; sizes of zoom levels left behind go first.
class BackgroundImageCache {
public:
    BackgroundImageCache(int maxCount = 160, qint64 maxBytes = qint64(64) << 20);

    static BackgroundImageCache& shared();

    // The cached image, rendering it on a miss; null as renderBackgroundImage says.
    QImage image(BackgroundPreset preset, QSize pixelSize);

    int count() const { return m_images.count(); }
    qint64 bytes() const { return m_images.bytes(); }
    void clear() { m_images.clear(); }

private:
    struct Key {
        BackgroundPreset preset;
        QSize size;
        bool operator==(const Key& other) const = default;
    };
    ImageLru<Key> m_images;
};
