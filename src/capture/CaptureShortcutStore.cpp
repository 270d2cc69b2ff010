#include "capture/CaptureShortcutStore.h"

#include "core/Log.h"
#include "platform/SettingsStore.h"

CaptureShortcutStore::CaptureShortcutStore(SettingsStore& settings, std::function<void()> reregister, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_reregister(std::move(reregister))
{
    for (CaptureAction action : allCases<CaptureAction>) {
        std::optional<CaptureShortcut> stored;
        if (const auto data = m_settings.dataValue(shortcutDefaultsKey(action)))
            stored = CaptureShortcut::fromJson(*data);
        m_shortcuts[action] = stored.value_or(CaptureShortcut::defaultFor(action));
    }
}

CaptureShortcutStore& CaptureShortcutStore::shared()
{
    static CaptureShortcutStore* store = new CaptureShortcutStore(SettingsStore::shared());
    return *store;
}

CaptureShortcut CaptureShortcutStore::shortcut(CaptureAction action) const
{
    const auto it = m_shortcuts.find(action);
    return it != m_shortcuts.end() ? it->second : CaptureShortcut::defaultFor(action);
}

std::optional<CaptureAction> CaptureShortcutStore::actionUsing(const CaptureShortcut& shortcut, CaptureAction except) const
{
    for (const auto& [other, bound] : m_shortcuts) {
        if (other != except && bound.keyCode == shortcut.keyCode && bound.carbonModifiers == shortcut.carbonModifiers)
            return other;
    }
    return std::nullopt;
}

bool CaptureShortcutStore::setShortcut(const CaptureShortcut& shortcut, CaptureAction action)
{
    if (!shortcut.isValid()) {
        logLine(QStringLiteral("refusing hot key %1 for %2: it needs Ctrl, Alt or Super")
                    .arg(shortcut.displayString(), rawValue(action)));
        return false;
    }
    if (const auto other = actionUsing(shortcut, action)) {
        logLine(QStringLiteral("refusing hot key %1 for %2: %3 has it already")
                    .arg(shortcut.displayString(), rawValue(action), rawValue(*other)));
        return false;
    }
    m_shortcuts[action] = shortcut;
    Q_EMIT shortcutsChanged();
    m_settings.setValue(shortcutDefaultsKey(action), shortcut.toJson());
    if (m_reregister)
        m_reregister();
    return true;
}
