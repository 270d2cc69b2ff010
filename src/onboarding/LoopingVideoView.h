#pragma once

#include <QColor>
#include <QImage>
#include <QVideoFrame>
#include <QWidget>

#include <memory>

class QMediaPlayer;
class QVideoSink;

// Plays a short clip from the resources (":/video/<name>.mp4") muted and in an endless loop,
// filling the view with it (keeping its proportions, cropping what overflows) inside a rounded
// clip with a hairline border. Decoding runs inside the media backend; each frame is scaled to
// the view's pixels on a thread of the view's own (VideoFrameScaler), so the GUI thread only paints a ready
// picture. Playback runs only while the view is shown: hidden (its page left, its
// window closed or minimised) the player pauses and costs nothing. Without the file there is no
// player and the view shows only its empty frame; a clip that cannot be decoded leaves the same
// empty frame.
class LoopingVideoView : public QWidget {
    Q_OBJECT
public:
    explicit LoopingVideoView(const QString& resourceName, QWidget* parent = nullptr);
    ~LoopingVideoView() override;

    static QString resourcePath(const QString& resourceName);

    // None when the resource is missing.
    QMediaPlayer* player() const { return m_player; }
    // The picture shown now, scaled to the view's pixels; null before the first frame.
    QImage currentImage() const { return m_image; }
    // The decoded frame that picture was made from.
    QVideoFrame currentFrame() const;
    int framesReceived() const { return m_framesReceived; }

    void setCornerRadius(qreal radius);
    // The hairline border inside the clip, one colour per colour scheme.
    void setBorder(const QColor& light, const QColor& dark, qreal width);

    // The part of a frame of `frameSize` that fills `target` without distortion: the frame
    // cropped evenly on the overflowing axis.
    static QRectF aspectFillSource(QSizeF frameSize, QSizeF target);

    struct Shared;
    // Takes the picture the scaling thread made (GUI thread).
    void takeFrame();

Q_SIGNALS:
    void frameReceived();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateTarget(bool shown);

    QObject* m_coordinator = nullptr;
    QMediaPlayer* m_player = nullptr;
    QVideoSink* m_sink = nullptr;
    std::shared_ptr<Shared> m_shared;
    QImage m_image;
    int m_framesReceived = 0;
    qreal m_cornerRadius = 0;
    QColor m_borderLight;
    QColor m_borderDark;
    qreal m_borderWidth = 0;
};
