// Exact areas of regions given as rings (outer ring first, holes after),
// computed by CGAL for the tests' independent checks of a drawing.
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

}  // namespace areas
