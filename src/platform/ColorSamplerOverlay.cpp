#include "platform/ColorSamplerOverlay.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

ColorSamplerOverlay::ColorSamplerOverlay(QScreen* screen, QImage grab)
    : QWidget(nullptr,
          Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint)
    , m_grab(std::move(grab))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(screen->geometry());
    if (!windowHandle())
        create();
    windowHandle()->setScreen(screen);
    m_pointer = mapFromGlobal(QCursor::pos(screen));
    m_pointerInside = rect().contains(m_pointer.toPoint());
}

QPoint ColorSamplerOverlay::pixelAt(QPointF localPos, QSize imageSize, QSizeF logicalSize)
{
    if (imageSize.isEmpty() || logicalSize.isEmpty())
        return {};
    const int x = int(std::floor(localPos.x() * imageSize.width() / logicalSize.width()));
    const int y = int(std::floor(localPos.y() * imageSize.height() / logicalSize.height()));
    return { std::clamp(x, 0, imageSize.width() - 1), std::clamp(y, 0, imageSize.height() - 1) };
}

QColor ColorSamplerOverlay::colorAt(QPointF localPos) const
{
    if (m_grab.isNull())
        return {};
    const QColor color = m_grab.pixelColor(pixelAt(localPos, m_grab.size(), size()));
    return QColor(color.red(), color.green(), color.blue());
}

QRectF ColorSamplerOverlay::loupeRect(QPointF at) const
{
    return { at.x() - kLoupeDiameter / 2, at.y() - kLoupeDiameter / 2, kLoupeDiameter, kLoupeDiameter };
}

void ColorSamplerOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(rect(), m_grab);
    if (!m_pointerInside || m_grab.isNull())
        return;

    // The cells around the pointer's pixel, enlarged without smoothing.
    const QPoint centre = pixelAt(m_pointer, m_grab.size(), size());
    const int half = kLoupeCells / 2;
    const QRectF loupe = loupeRect(m_pointer);
    const qreal cell = kLoupeDiameter / kLoupeCells;
    QPainterPath circle;
    circle.addEllipse(loupe);
    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    p.setClipPath(circle);
    p.fillRect(loupe, Qt::black);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(loupe, m_grab, QRectF(centre.x() - half, centre.y() - half, kLoupeCells, kLoupeCells));
    p.setPen(QPen(QColor(0, 0, 0, 40), 0));
    for (int i = 1; i < kLoupeCells; ++i) {
        p.drawLine(QPointF(loupe.left() + i * cell, loupe.top()), QPointF(loupe.left() + i * cell, loupe.bottom()));
        p.drawLine(QPointF(loupe.left(), loupe.top() + i * cell), QPointF(loupe.right(), loupe.top() + i * cell));
    }
    // Crosshair: the picked cell framed dark then light so it shows on any colour.
    const QRectF target(loupe.left() + half * cell, loupe.top() + half * cell, cell, cell);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    const QPointF mid = target.center();
    p.drawLine(QPointF(loupe.left(), mid.y()), QPointF(target.left(), mid.y()));
    p.drawLine(QPointF(target.right(), mid.y()), QPointF(loupe.right(), mid.y()));
    p.drawLine(QPointF(mid.x(), loupe.top()), QPointF(mid.x(), target.top()));
    p.drawLine(QPointF(mid.x(), target.bottom()), QPointF(mid.x(), loupe.bottom()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 200), 2.5));
    p.drawRect(target);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(target);
    p.restore();
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(loupe);
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.drawEllipse(loupe.adjusted(-1.5, -1.5, 1.5, 1.5));

    // The value under the crosshair, below the loupe.
    const QColor color = colorAt(m_pointer);
    const QString text = QStringLiteral("#%1").arg(color.rgb() & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
    QFont font = p.font();
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    p.setFont(font);
    const QRectF label(loupe.center().x() - 40, loupe.bottom() + 8, 80, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 170));
    p.drawRoundedRect(label, 6, 6);
    p.setPen(Qt::white);
    p.drawText(label, Qt::AlignCenter, text);
}

void ColorSamplerOverlay::mouseMoveEvent(QMouseEvent* event)
{
    const QRectF before = loupeRect(m_pointer).adjusted(-4, -4, 4, 40);
    m_pointer = event->position();
    m_pointerInside = true;
    update(before.toAlignedRect());
    update(loupeRect(m_pointer).adjusted(-4, -4, 4, 40).toAlignedRect());
}

void ColorSamplerOverlay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT picked(colorAt(event->position()));
    else
        Q_EMIT cancelled();
}

void ColorSamplerOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Q_EMIT cancelled();
}

void ColorSamplerOverlay::enterEvent(QEnterEvent* event)
{
    m_pointer = event->position();
    m_pointerInside = true;
    update();
}

void ColorSamplerOverlay::leaveEvent(QEvent*)
{
    m_pointerInside = false;
    update();
}
