// A pair of equal parts laid out side by side: the second turned half round
// against the first one's longest edge, a gap off it, and slid along that
// edge, so that the two fit a room that the rectangle joined of them would
// overfill.
#pragma once

#include "geometry/Polygon.h"

#include <optional>
#include <vector>

// The longest edge of a ring (as NPolygon::FindMaxSegment picks it): its
// middle, its direction as the ring runs and the normal pointing away from
// the ring. None for a ring without an edge.
struct PairEdge {
    NPoint middle;
    NPoint along;
    NPoint out;
};
std::optional<PairEdge> LongestEdgeOf(const NPolygon& ring);

// The second part of the pair where it stands: the first turned half round
// about the middle of its longest edge, moved `gap` away across that edge and
// `slide` along it.
std::vector<NPoint> PartnerRing(const NPolygon& first, double gap, double slide);

// The slide at which the pair's rectangle, grown by `grow` (how much wider
// and higher the gap polygons' rectangle is than the outline's), fits one of
// `rooms` (x the width, y the height; either way round when `quarterTurns`),
// kept a little off the room's sides where it can be; of those, the slide of
// the smallest rectangle. None when the pair fits no room at any slide.
std::optional<double> PairSlide(const NPolygon& first, double gap, double grow, const std::vector<NPoint>& rooms,
                                bool quarterTurns);
