#include "editor/DocumentRender.h"

#include "editor/EditorDocument.h"
#include "render/CanvasRenderer.h"

QImage renderDocumentImage(const EditorDocument& document, const WatermarkConfig& watermark)
{
    return renderCanvasImage(document.image(), effectiveSettings(document.settings()),
        effectiveAnnotations(document.annotations()), document.allRedactionRects(), watermark);
}

QImage renderDocumentImage(const EditorDocument& document)
{
    return renderDocumentImage(document, currentWatermarkConfig());
}
