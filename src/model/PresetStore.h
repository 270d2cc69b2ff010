#pragma once

#include "model/StylePreset.h"

#include <QJsonArray>
#include <QList>
#include <QObject>

class SettingsStore;

// The saved style presets, stored as JSON data under "savedPresets".
class PresetStore : public QObject {
    Q_OBJECT
public:
    PresetStore(SettingsStore& store, QString key = QStringLiteral("savedPresets"), QObject* parent = nullptr);

    static PresetStore& shared();

    const QList<StylePreset>& presets() const { return m_presets; }
    QString key() const { return m_key; }

    // Replaces the list with the stored one. Stored elements that cannot be decoded are kept
    // aside and written back unchanged in their places, so one bad preset never costs the others.
    void load();
    // Saves a style under a name: an existing preset of exactly that name gets the new settings
    // (its id and place stay; a stored element of that name we could not read is replaced in its
    // place); otherwise a new preset is appended. Then persists.
    void add(const QString& name, const BeautifySettings& settings);
    // Writes the whole list under the key.
    void persist();

    // Stored presets the last load could not read (left out of `presets`, kept as stored): how
    // many, or the whole list when the stored value itself could not be read.
    struct Unreadable {
        int count = 0;
        bool wholeList = false;
        bool any() const { return count > 0 || wholeList; }
    };
    Unreadable unreadable() const;
    // True when the user has not yet been told of exactly these unreadable presets; remembers
    // (in the settings) that they now are. Whoever gets true tells them.
    bool takeUntoldUnreadable();

    // The preset whose upper-case id text is `styleKey`, if any.
    std::optional<StylePreset> presetForKey(const QString& styleKey) const;

Q_SIGNALS:
    void presetsChanged();

private:
    SettingsStore& m_store;
    QString m_key;
    QList<StylePreset> m_presets;
    // Stored elements we could not read, by their place in the stored list, carried through persist.
    QList<std::pair<int, QJsonValue>> m_undecodable;
    QVariant m_unreadableValue;     // a stored value that was no readable array at all
};
