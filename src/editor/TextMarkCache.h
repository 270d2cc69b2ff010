#pragma once

#include "model/Annotation.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QUuid>

class QPainter;

// The editing layer draws every text annotation on each repaint, and a text's outline and soft
// shadow are far dearer than copying them: each text is kept as a small image at the device's
// resolution until it changes, so dragging something else repaints texts as copies.
class TextMarkCache {
public:
    // Draws the texts in list order over a canvas of `canvasSize` points, as paintAnnotations
    // would; forgets texts no longer listed.
    void paint(QPainter& painter, QSizeF canvasSize, const QList<Annotation>& texts);
    int size() const { return int(m_entries.size()); }
    // Where the text (with its shadow) is drawn, in canvas points; remembered until it changes.
    QRectF bounds(const Annotation& text, QSizeF canvasSize);

private:
    struct Entry {
        Annotation annotation;
        QSizeF canvasSize;
        qreal scale = 0;
        QImage image;
        QPointF origin;
    };
    Entry render(const Annotation& text, QSizeF canvasSize, qreal scale) const;
    static bool sameLook(const Annotation& a, const Annotation& b);

    struct Bounds {
        Annotation annotation;
        QSizeF canvasSize;
        QRectF rect;
    };

    QHash<QUuid, Entry> m_entries;
    QHash<QUuid, Bounds> m_bounds;
};
