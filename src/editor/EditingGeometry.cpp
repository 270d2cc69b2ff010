#include "editor/EditingGeometry.h"

#include "editor/EditorDocument.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace EditingGeometry {

namespace {
double unitClamp(double v)
{
    if (!(v > 0)) // also NaN and -inf
        return 0;
    return v > 1 ? 1 : v;
}

bool positive(const QRectF& r)
{
    return r.width() > 0 && r.height() > 0;
}

// Minimum edges inside, maximum edges outside.
bool halfOpenContains(const QRectF& r, QPointF p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

// Which edges a handle moves (both enumerations share the first eight cases).
struct Edges {
    bool left = false, right = false, top = false, bottom = false;
};

Edges edgesOf(int handle)
{
    switch (handle) {
    case 0: return { true, false, true, false }; // topLeft
    case 1: return { false, false, true, false }; // top
    case 2: return { false, true, true, false }; // topRight
    case 3: return { true, false, false, false }; // left
    case 4: return { false, true, false, false }; // right
    case 5: return { true, false, false, true }; // bottomLeft
    case 6: return { false, false, false, true }; // bottom
    case 7: return { false, true, false, true }; // bottomRight
    default: return {};
    }
}

QRectF resizedEdges(const Edges& e, const QRectF& r, double dx, double dy, double minSide)
{
    double minX = r.left(), minY = r.top(), maxX = r.right(), maxY = r.bottom();
    if (e.left)
        minX = std::min(std::max(minX + dx, 0.0), r.right() - minSide);
    if (e.right)
        maxX = std::max(std::min(maxX + dx, 1.0), r.left() + minSide);
    if (e.top)
        minY = std::min(std::max(minY + dy, 0.0), r.bottom() - minSide);
    if (e.bottom)
        maxY = std::max(std::min(maxY + dy, 1.0), r.top() + minSide);
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

// Handle test order: corners first, then the edge midpoints.
constexpr std::array<int, 8> kTestOrder { 0, 2, 5, 7, 1, 6, 3, 4 };

template <typename Handle>
std::optional<Handle> handleNear(const QRectF& rect, QPointF p, double tolerance)
{
    const std::array<QPointF, 8> points = boxHandlePoints(rect);
    for (int index : kTestOrder) {
        const QPointF h = points[size_t(index)];
        if (std::abs(p.x() - h.x()) < tolerance && std::abs(p.y() - h.y()) < tolerance)
            return Handle(index);
    }
    return std::nullopt;
}
}

QPointF normalizedPoint(const EditingFrame& frame, QPointF viewPoint)
{
    const double w = frame.displaySize.width();
    const double h = frame.displaySize.height();
    const double x = w > 0 ? viewPoint.x() / w : 0;
    const double y = h > 0 ? viewPoint.y() / h : 0;
    return { unitClamp(x), unitClamp(y) };
}

QPointF imagePointFromCanvas(const EditingFrame& frame, QPointF p)
{
    const QRectF& i = frame.imageRectNorm;
    if (!positive(i))
        return p;
    double u = std::clamp((p.x() - i.left()) / i.width(), 0.0, 1.0);
    double v = std::clamp((p.y() - i.top()) / i.height(), 0.0, 1.0);
    if (frame.flipH)
        u = 1 - u;
    if (frame.flipV)
        v = 1 - v;
    return { frame.crop.left() + u * frame.crop.width(), frame.crop.top() + v * frame.crop.height() };
}

QRectF viewRectFromImageRect(const EditingFrame& frame, const QRectF& r)
{
    const QRectF& c = frame.crop;
    if (!positive(c))
        return {};
    const double w = frame.displaySize.width();
    const double h = frame.displaySize.height();
    const QRectF& i = frame.imageRectNorm;
    QRectF v(w * (i.left() + (r.left() - c.left()) / c.width() * i.width()),
        h * (i.top() + (r.top() - c.top()) / c.height() * i.height()), w * (r.width() / c.width() * i.width()),
        h * (r.height() / c.height() * i.height()));
    // Mirrored about the shown image, as the painter mirrors the image and its hidden areas.
    if (frame.flipH)
        v.moveLeft(w * (i.left() + i.right()) - v.right());
    if (frame.flipV)
        v.moveTop(h * (i.top() + i.bottom()) - v.bottom());
    return v;
}

QRectF canvasRectFromImageRect(const EditingFrame& frame, const QRectF& imageRect)
{
    const QRectF v = viewRectFromImageRect(frame, imageRect);
    if (!frame.hasSize())
        return v;
    const double w = frame.displaySize.width();
    const double h = frame.displaySize.height();
    return QRectF(v.x() / w, v.y() / h, v.width() / w, v.height() / h);
}

QRectF cropRectInCanvas(const EditingFrame& frame, const QRectF& cropRect)
{
    return canvasRectFromImageRect(frame, cropRect.normalized());
}

std::optional<QPointF> manualRedactionDelta(const EditingFrame& frame, QPointF d)
{
    const QRectF& i = frame.imageRectNorm;
    if (!positive(i))
        return std::nullopt;
    return QPointF((frame.flipH ? -d.x() : d.x()) / i.width() * frame.crop.width(),
        (frame.flipV ? -d.y() : d.y()) / i.height() * frame.crop.height());
}

std::optional<QPointF> cropDelta(const EditingFrame& frame, QPointF d)
{
    const QRectF& i = frame.imageRectNorm;
    if (!positive(i))
        return std::nullopt;
    return QPointF((frame.flipH ? -d.x() : d.x()) / i.width(), (frame.flipV ? -d.y() : d.y()) / i.height());
}

namespace {
// The box handle (0 to 7) with its sides swapped as the shown image mirrors them.
int mirroredHandle(const EditingFrame& frame, int handle)
{
    if (handle < 0 || handle >= 8)
        return handle;
    Edges e = edgesOf(handle);
    if (frame.flipH)
        std::swap(e.left, e.right);
    if (frame.flipV)
        std::swap(e.top, e.bottom);
    for (int h = 0; h < 8; ++h) {
        const Edges o = edgesOf(h);
        if (o.left == e.left && o.right == e.right && o.top == e.top && o.bottom == e.bottom)
            return h;
    }
    return handle;
}
}

ResizeHandle imageHandle(const EditingFrame& frame, ResizeHandle handle)
{
    return ResizeHandle(mirroredHandle(frame, int(handle)));
}

CropHandle imageHandle(const EditingFrame& frame, CropHandle handle)
{
    return CropHandle(mirroredHandle(frame, int(handle)));
}

std::array<QPointF, 8> boxHandlePoints(const QRectF& r)
{
    const double midX = r.left() + r.width() / 2;
    const double midY = r.top() + r.height() / 2;
    return { QPointF(r.left(), r.top()), QPointF(midX, r.top()), QPointF(r.right(), r.top()), QPointF(r.left(), midY),
        QPointF(r.right(), midY), QPointF(r.left(), r.bottom()), QPointF(midX, r.bottom()),
        QPointF(r.right(), r.bottom()) };
}

QPointF handlePosition(const QRectF& rect, ResizeHandle handle)
{
    const int index = int(handle);
    if (index >= 8)
        return {};
    return boxHandlePoints(rect)[size_t(index)];
}

std::optional<ResizeHandle> boxHandleAt(const QRectF& rect, QPointF point)
{
    return handleNear<ResizeHandle>(rect, point, handleTolerance);
}

std::optional<ResizeHandle> resizeHandleAt(const EditingFrame& frame, const EditorDocument& document, QPointF p)
{
    if (const std::optional<Annotation> a = document.selectedAnnotationValue()) {
        switch (a->kind) {
        case Annotation::Kind::box:
        case Annotation::Kind::ellipse:
        case Annotation::Kind::highlight:
            return boxHandleAt(a->boundingRect(), p);
        case Annotation::Kind::arrow:
        case Annotation::Kind::line:
            if (std::hypot(p.x() - a->start.x(), p.y() - a->start.y()) < handleTolerance)
                return ResizeHandle::startPoint;
            if (std::hypot(p.x() - a->end.x(), p.y() - a->end.y()) < handleTolerance)
                return ResizeHandle::endPoint;
            return std::nullopt;
        case Annotation::Kind::text:
        case Annotation::Kind::pen:
            return std::nullopt;
        }
        return std::nullopt;
    }
    const std::optional<int> index = document.selectedManualRedaction();
    const QList<QRectF> manual = document.manualRedactions();
    if (index && *index >= 0 && *index < manual.size())
        return boxHandleAt(canvasRectFromImageRect(frame, manual[*index]), p);
    return std::nullopt;
}

QRectF resizedRect(ResizeHandle handle, const QRectF& rect, double dx, double dy)
{
    return resizedEdges(edgesOf(int(handle)), rect, dx, dy, minResizeSide);
}

std::optional<CropHandle> cropHandleAt(const EditingFrame& frame, const QRectF& cropRect, QPointF point)
{
    const QRectF r = cropRectInCanvas(frame, cropRect);
    if (const std::optional<CropHandle> h = handleNear<CropHandle>(r, point, cropHandleTolerance))
        return h;
    if (halfOpenContains(r, point))
        return CropHandle::inside;
    return std::nullopt;
}

QRectF resizedCropRect(CropHandle handle, const QRectF& r, double dx, double dy)
{
    if (handle == CropHandle::inside) {
        const double x = std::min(std::max(r.left() + dx, 0.0), 1 - r.width());
        const double y = std::min(std::max(r.top() + dy, 0.0), 1 - r.height());
        return QRectF(x, y, r.width(), r.height());
    }
    return resizedEdges(edgesOf(int(handle)), r, dx, dy, minCropSide);
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length = d.x() * d.x() + d.y() * d.y();
    QPointF c = a;
    if (length > 0) {
        const double t = std::clamp(QPointF::dotProduct(p - a, d) / length, 0.0, 1.0);
        c = a + t * d;
    }
    return std::hypot(p.x() - c.x(), p.y() - c.y());
}

int characterCount(const QString& text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

bool hitTestAnnotation(const Annotation& a, QPointF p)
{
    switch (a.kind) {
    case Annotation::Kind::arrow:
    case Annotation::Kind::line:
        return distanceToSegment(p, a.start, a.end) < handleTolerance;
    case Annotation::Kind::pen:
        for (qsizetype i = 1; i < a.points.size(); ++i) {
            if (distanceToSegment(p, a.points[i - 1], a.points[i]) < handleTolerance)
                return true;
        }
        return false;
    case Annotation::Kind::text: {
        const double w = std::max(a.fontFraction * 0.6 * std::max(characterCount(a.text), 2), 0.04);
        const double h = a.fontFraction;
        const QRectF box(a.start.x() - w / 2, a.start.y() - h / 2, w, h);
        return halfOpenContains(box.adjusted(-hitMargin, -hitMargin, hitMargin, hitMargin), p);
    }
    case Annotation::Kind::box:
    case Annotation::Kind::ellipse:
    case Annotation::Kind::highlight:
        return halfOpenContains(a.boundingRect().adjusted(-hitMargin, -hitMargin, hitMargin, hitMargin), p);
    }
    return false;
}

std::optional<Annotation> hitAnnotation(const QList<Annotation>& annotations, QPointF point)
{
    for (qsizetype i = annotations.size() - 1; i >= 0; --i) {
        if (hitTestAnnotation(annotations[i], point))
            return annotations[i];
    }
    return std::nullopt;
}

}
