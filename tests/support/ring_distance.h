// Distances between points, segments and the boundaries of rings, for checks
// of how far apart the library put its outlines.
#pragma once

#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ringtest {

inline double PointSegmentDistance(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

inline bool SegmentsCross(const NPoint& a, const NPoint& b, const NPoint& c, const NPoint& d)
{
    const auto side = [](const NPoint& o, const NPoint& p, const NPoint& q) {
        return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
    };
    const double d1 = side(c, d, a);
    const double d2 = side(c, d, b);
    const double d3 = side(a, b, c);
    const double d4 = side(a, b, d);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

inline double SegmentDistance(const NPoint& a, const NPoint& b, const NPoint& c, const NPoint& d)
{
    if (SegmentsCross(a, b, c, d))
        return 0.0;
    return std::min({PointSegmentDistance(a, c, d), PointSegmentDistance(b, c, d), PointSegmentDistance(c, a, b),
                     PointSegmentDistance(d, a, b)});
}

// Distance from p to the boundary of a ring.
inline double PointRingDistance(const std::vector<NPoint>& ring, const NPoint& p)
{
    double best = 1e300;
    for (size_t k = 0; k < ring.size(); ++k)
        best = std::min(best, PointSegmentDistance(p, ring[k], ring[(k + 1) % ring.size()]));
    return best;
}

// Even-odd rule with half-open edges (a reference for points off the boundary).
inline bool EvenOddInside(const std::vector<NPoint>& ring, const NPoint& p)
{
    bool inside = false;
    for (size_t k = 0; k < ring.size(); ++k) {
        const NPoint& a = ring[k];
        const NPoint& b = ring[(k + 1) % ring.size()];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    }
    return inside;
}

// Distance between two rings' boundaries.
inline double BoundaryDistance(const NPolygon& p, const NPolygon& q)
{
    double best = 1e300;
    for (size_t i = 0; i < p.m_points.size(); ++i) {
        const NPoint& a = p.m_points[i];
        const NPoint& b = p.m_points[(i + 1) % p.m_points.size()];
        for (size_t j = 0; j < q.m_points.size(); ++j)
            best = std::min(best, SegmentDistance(a, b, q.m_points[j], q.m_points[(j + 1) % q.m_points.size()]));
    }
    return best;
}

}  // namespace ringtest
