#include "platform/JsonSettingsStore.h"

#include "platform/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {
const QString kDataTag = QStringLiteral("$data");
}

JsonSettingsStore::JsonSettingsStore(QString path, QObject* parent)
    : SettingsStore(parent)
    , m_path(std::move(path))
{
    load();
}

void JsonSettingsStore::reload()
{
    m_root = {};
    m_loadProblem.clear();
    load();
}

void JsonSettingsStore::load()
{
    QFile file(m_path);
    if (!file.exists())
        return;
    // A file we cannot read may hold every setting and preset: writing would replace it.
    const auto unreadable = [this](const QString& reason) {
        m_loadProblem = reason;
        logLine(QStringLiteral("cannot read settings %1: %2; defaults apply and the file is left alone").arg(m_path, reason));
    };
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable(file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        unreadable(file.errorString());
        return;
    }
    file.close();

    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::NoError && doc.isObject()) {
        m_root = doc.object();
        return;
    }

    // Keep the unreadable file for the user instead of overwriting it with defaults.
    const QString aside = m_path + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const bool moved = QFile::rename(m_path, aside);
    const QString reason = bytes.trimmed().isEmpty() ? QStringLiteral("empty")
        : error.error != QJsonParseError::NoError  ? error.errorString()
                                                    : QStringLiteral("not a JSON object");
    if (!moved) {
        unreadable(reason + QStringLiteral(", and it could not be moved aside"));
        return;
    }
    logLine(QStringLiteral("settings file %1 unreadable (%2); kept as %3, defaults apply").arg(m_path, reason, aside));
}

void JsonSettingsStore::save()
{
    if (!m_loadProblem.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        logLine(QStringLiteral("cannot write settings %1: %2").arg(m_path, file.errorString()));
        return;
    }
    file.write(QJsonDocument(m_root).toJson(QJsonDocument::Indented));
    if (!file.commit())
        logLine(QStringLiteral("cannot write settings %1: %2").arg(m_path, file.errorString()));
}

QVariant JsonSettingsStore::value(const QString& key) const
{
    const auto it = m_root.constFind(key);
    if (it == m_root.constEnd())
        return {};
    return fromJson(*it);
}

void JsonSettingsStore::setValue(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    const QJsonValue json = toJson(value);
    if (m_root.value(key) == json && m_root.contains(key))
        return;
    m_root.insert(key, json);
    save();
    Q_EMIT valueChanged(key);
}

void JsonSettingsStore::remove(const QString& key)
{
    if (!m_root.contains(key))
        return;
    m_root.remove(key);
    save();
    Q_EMIT valueChanged(key);
}

QJsonValue JsonSettingsStore::toJson(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QJsonObject { { kDataTag, QString::fromLatin1(value.toByteArray().toBase64()) } };
    case QMetaType::QStringList:
        return QJsonArray::fromStringList(value.toStringList());
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant& element : value.toList())
            array.append(toJson(element));
        return array;
    }
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    default:
        return QJsonValue::fromVariant(value);
    }
}

QVariant JsonSettingsStore::fromJson(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : value.toArray())
            list.append(fromJson(element));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 1 && object.value(kDataTag).isString())
            return QByteArray::fromBase64(object.value(kDataTag).toString().toLatin1());
        QVariantMap map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), fromJson(it.value()));
        return map;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return {};
    }
    return {};
}
