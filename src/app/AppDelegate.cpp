#include "app/AppDelegate.h"

#include "app/AppState.h"
#include "app/IdleMemory.h"
#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "capture/CaptureManager.h"
#include "capture/CapturePopoverView.h"
#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "capture/ScreenshotWatcher.h"
#include "core/Log.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "notch/NotchController.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "platform/SaveDialog.h"
#include "platform/SettingsStore.h"
#include "platform/SystemScreenshotTool.h"
#include "render/PngFiles.h"
#include "settings/PreferencesView.h"
#include "ui/Toast.h"
#include "vision/TextRecognizer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent)
{
}

AppDelegate::~AppDelegate()
{
    delete m_settingsWindow;
    delete m_mainWindow;
}

namespace {
void showNotice(const QString& message)
{
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Lumaforge"), message, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}
}

QString AppDelegate::loadProblemNotice(const SettingsLoadProblem& problem)
{
    switch (problem.kind) {
    case SettingsLoadProblem::Kind::none:
        break;
    case SettingsLoadProblem::Kind::unreadable:
        return tr("Lumaforge could not read its settings (%1). It uses the default settings for now and "
                  "does not change the settings file.")
            .arg(problem.reason);
    case SettingsLoadProblem::Kind::keptAside:
        return tr("Lumaforge could not read its settings (%1) and starts with the default settings. The "
                  "unreadable file was kept as %2.")
            .arg(problem.reason, problem.detail);
    case SettingsLoadProblem::Kind::stuckInPlace:
        return tr("Lumaforge could not read its settings (%1) and starts with the default settings. The "
                  "unreadable file could not be moved aside (%2), so changes cannot be saved yet: Lumaforge "
                  "keeps them and tries again with each change.")
            .arg(problem.reason, problem.detail);
    }
    return {};
}

QString AppDelegate::unreadablePresetsNotice(int count, bool wholeList)
{
    if (wholeList || count < 1)
        return tr("Lumaforge could not read your saved presets. They are left out of the preset menu and kept as "
                  "they are in the settings file.");
    if (count == 1)
        return tr("Lumaforge could not read one of your saved presets. It is left out of the preset menu and kept "
                  "as it is in the settings file.");
    return tr("Lumaforge could not read %1 of your saved presets. They are left out of the preset menu and kept "
              "as they are in the settings file.")
        .arg(count);
}

QString AppDelegate::unreadableLogoNotice(const QString& reason, const QString& keptAs)
{
    if (keptAs.isEmpty())
        return tr("Lumaforge could not read your watermark logo (%1), so watermarks show without it. Choose the "
                  "logo again in the editor's watermark settings.")
            .arg(reason);
    return tr("Lumaforge could not read your watermark logo (%1), so watermarks show without it. The file was kept "
              "as %2; choose the logo again in the editor's watermark settings.")
        .arg(reason, keptAs);
}

void AppDelegate::applicationDidFinishLaunching()
{
    SettingsStore& settings = SettingsStore::shared();
    if (const QString notice = loadProblemNotice(settings.loadProblem()); !notice.isEmpty())
        showNotice(notice);
    // A change that could not be saved stays in memory and is tried again with the next one;
    // the user hears of it once until a save works again.
    const auto saveFailed = [](const QString& reason) { showFailureToast(tr("Couldn't save settings: %1").arg(reason)); };
    connect(&settings, &SettingsStore::saveFailed, this, saveFailed);

    // Drag-out files of a run that crashed would otherwise stay for good.
    sweepStaleDragFolders();

    AppState& app = AppState::shared();
    Preferences& preferences = Preferences::shared();
    connect(&preferences, &Preferences::saveFailed, this, saveFailed);
    // Stored data that cannot be read is said once, as unreadable settings are, never just dropped.
    // The logo is read in the background: its answer comes through the main loop, after this.
    connect(&preferences, &Preferences::watermarkLogoUnreadable, this,
        [](const QString& reason, const QString& keptAs) { showNotice(unreadableLogoNotice(reason, keptAs)); });
    PresetStore& presets = PresetStore::shared();
    if (presets.takeUntoldUnreadable())
        showNotice(unreadablePresetsNotice(presets.unreadable().count, presets.unreadable().wholeList));
    learnSaveDialogPortal();
    SystemScreenshotTool& tool = SystemScreenshotTool::shared();

    app.capture().takeCapturesFrom(tool);
    app.capture().watcher().start();
    GlobalHotkeys::shared().registerHandlers(
        [] { SystemScreenshotTool::shared().capture(SystemCapture::selection); },
        [] { SystemScreenshotTool::shared().capture(SystemCapture::window); },
        [] { SystemScreenshotTool::shared().capture(SystemCapture::fullScreen); });
    // Where no way to start the desktop's tool exists, say what is missing instead of failing
    // silently.
    connect(&tool, &SystemScreenshotTool::unavailable, this, showNotice);
    // Hot keys that cannot work here are said once per session; the popup keeps saying it.
    const QString hotkeysUnavailable = GlobalHotkeys::shared().unavailableReason();
    if (!hotkeysUnavailable.isEmpty())
        showNotice(hotkeysUnavailable);

    // New shots go to the notch panel; its "open in editor" continues in the main window.
    NotchController& notch = NotchController::shared();
    NotchHandlers handlers = NotchHandlers::desktop();
    handlers.openInEditor = [](std::shared_ptr<EditorDocument> document) {
        AppState::shared().openDocument(std::move(document));
    };
    notch.setHandlers(handlers);
    app.setPresenter(&notch);
    new IdleMemory(app, notch, TextRecognizer::shared(), this);
    // Engines released in a quiet spell load again while the new shot is read from disk.
    connect(&app.capture().watcher(), &ScreenshotWatcher::newScreenshot, this,
        [] { TextRecognizer::shared().warmUpInBackground(); });
    connect(&app.capture(), &CaptureManager::didImport, this, [] { TextRecognizer::shared().warmUpInBackground(); });
    connect(&tool, &SystemScreenshotTool::captured, this, [] { TextRecognizer::shared().warmUpInBackground(); });

    m_mainWindow = new MainWindow(app, SettingsStore::shared());
    connect(m_mainWindow, &MainWindow::settingsRequested, this, &AppDelegate::showSettings);
    m_mainWindow->show();

    auto* popover = new CapturePopoverView(app.capture(), CaptureShortcutStore::shared(), tool,
        { [] { AppState::shared().pasteScreenshot(); },
            [](const CapturedShot& shot) { AppState::shared().openShotInEditor(shot); },
            [this] { showSettings(); }, [] { AppState::shared().quit(); },
            [](const QString& message) { showFailureToast(message); } });
    popover->setNotice(hotkeysUnavailable);
    m_tray = new TrayIcon(popover, this);
}

void AppDelegate::applicationShouldHandleReopen()
{
    if (const auto& focus = AppState::shared().focusMainWindow())
        focus();
}

void AppDelegate::showSettings()
{
    GlobalHotkeys& hotkeys = GlobalHotkeys::shared();
    // A key another program held may be free by now: the Shortcuts tab then shows it taken.
    hotkeys.retryRefused();
    if (!m_settingsWindow) {
        m_settingsWindow = new PreferencesView({ Preferences::shared(), SettingsStore::shared(),
            CaptureShortcutStore::shared(), &hotkeys,
            DesktopScreenshotKeys::forSession(), hotkeys.unavailableReason() });
        m_settingsWindow->setWindowTitle(tr("Lumaforge Settings"));
        m_settingsWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}
