#include "platform/JsonSettingsStore.h"

#include "core/Async.h"
#include "core/Log.h"
#include "core/SerialExecutor.h"
#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <atomic>

namespace {
const QString kDataTag = QStringLiteral("$data");
}

// What the writer thread owns: the stamp of the newest snapshot (older ones are skipped) and the
// unreadable file still waiting to be moved aside.
struct JsonSettingsStore::WriterState {
    QString path;
    std::atomic<quint64> latest { 0 };
    // Touched only by tasks on the writer thread once the store has loaded.
    bool corruptInPlace = false;
    bool failing = false;
};

namespace {
QString asidePath(const QString& path)
{
    return path + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString renameError(const QString& from, const QString& to)
{
    QFile file(from);
    if (file.rename(to))
        return {};
    return file.errorString();
}

// Why a save failed: the system's words for the log, the user's for the toast.
struct SaveFailure {
    QString log;
    QString reason;
};

// One save on the writer thread.
std::optional<SaveFailure> writeSnapshot(JsonSettingsStore::WriterState& state, const QJsonObject& root)
{
    if (state.corruptInPlace) {
        const QString aside = asidePath(state.path);
        const QString why = renameError(state.path, aside);
        if (!why.isEmpty() && QFile::exists(state.path))
            return SaveFailure { QStringLiteral("the unreadable settings file could not be moved aside (%1)").arg(why),
                QObject::tr("its unreadable file could not be moved aside") };
        state.corruptInPlace = false;
        if (why.isEmpty())
            logLine(QStringLiteral("unreadable settings file %1 kept as %2").arg(state.path, aside));
    }
    std::optional<FileWriteFailure> failure = makeFolder(QFileInfo(state.path).absolutePath());
    if (!failure)
        failure = writeFileAtomically(state.path, QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (failure)
        return SaveFailure { failure->path == state.path ? failure->systemText() : failure->logText(), failure->reason() };
    return std::nullopt;
}
}

JsonSettingsStore::JsonSettingsStore(QString path, QObject* parent)
    : SettingsStore(parent)
    , m_path(std::move(path))
    , m_writer(std::make_shared<WriterState>())
    , m_executor(std::make_unique<SerialExecutor>())
{
    m_writer->path = m_path;
    load();
}

JsonSettingsStore::~JsonSettingsStore()
{
    flush();
}

void JsonSettingsStore::flush()
{
    m_executor->waitForDone();
    // The last save failed and no change came to retry it: one more try before the values go.
    if (m_writer->failing) {
        save();
        m_executor->waitForDone();
    }
}

void JsonSettingsStore::reload()
{
    flush();
    m_root = {};
    m_loadProblem = {};
    m_writer->corruptInPlace = false;
    m_saveFailing = false;
    load();
}

void JsonSettingsStore::load()
{
    QFile file(m_path);
    if (!file.exists())
        return;
    // A file we cannot read may hold every setting and preset: writing would replace it.
    const auto unreadable = [this](const QString& reason) {
        m_loadProblem = { SettingsLoadProblem::Kind::unreadable, reason, {} };
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
    const QString aside = asidePath(m_path);
    const QString why = renameError(m_path, aside);
    const QString reason = bytes.trimmed().isEmpty() ? tr("the file is empty")
        : error.error != QJsonParseError::NoError  ? error.errorString()
                                                    : tr("not a JSON object");
    if (!why.isEmpty()) {
        m_loadProblem = { SettingsLoadProblem::Kind::stuckInPlace, reason, why };
        m_writer->corruptInPlace = true;
        // The start-up notice says that saves fail until the file can be moved: no toast as well.
        m_saveFailing = true;
        logLine(QStringLiteral("settings file %1 unreadable (%2) and cannot be moved aside (%3); defaults apply, saves "
                               "wait until it can be moved")
                    .arg(m_path, reason, why));
        return;
    }
    m_loadProblem = { SettingsLoadProblem::Kind::keptAside, reason, aside };
    logLine(QStringLiteral("settings file %1 unreadable (%2); kept as %3, defaults apply").arg(m_path, reason, aside));
}

void JsonSettingsStore::save()
{
    if (m_loadProblem.kind == SettingsLoadProblem::Kind::unreadable)
        return;
    // The snapshot shares the tree with m_root until the next change; the writer skips it when a
    // newer one is already queued behind it.
    const quint64 stamp = m_writer->latest.fetch_add(1) + 1;
    m_executor->post([this, state = m_writer, root = m_root, stamp] {
        if (state->latest.load() != stamp)
            return;
        const std::optional<SaveFailure> saved = writeSnapshot(*state, root);
        if (saved && !state->failing)
            logLine(QStringLiteral("cannot write settings %1: %2").arg(state->path, saved->log));
        state->failing = saved.has_value();
        const QString failure = saved ? saved->reason : QString();
        // The store waits for this task before it goes, so it is alive here.
        postToMain(this, [this, failure] { saveDone(failure); });
    });
}

void JsonSettingsStore::saveDone(const QString& failure)
{
    if (failure.isEmpty()) {
        m_saveFailing = false;
        return;
    }
    if (m_saveFailing)
        return;
    m_saveFailing = true;
    Q_EMIT saveFailed(failure);
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
