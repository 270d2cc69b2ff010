#pragma once

#include "model/BackgroundPreset.h"
#include "model/RedactionKind.h"
#include "model/StyleOptions.h"

#include <QJsonObject>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <set>

// The complete style of one shot. The model clamps nothing: the renderer interprets the numbers.
struct BeautifySettings {
    double padding = 18;                  // percent of the shown image's larger side
    double radius = 16;                   // corner radius in canvas units
    double shadow = 0.7;
    BackgroundPreset background = BackgroundPreset::sunset;
    WindowFrameStyle windowFrame = WindowFrameStyle::none;
    bool showURL = false;
    QString urlText;
    AspectRatioOption aspect = AspectRatioOption::automatic;
    bool balance = true;                  // while true, shotOffset is ignored
    QSizeF shotOffset { 0, 0 };           // fractions of the canvas width and height
    bool removeBackground = false;
    bool flipH = false;
    bool flipV = false;
    QRectF cropRect { 0, 0, 1, 1 };       // fractions of the image
    bool watermark = false;
    std::set<RedactionKind> redactKinds;
    RedactStyle redactStyle = RedactStyle::blur;
    double redactIntensity = 0.6;

    // The shared default value; callers copy it.
    static const BeautifySettings& defaults();

    // Memberwise, numbers by exact numeric equality.
    bool operator==(const BeautifySettings& other) const;

    // JSON object with one key per field.
    QJsonObject toJson() const;
    // Strict: every one of the 18 keys is required with the right JSON type and a known raw value;
    // extra keys are ignored. On failure returns no value and says why in `error`.
    static std::optional<BeautifySettings> fromJson(const QJsonValue& json, QString* error = nullptr);
};
