// The settings file as the application reads it at start: any bytes at all.
#include "FuzzSupport.h"
#include "platform/JsonSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    JsonSettingsStore store(path);
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (doc.isObject()) {
        FUZZ_CHECK(store.loadProblem().isEmpty());
        const QJsonObject root = doc.object();
        for (auto it = root.begin(); it != root.end(); ++it) {
            // Every stored value reads back as itself once written again.
            const QVariant value = store.value(it.key());
            FUZZ_CHECK(value == JsonSettingsStore::fromJson(it.value()));
            FUZZ_CHECK(JsonSettingsStore::fromJson(JsonSettingsStore::toJson(value)) == value);
            (void)store.boolValue(it.key());
            (void)store.doubleValue(it.key());
            (void)store.stringArrayValue(it.key());
            (void)store.dataValue(it.key());
        }
    }
    // Unreadable files are moved aside: clear them for the next input.
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
        QFile::remove(dir.filePath(name));
    return 0;
}
