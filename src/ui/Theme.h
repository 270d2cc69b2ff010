#pragma once

#include "platform/ColorScheme.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>

#include <optional>

class QWidget;

// The application's shared colours, gradients and fonts, and the colour scheme a view draws in.
namespace Theme {

// An sRGB colour from 0-255 channels and an opacity.
QColor rgb(int r, int g, int b, qreal opacity = 1.0);

// The accent for the light scheme, and the brighter one for the dark scheme.
const QColor& accent();
const QColor& accentOnDark();
const QColor& accentFor(ColorScheme scheme);
// What went wrong and matters (a text check that failed): amber, brighter on dark.
const QColor& warningOnDark();
const QColor& warningFor(ColorScheme scheme);

// Top-leading to bottom-trailing gradients in object coordinates: fill any rectangle or path
// with them and they stretch over its bounding box. Identical under both schemes.
const QLinearGradient& brandGradient();
const QLinearGradient& accentGradient();

// Text colours of the shared controls.
QColor secondaryText(ColorScheme scheme);
QColor primaryText(ColorScheme scheme);

// Stand-in for the translucent "ultra-thin" material: Qt cannot sample what lies behind a
// widget, so the material is a translucent tint of the scheme's tone.
QColor materialFill(ColorScheme scheme);

// The desktop's general font at a size given in the design's points (one point is one logical
// pixel at the standard 96 dpi, so the size follows the desktop's font scaling).
QFont font(qreal size, QFont::Weight weight = QFont::Normal);
// The desktop's fixed-width font, sized the same way.
QFont monoFont(qreal size, QFont::Weight weight = QFont::Normal);

// The scheme a widget draws in: the nearest scheme forced on it or an ancestor, else the
// desktop's. Forcing applies to the whole subtree, like an environment value.
ColorScheme colorScheme(const QWidget* widget);
void setColorScheme(QWidget* widget, std::optional<ColorScheme> scheme);

// Repaints `widget` whenever the desktop's scheme changes.
void followColorScheme(QWidget* widget);

}
