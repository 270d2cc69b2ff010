#include "capture/GlobalHotkeys.h"

#include "capture/CaptureShortcutStore.h"
#include "core/Log.h"
#include "platform/HotkeyBackend.h"

#include <algorithm>

GlobalHotkeys::GlobalHotkeys(std::unique_ptr<HotkeyBackend> backend, CaptureShortcutStore& store, QObject* parent)
    : QObject(parent)
    , m_backend(std::move(backend))
    , m_store(store)
{
    connect(m_backend.get(), &HotkeyBackend::answered, this, &GlobalHotkeys::handleAnswered);
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &GlobalHotkeys::retryRefused);
}

GlobalHotkeys::~GlobalHotkeys()
{
    for (const auto& [action, id] : m_refByAction)
        m_backend->unregisterHotKey(id);
}

GlobalHotkeys& GlobalHotkeys::shared()
{
    static GlobalHotkeys* hotkeys = [] {
        CaptureShortcutStore& store = CaptureShortcutStore::shared();
        auto* made = new GlobalHotkeys(HotkeyBackend::createForSession(), store);
        store.setReregister([made] { made->reregisterAll(); });
        return made;
    }();
    return *hotkeys;
}

void GlobalHotkeys::registerHandlers(Handler selection, Handler window, Handler fullScreen)
{
    m_actionHandlers = {
        { CaptureAction::selection, std::move(selection) },
        { CaptureAction::window, std::move(window) },
        { CaptureAction::fullScreen, std::move(fullScreen) },
    };
    if (!m_listening) {
        m_listening = true;
        connect(m_backend.get(), &HotkeyBackend::pressed, this, &GlobalHotkeys::handlePressed);
    }
    reregisterAll();
}

void GlobalHotkeys::reregisterAll()
{
    for (const auto& [action, id] : m_refByAction)
        m_backend->unregisterHotKey(id);
    m_refByAction.clear();
    m_actionByID.clear();
    m_pendingByID.clear();
    m_answers.clear();
    if (m_suspended > 0) {
        m_retry.stop();
        return;
    }
    m_refusals.clear();
    std::map<CaptureAction, CaptureShortcut> taken;
    for (CaptureAction action : allCases<CaptureAction>) {
        const auto& shortcuts = m_store.shortcuts();
        const auto it = shortcuts.find(action);
        const CaptureShortcut binding = it != shortcuts.end() ? it->second : CaptureShortcut::defaultFor(action);
        // Settings written before duplicates were refused may bind two actions to one key: the
        // first keeps it, so one press never starts two captures.
        const auto same = std::find_if(taken.begin(), taken.end(), [&](const auto& entry) {
            return entry.second.keyCode == binding.keyCode && entry.second.carbonModifiers == binding.carbonModifiers;
        });
        if (same != taken.end()) {
            logLine(QStringLiteral("no global hotkey for %1: %2 has the same key").arg(rawValue(action), rawValue(same->first)));
            m_refusals[action] = { 0, same->first };
            continue;
        }
        taken[action] = binding;
        registerHotKey(action, binding.keyCode, binding.carbonModifiers);
    }
    logRegisteredCount();
    updateRetry();
    Q_EMIT registered();
}

void GlobalHotkeys::logRegisteredCount() const
{
    // Says when the keys are live, so whoever started us knows when a key press will count.
    logLine(QStringLiteral("global hot keys registered: %1 of %2").arg(m_refByAction.size()).arg(std::size(allCases<CaptureAction>)));
}

bool GlobalHotkeys::mayBeFreedLater(CaptureAction action) const
{
    const auto it = m_refusals.find(action);
    // A key the backend cannot name, or one another action keeps, stays refused whatever
    // other programs do.
    return it != m_refusals.end() && !it->second.sameKeyAs && it->second.status != 0
        && it->second.status != HotkeyBackend::unknownKeyStatus;
}

void GlobalHotkeys::updateRetry()
{
    // Asking the portal again may make the desktop ask the user again: only grabs are retried.
    const bool missing = m_suspended == 0 && m_backend->grabsKeys() && m_backend->unavailableReason().isEmpty()
        && std::any_of(std::begin(allCases<CaptureAction>), std::end(allCases<CaptureAction>),
            [this](CaptureAction action) { return mayBeFreedLater(action); });
    if (!missing)
        m_retry.stop();
    else if (!m_retry.isActive())
        m_retry.start();
}

void GlobalHotkeys::retryRefused()
{
    if (m_suspended > 0 || m_actionHandlers.empty() || !m_backend->grabsKeys())
        return;
    bool taken = false;
    for (CaptureAction action : allCases<CaptureAction>) {
        if (!mayBeFreedLater(action) || m_refByAction.count(action))
            continue;
        const CaptureShortcut binding = m_store.shortcut(action);
        const quint32 id = m_nextID++;
        // Still held: quiet, or every tick would say so again.
        if (m_backend->registerHotKey(id, { stableName(action), captureActionTitle(action), binding.keyCode, binding.carbonModifiers }) != 0)
            continue;
        m_refByAction[action] = id;
        m_actionByID[id] = action;
        m_refusals.erase(action);
        logLine(QStringLiteral("global hotkey for %1 taken now that another program let go of it").arg(rawValue(action)));
        taken = true;
    }
    updateRetry();
    if (!taken)
        return;
    logRegisteredCount();
    Q_EMIT registered();
}

QString GlobalHotkeys::stableName(CaptureAction action)
{
    switch (action) {
    case CaptureAction::selection:
        return QStringLiteral("capture-selection");
    case CaptureAction::window:
        return QStringLiteral("capture-window");
    case CaptureAction::fullScreen:
        break;
    }
    return QStringLiteral("capture-full-screen");
}

QString GlobalHotkeys::unavailableReason() const
{
    return m_backend->unavailableReason();
}

void GlobalHotkeys::registerHotKey(CaptureAction action, quint32 keyCode, quint32 modifiers)
{
    const quint32 id = m_nextID++;
    const int status = m_backend->registerHotKey(id, { stableName(action), captureActionTitle(action), keyCode, modifiers });
    if (status == 0) {
        m_refByAction[action] = id;
        m_actionByID[id] = action;
        m_pendingByID[id] = action;
        return;
    }
    logLine(QStringLiteral("failed to register global hotkey for %1 (status %2)").arg(rawValue(action)).arg(status));
    m_refusals[action] = { status, std::nullopt };
}

void GlobalHotkeys::suspend()
{
    if (!m_backend->grabsKeys())
        return;
    if (m_suspended++ > 0)
        return;
    for (const auto& [action, id] : m_refByAction)
        m_backend->unregisterHotKey(id);
    m_refByAction.clear();
    m_actionByID.clear();
    m_pendingByID.clear();
    m_retry.stop();
    logLine(QStringLiteral("global hot keys released while a shortcut is recorded"));
}

void GlobalHotkeys::resume()
{
    if (m_suspended == 0 || --m_suspended > 0)
        return;
    // Only once handlers exist: before that nothing was registered to come back.
    if (!m_actionHandlers.empty())
        reregisterAll();
}

std::optional<quint32> GlobalHotkeys::registeredID(CaptureAction action) const
{
    const auto it = m_refByAction.find(action);
    if (it == m_refByAction.end())
        return std::nullopt;
    return it->second;
}

int GlobalHotkeys::tryBinding(CaptureAction action, const CaptureShortcut& binding)
{
    if (m_suspended == 0 || !m_backend->grabsKeys())
        return 0;
    const quint32 id = m_nextID++;
    const int status = m_backend->registerHotKey(id, { stableName(action), captureActionTitle(action), binding.keyCode, binding.carbonModifiers });
    if (status == 0)
        m_backend->unregisterHotKey(id);
    return status;
}

std::optional<GlobalHotkeys::Refusal> GlobalHotkeys::refusal(CaptureAction action) const
{
    const auto it = m_refusals.find(action);
    if (it == m_refusals.end())
        return std::nullopt;
    return it->second;
}

std::optional<GlobalHotkeys::DesktopAnswer> GlobalHotkeys::desktopAnswer(CaptureAction action) const
{
    const auto it = m_answers.find(action);
    if (it == m_answers.end())
        return std::nullopt;
    return it->second;
}

void GlobalHotkeys::handleAnswered(quint32 id, const QString& trigger, bool asAsked)
{
    const auto it = m_pendingByID.find(id);
    if (it == m_pendingByID.end())
        return; // an answer about a registration given up since
    const CaptureAction action = it->second;
    m_pendingByID.erase(it);
    m_answers[action] = { trigger, asAsked };
    if (trigger.isEmpty()) {
        // No key starts it: the action has no hot key, whatever the registration said at first.
        m_refByAction.erase(action);
        m_actionByID.erase(id);
        logLine(QStringLiteral("the desktop gave no key to the global hotkey for %1").arg(rawValue(action)));
    } else if (!asAsked) {
        logLine(QStringLiteral("the desktop starts the global hotkey for %1 with %2 instead").arg(rawValue(action), trigger));
    }
    Q_EMIT desktopAnswered(action);
}

void GlobalHotkeys::handlePressed(quint32 id)
{
    // The press is consumed at once; the handler runs on a later turn of the event loop.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            const auto action = m_actionByID.find(id);
            if (action == m_actionByID.end())
                return;
            const auto handler = m_actionHandlers.find(action->second);
            if (handler != m_actionHandlers.end() && handler->second)
                handler->second();
        },
        Qt::QueuedConnection);
}
