// Convex hull, convexity and the turn that gives a polygon its smallest
// axis-parallel bounding rectangle.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr size_t EXHAUSTIVE_SEARCH_LIMIT = 20;  // vertex count from which the calipers are used
constexpr double NO_AREA = 2147483647.0;

double Cross(const NPoint& o, const NPoint& a, const NPoint& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }

// Appends `p` to a hull chain after dropping the points it makes non-convex,
// never shrinking the chain below `minSize` points.
void PushConvex(std::vector<NPoint>& chain, const NPoint& p, size_t minSize)
{
    while (chain.size() >= minSize && Cross(chain[chain.size() - 2], chain.back(), p) <= 0)
        chain.pop_back();
    chain.push_back(p);
}

// Area of the gabarit of `points` turned by -phi.
double TurnedGabaritArea(const std::vector<NPoint>& points, double phi)
{
    const double c = std::cos(phi);
    const double s = std::sin(phi);
    NRect box{{GABARIT_LOW, GABARIT_LOW}, {GABARIT_HIGH, GABARIT_HIGH}};
    for (const NPoint& p : points) {
        const double x = p.x * c + p.y * s;
        const double y = -p.x * s + p.y * c;
        box.pBot.x = std::min(box.pBot.x, x);
        box.pBot.y = std::min(box.pBot.y, y);
        box.pTop.x = std::max(box.pTop.x, x);
        box.pTop.y = std::max(box.pTop.y, y);
    }
    return (box.pTop.x - box.pBot.x) * (box.pTop.y - box.pBot.y);
}

// Sign of the first non-zero turn between consecutive hull edges, starting
// with the last edge and the first.
double HullSense(const std::vector<NPoint>& edges)
{
    const size_t m = edges.size();
    for (size_t k = 0; k < m; ++k) {
        const NPoint& a = edges[(k + m - 1) % m];
        const NPoint& b = edges[k];
        const double turn = a.x * b.y - a.y * b.x;
        if (turn > 0)
            return 1.0;
        if (turn < 0)
            return -1.0;
    }
    return 0.0;
}

// The four calipers: indices of the hull points with the smallest y, the
// largest x, the largest y and the smallest x (first strictly better one).
std::array<size_t, 4> InitialCalipers(const std::vector<NPoint>& h)
{
    std::array<size_t, 4> idx{0, 0, 0, 0};
    for (size_t k = 1; k < h.size(); ++k) {
        if (h[k].y < h[idx[0]].y)
            idx[0] = k;
        if (h[k].x > h[idx[1]].x)
            idx[1] = k;
        if (h[k].y > h[idx[2]].y)
            idx[2] = k;
        if (h[k].x < h[idx[3]].x)
            idx[3] = k;
    }
    return idx;
}

// Side direction of caliper j: d turned by j quarter turns counter-clockwise.
NPoint CaliperSide(const NPoint& d, size_t j)
{
    switch (j) {
    case 0: return d;
    case 1: return {-d.y, d.x};
    case 2: return {-d.x, -d.y};
    default: return {d.y, -d.x};
    }
}

// Base direction when caliper j lies along the unit edge u.
NPoint BaseFromCaliper(const NPoint& u, size_t j)
{
    switch (j) {
    case 0: return u;
    case 1: return {u.y, -u.x};
    case 2: return {-u.x, -u.y};
    default: return {-u.y, u.x};
    }
}

// The edge direction whose turn gives `points` the smallest gabarit: the
// first one smaller by more than EPS than all before it.
class SmallestTurnedGabarit {
public:
    // The edges of the closed ring `edges`, from the one leaving vertex 0.
    void TryEdges(const std::vector<NPoint>& edges, const std::vector<NPoint>& points)
    {
        const size_t n = edges.size();
        for (size_t k = 0; n >= 2 && k < n; ++k) {
            const NPoint& from = edges[k];
            const NPoint& to = edges[(k + 1) % n];
            if (from == to)
                continue;
            const double phi = std::atan2(to.y - from.y, to.x - from.x);
            const double area = TurnedGabaritArea(points, phi);
            if (area < m_area - EPS) {
                m_area = area;
                m_phi = phi;
            }
        }
    }

    double Phi() const { return m_phi; }

private:
    double m_area = NO_AREA;
    double m_phi = 0.0;
};

}  // namespace

void CreateConvexHull(const std::vector<NPoint>& points, std::vector<NPoint>& hull)
{
    if (points.size() < 4) {
        hull.insert(hull.end(), points.begin(), points.end());
        return;
    }
    std::vector<NPoint> sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const NPoint& a, const NPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    std::vector<NPoint> chain;
    for (const NPoint& p : sorted)
        PushConvex(chain, p, 2);
    const size_t lowerSize = chain.size() + 1;
    for (size_t k = sorted.size() - 1; k-- > 0;)
        PushConvex(chain, sorted[k], lowerSize);
    chain.pop_back();
    hull.insert(hull.end(), chain.begin(), chain.end());
}

bool CheckConvexHull(const std::vector<NPoint>& points)
{
    const size_t n = points.size();
    if (n == 0)
        return false;
    for (size_t k = 0; k < n; ++k) {
        const size_t ia = (k + n - 1) % n;
        const NPoint& a = points[ia];
        const NPoint& b = points[k];
        for (size_t m = 0; m < n; ++m) {
            const size_t ic = (m + n - 1) % n;
            if (ic == ia || ic == k || m == ia || m == k)
                continue;
            const double sc = GetPlacementPointLine(a, b, points[ic]);
            const double sd = GetPlacementPointLine(a, b, points[m]);
            if ((sc > EPS && sd < -EPS) || (sc < -EPS && sd > EPS))
                return false;
        }
    }
    // No edge crosses another's line where every crossing falls on a vertex
    // (a cross, a U with arms of one length): the turn at each vertex tells.
    double area = 0.0;
    for (size_t k = 0; k < n; ++k)
        area += points[(k + n - 1) % n].x * points[k].y - points[k].x * points[(k + n - 1) % n].y;
    for (size_t k = 0; k < n; ++k) {
        const double turn = GetPlacementPointLine(points[(k + n - 1) % n], points[k], points[(k + 1) % n]);
        if ((area > 0.0 && turn < 0.0) || (area < 0.0 && turn > 0.0))
            return false;
    }
    return true;
}

double CorrectMinGabaritAngle(double angle)
{
    const double t = std::fabs(angle);
    double snapped = t;
    if (t < DR || std::fabs(t - 2 * PI) < DR)
        snapped = 0.0;
    else if (std::fabs(t - PI / 2) < DR)
        snapped = PI / 2;
    else if (std::fabs(t - PI) < DR)
        snapped = PI;
    else if (std::fabs(t - 3 * PI / 2) < DR)
        snapped = 3 * PI / 2;
    return angle < 0 ? -snapped : snapped;
}

double CalculateMinGabarit(const std::vector<NPoint>& p)
{
    std::vector<NPoint> h;
    CreateConvexHull(p, h);
    if (h.empty())
        return 0.0;
    const size_t m = h.size();
    std::vector<NPoint> edges(m);
    std::vector<double> invLength(m);
    for (size_t k = 0; k < m; ++k) {
        edges[k] = h[(k + 1) % m] - h[k];
        const double length = std::sqrt(Dot(edges[k], edges[k]));
        invLength[k] = length > 0.0 ? 1.0 / length : 0.0;
    }
    std::array<size_t, 4> idx = InitialCalipers(h);
    NPoint d{HullSense(edges), 0.0};
    double best = NO_AREA;
    NPoint bestD = d;
    double bestWidth = 0.0;
    for (size_t step = 0; step < m; ++step) {
        size_t moving = 0;
        double bestCos = -NO_AREA;
        for (size_t j = 0; j < 4; ++j) {
            const double q = Dot(edges[idx[j]], CaliperSide(d, j)) * invLength[idx[j]];
            if (q > bestCos) {
                bestCos = q;
                moving = j;
            }
        }
        NPoint u = edges[idx[moving]];
        u *= invLength[idx[moving]];
        d = BaseFromCaliper(u, moving);
        idx[moving] = (idx[moving] + 1) % m;
        const double width = Dot(h[idx[1]] - h[idx[3]], d);
        const double height = Dot(h[idx[2]] - h[idx[0]], NPoint{-d.y, d.x});
        const double area = width * height;
        if (area <= best) {
            best = area;
            bestD = d;
            bestWidth = width;
        }
    }
    const double theta = std::atan2(bestD.y * bestWidth, bestD.x * bestWidth);
    return CorrectMinGabaritAngle(-theta);
}

// The edge search ends with the edges of the hull: the smallest box lies
// along one of them, and across a dent of the outline no edge of the ring
// does. A hull edge is taken only when it beats every ring edge.
double NPolygon::CalculateAngleMinGabarit_N2() const
{
    SmallestTurnedGabarit best;
    best.TryEdges(m_points, m_points);
    std::vector<NPoint> hull;
    CreateConvexHull(m_points, hull);
    best.TryEdges(hull, m_points);
    return CorrectMinGabaritAngle(-best.Phi());
}

double NPolygon::CalculateAngleMinGabarit() const
{
    if (m_points.empty())
        return 0.0;
    double a = m_points.size() < EXHAUSTIVE_SEARCH_LIMIT ? CalculateAngleMinGabarit_N2()
                                                         : CalculateMinGabarit(m_points);
    if (a < 0)
        a += 2 * PI;
    return a * RD;
}

bool BoundsItsHull(const std::vector<NPoint>& ring)
{
    std::vector<NPoint> hull;
    CreateConvexHull(ring, hull);
    const double area = std::fabs(SignedArea(ring));
    return hull.size() >= 3 && area > 0.0 && area >= std::fabs(SignedArea(hull)) * (1.0 - 1e-9);
}

NRect PointsBox(const std::vector<NPoint>& points)
{
    NRect r{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    for (const NPoint& p : points) {
        r.pBot = {std::min(r.pBot.x, p.x), std::min(r.pBot.y, p.y)};
        r.pTop = {std::max(r.pTop.x, p.x), std::max(r.pTop.y, p.y)};
    }
    return r;
}
