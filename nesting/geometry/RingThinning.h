// Thinning of dense rings: outlines digitised or exported as thousands of
// short straight pieces keep only the vertices that matter within a sag.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

// Rings of more vertices than this are thinned; fewer are worked on as they are.
inline constexpr size_t kDenseRing = 1000;

// Drops the vertices of the closed ring `ring` that the ring passes within
// `sag` of without them, on either side, keeping the order of the rest, its
// lowest (then leftmost) vertex and its extreme vertices in x and y (the ring
// spans the same rectangle). Each kept edge stands for a run of the
// old ring whose vertices all lie within `sag` of it and that never turns
// back along it. Linear in the vertices for rings that turn steadily.
// Returns the largest distance of a dropped vertex from the edge that
// replaced it, of those on its right: for a ring with its material on the
// left (an outer ring counter-clockwise, a hole clockwise), how far the
// thinned ring cuts into the material (0 when it cuts into none: a convex
// outline's hole thinned only gives material).
double ThinRing(std::vector<NPoint>& ring, double sag);
