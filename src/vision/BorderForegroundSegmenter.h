#pragma once

#include "vision/ForegroundSegmenter.h"

// Segments a screenshot from its own border: the pixels along the edge are taken as evidence of
// the background (a few dominant colours, or a smooth gradient fitted to them), the background
// region is grown inward from the edge by colour distance, the connected foreground that remains
// is kept (specks are dropped) and its edge is feathered. Nothing is found when the border is no
// coherent background or when the whole image is one region.
class BorderForegroundSegmenter : public ForegroundSegmenter {
public:
    ForegroundMask segment(const QImage& image) override;
};
