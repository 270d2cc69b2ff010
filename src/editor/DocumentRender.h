#pragma once

#include "model/WatermarkConfig.h"

#include <QImage>

class EditorDocument;

// The styled render of a document as every copy, export and notch presentation makes it: the
// effective settings and annotations, the document's hidden areas and the watermark, at the
// render scale. Null when the render fails. Main thread only.
QImage renderDocumentImage(const EditorDocument& document, const WatermarkConfig& watermark);
QImage renderDocumentImage(const EditorDocument& document);
