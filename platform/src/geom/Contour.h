#pragma once
// Closed contours made of curves: chaining, measures, orientation, containment
// and the contours of a drawing that enclose a point.

#include "geom/Curves.h"

#include <cstddef>
#include <span>
#include <vector>

namespace vlhost::geom {

// Curve ends nearer than this are one point of a contour: the contours found
// around a point join their curves within it, and a contour whose pieces meet
// within it is one closed chain wherever it is written.
inline constexpr double kContourTolerance = 1e-4;

// One curve of a contour, run in the contour's direction; `source` is the index
// of the curve it came from in the caller's list and `reversed` tells that the
// contour runs it from its end to its start (`curve` is then already reversed).
struct ContourEdge {
    Curve curve;
    std::size_t source = 0;
    bool reversed = false;
};

struct Contour {
    std::vector<ContourEdge> edges;
};

// Chains the curves end to end (end points within `tol`) into contours, each
// curve used once, in the order of each contour's first curve. Closed and open
// chains alike; degenerate curves are left out.
std::vector<Contour> chainContours(std::span<const Curve> curves, double tol = kContourTolerance);

bool isClosed(const Contour& contour, double tol = kContourTolerance);
// Signed area of a closed contour (positive counter-clockwise, y up); lines and
// arcs exactly, other curves by numerical integration on the curve itself.
double signedArea(const Contour& contour);
double area(const Contour& contour);
bool isCounterClockwise(const Contour& contour);
double length(const Contour& contour);
Box boundingBox(const Contour& contour);
Contour reversed(const Contour& contour);

// Whether p lies inside the closed contour (a point on the border may answer either way).
bool encloses(const Contour& contour, Point p);

// The contour as a closed ring of chord points within `sag`, without the closing repeat.
std::vector<Point> ringPoints(const Contour& contour, double sag);

// The smallest closed loop formed by the curves around p, as a host's
// "contour by a point inside" tool finds it, followed by the loops of curves
// inside it that bound holes of that region. Curves are split where they cross
// or touch (within `tol`); curves other than lines and arcs are first
// decomposed into lines and arcs within `sag`, so the edges come back as lines
// and arcs whose `source` names the original curve. Empty when no loop encloses p.
std::vector<Contour> enclosingContours(std::span<const Curve> curves, Point p, double tol = kContourTolerance,
                                        double sag = 1e-3);

}  // namespace vlhost::geom
