#include "notch/NotchShareCircle.h"

#include "core/Log.h"
#include "ui/NotchShape.h"
#include "ui/PressableButtonStyle.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {
constexpr qreal kLogoInset = 7;
}

NotchShareCircle::NotchShareCircle(SocialPlatform platform, qreal diameter, QWidget* parent)
    : QAbstractButton(parent)
    , m_platform(platform)
    , m_diameter(diameter)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QCoreApplication::translate("NotchPanelView", "Copy & open %1 to paste").arg(title(platform)));
    setFixedSize(sizeHint());
    PressableButtonStyle::apply(this);
}

QSize NotchShareCircle::sizeHint() const
{
    const int side = int(std::ceil(m_diameter)) + 2 * kShadowMargin;
    return { side, side };
}

QRectF NotchShareCircle::circleRect() const
{
    return QRectF(kShadowMargin, kShadowMargin, m_diameter, m_diameter);
}

QImage NotchShareCircle::platformLogo(SocialPlatform platform, int side)
{
    static QHash<QPair<int, int>, QImage> cache;
    const QPair<int, int> key(int(platform), side);
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return *found;

    QImage mark;
    QSvgRenderer svg(QStringLiteral(":/logos/%1.svg").arg(logoName(platform)));
    if (!svg.isValid() || side <= 0) {
        logLine(QStringLiteral("share logo %1 cannot be read").arg(logoName(platform)));
    } else {
        // Draw the asset fitted into the square, then turn its luminance into white's opacity:
        // light parts of the mark show, dark ground lets the circle through.
        QImage asset(side, side, QImage::Format_ARGB32_Premultiplied);
        asset.fill(Qt::black);
        QPainter p(&asset);
        p.setRenderHint(QPainter::Antialiasing);
        QSizeF size = svg.defaultSize();
        size.scale(side, side, Qt::KeepAspectRatio);
        svg.render(&p, QRectF((side - size.width()) / 2, (side - size.height()) / 2, size.width(), size.height()));
        p.end();
        mark = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < side; ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(asset.constScanLine(y));
            QRgb* out = reinterpret_cast<QRgb*>(mark.scanLine(y));
            for (int x = 0; x < side; ++x) {
                const int luminance = qRound(0.2126 * qRed(in[x]) + 0.7152 * qGreen(in[x]) + 0.0722 * qBlue(in[x]));
                out[x] = qRgba(luminance, luminance, luminance, luminance); // premultiplied white
            }
        }
    }
    cache.insert(key, mark);
    return mark;
}

void NotchShareCircle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF circle = circleRect();
    QPainterPath shape;
    shape.addEllipse(circle);
    paintShadow(p, shape, Theme::rgb(0, 0, 0, 0.3), 3, QPointF(0, 1));
    p.fillPath(shape, notchCardShade());

    const QRectF logoRect = circle.adjusted(kLogoInset, kLogoInset, -kLogoInset, -kLogoInset);
    const qreal dpr = devicePixelRatioF();
    QImage logo = platformLogo(m_platform, int(std::lround(logoRect.width() * dpr)));
    if (!logo.isNull()) {
        logo.setDevicePixelRatio(dpr);
        p.drawImage(logoRect.topLeft(), logo);
    }
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.12), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle.adjusted(0.25, 0.25, -0.25, -0.25));
}
