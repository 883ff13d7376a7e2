// The area of an axis-parallel rectangle that a set of axis-parallel
// rectangles leaves free, traced exactly.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

// One piece of the free area: its outer ring (counter-clockwise) and the rings
// of the islands within it (clockwise). Every ring is simple; an island may
// touch its piece's outer ring at a corner, and two pieces that meet at a
// corner only are two pieces.
struct RectangleAreaPiece {
    std::vector<NPoint> outer;
    std::vector<std::vector<NPoint>> islands;
};

// The part of `area` that no rectangle of `taken` covers (rectangles reaching
// past `area` count within it). Coordinates closer than EPS are taken as one
// (the smaller), so that rectangles which line up or touch by rounding leave
// no sliver between them; a piece's rings run along the rectangles' own sides.
std::vector<RectangleAreaPiece> FreeRectangleArea(const NRect& area, const std::vector<NRect>& taken);

// The same free area less every part of it narrower than `width`: what a
// square of that side sweeps while it stays in the free area. A strip or an
// arm narrower than `width` goes (by EPS_WIDTH or more), one exactly as wide stays.
std::vector<RectangleAreaPiece> WideRectangleArea(const NRect& area, const std::vector<NRect>& taken, double width);
