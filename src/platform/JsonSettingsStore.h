#pragma once

#include "platform/SettingsStore.h"

#include <QJsonObject>

#include <memory>

class SerialExecutor;

// SettingsStore kept in one JSON file. Every change is written off the main thread, on one writer
// thread, atomically; changes that come faster than the disk are coalesced (only the newest
// state is written). A failed write keeps the values in memory, says so once through saveFailed()
// and is tried again with the next change. Data values are stored as {"$data": "<base64>"} so
// they stay distinct from strings. A file that cannot be parsed is renamed to
// "<file>.corrupt-<time>", logged, and the store starts empty; while it cannot be moved aside,
// every save tries again and fails. A file that exists but cannot be read (permissions, I/O
// error) is never written: values then live in memory only. loadProblem() says which happened.
class JsonSettingsStore final : public SettingsStore {
    Q_OBJECT
public:
    explicit JsonSettingsStore(QString path, QObject* parent = nullptr);
    ~JsonSettingsStore() override;

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    SettingsLoadProblem loadProblem() const override { return m_loadProblem; }
    void flush() override;

    QString path() const { return m_path; }
    // Re-reads the file (tests use it to simulate a restart).
    void reload();

    static QJsonValue toJson(const QVariant& value);
    static QVariant fromJson(const QJsonValue& value);

    struct WriterState;

private:
    void load();
    void save();
    void saveDone(const QString& failure);

    QString m_path;
    // The parsed file as it stands, so values this version does not understand survive a write.
    QJsonObject m_root;
    SettingsLoadProblem m_loadProblem;
    std::shared_ptr<WriterState> m_writer;
    std::unique_ptr<SerialExecutor> m_executor;
    // A failure has been told and no save has succeeded since.
    bool m_saveFailing = false;
};
