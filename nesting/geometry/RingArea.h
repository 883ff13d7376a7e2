// Signed area of an implicitly closed ring of points.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

// Positive when the ring runs counter-clockwise (y up), 0 for fewer than three
// vertices. Summed from the first vertex, so that rings far from the origin
// keep their precision.
inline double SignedArea(const std::vector<NPoint>& ring)
{
    double twice = 0.0;
    for (size_t k = 2; k < ring.size(); ++k) {
        const NPoint a = ring[k - 1] - ring[0];
        const NPoint b = ring[k] - ring[0];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}
