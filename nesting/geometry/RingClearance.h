// How two parts given by their outline rings (the outer ring first, then its
// holes; a point is in the part where an odd number of rings holds it) stand
// to each other, and how far a part stands from a sheet's edge: the least
// distance between their boundaries, and whether they overlap deeper than a
// slack (rings that follow curves from outside them may cross where the
// curves only touch).
#pragma once

#include "geometry/Polygon.h"

#include <limits>

namespace clearance {

inline constexpr double kFar = std::numeric_limits<double>::infinity();

// The box of every vertex of the rings (top below bottom for none).
NRect Box(const VectorPolygon& rings);

// The least distance between any edge of `a` and any edge of `b` when it is
// below `reach`, kFar otherwise; 0 where the rings touch or cross.
double RingsDistance(const VectorPolygon& a, const VectorPolygon& b, double reach);

// Whether the point lies in the part the rings bound.
bool InPart(const VectorPolygon& rings, const NPoint& p);

// The two parts stand in each other: one lies in the other's material, or
// their boundaries meet and either runs deeper than `slack` into the other,
// or some point lies deeper than `slack` in both (a part over its copy).
bool Overlap(const VectorPolygon& a, const VectorPolygon& b, double slack);

// The least distance from the rings to the sheet's edge `edge` (a closed
// ring) when it is below `reach`, kFar otherwise; 0 where they touch or cross it.
double EdgeDistance(const VectorPolygon& rings, const NPolygon& edge, double reach);

}  // namespace clearance
