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

// Built from the preferences: the user's trimmed text and logo, else the product name.
WatermarkConfig currentWatermarkConfig(const Preferences& preferences);
WatermarkConfig currentWatermarkConfig();

// The style and annotations that a render, copy or export uses (currently as given).
inline BeautifySettings effectiveSettings(const BeautifySettings& settings) { return settings; }
inline QList<Annotation> effectiveAnnotations(const QList<Annotation>& annotations) { return annotations; }
