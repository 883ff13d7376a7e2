// Whether a shape can go into a notch of an outline. The no-fit polygons
// close the narrow notches (dents) of the outlines they are built on, which
// shortens their orbits; a notch is closed only where nothing of the shape
// that comes next to the outline can enter it, so that a leg or a tooth of
// one part still goes into the gap between the legs of another.
#pragma once

#include "geometry/Polygon.h"

#include <vector>

// A shape that reaches past a notch's mouth no further than this (mm) does
// not enter it: closing the notch costs no more than that.
inline constexpr double EPS_DENT_REACH = 0.01;

// A notch as its mouth sees it: lengths across the mouth are measured along
// `along` from the mouth's first end, lengths into the notch along `inward`
// from the mouth's line.
struct DentMouth {
    NPoint along{1.0, 0.0};  // unit vector from the mouth's first end to its other end
    NPoint inward{0.0, 1.0}; // unit vector square to it, into the notch
    double width = 0.0;      // the mouth's width
    double depth = 0.0;      // how far the notch reaches past the mouth's line
    double low = 0.0;        // the notch's extent across: from `low` (0 or less)
    double high = 0.0;       // to `high` (the width or more)
};

// The notch that `edit` closes on `polygon` (DentEdit: the mouth runs from
// vertex i + 1 to vertex j), bounded by the outline between them and the mouth.
DentMouth MeasureDent(const NPolygon& polygon, const DentEdit& edit);

// True when a shape bounded by the ring `outline`, moved but not turned, can
// stand with some of it past the notch's mouth by more than `reach`, without
// crossing the notch's sides: a part of it goes in between the mouth's ends
// and fits the notch's depth and extent, or the whole shape fits inside. It
// answers true where it cannot tell: a notch it says no to is one that
// closing costs no position the shape could take.
bool EntersDent(const std::vector<NPoint>& outline, const DentMouth& dent, double reach = EPS_DENT_REACH);

// The least width of a ring across any direction (its convex hull's narrowest
// caliper distance); 0 for fewer than three points or a point not finite.
double NarrowestWidth(const std::vector<NPoint>& ring);

// Of the dents `edits` of `polygon`, those no shape at least `narrowest` wide
// in every direction fits in whole.
std::vector<DentEdit> DentsHoldingNone(const NPolygon& polygon, const std::vector<DentEdit>& edits, double narrowest);
