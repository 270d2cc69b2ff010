#pragma once

#include "render/BackgroundMesh.h"

#include <QImage>
#include <QSize>

// Rasterises gradients into opaque images (Format_RGB32) of an exact pixel size.
//
// A mesh is a smooth surface: positions and colours are both interpolated between the control
// points with Catmull-Rom tangents, so warped points bend the colour bands instead of creasing
// them. Gradients carry no high frequencies, so the surface is drawn into a small colour field
// and scaled up bilinearly; an ordered dither on the way to 8 bits keeps wide, dark gradients
// free of bands. Both functions are thread-safe and return a null image for an empty size or
// when the image cannot be allocated.
QImage renderMeshGradient(const BackgroundMesh& mesh, QSize size);

// A two-colour linear gradient from the top-left corner to the bottom-right corner.
QImage renderLinearGradient(const MeshColor& from, const MeshColor& to, QSize size);
