#pragma once

#include <QObject>

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

private:
    QuitSignals();
    static QuitSignals& instance();
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
