#pragma once

#include "model/BeautifySettings.h"

#include <QJsonObject>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

// A saved style as applied to a shot: all of `style` but its crop, which belonged to the shot it
// was saved from; the shot keeps `shotCrop`. Every road that applies a preset goes through this.
BeautifySettings styleForShot(BeautifySettings style, const QRectF& shotCrop);

// A named, saved style.
struct StylePreset {
    QUuid id;
    QString name;
    BeautifySettings settings;

    bool operator==(const StylePreset& other) const = default;

    // {"id": "<UUID>", "name": ..., "settings": {...}}
    QJsonObject toJson() const;
    // Requires all three keys; a malformed id or settings fails the whole preset.
    static std::optional<StylePreset> fromJson(const QJsonValue& json, QString* error = nullptr);
};
