#include "model/StylePreset.h"

#include "model/UuidText.h"

QJsonObject StylePreset::toJson() const
{
    return QJsonObject {
        { QStringLiteral("id"), uuidString(id) },
        { QStringLiteral("name"), name },
        { QStringLiteral("settings"), settings.toJson() },
    };
}

std::optional<StylePreset> StylePreset::fromJson(const QJsonValue& json, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<StylePreset> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!json.isObject())
        return fail(QStringLiteral("preset is not a JSON object"));
    const QJsonObject object = json.toObject();
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue name = object.value(QStringLiteral("name"));
    const QJsonValue settings = object.value(QStringLiteral("settings"));
    if (!id.isString())
        return fail(QStringLiteral("preset \"id\" missing or not a string"));
    const auto uuid = uuidFromString(id.toString());
    if (!uuid)
        return fail(QStringLiteral("preset \"id\" is not a UUID"));
    if (!name.isString())
        return fail(QStringLiteral("preset \"name\" missing or not a string"));
    if (settings.isUndefined())
        return fail(QStringLiteral("preset \"settings\" missing"));
    QString why;
    const auto decoded = BeautifySettings::fromJson(settings, &why);
    if (!decoded)
        return fail(QStringLiteral("preset settings: ") + why);
    return StylePreset { *uuid, name.toString(), *decoded };
}

BeautifySettings styleForShot(BeautifySettings style, const QRectF& shotCrop)
{
    style.cropRect = shotCrop;
    return style;
}
