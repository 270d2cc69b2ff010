#pragma once

#include "model/Annotation.h"
#include "model/BeautifySettings.h"
#include "model/StyleOptions.h"

#include <QImage>
#include <QList>
#include <QString>

class Preferences;

// What the canvas draws when a style's watermark switch is on.
struct WatermarkConfig {
    QString text;
    QImage logo;            // null: no logo
    bool isCustom = false;  // text or logo come from the user
    WatermarkPosition position = WatermarkPosition::bottomRight;

    bool operator==(const WatermarkConfig& other) const = default;
};

// The largest side a watermark's logo is ever drawn at, in pixels: the mark is at most 45 points
// (18 at the canvas's largest scale, 2.5), renders draw 2 pixels a point (social sizes fewer: the
// mark is 18/520 of a canvas side there), and the editor shows it at most at 400 % on a 2x screen.
// Held larger, a logo costs memory all session for detail nobody sees.
inline constexpr int maxLogoSide = 45 * 4 * 2;

// The logo scaled down, aspect kept, to at most maxLogoSide on its longer side; as it is when it
// is no larger. Safe off the main thread.
QImage fittedWatermarkLogo(const QImage& logo);

// Built from the preferences: the user's trimmed text and logo, else the product name.
WatermarkConfig currentWatermarkConfig(const Preferences& preferences);
WatermarkConfig currentWatermarkConfig();

// The style and annotations that a render, copy or export uses (currently as given).
inline BeautifySettings effectiveSettings(const BeautifySettings& settings) { return settings; }
inline QList<Annotation> effectiveAnnotations(const QList<Annotation>& annotations) { return annotations; }
