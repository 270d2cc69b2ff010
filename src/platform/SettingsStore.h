#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The user's settings: a typed key-value store. Values are kept apart by type the way the
// design's user defaults keep them: bool, number (double), string (QString), array
// (QVariantList of such values) and data (QByteArray), so "bytes" and "string" never mix.
// Main thread only.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The stored value, or an invalid QVariant when the key is absent.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

    bool contains(const QString& key) const { return value(key).isValid(); }

    // Why the stored settings could not be read and are left alone (the application runs on
    // defaults and writes nothing); empty when they were read.
    virtual QString loadProblem() const { return {}; }

    // Typed reads: no value when the key is absent or holds another type.
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QByteArray> dataValue(const QString& key) const;
    std::optional<QVariantList> arrayValue(const QString& key) const;
    // An array whose every element is a string; no value when any element is not.
    std::optional<QStringList> stringArrayValue(const QString& key) const;

    // The store of this user's session ($XDG_CONFIG_HOME/lumaforge/settings.json).
    static SettingsStore& shared();

Q_SIGNALS:
    void valueChanged(const QString& key);
};
