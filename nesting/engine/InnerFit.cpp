#include "engine/InnerFit.h"

#include <algorithm>
#include <cmath>

namespace nfp {

namespace {

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }
double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }

// Indices of the hull's corners (monotone chain), counter-clockwise;
// vertices on a side of it are no corners.
std::vector<size_t> HullCorners(const std::vector<NPoint>& p)
{
    std::vector<size_t> order(p.size());
    for (size_t k = 0; k < p.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return p[a].x < p[b].x || (p[a].x == p[b].x && p[a].y < p[b].y);
    });
    std::vector<size_t> hull;
    const auto push = [&](size_t k, size_t keep) {
        while (hull.size() >= keep && Cross(p[hull[hull.size() - 1]] - p[hull[hull.size() - 2]],
                                            p[k] - p[hull[hull.size() - 1]]) <= 0.0)
            hull.pop_back();
        hull.push_back(k);
    };
    for (size_t k : order)
        push(k, 2);
    const size_t lower = hull.size() + 1;
    for (size_t k = order.size() - 1; k-- > 0;)
        push(order[k], lower);
    hull.pop_back();
    return hull;
}

// The convex polygon cut by the half-plane n·t <= u.
void Clip(std::vector<NPoint>& polygon, const NPoint& n, double u, std::vector<NPoint>& scratch)
{
    scratch.clear();
    const size_t m = polygon.size();
    for (size_t k = 0; k < m; ++k) {
        const NPoint& p = polygon[k];
        const NPoint& q = polygon[(k + 1) % m];
        const double dp = Dot(n, p) - u;
        const double dq = Dot(n, q) - u;
        if (dp <= 0.0)
            scratch.push_back(p);
        if ((dp < 0.0 && dq > 0.0) || (dp > 0.0 && dq < 0.0)) {
            const double s = dp / (dp - dq);
            scratch.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y)});
        }
    }
    polygon.swap(scratch);
}

struct HalfPlane {
    NPoint normal; // outward, unit
    double bound;  // normal · t <= bound
};

} // namespace

bool ConvexContainerFit(const std::vector<NPoint>& container, const std::vector<NPoint>& part, double tol,
                        std::vector<NPoint>& region)
{
    region.clear();
    if (container.size() < 3 || part.size() < 3)
        return false;
    // The window as a region, counter-clockwise, and its hull's corners in
    // the order the window runs through them (a simple ring runs through
    // them in the hull's order).
    const std::vector<NPoint> hole(container.rbegin(), container.rend());
    const std::vector<size_t> corners = HullCorners(hole);
    const size_t h = corners.size();
    if (h < 3)
        return false;
    size_t wraps = 0;
    for (size_t k = 0; k < h; ++k)
        wraps += corners[(k + 1) % h] < corners[k] ? 1 : 0;
    if (wraps != 1)
        return false;
    const std::vector<size_t> partCorners = HullCorners(part);
    const size_t m = partCorners.size();
    if (m < 2)
        return false;

    // Each side of the hull bounds the part's translations: its support
    // along the side's outward normal stays within the side less the depth
    // of the window's pocket behind it (no deeper than the tolerance, or the
    // window is no convex one). The sides' normals turn counter-clockwise:
    // the part's support vertex follows them round (rotating calipers).
    std::vector<HalfPlane> planes;
    planes.reserve(h);
    size_t support = 0;
    for (size_t k = 0; k < h; ++k) {
        const size_t from = corners[k];
        const size_t to = corners[(k + 1) % h];
        const NPoint& a = hole[from];
        const NPoint e = hole[to] - a;
        const double length = std::sqrt(Dot(e, e));
        if (!(length > 0.0))
            return false;
        double depth = 0.0;
        for (size_t v = (from + 1) % hole.size(); v != to; v = (v + 1) % hole.size())
            depth = std::max(depth, Cross(e, hole[v] - a) / length);
        if (depth > tol)
            return false;
        const NPoint n{e.y / length, -e.x / length};
        const auto reach = [&](size_t j) { return Dot(n, part[partCorners[j % m]]); };
        if (k == 0) {
            for (size_t j = 1; j < m; ++j)
                if (reach(j) > reach(support))
                    support = j;
        } else {
            for (size_t steps = 0; steps < m && reach(support + 1) > reach(support); ++steps)
                support = (support + 1) % m;
        }
        planes.push_back({n, Dot(n, a) - depth - reach(support)});
    }

    // The half-planes' common part, cut from a box that holds it; where
    // they have none, they may still have one within the tolerance: the part
    // fits there but for rounding, at the middle of that sliver.
    NPoint lo = hole[0], hi = hole[0], plo = part[0], phi = part[0];
    for (const NPoint& p : hole)
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)}, hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    for (const NPoint& p : part)
        plo = {std::min(plo.x, p.x), std::min(plo.y, p.y)}, phi = {std::max(phi.x, p.x), std::max(phi.y, p.y)};
    const double margin = 1.0 + (hi.x - lo.x) + (hi.y - lo.y) + (phi.x - plo.x) + (phi.y - plo.y);
    const NPoint boxLo{lo.x - phi.x - margin, lo.y - phi.y - margin};
    const NPoint boxHi{hi.x - plo.x + margin, hi.y - plo.y + margin};
    std::vector<NPoint> scratch;
    for (const double slack : {0.0, tol}) {
        std::vector<NPoint> polygon{boxLo, {boxHi.x, boxLo.y}, boxHi, {boxLo.x, boxHi.y}};
        for (const HalfPlane& plane : planes) {
            Clip(polygon, plane.normal, plane.bound + slack, scratch);
            if (polygon.empty())
                break;
        }
        if (polygon.empty())
            continue;
        if (slack > 0.0) {
            NPoint middle;
            for (const NPoint& p : polygon)
                middle += p;
            region.push_back({middle.x / static_cast<double>(polygon.size()),
                              middle.y / static_cast<double>(polygon.size())});
            return true;
        }
        // Corners the cuts made a hair apart are one.
        const double apart = 1e-3 * tol;
        for (const NPoint& p : polygon)
            if (region.empty() || Distance(p, region.back()) >= apart)
                region.push_back(p);
        while (region.size() > 1 && Distance(region.back(), region.front()) < apart)
            region.pop_back();
        return true;
    }
    return true;
}

} // namespace nfp
