// The operations on curves: one overload set per curve kind, dispatched over the Curve variant.

#include "geom/detail/Kernel.h"

#include <algorithm>
#include <type_traits>

namespace vlhost::geom {

using namespace detail;

namespace {

// ---- Segment --------------------------------------------------------------

bool degenerate(const Segment& s) { return !isFinite(s.start) || !isFinite(s.end) || distance(s.start, s.end) <= kTiny; }
Domain domainOf(const Segment&) { return {0, 1}; }
Point anchor(const Segment& s) { return s.start; }
Point at(const Segment& s, double t) { return lerp(s.start, s.end, t); }
double lengthOf(const Segment& s) { return distance(s.start, s.end); }
std::vector<Point> chords(const Segment& s, double) { return {s.start, s.end}; }
std::vector<LineArc> pieces(const Segment& s, double) { return {s}; }
Box boxOf(const Segment& s) { return boxOfPiece(s); }
Segment transformedBy(const Segment& s, const Transform& t) { return {t.apply(s.start), t.apply(s.end)}; }
Curve reversedOf(const Segment& s) { return Segment{s.end, s.start}; }

Nearest nearest(const Segment& s, Point p)
{
    const Point d = s.end - s.start;
    const double t = std::clamp(dot(p - s.start, d) / dot(d, d), 0.0, 1.0);
    const Point q = at(s, t);
    return {q, t, distance(p, q)};
}

// ---- Arc and Circle ---------------------------------------------------------

template <class T>
constexpr bool kCircular = std::is_same_v<T, Arc> || std::is_same_v<T, Circle>;

bool validCircle(Point centre, double radius) { return isFinite(centre) && std::isfinite(radius) && radius > kTiny; }
bool degenerate(const Arc& a) { return !validCircle(a.centre, a.radius) || a.sweep() == 0; }
bool degenerate(const Circle& c) { return !validCircle(c.centre, c.radius); }

template <class T> requires kCircular<T>
Domain domainOf(const T& c) { return {0, std::abs(circularPath(c).sweep)}; }
template <class T> requires kCircular<T>
Point anchor(const T& c) { return c.centre; }
template <class T> requires kCircular<T>
Point at(const T& c, double t) { return circularPath(c).at(t); }
template <class T> requires kCircular<T>
Nearest nearest(const T& c, Point p) { return circularPath(c).nearest(p); }
template <class T> requires kCircular<T>
double lengthOf(const T& c) { return c.radius * std::abs(circularPath(c).sweep); }
template <class T> requires kCircular<T>
Box boxOf(const T& c) { return circularPath(c).box(); }
template <class T> requires kCircular<T>
std::vector<Point> chords(const T& c, double sag) { return circularPath(c).chords(sag); }

std::vector<LineArc> pieces(const Arc& a, double) { return {a}; }
std::vector<LineArc> pieces(const Circle& c, double)
{
    const CircularPath path = circularPath(c);
    return {arcOf(path, 0, kPi), arcOf(path, kPi, 2 * kPi)};
}

Arc transformedBy(const Arc& a, const Transform& t)
{
    const double turn = t.turnAngle();
    const Point centre = t.apply(a.centre);
    const double radius = a.radius * t.lengthFactor();
    if (t.mirrors())
        return {centre, radius, turn - a.startAngle, turn - a.endAngle, !a.ccw};
    return {centre, radius, a.startAngle + turn, a.endAngle + turn, a.ccw};
}
Circle transformedBy(const Circle& c, const Transform& t) { return {t.apply(c.centre), c.radius * t.lengthFactor()}; }
Curve reversedOf(const Arc& a) { return Arc{a.centre, a.radius, a.endAngle, a.startAngle, !a.ccw}; }
Curve reversedOf(const Circle& c) { return Arc{c.centre, c.radius, 0, -2 * kPi, false}; }

// ---- Polyline ---------------------------------------------------------------

bool degenerate(const Polyline& l)
{
    return l.points.size() < 2 || !std::all_of(l.points.begin(), l.points.end(), [](Point p) { return isFinite(p); }) ||
           std::none_of(l.points.begin(), l.points.end(), [&](Point p) { return distance(p, l.points[0]) > kTiny; });
}

std::size_t segmentCount(const Polyline& l)
{
    return l.points.size() < 2 ? 0 : l.points.size() - (l.closed ? 0 : 1);
}

Segment segmentOf(const Polyline& l, std::size_t i)
{
    return {l.points[i], l.points[(i + 1) % l.points.size()]};
}

Domain domainOf(const Polyline& l) { return {0, static_cast<double>(segmentCount(l))}; }
Point anchor(const Polyline& l) { return l.points.empty() ? Point{} : l.points[0]; }

Point at(const Polyline& l, double t)
{
    const auto i = std::min(static_cast<std::size_t>(t), segmentCount(l) - 1);
    return at(segmentOf(l, i), t - static_cast<double>(i));
}

Nearest nearest(const Polyline& l, Point p)
{
    Nearest best{l.points[0], 0, distance(p, l.points[0])};
    for (std::size_t i = 0; i < segmentCount(l); ++i) {
        const Segment s = segmentOf(l, i);
        if (degenerate(s))
            continue;
        Nearest n = nearest(s, p);
        if (n.distance < best.distance)
            best = {n.point, static_cast<double>(i) + n.t, n.distance};
    }
    return best;
}

double lengthOf(const Polyline& l)
{
    double sum = 0;
    for (std::size_t i = 0; i < segmentCount(l); ++i)
        sum += lengthOf(segmentOf(l, i));
    return sum;
}

Box boxOf(const Polyline& l)
{
    Box b;
    for (Point p : l.points)
        b.add(p);
    return b;
}

std::vector<Point> chords(const Polyline& l, double)
{
    std::vector<Point> out{l.points[0]};
    for (std::size_t i = 0; i < segmentCount(l); ++i)
        if (const Point p = segmentOf(l, i).end; distance(out.back(), p) > kTiny)
            out.push_back(p);
    return out;
}

std::vector<LineArc> pieces(const Polyline& l, double)
{
    std::vector<LineArc> out;
    for (std::size_t i = 0; i < segmentCount(l); ++i)
        if (const Segment s = segmentOf(l, i); !degenerate(s))
            out.push_back(s);
    return out;
}

Polyline transformedBy(const Polyline& l, const Transform& t)
{
    Polyline out{{}, l.closed};
    for (Point p : l.points)
        out.points.push_back(t.apply(p));
    return out;
}

Curve reversedOf(const Polyline& l)
{
    Polyline out{{l.points.rbegin(), l.points.rend()}, l.closed};
    if (l.closed && !out.points.empty())
        std::rotate(out.points.rbegin(), out.points.rbegin() + 1, out.points.rend());
    return out;
}

// ---- Ellipses and splines ---------------------------------------------------

bool degenerate(const Ellipse& e) { return !isValid(e); }
bool degenerate(const EllipticArc& a) { return !isValid(a.ellipse) || normalisedSweep(a.startParam, a.endParam, a.ccw) == 0; }
bool degenerate(const Nurbs& n) { return !isValid(n); }
bool degenerate(const Bezier& b) { const auto n = toNurbs(b); return !n || !isValid(*n); }
bool degenerate(const Conic& c) { const auto n = toNurbs(c); return !n || !isValid(*n) || !isFinite(c.apex); }

EllipticPath smoothOf(const Ellipse& e) { return ellipticPath(e); }
EllipticPath smoothOf(const EllipticArc& a) { return ellipticPath(a); }
NurbsPath smoothOf(const Nurbs& n) { return NurbsPath(n); }
NurbsPath smoothOf(const Bezier& b) { return NurbsPath(*toNurbs(b)); }
NurbsPath smoothOf(const Conic& c) { return NurbsPath(*toNurbs(c)); }

template <class T>
concept SmoothKind = requires(const T& c) { smoothOf(c); };

template <SmoothKind T>
Domain domainOf(const T& c) { const auto br = smoothOf(c).breaks(); return {br.front(), br.back()}; }
template <SmoothKind T>
Point at(const T& c, double t) { return smoothOf(c).at(t); }
template <SmoothKind T>
Nearest nearest(const T& c, Point p) { return nearestOn(smoothOf(c), p); }
template <SmoothKind T>
double lengthOf(const T& c) { return arcLength(smoothOf(c)); }
template <SmoothKind T>
std::vector<LineArc> pieces(const T& c, double sag) { return biarcs(smoothOf(c), sag); }

// An ellipse is a circle of its larger radius pressed along its smaller
// axis, which brings no point farther from a chord: the steps of that
// circle's chords, taken along the ellipse's parameter, keep within the sag.
std::vector<Point> ellipticChords(const Ellipse& e, double start, double sweep, double sag)
{
    const double radius = std::max(e.radiusA, e.radiusB);
    const double step = sag >= radius ? kPi : 2 * std::acos(1 - sag / radius);
    const double total = std::abs(sweep);
    const auto count = static_cast<std::size_t>(std::max(1.0, std::ceil(total / step - 1e-9)));
    const EllipticPath path(e, start, sweep);
    std::vector<Point> points;
    points.reserve(count + 1);
    for (std::size_t i = 0; i <= count; ++i)
        points.push_back(path.at(total * static_cast<double>(i) / static_cast<double>(count)));
    return points;
}
std::vector<Point> chords(const Ellipse& e, double sag) { return ellipticChords(e, 0, 2 * kPi, sag); }
std::vector<Point> chords(const EllipticArc& a, double sag)
{
    return ellipticChords(a.ellipse, a.startParam, normalisedSweep(a.startParam, a.endParam, a.ccw), sag);
}

template <SmoothKind T>
std::vector<Point> chords(const T& c, double sag)
{
    std::vector<Point> out;
    for (const Sample& s : adaptiveChords(smoothOf(c), sag))
        out.push_back(s.p);
    return out;
}

Box boxOf(const Ellipse& e) { return smoothOf(e).exactBox(); }
Box boxOf(const EllipticArc& a) { return smoothOf(a).exactBox(); }
template <SmoothKind T>
Box boxOf(const T& c) { return tightBox(smoothOf(c)); }

Point anchor(const Ellipse& e) { return e.centre; }
Point anchor(const EllipticArc& a) { return a.ellipse.centre; }
Point anchor(const Nurbs& n) { return n.poles.empty() ? Point{} : n.poles[0]; }
Point anchor(const Bezier& b) { return b.poles.empty() ? Point{} : b.poles[0]; }
Point anchor(const Conic& c) { return c.start; }

Ellipse transformedBy(const Ellipse& e, const Transform& t)
{
    const double k = t.lengthFactor();
    const double rotation = t.mirrors() ? t.turnAngle() - e.rotation : e.rotation + t.turnAngle();
    return {t.apply(e.centre), e.radiusA * k, e.radiusB * k, rotation};
}

EllipticArc transformedBy(const EllipticArc& a, const Transform& t)
{
    // A reflection runs the ellipse's parameter backwards.
    if (t.mirrors())
        return {transformedBy(a.ellipse, t), -a.startParam, -a.endParam, !a.ccw};
    return {transformedBy(a.ellipse, t), a.startParam, a.endParam, a.ccw};
}

std::vector<Point> transformedPoints(const std::vector<Point>& points, const Transform& t)
{
    std::vector<Point> out;
    out.reserve(points.size());
    for (Point p : points)
        out.push_back(t.apply(p));
    return out;
}

Nurbs transformedBy(const Nurbs& n, const Transform& t) { return {transformedPoints(n.poles, t), n.weights, n.knots, n.degree}; }
Bezier transformedBy(const Bezier& b, const Transform& t) { return {transformedPoints(b.poles, t), b.degree}; }
Conic transformedBy(const Conic& c, const Transform& t) { return {t.apply(c.start), t.apply(c.apex), t.apply(c.end), c.weight}; }

Curve reversedOf(const Ellipse& e) { return EllipticArc{e, 0, -2 * kPi, false}; }
Curve reversedOf(const EllipticArc& a) { return EllipticArc{a.ellipse, a.endParam, a.startParam, !a.ccw}; }
Curve reversedOf(const Nurbs& n) { return reversedNurbs(n); }
Curve reversedOf(const Bezier& b) { return Bezier{{b.poles.rbegin(), b.poles.rend()}, b.degree}; }
Curve reversedOf(const Conic& c) { return Conic{c.end, c.apex, c.start, c.weight}; }

// ---- Area and winding terms for contours -----------------------------------

double areaOf(const Segment& s) { return cross(s.start, s.end) / 2; }

template <class T> requires kCircular<T>
double areaOf(const T& c)
{
    // Triangle from the origin over the chord plus the circular segment.
    const CircularPath path = circularPath(c);
    const double sweep = path.sweep;
    return cross(path.at(0), path.at(std::abs(sweep))) / 2 + c.radius * c.radius / 2 * (sweep - std::sin(sweep));
}

double areaOf(const Polyline& l)
{
    double sum = 0;
    for (std::size_t i = 0; i < segmentCount(l); ++i)
        sum += areaOf(segmentOf(l, i));
    return sum;
}

template <SmoothKind T>
double areaOf(const T& c) { return areaTerm(smoothOf(c)); }

double windingOf(const Segment& s, Point p)
{
    const Point a = s.start - p;
    const Point b = s.end - p;
    return std::atan2(cross(a, b), dot(a, b));
}

template <class T> requires kCircular<T>
double windingOf(const T& c, Point p)
{
    // The chord's angle, plus a full turn when p lies between the chord and the arc.
    const CircularPath path = circularPath(c);
    const Point s = path.at(0);
    const Point e = path.at(std::abs(path.sweep));
    const Point mid = path.at(std::abs(path.sweep) / 2);
    const bool inDisc = distance(p, path.centre) < path.radius;
    const bool bulgeSide = distance(s, e) <= kTiny || (cross(e - s, p - s) > 0) == (cross(e - s, mid - s) > 0);
    const double turn = inDisc && bulgeSide ? (path.sweep > 0 ? 2 * kPi : -2 * kPi) : 0;
    return windingOf(Segment{s, e}, p) + turn;
}

double windingOfPoints(const std::vector<Point>& points, Point p)
{
    double sum = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        sum += windingOf(Segment{points[i - 1], points[i]}, p);
    return sum;
}

double windingOf(const Polyline& l, Point p) { return windingOfPoints(chords(l, 0), p); }

template <SmoothKind T>
double windingOf(const T& c, Point p)
{
    const Box box = boxOf(c);
    return windingOfPoints(chords(c, 1e-6 * std::max({kTiny, box.width(), box.height()})), p);
}

// ---- Dispatch helpers -------------------------------------------------------

// The sag actually used: positive and not so small that chords would never end.
double usableSag(double sag, const Box& box)
{
    const double floor = 1e-9 * std::max({1.0, box.width(), box.height()});
    return std::isfinite(sag) && sag > floor ? sag : floor;
}

template <class F>
auto visitCurve(const Curve& curve, F&& f)
{
    return std::visit(std::forward<F>(f), curve);
}

}  // namespace

bool isDegenerate(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return degenerate(c); });
}

Domain domain(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return degenerate(c) ? Domain{} : domainOf(c); });
}

Point pointAt(const Curve& curve, double t)
{
    return visitCurve(curve, [t](const auto& c) {
        if (degenerate(c))
            return anchor(c);
        const Domain d = domainOf(c);
        return at(c, std::isnan(t) ? d.min : std::clamp(t, d.min, d.max));
    });
}

Point startPoint(const Curve& curve)
{
    return pointAt(curve, domain(curve).min);
}

Point endPoint(const Curve& curve)
{
    return pointAt(curve, domain(curve).max);
}

bool isClosed(const Curve& curve, double tol)
{
    return !isDegenerate(curve) && near(startPoint(curve), endPoint(curve), tol);
}

std::optional<Nearest> nearestPoint(const Curve& curve, Point p)
{
    if (!isFinite(p))
        return std::nullopt;
    return visitCurve(curve, [p](const auto& c) { return degenerate(c) ? std::optional<Nearest>{} : nearest(c, p); });
}

struct NearestFinder::Smooth {
    std::unique_ptr<detail::Smooth> path;
    NearestChords chords;
};

NearestFinder::NearestFinder(const Curve& curve) : curve_(curve)
{
    if (isDegenerate(curve_))
        return;
    visitCurve(curve_, [this](const auto& c) {
        if constexpr (SmoothKind<std::decay_t<decltype(c)>>) {
            smooth_ = std::make_unique<Smooth>();
            smooth_->path = std::make_unique<decltype(smoothOf(c))>(smoothOf(c));
            smooth_->chords = nearestChords(*smooth_->path);
        }
    });
}

NearestFinder::~NearestFinder() = default;

std::optional<Nearest> NearestFinder::operator()(Point p) const
{
    if (!smooth_)
        return nearestPoint(curve_, p);
    if (!isFinite(p))
        return std::nullopt;
    return nearestOn(*smooth_->path, smooth_->chords, p);
}

double length(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return degenerate(c) ? 0.0 : lengthOf(c); });
}

Box boundingBox(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return degenerate(c) ? Box{} : boxOf(c); });
}

std::vector<Point> chordPoints(const Curve& curve, double sag)
{
    return visitCurve(curve, [sag](const auto& c) {
        return degenerate(c) ? std::vector<Point>{} : chords(c, usableSag(sag, boxOf(c)));
    });
}

std::vector<LineArc> linesAndArcs(const Curve& curve, double sag)
{
    return visitCurve(curve, [sag](const auto& c) {
        return degenerate(c) ? std::vector<LineArc>{} : pieces(c, usableSag(sag, boxOf(c)));
    });
}

Curve transformed(const Curve& curve, const Transform& transform)
{
    return visitCurve(curve, [&](const auto& c) { return Curve{transformedBy(c, transform)}; });
}

Curve reversed(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return reversedOf(c); });
}

double detail::areaTermOf(const Curve& curve)
{
    return visitCurve(curve, [](const auto& c) { return degenerate(c) ? 0.0 : areaOf(c); });
}

double detail::windingAngleOf(const Curve& curve, Point p)
{
    return visitCurve(curve, [p](const auto& c) { return degenerate(c) ? 0.0 : windingOf(c, p); });
}

Curve toCurve(const LineArc& piece)
{
    return std::visit([](const auto& p) { return Curve{p}; }, piece);
}

}  // namespace vlhost::geom
