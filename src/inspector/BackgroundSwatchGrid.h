#pragma once

#include "model/BackgroundPreset.h"
#include "platform/ColorScheme.h"

#include <QPixmap>
#include <QWidget>

class Inspector;

// Every canvas background as a captioned square swatch, four columns, in declaration order; the
// current one carries the accent ring. Cells are painted only when exposed, from pixmaps cached
// per preset, colour scheme and pixel size, drawn by the canvas's own background painter.
class BackgroundSwatchGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int columns = 4;
    static constexpr qreal spacing = 9;
    static constexpr qreal captionSpacing = 5;
    static constexpr qreal cornerRadius = 10;

    BackgroundSwatchGrid(Inspector& inspector, QWidget* parent = nullptr);

    int cellCount() const;
    // The whole cell (swatch and caption) of the preset at `index`, in widget coordinates.
    QRectF cellRect(int index) const;
    QRectF swatchRect(int index) const;
    // The cell under `pos`, or -1 (the gaps between cells belong to none).
    int cellAt(QPointF pos) const;

    // The swatch image of a preset: its background clipped to the rounded square, without ring.
    // Kept for the last size asked for only (all presets, both schemes).
    static QPixmap swatchPixmap(BackgroundPreset preset, ColorScheme scheme, int side, qreal devicePixelRatio);
    static void clearSwatchCache();
    static int swatchCacheCount();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    qreal columnWidth(qreal width) const;
    qreal captionHeight() const;
    qreal rowHeight(qreal width) const;

    Inspector& m_inspector;
    int m_pressed = -1;
};
