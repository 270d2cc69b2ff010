#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QSocketNotifier;

// Turns SIGTERM (logging out, shutting down), SIGINT and SIGHUP into a clean quit of the event
// loop, so every flush connected to aboutToQuit runs. The handler only writes to a pipe; the
// quit itself happens on the main thread. A second signal while quitting takes the default
// action, so a stuck quit can still be ended.
class QuitSignals final : public QObject {
    Q_OBJECT
public:
    // Installs (or re-arms) the handlers for the running application. Main thread only.
    static void install();

    // Work that must be done before the process ends, however it ends: the event loop's quit
    // (aboutToQuit, where the signals above lead) or exit() called inside a library, which sends
    // no aboutToQuit (Qt's xcb platform exits with status 1 when the X server goes away).
    // Flushes run on the main thread, newest first, so a store's users write into it before the
    // store itself flushes; a flush is forgotten when its owner is destroyed. Main thread only.
    static void addFlush(QObject* owner, std::function<void()> flush);
    // Runs every flush now (aboutToQuit and exit() do this themselves).
    static void runFlushes();

private:
    QuitSignals();
    static QuitSignals& instance();
    void readPipe();

    struct Flush {
        QPointer<QObject> owner;
        std::function<void()> run;
    };

    QSocketNotifier* m_notifier = nullptr;
    QList<Flush> m_flushes;
    bool m_flushing = false;
};
