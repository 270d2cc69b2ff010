#include "core/ParallelFor.h"
#include "editor/EditorDocument.h"
#include "model/StylePreset.h"

#include "render/CanvasLayout.h"
#include "vision/SensitiveTextDetector.h"

#include <QPointer>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {
// A mostly white shot gets black marks, anything darker white ones.
constexpr double kDarkMarksAbove = 0.55;

// Exact, since rectangles are compared as stored values (QRectF's own == is fuzzy).
bool sameRect(const QRectF& x, const QRectF& y)
{
    return x.x() == y.x() && x.y() == y.y() && x.width() == y.width() && x.height() == y.height();
}

bool sameRects(const QList<QRectF>& a, const QList<QRectF>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const QRectF& x, const QRectF& y) {
        return sameRect(x, y);
    });
}
}

QList<Annotation> remappedAnnotations(
    QSizeF imageSize, const BeautifySettings& from, const BeautifySettings& to, QList<Annotation> annotations)
{
    if (annotations.isEmpty())
        return annotations;
    const CanvasLayout before = canvasLayout(imageSize, from);
    const CanvasLayout after = canvasLayout(imageSize, to);
    const double wo = before.canvasWidth;
    const double ho = before.canvasHeight;
    const double wn = after.canvasWidth;
    const double hn = after.canvasHeight;
    // Stored styles are not clamped: a canvas of no or endless size leaves the marks alone.
    for (double side : { wo, ho, wn, hn }) {
        if (!(side > 0 && std::isfinite(side)))
            return annotations;
    }

    std::function<QPointF(QPointF)> toPoints;
    const bool sameFlip = from.flipH == to.flipH && from.flipV == to.flipV;
    if (sameRect(before.crop, after.crop) && sameFlip) {
        if (wo == wn && ho == hn && before.titleBarHeight == after.titleBarHeight)
            return annotations;
        // The same part of the image is shown: every mark keeps its distance in points from the
        // image's centre, which a title bar coming or going moves within the card.
        const QPointF offset = imageRect(after, to).center() - imageRect(before, from).center();
        toPoints = [offset](QPointF p) { return p + offset; };
    } else {
        // Another crop or a flip shows the image otherwise: every mark stays over what it was
        // drawn on. The crop is taken before the shown part is mirrored about its centre.
        const QRectF shownBefore = imageRect(before, from);
        const QRectF shownAfter = imageRect(after, to);
        const QPointF originBefore = shownBefore.topLeft()
            - QPointF(before.crop.x() * before.fullWidth, before.crop.y() * before.fullHeight);
        const QPointF originAfter
            = shownAfter.topLeft() - QPointF(after.crop.x() * after.fullWidth, after.crop.y() * after.fullHeight);
        // Mirroring is its own inverse: it takes a shown point to the unmirrored one and back.
        const auto mirrored = [](QPointF p, const QRectF& shown, const BeautifySettings& s) {
            return QPointF(s.flipH ? shown.left() + shown.right() - p.x() : p.x(),
                s.flipV ? shown.top() + shown.bottom() - p.y() : p.y());
        };
        toPoints = [=](QPointF p) {
            const QPointF onImage = mirrored(p, shownBefore, from) - originBefore;
            return mirrored(onImage + originAfter, shownAfter, to);
        };
    }
    const auto map = [&](const QPointF& p) {
        const QPointF moved = toPoints(QPointF(p.x() * wo, p.y() * ho));
        return QPointF(moved.x() / wn, moved.y() / hn);
    };
    for (Annotation& a : annotations) {
        a.start = map(a.start);
        a.end = map(a.end);
        for (QPointF& p : a.points)
            p = map(p);
        a.fontFraction = a.fontFraction * ho / hn;
    }
    return annotations;
}

template <typename T>
void EditorDocument::publish(T& field, const T& value, void (EditorDocument::*changed)())
{
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)();
}

std::optional<double> averageLuminance(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    // Read 32-bit premultiplied pixels without a copy where the image already has them.
    QImage pixels = image;
    if (pixels.format() != QImage::Format_RGB32 && pixels.format() != QImage::Format_ARGB32_Premultiplied)
        pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull())
        return std::nullopt;

    // Bands of rows are summed side by side; whole-number sums come out the same in any order.
    constexpr int kRowsPerBand = 128;
    const int width = pixels.width();
    const int height = pixels.height();
    const int bands = (height + kRowsPerBand - 1) / kRowsPerBand;
    std::vector<std::array<quint64, 3>> sums(static_cast<size_t>(bands));
    parallelFor(bands, [&](int band) {
        std::array<quint64, 3> sum {};
        for (int y = band * kRowsPerBand; y < std::min(height, (band + 1) * kRowsPerBand); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
            // Row sums fit in 32 bits for any width a QImage can have (255 * 2^23 < 2^32).
            quint32 r = 0;
            quint32 g = 0;
            quint32 b = 0;
            for (int x = 0; x < width; ++x) {
                const QRgb p = line[x];
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
            }
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
        }
        sums[size_t(band)] = sum;
    });
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
    for (const auto& sum : sums) {
        red += sum[0];
        green += sum[1];
        blue += sum[2];
    }
    const double count = double(width) * pixels.height();
    // The average is read back as one 8-bit pixel, so each channel is rounded.
    const double r8 = std::round(double(red) / count);
    const double g8 = std::round(double(green) / count);
    const double b8 = std::round(double(blue) / count);
    return 0.299 * r8 / 255 + 0.587 * g8 / 255 + 0.114 * b8 / 255;
}

EditorDocument::EditorDocument(const QImage& image, const QString& title, const BeautifySettings& settings,
    std::optional<DetectionOutcome> detected, QObject* parent)
    : EditorDocument(image, title, settings, std::move(detected),
        [](const QImage& shot, QObject* receiver, std::function<void(DetectionOutcome)> completion) {
            runSensitiveTextDetection(shot, receiver, std::move(completion));
        },
        parent)
{
}

EditorDocument::EditorDocument(const QImage& image, const QString& title, const BeautifySettings& settings,
    std::optional<DetectionOutcome> detected, SensitiveTextScan scan, QObject* parent)
    : QObject(parent)
    , m_image(image)
    , m_title(title)
    , m_settings(settings)
{
    const std::optional<double> luminance = averageLuminance(m_image);
    m_annotationColor = luminance && *luminance > kDarkMarksAbove ? 0x000000 : 0xFFFFFF;

    m_copiedOrExported = content();
    if (detected)
        applyScanOutcome(*detected);
    else
        startScan(scan);
}

EditorDocument::~EditorDocument() = default;

void EditorDocument::startScan(const SensitiveTextScan& scan)
{
    if (m_image.isNull() || !scan) {
        applyDetections({});
        return;
    }
    // The result always arrives through the event loop, after construction has returned (even
    // from a scanner that answers at once), and is dropped when the document is gone by then,
    // even if the scanner itself does not watch the receiver.
    QPointer<EditorDocument> self(this);
    scan(m_image, this, [self](DetectionOutcome result) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, result = std::move(result)] {
                if (self)
                    self->applyScanOutcome(result);
            },
            Qt::QueuedConnection);
    });
}

void EditorDocument::setTitle(const QString& title)
{
    publish(m_title, title, &EditorDocument::titleChanged);
}

void EditorDocument::setSettings(const BeautifySettings& settings)
{
    const BeautifySettings old = std::exchange(m_settings, settings);
    settingsDidSet(old);
    // Last, so that whoever re-renders on it sees the remapped annotations and rectangles.
    if (!(old == m_settings))
        Q_EMIT settingsChanged();
}

void EditorDocument::applyStyle(const BeautifySettings& settings)
{
    BeautifySettings style = styleForShot(settings, m_settings.cropRect);
    style.redactKinds.insert(m_settings.redactKinds.begin(), m_settings.redactKinds.end());
    setSettings(style);
}

void EditorDocument::settingsDidSet(const BeautifySettings& old)
{
    if (old.redactKinds != m_settings.redactKinds)
        refreshRedactions();
    if (!m_isApplyingSnapshot)
        remapAnnotations(old, m_settings);
}

void EditorDocument::remapAnnotations(const BeautifySettings& from, const BeautifySettings& to)
{
    if (m_annotations.isEmpty())
        return;
    QList<Annotation> moved = remappedAnnotations(m_image.deviceIndependentSize(), from, to, m_annotations);
    if (moved.constData() == m_annotations.constData())
        return; // nothing to move
    m_annotations = std::move(moved);
    Q_EMIT annotationsChanged();
}

void EditorDocument::setSelectedPresetName(const std::optional<QString>& name)
{
    publish(m_selectedPresetName, name, &EditorDocument::selectedPresetNameChanged);
}

void EditorDocument::setAnnotations(const QList<Annotation>& annotations)
{
    publish(m_annotations, annotations, &EditorDocument::annotationsChanged);
}

void EditorDocument::setTool(AnnotationTool tool)
{
    publish(m_tool, tool, &EditorDocument::toolChanged);
}

void EditorDocument::setSelectedAnnotation(const std::optional<QUuid>& id)
{
    publish(m_selectedAnnotation, id, &EditorDocument::selectedAnnotationChanged);
}

void EditorDocument::setZoom(double zoom)
{
    publish(m_zoom, zoom, &EditorDocument::zoomChanged);
}

void EditorDocument::setPanResetToken(int token)
{
    publish(m_panResetToken, token, &EditorDocument::panResetTokenChanged);
}

void EditorDocument::setEditingText(bool editing)
{
    publish(m_isEditingText, editing, &EditorDocument::isEditingTextChanged);
}

void EditorDocument::setEditingAnnotationID(const std::optional<QUuid>& id)
{
    publish(m_editingAnnotationID, id, &EditorDocument::editingAnnotationIDChanged);
}

void EditorDocument::setManualRedactions(const QList<QRectF>& rects)
{
    if (sameRects(m_manualRedactions, rects))
        return;
    m_manualRedactions = rects;
    Q_EMIT manualRedactionsChanged();
}

void EditorDocument::setSelectedManualRedaction(const std::optional<int>& index)
{
    publish(m_selectedManualRedaction, index, &EditorDocument::selectedManualRedactionChanged);
}

QList<QRectF> EditorDocument::allRedactionRects() const
{
    return m_redactionRects + m_manualRedactions;
}

std::optional<Annotation> EditorDocument::selectedAnnotationValue() const
{
    if (!m_selectedAnnotation)
        return std::nullopt;
    for (const Annotation& a : m_annotations) {
        if (a.id == *m_selectedAnnotation)
            return a;
    }
    return std::nullopt;
}

bool EditorDocument::editSelectedAnnotation(const std::function<void(Annotation&)>& change)
{
    if (!m_selectedAnnotation)
        return false;
    for (Annotation& a : m_annotations) {
        if (a.id == *m_selectedAnnotation) {
            const Annotation before = a;
            change(a);
            if (!(a == before))
                Q_EMIT annotationsChanged();
            return true;
        }
    }
    return false;
}

void EditorDocument::addAnnotation(const Annotation& annotation)
{
    pushUndo();
    m_annotations.append(annotation);
    Q_EMIT annotationsChanged();
    setSelectedAnnotation(annotation.id);
}

void EditorDocument::deleteSelectedAnnotation()
{
    if (!m_selectedAnnotation)
        return;
    pushUndo();
    const QUuid id = *m_selectedAnnotation;
    if (m_annotations.removeIf([&](const Annotation& a) { return a.id == id; }) > 0)
        Q_EMIT annotationsChanged();
    setSelectedAnnotation(std::nullopt);
}

void EditorDocument::setAnnotationColor(int rgb)
{
    publish(m_annotationColor, rgb, &EditorDocument::annotationColorChanged);
    editSelectedAnnotation([rgb](Annotation& a) { a.colorHex = rgb; });
}

void EditorDocument::setAnnotationFont(const std::optional<QString>& family)
{
    publish(m_annotationFont, family, &EditorDocument::annotationFontChanged);
    editSelectedAnnotation([&family](Annotation& a) {
        if (a.kind == Annotation::Kind::text)
            a.fontName = family;
    });
}

void EditorDocument::setSelectedLineWidth(double lineWidthFraction)
{
    editSelectedAnnotation([lineWidthFraction](Annotation& a) { a.lineWidthFraction = lineWidthFraction; });
}

void EditorDocument::addManualRedaction(const QRectF& rect)
{
    const QRectF standard = rect.normalized();
    if (!(standard.width() > minManualRedactionSide && standard.height() > minManualRedactionSide))
        return;
    // An area no render could place is no area either.
    if (!std::isfinite(standard.x()) || !std::isfinite(standard.y()) || !std::isfinite(standard.width())
        || !std::isfinite(standard.height()))
        return;
    pushUndo();
    m_manualRedactions.append(standard);
    Q_EMIT manualRedactionsChanged();
    setSelectedManualRedaction(int(m_manualRedactions.size()) - 1);
}

std::optional<int> EditorDocument::manualRedactionIndex(const QPointF& imagePoint) const
{
    for (int i = int(m_manualRedactions.size()) - 1; i >= 0; --i) {
        // A resize may have stored the rectangle inverted.
        const QRectF r = m_manualRedactions[i].normalized();
        if (imagePoint.x() >= r.left() && imagePoint.x() < r.right() && imagePoint.y() >= r.top()
            && imagePoint.y() < r.bottom())
            return i;
    }
    return std::nullopt;
}

void EditorDocument::updateManualRedaction(int index, const QRectF& rect)
{
    if (index < 0 || index >= m_manualRedactions.size())
        return;
    m_manualRedactions[index] = rect;
    Q_EMIT manualRedactionsChanged();
}

bool EditorDocument::deleteSelectedManualRedaction()
{
    if (!m_selectedManualRedaction || *m_selectedManualRedaction < 0
        || *m_selectedManualRedaction >= m_manualRedactions.size())
        return false;
    pushUndo();
    m_manualRedactions.removeAt(*m_selectedManualRedaction);
    Q_EMIT manualRedactionsChanged();
    setSelectedManualRedaction(std::nullopt);
    return true;
}

void EditorDocument::zoomIn()
{
    setZoom(std::min(m_zoom + zoomStep, maxZoom));
}

void EditorDocument::zoomOut()
{
    setZoom(std::max(m_zoom - zoomStep, minZoom));
}

void EditorDocument::resetZoom()
{
    setZoom(1.0);
}

bool EditorDocument::Content::operator==(const Content& other) const
{
    return settings == other.settings && annotations == other.annotations
        && sameRects(manualRedactions, other.manualRedactions);
}

EditorDocument::Content EditorDocument::content() const
{
    return { m_settings, m_annotations, m_manualRedactions };
}

void EditorDocument::markCopiedOrExported(const Content& content)
{
    m_copiedOrExported = content;
}

bool EditorDocument::hasEditsSinceCopyOrExport() const
{
    return !(content() == m_copiedOrExported);
}

EditorDocument::Snapshot EditorDocument::makeSnapshot() const
{
    return { m_settings, m_annotations, m_manualRedactions };
}

void EditorDocument::pushUndo()
{
    m_undoStack.append(makeSnapshot());
    if (m_undoStack.size() > maxUndoSteps)
        m_undoStack.removeFirst();
    m_redoStack.clear();
    Q_EMIT historyChanged();
}

void EditorDocument::undo()
{
    step(m_undoStack, m_redoStack);
}

void EditorDocument::redo()
{
    step(m_redoStack, m_undoStack);
}

void EditorDocument::step(QList<Snapshot>& source, QList<Snapshot>& target)
{
    if (source.isEmpty())
        return;
    const Snapshot snapshot = source.takeLast();
    // Moving one entry between the stacks keeps their sum within the cap.
    target.append(makeSnapshot());
    applySnapshot(snapshot);
    Q_EMIT historyChanged();
}

void EditorDocument::applySnapshot(const Snapshot& snapshot)
{
    m_isApplyingSnapshot = true;
    setSettings(snapshot.settings);
    setAnnotations(snapshot.annotations);
    setManualRedactions(snapshot.manualRedactions);
    setSelectedAnnotation(std::nullopt);
    setSelectedManualRedaction(std::nullopt);
    m_isApplyingSnapshot = false;
}

void EditorDocument::applyScanOutcome(const DetectionOutcome& outcome)
{
    if (outcome.didFail())
        applyScanFailure();
    else
        applyDetections(outcome.found);
}

void EditorDocument::applyScanFailure()
{
    applyDetections({});
    publish(m_scanFailed, true, &EditorDocument::scanFailedChanged);
}

void EditorDocument::applyDetections(const DetectionResult& detections)
{
    publish(m_scanFailed, false, &EditorDocument::scanFailedChanged);
    m_detected = detections;
    m_didScan = true;
    std::map<RedactionKind, int> counts;
    for (const auto& [kind, rects] : detections)
        counts[kind] = int(rects.size());
    publish(m_redactionCounts, counts, &EditorDocument::redactionCountsChanged);
    refreshRedactions();
}

void EditorDocument::refreshRedactions()
{
    if (!m_didScan)
        return;
    QList<QRectF> rects;
    for (RedactionKind kind : m_settings.redactKinds) {
        const auto found = m_detected.find(kind);
        if (found != m_detected.end())
            rects += found->second;
    }
    m_redactionRects = rects;
    // Announced even when unchanged: a refresh is the moment views re-read the rectangles.
    Q_EMIT redactionRectsChanged();
}
