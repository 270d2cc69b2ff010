#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <vector>

// The pixel-level half of the text-line finder: which pixels are ink, and how they join into
// connected components. The finder groups those components into lines.
namespace InkMask {

struct Component {
    int x0, y0, x1, y1; // x1, y1 exclusive
    int area = 0;
    int w() const { return x1 - x0; }
    int h() const { return y1 - y0; }
};

struct Run {
    int y, x0, x1; // x1 exclusive
};

struct Labelling {
    std::vector<Run> runs;
    std::vector<int> componentOfRun;
    std::vector<Component> components;
};

// The nearest of `seeds` (indices into a w x h area) to every pixel of the area, by chessboard
// distance (two chamfer passes); -1 everywhere without seeds.
std::vector<int32_t> nearestOf(const std::vector<int32_t>& seeds, int w, int h);
// The same with every pixel where mask == value a seed.
std::vector<int32_t> nearestOf(const std::vector<uint8_t>& mask, uint8_t value, int w, int h);

// Connected components of the pixels where mask == value, by runs and union-find.
Labelling label(const std::vector<uint8_t>& mask, uint8_t value, int w, int h, bool eightConnected);

// Glyphs that touch a rule of a frame (a descender resting on a table's grid line), which labels
// them as part of the frame: the pieces of each hollow component wider than `minRule` left when
// its horizontal runs of `minRule` pixels or more are taken away, but for slivers of upright rules
// and the frame's own outline.
std::vector<Component> offRules(const Labelling& ink, int minRule);

// Ink: pixels near a steep step that differ from the colour of the nearest flat area (the
// background) and from the flat areas beside it; 1 for ink, 0 elsewhere, row by row.
// `parallelFor(n, body)` runs body(i) for i in [0, n), possibly on several threads.
std::vector<uint8_t> find(const QImage& page, const std::function<void(int, const std::function<void(int)>&)>& parallelFor);

// The components of the ink, with each small fill that holds text (a badge, a tag, a tight button:
// too small to count as a background, so `find` gives it as one solid blob) replaced by the
// components of the text on it: inside the fill, the fill is the background.
std::vector<Component> separateFills(const QImage& page, const Labelling& ink);

} // namespace InkMask
