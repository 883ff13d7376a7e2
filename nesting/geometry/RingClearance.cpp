#include "geometry/RingClearance.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace clearance {
namespace {

struct Edge {
    NPoint a, b;
    NRect box;
};

NRect BoxOf(const NPoint& a, const NPoint& b)
{
    return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
}

NRect Grown(const NRect& r, double by) { return {r.pBot - NPoint{by, by}, r.pTop + NPoint{by, by}}; }

bool BoxesMeet(const NRect& r, const NRect& s)
{
    return r.pBot.x <= s.pTop.x && s.pBot.x <= r.pTop.x && r.pBot.y <= s.pTop.y && s.pBot.y <= r.pTop.y;
}

}  // namespace

NRect Box(const VectorPolygon& rings)
{
    NRect box{{kFar, kFar}, {-kFar, -kFar}};
    for (const NPolygonPtr& ring : rings) {
        if (!ring)
            continue;
        for (const NPoint& p : ring->m_points) {
            box.pBot = {std::min(box.pBot.x, p.x), std::min(box.pBot.y, p.y)};
            box.pTop = {std::max(box.pTop.x, p.x), std::max(box.pTop.y, p.y)};
        }
    }
    return box;
}

namespace {

void AddEdges(const std::vector<NPoint>& ring, const NRect& within, std::vector<Edge>& edges)
{
    const size_t n = ring.size();
    for (size_t k = 0; n >= 2 && k < n; ++k) {
        const NPoint& a = ring[k == 0 ? n - 1 : k - 1];
        const NPoint& b = ring[k];
        const NRect box = BoxOf(a, b);
        if (BoxesMeet(box, within))
            edges.push_back({a, b, box});
    }
}

// The edges of the rings whose boxes meet `within`.
std::vector<Edge> EdgesWithin(const VectorPolygon& rings, const NRect& within)
{
    std::vector<Edge> edges;
    for (const NPolygonPtr& ring : rings) {
        if (ring)
            AddEdges(ring->m_points, within, edges);
    }
    return edges;
}

double SegmentDistance(const Edge& p, const Edge& q)
{
    if (CheckIntersectionSegments(p.a, p.b, q.a, q.b))
        return 0.0;
    return std::min({DistancePointToSegment(p.a, q.a, q.b), DistancePointToSegment(p.b, q.a, q.b),
                     DistancePointToSegment(q.a, p.a, p.b), DistancePointToSegment(q.b, p.a, p.b)});
}

// The least distance between an edge of `p` and one of `q` when it is below
// `reach`, `reach` otherwise. `q` is sorted by the left of its boxes.
double Least(const std::vector<Edge>& p, const std::vector<Edge>& q, double reach)
{
    double widest = 0.0;
    for (const Edge& e : q)
        widest = std::max(widest, e.box.pTop.x - e.box.pBot.x);
    double best = reach;
    for (const Edge& e : p) {
        const double from = e.box.pBot.x - best - widest;
        auto it = std::lower_bound(q.begin(), q.end(), from, [](const Edge& f, double x) { return f.box.pBot.x < x; });
        for (; it != q.end() && it->box.pBot.x <= e.box.pTop.x + best; ++it) {
            if (it->box.pTop.x < e.box.pBot.x - best || it->box.pBot.y > e.box.pTop.y + best ||
                it->box.pTop.y < e.box.pBot.y - best)
                continue;
            best = std::min(best, SegmentDistance(e, *it));
            if (best <= 0.0)
                return 0.0;
        }
    }
    return best;
}

void SortByLeft(std::vector<Edge>& edges)
{
    std::stable_sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.box.pBot.x < f.box.pBot.x; });
}

// Whether an edge of `edges` (sorted by the left of their boxes) passes
// within `slack` of the point.
bool EdgeWithin(const std::vector<Edge>& edges, const NPoint& p, double slack)
{
    return Least({Edge{p, p, BoxOf(p, p)}}, edges, slack) < slack;
}

// Where the segment a-b crosses the segment c-d, as its parameter along a-b;
// none for parallel segments.
bool CrossingParameter(const NPoint& a, const NPoint& b, const NPoint& c, const NPoint& d, double& t)
{
    const NPoint r = b - a;
    const NPoint s = d - c;
    const double denominator = r.x * s.y - r.y * s.x;
    if (std::fabs(denominator) < 1e-18)
        return false;
    const NPoint w = c - a;
    t = (w.x * s.y - w.y * s.x) / denominator;
    const double u = (w.x * r.y - w.y * r.x) / denominator;
    return t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0;
}

// Points of the boundary `edges` (of one part) to try against the other
// part, whose edges near them are `others`: every vertex, and the middle of
// each piece an edge is cut into where it crosses the other boundary.
std::vector<NPoint> BoundarySamples(const std::vector<Edge>& edges, const std::vector<Edge>& others)
{
    std::vector<NPoint> samples;
    std::vector<double> cuts;
    for (const Edge& e : edges) {
        samples.push_back(e.b);
        cuts.assign({0.0, 1.0});
        for (const Edge& f : others) {
            double t = 0.0;
            if (BoxesMeet(e.box, f.box) && CrossingParameter(e.a, e.b, f.a, f.b, t))
                cuts.push_back(t);
        }
        std::sort(cuts.begin(), cuts.end());
        for (size_t k = 1; k < cuts.size(); ++k) {
            const double t = 0.5 * (cuts[k - 1] + cuts[k]);
            samples.push_back({e.a.x + (e.b.x - e.a.x) * t, e.a.y + (e.b.y - e.a.y) * t});
        }
    }
    return samples;
}

// Points well inside the part: on lines across its box at a quarter, half
// and three quarters of its height and of its width, the middle of the
// longest stretch of each line inside the part.
std::vector<NPoint> InnerSamples(const VectorPolygon& rings, const NRect& box)
{
    std::vector<NPoint> samples;
    std::vector<double> hits;
    for (const bool across : {true, false}) {
        for (const double f : {0.25, 0.5, 0.75}) {
            // across: a line of constant y, hits along x; otherwise the other way.
            const double at = across ? box.pBot.y + f * (box.pTop.y - box.pBot.y)
                                     : box.pBot.x + f * (box.pTop.x - box.pBot.x);
            hits.clear();
            for (const NPolygonPtr& ring : rings) {
                if (!ring)
                    continue;
                const std::vector<NPoint>& v = ring->m_points;
                for (size_t k = 0; v.size() >= 2 && k < v.size(); ++k) {
                    const NPoint& a = v[k == 0 ? v.size() - 1 : k - 1];
                    const NPoint& b = v[k];
                    const double ua = across ? a.y : a.x, ub = across ? b.y : b.x;
                    if ((ua > at) == (ub > at))
                        continue;
                    const double va = across ? a.x : a.y, vb = across ? b.x : b.y;
                    hits.push_back(va + (vb - va) * (at - ua) / (ub - ua));
                }
            }
            std::sort(hits.begin(), hits.end());
            double widest = 0.0;
            double middle = 0.0;
            for (size_t k = 1; k < hits.size(); k += 2) {
                if (hits[k] - hits[k - 1] > widest) {
                    widest = hits[k] - hits[k - 1];
                    middle = 0.5 * (hits[k] + hits[k - 1]);
                }
            }
            if (widest > 0.0)
                samples.push_back(across ? NPoint{middle, at} : NPoint{at, middle});
        }
    }
    return samples;
}

}  // namespace

double RingsDistance(const VectorPolygon& a, const VectorPolygon& b, double reach)
{
    const NRect boxA = Box(a);
    const NRect boxB = Box(b);
    if (!BoxesMeet(Grown(boxA, reach), boxB))
        return kFar;
    std::vector<Edge> p = EdgesWithin(a, Grown(boxB, reach));
    std::vector<Edge> q = EdgesWithin(b, Grown(boxA, reach));
    SortByLeft(q);
    const double least = Least(p, q, reach);
    return least < reach ? least : kFar;
}

bool InPart(const VectorPolygon& rings, const NPoint& p)
{
    bool inside = false;
    for (const NPolygonPtr& ring : rings) {
        if (ring && CheckPoligonContainPoint(ring->m_points, p, false))
            inside = !inside;
    }
    return inside;
}

bool Overlap(const VectorPolygon& a, const VectorPolygon& b, double slack)
{
    if (a.empty() || b.empty() || !a.front() || !b.front() || a.front()->m_points.empty() ||
        b.front()->m_points.empty())
        return false;
    const NRect boxA = Box(a);
    const NRect boxB = Box(b);
    if (!BoxesMeet(boxA, boxB))
        return false;
    // Boundaries apart: one part wholly in the other's material, or none.
    if (RingsDistance(a, b, slack) == kFar)
        return InPart(b, a.front()->m_points.front()) || InPart(a, b.front()->m_points.front());
    std::vector<Edge> edgesA = EdgesWithin(a, Grown(boxA, slack));
    std::vector<Edge> edgesB = EdgesWithin(b, Grown(boxB, slack));
    SortByLeft(edgesA);
    SortByLeft(edgesB);
    // Deeper than the slack in `rings`, whose edges are `edges`.
    const auto deep = [slack](const VectorPolygon& rings, const std::vector<Edge>& edges, const NPoint& p) {
        return InPart(rings, p) && !EdgeWithin(edges, p, slack);
    };
    const std::array<std::pair<const VectorPolygon*, const std::vector<Edge>*>, 2> parts{
        std::pair{&a, &edgesA}, std::pair{&b, &edgesB}};
    for (size_t k = 0; k < 2; ++k) {
        const auto& [mine, myEdges] = parts[k];
        const auto& [other, otherEdges] = parts[1 - k];
        const NRect otherBox = k == 0 ? boxB : boxA;
        std::vector<Edge> near;
        for (const Edge& e : *myEdges) {
            if (BoxesMeet(e.box, otherBox))
                near.push_back(e);
        }
        for (const NPoint& p : BoundarySamples(near, *otherEdges)) {
            if (deep(*other, *otherEdges, p))
                return true;
        }
        for (const NPoint& p : InnerSamples(*mine, k == 0 ? boxA : boxB)) {
            if (deep(*mine, *myEdges, p) && deep(*other, *otherEdges, p))
                return true;
        }
    }
    return false;
}

double EdgeDistance(const VectorPolygon& rings, const NPolygon& edge, double reach)
{
    const NRect box = Box(rings);
    std::vector<Edge> sheet;
    AddEdges(edge.m_points, Grown(box, reach), sheet);
    SortByLeft(sheet);
    const double least = Least(EdgesWithin(rings, box), sheet, reach);
    return least < reach ? least : kFar;
}

}  // namespace clearance
