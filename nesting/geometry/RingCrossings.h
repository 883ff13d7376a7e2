// Where closed rings cross themselves or one another: the test an outline
// must pass before it can bound a part.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <optional>
#include <vector>

struct RingCrossing {
    size_t ring1 = 0;  // equal to ring2 when a ring crosses itself
    size_t ring2 = 0;
    NPoint at;
};

// A place where two rings cross, or one ring crosses or runs back over
// itself; none when every ring is simple and no two rings cross. Rings are
// implicitly closed; repeated vertices and spikes (the ring running out and
// right back along one line: no material) are passed over. Rings may touch one
// another or themselves at points (a pinch, a hole touching the outline) and
// different rings may share edges: only a ring passing from one side of
// another boundary to its other side, at an edge's interior or at a vertex,
// counts. Edges are paired through a uniform grid of their boxes, so rings of
// many short edges, however many rings, are checked in about linear time.
std::optional<RingCrossing> FindRingCrossing(const std::vector<std::vector<NPoint>>& rings);
// The same, for rings held elsewhere (none of them copied).
std::optional<RingCrossing> FindRingCrossing(const std::vector<const std::vector<NPoint>*>& rings);

// The ring as the crossing test sees it: without its repeated vertices and
// its spikes, wherever they run (out of the ring, across another ring or
// another spike). What bounds or holds a ring is decided on these: a spike
// holds no material.
std::vector<NPoint> RingWithoutSpikes(const std::vector<NPoint>& ring);
// Whether RingWithoutSpikes takes anything out of the ring.
bool RingHasSpikes(const std::vector<NPoint>& ring);
