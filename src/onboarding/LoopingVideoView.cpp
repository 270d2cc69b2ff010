#include "onboarding/LoopingVideoView.h"

#include "core/Log.h"
#include "onboarding/VideoFrameScaler.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QFile>
#include <QMediaPlayer>
#include <QMutex>
#include <QWaitCondition>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QVideoSink>

#include <thread>

// What the GUI thread and the scaling thread share. `view` is cleared under the lock before the
// view goes, so nothing is ever posted to a view being destroyed. The thread starts with the first
// frame and ends when the last owner (the view or the player's holder) lets go.
struct LoopingVideoView::Shared {
    QMutex mutex;
    QWaitCondition wake;
    bool stop = false;
    std::thread worker;
    LoopingVideoView* view = nullptr;
    QSize target; // the view's size in device pixels; empty while hidden
    QVideoFrame pending; // the newest frame not yet scaled
    QImage image; // the latest picture, not yet taken by the view
    QImage spare; // the picture the view showed before, to be written over
    QVideoFrame frame; // the frame it was made from
    bool posted = false;

    ~Shared()
    {
        {
            QMutexLocker lock(&mutex);
            stop = true;
        }
        wake.wakeAll();
        if (worker.joinable())
            worker.join();
    }

    // Called with the lock held.
    void offer(const QVideoFrame& next)
    {
        pending = next;
        if (!worker.joinable())
            worker = std::thread([this] { run(); });
        wake.wakeOne();
    }

    // Scales the newest frame, one at a time: a slow machine skips frames, never queues them.
    void run()
    {
        QMutexLocker lock(&mutex);
        while (!stop) {
            if (!pending.isValid() || target.isEmpty()) {
                pending = QVideoFrame();
                wake.wait(&mutex);
                continue;
            }
            const QVideoFrame next = std::exchange(pending, QVideoFrame());
            const QSize size = target;
            lock.unlock();
            QImage scaled = VideoFrameScaler::scaled(next, size, std::exchange(spare, QImage()));
            lock.relock();
            if (scaled.isNull())
                continue;
            image = std::move(scaled);
            frame = next;
            if (view && !posted) {
                posted = true;
                QMetaObject::invokeMethod(view, &LoopingVideoView::takeFrame, Qt::QueuedConnection);
            }
        }
    }
};

LoopingVideoView::LoopingVideoView(const QString& resourceName, QWidget* parent)
    : QWidget(parent)
    , m_shared(std::make_shared<Shared>())
{
    setObjectName(QStringLiteral("loopingVideo"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_shared->view = this;
    const QString path = resourcePath(resourceName);
    if (!QFile::exists(path))
        return;
    // Player and sink live in a holder of their own, so they can outlive the view by a moment.
    m_coordinator = new QObject;
    m_sink = new QVideoSink(m_coordinator);
    m_player = new QMediaPlayer(m_coordinator);
    // No audio output is attached: the clip plays muted.
    m_player->setVideoSink(m_sink);
    m_player->setLoops(QMediaPlayer::Infinite);
    // The backend hands frames over on the GUI thread; the scaling thread makes the picture.
    connect(m_sink, &QVideoSink::videoFrameChanged, m_sink, [shared = m_shared](const QVideoFrame& frame) {
        QMutexLocker lock(&shared->mutex);
        if (frame.isValid() && !shared->target.isEmpty())
            shared->offer(frame);
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [resourceName](QMediaPlayer::Error, const QString& message) {
        logLine(QStringLiteral("the clip %1 cannot be played: %2").arg(resourceName, message));
    });
    // The backend opens the file on its own threads; playing starts once the view is shown.
    m_player->setSource(QUrl(QStringLiteral("qrc") + path));
}

LoopingVideoView::~LoopingVideoView()
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->view = nullptr;
        m_shared->target = QSize();
        m_shared->pending = QVideoFrame();
    }
    if (!m_coordinator)
        return;
    // Tearing a playing pipeline down at once blocks the GUI thread for a third of a second (the
    // backend's decoder waits on the GUI thread to take its last frame). Paused, it lets go
    // within a few event-loop turns; the holder goes shortly after.
    m_player->disconnect(this);
    m_player->pause();
    QObject* coordinator = m_coordinator;
    QMediaPlayer* player = m_player;
    // The GStreamer player must be stopped before it goes: destroyed with its pipeline merely
    // paused, the pipeline's pads are removed while the player is half destroyed, and it crashes.
    // Stopping a paused pipeline takes no time, but one still opening the clip blocks for a second:
    // such a player is stopped once it has opened it (or given up), a few seconds at most.
    const auto release = [player] {
        player->stop();
        player->setSource(QUrl());
    };
    const auto releaseWhenOpened = [coordinator, player, release] {
        if (player->mediaStatus() != QMediaPlayer::LoadingMedia) {
            release();
            coordinator->deleteLater();
            return;
        }
        QObject::connect(player, &QMediaPlayer::mediaStatusChanged, coordinator, [coordinator, release](QMediaPlayer::MediaStatus status) {
            if (status == QMediaPlayer::LoadingMedia)
                return;
            release();
            coordinator->deleteLater();
        });
        QTimer::singleShot(3000, coordinator, [coordinator, release] {
            release();
            coordinator->deleteLater();
        });
    };
    QTimer::singleShot(150, coordinator, releaseWhenOpened);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, coordinator, [coordinator, release] {
        release();
        delete coordinator;
    });
}

QString LoopingVideoView::resourcePath(const QString& resourceName)
{
    return QStringLiteral(":/video/%1.mp4").arg(resourceName);
}

QVideoFrame LoopingVideoView::currentFrame() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->frame;
}

void LoopingVideoView::takeFrame()
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->posted = false;
        if (m_shared->image.isNull())
            return;
        m_shared->spare = std::exchange(m_image, std::exchange(m_shared->image, QImage()));
    }
    m_image.setDevicePixelRatio(devicePixelRatioF());
    ++m_framesReceived;
    update();
    Q_EMIT frameReceived();
}

void LoopingVideoView::updateTarget(bool shown)
{
    const QSize target = shown ? (QSizeF(size()) * devicePixelRatioF()).toSize() : QSize();
    QMutexLocker lock(&m_shared->mutex);
    m_shared->target = target;
    if (target.isEmpty())
        m_shared->pending = QVideoFrame();
}

void LoopingVideoView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateTarget(true);
    if (m_player)
        m_player->play();
}

void LoopingVideoView::hideEvent(QHideEvent* event)
{
    // Nobody sees it: no decoding, no scaling.
    if (m_player)
        m_player->pause();
    updateTarget(false);
    QWidget::hideEvent(event);
}

void LoopingVideoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateTarget(isVisible());
}

void LoopingVideoView::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

void LoopingVideoView::setBorder(const QColor& light, const QColor& dark, qreal width)
{
    m_borderLight = light;
    m_borderDark = dark;
    m_borderWidth = width;
    update();
}

QRectF LoopingVideoView::aspectFillSource(QSizeF frameSize, QSizeF target)
{
    return VideoFrameScaler::aspectFillSource(frameSize, target);
}

void LoopingVideoView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const QPainterPath clip = continuousRoundedRect(bounds, m_cornerRadius);
    if (!m_image.isNull()) {
        p.save();
        p.setClipPath(clip);
        // Already the view's pixels; after a resize, until the next frame, stretched.
        p.drawImage(bounds, m_image);
        p.restore();
    }
    if (m_borderWidth > 0) {
        const qreal inset = m_borderWidth / 2;
        p.setPen(QPen(Theme::colorScheme(this) == ColorScheme::dark ? m_borderDark : m_borderLight, m_borderWidth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), m_cornerRadius - inset));
    }
}
