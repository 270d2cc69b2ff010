#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

class QScreen;

// One screen frozen as it was when sampling began, covering that screen: a magnifier with a
// crosshair follows the pointer; a left click picks the pixel under it, Esc or a right click
// cancels.
class ColorSamplerOverlay final : public QWidget {
    Q_OBJECT
public:
    // `grab` is the screen in device pixels.
    ColorSamplerOverlay(QScreen* screen, QImage grab);

    // The grab's pixel under a point of the overlay (logical, relative to its top left), clamped
    // to the image; the scale is the image's size over the overlay's, so each screen maps its own
    // grab whatever its position in the virtual desktop and its pixel ratio.
    static QPoint pixelAt(QPointF localPos, QSize imageSize, QSizeF logicalSize);

    QColor colorAt(QPointF localPos) const;

    static constexpr int kLoupeCells = 13; // odd: one pixel in the middle
    static constexpr qreal kLoupeDiameter = 130;

Q_SIGNALS:
    void picked(const QColor& color);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRectF loupeRect(QPointF at) const;

    QImage m_grab;
    QPointF m_pointer;
    bool m_pointerInside = false;
};
