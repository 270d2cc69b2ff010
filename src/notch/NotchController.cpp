#include "notch/NotchController.h"

#include "core/Async.h"
#include "core/Log.h"
#include "core/SerialExecutor.h"
#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"
#include "image/EncodedImage.h"
#include "image/PngEncoder.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "model/UuidText.h"
#include "model/WatermarkConfig.h"
#include "notch/NotchPanel.h"
#include "notch/NotchPanelView.h"
#include "platform/Pasteboard.h"
#include "platform/PlatformTexts.h"
#include "platform/ScreenGeometry.h"
#include "render/AutoBackground.h"
#include "render/CanvasRenderer.h"
#include "render/PngFiles.h"
#include "ui/Toast.h"

#include <QDesktopServices>
#include <QMimeData>
#include <QPropertyAnimation>

#include <algorithm>
#include <cmath>

namespace {
const QString kAutoKey = QStringLiteral("auto");

// Publishes a value: stores it and announces it when it differs.
template <typename T>
void publish(NotchController* self, T& field, const T& value, void (NotchController::*changed)())
{
    if (field == value)
        return;
    field = value;
    Q_EMIT(self->*changed)();
}
}

NotchStyling NotchStyling::canvas()
{
    return { [](NotchSession& session, const BeautifySettings& settings) {
                if (session.document)
                    session.document->applyStyle(settings);
            },
        // The document already holds the settings (applySettings runs first).
        [](const NotchSession& session, const BeautifySettings&) -> QImage {
            return session.document ? renderDocumentImage(*session.document) : QImage();
        } };
}

DragFileStore DragFileStore::temporaryFiles()
{
    return { [](const EncodedImage& image, const std::optional<QString>& destination, FileWriteFailure* failure) {
                // The bytes the clipboard serves: the image is encoded once.
                return writeTempPNGData(image.png(), destination, failure);
            },
        [](const QString& path) { removeTempPNG(path); } };
}

NotchHandlers NotchHandlers::desktop()
{
    NotchHandlers handlers;
    handlers.openURL = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    handlers.showToast = [](const QString& message) { ::showToast(message); };
    handlers.showFailureToast = [](const QString& message) { ::showFailureToast(message); };
    return handlers;
}

NotchController::NotchController(Preferences& prefs, PresetStore& presetStore, Pasteboard& pasteboard,
    ScreenGeometry& screens, NotchStyling styling, DragFileStore files, NotchHandlers handlers, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_presetStore(presetStore)
    , m_pasteboard(pasteboard)
    , m_screens(screens)
    , m_styling(std::move(styling))
    , m_files(std::move(files))
    , m_handlers(std::move(handlers))
    , m_fileWriter(std::make_unique<SerialExecutor>())
{
    m_dismissWork.setSingleShot(true);
    m_dismissWork.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(&m_dismissWork, &QTimer::timeout, this, &NotchController::dismissDue);
}

NotchController::~NotchController()
{
    m_fileWriter->waitForDone();
    delete m_panel.data();
}

NotchController& NotchController::shared()
{
    static NotchController* controller = new NotchController(Preferences::shared(), PresetStore::shared(),
        Pasteboard::shared(), ScreenGeometry::shared(), NotchStyling::canvas(), DragFileStore::temporaryFiles(),
        NotchHandlers::desktop());
    return *controller;
}

qreal NotchController::contentWidthFor(const QSizeF& rawSize)
{
    const qreal w = rawSize.width(), h = rawSize.height();
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return 630;
    const qreal t = w * 116.0 / h; // the image's width at a height of 116
    qreal width;
    if (t <= 120)
        width = 600;
    else if (t > 360)
        width = 790;
    else
        width = std::max<qreal>(600, t + 430);
    return std::min<qreal>(width, 940);
}

QRect NotchController::panelFrame(const QRect& screenFrame, qreal contentWidth)
{
    const int width = int(std::lround(contentWidth + kPanelMargin));
    const int x = int(std::lround(screenFrame.left() + screenFrame.width() / 2.0 - width / 2.0));
    return QRect(x, screenFrame.top(), width, int(kPanelHeight));
}

// ---- published state -------------------------------------------------------------------------

void NotchController::setThumbnail(const QImage& image)
{
    // Images compare by pixels; identity is what matters here, and it is cheap.
    if (m_thumbnail.cacheKey() == image.cacheKey())
        return;
    m_thumbnail = image;
    Q_EMIT thumbnailChanged();
}

void NotchController::setShowingRaw(bool raw) { publish(this, m_showingRaw, raw, &NotchController::showingRawChanged); }
void NotchController::setPresets(const QList<StylePreset>& presets) { publish(this, m_presets, presets, &NotchController::presetsChanged); }
void NotchController::setDefaultPresetID(const QString& id) { publish(this, m_defaultPresetID, id, &NotchController::defaultPresetIDChanged); }
void NotchController::setCurrentStyleKey(const QString& key) { publish(this, m_currentStyleKey, key, &NotchController::currentStyleKeyChanged); }
void NotchController::setRedactionSummary(const std::optional<RedactionSummary>& summary) { publish(this, m_redactionSummary, summary, &NotchController::redactionSummaryChanged); }
void NotchController::setTextCheckFailed(bool failed) { publish(this, m_textCheckFailed, failed, &NotchController::textCheckFailedChanged); }
void NotchController::setCopyWithheld(bool withheld) { publish(this, m_copyWithheld, withheld, &NotchController::copyWithheldChanged); }
void NotchController::setSocialPlatforms(const QList<SocialPlatform>& platforms) { publish(this, m_socialPlatforms, platforms, &NotchController::socialPlatformsChanged); }
void NotchController::setPhase(Phase phase) { publish(this, m_phase, phase, &NotchController::phaseChanged); }
void NotchController::setContentWidth(qreal width) { publish(this, m_contentWidth, width, &NotchController::contentWidthChanged); }

NotchPanel* NotchController::panel() const
{
    return m_panel;
}

std::optional<int> NotchController::screenTopInset() const
{
    if (!m_screens.mainScreenFrame())
        return std::nullopt;
    return m_screens.topInset();
}

void NotchController::setHandlers(NotchHandlers handlers)
{
    m_handlers = std::move(handlers);
}

// ---- presenting and dismissing -----------------------------------------------------------------

void NotchController::present(std::shared_ptr<NotchSession> session)
{
    if (!session)
        return;
    m_dismissWork.stop();
    ++m_generation;
    m_fadingOut = false;
    removeTempFile(); // the previous shot's drag file
    m_session = std::move(session);
    m_shownStyleKey = m_session->currentStyleKey;
    m_panelCopy = 0;

    setPresets(m_presetStore.presets());
    setDefaultPresetID(m_prefs.defaultPresetID());
    setCurrentStyleKey(m_session->currentStyleKey);
    setRedactionSummary(m_session->redactionSummary);
    setTextCheckFailed(m_session->textCheckFailed);
    // Every secret in it would be readable: the user decides whether it goes to the clipboard.
    setCopyWithheld(m_session->textCheckFailed);
    // A shot whose first render failed arrives showing its raw image, and says so.
    setShowingRaw(m_session->showingRaw);
    m_shownRaw = m_session->showingRaw;
    setSocialPlatforms(m_prefs.orderedEnabledSocial());
    setThumbnail(m_session->styledImage);

    show(m_session->styledImage);
    setContentWidth(contentWidthFor(m_session->rawImage.deviceIndependentSize()));

    if (!m_panel) {
        m_panel = new NotchPanel;
        m_fade = new QPropertyAnimation(m_panel, "windowOpacity", m_panel);
    }
    positionPanel();
    setPhase(Phase::hidden);
    // A fresh view per shot: hover state and the pill's pending hide start empty.
    m_dismissHeld = false;
    m_panel->setView(new NotchPanelView(this));
    if (!m_dragging)
        m_panel->deleteRetiredViews();

    m_fade->stop();
    m_fade->disconnect(this);
    m_panel->setWindowOpacity(0.0);
    m_panel->present();
    m_fade->setDuration(kFadeInMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();

    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation && !m_fadingOut && m_session)
            setPhase(Phase::revealed);
    });
    scheduleDismiss(kDismissDelay);
    Q_EMIT presented();
}

void NotchController::positionPanel()
{
    const std::optional<QRect> screen = m_screens.mainScreenFrame();
    if (!screen || !m_panel)
        return; // without a screen the panel keeps its frame
    m_panel->setGeometry(panelFrame(*screen, m_contentWidth));
}

void NotchController::scheduleDismiss(double seconds)
{
    // The pointer rests on the panel: letting go arms the dismissal.
    if (m_dismissHeld)
        return;
    m_dismissWork.start(int(std::lround(seconds * 1000.0)));
}

void NotchController::cancelDismiss()
{
    m_dismissWork.stop();
}

void NotchController::holdDismiss(bool held)
{
    if (held == m_dismissHeld)
        return;
    m_dismissHeld = held;
    if (held)
        m_dismissWork.stop();
    else if (m_session && !m_fadingOut)
        scheduleDismiss(kDismissDelay);
}

void NotchController::dismissDue()
{
    // Taking the panel (and with it the drag file) away under a running drag would break the
    // drop; the dismissal waits for the drag to end.
    if (!m_dragging)
        dismiss();
}

void NotchController::dismiss()
{
    m_dismissWork.stop();
    if (!m_panel) {
        m_session.reset();
        setRedactionSummary(std::nullopt);
        setTextCheckFailed(false);
        setCopyWithheld(false);
        Q_EMIT sessionEnded();
        return;
    }
    const quint64 generation = m_generation;
    m_fadingOut = true;
    setPhase(Phase::hidden);
    m_fade->stop();
    m_fade->disconnect(this);
    m_fade->setDuration(kFadeOutMs);
    m_fade->setStartValue(m_panel->windowOpacity());
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, this, [this, generation] { fadeOutFinished(generation); });
    m_fade->start();
}

void NotchController::fadeOutFinished(quint64 generation)
{
    // A presentation that began during the fade keeps its panel, session and file.
    if (generation != m_generation)
        return;
    m_fadingOut = false;
    if (m_panel)
        m_panel->hide();
    removeTempFile();
    m_session.reset();
    setRedactionSummary(std::nullopt);
    setTextCheckFailed(false);
    setCopyWithheld(false);
    // Nothing shows the shot any more: let go of its images.
    if (m_panel) {
        m_panel->retireView();
        if (!m_dragging)
            m_panel->deleteRetiredViews();
    }
    setThumbnail(QImage());
    Q_EMIT sessionEnded();
}

// ---- the shown image -----------------------------------------------------------------------------

void NotchController::show(const QImage& image)
{
    // One encode serves the clipboard and the drag-out file.
    const EncodedImage encoded = EncodedImage::start(image, PngEncoder::encode);
    // Switched off in Settings: what the user copied stays; they copy from the panel by a drag
    // or a share circle, or from the editor.
    if (copiesShownImage() && !m_copyWithheld) {
        m_pasteboard.writeEncoded(encoded);
        m_panelCopy = m_pasteboard.writeCount();
    }
    writeTempFile(encoded, m_session);
}

bool NotchController::copiesShownImage() const
{
    return m_prefs.copyAfterCapture();
}

void NotchController::toggleRaw()
{
    if (!m_session)
        return;
    // The toggle copies what it shows: the user's own choice, also for an unchecked shot.
    setCopyWithheld(false);
    if (m_showingRaw && !m_session->renderCache.contains(m_currentStyleKey)) {
        // No render of this style has succeeded yet: try one rather than call the raw shot styled.
        applyStyle(m_currentStyleKey, m_session->document ? m_session->document->settings() : BeautifySettings::defaults());
        return;
    }
    setShowingRaw(!m_showingRaw);
    m_shownRaw = m_showingRaw;
    const QImage image = m_showingRaw ? m_session->rawImage : m_session->styledImage;
    setThumbnail(image);
    show(image);
    scheduleDismiss(kDismissDelay);
}

void NotchController::applyStyle(const QString& key, const BeautifySettings& settings)
{
    if (!m_session)
        return;
    setShowingRaw(false);
    setCurrentStyleKey(key);
    if (m_styling.applySettings)
        m_styling.applySettings(*m_session, settings);
    const auto cached = m_session->renderCache.constFind(key);
    if (cached != m_session->renderCache.constEnd()) {
        useRenderedImage(*cached, key);
    } else {
        // Rendered on a later turn so the chip's selection shows first; a later press wins.
        QTimer::singleShot(0, this, [this, session = m_session, key, settings] { renderStyledImage(session, key, settings); });
    }
    scheduleDismiss(kDismissDelay);
}

void NotchController::renderStyledImage(
    const std::shared_ptr<NotchSession>& session, const QString& key, const BeautifySettings& settings)
{
    if (session != m_session || m_currentStyleKey != key)
        return;
    const QImage image = m_styling.render ? m_styling.render(*session, settings) : QImage();
    if (image.isNull()) {
        // Keep the image shown, cache nothing (the next press tries again) and put the selection
        // back on the style that is really shown.
        logLine(QStringLiteral("restyle render failed for style %1").arg(key));
        setCurrentStyleKey(m_shownStyleKey);
        setShowingRaw(m_shownRaw);
        return;
    }
    session->renderCache.insert(key, image);
    useRenderedImage(image, key);
}

void NotchController::useRenderedImage(const QImage& image, const QString& key)
{
    if (!m_session)
        return;
    m_session->styledImage = image;
    // Shown is copied: opened in the editor later, the shot has no edits to lose.
    if (m_session->document)
        m_session->document->markCopiedOrExported(m_session->document->content());
    m_shownStyleKey = key;
    m_shownRaw = false;
    setThumbnail(image);
    show(image);
}

void NotchController::applyAutoStyle()
{
    if (!m_session)
        return;
    BeautifySettings settings = BeautifySettings::defaults();
    settings.watermark = m_prefs.showWatermarkByDefault();
    settings.background = chooseAutoBackground(m_session->rawImage);
    applyStyle(kAutoKey, settings);
}

void NotchController::setDefaultPreset(const QUuid& id)
{
    const QString key = uuidString(id);
    m_prefs.setDefaultPresetID(m_prefs.defaultPresetID() == key ? QString() : key);
    setDefaultPresetID(m_prefs.defaultPresetID());
    scheduleDismiss(kDismissDelay);
}

// ---- drag-out files --------------------------------------------------------------------------------

void NotchController::writeTempFile(const EncodedImage& image, const std::shared_ptr<NotchSession>& session)
{
    // One writer thread: writes finish in the order they were asked for, so the file always ends
    // with the image shown last.
    const std::optional<QString> destination = session->tempFileURL;
    runInBackground(
        m_fileWriter->pool(), this, [write = m_files.write, image, destination] { return write(image, destination, nullptr); },
        [this, session, destination](std::optional<QString> written) { recordTempFile(session, destination, written); });
}

void NotchController::recordTempFile(const std::shared_ptr<NotchSession>& session,
    const std::optional<QString>& destination, const std::optional<QString>& written)
{
    if (session != m_session) {
        // The shot is gone: its file would be left behind for good.
        if (written)
            removeDragFile(*written);
        return;
    }
    const std::optional<QString> previous = session->tempFileURL;
    if (!written) {
        // The file no longer holds the shown image: drop it, and the next drag writes a fresh one.
        if (destination && previous == destination) {
            removeDragFile(*destination);
            session->tempFileURL.reset();
        }
        return;
    }
    // A newer file replaces an older one (two writes asked for before the first finished, or a
    // drag that wrote its own): the older one is superseded.
    if (previous && *previous != *written)
        removeDragFile(*previous);
    session->tempFileURL = written;
}

void NotchController::removeTempFile()
{
    if (!m_session || !m_session->tempFileURL)
        return;
    removeDragFile(*m_session->tempFileURL);
    m_session->tempFileURL.reset();
}

void NotchController::removeDragFile(const QString& path)
{
    if (m_dragging) {
        m_removeAfterDrag.insert(path);
        return;
    }
    m_files.remove(path);
}

QMimeData* NotchController::dragItemProvider()
{
    auto* mime = new QMimeData;
    if (!m_session)
        return mime;
    const QImage image = m_showingRaw ? m_session->rawImage : m_session->styledImage;
    FileWriteFailure failure;
    if (!m_session->tempFileURL) // no write has finished yet
        m_session->tempFileURL = m_files.write(EncodedImage::start(image, PngEncoder::encode), std::nullopt, &failure);
    if (m_session->tempFileURL)
        mime->setUrls({ QUrl::fromLocalFile(*m_session->tempFileURL) });
    else if (m_handlers.showFailureToast)
        // A drag with nothing in it drops nothing: the writer has logged why.
        m_handlers.showFailureToast(tr("Couldn't drag the screenshot out: %1")
                                        .arg(failure.error ? failure.reason() : tr("its file could not be written")));
    return mime;
}

void NotchController::dragStarted()
{
    m_dragging = true;
    m_dismissWork.stop();
}

void NotchController::dragEnded()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    if (m_panel)
        m_panel->deleteRetiredViews();
    const QSet<QString> files = std::exchange(m_removeAfterDrag, {});
    for (const QString& path : files) {
        if (!m_session || m_session->tempFileURL != path)
            QTimer::singleShot(m_droppedFileGraceMs, this, [remove = m_files.remove, path] { remove(path); });
    }
    // A dismissal that fell due during the drag, or the pointer that left the card with it:
    // hide 4 s from now, as on leaving the card.
    if (m_session && !m_fadingOut)
        scheduleDismiss(kDismissDelay);
}

void NotchController::waitForFileWrites()
{
    m_fileWriter->waitForDone();
}

// ---- leaving the panel -------------------------------------------------------------------------------

void NotchController::shareToSocial(SocialPlatform platform, const QImage& image)
{
    setCopyWithheld(false);
    m_pasteboard.writeImage(image);
    m_panelCopy = m_pasteboard.writeCount();
    // Without a browser to open the page, telling the user to paste there would send them looking
    // for a window that never came.
    const QUrl page = shareURL(platform);
    if (m_handlers.openURL && !m_handlers.openURL(page)) {
        logLine(QStringLiteral("sharing failed: nothing opened %1").arg(page.toString()));
        if (m_handlers.showFailureToast)
            m_handlers.showFailureToast(tr("Screenshot copied, but %1 could not be opened: no web browser answered").arg(title(platform)));
        return;
    }
    if (m_handlers.showToast)
        m_handlers.showToast(platformText("Screenshot copied — press ⌘V to paste in ") + title(platform));
}

void NotchController::shareShownImage(SocialPlatform platform)
{
    if (!m_session)
        return;
    shareToSocial(platform, m_showingRaw ? m_session->rawImage : m_session->styledImage);
    dismiss();
}

void NotchController::discard()
{
    // Only the panel's own copy goes: whatever the user copied since, here or in another program,
    // stays on the clipboard, and so does an earlier copy when the panel made none.
    if (m_panelCopy != 0 && m_pasteboard.writeCount() == m_panelCopy && m_pasteboard.ownsClipboard())
        m_pasteboard.clear();
    dismiss();
}

void NotchController::openInEditor()
{
    if (!m_session)
        return;
    std::shared_ptr<EditorDocument> document = m_session->document;
    dismiss();
    if (m_handlers.openInEditor)
        m_handlers.openInEditor(std::move(document));
}
