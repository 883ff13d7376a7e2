// Exact areas of regions given as rings (outer ring first, holes after),
// computed by CGAL for the independent checks of a drawing (tests and
// tools; never linked into the library). Rings are simple, in any
// orientation, without their first point repeated.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

namespace areas {

using Ring = std::vector<NPoint>;
using Region = std::vector<Ring>;

double Area(const Region& region);
// The area the two regions have in common.
double OverlapArea(const Region& a, const Region& b);
// The area of `inner` that lies outside `outer`.
double OutsideArea(const Region& inner, const Region& outer);
// The area the two regions have in common once each is shrunk by `shrink`
// (> 0): the overlap that counts when parts may touch. Shrinking
// distributes over the intersection, so the exact common region is shrunk.
double ShrunkOverlapArea(const Region& a, const Region& b, double shrink);

}  // namespace areas
