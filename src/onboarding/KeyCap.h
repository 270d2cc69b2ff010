#pragma once

#include "platform/ColorScheme.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPainter;

// The keys of a combination as the caps show them: "Alt+Print" gives "Alt" and "Print".
QStringList keyCapLabels(const QString& combination);

// A large three-dimensional key cap: a 62-point square (wider for long labels such as "Print")
// whose side shows 4 points below its top, with a sheen and a soft shadow.
struct PremiumKey {
    QString label;
    ColorScheme scheme = ColorScheme::light;

    static constexpr qreal kSide = 62;
    static constexpr qreal kCornerRadius = 16;
    static constexpr qreal kDepth = 4;

    QSizeF size() const;
    // Draws the cap with its top-left corner at `topLeft`; the side and shadow fall below it.
    void paint(QPainter& painter, QPointF topLeft) const;
};

// A small flat key cap, 24 points square (wider for long labels).
struct MiniKey {
    QString label;
    ColorScheme scheme = ColorScheme::light;

    static constexpr qreal kSide = 24;

    QSizeF size() const;
    void paint(QPainter& painter, QPointF topLeft) const;
};
