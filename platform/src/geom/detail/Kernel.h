#pragma once
// Internal pieces of the curve kernel shared by its sources; not for callers.

#include "geom/Curves.h"

#include <optional>
#include <vector>

namespace vlhost::geom::detail {

// Lengths below this are taken as zero.
inline constexpr double kTiny = 1e-12;

// Signed sweep from `start` to `end` (radians) in the given direction: 0 for
// equal angles, a full turn for angles whole turns apart, otherwise |sweep| < 2π.
double normalisedSweep(double start, double end, bool ccw);
// Whether the direction `angle` lies on the sweep from `start`, within `angleTol`.
bool onSweep(double angle, double start, double sweep, double angleTol);
// Angle travelled along the sweep from `start` to `angle`, in [0, 2π).
double travelled(double angle, double start, double sweep);

// A circular path: arcs and circles alike.
struct CircularPath {
    Point centre;
    double radius = 0;
    double start = 0;
    double sweep = 0;   // signed

    Point at(double travelledAngle) const;
    Point tangent(double travelledAngle) const;   // unit, along the run
    Nearest nearest(Point p) const;
    Box box() const;
    std::vector<Point> chords(double sag) const;
    double distanceTo(Point p) const;
};
CircularPath circularPath(const Arc& arc);
CircularPath circularPath(const Circle& circle);
Arc arcOf(const CircularPath& path, double from, double to);   // sub-arc between two travelled angles

// A smooth parametric curve: the common ground of ellipses and splines.
class Smooth {
public:
    virtual ~Smooth() = default;
    virtual Point at(double t) const = 0;
    virtual Point derivative(double t) const = 0;
    // The derivative as the curve arrives at t: where a span ends in a corner
    // (a knot of full multiplicity) it is the span's own, not the next one's.
    virtual Point derivativeBefore(double t) const { return derivative(t); }
    // Sorted parameters that cut the curve into smooth spans (knots, quarter
    // turns); the first and last are the ends of the domain.
    virtual std::vector<double> breaks() const = 0;
};

struct Sample {
    double t = 0;
    Point p;
};

std::vector<Sample> adaptiveChords(const Smooth& curve, double sag);
double arcLength(const Smooth& curve);
double areaTerm(const Smooth& curve);   // ∫ (x dy - y dx) / 2 along the curve
// Tight box; the parameters where x or y is extreme inside a span go to `extremes` when given.
Box tightBox(const Smooth& curve, std::vector<double>* extremes = nullptr);
Nearest nearestOn(const Smooth& curve, Point p);
// What nearestOn follows the curve on: its chords, and their sag.
struct NearestChords {
    std::vector<Sample> chords;
    double sag = 0;
};
NearestChords nearestChords(const Smooth& curve);
// nearestOn on the chords nearestChords gave.
Nearest nearestOn(const Smooth& curve, const NearestChords& chords, Point p);
std::vector<LineArc> biarcs(const Smooth& curve, double sag);

// Ellipses and elliptic arcs.
class EllipticPath final : public Smooth {
public:
    EllipticPath(const Ellipse& e, double start, double sweep);
    Point at(double t) const override;
    Point derivative(double t) const override;
    std::vector<double> breaks() const override;
    Box exactBox() const;

private:
    Point centre_, axisA_, axisB_;
    double start_, sweep_;
};
bool isValid(const Ellipse& e);
EllipticPath ellipticPath(const Ellipse& e);
EllipticPath ellipticPath(const EllipticArc& arc);

// Rational B-splines; Bézier curves and conics are converted to them.
class NurbsPath final : public Smooth {
public:
    explicit NurbsPath(const Nurbs& n) : n_(n) {}
    Point at(double t) const override;
    Point derivative(double t) const override;
    Point derivativeBefore(double t) const override;
    std::vector<double> breaks() const override;

private:
    Nurbs n_;
};
bool isValid(const Nurbs& n);
std::optional<Nurbs> toNurbs(const Bezier& b);
std::optional<Nurbs> toNurbs(const Conic& c);
Nurbs reversedNurbs(const Nurbs& n);

// ∫ (x dy - y dx) / 2 along a curve (0 for a degenerate one): summed over a
// closed contour, its signed area.
double areaTermOf(const Curve& curve);
// Angle by which the direction from p to the curve turns along it; summed over
// a closed contour, 2π times its winding number about p.
double windingAngleOf(const Curve& curve, Point p);

double distanceToPiece(const LineArc& piece, Point p);
Box boxOfPiece(const LineArc& piece);

}  // namespace vlhost::geom::detail
