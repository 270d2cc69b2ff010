#pragma once

#include <QObject>
#include <QString>

#include <functional>

// One Lumaforge per user: the first instance takes an exclusive lock on a file in the private
// runtime folder ($XDG_RUNTIME_DIR, else a private folder of ours in the temporary folder), held
// until the process ends, however it ends. The lock alone
// decides; the session bus only carries the hand-over: the first instance listens there, and a
// later launch asks it to bring its main window forward and then exits.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.lumaforge.Lumaforge")
public:
    enum class Claim {
        // This process is the one instance.
        first,
        // Another instance runs and was asked to come forward.
        handedOver,
        // Another instance runs but could not be asked (no session bus, or no answer).
        notAnswered,
    };

    // `lockPath` empty: the file in the private runtime folder.
    explicit SingleInstance(QString lockPath = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // `why` says, for notAnswered, what went wrong.
    Claim claim(std::function<void()> onActivate, QString* why = nullptr);

    // What a later launch tells the user when the running instance does not answer.
    static QString notAnsweredNotice(const QString& why);

public Q_SLOTS:
    Q_SCRIPTABLE void activate();

private:
    // True when this process holds the lock (or no lock can be had at all, when the bus decides).
    bool lock(bool* lockUsable);
    void listen();
    Claim handOver(QString* why);

    QString m_lockPath;
    int m_lockFd = -1;
    std::function<void()> m_onActivate;
};
