#pragma once

#include <QObject>

#include <functional>

// One Lumaforge per session: the first instance claims a name on the session bus; a later launch
// asks it to bring its main window forward and then exits.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.lumaforge.Lumaforge")
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when this process is the one instance (or no session bus exists to ask); false when
    // another instance runs and has been asked to activate.
    bool claim(std::function<void()> onActivate);

public Q_SLOTS:
    Q_SCRIPTABLE void activate();

private:
    std::function<void()> m_onActivate;
};
