#pragma once

#include "platform/SettingsStore.h"

#include <QJsonObject>

// SettingsStore kept in one JSON file, rewritten atomically on every change. Data values are
// stored as {"$data": "<base64>"} so they stay distinct from strings. A file that cannot be
// parsed is renamed to "<file>.corrupt-<time>", logged, and the store starts empty. A file that
// exists but cannot be read (permissions, I/O error) or moved aside is never written: values
// then live in memory only, and loadProblem() says why.
class JsonSettingsStore final : public SettingsStore {
    Q_OBJECT
public:
    explicit JsonSettingsStore(QString path, QObject* parent = nullptr);

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    QString loadProblem() const override { return m_loadProblem; }

    QString path() const { return m_path; }
    // Re-reads the file (tests use it to simulate a restart).
    void reload();

    static QJsonValue toJson(const QVariant& value);
    static QVariant fromJson(const QJsonValue& value);

private:
    void load();
    void save();

    QString m_path;
    // The parsed file as it stands, so values this version does not understand survive a write.
    QJsonObject m_root;
    QString m_loadProblem;
};
