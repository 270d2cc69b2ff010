#pragma once

#include "platform/AtomicFile.h"

#include <QString>

// Starting the application at login: an XDG autostart entry.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Registers (true) or unregisters (false) the application; on failure returns false and
    // says why in `failure`.
    virtual bool apply(bool enabled, FileWriteFailure* failure) = 0;
    virtual bool isRegistered() const = 0;

    static LoginItem& shared();
};

// $XDG_CONFIG_HOME/autostart/lumaforge.desktop, written atomically and removed on disable.
class XdgAutostartLoginItem final : public LoginItem {
public:
    XdgAutostartLoginItem(QString autostartDir, QString executable);
    bool apply(bool enabled, FileWriteFailure* failure) override;
    bool isRegistered() const override;
    QString filePath() const;

private:
    QString m_dir;
    QString m_executable;
};
