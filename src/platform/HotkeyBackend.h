#pragma once

#include <QObject>
#include <QString>

#include <memory>

// System-wide hot keys. X11: key grabs on the root window. Wayland: the desktop portal's
// GlobalShortcuts, where the desktop offers it. Elsewhere none (the reason says why).
class HotkeyBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Claims the combination (a key-position code and modifier bits of platform/Keys.h) under
    // `id`. Returns 0 on success, else a status for the log (for X11 the X error code).
    virtual int registerHotKey(quint32 id, quint32 keyCode, quint32 carbonModifiers) = 0;
    virtual void unregisterHotKey(quint32 id) = 0;
    // Empty while hot keys work; otherwise what is missing, for a notice to the user.
    virtual QString unavailableReason() const { return {}; }

    // The backend for this session.
    static std::unique_ptr<HotkeyBackend> createForSession();

Q_SIGNALS:
    // A registered combination was pressed: once per press, never for auto-repeat. Main thread.
    void pressed(quint32 id);
};

// No way to take global hot keys in this session: every registration fails.
class NullHotkeyBackend final : public HotkeyBackend {
    Q_OBJECT
public:
    explicit NullHotkeyBackend(QString reason, QObject* parent = nullptr);
    int registerHotKey(quint32 id, quint32 keyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32) override { }
    QString unavailableReason() const override { return m_reason; }

    // The status every registration fails with.
    static constexpr int unavailableStatus = -1;

private:
    QString m_reason;
};
