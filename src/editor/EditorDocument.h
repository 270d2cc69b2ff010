#pragma once

#include "model/Annotation.h"
#include "model/AnnotationTool.h"
#include "model/BeautifySettings.h"
#include "model/DetectionOutcome.h"
#include "model/RedactionKind.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <optional>

// Mean colour of the image (premultiplied, rounded to 8 bits per channel, as a one-pixel area
// average gives it) weighted 0.299 R + 0.587 G + 0.114 B, in 0 to 1. None for a null image.
std::optional<double> averageLuminance(const QImage& image);

// Annotations drawn over the canvas of style `from` moved onto the canvas of style `to`. Where the
// crop or a flip differs they stay over the same part of the image (mirrored with it, text still
// reading left to right); otherwise they keep their distance in points from the image's centre.
// Text keeps its size in points. A canvas of no or endless size leaves them as they are.
QList<Annotation> remappedAnnotations(
    QSizeF imageSize, const BeautifySettings& from, const BeautifySettings& to, QList<Annotation> annotations);

// Starts recognising the sensitive text of an image and calls the completion once on the main
// thread with what it found, or with its failure; it may drop the call when `receiver` is
// destroyed first.
using SensitiveTextScan =
    std::function<void(const QImage& image, QObject* receiver, std::function<void(DetectionOutcome)> completion)>;

// The editable state of one shot: its image and style, the annotations over the canvas, the
// sensitive text found in it and the rectangles hidden by hand, the editor's tool, selection and
// zoom, and a bounded undo history. Used with and without a view (the notch panel restyles
// through a document no view shows), so every reaction to a change runs from the setters.
// Main thread only.
//
// Annotation geometry is in fractions of the whole canvas; redaction rectangles and the crop are
// in fractions of the uncropped image. Setters never record an undo step: callers that want one
// call pushUndo() once before the change. The operations below say which of them push.
class EditorDocument : public QObject {
    Q_OBJECT
public:
    static constexpr int maxUndoSteps = 60;
    static constexpr double minZoom = 0.25;
    static constexpr double maxZoom = 4.0;
    static constexpr double zoomStep = 0.25;
    // A hand-drawn redaction must be larger than this on both sides to be kept.
    static constexpr double minManualRedactionSide = 0.005;

    // With `detected` (what a scan found, or its failure) the document applies it at once and
    // recognises nothing itself. Without, it runs runSensitiveTextDetection over its own image
    // and applies the outcome on a later turn of the event loop, unless the document is gone by
    // then; a null image counts as scanned with nothing found.
    EditorDocument(const QImage& image, const QString& title, const BeautifySettings& settings,
        std::optional<DetectionOutcome> detected, QObject* parent = nullptr);
    // The same with a scan of the caller's choosing (tests); an empty one finds nothing.
    EditorDocument(const QImage& image, const QString& title, const BeautifySettings& settings,
        std::optional<DetectionOutcome> detected, SensitiveTextScan scan, QObject* parent = nullptr);
    ~EditorDocument() override;

    QUuid id() const { return m_id; }
    // The shot as opened, uncropped.
    QImage image() const { return m_image; }

    QString title() const { return m_title; }
    void setTitle(const QString& title);

    BeautifySettings settings() const { return m_settings; }
    // Refilters the detected rectangles when the enabled kinds change and, unless a snapshot is
    // being applied, moves the annotations so they keep their place (remappedAnnotations).
    void setSettings(const BeautifySettings& settings);
    // Writes a whole style chosen for the shot (a preset, the automatic style): the style's own
    // hidden kinds plus those hidden now (a restyle uncovers nothing, and a kind the user switched
    // off stays off unless the style hides it), and the shot's own crop (a preset's crop belonged
    // to the shot it was saved from).
    void applyStyle(const BeautifySettings& settings);

    std::optional<QString> selectedPresetName() const { return m_selectedPresetName; }
    void setSelectedPresetName(const std::optional<QString>& name);

    QList<Annotation> annotations() const { return m_annotations; }
    void setAnnotations(const QList<Annotation>& annotations);

    AnnotationTool tool() const { return m_tool; }
    void setTool(AnnotationTool tool);

    std::optional<QUuid> selectedAnnotation() const { return m_selectedAnnotation; }
    void setSelectedAnnotation(const std::optional<QUuid>& id);

    // The colour given to new annotations, 0xRRGGBB (set with setAnnotationColor).
    int annotationColor() const { return m_annotationColor; }
    // Font family for new text annotations; none means the bold system font (set with
    // setAnnotationFont).
    std::optional<QString> annotationFont() const { return m_annotationFont; }

    double zoom() const { return m_zoom; }
    void setZoom(double zoom);

    // Each change asks the canvas stage to bring its pan back to the centre.
    int panResetToken() const { return m_panResetToken; }
    void setPanResetToken(int token);

    bool isEditingText() const { return m_isEditingText; }
    void setEditingText(bool editing);

    std::optional<QUuid> editingAnnotationID() const { return m_editingAnnotationID; }
    void setEditingAnnotationID(const std::optional<QUuid>& id);

    // Detected rectangles of the kinds enabled in the settings.
    QList<QRectF> redactionRects() const { return m_redactionRects; }
    // Rectangles found per kind; a kind with no entry was not found.
    std::map<RedactionKind, int> redactionCounts() const { return m_redactionCounts; }

    QList<QRectF> manualRedactions() const { return m_manualRedactions; }
    void setManualRedactions(const QList<QRectF>& rects);

    // May point past the end of manualRedactions; every operation checks the bound.
    std::optional<int> selectedManualRedaction() const { return m_selectedManualRedaction; }
    void setSelectedManualRedaction(const std::optional<int>& index);

    DetectionResult detected() const { return m_detected; }
    bool didScan() const { return m_didScan; }
    // The scan could not run (no model, an engine that failed): nothing in the shot was checked.
    bool scanFailed() const { return m_scanFailed; }
    bool isApplyingSnapshot() const { return m_isApplyingSnapshot; }

    // The detected rectangles of the enabled kinds followed by the hand-drawn ones: what every
    // render of the document hides.
    QList<QRectF> allRedactionRects() const;
    // The first annotation whose id is the selected one.
    std::optional<Annotation> selectedAnnotationValue() const;

    // Appends and selects it. Pushes an undo step first.
    void addAnnotation(const Annotation& annotation);
    // Removes every annotation with the selected id and clears the selection. Pushes an undo
    // step first whenever something is selected, even an id no annotation has any more.
    void deleteSelectedAnnotation();
    // Sets the default colour and that of the selected annotation.
    void setAnnotationColor(int rgb);
    // Sets the default font and, when a text annotation is selected, its font.
    void setAnnotationFont(const std::optional<QString>& family);
    // Sets the selected annotation's line width; the document keeps no default width.
    void setSelectedLineWidth(double lineWidthFraction);

    // Standardises the rectangle and, when both sides exceed the minimum and it is finite,
    // appends and selects it (pushing an undo step first); otherwise does nothing.
    void addManualRedaction(const QRectF& rect);
    // The last hand-drawn rectangle that contains the point; maximum edges are outside.
    std::optional<int> manualRedactionIndex(const QPointF& imagePoint) const;
    // Replaces the rectangle at `index` as given (a resize may pass it inverted); ignores an index
    // out of range.
    void updateManualRedaction(int index, const QRectF& rect);
    // Removes the selected hand-drawn rectangle (pushing an undo step first) and returns true;
    // false, changing nothing, without a valid selection.
    bool deleteSelectedManualRedaction();

    void zoomIn();
    void zoomOut();
    void resetZoom();

    // What a copy or an export takes from the document: its style, annotations and hand-drawn
    // redactions.
    struct Content {
        BeautifySettings settings;
        QList<Annotation> annotations;
        QList<QRectF> manualRedactions;
        bool operator==(const Content& other) const; // exact
    };
    Content content() const;
    // Records `content` (taken when the copy or export was rendered) as what the user has.
    void markCopiedOrExported(const Content& content);
    // Whether the content differs from the last copy or export, or from the shot as opened when
    // there was none: what replacing the document would lose.
    bool hasEditsSinceCopyOrExport() const;

    // Records settings, annotations and hand-drawn redactions; keeps the newest 60 and empties
    // the redo history.
    void pushUndo();
    // Step back or forward; clears both selections. Nothing happens without history.
    void undo();
    void redo();
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    int undoCount() const { return int(m_undoStack.size()); }
    int redoCount() const { return int(m_redoStack.size()); }

    // Stores a detection result, counts it per kind and refilters the hidden rectangles.
    void applyDetections(const DetectionResult& detections);
    // A scan that could not run: scanned with nothing found, and scanFailed() says so.
    void applyScanFailure();
    // The found rectangles, or the failure.
    void applyScanOutcome(const DetectionOutcome& outcome);
    // Recomputes the hidden rectangles from the detections and the enabled kinds; nothing before
    // the first detection result.
    void refreshRedactions();

Q_SIGNALS:
    void titleChanged();
    void settingsChanged();
    void selectedPresetNameChanged();
    void annotationsChanged();
    void toolChanged();
    void selectedAnnotationChanged();
    void annotationColorChanged();
    void annotationFontChanged();
    void zoomChanged();
    void panResetTokenChanged();
    void isEditingTextChanged();
    void editingAnnotationIDChanged();
    void redactionRectsChanged();
    void redactionCountsChanged();
    void scanFailedChanged();
    void manualRedactionsChanged();
    void selectedManualRedactionChanged();
    // The undo or redo history changed (what enables the toolbar's buttons).
    void historyChanged();

private:
    struct Snapshot {
        BeautifySettings settings;
        QList<Annotation> annotations;
        QList<QRectF> manualRedactions;
    };

    // Stores the value and announces it, when it differs.
    template <typename T>
    void publish(T& field, const T& value, void (EditorDocument::*changed)());
    Snapshot makeSnapshot() const;
    void applySnapshot(const Snapshot& snapshot);
    void step(QList<Snapshot>& source, QList<Snapshot>& target);
    void settingsDidSet(const BeautifySettings& old);
    void remapAnnotations(const BeautifySettings& from, const BeautifySettings& to);
    // Changes the first annotation whose id is the selected one; false when there is none.
    bool editSelectedAnnotation(const std::function<void(Annotation&)>& change);
    void startScan(const SensitiveTextScan& scan);

    const QUuid m_id = QUuid::createUuid();
    const QImage m_image;
    QString m_title;
    bool m_isApplyingSnapshot = false;
    BeautifySettings m_settings;
    std::optional<QString> m_selectedPresetName;
    QList<Annotation> m_annotations;
    AnnotationTool m_tool = AnnotationTool::select;
    std::optional<QUuid> m_selectedAnnotation;
    int m_annotationColor = 0xFFFFFF;
    std::optional<QString> m_annotationFont;
    double m_zoom = 1.0;
    int m_panResetToken = 0;
    bool m_isEditingText = false;
    std::optional<QUuid> m_editingAnnotationID;
    QList<QRectF> m_redactionRects;
    std::map<RedactionKind, int> m_redactionCounts;
    QList<QRectF> m_manualRedactions;
    std::optional<int> m_selectedManualRedaction;
    DetectionResult m_detected;
    bool m_didScan = false;
    bool m_scanFailed = false;
    QList<Snapshot> m_undoStack; // oldest first
    QList<Snapshot> m_redoStack; // newest last
    Content m_copiedOrExported;
};
