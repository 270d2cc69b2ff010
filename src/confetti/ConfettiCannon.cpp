#include "confetti/ConfettiCannon.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

ConfettiClock defaultConfettiClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return double(timer->nsecsElapsed()) / 1e9; };
}

ConfettiCannon::ConfettiCannon(
    const ConfettiOptions& options, QObject* parent, ConfettiClock clock, ConfettiRandom random)
    : QObject(parent)
    , m_config(std::make_shared<const ConfettiConfig>(options))
    , m_clock(std::move(clock))
    , m_random(std::move(random))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ConfettiCannon::advance);
}

void ConfettiCannon::markAppeared() { m_appeared = true; }

void ConfettiCannon::setTrigger(const QVariant& value)
{
    if (value == m_trigger)
        return;
    m_trigger = value;
    fire();
}

void ConfettiCannon::fire()
{
    if (!m_appeared)
        return;
    const double now = m_clock();
    for (int i = 0; i < m_config->repetitions; ++i)
        m_pending.push_back(now + m_config->repetitionInterval * i);
    // Bursts due now start at once rather than a frame later.
    advance();
}

void ConfettiCannon::advance()
{
    const double now = m_clock();
    bool changed = !m_bursts.empty();
    while (!m_pending.empty() && m_pending.front() <= now) {
        m_bursts.emplace_back(m_config, m_pending.front(), m_random);
        m_pending.pop_front();
        ++m_firedCount;
        changed = true;
    }
    // Every burst lasts equally long, so the oldest always finishes first.
    while (!m_bursts.empty() && m_bursts.front().endTime() <= now) {
        m_bursts.pop_front();
        ++m_finishedCount;
    }
    scheduleTimer();
    if (changed)
        Q_EMIT frameChanged();
}

void ConfettiCannon::scheduleTimer()
{
    if (!m_bursts.empty()) {
        m_timer.start(16);
    } else if (!m_pending.empty()) {
        const double wait = std::max(0.0, m_pending.front() - m_clock());
        m_timer.start(int(std::ceil(wait * 1000)));
    } else {
        m_timer.stop();
    }
}

QRectF ConfettiCannon::bounds(QPointF origin) const
{
    const double now = m_clock();
    QRectF area;
    for (const ConfettiBurst& burst : m_bursts)
        area |= burst.bounds(origin, now);
    return area;
}

void ConfettiCannon::paint(QPainter& painter, QPointF origin) const
{
    const double now = m_clock();
    for (const ConfettiBurst& burst : m_bursts)
        burst.paint(painter, origin, now);
}
