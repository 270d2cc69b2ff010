#include "app/AppState.h"

#include "app/ReplacePrompt.h"
#include "capture/CaptureManager.h"
#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "model/UuidText.h"
#include "notch/NotchSession.h"
#include "platform/Pasteboard.h"
#include "platform/RoadTrace.h"
#include "platform/ScreenshotSettings.h"
#include "platform/SettingsStore.h"
#include "render/AutoBackground.h"
#include "render/CanvasRenderer.h"
#include "render/CensorCache.h"
#include "ui/Toast.h"
#include "vision/SensitiveTextDetector.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

namespace {

// A focused, editable text field gets the paste instead of the image import; a spin box takes
// it through its own line edit.
bool pasteIntoFocusedTextField()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return false;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        if (spin->isReadOnly())
            return false;
        w = spin->findChild<QLineEdit*>();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->isReadOnly())
            return false;
        edit->paste();
        return true;
    }
    if (auto* edit = qobject_cast<QTextEdit*>(w); edit && !edit->isReadOnly()) {
        edit->paste();
        return true;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w); edit && !edit->isReadOnly()) {
        edit->paste();
        return true;
    }
    return false;
}

}

AppState::AppState(Services services, QObject* parent)
    : QObject(parent)
    , m_capture(std::make_unique<CaptureManager>(services.screenshotSettings, services.pasteboard))
    , m_pasteboard(services.pasteboard)
    , m_prefs(services.prefs)
    , m_presets(services.presets)
    , m_settings(services.settings)
    , m_scan(std::move(services.scan))
    , m_render(std::move(services.render))
{
    QPointer<AppState> self(this);
    connect(m_capture.get(), &CaptureManager::didCapture, this, [self](const CapturedShot& shot) {
        if (self)
            self->handleCapturedShot(shot);
    });
    connect(m_capture.get(), &CaptureManager::didImport, this, [self](const CapturedShot& shot) {
        if (self)
            self->openShotInEditor(shot);
    });
    connect(m_capture.get(), &CaptureManager::failed, this, [](const QString& message) { showFailureToast(message); });
}

AppState::~AppState() = default;

AppState& AppState::shared()
{
    static AppState* instance = new AppState(Services {
        ScreenshotSettings::shared(),
        Pasteboard::shared(),
        Preferences::shared(),
        PresetStore::shared(),
        SettingsStore::shared(),
        [](const QImage& image, QObject* receiver, std::function<void(DetectionOutcome)> done) {
            runSensitiveTextDetection(image, receiver, std::move(done));
        },
        [](const EditorDocument& document) { return renderDocumentImage(document); },
    });
    return *instance;
}

void AppState::setDocument(std::shared_ptr<EditorDocument> document)
{
    if (document == m_document)
        return;
    m_document = std::move(document);
    Q_EMIT documentChanged();
}

bool AppState::replaceDocument(std::shared_ptr<EditorDocument> document)
{
    if (m_document && document != m_document && m_document->hasEditsSinceCopyOrExport()) {
        // One question at a time (openDocument makes later requests wait for it).
        if (m_askingToReplace)
            return false;
        m_askingToReplace = true;
        const bool replace = askToReplaceEditedShot();
        m_askingToReplace = false;
        if (!replace)
            return false;
    }
    setDocument(std::move(document));
    return true;
}

void AppState::openDocument(std::shared_ptr<EditorDocument> document)
{
    if (m_askingToReplace) {
        // The question stands over the panel and tray: what they open now waits for its answer.
        m_waitingToOpen = std::move(document);
        return;
    }
    while (document) {
        if (replaceDocument(document) && m_focusMainWindow)
            m_focusMainWindow();
        document = std::exchange(m_waitingToOpen, nullptr);
    }
}

void AppState::quit()
{
    if (m_askingToQuit)
        return;
    if (m_document && m_document->hasEditsSinceCopyOrExport()) {
        m_askingToQuit = true;
        const bool quit = askToQuitWithEdits();
        m_askingToQuit = false;
        if (!quit)
            return;
    }
    if (m_quitAction)
        m_quitAction();
    else
        QCoreApplication::quit();
}

std::pair<BeautifySettings, QString> AppState::styleForNewShot(const QImage& image) const
{
    const QString wanted = m_prefs.defaultPresetID();
    if (!wanted.isEmpty()) {
        for (const StylePreset& preset : m_presets.presets()) {
            if (uuidString(preset.id) == wanted)
                return { styleForShot(preset.settings, BeautifySettings::defaults().cropRect), wanted };
        }
    }
    BeautifySettings settings = BeautifySettings::defaults();
    settings.watermark = m_prefs.showWatermarkByDefault();
    settings.background = chooseAutoBackground(image);
    return { settings, QString::fromLatin1(autoStyleKey) };
}

void AppState::handleCapturedShot(const CapturedShot& shot)
{
    // A later shot overwrites this and so voids the earlier one's presentation.
    m_pendingNotchShotID = shot.id;
    m_prepared.reset();
    const auto [settings, styleKey] = styleForNewShot(shot.image);

    QPointer<AppState> self(this);
    m_scan(shot.image, this, [self, shot, settings = settings, styleKey = styleKey](DetectionOutcome detections) {
        if (self)
            self->completeCapturedShot(shot, settings, styleKey, detections);
    });
    // On the next turn, so that of a burst of shots only the newest is prepared.
    QTimer::singleShot(0, this, [self, shot, settings = settings] {
        if (self)
            self->prepareShot(shot, settings);
    });
}

void AppState::prepareShot(const CapturedShot& shot, const BeautifySettings& settings)
{
    if (m_pendingNotchShotID != shot.id)
        return; // already presented, or superseded
    PreparedShot prepared { shot.id, settings,
        std::make_shared<EditorDocument>(shot.image, shotFileName(shot), settings, DetectionResult {}, m_scan), {} };
    // Kept until the shot is presented: a render with findings starts from it.
    prepareCanvasBackdrop(shot.image, effectiveSettings(settings));
    prepared.styledImage = m_render(*prepared.document);
    m_prepared = std::move(prepared);
    // What hidden areas show does not depend on where they are: made now, it is ready when the
    // recognition finds something.
    CensorCache::shared().prepare(shot.image, settings.redactStyle, settings.redactIntensity, this);
}

void AppState::completeCapturedShot(const CapturedShot& shot, const BeautifySettings& settings, const QString& styleKey,
    const DetectionOutcome& detections)
{
    if (m_pendingNotchShotID != shot.id)
        return;
    traceRoad("recognised");

    const BeautifySettings styled = withDetectedKinds(settings, detections.found);

    std::optional<PreparedShot> prepared = std::exchange(m_prepared, std::nullopt);
    if (prepared && (prepared->shotID != shot.id || !(prepared->settings == styled) || prepared->styledImage.isNull()))
        prepared.reset();
    std::shared_ptr<EditorDocument> document;
    QImage styledImage;
    if (prepared) {
        // Built without detections and with the same style: the same document once it has them,
        // and the same render as long as they hide nothing.
        prepared->document->applyScanOutcome(detections);
        if (prepared->document->allRedactionRects().isEmpty()) {
            document = prepared->document;
            styledImage = prepared->styledImage;
        }
    }
    // Let go of the prepared render first: unshared, a render with findings can paint over it in place.
    prepared.reset();
    if (!document) {
        document = std::make_shared<EditorDocument>(shot.image, shotFileName(shot), styled, detections, m_scan);
        styledImage = m_render(*document);
    }
    // A failed render shows (and copies) the raw shot as what it is; nothing is cached, so
    // choosing the style again renders again.
    const bool rendered = !styledImage.isNull();
    if (!rendered)
        styledImage = shot.image;
    traceRoad("rendered");

    std::optional<RedactionSummary> summary;
    RedactionSummary counts { document->redactionCounts() };
    if (!counts.counts.empty() && counts.total() > 0)
        summary = counts;

    auto session = std::make_shared<NotchSession>();
    session->rawImage = shot.image;
    session->document = document;
    session->redactionSummary = summary;
    session->textCheckFailed = detections.didFail();
    session->styledImage = styledImage;
    session->showingRaw = !rendered;
    if (rendered)
        session->renderCache.insert(styleKey, styledImage);
    session->currentStyleKey = styleKey;

    m_pendingNotchShotID.reset();
    if (m_presenter)
        m_presenter->present(session);
    traceRoad("presented");
    // Freeing the backdrop's pages takes a few milliseconds: after presenting, while the PNG is
    // encoded on other threads.
    releaseCanvasBackdrop();
}

void AppState::openShotInEditor(const CapturedShot& shot)
{
    BeautifySettings settings = BeautifySettings::defaults();
    settings.background = fromRaw<BackgroundPreset>(m_prefs.defaultBackgroundRaw()).value_or(BackgroundPreset::ocean);
    settings.watermark = m_prefs.showWatermarkByDefault();
    openDocument(std::make_shared<EditorDocument>(shot.image, shotFileName(shot), settings, std::nullopt, m_scan));
}

void AppState::pasteScreenshot()
{
    if (pasteIntoFocusedTextField())
        return;
    // Not while the onboarding is on screen; "show onboarding again" clears the stored flag
    // without showing it, so the stored flag is not what decides.
    if (m_onboardingOnScreen)
        return;
    // Read without waiting on the program that offers the image; what stands in the way is
    // said by the capture manager's failure toast.
    m_capture->pasteFromClipboard();
}

std::optional<QImage> AppState::renderForCopy()
{
    if (!m_document)
        return std::nullopt;
    const EditorDocument::Content copied = m_document->content();
    const QImage image = m_render(*m_document);
    if (image.isNull())
        return QImage();
    m_pasteboard.writeImage(image);
    m_document->markCopiedOrExported(copied);
    return image;
}

void AppState::copyBeautifiedImage()
{
    const auto image = renderForCopy();
    if (!image)
        return;
    if (image->isNull())
        showFailureToast(tr("Copy failed"));
    else
        showToast(tr("Copied to clipboard"));
}

namespace {
// Linux has no application-wide hide: put the windows the application opened away.
// The toast (a tool window) stays to say what happened. Window types share flag bits, so
// compare whole types. Qt's tray icon on an XEmbed tray host is a top-level widget of its own,
// living inside the host's panel: hidden, the host shrinks it to a sliver that takes no clicks.
void hideApplicationWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (!window->isVisible() || type == Qt::ToolTip || type == Qt::Tool || type == Qt::Popup)
            continue;
        if (window->inherits("QSystemTrayIconSys"))
            continue;
        window->hide();
    }
}
}

bool AppState::instantCopyBeautified()
{
    const auto image = renderForCopy();
    if (!image)
        return false;
    if (image->isNull()) {
        showFailureToast(tr("Copy failed"));
        return false;
    }
    showToast(tr("Copied — see you next shot"));
    setDocument(nullptr);
    hideApplicationWindows();
    return true;
}
