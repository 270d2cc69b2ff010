#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// What became of stored settings that could not be read at start.
struct SettingsLoadProblem {
    enum class Kind {
        none,
        // The file exists but cannot be read (permissions, I/O error): it is never written.
        unreadable,
        // The file could not be parsed and was moved aside; a fresh file starts.
        keptAside,
        // The file could not be parsed and could not be moved aside either: every save tries
        // again to move it, and fails until that works.
        stuckInPlace,
    };
    Kind kind = Kind::none;
    // Why the file could not be read, in plain words.
    QString reason;
    // keptAside: where the file is now; stuckInPlace: why it could not be moved.
    QString detail;

    bool isEmpty() const { return kind == Kind::none; }
};

// The user's settings: a typed key-value store. Values are kept apart by type the way the
// design's user defaults keep them: bool, number (double), string (QString), array
// (QVariantList of such values) and data (QByteArray), so "bytes" and "string" never mix.
// Main thread only (an implementation may write its file elsewhere).
class SettingsStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The stored value, or an invalid QVariant when the key is absent.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

    bool contains(const QString& key) const { return value(key).isValid(); }

    // Why the stored settings could not be read at start (the application runs on defaults);
    // empty when they were read or there were none.
    virtual SettingsLoadProblem loadProblem() const { return {}; }
    // Blocks until every change made so far is on disk or has failed (quit, tests).
    virtual void flush() {}

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
    // A change could not be saved; the values stay in memory and the next change tries again.
    // Sent once until a save succeeds again.
    void saveFailed(const QString& reason);
};
