#pragma once

#include <QObject>

#include <memory>

struct SettingsLoadProblem;
class AppState;
class MainWindow;
class QWidget;

// Start-up wiring of the application: the state, the screenshot watcher, the hot keys, the main
// window, the tray and the settings window. Closing the last window never quits; launching the
// application again brings the main window back.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    // A second launch (or the launcher's activation) while running.
    void applicationShouldHandleReopen();
    // Linux has no per-application Dock policy; kept as the one place that would switch it.
    void updateActivationPolicy() {}

    MainWindow* mainWindow() const { return m_mainWindow; }
    // What the user is told at start about settings that could not be read; empty when nothing.
    static QString loadProblemNotice(const SettingsLoadProblem& problem);
    // The same for stored presets and the stored watermark logo that could not be read.
    static QString unreadablePresetsNotice(int count, bool wholeList);
    static QString unreadableLogoNotice(const QString& reason, const QString& keptAs);
    void showSettings();

private:
    MainWindow* m_mainWindow = nullptr;
    QWidget* m_settingsWindow = nullptr;
    QObject* m_tray = nullptr;
};
