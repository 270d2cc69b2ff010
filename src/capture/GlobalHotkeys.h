#pragma once

#include "capture/CaptureAction.h"
#include "capture/CaptureShortcut.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class CaptureShortcutStore;
class HotkeyBackend;

// The application's three system-wide capture keys. Each registration takes a fresh identifier
// (never reused); a press runs the action's handler on the main thread, through the event loop.
class GlobalHotkeys : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    GlobalHotkeys(std::unique_ptr<HotkeyBackend> backend, CaptureShortcutStore& store, QObject* parent = nullptr);
    ~GlobalHotkeys() override;

    // The session's backend and CaptureShortcutStore::shared().
    static GlobalHotkeys& shared();

    // Replaces the handlers, then registers the three hot keys.
    void registerHandlers(Handler selection, Handler window, Handler fullScreen);
    // Releases every hot key and registers the three again with the store's current bindings.
    // A refused binding is logged; that action has no hot key until the next call.
    void reregisterAll();

    // Asks again for each key the backend refused because another program held it, as the
    // retry timer does while one is missing (and Settings does when it opens): a program that
    // let go of it since gives it back. Only for a backend that grabs keys, and not while
    // suspended. Emits registered() when one is taken.
    void retryRefused();
    bool isRetrying() const { return m_retry.isActive(); }
    static constexpr int retryIntervalMs = 3000;

    // Releases every hot key until the matching resume(), so a combination typed into a shortcut
    // recorder reaches it instead of firing; changes meanwhile take effect on resume. Nested calls
    // count. Nothing happens for a backend that does not grab keys (the portal).
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspended > 0; }

    HotkeyBackend& backend() { return *m_backend; }
    // Empty while hot keys can work in this session; otherwise why not and what to do instead.
    QString unavailableReason() const;
    // The name the action's hot key keeps across registrations ("capture-selection").
    static QString stableName(CaptureAction action);
    // The identifier the next registration takes.
    quint32 nextID() const { return m_nextID; }
    // The identifier the action's hot key is registered under; none when it is not registered.
    std::optional<quint32> registeredID(CaptureAction action) const;
    // Whether the backend would take `binding` now, asked while suspended (a shortcut being
    // recorded): it is claimed under a fresh identifier and let go at once. 0 when it would, else
    // the backend's status; 0 too where nothing can be asked ahead (not suspended, no grabs).
    int tryBinding(CaptureAction action, const CaptureShortcut& binding);

    // Why the action was left without a hot key by the latest registration: the backend refused
    // it (`status`), or another action has the same key (`sameKeyAs`, which keeps it). None while
    // it is registered, and before anything was registered.
    struct Refusal {
        int status = 0;
        std::optional<CaptureAction> sameKeyAs;
    };
    std::optional<Refusal> refusal(CaptureAction action) const;

    // What the desktop made of the action's latest registration, where it says later (the portal).
    struct DesktopAnswer {
        QString trigger; // empty: no key at all
        bool asAsked = false;
    };
    std::optional<DesktopAnswer> desktopAnswer(CaptureAction action) const;

Q_SIGNALS:
    void desktopAnswered(CaptureAction action);
    // The three hot keys were registered again (not while suspended): refusal() may have changed.
    void registered();

private:
    // Whether the action's hot key is missing only because another program held its key.
    bool mayBeFreedLater(CaptureAction action) const;
    void updateRetry();
    void logRegisteredCount() const;
    void registerHotKey(CaptureAction action, quint32 keyCode, quint32 modifiers);
    void handlePressed(quint32 id);
    void handleAnswered(quint32 id, const QString& trigger, bool asAsked);

    std::unique_ptr<HotkeyBackend> m_backend;
    CaptureShortcutStore& m_store;
    bool m_listening = false;
    int m_suspended = 0;
    std::map<CaptureAction, Handler> m_actionHandlers;
    std::map<CaptureAction, quint32> m_refByAction;
    std::map<quint32, CaptureAction> m_actionByID;
    std::map<quint32, CaptureAction> m_pendingByID; // registrations the desktop has yet to settle
    std::map<CaptureAction, DesktopAnswer> m_answers;
    std::map<CaptureAction, Refusal> m_refusals;
    quint32 m_nextID = 1;
    // Runs only while a key another program held is missing.
    QTimer m_retry;
};
