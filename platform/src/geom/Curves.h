#pragma once
// Plane curves of the stand-in host as plain value types, and the operations on them.
//
// Every curve has a parameter domain, runs from its start to its end point and
// answers for its nearest point, length, bounding box (exact for arcs and
// ellipses, tight for splines), chords within a sag, lines and arcs within a sag,
// and similarity transforms. A degenerate curve (zero radius, zero length,
// coincident control points, invalid knots, non-finite numbers) gives empty
// results: no chords, no pieces, length 0, an empty box, no nearest point.

#include "geom/Point.h"

#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace vlhost::geom {

struct Segment {
    Point start;
    Point end;
};

// Circular arc from startAngle to endAngle (radians) about the centre,
// counter-clockwise when `ccw`. Equal angles make a zero-length arc; angles a
// whole number of turns apart make a full circle.
struct Arc {
    Point centre;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    bool ccw = true;

    // Arc about `centre` from `start` to the ray through `end` (radius |start - centre|).
    static Arc fromEnds(Point centre, Point start, Point end, bool ccw);
    // Arc from p1 through p2 to p3; nothing when the points are collinear or coincident.
    static std::optional<Arc> through(Point p1, Point p2, Point p3);
    // Signed sweep in radians: positive counter-clockwise, |sweep| <= 2π.
    double sweep() const;
};

// Full circle, run counter-clockwise from angle 0.
struct Circle {
    Point centre;
    double radius = 0;
};

// Full ellipse with semi-axes radiusA (along `rotation`, radians) and radiusB,
// run counter-clockwise from the end of the A axis: p(t) = c + A cos t + B sin t.
struct Ellipse {
    Point centre;
    double radiusA = 0;
    double radiusB = 0;
    double rotation = 0;
};

// Part of an ellipse between the parametric angles startParam and endParam
// (radians, the t of p(t) above), counter-clockwise when `ccw`; angles
// follow the same rules as those of an Arc.
struct EllipticArc {
    Ellipse ellipse;
    double startParam = 0;
    double endParam = 0;
    bool ccw = true;
};

// Piecewise Bézier curve: `degree` + 1 poles for the first piece and `degree`
// more for each further piece (pieces share their end poles).
struct Bezier {
    std::vector<Point> poles;
    int degree = 3;
};

// Non-uniform rational B-spline: poles.size() + degree + 1 non-decreasing knots;
// weights empty (all 1) or one positive weight per pole.
struct Nurbs {
    std::vector<Point> poles;
    std::vector<double> weights;
    std::vector<double> knots;
    int degree = 3;
};

// Conic as a rational quadratic Bézier from `start` to `end` whose end tangents
// meet at `apex`; weight < 1 ellipse, = 1 parabola, > 1 hyperbola.
struct Conic {
    Point start;
    Point apex;
    Point end;
    double weight = 1;
};

// Chain of straight segments; `closed` adds the segment from the last point back to the first.
struct Polyline {
    std::vector<Point> points;
    bool closed = false;
};

using Curve = std::variant<Segment, Arc, Circle, Ellipse, EllipticArc, Bezier, Nurbs, Conic, Polyline>;
// A piece of a decomposition into lines and arcs.
using LineArc = std::variant<Segment, Arc>;

// Curve through the points in order (global cubic interpolation, chord-length
// parameters; a lower degree when there are fewer points). Consecutive
// coincident points count once; fewer than two distinct points give a degenerate curve.
Nurbs nurbsThroughPoints(std::span<const Point> points, int degree = 3);

// The cubic of a DXF SPLINE given by fit points, built as DXF readers
// commonly build it: global interpolation with chord-length parameters and a
// knot at every inner fit point, constrained by the start and end tangents
// (their directions; a missing one is estimated from the five points about
// that end), each scaled to the length of the fit-point polygon. A `closed`
// spline ends where it starts, with one tangent at the joint estimated from
// the points on both sides of it. Consecutive coincident points count once;
// fewer than two distinct points give a degenerate curve.
Nurbs cubicThroughFitPoints(std::span<const Point> points, std::optional<Point> startTangent,
                            std::optional<Point> endTangent, bool closed);

// Parameter domains: Segment [0, 1]; Arc, Circle, Ellipse, EllipticArc
// [0, angle travelled]; Bezier [0, pieces]; Nurbs [first, last knot of the
// curve]; Conic [0, 1]; Polyline [0, number of segments].
struct Domain {
    double min = 0;
    double max = 0;
};

struct Nearest {
    Point point;
    double t = 0;
    double distance = 0;
};

bool isDegenerate(const Curve& curve);
Domain domain(const Curve& curve);
Point pointAt(const Curve& curve, double t);
Point startPoint(const Curve& curve);
Point endPoint(const Curve& curve);
bool isClosed(const Curve& curve, double tol = 1e-4);
std::optional<Nearest> nearestPoint(const Curve& curve, Point p);
// nearestPoint for one curve asked about many points: what the search follows
// an ellipse or a spline on is made once, not for each point.
class NearestFinder {
public:
    explicit NearestFinder(const Curve& curve);
    ~NearestFinder();
    NearestFinder(const NearestFinder&) = delete;
    NearestFinder& operator=(const NearestFinder&) = delete;
    std::optional<Nearest> operator()(Point p) const;

private:
    struct Smooth;
    Curve curve_;
    std::unique_ptr<Smooth> smooth_;  // of an ellipse or a spline, not degenerate
};
double length(const Curve& curve);
Box boundingBox(const Curve& curve);

// Points on the curve from start to end (a closed curve repeats its start at the
// end) whose chords stay within `sag` of the curve.
std::vector<Point> chordPoints(const Curve& curve, double sag);
// Lines and arcs from start to end, each within `sag` of the curve and inside its box.
std::vector<LineArc> linesAndArcs(const Curve& curve, double sag);

Curve transformed(const Curve& curve, const Transform& transform);
// The same curve run from its end to its start.
Curve reversed(const Curve& curve);
Curve toCurve(const LineArc& piece);

}  // namespace vlhost::geom
