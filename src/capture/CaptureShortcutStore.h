#pragma once

#include "capture/CaptureShortcut.h"

#include <QObject>

#include <functional>
#include <map>
#include <optional>

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

    // Built on the session's settings; GlobalHotkeys::shared() hooks its re-registration in when
    // it is made, so the store needs no knowledge of the hot keys.
    static CaptureShortcutStore& shared();
    void setReregister(std::function<void()> reregister) { m_reregister = std::move(reregister); }

    // An entry for every action.
    const std::map<CaptureAction, CaptureShortcut>& shortcuts() const { return m_shortcuts; }
    CaptureShortcut shortcut(CaptureAction action) const;
    // Stores the binding and re-registers the hot keys. An invalid binding (no modifier besides
    // Shift), or one another action already has, is refused and logged; the current one stays.
    // Returns whether it was stored.
    bool setShortcut(const CaptureShortcut& shortcut, CaptureAction action);
    // The other action bound to the same key and modifiers, if any: one press must start one
    // capture.
    std::optional<CaptureAction> actionUsing(const CaptureShortcut& shortcut, CaptureAction except) const;

Q_SIGNALS:
    void shortcutsChanged();

private:
    SettingsStore& m_settings;
    std::function<void()> m_reregister;
    std::map<CaptureAction, CaptureShortcut> m_shortcuts;
};
