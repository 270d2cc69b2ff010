#pragma once

#include "confetti/ConfettiBurst.h"

#include <QObject>
#include <QTimer>
#include <QVariant>

#include <deque>
#include <memory>

// Seconds on a steady clock; tests drive their own.
using ConfettiClock = std::function<double()>;
ConfettiClock defaultConfettiClock();

// Fires bursts of confetti whenever its trigger value changes. Each change schedules
// `repetitions` bursts, `repetitionInterval` seconds apart; a burst stays until its time is over,
// and bursts leave in the order they were fired. Changes before the cannon has appeared on
// screen are lost, as is the trigger's first value. While a burst is on screen one 60 Hz timer
// advances the clock and asks for repaints; otherwise no timer runs except one that waits for the
// next scheduled burst. Main thread only.
class ConfettiCannon : public QObject {
    Q_OBJECT
public:
    explicit ConfettiCannon(const ConfettiOptions& options, QObject* parent = nullptr,
        ConfettiClock clock = defaultConfettiClock(), ConfettiRandom random = defaultConfettiRandom());

    const ConfettiConfig& config() const { return *m_config; }

    // The view has appeared: from now on trigger changes fire.
    void markAppeared();
    bool hasAppeared() const { return m_appeared; }

    // The bound trigger value; a different value fires. The value the cannon is made with (see
    // `setInitialTrigger`) fires nothing.
    QVariant trigger() const { return m_trigger; }
    void setTrigger(const QVariant& value);
    void setInitialTrigger(const QVariant& value) { m_trigger = value; }

    // Schedules one trigger change's bursts (nothing before the cannon has appeared).
    void fire();

    // Brings the bursts up to the clock: scheduled bursts start, finished ones leave.
    void advance();

    // Bursts started so far, and how many of them (counted from the first) have finished.
    int firedCount() const { return m_firedCount; }
    int finishedCount() const { return m_finishedCount; }
    const std::deque<ConfettiBurst>& activeBursts() const { return m_bursts; }
    int pendingCount() const { return int(m_pending.size()); }
    bool isAnimating() const { return m_timer.isActive(); }
    double now() const { return m_clock(); }

    // Paints the active bursts centred on `origin` at the clock's time.
    void paint(QPainter& painter, QPointF origin) const;
    // The area the active bursts cover now.
    QRectF bounds(QPointF origin) const;

Q_SIGNALS:
    // The bursts moved or their set changed: repaint.
    void frameChanged();

private:
    void scheduleTimer();

    std::shared_ptr<const ConfettiConfig> m_config;
    ConfettiClock m_clock;
    ConfettiRandom m_random;
    QVariant m_trigger;
    bool m_appeared = false;
    std::deque<double> m_pending; // start times, in order
    std::deque<ConfettiBurst> m_bursts;
    int m_firedCount = 0;
    int m_finishedCount = 0;
    QTimer m_timer;
};
