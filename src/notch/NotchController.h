#pragma once

#include "model/BeautifySettings.h"
#include "model/RedactionSummary.h"
#include "model/SocialPlatform.h"
#include "model/StylePreset.h"
#include "notch/NotchSession.h"
#include "platform/AtomicFile.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class EditorDocument;
class NotchPanel;
class Pasteboard;
class Preferences;
class PresetStore;
class QMimeData;
class QPropertyAnimation;
class ScreenGeometry;
class SerialExecutor;
class EncodedImage;

// How a shot is restyled: its document takes the new settings (the editor continues with them),
// and the shot is rendered in them (a null image when the render fails). Main thread.
struct NotchStyling {
    std::function<void(NotchSession& session, const BeautifySettings& settings)> applySettings;
    std::function<QImage(const NotchSession& session, const BeautifySettings& settings)> render;

    // The session's document takes the settings; the canvas renders the document (its image,
    // annotations and redactions, with the current watermark) at the render scale.
    static NotchStyling canvas();
};

// Where drag-out PNGs go. `write` runs on the controller's one writer thread; with a destination
// it replaces that file, without one it makes a new file. It returns the file's path, or none
// when the write failed.
struct DragFileStore {
    // The file's path; none on failure, with why in `failure` when it is given.
    std::function<std::optional<QString>(
        const EncodedImage& image, const std::optional<QString>& destination, FileWriteFailure* failure)>
        write;
    std::function<void(const QString& path)> remove;

    // The private temporary folder's drag files.
    static DragFileStore temporaryFiles();
};

// What the panel hands over to the rest of the application.
struct NotchHandlers {
    // Continue with the shot's document in the full editor (set the application's document, then
    // bring the main window forward).
    std::function<void(std::shared_ptr<EditorDocument>)> openInEditor;
    // Open a platform's compose page; false when nothing could open it.
    std::function<bool(const QUrl&)> openURL;
    // A one-line confirmation.
    std::function<void(const QString&)> showToast;
    // A one-line failure.
    std::function<void(const QString&)> showFailureToast;

    // Opens URLs with the desktop and shows the shared toast; no editor.
    static NotchHandlers desktop();
};

// Presents each new shot in the panel that hangs from the top centre of the screen: copies the
// styled image to the clipboard, keeps a PNG of the shown image for dragging out, fades the panel
// in and hides it again after 4 s unless the pointer rests on it. While the panel is up the panel
// view restyles, toggles, shares, discards and opens the shot through the operations below.
// Every change of the shown image goes to the clipboard at once. Main thread only.
class NotchController final : public QObject, public NotchPresenter {
    Q_OBJECT
public:
    enum class Phase { hidden, revealed };

    static constexpr qreal kPanelHeight = 452;
    static constexpr qreal kPanelMargin = 28; // the panel is this much wider than the card
    static constexpr int kFadeInMs = 180;
    static constexpr int kFadeOutMs = 280;
    static constexpr double kDismissDelay = 4.0;

    NotchController(Preferences& prefs, PresetStore& presetStore, Pasteboard& pasteboard, ScreenGeometry& screens,
        NotchStyling styling, DragFileStore files, NotchHandlers handlers = {}, QObject* parent = nullptr);
    ~NotchController() override;

    // The application's controller: the shared stores, the desktop's clipboard and screens, the
    // canvas, and the private drag-out folder. The shell sets the editor handler.
    static NotchController& shared();

    // The card's content width for a raw image of this size (in points).
    static qreal contentWidthFor(const QSizeF& rawSize);
    // The panel's frame for a card of this width on a screen with this frame: centred, its top
    // edge on the screen's top edge.
    static QRect panelFrame(const QRect& screenFrame, qreal contentWidth);

    // Published state the panel view draws.
    QImage thumbnail() const { return m_thumbnail; }
    void setThumbnail(const QImage& image);
    bool showingRaw() const { return m_showingRaw; }
    void setShowingRaw(bool raw);
    QList<StylePreset> presets() const { return m_presets; }
    void setPresets(const QList<StylePreset>& presets);
    QString defaultPresetID() const { return m_defaultPresetID; }
    void setDefaultPresetID(const QString& id);
    QString currentStyleKey() const { return m_currentStyleKey; }
    void setCurrentStyleKey(const QString& key);
    std::optional<RedactionSummary> redactionSummary() const { return m_redactionSummary; }
    void setRedactionSummary(const std::optional<RedactionSummary>& summary);
    // The shot's text could not be checked, so nothing in it was hidden.
    bool textCheckFailed() const { return m_textCheckFailed; }
    void setTextCheckFailed(bool failed);
    // A shot whose text could not be checked is not put on the clipboard by itself: what the
    // user copied stays until they copy from the panel themselves (the toggle, a share circle).
    bool copyWithheld() const { return m_copyWithheld; }
    void setCopyWithheld(bool withheld);
    QList<SocialPlatform> socialPlatforms() const { return m_socialPlatforms; }
    void setSocialPlatforms(const QList<SocialPlatform>& platforms);
    Phase phase() const { return m_phase; }
    void setPhase(Phase phase);
    qreal contentWidth() const { return m_contentWidth; }
    void setContentWidth(qreal width);

    // The one panel, created by the first presentation; null before.
    NotchPanel* panel() const;
    std::shared_ptr<NotchSession> session() const { return m_session; }
    // The desktop's top bar height on the panel's screen; none without a screen.
    std::optional<int> screenTopInset() const;
    bool isDismissPending() const { return m_dismissWork.isActive(); }
    void setHandlers(NotchHandlers handlers);

    // Shows a new shot (called by the new-shot pipeline).
    void present(std::shared_ptr<NotchSession> session) override;
    // Hides the panel and ends the session once the fade-out is over.
    void dismiss();
    // (Re-)arms the auto-dismiss.
    void scheduleDismiss(double seconds = kDismissDelay);
    // Stops a pending auto-dismiss (the pointer entered the pill).
    void cancelDismiss();
    // The hover hold: while the pointer rests on the card or the share row nothing re-arms the
    // auto-dismiss (a toggle, a restyle); letting go arms it anew.
    void holdDismiss(bool held);
    bool isDismissHeld() const { return m_dismissHeld; }

    // Switches the shown (and copied) image between the raw and the styled shot.
    void toggleRaw();
    // Restyles the shot: at once from the render cache, else rendered on a later turn.
    void applyStyle(const QString& key, const BeautifySettings& settings);
    // The default style with a background chosen from the shot's colours.
    void applyAutoStyle();
    // Makes a preset the default for new shots, or clears the default when it already is.
    void setDefaultPreset(const QUuid& id);

    // The drag item: the shown image's PNG file (written now if no write has finished yet).
    // Empty data without a session or a file.
    QMimeData* dragItemProvider();
    // While a drag runs, neither the auto-dismiss nor any replacement removes a drag file; the
    // dismissal due meanwhile is re-armed when the drag ends.
    void dragStarted();
    void dragEnded();
    bool isDragging() const { return m_dragging; }
    // How long a dragged file that another shot superseded outlives the drop: the target reads
    // it after the drop (our own window does, on another thread).
    void setDroppedFileGraceMs(int ms) { m_droppedFileGraceMs = ms; }
    // Whether the shown image goes to the clipboard ("Copy beautified image to clipboard").
    bool copiesShownImage() const;

    // Copies the image, opens the platform's compose page and confirms with a toast.
    void shareToSocial(SocialPlatform platform, const QImage& image);
    // The share circle's action: shares the shown image, then dismisses.
    void shareShownImage(SocialPlatform platform);
    // Removes our copy from the clipboard (only while the clipboard still holds it), then
    // dismisses.
    void discard();
    // Dismisses and hands the shot's document to the editor.
    void openInEditor();

    // The file writer's queue (tests and quit wait on it).
    void waitForFileWrites();

Q_SIGNALS:
    void thumbnailChanged();
    void showingRawChanged();
    void presetsChanged();
    void defaultPresetIDChanged();
    void currentStyleKeyChanged();
    void redactionSummaryChanged();
    void textCheckFailedChanged();
    void copyWithheldChanged();
    void socialPlatformsChanged();
    void phaseChanged();
    void contentWidthChanged();
    // A new panel view was installed for a presentation.
    void presented();
    // The shown shot is gone: its panel faded out or was never made.
    void sessionEnded();

private:
    void positionPanel();
    // Copies the shown image to the clipboard (unless that is off or withheld) and writes its
    // drag-out file from one encode.
    void show(const QImage& image);
    void writeTempFile(const EncodedImage& image, const std::shared_ptr<NotchSession>& session);
    void recordTempFile(const std::shared_ptr<NotchSession>& session, const std::optional<QString>& destination,
        const std::optional<QString>& written);
    void removeTempFile();
    void removeDragFile(const QString& path);
    void useRenderedImage(const QImage& image, const QString& key);
    void renderStyledImage(const std::shared_ptr<NotchSession>& session, const QString& key,
        const BeautifySettings& settings);
    void dismissDue();
    void fadeOutFinished(quint64 generation);

    Preferences& m_prefs;
    PresetStore& m_presetStore;
    Pasteboard& m_pasteboard;
    ScreenGeometry& m_screens;
    NotchStyling m_styling;
    DragFileStore m_files;
    NotchHandlers m_handlers;
    std::unique_ptr<SerialExecutor> m_fileWriter;

    QImage m_thumbnail;
    bool m_showingRaw = false;
    QList<StylePreset> m_presets;
    QString m_defaultPresetID;
    QString m_currentStyleKey = QStringLiteral("auto");
    std::optional<RedactionSummary> m_redactionSummary;
    bool m_textCheckFailed = false;
    bool m_copyWithheld = false;
    // The pasteboard's write that holds the panel's copy; 0 while the panel made none.
    quint64 m_panelCopy = 0;
    bool m_dismissHeld = false;
    QList<SocialPlatform> m_socialPlatforms;
    Phase m_phase = Phase::hidden;
    qreal m_contentWidth = 620;

    QPointer<NotchPanel> m_panel;
    QPropertyAnimation* m_fade = nullptr;
    std::shared_ptr<NotchSession> m_session;
    QTimer m_dismissWork;
    quint64 m_generation = 0;
    bool m_fadingOut = false;
    // The style key of the image the session shows, so a failed render can put the selection back.
    QString m_shownStyleKey;
    // Whether the image shown is the raw shot, so a failed render can put the header back.
    bool m_shownRaw = false;

    bool m_dragging = false;
    QSet<QString> m_removeAfterDrag;
    int m_droppedFileGraceMs = int(kDismissDelay * 1000); // as long as a shown shot's file outlives its drop
};
