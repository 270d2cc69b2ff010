#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One combination to claim: a key-position code and modifier bits of platform/Keys.h, with a
// stable name and a description the desktop may show (the portal keeps the user's own
// assignment under the name across registrations).
struct HotkeyBinding {
    QString name;
    QString description;
    quint32 keyCode = 0;
    quint32 carbonModifiers = 0;
};

// System-wide hot keys. X11: key grabs on the root window. Wayland: the desktop portal's
// GlobalShortcuts, where the desktop offers it. Elsewhere none (the reason says why).
class HotkeyBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Claims the combination under `id`. Returns 0 on success, else a status for the log (for
    // X11 the X error code): unknownKeyStatus for a key the backend has no way to take; any
    // other for a combination it would not give us (on X11, another program holds it).
    virtual int registerHotKey(quint32 id, const HotkeyBinding& binding) = 0;
    static constexpr int unknownKeyStatus = 2; // X's BadValue
    virtual void unregisterHotKey(quint32 id) = 0;
    // Empty while hot keys work; otherwise what is missing, for a notice to the user.
    virtual QString unavailableReason() const { return {}; }
    // Whether a registered combination is taken from the key stream before any window of ours
    // sees it (an X grab), so it must be let go while a person types it into a recorder. The
    // portal's shortcuts are not let go: binding them again may make the desktop ask again.
    virtual bool grabsKeys() const { return false; }

    // The backend for this session (see chooseHotkeyProvider).
    static std::unique_ptr<HotkeyBackend> createForSession();

Q_SIGNALS:
    // A registered combination was used: once per press, never for auto-repeat. Main thread. On
    // X11 it comes when the key is let go, so the server has ended the grab the press started.
    void pressed(quint32 id);
    // For a backend whose registrations the desktop settles later (the portal): what it made of
    // registration `id`. An empty `trigger` means it gave the combination no key (refused or left
    // unassigned); otherwise `trigger` is the desktop's own description of the key that now
    // starts it, and `asAsked` whether that is the combination asked for.
    void answered(quint32 id, const QString& trigger, bool asAsked);
};

// No way to take global hot keys in this session: every registration fails.
class NullHotkeyBackend final : public HotkeyBackend {
    Q_OBJECT
public:
    explicit NullHotkeyBackend(QString reason, QObject* parent = nullptr);
    int registerHotKey(quint32 id, const HotkeyBinding& binding) override;
    void unregisterHotKey(quint32) override { }
    QString unavailableReason() const override { return m_reason; }

    // The status every registration fails with.
    static constexpr int unavailableStatus = -1;

private:
    QString m_reason;
};
