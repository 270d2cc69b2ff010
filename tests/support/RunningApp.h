#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The real lumaforge binary, started on the test's private X server with the test's private
// HOME, for end-to-end tests.
class RunningApp {
public:
    RunningApp();
    ~RunningApp();

    // Marks onboarding done (or not) in the settings file, makes ~/Pictures/Screenshots unless
    // told not to, then starts the application and waits until it watches its screenshot folder.
    // False when it did not come up.
    bool start(bool onboardingDone = true, bool makeScreenshotFolder = true);
    // An environment variable the next start() or launch() sets for the application.
    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }
    // A program the application is started through (which then runs it with the arguments
    // after), such as setpriv; none by default.
    void setLauncher(const QStringList& command) { m_launcher = command; }
    // Run as root, file permissions bind nobody: starts the application without the capabilities
    // that override them, so that it meets them as a user's program does.
    void dropPermissionOverrides();
    // Starts it over the settings file as it stands (or none), without waiting for anything.
    bool launch();
    // The process's exit code once it has ended within `timeoutMs`; none when it still runs.
    std::optional<int> waitForExit(int timeoutMs);
    bool isRunning() const;
    // For a launch refused because Lumaforge already runs without a session bus to bring it
    // forward: waits for its one window, the notice titled "Lumaforge", closes it as a person
    // would and waits for the launch to end. True when it ended with code 0 without ever
    // watching a folder.
    bool closeAlreadyRunningNotice();
    qint64 pid() const { return m_process ? m_process->processId() : 0; }
    // Sends SIGTERM, as logging out does; the exit code when the application then ended on its
    // own within a few seconds, none when the signal killed it or it hung.
    std::optional<int> terminate();
    // The process's resident set size and its peak so far (VmRSS, VmHWM), in bytes; 0 when gone.
    qint64 residentBytes() const;
    qint64 peakResidentBytes() const;
    QString log();
    // The folder the application watches.
    static QString screenshotFolder();

private:
    std::unique_ptr<QProcess> m_process;
    QProcessEnvironment m_environment;
    QStringList m_launcher;
    QByteArray m_log;
};

namespace Desktop {
// Runs a program and returns what it printed (empty on failure or timeout).
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 5000, int* exitCode = nullptr);
// The clipboard's image/png contents as served by whoever owns it, decoded.
QImage clipboardPng();
// Visible windows whose name matches the regular expression.
QStringList findWindows(const QString& namePattern);
std::optional<QRect> windowGeometry(const QString& windowId);
// Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW).
bool closeWindow(const QString& windowId);
// Offers a PNG file on the clipboard through xclip (which keeps serving it in the background).
bool offerPngOnClipboard(const QString& path);
// The toast's frame: a window named "Lumaforge" in the lower half of the screen, low as a toast.
std::optional<QRect> toastFrame();
}
