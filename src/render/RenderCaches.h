#pragma once

// Empties every store of rendered pixels (censored copies, backgrounds, cut-outs). For when no
// panel or editor shows a shot any more: what they hold is tens of megabytes per shot, and the
// next shot could not use it anyway.
void releaseRenderCaches();
