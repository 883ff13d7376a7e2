// Self-crossings of a ring, normals and nearest boundary points.
#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double NORMAL_LENGTH = 1e10;

size_t PrevIndex(size_t k, size_t n) { return k == 0 ? n - 1 : k - 1; }
size_t NextIndex(size_t k, size_t n) { return k + 1 == n ? 0 : k + 1; }

// The nearest vertex to vertex k, walking forward or backward around the
// ring, that does not coincide with p; false when every vertex does.
bool DistinctNeighbour(const std::vector<NPoint>& points, size_t k, bool forward, const NPoint& p, NPoint& out)
{
    const size_t n = points.size();
    size_t at = k;
    for (size_t walked = 1; walked < n; ++walked) {
        at = forward ? NextIndex(at, n) : PrevIndex(at, n);
        if (!(points[at] == p)) {
            out = points[at];
            return true;
        }
    }
    return false;
}

// A crossing at a vertex (a ring touching itself) would otherwise enter a
// loop twice, and the clean-up would take both copies for collinear points.
void AppendDistinct(std::vector<NPoint>& ring, const NPoint& p)
{
    if (ring.empty() || !(ring.back() == p))
        ring.push_back(p);
}

}  // namespace

bool NPolygon::SelfIntersection(std::vector<NIndexPoint>& points) const
{
    const size_t n = m_points.size();
    if (n < 2)
        return false;
    std::vector<LengthPoint> edgeHits;
    bool found = false;
    for (size_t i = 0; i + 1 < n; ++i) {
        const NPoint& a = m_points[PrevIndex(i, n)];
        const NPoint& b = m_points[i];
        edgeHits.clear();
        for (size_t j = i + 1; j < n; ++j) {
            const NPoint& c = m_points[j - 1];
            const NPoint& d = m_points[j];
            NPoint x;
            if (CheckIntersectionSegments(a, b, c, d) && IntersectionLines(a, b, c, d, x) && !(x == b))
                edgeHits.push_back({Distance2(a, x), NIndexPoint{x, i, j, Simple}});
        }
        found = found || !edgeHits.empty();
        std::stable_sort(edgeHits.begin(), edgeHits.end(),
                         [](const LengthPoint& l, const LengthPoint& r) { return l.length2 < r.length2; });
        for (const LengthPoint& h : edgeHits) {
            if (!points.empty() && points.back() == h.p)
                points.back() = h.p;
            else
                points.push_back(h.p);
        }
    }
    return found;
}

void NPolygon::GetSubPolygons(VectorPolygon& outs) const
{
    if (m_points.empty())
        return;
    std::vector<NIndexPoint> hits;
    SelfIntersection(hits);
    if (hits.size() < 2)
        return;
    auto appendVertices = [this](std::vector<NPoint>& ring, size_t from, size_t to) {
        for (size_t k = from; k < to; ++k)
            AppendDistinct(ring, m_points[k]);
    };
    for (const NIndexPoint& h : hits) {
        // The loop leaving the crossing along edge h.i and returning along
        // edge h.j, with nested loops cut off at their crossings.
        std::vector<NPoint> ring{h};
        size_t cur = h.i;
        for (const NIndexPoint& g : hits) {
            if (g.i < cur || g.j > h.j || g == h)
                continue;
            appendVertices(ring, cur, g.i);
            AppendDistinct(ring, g);
            cur = g.j;
        }
        appendVertices(ring, cur, h.j);
        while (ring.size() > 1 && ring.back() == ring.front())
            ring.pop_back();
        auto sub = std::make_shared<NPolygon>(NPoint{}, ring);
        sub->DelColinearPoints();
        if (sub->m_points.size() >= 3)
            outs.push_back(sub);
    }
}

// At a vertex the normal bisects the two edge directions; neighbours that
// coincide with p are passed over, since they give no direction.
bool NPolygon::Normal(const NPoint& p, NPoint& pn1, NPoint& pn2) const
{
    const size_t n = m_points.size();
    const size_t k = static_cast<size_t>(std::find(m_points.begin(), m_points.end(), p) - m_points.begin());
    NPoint w;
    if (k < n) {
        NPoint prev, next;
        if (!DistinctNeighbour(m_points, k, false, p, prev) || !DistinctNeighbour(m_points, k, true, p, next))
            return false;
        const double d1 = ::Distance(p, prev);
        const double d2 = ::Distance(p, next);
        w = {((p.x - prev.x) / d1 + (p.x - next.x) / d2) * NORMAL_LENGTH,
             ((p.y - prev.y) / d1 + (p.y - next.y) / d2) * NORMAL_LENGTH};
    } else {
        size_t edge = 0;
        while (edge < n && !CheckSegmentContainPoint(m_points[PrevIndex(edge, n)], m_points[edge], p))
            ++edge;
        if (edge == n)
            return false;
        const NPoint& prev = m_points[PrevIndex(edge, n)];
        const NPoint& cur = m_points[edge];
        w = {(prev.y - cur.y) * NORMAL_LENGTH, (cur.x - prev.x) * NORMAL_LENGTH};
    }
    pn1 = p - w;
    pn2 = p + w;
    return true;
}

bool NPolygon::NearIntersectionToPoint(const NSegment& segm, const NPoint& p0, NPoint& pi, double& min) const
{
    std::vector<NIndexPoint> hits;
    Intersection(segm, hits);
    bool found = false;
    for (const NIndexPoint& h : hits) {
        if (h == p0)
            continue;
        const double d = ::Distance(p0, h);
        if (d < min) {
            min = d;
            pi = h;
            found = true;
        }
    }
    return found;
}

// The nearest vertex, then any nearer foot of a perpendicular on an edge.
// A ring without vertices gives p itself; a point so far away that its
// distances overflow still gets a vertex, never itself.
NPoint GetProjectionPointToPoligon(const NPolygon& poligon, const NPoint& p)
{
    const std::vector<NPoint>& points = poligon.m_points;
    if (points.empty())
        return p;
    NPoint best = points.front();
    double bestDist2 = Distance2(best, p);
    for (const NPoint& v : points) {
        const double d2 = Distance2(v, p);
        if (d2 < bestDist2) {
            bestDist2 = d2;
            best = v;
        }
    }
    double bestDist = std::sqrt(bestDist2);
    const NPoint* prev = &points.back();
    for (const NPoint& cur : points) {
        const double d = DistancePointToLine(*prev, cur, p);
        if (d < bestDist) {
            const NPoint q = GetProjectionPointToLine(*prev, cur, p);
            if (CheckSegmentContainPoint(*prev, cur, q)) {
                best = q;
                bestDist = d;
            }
        }
        prev = &cur;
    }
    return best;
}
