#include "editor_window/StageLayout.h"

#include "editor/EditorDocument.h"

#include <algorithm>
#include <cmath>

namespace StageGeometry {

BeautifySettings stageSettings(const BeautifySettings& settings, AnnotationTool tool)
{
    BeautifySettings s = settings;
    if (tool == AnnotationTool::crop)
        s.cropRect = QRectF(0, 0, 1, 1);
    return s;
}

double fit(QSizeF stage, QSizeF canvas)
{
    const double f = std::min((stage.width() - horizontalMargin) / canvas.width(),
        (stage.height() - verticalMargin) / canvas.height());
    // A degenerate canvas gives NaN: treat it like a stage too small to show anything.
    return std::isnan(f) ? 0.0 : std::min(f, 1.0);
}

double scale(double fit, double zoom)
{
    const double s = fit * zoom;
    return std::isfinite(s) ? std::max(s, minScale) : minScale;
}

QPointF centre(QSizeF stage, QSizeF pan)
{
    return { (stage.width() - inspectorReserve) / 2 + pan.width(), stage.height() / 2 + pan.height() };
}

double pinchZoom(double startZoom, double magnification)
{
    const double z = startZoom * magnification;
    if (std::isnan(z))
        return startZoom;
    return std::clamp(z, EditorDocument::minZoom, EditorDocument::maxZoom);
}

Layout layout(QSizeF imageSize, const BeautifySettings& settings, AnnotationTool tool, double zoom, QSizeF stage,
    QSizeF pan)
{
    Layout l;
    l.settings = stageSettings(settings, tool);
    l.canvas = canvasLayout(imageSize, l.settings);
    l.fit = fit(stage, l.canvas.canvasSize());
    l.scale = scale(l.fit, zoom);
    l.centre = centre(stage, pan);
    l.displaySize = l.canvas.canvasSize() * l.scale;
    l.shotRectNorm = ::shotRectNorm(l.canvas, l.settings);
    l.imageRectNorm = ::imageRectNorm(l.canvas, l.settings);
    l.shotDraggable = !l.settings.balance;
    return l;
}

}
