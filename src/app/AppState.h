#pragma once

#include "capture/CapturedShot.h"
#include "model/BeautifySettings.h"
#include "model/DetectionOutcome.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class CaptureManager;
class EditorDocument;
class NotchPresenter;
class Pasteboard;
class Preferences;
class PresetStore;
class ScreenshotSettings;
class SettingsStore;

// The one shared application state. Owns the capture intake, holds the document shown in the
// main window, and turns every shot into a notch presentation (found in the screenshot folder)
// or an open editor document (pasted, opened, dropped). Main thread only.
class AppState : public QObject {
    Q_OBJECT
public:
    // Recognises sensitive text and calls back once on the main thread with what it found or
    // its failure (dropped when the receiver is gone).
    using Scan = std::function<void(const QImage&, QObject* receiver, std::function<void(DetectionOutcome)>)>;
    // The styled image of a document (null when rendering fails).
    using Render = std::function<QImage(const EditorDocument&)>;

    struct Services {
        ScreenshotSettings& screenshotSettings;
        Pasteboard& pasteboard;
        Preferences& prefs;
        PresetStore& presets;
        SettingsStore& settings;
        Scan scan;
        Render render;
    };

    explicit AppState(Services services, QObject* parent = nullptr);
    ~AppState() override;

    static AppState& shared();

    CaptureManager& capture() { return *m_capture; }
    Preferences& prefs() { return m_prefs; }

    std::shared_ptr<EditorDocument> document() const { return m_document; }
    void setDocument(std::shared_ptr<EditorDocument> document);
    // When the open document has edits that were neither copied nor exported, the user is asked
    // first. False when the open document stays.
    bool replaceDocument(std::shared_ptr<EditorDocument> document);
    // Every road that opens a shot in the editor comes through here (the notch panel's Edit, the
    // import road): the document replaces the open one as above, then the main window comes
    // forward. One asked for while the question is open waits for its answer and is then asked
    // or followed in turn; of several such, the newest.
    void openDocument(std::shared_ptr<EditorDocument> document);

    // The application's Quit (Ctrl+Q, the File menu, the tray): asks first when the open document
    // has edits that were neither copied nor exported. A logout or SIGTERM never asks.
    void quit();
    // What quitting does; the event loop's quit unless set.
    void setQuitAction(std::function<void()> quit) { m_quitAction = std::move(quit); }

    // Opens and raises the main window; installed by the root view when it is first shown.
    const std::function<void()>& focusMainWindow() const { return m_focusMainWindow; }
    void setFocusMainWindow(std::function<void()> focus) { m_focusMainWindow = std::move(focus); }

    // Where finished shots are presented (the notch panel).
    void setPresenter(NotchPresenter* presenter) { m_presenter = presenter; }

    // While the onboarding fills the main window, paste imports nothing.
    void setOnboardingOnScreen(bool onScreen) { m_onboardingOnScreen = onScreen; }
    bool onboardingOnScreen() const { return m_onboardingOnScreen; }

    std::optional<QUuid> pendingNotchShotID() const { return m_pendingNotchShotID; }

    // The notch road: style choice, recognition in the background, then completeCapturedShot.
    void handleCapturedShot(const CapturedShot& shot);
    // A failed recognition still presents the styled shot, but does not copy it: the panel says
    // its text was not checked and leaves copying to the user.
    void completeCapturedShot(const CapturedShot& shot, const BeautifySettings& settings, const QString& styleKey,
        const DetectionOutcome& detections);
    // The import road: the shot opens in the editor with the default style.
    void openShotInEditor(const CapturedShot& shot);

    // The application's paste command.
    void pasteScreenshot();
    // Renders the open document and copies it, with a toast.
    void copyBeautifiedImage();
    // Copies, then closes the document and hides the application's windows. False when the copy
    // failed (the document stays open).
    bool instantCopyBeautified();

    // The style of a new shot: the default preset's settings and its key, else the automatic
    // style under the key "auto".
    std::pair<BeautifySettings, QString> styleForNewShot(const QImage& image) const;

    static constexpr const char* autoStyleKey = "auto";

Q_SIGNALS:
    void documentChanged();

private:
    std::optional<QImage> renderForCopy();
    // While a new shot's text is recognised the main thread would only wait: it builds the
    // shot's document and styled render meanwhile. They are what is presented when the
    // recognition finds nothing to hide; otherwise they are dropped. (Encoding them as well
    // would take the cores from the recognition, which most shots wait for.)
    struct PreparedShot {
        QUuid shotID;
        BeautifySettings settings;
        std::shared_ptr<EditorDocument> document;
        QImage styledImage; // null when the render failed
    };
    void prepareShot(const CapturedShot& shot, const BeautifySettings& settings);

    std::unique_ptr<CaptureManager> m_capture;
    Pasteboard& m_pasteboard;
    Preferences& m_prefs;
    PresetStore& m_presets;
    SettingsStore& m_settings;
    Scan m_scan;
    Render m_render;
    NotchPresenter* m_presenter = nullptr;
    std::shared_ptr<EditorDocument> m_document;
    std::function<void()> m_focusMainWindow;
    std::optional<QUuid> m_pendingNotchShotID;
    // Only ever for the pending shot; released when it is presented or superseded.
    std::optional<PreparedShot> m_prepared;
    bool m_onboardingOnScreen = false;
    bool m_askingToReplace = false;
    std::shared_ptr<EditorDocument> m_waitingToOpen;
    bool m_askingToQuit = false;
    std::function<void()> m_quitAction;
};
