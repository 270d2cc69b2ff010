#include "platform/SettingsStore.h"

#include "platform/AppPaths.h"
#include "platform/JsonSettingsStore.h"
#include "platform/QuitSignals.h"

std::optional<bool> SettingsStore::boolValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::Bool)
        return std::nullopt;
    return v.toBool();
}

std::optional<double> SettingsStore::doubleValue(const QString& key) const
{
    const QVariant v = value(key);
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return v.toDouble();
    default:
        return std::nullopt;
    }
}

std::optional<QString> SettingsStore::stringValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

std::optional<QByteArray> SettingsStore::dataValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

std::optional<QVariantList> SettingsStore::arrayValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QVariantList)
        return v.toList();
    if (v.typeId() == QMetaType::QStringList) {
        QVariantList list;
        for (const QString& s : v.toStringList())
            list.append(s);
        return list;
    }
    return std::nullopt;
}

std::optional<QStringList> SettingsStore::stringArrayValue(const QString& key) const
{
    const auto array = arrayValue(key);
    if (!array)
        return std::nullopt;
    QStringList out;
    for (const QVariant& element : *array) {
        if (element.typeId() != QMetaType::QString)
            return std::nullopt;
        out.append(element.toString());
    }
    return out;
}

SettingsStore& SettingsStore::shared()
{
    static JsonSettingsStore* store = [] {
        auto* created = new JsonSettingsStore(AppPaths::settingsFile());
        // The last changes reach the disk however the process ends.
        QuitSignals::addFlush(created, [created] { created->flush(); });
        return created;
    }();
    return *store;
}
