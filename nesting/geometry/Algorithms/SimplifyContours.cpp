// Outline simplification: closing narrow straight dents and flattening short
// axis-parallel ledges.
#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double LEDGE_PASS_STEP = 50.0;  // ledge size handled by one pass of removeLedgesOnce
constexpr double PERPENDICULAR_EPS = 1e-6;

// True when a stretch of the chord a-q between two consecutive crossings with
// the outline runs strictly inside it.
bool ChordCrossesInside(const NPolygon& polygon, const NPoint& a, const NPoint& q)
{
    std::vector<NIndexPoint> hits;
    polygon.Intersection(NSegment(a, q, 0), hits);
    for (size_t k = 1; k < hits.size(); ++k) {
        const NPoint mid{(hits[k - 1].x + hits[k].x) / 2, (hits[k - 1].y + hits[k].y) / 2};
        if (polygon.CheckContainPoint(mid, false))
            return true;
    }
    return false;
}

// The vertices of a ring by x and by y, for the ones near a point.
struct VertexOrder {
    explicit VertexOrder(const std::vector<NPoint>& v) : byX(v.size()), byY(v.size())
    {
        for (size_t k = 0; k < v.size(); ++k)
            byX[k] = byY[k] = k;
        std::stable_sort(byX.begin(), byX.end(), [&](size_t p, size_t q) { return v[p].x < v[q].x; });
        std::stable_sort(byY.begin(), byY.end(), [&](size_t p, size_t q) { return v[p].y < v[q].y; });
    }
    // Calls f(k) for the vertices k within `reach` of p across x or across y,
    // whichever holds fewer.
    template <class F>
    void ForEachNear(const std::vector<NPoint>& v, const NPoint& p, double reach, F f) const
    {
        const auto range = [&](const std::vector<size_t>& order, double NPoint::*axis) {
            const auto below = [&](size_t m, double c) { return v[m].*axis < c; };
            const auto above = [&](double c, size_t m) { return c < v[m].*axis; };
            return std::make_pair(std::lower_bound(order.begin(), order.end(), p.*axis - reach, below),
                                  std::upper_bound(order.begin(), order.end(), p.*axis + reach, above));
        };
        const auto x = range(byX, &NPoint::x);
        const auto y = range(byY, &NPoint::y);
        const auto& r = x.second - x.first <= y.second - y.first ? x : y;
        for (auto k = r.first; k != r.second; ++k)
            f(*k);
    }
    std::vector<size_t> byX;
    std::vector<size_t> byY;
};

// Vertex i + step can close a dent after the edge A-B (vertex i to i + 1):
// B lies on A-Q and the chord A-Q stays out of the part's inside.
bool ClosesDent(const NPolygon& polygon, size_t i, size_t step)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    const NPoint& a = v[i];
    const NPoint& q = v[(i + step) % n];
    return CheckSegmentContainPoint(a, q, v[(i + 1) % n]) && !ChordCrossesInside(polygon, a, q);
}

// The first vertex Q after the edge A-B (vertex i to i+1) such that B lies on
// A-Q, the mouth B-Q is narrower than `distance` and the chord A-Q stays out
// of the part's inside. Only the vertices within `distance` of B across x
// and across y can make a mouth that narrow; `steps` is scratch space.
bool FindDent(const NPolygon& polygon, const VertexOrder& order, size_t i, double distance, DentEdit& edit,
              std::vector<size_t>& steps)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    const NPoint& b = v[(i + 1) % n];
    // The candidates, as steps after A: Q is vertex i + step.
    steps.clear();
    const auto near = [&](size_t k) {
        if (!(Distance2(b, v[k]) >= distance * distance)) {
            const size_t step = (k + n - i) % n;
            if (step >= 2)
                steps.push_back(step);
        }
    };
    if (std::isnan(distance)) {
        for (size_t k = 0; k < n; ++k)
            near(k);
    } else {
        order.ForEachNear(v, b, std::fabs(distance), near);
    }
    std::sort(steps.begin(), steps.end());
    for (const size_t step : steps) {
        if (!ClosesDent(polygon, i, step))
            continue;
        edit = {i, i + step};
        return true;
    }
    return false;
}

bool AllStrictlyInside(const NPolygon& polygon, const std::vector<NPoint>& points)
{
    return std::all_of(points.begin(), points.end(), [&](const NPoint& p) { return polygon.CheckContainPoint(p, false); });
}

// Moves a short axis-parallel edge P[i]-P[i+1] onto the level of the nearer of
// its neighbours, only towards larger x or larger y.
void LiftShortEdge(std::vector<NPoint>& p, size_t i, double tolerance)
{
    const size_t n = p.size();
    NPoint& a = p[i];
    NPoint& b = p[(i + 1) % n];
    const NPoint& before = p[(i + n - 1) % n];
    const NPoint& after = p[(i + 2) % n];
    if (std::sqrt(Distance2(a, b)) > tolerance)
        return;
    if (std::fabs(a.x - b.x) <= EPS) {
        const double newX = std::fabs(b.x - after.x) <= std::fabs(a.x - before.x) ? after.x : before.x;
        if (newX > a.x)
            a.x = b.x = newX;
    } else if (std::fabs(a.y - b.y) <= EPS) {
        const double newY = std::fabs(b.y - after.y) <= std::fabs(a.y - before.y) ? after.y : before.y;
        if (newY > a.y)
            a.y = b.y = newY;
    }
}

// One pass of removeLedgesOnce; true when it moved any vertex.
bool RemoveProtrusionsPass(std::vector<NPoint>& p, double tolerance)
{
    bool moved = false;
    for (const auto& [a, b] : findRectangularProtrusions(p)) {
        if (Distance(p[a], p[b]) > tolerance)
            continue;
        for (int k = a + 1; k < b; ++k) {
            moved = moved || p[k].x != p[a].x || p[k].y != p[a].y;
            p[k] = p[a];
        }
    }
    return moved;
}

}  // namespace

std::vector<DentEdit> FindDentsStraight(const NPolygon& polygon, double distance)
{
    const VertexOrder order(polygon.m_points);
    std::vector<DentEdit> edits;
    std::vector<size_t> steps;
    for (size_t i = 0; i < polygon.m_points.size(); ++i) {
        DentEdit edit;
        if (FindDent(polygon, order, i, distance, edit, steps))
            edits.push_back(edit);
    }
    return edits;
}

std::vector<std::vector<DentChoice>> DentChoices(const NPolygon& polygon)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    std::vector<std::vector<DentChoice>> choices(n);
    for (size_t i = 0; i < n; ++i) {
        const NPoint& a = v[i];
        const NPoint& b = v[(i + 1) % n];
        // B lies on A-Q only inside its box: the rest are passed over here.
        for (size_t step = 2; step < n; ++step)
            if (SegmentBoxContains(a, v[(i + step) % n], b) && ClosesDent(polygon, i, step))
                choices[i].push_back({step, Distance2(b, v[(i + step) % n])});
    }
    return choices;
}

std::vector<DentEdit> DentsNarrowerThan(const std::vector<std::vector<DentChoice>>& choices, double distance)
{
    std::vector<DentEdit> edits;
    for (size_t i = 0; i < choices.size(); ++i) {
        const auto first = std::find_if(choices[i].begin(), choices[i].end(),
                                        [&](const DentChoice& c) { return !(c.widthSquared >= distance * distance); });
        if (first != choices[i].end())
            edits.push_back({i, i + first->step});
    }
    return edits;
}

double WidestClosing(const NPolygon& polygon, const std::vector<DentEdit>& edits)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    if (edits.empty() || n == 0)
        return 0.0;
    // The vertex each one collapses onto, as CloseDentsStraight collapses them.
    std::vector<size_t> onto(n);
    for (size_t k = 0; k < n; ++k)
        onto[k] = k;
    for (const DentEdit& edit : edits) {
        const size_t b = onto[(edit.i + 1) % n];
        for (size_t t = edit.i + 2; t <= edit.j; ++t)
            onto[t % n] = b;
    }
    double widest = 0.0;
    for (size_t k = 0; k < n; ++k) {
        const size_t from = onto[k], to = onto[(k + 1) % n];
        if (from != to && to != (from + 1) % n)
            widest = std::max(widest, std::sqrt(Distance2(v[from], v[to])));
    }
    return widest;
}

NPolygonPtr CloseDentsStraight(NPolygonPtr polygon, const std::vector<DentEdit>& edits)
{
    if (!polygon || edits.empty())
        return polygon;
    const size_t n = polygon->m_points.size();
    std::vector<NPoint> points = polygon->m_points;
    for (const DentEdit& edit : edits) {
        const NPoint b = points[(edit.i + 1) % n];
        for (size_t t = edit.i + 2; t <= edit.j; ++t)
            points[t % n] = b;
    }
    auto result = std::make_shared<NPolygon>(NPoint{}, points);
    result->DelColinearPoints();
    result->UpdateGabarit();
    if (result->CheckContainPoligon(*polygon, false) || AllStrictlyInside(*result, points))
        return result;
    return polygon;
}

NPolygonPtr RemoveDentsStraight(NPolygonPtr polygon, double distance)
{
    if (!polygon)
        return nullptr;
    return CloseDentsStraight(polygon, FindDentsStraight(*polygon, distance));
}

NPolygonPtr RemoveLedgesTarvel(NPolygonPtr polygon, double tolerance)
{
    if (!polygon)
        return nullptr;
    std::vector<NPoint> points = polygon->m_points;
    CutRectangularProtrusionsAlt(points, tolerance);
    return std::make_shared<NPolygon>(NPoint{}, points);
}

void CutRectangularProtrusionsAlt(std::vector<NPoint>& polygon, double tolerance)
{
    if (polygon.size() < 6)
        return;
    for (size_t i = 0; i < polygon.size(); ++i)
        LiftShortEdge(polygon, i, tolerance);
}

std::vector<NPoint> removeLedgesOnce(const std::vector<NPoint>& points, double tolerance)
{
    std::vector<NPoint> result = points;
    // A pass that moves nothing leaves the next one the same outline, so the
    // remaining passes are skipped (a huge tolerance would take forever).
    double bound = LEDGE_PASS_STEP;
    while (tolerance > bound && RemoveProtrusionsPass(result, tolerance))
        bound = std::min(tolerance, bound + LEDGE_PASS_STEP);
    return result;
}

std::vector<std::pair<int, int>> findRectangularProtrusions(const std::vector<NPoint>& polygon)
{
    std::vector<std::pair<int, int>> result;
    const size_t n = polygon.size();
    for (size_t i = 1; i + 4 < n; ++i) {
        if (areSegmentsCollinear(polygon[i - 1], polygon[i], polygon[i + 3], polygon[i + 4]) &&
            arePerpendicular(polygon[i], polygon[i + 1], polygon[i + 2]) &&
            arePerpendicular(polygon[i + 1], polygon[i + 2], polygon[i + 3]))
            result.emplace_back(static_cast<int>(i), static_cast<int>(i + 3));
    }
    return result;
}

std::vector<std::pair<size_t, size_t>> SearchLedges(const std::vector<NPoint>& contour, const std::vector<NPoint>& hull)
{
    std::vector<std::pair<size_t, size_t>> runs;
    const NPolygon hullPolygon(NPoint{}, hull);
    bool open = false;
    size_t start = 0;
    for (size_t k = 0; k < contour.size(); ++k) {
        const bool inside = hullPolygon.CheckContainPoint(contour[k], false);
        if (!inside && !open) {
            open = true;
            start = k;
        } else if (inside && open) {
            runs.emplace_back(start, k - 1);
            open = false;
        }
    }
    return runs;
}

void FlattenLedges(std::vector<NPoint>& contour, size_t start, size_t end)
{
    if (start > end || end >= contour.size() || contour[start] == contour[end])
        return;
    const NPoint before = start == 0 ? contour.back() : contour[start - 1];
    std::fill(contour.begin() + static_cast<std::ptrdiff_t>(start), contour.begin() + static_cast<std::ptrdiff_t>(end) + 1,
              before);
}

bool onSegment(const NPoint& p, const NPoint& q, const NPoint& r)
{
    return std::min(p.x, r.x) <= q.x && q.x <= std::max(p.x, r.x) && std::min(p.y, r.y) <= q.y &&
           q.y <= std::max(p.y, r.y);
}

bool arePerpendicular(const NPoint& a, const NPoint& b, const NPoint& c)
{
    return std::fabs((c.x - b.x) * (b.x - a.x) + (b.y - a.y) * (c.y - b.y)) < PERPENDICULAR_EPS;
}

double cross(const NPoint& O, const NPoint& A, const NPoint& B)
{
    return (B.y - O.y) * (A.x - O.x) - (B.x - O.x) * (A.y - O.y);
}

bool areSegmentsCollinear(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4)
{
    const double turn = (p2.x - p1.x) * (p4.y - p3.y) - (p2.y - p1.y) * (p4.x - p3.x);
    const bool parallel = turn == 0.0;
    if (cross(p1, p2, p3) != 0.0)
        return parallel;
    if (cross(p1, p2, p4) == 0.0)
        return true;
    return parallel;
}
