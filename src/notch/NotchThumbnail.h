#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QSizeF>
#include <QVariantAnimation>
#include <QWidget>

class NotchController;

// The card's image area: the shown image filling a dark backing (cropped rather than
// letterboxed) in a rounded frame. Switching between the raw and the styled image cross-fades;
// a restyle swaps the image at once. Dragging it drags the shown image's PNG file.
class NotchThumbnail final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kHeight = 108;
    static constexpr qreal kPadding = 2;
    static constexpr int kCrossFadeMs = 220;

    explicit NotchThumbnail(NotchController* controller, QWidget* parent = nullptr);

    // Size of the image area for an image of this size (in points).
    static QSizeF thumbnailSize(const QSizeF& imageSize);
    // The area's size for the controller's thumbnail, with the padding around it.
    QSize sizeHint() const override;

Q_SIGNALS:
    void sizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void startDrag();

    QPointer<NotchController> m_controller;
    QImage m_image;
    QImage m_fadingFrom;
    QVariantAnimation m_crossFade;
    QPoint m_pressPos;
    bool m_pressed = false;
};
