// Joining two outlines (typically two right triangles) along their longest
// edges into one outline.
#include "geometry/Polygon.h"

#include <cmath>

namespace {

// Turn (degrees) that lays the second longest edge back along the first: -180
// for edges running the same way, 0 for opposite ones, otherwise in
// (-180, -90], folded to (89, 90] when the edges are nearly perpendicular.
double JoiningTurn(const NSegment& seg1, const NSegment& seg2)
{
    double angle = (AngleBetweenTwoLines(seg1, seg2) - PI) * RD;
    if (angle < 0.0 && std::fabs(angle) - 90.0 < 1.0)
        angle += 180.0;
    return angle;
}

// Appends the ring of `points` from the end of its longest edge (s, e) round
// to the start; a triangle keeps both ends of that edge, other outlines keep
// them only when it is the closing edge.
void AppendFromLongestEdge(const std::vector<NPoint>& points, size_t s, size_t e, std::vector<NPoint>& ring)
{
    const size_t n = points.size();
    if (s >= e) {
        ring.insert(ring.end(), points.begin(), points.end());
        return;
    }
    if (n == 3)
        ring.push_back(points[e]);
    for (size_t k = e + 1; k < n; ++k)
        ring.push_back(points[k]);
    for (size_t k = 0; k < s; ++k)
        ring.push_back(points[k]);
    if (n == 3)
        ring.push_back(points[s]);
}

}  // namespace

NPolygonPtr CompoundPolygonsToRectangle(const NPolygon& polygon1, const NPolygon& polygon2, double gap, double& dx,
                                        double& dy, double& angle)
{
    if (polygon1.m_points.empty() || polygon2.m_points.empty())
        return nullptr;
    size_t s1 = 0;
    size_t e1 = 0;
    const NSegment seg1 = polygon1.FindMaxSegment(s1, e1);
    size_t s2 = 0;
    size_t e2 = 0;
    const NSegment seg2 = polygon2.FindMaxSegment(s2, e2);
    const double length1 = Distance(seg1.p1, seg1.p2);
    if (length1 == 0.0)
        return nullptr;  // all points coincide: no edge to join along

    const double turn = JoiningTurn(seg1, seg2);
    NPoint p = seg2.p2;
    p.Rotate(NPoint{}, turn * DR);
    const double segX = seg1.p2.x - seg1.p1.x;
    const double segY = seg1.p2.y - seg1.p1.y;
    double shiftX = seg1.p1.x - p.x;
    double shiftY = seg1.p1.y - p.y;
    const double k1 = gap / length1;
    shiftX += segY * k1;
    shiftY -= segX * k1;
    if (std::fabs(segY) > std::fabs(segX)) {
        shiftX -= shiftY * (segX / segY);
        shiftY = 0.0;
    } else {
        shiftY -= shiftX * (segY / segX);
        shiftX = 0.0;
    }

    std::vector<NPoint> moved = polygon2.m_points;
    for (NPoint& q : moved) {
        q.Rotate(NPoint{}, turn * DR);
        q += NPoint{shiftX, shiftY};
    }
    std::vector<NPoint> ring;
    AppendFromLongestEdge(polygon1.m_points, s1, e1, ring);
    AppendFromLongestEdge(moved, s2, e2, ring);
    auto result = std::make_shared<NPolygon>(NPoint{}, ring);
    result->DelEquilPoints();
    result->DelColinearPoints();
    dx = shiftX;
    dy = shiftY;
    angle = turn;
    return result;
}
