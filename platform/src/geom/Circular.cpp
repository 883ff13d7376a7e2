// Circular arcs and circles.

#include "geom/detail/Kernel.h"

#include <algorithm>

namespace vlhost::geom {

using detail::kTiny;

namespace detail {

namespace {

constexpr double kTurn = 2 * kPi;

double positiveTurnRemainder(double angle)
{
    const double r = std::fmod(angle, kTurn);
    return r < 0 ? r + kTurn : r;
}

}  // namespace

double normalisedSweep(double start, double end, bool ccw)
{
    const double d = ccw ? end - start : start - end;
    if (!std::isfinite(d) || std::abs(d) < kTiny)
        return 0;
    double sweep = positiveTurnRemainder(d);
    if (sweep < kTiny)
        sweep = kTurn;
    return ccw ? sweep : -sweep;
}

double travelled(double angle, double start, double sweep)
{
    return positiveTurnRemainder(sweep >= 0 ? angle - start : start - angle);
}

bool onSweep(double angle, double start, double sweep, double angleTol)
{
    const double along = travelled(angle, start, sweep);
    return along <= std::abs(sweep) + angleTol || along >= kTurn - angleTol;
}

Point CircularPath::at(double along) const
{
    return centre + unitAt(start + (sweep >= 0 ? along : -along)) * radius;
}

Point CircularPath::tangent(double along) const
{
    const Point radial = unitAt(start + (sweep >= 0 ? along : -along));
    return sweep >= 0 ? Point{-radial.y, radial.x} : Point{radial.y, -radial.x};
}

Nearest CircularPath::nearest(Point p) const
{
    const Point d = p - centre;
    const double angle = std::atan2(d.y, d.x);
    const double along = (d.x == 0 && d.y == 0) ? 0 : travelled(angle, start, sweep);
    if (along <= std::abs(sweep))
        return {at(along), along, std::abs(norm(d) - radius)};
    const Point first = at(0);
    const Point last = at(std::abs(sweep));
    const double toFirst = distance(p, first);
    const double toLast = distance(p, last);
    return toFirst <= toLast ? Nearest{first, 0, toFirst} : Nearest{last, std::abs(sweep), toLast};
}

double CircularPath::distanceTo(Point p) const
{
    return nearest(p).distance;
}

Box CircularPath::box() const
{
    Box b;
    b.add(at(0));
    b.add(at(std::abs(sweep)));
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double angle = quarter * kPi / 2;
        if (onSweep(angle, start, sweep, 0))
            b.add(centre + unitAt(angle) * radius);
    }
    return b;
}

std::vector<Point> CircularPath::chords(double sag) const
{
    // A chord over the angle φ lies r (1 - cos φ/2) from its arc.
    const double step = sag >= radius ? kPi : 2 * std::acos(1 - sag / radius);
    const double total = std::abs(sweep);
    const auto count = static_cast<std::size_t>(std::max(1.0, std::ceil(total / step - 1e-9)));
    std::vector<Point> points;
    points.reserve(count + 1);
    for (std::size_t i = 0; i <= count; ++i)
        points.push_back(at(total * static_cast<double>(i) / static_cast<double>(count)));
    return points;
}

CircularPath circularPath(const Arc& arc)
{
    return {arc.centre, arc.radius, arc.startAngle, arc.sweep()};
}

CircularPath circularPath(const Circle& circle)
{
    return {circle.centre, circle.radius, 0, kTurn};
}

Arc arcOf(const CircularPath& path, double from, double to)
{
    const double sign = path.sweep >= 0 ? 1 : -1;
    return {path.centre, path.radius, path.start + sign * from, path.start + sign * to, path.sweep >= 0};
}

}  // namespace detail

Arc Arc::fromEnds(Point centre, Point start, Point end, bool ccw)
{
    const Point s = start - centre;
    const Point e = end - centre;
    return {centre, norm(s), std::atan2(s.y, s.x), std::atan2(e.y, e.x), ccw};
}

std::optional<Arc> Arc::through(Point p1, Point p2, Point p3)
{
    const Point a = p2 - p1;
    const Point b = p3 - p1;
    const double den = 2 * cross(a, b);
    const double scale = std::max(dot(a, a), dot(b, b));
    if (!std::isfinite(den) || std::abs(den) <= 1e-12 * scale || scale < kTiny * kTiny)
        return std::nullopt;
    const Point centre = p1 + Point{b.y * dot(a, a) - a.y * dot(b, b), a.x * dot(b, b) - b.x * dot(a, a)} / den;
    return fromEnds(centre, p1, p3, den > 0);
}

double Arc::sweep() const
{
    return detail::normalisedSweep(startAngle, endAngle, ccw);
}

}  // namespace vlhost::geom
