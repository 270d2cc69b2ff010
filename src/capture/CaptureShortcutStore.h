#pragma once

#include "capture/CaptureShortcut.h"

#include <QObject>

#include <functional>
#include <map>

class SettingsStore;

// The user's hot-key bindings, one per capture action, kept as JSON data under
// "captureShortcut.<action>". Stored data that is missing, unreadable or invalid counts as absent:
// the action's default applies (and nothing is written until the user changes a binding).
// Main thread only.
class CaptureShortcutStore : public QObject {
    Q_OBJECT
public:
    // `reregister` runs after every change, so the hot keys follow the bindings.
    explicit CaptureShortcutStore(SettingsStore& settings, std::function<void()> reregister = {},
        QObject* parent = nullptr);

    // Built on the session's settings; re-registers GlobalHotkeys::shared() on change.
    static CaptureShortcutStore& shared();

    // An entry for every action.
    const std::map<CaptureAction, CaptureShortcut>& shortcuts() const { return m_shortcuts; }
    CaptureShortcut shortcut(CaptureAction action) const;
    // Stores the binding and re-registers the hot keys. An invalid binding (no modifier besides
    // Shift) is refused and logged; the current one stays.
    void setShortcut(const CaptureShortcut& shortcut, CaptureAction action);

Q_SIGNALS:
    void shortcutsChanged();

private:
    SettingsStore& m_settings;
    std::function<void()> m_reregister;
    std::map<CaptureAction, CaptureShortcut> m_shortcuts;
};
