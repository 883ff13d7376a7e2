// Shapes and checks shared by the remnant tests.
#pragma once

#include "geometry/Polygon.h"
#include "support/ring_distance.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace waste_test {

using ringtest::BoundaryDistance;
using ringtest::PointSegmentDistance;

inline NPolygonPtr Ring(const std::vector<NPoint>& points)
{
    return std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points);
}

// Counter-clockwise axis-parallel rectangle.
inline NPolygonPtr Box(double x1, double y1, double x2, double y2)
{
    return Ring({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
}

// Clockwise, as a hole runs.
inline NPolygonPtr Hole(double x1, double y1, double x2, double y2)
{
    return Ring({{x1, y1}, {x1, y2}, {x2, y2}, {x2, y1}});
}

inline NRect GabaritOf(const NPolygon& polygon)
{
    NRect r{{1e300, 1e300}, {-1e300, -1e300}};
    for (const NPoint& p : polygon.m_points) {
        r.pBot = {std::min(r.pBot.x, p.x), std::min(r.pBot.y, p.y)};
        r.pTop = {std::max(r.pTop.x, p.x), std::max(r.pTop.y, p.y)};
    }
    return r;
}

// Point strictly inside a ring (ray casting).
inline bool StrictlyInside(const NPolygon& ring, const NPoint& p)
{
    bool inside = false;
    const auto& pts = ring.m_points;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
        if ((pts[i].y > p.y) != (pts[j].y > p.y) &&
            p.x < (pts[j].x - pts[i].x) * (p.y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
            inside = !inside;
    }
    return inside && PointSegmentDistance(p, pts.front(), pts.back()) > 1e-9;
}

// The two rings keep at least `gap` between them (neither inside the other).
inline bool KeepApart(const NPolygon& p, const NPolygon& q, double gap)
{
    return BoundaryDistance(p, q) >= gap && !StrictlyInside(p, q.m_points.front()) &&
           !StrictlyInside(q, p.m_points.front());
}

}  // namespace waste_test
