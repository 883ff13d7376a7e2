// Crossings of polygon boundaries, containment of points and polygons, and
// orientation.
#include "geometry/Polygon.h"
#include "geometry/EdgeIndex.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double RING_ROTATE_Y = 0.01;  // the walk starts after a vertex at least this far from the ray's line
constexpr double RAY_LENGTH = 1e10;

// The ring read from vertex `shift` on (shift below the vertex count), without copying it.
class ShiftedRing {
public:
    ShiftedRing(const std::vector<NPoint>& points, size_t shift) : m_points(points), m_shift(shift) {}
    const NPoint& operator[](size_t k) const
    {
        const size_t at = k + m_shift;
        return m_points[at < m_points.size() ? at : at - m_points.size()];
    }

private:
    const std::vector<NPoint>& m_points;
    size_t m_shift;
};

// Ray crossing counter of the point-in-ring test: the ray runs from p to the
// right. A vertex on the ray counts once when the boundary passes from one
// side to the other there (possibly after a horizontal run along the ray);
// the edges at such a vertex meet the ray only there and are not tested.
// Every other crossing counts, however close to another one: the two edges
// of a vertex just off the ray cross it at two points.
class RayCounter {
public:
    explicit RayCounter(const NPoint& p) : m_p(p), m_end{p.x + RAY_LENGTH, p.y} {}

    void Visit(const NPoint& prev, const NPoint& cur, const NPoint& next)
    {
        if (OnRay(cur))
            VisitVertexOnRay(prev, cur, next);
        else if (!(cur.x <= m_p.x - EPS && prev.x <= m_p.x - EPS))
            VisitEdge(prev, cur);
    }

    bool IsInside() const { return m_count % 2 == 1; }

private:
    bool OnRay(const NPoint& v) const { return v.x > m_p.x - EPS && std::fabs(v.y - m_p.y) < EPS; }

    // The sides are taken from the ray, not from `cur`: a run of vertices
    // each less than EPS from the next (a fine chain crossing the ray) still
    // passes from one side to the other.
    void VisitVertexOnRay(const NPoint& prev, const NPoint&, const NPoint& next)
    {
        const bool nextAbove = next.y > m_p.y + EPS;
        const bool nextBelow = next.y < m_p.y - EPS;
        if (prev.y < m_p.y - EPS) {
            m_fromBelow = true;
            if (nextAbove && !m_fromAbove)
                Count();
        } else if (prev.y > m_p.y + EPS) {
            m_fromAbove = true;
            if (nextBelow && !m_fromBelow)
                Count();
        } else if ((m_fromBelow && nextAbove) || (m_fromAbove && nextBelow)) {
            Count();
        }
    }

    void VisitEdge(const NPoint& prev, const NPoint& cur)
    {
        m_fromBelow = m_fromAbove = false;
        if (OnRay(prev))
            return;
        NPoint x;
        if (CheckIntersectionSegments(prev, cur, m_p, m_end) && IntersectionLines(prev, cur, m_p, m_end, x) &&
            !(x == prev))
            Count();
    }

    void Count()
    {
        ++m_count;
        m_fromBelow = m_fromAbove = false;
    }

    NPoint m_p;
    NPoint m_end;
    size_t m_count = 0;
    bool m_fromBelow = false;
    bool m_fromAbove = false;
};

NPoint MidPoint(const NPoint& a, const NPoint& b) { return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5}; }

// Bounding box of a point list, computed afresh (not the cached gabarit).
NRect BoundingBox(const std::vector<NPoint>& points)
{
    NRect r{{GABARIT_LOW, GABARIT_LOW}, {GABARIT_HIGH, GABARIT_HIGH}};
    for (const NPoint& p : points) {
        r.pBot.x = std::min(r.pBot.x, p.x);
        r.pBot.y = std::min(r.pBot.y, p.y);
        r.pTop.x = std::max(r.pTop.x, p.x);
        r.pTop.y = std::max(r.pTop.y, p.y);
    }
    return r;
}

// The box of segment a-b meets `box` widened by EPS.
bool SegmentMeetsBox(const NPoint& a, const NPoint& b, const NRect& box)
{
    return std::min(a.x, b.x) < box.pTop.x + EPS && std::max(a.x, b.x) > box.pBot.x - EPS &&
           std::min(a.y, b.y) < box.pTop.y + EPS && std::max(a.y, b.y) > box.pBot.y - EPS;
}

void SortByLength(std::vector<LengthPoint>& hits)
{
    std::stable_sort(hits.begin(), hits.end(),
                     [](const LengthPoint& a, const LengthPoint& b) { return a.length2 < b.length2; });
}

// Appends a hit, overwriting the last element instead when it is the same point.
void AppendMerged(std::vector<NIndexPoint>& points, const NIndexPoint& hit)
{
    if (!points.empty() && points.back() == hit)
        points.back() = hit;
    else
        points.push_back(hit);
}

// Below this many edges on either side the plain double loop is quicker.
constexpr size_t INDEX_MIN_EDGES = 24;

// Records the hit of edge k (a-b) of one ring with edge j of `other`.
struct EdgeHitCollector {
    const NPoint& a;
    const NPoint& b;
    size_t afterB;  // insertion index of a hit at b
    size_t k;
    const std::vector<NPoint>& other;
    std::vector<LengthPoint>& edgeHits;

    void operator()(size_t j) const
    {
        const size_t m = other.size();
        const NPoint& c = other[j == 0 ? m - 1 : j - 1];
        const NPoint& d = other[j];
        NPoint x;
        // A shared end point of a-b wins over the line intersection.
        if (!CheckIntersectionSegments(a, b, c, d) || !IntersectionLines(a, b, c, d, x))
            return;
        edgeHits.push_back({0.0, NIndexPoint{x, x == b ? afterB : k, j, Simple}});
    }
};

// Probe points of the crossing test, without near-duplicates.
class ProbeSet {
public:
    bool Add(const NPoint& q)
    {
        if (std::find(m_points.begin(), m_points.end(), q) != m_points.end())
            return false;
        m_points.push_back(q);
        return true;
    }

private:
    std::vector<NPoint> m_points;
};

// Where the ray walk starts: after the last vertex when that one lies clear of
// the ray's line, else after the first vertex that does, so that the walk
// never begins inside a run of vertices on the ray.
size_t WalkStart(const std::vector<NPoint>& pnts, const NPoint& p)
{
    const auto clear = [&p](const NPoint& v) { return !(std::fabs(v.y - p.y) < RING_ROTATE_Y); };
    if (clear(pnts.back()))
        return 0;
    const auto first = std::find_if(pnts.begin(), pnts.end(), clear);
    return first == pnts.end() ? 1 % pnts.size() : static_cast<size_t>(first - pnts.begin()) + 1;
}

}  // namespace

// ---------------------------------------------------------------- point tests

bool CheckPoligonContainPoint(const std::vector<NPoint>& pnts, const NPoint& p, bool touch)
{
    const size_t n = pnts.size();
    if (n == 0)
        return false;
    const ShiftedRing q(pnts, WalkStart(pnts, p));
    RayCounter ray(p);
    // The boundary test decides whenever it holds for any edge, so it can run
    // in the same walk as the ray count.
    for (size_t k = 0; k < n; ++k) {
        const NPoint& prev = q[k == 0 ? n - 1 : k - 1];
        const NPoint& cur = q[k];
        if (CheckSegmentContainPoint(prev, cur, p))
            return touch;
        ray.Visit(prev, cur, q[k + 1 == n ? 0 : k + 1]);
    }
    return ray.IsInside();
}

bool CheckPoligonContainPointOn(const std::vector<NPoint>& points, const NPoint& p)
{
    if (points.empty())
        return false;
    const NPoint* prev = &points.back();
    for (const NPoint& cur : points) {
        if (CheckSegmentContainPoint(*prev, cur, p))
            return true;
        prev = &cur;
    }
    return false;
}

bool NPolygon::CheckContainPoint(const NPoint& p, bool touch) const
{
    return CheckRectContainPoint(m_rect, p) && CheckPoligonContainPoint(m_points, p, touch);
}

bool NPolygon::CheckContainPointOn(const NPoint& p) const
{
    return CheckRectContainPoint(m_rect, p) && CheckPoligonContainPointOn(m_points, p);
}

// ---------------------------------------------------------------- crossings

namespace {

// The hits of the edges `edges` of `ring` (ascending, every edge of it whose
// box meets the other ring's among them) with the edges of `other`, as
// NPolygon::Intersection gives them.
template <class Edges>
bool RingHits(const std::vector<NPoint>& ring, const Edges& edges, const std::vector<NPoint>& other,
              std::vector<NIndexPoint>& points)
{
    const size_t n = ring.size();
    const size_t m = other.size();
    const NRect otherBox = BoundingBox(other);
    std::optional<EdgeIndex> index;
    std::vector<LengthPoint> edgeHits;
    bool found = false;
    for (const size_t k : edges) {
        const NPoint& a = ring[k == 0 ? n - 1 : k - 1];
        const NPoint& b = ring[k];
        if (!SegmentMeetsBox(a, b, otherBox))
            continue;
        if (!index && n >= INDEX_MIN_EDGES && m >= INDEX_MIN_EDGES)
            index.emplace(other, otherBox);
        edgeHits.clear();
        // Edge k against the edges of `other` in ascending order; the index
        // only leaves out edges whose boxes cannot meet edge k's.
        const EdgeHitCollector collect{a, b, (k + 1 == n) ? 0 : k + 1, k, other, edgeHits};
        if (index) {
            for (size_t j : index->Near(std::min(a.y, b.y), std::max(a.y, b.y)))
                collect(j);
        } else {
            for (size_t j = 0; j < m; ++j)
                collect(j);
        }
        if (edgeHits.empty())
            continue;
        found = true;
        if (edgeHits.size() > 1) {
            for (LengthPoint& h : edgeHits)
                h.length2 = Distance2(a, h.p);
            SortByLength(edgeHits);
        }
        for (const LengthPoint& h : edgeHits)
            AppendMerged(points, h.p);
    }
    return found;
}

// Every index from 0 below `n`, as a range.
struct AllEdges {
    size_t n;
    struct Iterator {
        size_t k;
        size_t operator*() const { return k; }
        Iterator& operator++() { return ++k, *this; }
        bool operator!=(const Iterator& o) const { return k != o.k; }
    };
    Iterator begin() const { return {0}; }
    Iterator end() const { return {n}; }
};

// Whether the boundary of `ring` runs inside `other` somewhere, given the
// crossings `hits` of the two boundaries along `ring`.
bool StretchInside(const std::vector<NPoint>& ring, const std::vector<NIndexPoint>& hits, const NPolygon& other,
                   bool touch)
{
    // Probe the boundary of this polygon next to every crossing: a probe
    // strictly inside `other` means a stretch of this boundary lies inside it.
    const size_t n = ring.size();
    ProbeSet probes;
    auto probeInside = [&](const NPoint& q) {
        return probes.Add(q) && CheckRectContainPoint(other.GetGabarit(), q) &&
               CheckPoligonContainPoint(other.m_points, q, touch);
    };
    const NIndexPoint* previous = &hits.back();
    for (const NIndexPoint& h : hits) {
        // From the last crossing to the first the boundary runs round the
        // ring's end, even when both lie on one edge: only the others are
        // joined by the stretch of edge between them.
        if (h.i == previous->i && &h != &hits.front()) {
            if (probeInside(MidPoint(*previous, h)))
                return true;
        } else {
            const size_t before = previous->i == 0 ? n - 1 : previous->i - 1;
            if (probeInside(MidPoint(*previous, ring[previous->i])) ||
                probeInside(MidPoint(*previous, ring[before])))
                return true;
        }
        previous = &h;
    }
    return false;
}

}  // namespace

bool NPolygon::Intersection(const NPolygon& other, std::vector<NIndexPoint>& points) const
{
    if (m_points.empty() || other.m_points.empty() || !CheckIntersectRects(m_rect, other.m_rect))
        return false;
    return RingHits(m_points, AllEdges{m_points.size()}, other.m_points, points);
}

bool NPolygon::Intersection(const NSegment& segm, std::vector<NIndexPoint>& points) const
{
    const size_t n = m_points.size();
    if (n == 0)
        return false;
    std::vector<LengthPoint> hits;
    for (size_t k = 0; k < n; ++k) {
        const size_t start = k == 0 ? n - 1 : k - 1;
        const NPoint& prev = m_points[start];
        const NPoint& cur = m_points[k];
        NPoint x;
        if (CheckIntersectionSegments(segm.p1, segm.p2, prev, cur) && IntersectionLines(segm.p1, segm.p2, prev, cur, x))
            hits.push_back({0.0, NIndexPoint{x, start, 0, Simple}});
    }
    if (hits.empty())
        return false;
    if (hits.size() > 1) {
        for (LengthPoint& h : hits)
            h.length2 = Distance2(segm.p1, h.p);
        SortByLength(hits);
    }
    points.push_back(hits.front().p);
    for (size_t k = 1; k < hits.size(); ++k) {
        if (!(hits[k].p == hits[k - 1].p))
            points.push_back(hits[k].p);
    }
    return true;
}

bool NPolygon::CheckIntersection(const NPolygon& other, bool touch) const
{
    if (m_points.empty() || other.m_points.empty() || !CheckIntersectRects(m_rect, other.m_rect))
        return false;
    if (m_points == other.m_points)
        return true;
    std::vector<NIndexPoint> hits;
    if (!Intersection(other, hits) || hits.size() < 2)
        return false;
    return StretchInside(m_points, hits, other, touch);
}

// ---------------------------------------------------------------- containment

bool NPolygon::CheckContainPoligon(const NPolygon& other, bool touch) const
{
    if (!CheckRectContainRect(m_rect, other.m_rect))
        return false;
    auto inside = [this](const NPoint& q) {
        return CheckRectContainPoint(m_rect, q) && CheckPoligonContainPoint(m_points, q, true);
    };
    if (!other.m_points.empty()) {
        const NPoint* prev = &other.m_points.back();
        for (const NPoint& cur : other.m_points) {
            if (!inside(MidPoint(*prev, cur)) || (!touch && !inside(cur)))
                return false;
            prev = &cur;
        }
    }
    return !CheckIntersection(other, false);
}

bool NPolygon::CheckContainPoligonOn(const NPolygon& other) const
{
    if (!CheckRectContainRect(m_rect, other.m_rect))
        return false;
    if (other.m_points.empty())
        return true;
    const NPoint* prev = &other.m_points.back();
    for (const NPoint& cur : other.m_points) {
        if (!CheckPoligonContainPointOn(m_points, cur) || !CheckPoligonContainPointOn(m_points, MidPoint(*prev, cur)))
            return false;
        prev = &cur;
    }
    return true;
}

NPolygonIndex::NPolygonIndex(const NPolygon& polygon)
    : m_polygon(polygon), m_edges(polygon.m_points.empty() ? nullptr : new EdgeIndex(polygon.m_points, BoundingBox(polygon.m_points)))
{
}

NPolygonIndex::~NPolygonIndex() = default;

bool NPolygonIndex::ContainsPoint(const NPoint& p, bool touch) const
{
    const std::vector<NPoint>& pnts = m_polygon.m_points;
    const size_t n = pnts.size();
    if (n == 0 || !CheckRectContainPoint(m_polygon.GetGabarit(), p))
        return false;
    // The walk of CheckPoligonContainPoint over the edges near the ray's
    // line only: the others neither meet the ray nor hold p, and each of them
    // follows an edge that leaves the state of the count as they do.
    const size_t start = WalkStart(pnts, p);
    const std::vector<size_t>& near = m_edges->Near(p.y, p.y);
    const auto from = std::lower_bound(near.begin(), near.end(), start);
    RayCounter ray(p);
    const auto visit = [&](size_t j) {
        const NPoint& prev = pnts[j == 0 ? n - 1 : j - 1];
        const NPoint& cur = pnts[j];
        if (CheckSegmentContainPoint(prev, cur, p))
            return false;
        ray.Visit(prev, cur, pnts[j + 1 == n ? 0 : j + 1]);
        return true;
    };
    for (auto it = from; it != near.end(); ++it)
        if (!visit(*it))
            return touch;
    for (auto it = near.begin(); it != from; ++it)
        if (!visit(*it))
            return touch;
    return ray.IsInside();
}

bool NPolygonIndex::ContainsPolygon(const NPolygon& other, bool touch) const
{
    if (!CheckRectContainRect(m_polygon.GetGabarit(), other.GetGabarit()))
        return false;
    const std::vector<NPoint>& pnts = m_polygon.m_points;
    if (!other.m_points.empty() && !pnts.empty()) {
        // Where no edge comes near the other ring's box, the box lies wholly
        // inside or wholly outside, and no edge meets the other ring: its
        // first point tells (a hole among thousands far from the outline).
        const NRect box = BoundingBox(other.m_points);
        const NRect near{{box.pBot.x - 4 * EPS, box.pBot.y - 4 * EPS}, {box.pTop.x + 4 * EPS, box.pTop.y + 4 * EPS}};
        const size_t n = pnts.size();
        bool clear = true;
        for (size_t j : m_edges->Near(near.pBot.y, near.pTop.y)) {
            if (SegmentMeetsBox(pnts[j == 0 ? n - 1 : j - 1], pnts[j], near)) {
                clear = false;
                break;
            }
        }
        if (clear)
            return ContainsPoint(MidPoint(other.m_points.back(), other.m_points.front()), true) &&
                   (touch || ContainsPoint(other.m_points.front(), true));
    }
    if (!other.m_points.empty()) {
        const NPoint* prev = &other.m_points.back();
        for (const NPoint& cur : other.m_points) {
            if (!ContainsPoint(MidPoint(*prev, cur), true) || (!touch && !ContainsPoint(cur, true)))
                return false;
            prev = &cur;
        }
    }
    // CheckIntersection(other, false), with this ring's edges near other's box only.
    if (pnts.empty() || other.m_points.empty() || !CheckIntersectRects(m_polygon.GetGabarit(), other.GetGabarit()))
        return true;
    if (pnts == other.m_points)
        return false;
    const NRect box = BoundingBox(other.m_points);
    std::vector<NIndexPoint> hits;
    if (!RingHits(pnts, m_edges->Near(box.pBot.y, box.pTop.y), other.m_points, hits) || hits.size() < 2)
        return true;
    return !StretchInside(pnts, hits, other, false);
}

// ---------------------------------------------------------------- orientation

// Counter-clockwise rings enclose a positive signed area; rings without area
// (empty, a point, a line run back and forth) are not counter-clockwise.
bool NPolygon::CheckDirection() const { return SignedArea(m_points) > 0.0; }
