#include "model/PresetStore.h"

#include "model/UuidText.h"
#include "platform/Log.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QJsonDocument>

PresetStore::PresetStore(SettingsStore& store, QString key, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_key(std::move(key))
{
}

PresetStore& PresetStore::shared()
{
    static PresetStore* instance = [] {
        auto* s = new PresetStore(SettingsStore::shared());
        s->load();
        return s;
    }();
    return *instance;
}

void PresetStore::load()
{
    m_undecodable = {};
    m_unreadableValue = {};
    const QVariant stored = m_store.value(m_key);
    if (!stored.isValid())
        return;

    QJsonParseError parseError {};
    const QJsonDocument doc = stored.typeId() == QMetaType::QByteArray
        ? QJsonDocument::fromJson(stored.toByteArray(), &parseError)
        : QJsonDocument();
    if (stored.typeId() != QMetaType::QByteArray || parseError.error != QJsonParseError::NoError || !doc.isArray()) {
        m_unreadableValue = stored;
        logLine(QStringLiteral("stored presets \"%1\" are unreadable; starting with none").arg(m_key));
        return;
    }

    QList<StylePreset> decoded;
    QStringList reasons;
    for (const QJsonValue& element : doc.array()) {
        QString why;
        if (auto preset = StylePreset::fromJson(element, &why)) {
            decoded.append(*preset);
        } else {
            m_undecodable.append(element);
            reasons.append(why);
        }
    }
    if (!reasons.isEmpty()) {
        logLine(QStringLiteral("%1 stored preset(s) could not be read and are kept as stored: %2")
                    .arg(reasons.size())
                    .arg(reasons.join(QStringLiteral("; "))));
    }
    m_presets = decoded;
    Q_EMIT presetsChanged();
}

void PresetStore::add(const QString& name, const BeautifySettings& settings)
{
    auto it = std::find_if(m_presets.begin(), m_presets.end(), [&](const StylePreset& p) { return p.name == name; });
    if (it != m_presets.end())
        it->settings = settings;
    else
        m_presets.append(StylePreset { QUuid::createUuid(), name, settings });
    Q_EMIT presetsChanged();
    persist();
}

void PresetStore::persist()
{
    if (m_unreadableValue.isValid()) {
        // Never overwrite what we could not read: keep it under a side key first.
        const QString aside = m_key + QStringLiteral(".unreadable-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        m_store.setValue(aside, m_unreadableValue);
        logLine(QStringLiteral("unreadable presets kept under \"%1\"").arg(aside));
        m_unreadableValue = {};
    }
    QJsonArray array;
    for (const StylePreset& preset : m_presets)
        array.append(preset.toJson());
    for (const QJsonValue& element : m_undecodable)
        array.append(element);
    m_store.setValue(m_key, QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::optional<StylePreset> PresetStore::presetForKey(const QString& styleKey) const
{
    const auto wanted = uuidFromString(styleKey);
    if (!wanted)
        return std::nullopt;
    for (const StylePreset& preset : m_presets) {
        if (preset.id == *wanted)
            return preset;
    }
    return std::nullopt;
}
