#pragma once

#include "confetti/ConfettiType.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QSizeF>

// What the caller of the cannon chooses. Angles are in degrees, measured counter-clockwise from
// the right (90 is straight up); times in seconds; sizes in points. The caller keeps `num` >= 1,
// `repetitions` >= 0 and non-empty `confettis` and `colors`.
struct ConfettiOptions {
    int num = 20;
    QList<ConfettiType> confettis { ConfettiType::allCases().begin(), ConfettiType::allCases().end() };
    QList<QColor> colors { Qt::blue, Qt::red, Qt::green, Qt::yellow, Qt::magenta };
    qreal confettiSize = 10;
    qreal rainHeight = 600;
    bool fadesOut = true;
    double opacity = 1.0;
    double openingAngle = 60;
    double closingAngle = 120;
    qreal radius = 300;
    int repetitions = 1;
    double repetitionInterval = 1.0;
    bool hapticFeedback = false; // kept for callers; nothing here vibrates
};

// One prepared piece: its look drawn once at a high pixel density, and its size in points.
struct ConfettiPiece {
    QImage image;
    QSizeF size;
};

// The configuration every burst of a cannon shares, with the pieces prepared up front so that
// bursts only pick among them.
class ConfettiConfig {
public:
    explicit ConfettiConfig(const ConfettiOptions& options);

    int num;
    // One piece per (type, colour) pair, types outer, colours inner.
    QList<ConfettiPiece> shapes;
    QList<QColor> colors;
    qreal confettiSize;
    qreal rainHeight;
    bool fadesOut;
    double opacity;
    double openingAngle;
    double closingAngle;
    qreal radius;
    int repetitions;
    double repetitionInterval;
    double explosionAnimationDuration; // radius / 1300
    double rainAnimationDuration; // (rainHeight + radius) / 200
    bool hapticFeedback;

    // How long a burst stays on screen after it appears.
    double burstDuration() const { return explosionAnimationDuration + rainAnimationDuration; }

    // Pixels per point of the prepared pieces: sharp enough under the spins' perspective.
    static constexpr qreal kPieceScale = 3.0;
};

ConfettiPiece prepareConfettiPiece(const ConfettiType& type, const QColor& color, qreal confettiSize);
