#pragma once
// Equidistant offsets of closed regions, computed with Clipper on chords of the curves.

#include "geom/Contour.h"

#include <span>
#include <vector>

namespace vlhost::geom {

using Ring = std::vector<Point>;   // closed implicitly: the first point is not repeated

enum class Corners { Round, Sharp };

// Offsets the region bounded by the rings (nested rings alternate between
// material and hole, whatever their direction) by `distance`: positive grows
// the material (outer borders out, holes in), negative shrinks it. Curves and
// round corners follow the exact offset within `sag`. Outer rings come back
// counter-clockwise, each followed by its holes clockwise; a region that
// vanishes gives nothing.
std::vector<Ring> offsetRings(std::span<const Ring> rings, double distance, Corners corners, double sag);
std::vector<Ring> offsetContours(std::span<const Contour> contours, double distance, Corners corners, double sag);

}  // namespace vlhost::geom
