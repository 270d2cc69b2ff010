#pragma once

#include "model/AnnotationTool.h"
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where the editor's stage shows the canvas: fitted into the free area, times the zoom, centred
// left of the inspector and moved by the pan. Zoom and fit only scale the drawn canvas; they
// never change its layout. Pure functions, all in view points.
namespace StageGeometry {

// Room the fit leaves around the canvas: the tool dock and inspector across, the toolbar gap and
// action pill down.
constexpr double horizontalMargin = 372;
constexpr double verticalMargin = 110;
// The inspector's width and trailing padding: the canvas centres in the area left of it.
constexpr double inspectorReserve = 332;
constexpr double minScale = 0.05;

// The style the stage draws: uncropped while the crop tool is active, so the crop overlay can
// show the real crop over the whole image.
BeautifySettings stageSettings(const BeautifySettings& settings, AnnotationTool tool);

// The scale that fits the canvas into the stage, never above 1 (a small canvas is not enlarged).
double fit(QSizeF stage, QSizeF canvas);
// fit x zoom, never below minScale.
double scale(double fit, double zoom);
// The canvas centre for the pan offset.
QPointF centre(QSizeF stage, QSizeF pan);
// The zoom a pinch gives: the zoom at its start times the magnification, within the document's
// limits.
double pinchZoom(double startZoom, double magnification);

struct Layout {
    BeautifySettings settings; // what the stage draws (stageSettings)
    CanvasLayout canvas;
    double fit = 0;
    double scale = 0;
    QPointF centre;
    QSizeF displaySize;   // the canvas on screen
    QRectF shotRectNorm;  // the shot with its title bar, fractions of the canvas
    QRectF imageRectNorm; // the image below the title bar
    bool shotDraggable = false;

    QRectF displayRect() const
    {
        return { centre.x() - displaySize.width() / 2, centre.y() - displaySize.height() / 2, displaySize.width(),
            displaySize.height() };
    }
};

Layout layout(QSizeF imageSize, const BeautifySettings& settings, AnnotationTool tool, double zoom, QSizeF stage,
    QSizeF pan);

}
