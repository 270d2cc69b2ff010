#include "onboarding/LoopingVideoView.h"

#include "platform/Log.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QFile>
#include <QMediaPlayer>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QVideoSink>

LoopingVideoView::LoopingVideoView(const QString& resourceName, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("loopingVideo"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
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
    connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        if (!frame.isValid())
            return;
        m_frame = frame;
        m_imageStale = true;
        ++m_framesReceived;
        update();
        Q_EMIT frameReceived();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [resourceName](QMediaPlayer::Error, const QString& message) {
        logLine(QStringLiteral("the clip %1 cannot be played: %2").arg(resourceName, message));
    });
    // The backend opens and decodes the file on its own threads; these calls return at once.
    m_player->setSource(QUrl(QStringLiteral("qrc") + path));
    m_player->play();
}

LoopingVideoView::~LoopingVideoView()
{
    if (!m_coordinator)
        return;
    // Tearing a playing pipeline down at once blocks the GUI thread for a third of a second (the
    // backend's decoder waits on the GUI thread to take its last frame). Paused, it lets go
    // within a few event-loop turns; the holder goes shortly after.
    m_sink->disconnect(this);
    m_player->disconnect(this);
    m_player->pause();
    QObject* coordinator = m_coordinator;
    QTimer::singleShot(150, coordinator, &QObject::deleteLater);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, coordinator, [coordinator] { delete coordinator; });
}

QString LoopingVideoView::resourcePath(const QString& resourceName)
{
    return QStringLiteral(":/video/%1.mp4").arg(resourceName);
}

QImage LoopingVideoView::currentImage() const
{
    if (m_imageStale) {
        m_image = m_frame.toImage();
        m_imageStale = false;
    }
    return m_image;
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
    if (frameSize.isEmpty() || target.isEmpty())
        return {};
    const qreal scale = std::max(target.width() / frameSize.width(), target.height() / frameSize.height());
    const QSizeF shown(target.width() / scale, target.height() / scale);
    return QRectF(QPointF((frameSize.width() - shown.width()) / 2, (frameSize.height() - shown.height()) / 2), shown);
}

void LoopingVideoView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    const QPainterPath clip = continuousRoundedRect(bounds, m_cornerRadius);
    const QImage image = currentImage();
    if (!image.isNull()) {
        p.save();
        p.setClipPath(clip);
        p.drawImage(bounds, image, aspectFillSource(image.size(), bounds.size()));
        p.restore();
    }
    if (m_borderWidth > 0) {
        const qreal inset = m_borderWidth / 2;
        p.setPen(QPen(Theme::colorScheme(this) == ColorScheme::dark ? m_borderDark : m_borderLight, m_borderWidth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), m_cornerRadius - inset));
    }
}
