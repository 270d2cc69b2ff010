#include "render/RenderCaches.h"

#include "render/BackgroundRemover.h"
#include "render/BackgroundView.h"
#include "render/CanvasPainter.h"
#include "render/CanvasRenderer.h"
#include "render/CensorCache.h"

void releaseRenderCaches(RenderCacheRelease what)
{
    CensorCache::shared().clear();
    BackgroundImageCache::shared().clear();
    if (what == RenderCacheRelease::everything)
        BackgroundRemover::shared().clear();
    releaseReducedShots();
    releaseCanvasBackdrop();
}
