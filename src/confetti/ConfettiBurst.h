#pragma once

#include "confetti/ConfettiConfig.h"

#include <QPointF>
#include <QTransform>

#include <functional>
#include <memory>

class QPainter;

// A source of uniform numbers in the closed range [0, 1]; tests script it.
using ConfettiRandom = std::function<double()>;
ConfettiRandom defaultConfettiRandom();

// One piece in flight: the choices made when it is created, kept for its whole life.
struct ConfettiPieceState {
    int shape = 0; // index into the config's prepared pieces
    int color = 0; // index into the config's colours (prepared pieces keep their own)
    double spinDirX = 1; // -1 or 1
    double spinDirZ = 1;
    double xSpeed = 1; // seconds per turn about the x axis (10 turns, then still)
    double zSpeed = 1; // seconds per turn in the plane (without end)
    double anchor = 0; // 0: spin about the top-left corner, 1: the bottom-right one
    double explosionDuration = 0; // seconds the fly-out takes
    double angle = 0; // degrees in [0, 360): where the piece flies
    double distance = 0; // points from the centre where the fly-out ends
    QPointF burstLocation; // where the fly-out ends, y down

    // The piece `t` seconds after its burst appeared.
    struct Frame {
        QPointF location;
        double opacity = 0;
        double spinX = 0; // radians
        double spinZ = 0;
    };
    Frame at(double t, const ConfettiConfig& config) const;
};

// One burst: `num` pieces thrown from the centre at once, falling and spinning until the burst's
// time is over.
class ConfettiBurst {
public:
    ConfettiBurst(std::shared_ptr<const ConfettiConfig> config, double startTime, const ConfettiRandom& random);

    double startTime() const { return m_startTime; }
    double endTime() const { return m_startTime + m_config->burstDuration(); }
    const QList<ConfettiPieceState>& pieces() const { return m_pieces; }

    // Paints every piece at clock time `now`, the burst's centre at `origin`.
    void paint(QPainter& painter, QPointF origin, double now) const;
    // The area those pieces cover (points, same coordinates as `origin`).
    QRectF bounds(QPointF origin, double now) const;

    // The transform that places a piece's frame (points, origin at its top-left) on the painter.
    static QTransform pieceTransform(QSizeF size, QPointF center, const ConfettiPieceState::Frame& frame, double anchor,
        double spinDirX, double spinDirZ);

private:
    std::shared_ptr<const ConfettiConfig> m_config;
    double m_startTime;
    QList<ConfettiPieceState> m_pieces;
};
