#include "ui/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kMaxSeconds = 10.0;

struct Motion {
    double x; // displacement from the target (progress - 1)
    double v;
};

Motion solve(const Spring& spring, double t, double v0)
{
    const double response = std::max(spring.response, 1e-4);
    const double zeta = std::max(spring.dampingFraction, 0.0);
    const double w0 = 2.0 * std::numbers::pi / response;
    const double a = -1.0; // starts one unit short of the target
    if (std::abs(zeta - 1.0) < 1e-6) {
        const double b = v0 + w0 * a;
        const double e = std::exp(-w0 * t);
        return { e * (a + b * t), e * (b - w0 * (a + b * t)) };
    }
    if (zeta < 1.0) {
        const double wd = w0 * std::sqrt(1.0 - zeta * zeta);
        const double b = (v0 + zeta * w0 * a) / wd;
        const double e = std::exp(-zeta * w0 * t);
        const double c = std::cos(wd * t), s = std::sin(wd * t);
        return { e * (a * c + b * s), e * ((wd * b - zeta * w0 * a) * c - (wd * a + zeta * w0 * b) * s) };
    }
    const double root = std::sqrt(zeta * zeta - 1.0);
    const double r1 = -w0 * (zeta - root), r2 = -w0 * (zeta + root);
    const double c2 = (v0 - r1 * a) / (r2 - r1);
    const double c1 = a - c2;
    const double e1 = std::exp(r1 * t), e2 = std::exp(r2 * t);
    return { c1 * e1 + c2 * e2, c1 * r1 * e1 + c2 * r2 * e2 };
}
}

double Spring::value(double t, double initialVelocity) const
{
    return 1.0 + solve(*this, std::max(t, 0.0), initialVelocity).x;
}

double Spring::velocity(double t, double initialVelocity) const
{
    return solve(*this, std::max(t, 0.0), initialVelocity).v;
}

double Spring::settlingDuration(double initialVelocity, double tolerance) const
{
    // Scan forward and keep the last moment the motion was still noticeable; the analytic
    // envelope alone would miss where an overdamped spring with a push crosses the target.
    const double w0 = 2.0 * std::numbers::pi / std::max(response, 1e-4);
    const double dt = 1.0 / 240.0;
    double last = 0.0;
    for (double t = 0.0; t <= kMaxSeconds; t += dt) {
        const Motion m = solve(*this, t, initialVelocity);
        if (std::abs(m.x) > tolerance || std::abs(m.v) / w0 > tolerance)
            last = t + dt;
    }
    return std::min(last, kMaxSeconds);
}

SpringAnimation::SpringAnimation(Spring spring, QObject* parent)
    : QVariantAnimation(parent)
    , m_spring(spring)
{
    setEasingCurve(QEasingCurve::Linear);
    prepare(0.0);
}

void SpringAnimation::setSpring(Spring spring)
{
    m_spring = spring;
    prepare(m_initialVelocity);
}

void SpringAnimation::prepare(double initialVelocity)
{
    m_initialVelocity = initialVelocity;
    m_durationSeconds = m_spring.settlingDuration(initialVelocity);
    setDuration(std::max(1, int(std::lround(m_durationSeconds * 1000.0))));
}

double SpringAnimation::currentVelocity() const
{
    if (state() != QAbstractAnimation::Running)
        return 0.0;
    const double span = endValue().toDouble() - startValue().toDouble();
    const double t = currentTime() / 1000.0;
    return span * m_spring.velocity(t, m_initialVelocity);
}

void SpringAnimation::retarget(double target)
{
    const bool running = state() == QAbstractAnimation::Running;
    const double from = currentValue().isValid() ? currentValue().toDouble()
                                                 : (endValue().isValid() ? endValue().toDouble() : target);
    const double velocity = running ? currentVelocity() : 0.0;
    stop();
    const double span = target - from;
    setStartValue(from);
    setEndValue(target);
    prepare(std::abs(span) > 1e-9 ? velocity / span : 0.0);
    start();
}

QVariant SpringAnimation::interpolated(const QVariant& from, const QVariant& to, qreal progress) const
{
    if (progress >= 1.0)
        return to;
    const double t = progress * duration() / 1000.0;
    return QVariantAnimation::interpolated(from, to, m_spring.value(t, m_initialVelocity));
}
