#pragma once

#include "platform/SettingsStore.h"

#include <QHash>

// In-memory settings; tests plant values of any type directly.
class FakeSettingsStore final : public SettingsStore {
    Q_OBJECT
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override
    {
        m_values.insert(key, value);
        ++writes[key];
        Q_EMIT valueChanged(key);
    }
    void remove(const QString& key) override
    {
        m_values.remove(key);
        Q_EMIT valueChanged(key);
    }

    QHash<QString, int> writes;

private:
    QHash<QString, QVariant> m_values;
};
