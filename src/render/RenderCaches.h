#pragma once

// Empties every store of rendered pixels (censored copies, backgrounds, cut-outs). For when no
// panel or editor shows a shot any more: what they hold is tens of megabytes per shot, and the
// next shot could not use it anyway. An editor left quiet keeps the cut-outs of its shot, the
// dearest to make again; the rest is remade in milliseconds by the next change.
enum class RenderCacheRelease { everything, keepCutOuts };
void releaseRenderCaches(RenderCacheRelease what = RenderCacheRelease::everything);
