#include "confetti/ConfettiBurst.h"

#include <QEasingCurve>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
QEasingCurve cubicCurve(QPointF c1, QPointF c2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

// Progress of a curve at `elapsed` seconds into an animation of `duration`.
double progress(const QEasingCurve& curve, double elapsed, double duration)
{
    if (elapsed <= 0)
        return 0;
    if (elapsed >= duration || duration <= 0)
        return 1;
    return curve.valueForProgress(elapsed / duration);
}

int pickIndex(double u, qsizetype count)
{
    return int(std::clamp<qsizetype>(qsizetype(std::floor(u * double(count))), 0, std::max<qsizetype>(0, count - 1)));
}

double uniform(const ConfettiRandom& random, double lo, double hi)
{
    return lo + (hi - lo) * std::clamp(random(), 0.0, 1.0);
}

// The turn of a spin `t` seconds in: one turn per `period`, `repeats` times (0 for ever), then
// resting on the full turn, which looks like no turn.
double spin(double t, double period, int repeats)
{
    if (period <= 0 || (repeats > 0 && t >= period * repeats))
        return 0;
    return 2 * std::numbers::pi * std::fmod(t / period, 1.0);
}
}

ConfettiRandom defaultConfettiRandom()
{
    return [] { return QRandomGenerator::global()->generateDouble(); };
}

ConfettiPieceState::Frame ConfettiPieceState::at(double t, const ConfettiConfig& config) const
{
    static const QEasingCurve explosionCurve = cubicCurve({ 0.1, 0.8 }, { 0, 1 });
    static const QEasingCurve rainCurve = cubicCurve({ 0.12, 0 }, { 0.39, 0 });
    const double explosion = progress(explosionCurve, t, explosionDuration);
    // The rain starts while the fly-out still moves; both animate the same values and add up.
    const double rain = progress(rainCurve, t - config.explosionAnimationDuration * 0.1, config.rainAnimationDuration);
    const double rainOpacity = config.fadesOut ? 0.0 : config.opacity;

    Frame frame;
    frame.location = QPointF(burstLocation.x() * explosion, burstLocation.y() * explosion + config.rainHeight * rain);
    frame.opacity = std::clamp(config.opacity * explosion + (rainOpacity - config.opacity) * rain, 0.0, 1.0);
    frame.spinX = spin(t, xSpeed, 10);
    frame.spinZ = spin(t, zSpeed, 0);
    return frame;
}

ConfettiBurst::ConfettiBurst(
    std::shared_ptr<const ConfettiConfig> config, double startTime, const ConfettiRandom& random)
    : m_config(std::move(config))
    , m_startTime(startTime)
{
    const ConfettiConfig& c = *m_config;
    // Without types or colours there is nothing to throw; an empty burst still runs its time.
    if (c.shapes.isEmpty() || c.colors.isEmpty())
        return;
    m_pieces.reserve(c.num);
    for (int i = 0; i < c.num; ++i) {
        ConfettiPieceState piece;
        piece.shape = pickIndex(random(), c.shapes.size());
        piece.color = pickIndex(random(), c.colors.size());
        piece.spinDirX = random() < 0.5 ? -1 : 1;
        piece.spinDirZ = random() < 0.5 ? -1 : 1;
        piece.xSpeed = uniform(random, 0.501, 2.201);
        piece.zSpeed = uniform(random, 0.501, 2.201);
        piece.anchor = std::round(std::clamp(random(), 0.0, 1.0));

        const int r = std::min(999, int(std::floor(std::clamp(random(), 0.0, 1.0) * 1000)));
        piece.explosionDuration = c.explosionAnimationDuration + 0.2 + r / 2100.0;
        const double o = c.openingAngle, cl = c.closingAngle;
        piece.angle = o <= cl ? uniform(random, o, cl) : std::fmod(uniform(random, o, cl + 360), 360.0);
        piece.distance = c.radius * std::pow(uniform(random, 0.01, 1), 0.2857142857142857);
        const double theta = piece.angle * std::numbers::pi / 180;
        piece.burstLocation = QPointF(std::cos(theta) * piece.distance, -std::sin(theta) * piece.distance);
        m_pieces.append(piece);
    }
}

QTransform ConfettiBurst::pieceTransform(QSizeF size, QPointF center, const ConfettiPieceState::Frame& frame,
    double anchor, double spinDirX, double spinDirZ)
{
    const QPointF mid(size.width() / 2, size.height() / 2);
    // Turning about the x axis seen in perspective: the camera sits at twice the piece's size.
    const double depth = 2 * std::max<qreal>(1, std::max(size.width(), size.height()));
    const double ax = spinDirX * frame.spinX;
    const QTransform tilt(1, 0, 0, 0, std::cos(ax), -std::sin(ax) / depth, 0, 0, 1);
    QTransform t = QTransform::fromTranslate(-mid.x(), -mid.y()) * tilt * QTransform::fromTranslate(mid.x(), mid.y());
    // Then in the plane, about one corner.
    const QPointF corner(anchor * size.width(), anchor * size.height());
    QTransform turn;
    turn.rotateRadians(spinDirZ * frame.spinZ);
    t = t * QTransform::fromTranslate(-corner.x(), -corner.y()) * turn
        * QTransform::fromTranslate(corner.x(), corner.y());
    return t
        * QTransform::fromTranslate(
            center.x() + frame.location.x() - mid.x(), center.y() + frame.location.y() - mid.y());
}

QRectF ConfettiBurst::bounds(QPointF origin, double now) const
{
    const ConfettiConfig& c = *m_config;
    QRectF area;
    for (const ConfettiPieceState& piece : m_pieces) {
        const ConfettiPieceState::Frame frame = piece.at(now - m_startTime, c);
        const ConfettiPiece& look = c.shapes.at(piece.shape);
        area |= pieceTransform(look.size, origin, frame, piece.anchor, piece.spinDirX, piece.spinDirZ)
                    .mapRect(QRectF(QPointF(0, 0), look.size));
    }
    return area;
}

void ConfettiBurst::paint(QPainter& painter, QPointF origin, double now) const
{
    const ConfettiConfig& c = *m_config;
    const double t = now - m_startTime;
    const QTransform base = painter.transform();
    const double baseOpacity = painter.opacity();
    for (const ConfettiPieceState& piece : m_pieces) {
        const ConfettiPieceState::Frame frame = piece.at(t, c);
        if (frame.opacity <= 0.002)
            continue;
        const ConfettiPiece& look = c.shapes.at(piece.shape);
        painter.setTransform(
            pieceTransform(look.size, origin, frame, piece.anchor, piece.spinDirX, piece.spinDirZ) * base);
        painter.setOpacity(baseOpacity * frame.opacity);
        painter.drawImage(QRectF(QPointF(0, 0), look.size), look.image);
    }
    painter.setTransform(base);
    painter.setOpacity(baseOpacity);
}
