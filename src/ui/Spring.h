#pragma once

#include <QVariantAnimation>

// A damped spring described the way the design names its springs: `response` is the period of
// the undamped oscillation in seconds, `dampingFraction` the damping ratio (1 is critical, less
// overshoots). Progress runs from 0 towards 1 with unit mass.
struct Spring {
    double response = 0.55;
    double dampingFraction = 0.825;

    // Progress at time t (seconds) when starting at 0 with `initialVelocity` (progress/second).
    double value(double t, double initialVelocity = 0.0) const;
    // Rate of change of `value` at time t.
    double velocity(double t, double initialVelocity = 0.0) const;
    // Time after which the motion stays within `tolerance` of 1 (capped at 10 s).
    double settlingDuration(double initialVelocity = 0.0, double tolerance = 1e-3) const;

    bool operator==(const Spring&) const = default;
};

// A QVariantAnimation whose progress follows a Spring. It runs for the spring's settling time
// and ends exactly on the end value. `retarget` starts from wherever the animation is now,
// keeping its velocity, so interrupted motion stays smooth (numeric values only).
class SpringAnimation : public QVariantAnimation {
    Q_OBJECT
public:
    explicit SpringAnimation(Spring spring, QObject* parent = nullptr);

    Spring spring() const { return m_spring; }
    void setSpring(Spring spring);

    // Animates from the current value (or `endValue` if none yet) to `target`.
    void retarget(double target);
    // Current rate of change in value units per second (numeric values only).
    double currentVelocity() const;

protected:
    QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;

private:
    void prepare(double initialVelocity);

    Spring m_spring;
    double m_initialVelocity = 0.0;
    double m_durationSeconds = 0.0;
};
