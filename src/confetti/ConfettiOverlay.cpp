#include "confetti/ConfettiOverlay.h"

#include <QEvent>
#include <QPainter>

ConfettiOverlay::ConfettiOverlay(QWidget* anchor, QWidget* host, ConfettiCannon* cannon)
    : QWidget(host ? host : anchor->window())
    , m_anchor(anchor)
    , m_cannon(cannon)
    , m_followsWindow(!host)
{
    setObjectName(QStringLiteral("confettiOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    cannon->setParent(this);
    setGeometry(parentWidget()->rect());
    hide();
    parentWidget()->installEventFilter(this);
    anchor->installEventFilter(this);
    if (anchor->isVisible())
        cannon->markAppeared();
    connect(anchor, &QObject::destroyed, this, &QObject::deleteLater);
    connect(cannon, &ConfettiCannon::frameChanged, this, &ConfettiOverlay::refresh);
}

QPointF ConfettiOverlay::origin() const
{
    if (!m_anchor)
        return rect().center();
    return QPointF(m_anchor->mapTo(window(), QPoint(0, 0)) - mapTo(window(), QPoint(0, 0)))
        + QPointF(m_anchor->width() / 2.0, m_anchor->height() / 2.0);
}

void ConfettiOverlay::refresh()
{
    const bool active = !m_cannon->activeBursts().empty();
    if (active && !isVisible()) {
        setGeometry(parentWidget()->rect());
        raise();
        show();
    } else if (!active && isVisible()) {
        hide();
    }
    if (!active) {
        m_painted = {};
        return;
    }
    // Only where pieces were and are now: everything under the overlay repaints with it.
    const QRect now = m_cannon->bounds(origin()).toAlignedRect().adjusted(-2, -2, 2, 2);
    update(m_painted.united(now));
    m_painted = now;
}

bool ConfettiOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::ChildAdded && isVisible())
            raise();
    } else if (watched == m_anchor && event->type() == QEvent::Show) {
        // Made before the anchor had its final window (or moved since): follow it there.
        if (m_followsWindow && parentWidget() != m_anchor->window()) {
            parentWidget()->removeEventFilter(this);
            setParent(m_anchor->window());
            parentWidget()->installEventFilter(this);
            setGeometry(parentWidget()->rect());
            hide();
        }
        m_cannon->markAppeared();
    }
    return QWidget::eventFilter(watched, event);
}

void ConfettiOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    m_cannon->paint(p, origin());
}

ConfettiCannon* confettiCannon(QWidget* anchor, const QVariant& trigger, const ConfettiOptions& options, QWidget* host,
    ConfettiClock clock, ConfettiRandom random)
{
    auto* cannon = new ConfettiCannon(options, nullptr, std::move(clock), std::move(random));
    cannon->setInitialTrigger(trigger);
    new ConfettiOverlay(anchor, host, cannon);
    return cannon;
}
