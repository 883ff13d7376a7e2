#include "job_check/Clearance.h"

#include <algorithm>
#include <cmath>

namespace jobcheck {
namespace {

constexpr double kTwoPi = 2.0 * M_PI;
constexpr double kSample = 1e-3;  // mm a sampled arc may leave its arc by, for containment only

struct Arc {
    NPoint c;
    double r = 0.0, start = 0.0, sweep = 0.0;
};

double Length(const NPoint& v) { return std::hypot(v.x, v.y); }
double Dist(const NPoint& p, const NPoint& q) { return Length(p - q); }

Arc ArcOf(const Edge& e)
{
    const NPoint d = e.b - e.a;
    const double chord = Length(d);
    const NPoint middle{0.5 * (e.a.x + e.b.x), 0.5 * (e.a.y + e.b.y)};
    // The centre stands off the chord's middle, on its left for a
    // counter-clockwise arc of less than a half turn.
    const double off = 0.5 / std::tan(0.5 * e.sweep);
    Arc arc;
    arc.c = {middle.x - d.y * off, middle.y + d.x * off};
    arc.r = chord / (2.0 * std::sin(0.5 * std::fabs(e.sweep)));
    arc.start = std::atan2(e.a.y - arc.c.y, e.a.x - arc.c.x);
    arc.sweep = e.sweep;
    return arc;
}

// The direction `angle` from the centre meets the arc.
bool InSpan(const Arc& arc, double angle)
{
    double turn = arc.sweep > 0.0 ? angle - arc.start : arc.start - angle;
    turn = std::fmod(turn, kTwoPi);
    if (turn < 0.0)
        turn += kTwoPi;
    return turn <= std::fabs(arc.sweep);
}

bool InSpanTowards(const Arc& arc, const NPoint& p)
{
    return InSpan(arc, std::atan2(p.y - arc.c.y, p.x - arc.c.x));
}

double PointSegment(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const NPoint d = b - a;
    const double len2 = d.x * d.x + d.y * d.y;
    const double t = len2 > 0.0 ? std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / len2, 0.0, 1.0) : 0.0;
    return Dist(p, NPoint{a.x + t * d.x, a.y + t * d.y});
}

double PointArc(const NPoint& p, const Arc& arc, const Edge& e)
{
    const double fromCentre = Dist(p, arc.c);
    if (fromCentre > 0.0 && InSpanTowards(arc, p))
        return std::fabs(fromCentre - arc.r);
    return std::min(Dist(p, e.a), Dist(p, e.b));
}

double PointEdge(const NPoint& p, const Edge& e)
{
    return e.sweep == 0.0 ? PointSegment(p, e.a, e.b) : PointArc(p, ArcOf(e), e);
}

double Cross(const NPoint& o, const NPoint& p, const NPoint& q)
{
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
}

bool SegmentsCross(const Edge& p, const Edge& q)
{
    const double d1 = Cross(q.a, q.b, p.a), d2 = Cross(q.a, q.b, p.b);
    const double d3 = Cross(p.a, p.b, q.a), d4 = Cross(p.a, p.b, q.b);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

// The ends of each against the other: where an end is nearest.
double EndsDistance(const Edge& p, const Edge& q)
{
    return std::min({PointEdge(p.a, q), PointEdge(p.b, q), PointEdge(q.a, p), PointEdge(q.b, p)});
}

double SegmentArc(const Edge& s, const Edge& e)
{
    const Arc arc = ArcOf(e);
    double best = EndsDistance(s, e);
    const NPoint d = s.b - s.a;
    const double len = Length(d);
    if (len <= 0.0)
        return best;
    const NPoint w{d.x / len, d.y / len};
    const double t = (arc.c.x - s.a.x) * w.x + (arc.c.y - s.a.y) * w.y;  // the foot of the centre, along s
    const NPoint foot{s.a.x + t * w.x, s.a.y + t * w.y};
    const double off = Dist(foot, arc.c);
    // The line crosses the circle where the arc may be.
    if (off <= arc.r) {
        const double h = std::sqrt(arc.r * arc.r - off * off);
        for (double at : {t - h, t + h})
            if (at >= 0.0 && at <= len && InSpanTowards(arc, NPoint{s.a.x + at * w.x, s.a.y + at * w.y}))
                return 0.0;
    }
    // Both inside: the shortest link runs through the centre, square to s.
    if (t > 0.0 && t < len && off > 0.0) {
        const NPoint u{(foot.x - arc.c.x) / off, (foot.y - arc.c.y) / off};
        for (double side : {1.0, -1.0}) {
            const NPoint q{arc.c.x + side * arc.r * u.x, arc.c.y + side * arc.r * u.y};
            if (InSpanTowards(arc, q))
                best = std::min(best, Dist(foot, q));
        }
    }
    return best;
}

double ArcArc(const Edge& e, const Edge& f)
{
    const Arc p = ArcOf(e), q = ArcOf(f);
    double best = EndsDistance(e, f);
    const double d = Dist(p.c, q.c);
    if (d <= 1e-12) {
        // Concentric: the radial gap where the spans share a direction.
        const bool share = InSpanTowards(p, f.a) || InSpanTowards(p, f.b) || InSpanTowards(q, e.a) ||
                           InSpanTowards(q, e.b);
        return share ? std::min(best, std::fabs(p.r - q.r)) : best;
    }
    const NPoint u{(q.c.x - p.c.x) / d, (q.c.y - p.c.y) / d};
    if (d <= p.r + q.r && d >= std::fabs(p.r - q.r)) {
        const double along = (d * d + p.r * p.r - q.r * q.r) / (2.0 * d);
        const double h = std::sqrt(std::max(0.0, p.r * p.r - along * along));
        for (double side : {1.0, -1.0}) {
            const NPoint x{p.c.x + along * u.x - side * h * u.y, p.c.y + along * u.y + side * h * u.x};
            if (InSpanTowards(p, x) && InSpanTowards(q, x))
                return 0.0;
        }
    }
    // Both inside: the shortest link lies on the line of the centres.
    for (double sp : {1.0, -1.0}) {
        const NPoint x{p.c.x + sp * p.r * u.x, p.c.y + sp * p.r * u.y};
        if (!InSpanTowards(p, x))
            continue;
        for (double sq : {1.0, -1.0}) {
            const NPoint y{q.c.x + sq * q.r * u.x, q.c.y + sq * q.r * u.y};
            if (InSpanTowards(q, y))
                best = std::min(best, Dist(x, y));
        }
    }
    return best;
}

NRect EdgeBox(const Edge& e)
{
    NRect box{{std::min(e.a.x, e.b.x), std::min(e.a.y, e.b.y)}, {std::max(e.a.x, e.b.x), std::max(e.a.y, e.b.y)}};
    if (e.sweep == 0.0)
        return box;
    const Arc arc = ArcOf(e);
    for (int k = 0; k < 4; ++k) {
        const double angle = k * 0.5 * M_PI;
        if (!InSpan(arc, angle))
            continue;
        const NPoint p{arc.c.x + arc.r * std::cos(angle), arc.c.y + arc.r * std::sin(angle)};
        box.pBot = {std::min(box.pBot.x, p.x), std::min(box.pBot.y, p.y)};
        box.pTop = {std::max(box.pTop.x, p.x), std::max(box.pTop.y, p.y)};
    }
    return box;
}

double BoxDistance(const NRect& p, const NRect& q)
{
    const double dx = std::max({0.0, q.pBot.x - p.pTop.x, p.pBot.x - q.pTop.x});
    const double dy = std::max({0.0, q.pBot.y - p.pTop.y, p.pBot.y - q.pTop.y});
    return std::hypot(dx, dy);
}

std::vector<NPoint> Sampled(const Loop& loop)
{
    std::vector<NPoint> points;
    for (const Edge& e : loop) {
        points.push_back(e.a);
        if (e.sweep == 0.0)
            continue;
        const Arc arc = ArcOf(e);
        const double step = arc.r > kSample ? 2.0 * std::acos(1.0 - kSample / arc.r) : M_PI;
        const int pieces = std::clamp(static_cast<int>(std::ceil(std::fabs(arc.sweep) / step)), 1, 4096);
        for (int k = 1; k < pieces; ++k) {
            const double angle = arc.start + arc.sweep * k / pieces;
            points.push_back({arc.c.x + arc.r * std::cos(angle), arc.c.y + arc.r * std::sin(angle)});
        }
    }
    return points;
}

bool Inside(const std::vector<NPoint>& ring, const NPoint& p)
{
    bool inside = false;
    for (size_t k = 0, j = ring.size() - 1; k < ring.size(); j = k++) {
        const NPoint& a = ring[k];
        const NPoint& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    }
    return inside;
}

double RingArea(const std::vector<NPoint>& ring)
{
    double twice = 0.0;
    for (size_t k = 0, j = ring.size() - 1; k < ring.size(); j = k++)
        twice += ring[j].x * ring[k].y - ring[k].x * ring[j].y;
    return std::fabs(0.5 * twice);
}

// Boxes of outlines that touch (a part on a sheet without an edge gap) hold
// each other within rounding.
bool Holds(const NRect& outer, const NRect& inner)
{
    constexpr double kTouch = 1e-6;
    return outer.pBot.x <= inner.pBot.x + kTouch && outer.pBot.y <= inner.pBot.y + kTouch &&
           inner.pTop.x <= outer.pTop.x + kTouch && inner.pTop.y <= outer.pTop.y + kTouch;
}

// Whether the ring `inner` (not crossing `outer`) lies inside `outer`, told
// by its first point (a vertex or the middle of a side) that does not stand
// on `outer`: an outline touching another is inside or outside it as a
// whole.
bool RingInside(const std::vector<NPoint>& outer, const std::vector<NPoint>& inner)
{
    constexpr double kOn = 2.0 * kSample;
    const auto on = [&](const NPoint& p) {
        for (size_t k = 0, j = outer.size() - 1; k < outer.size(); j = k++) {
            if (PointSegment(p, outer[j], outer[k]) < kOn)
                return true;
        }
        return false;
    };
    for (size_t k = 0; k < inner.size(); ++k) {
        const NPoint& a = inner[k];
        const NPoint& b = inner[(k + 1) % inner.size()];
        for (const NPoint& p : {a, NPoint{0.5 * (a.x + b.x), 0.5 * (a.y + b.y)}}) {
            if (!on(p))
                return Inside(outer, p);
        }
    }
    return false;
}

}  // namespace

double EdgeDistance(const Edge& p, const Edge& q)
{
    if (p.sweep == 0.0 && q.sweep == 0.0)
        return SegmentsCross(p, q) ? 0.0 : EndsDistance(p, q);
    if (p.sweep == 0.0)
        return SegmentArc(p, q);
    if (q.sweep == 0.0)
        return SegmentArc(q, p);
    return ArcArc(p, q);
}

double LoopDistance(const Loop& p, const Loop& q, double below)
{
    std::vector<NRect> boxes;
    boxes.reserve(q.size());
    for (const Edge& f : q)
        boxes.push_back(EdgeBox(f));
    double best = 1e300;
    for (const Edge& e : p) {
        const NRect box = EdgeBox(e);
        for (size_t k = 0; k < q.size(); ++k) {
            if (BoxDistance(box, boxes[k]) >= best)
                continue;
            best = std::min(best, EdgeDistance(e, q[k]));
            if (best < below)
                return best;
        }
    }
    return best;
}

NRect LoopBox(const Loop& loop)
{
    NRect box{{1e300, 1e300}, {-1e300, -1e300}};
    for (const Edge& e : loop) {
        const NRect b = EdgeBox(e);
        box.pBot = {std::min(box.pBot.x, b.pBot.x), std::min(box.pBot.y, b.pBot.y)};
        box.pTop = {std::max(box.pTop.x, b.pTop.x), std::max(box.pTop.y, b.pTop.y)};
    }
    return box;
}

std::vector<int> Parents(const std::vector<Loop>& loops)
{
    std::vector<std::vector<NPoint>> rings;
    std::vector<NRect> boxes;
    std::vector<double> areas;
    for (const Loop& loop : loops) {
        rings.push_back(Sampled(loop));
        boxes.push_back(LoopBox(loop));
        areas.push_back(RingArea(rings.back()));
    }
    std::vector<int> parents(loops.size(), -1);
    for (size_t i = 0; i < loops.size(); ++i) {
        if (loops[i].empty())
            continue;
        for (size_t j = 0; j < loops.size(); ++j) {
            if (j == i || loops[j].empty() || areas[j] <= areas[i] || !Holds(boxes[j], boxes[i]))
                continue;
            const int parent = parents[i];
            if ((parent < 0 || areas[j] < areas[static_cast<size_t>(parent)]) && RingInside(rings[j], rings[i]))
                parents[i] = static_cast<int>(j);
        }
    }
    return parents;
}

}  // namespace jobcheck
