// Shape tests on a polygon's ring: rectangle, right triangle, longest edge,
// mirrored pairs.
#include "geometry/Polygon.h"

#include <cmath>
#include <utility>

namespace {

size_t PrevIndex(size_t k, size_t n) { return k == 0 ? n - 1 : k - 1; }

// Edge k runs from vertex k-1 (the last vertex for k = 0) to vertex k.
NSegment Edge(const std::vector<NPoint>& points, size_t k)
{
    return NSegment(points[PrevIndex(k, points.size())], points[k], 0);
}

double EdgeLength2(const std::vector<NPoint>& points, size_t k)
{
    return Distance2(points[PrevIndex(k, points.size())], points[k]);
}

// Index of the first longest edge not in `skip`; `count` when every edge is
// skipped or of zero length.
size_t LongestEdgeExcept(const std::vector<NPoint>& points, size_t skip1, size_t skip2)
{
    const size_t n = points.size();
    size_t best = n;
    double bestLength2 = 0.0;
    for (size_t k = 0; k < n; ++k) {
        if (k == skip1 || k == skip2)
            continue;
        const double length2 = EdgeLength2(points, k);
        if (length2 > bestLength2) {
            bestLength2 = length2;
            best = k;
        }
    }
    return best;
}

}  // namespace

bool NPolygon::CheckRectangle(double& w, double& h) const
{
    if (m_points.size() != 4)
        return false;
    const NPoint& p0 = m_points[0];
    const NPoint& p1 = m_points[1];
    const NPoint& p2 = m_points[2];
    const NPoint& p3 = m_points[3];
    if (std::fabs(Distance2(p0, p2) - Distance2(p1, p3)) >= EPS)
        return false;
    if (std::fabs((p0.x + p2.x) / 2 - (p1.x + p3.x) / 2) >= EPS ||
        std::fabs((p0.y + p2.y) / 2 - (p1.y + p3.y) / 2) >= EPS)
        return false;
    w = ::Distance(p0, p1);
    h = ::Distance(p1, p2);
    if (h > w)
        std::swap(w, h);
    return true;
}

bool NPolygon::CheckRectangle() const
{
    double w = 0.0;
    double h = 0.0;
    return CheckRectangle(w, h);
}

NSegment NPolygon::FindMaxSegment(size_t& ind1, size_t& ind2) const
{
    const size_t n = m_points.size();
    if (n == 0)
        return NSegment();
    const size_t longest = LongestEdgeExcept(m_points, n, n);
    if (longest < n)
        ind2 = longest;
    if (ind2 >= n)
        ind2 = 0;
    ind1 = PrevIndex(ind2, n);
    return NSegment(m_points[ind1], m_points[ind2], 0);
}

bool NPolygon::CheckMirror(const NPolygon& other) const
{
    if (m_points.empty() || other.m_points.empty())
        return false;
    size_t i1 = 0;
    size_t i2 = 0;
    const NSegment mine = FindMaxSegment(i1, i2);
    size_t j1 = 0;
    size_t j2 = 0;
    const NSegment theirs = other.FindMaxSegment(j1, j2);
    return AngleBetweenTwoLines(mine, theirs) > EPS;
}

bool NPolygon::CheckTriangularity() const
{
    // Only a triangle: the three longest edges of a ring with more vertices
    // (a disc followed on chords, a triangle with a corner cut) may stand at
    // these angles too, and a join would drop the rest of its outline.
    const size_t n = m_points.size();
    if (n != 3)
        return false;
    const size_t a = LongestEdgeExcept(m_points, n, n);
    const size_t b = LongestEdgeExcept(m_points, a, n);
    const size_t c = LongestEdgeExcept(m_points, a, b);
    if (c >= n)
        return false;
    const double right = AngleBetweenTwoLines(Edge(m_points, b), Edge(m_points, c));
    if (std::fabs(right - PI / 2) >= EPS)
        return false;
    double alpha = AngleBetweenTwoLines(Edge(m_points, a), Edge(m_points, b));
    if (alpha > PI / 2)
        alpha = PI - alpha;
    const double limit = 15 * DR;
    return limit - EPS < alpha && alpha < (PI / 2 - limit) + EPS;
}
