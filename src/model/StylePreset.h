#pragma once

#include "model/BeautifySettings.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

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
