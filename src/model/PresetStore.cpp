#include "model/PresetStore.h"

#include "core/Log.h"
#include "model/UuidText.h"
#include "platform/SettingsStore.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
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
    const QJsonArray elements = doc.array();
    for (int i = 0; i < elements.size(); ++i) {
        QString why;
        if (auto preset = StylePreset::fromJson(elements[i], &why)) {
            decoded.append(*preset);
        } else {
            m_undecodable.append({ i, elements[i] });
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
    // The first element of that name in stored order, readable or not.
    int decodedBefore = 0; // readable presets ahead of the unreadable match
    int unreadableMatch = -1;
    int readableMatch = -1;
    for (int place = 0, next = 0, u = 0; place < m_presets.size() + m_undecodable.size(); ++place) {
        if (u < m_undecodable.size() && m_undecodable[u].first == place) {
            if (m_undecodable[u].second.toObject().value(QStringLiteral("name")) == QJsonValue(name)) {
                unreadableMatch = u;
                decodedBefore = next;
                break;
            }
            ++u;
        } else {
            if (m_presets[next].name == name) {
                readableMatch = next;
                break;
            }
            ++next;
        }
    }
    if (readableMatch >= 0) {
        m_presets[readableMatch].settings = settings;
    } else if (unreadableMatch >= 0) {
        // Keep the identity it had where it can be read, so a default pointing at it still does.
        const QJsonValue id = m_undecodable[unreadableMatch].second.toObject().value(QStringLiteral("id"));
        QUuid uuid = uuidFromString(id.toString()).value_or(QUuid::createUuid());
        if (std::any_of(m_presets.begin(), m_presets.end(), [&](const StylePreset& p) { return p.id == uuid; }))
            uuid = QUuid::createUuid();
        m_undecodable.removeAt(unreadableMatch);
        m_presets.insert(decodedBefore, StylePreset { uuid, name, settings });
    } else {
        m_presets.append(StylePreset { QUuid::createUuid(), name, settings });
    }
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
    for (int place = 0, next = 0, u = 0; place < m_presets.size() + m_undecodable.size(); ++place) {
        if (u < m_undecodable.size() && (m_undecodable[u].first == place || next == m_presets.size()))
            array.append(m_undecodable[u++].second);
        else
            array.append(m_presets[next++].toJson());
    }
    m_store.setValue(m_key, QJsonDocument(array).toJson(QJsonDocument::Compact));
}

PresetStore::Unreadable PresetStore::unreadable() const
{
    return { int(m_undecodable.size()), m_unreadableValue.isValid() };
}

bool PresetStore::takeUntoldUnreadable()
{
    if (!unreadable().any())
        return false;
    // What could not be read, as stored: told once, and again only when it changes.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const auto& [place, value] : m_undecodable)
        hash.addData(QJsonDocument(QJsonArray { place, value }).toJson(QJsonDocument::Compact));
    if (m_unreadableValue.isValid()) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << m_unreadableValue;
        hash.addData(bytes);
    }
    const QString told = m_key + QStringLiteral(".unreadableTold");
    const QString fingerprint = QString::fromLatin1(hash.result().toHex());
    if (m_store.stringValue(told) == fingerprint)
        return false;
    m_store.setValue(told, fingerprint);
    return true;
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
