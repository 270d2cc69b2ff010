#pragma once

#include "platform/ColorScheme.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// The capture popover's colours, fonts and drawing, shared by the popover and its command rows.
namespace PopoverStyle {

constexpr int kPopoverWidth = 324;
constexpr qreal kPadX = 14.0;
constexpr qreal kContentWidth = kPopoverWidth - 2 * kPadX;
constexpr qreal kHairline = 0.5;

// The design's hierarchical text styles under each scheme. Tertiary has no counterpart in the
// shared theme: it is the primary colour faded, as the secondary is a softer grey.
QColor primary(ColorScheme scheme, qreal opacity = 1.0);
QColor secondary(ColorScheme scheme);
QColor tertiary(ColorScheme scheme);

QFont monoFont(qreal size, QFont::Weight weight);
qreal lineHeight(const QFont& font);
qreal textWidth(const QFont& font, const QString& text);

// Fills a continuous rounded rectangle and strokes a hairline inside its edge.
void paintTile(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border);
// Text on one line, cut with an ellipsis when it does not fit.
void drawLine(QPainter& p, const QRectF& rect, const QFont& font, const QColor& color, const QString& text,
    Qt::Alignment align = Qt::AlignLeft);

QFont rowFont();
QFont shortcutFont();

} // namespace PopoverStyle
