// The free area of a rectangle beside axis-parallel rectangles. Each line
// that a rectangle's side lies on is swept once: along it, the stretches
// covered on one side of the line and free on the other are the boundary of
// the free area, directed so that the free area lies on their left. The
// directed sides are then chained into rings, turning left wherever two
// rings meet at a corner, so that no ring crosses itself or another.
#include "geometry/RectangleArea.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

// A rectangle by axis: lo[0], hi[0] in x, lo[1], hi[1] in y.
struct Box {
    double lo[2];
    double hi[2];
};

struct Interval {
    double lo;
    double hi;
};

struct Side {
    NPoint from;
    NPoint to;
};

// Coordinates closer than EPS to the first of a run become that one.
class Snapping {
public:
    explicit Snapping(std::vector<double> values) : m_values(std::move(values))
    {
        std::sort(m_values.begin(), m_values.end());
        m_values.erase(std::unique(m_values.begin(), m_values.end()), m_values.end());
        double start = 0.0;
        for (size_t i = 0; i < m_values.size(); ++i) {
            if (i == 0 || m_values[i] - start >= EPS)
                start = m_values[i];
            m_snapped.push_back(start);
        }
    }

    double operator()(double v) const
    {
        const auto it = std::lower_bound(m_values.begin(), m_values.end(), v);
        return m_snapped[static_cast<size_t>(it - m_values.begin())];
    }

private:
    std::vector<double> m_values;
    std::vector<double> m_snapped;
};

std::vector<Interval> Union(std::vector<Interval> intervals)
{
    std::sort(intervals.begin(), intervals.end(), [](const Interval& a, const Interval& b) { return a.lo < b.lo; });
    std::vector<Interval> merged;
    for (const Interval& i : intervals) {
        if (!merged.empty() && i.lo <= merged.back().hi)
            merged.back().hi = std::max(merged.back().hi, i.hi);
        else
            merged.push_back(i);
    }
    return merged;
}

// What of the merged intervals `a` the merged intervals `b` leave.
std::vector<Interval> Difference(const std::vector<Interval>& a, const std::vector<Interval>& b)
{
    std::vector<Interval> rest;
    size_t k = 0;
    for (const Interval& i : a) {
        double lo = i.lo;
        while (k < b.size() && b[k].hi <= lo)
            ++k;
        for (size_t m = k; m < b.size() && b[m].lo < i.hi; ++m) {
            if (b[m].lo > lo)
                rest.push_back({lo, b[m].lo});
            lo = std::max(lo, b[m].hi);
        }
        if (lo < i.hi)
            rest.push_back({lo, i.hi});
    }
    return rest;
}

NPoint At(int axis, double along, double across)
{
    return axis == 0 ? NPoint{along, across} : NPoint{across, along};
}

// The boundary sides on the lines across axis `a` (x = c for a = 0, y = c
// for a = 1). Outside `area` counts as covered.
void BoundaryAcross(int a, const Box& area, const std::vector<Box>& boxes, std::vector<Side>& sides)
{
    const int o = 1 - a;
    std::vector<double> lines{area.lo[a], area.hi[a]};
    for (const Box& b : boxes) {
        lines.push_back(b.lo[a]);
        lines.push_back(b.hi[a]);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    std::vector<size_t> order(boxes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t p, size_t q) { return boxes[p].lo[a] < boxes[q].lo[a]; });

    std::vector<size_t> active;  // boxes starting before the line and not ending before it
    size_t next = 0;
    std::vector<Interval> before, after;
    for (const double c : lines) {
        while (next < order.size() && boxes[order[next]].lo[a] < c)
            active.push_back(order[next++]);
        std::erase_if(active, [&](size_t i) { return boxes[i].hi[a] < c; });
        before.clear();
        after.clear();
        for (const size_t i : active) {
            before.push_back({boxes[i].lo[o], boxes[i].hi[o]});
            if (boxes[i].hi[a] > c)
                after.push_back({boxes[i].lo[o], boxes[i].hi[o]});
        }
        for (size_t k = next; k < order.size() && boxes[order[k]].lo[a] == c; ++k)
            after.push_back({boxes[order[k]].lo[o], boxes[order[k]].hi[o]});
        if (c == area.lo[a])
            before.push_back({area.lo[o], area.hi[o]});
        if (c == area.hi[a])
            after.push_back({area.lo[o], area.hi[o]});
        const std::vector<Interval> coveredBefore = Union(before);
        const std::vector<Interval> coveredAfter = Union(after);
        // Free before the line, covered after it: the free area lies on the
        // left going up a line x = c, going left along a line y = c.
        for (const Interval& i : Difference(coveredAfter, coveredBefore)) {
            if (a == 0)
                sides.push_back({At(a, c, i.lo), At(a, c, i.hi)});
            else
                sides.push_back({At(a, c, i.hi), At(a, c, i.lo)});
        }
        for (const Interval& i : Difference(coveredBefore, coveredAfter)) {
            if (a == 0)
                sides.push_back({At(a, c, i.hi), At(a, c, i.lo)});
            else
                sides.push_back({At(a, c, i.lo), At(a, c, i.hi)});
        }
    }
}

double Cross(const NPoint& u, const NPoint& v) { return u.x * v.y - u.y * v.x; }
double Dot(const NPoint& u, const NPoint& v) { return u.x * v.x + u.y * v.y; }

// The rings the sides close: at a corner where two rings meet, each turns
// left (the free area lies on the left of every side).
std::vector<std::vector<NPoint>> Chain(const std::vector<Side>& sides)
{
    std::map<std::pair<double, double>, std::vector<size_t>> leaving;
    for (size_t i = 0; i < sides.size(); ++i)
        leaving[{sides[i].from.x, sides[i].from.y}].push_back(i);
    const auto follow = [&](size_t i) {
        const NPoint way = sides[i].to - sides[i].from;
        const auto it = leaving.find({sides[i].to.x, sides[i].to.y});
        if (it == leaving.end())
            return sides.size();
        size_t best = sides.size();
        int bestRank = 4;
        for (const size_t j : it->second) {
            const NPoint turn = sides[j].to - sides[j].from;
            const double cross = Cross(way, turn);
            const int rank = cross > 0.0 ? 0 : cross < 0.0 ? 2 : Dot(way, turn) > 0.0 ? 1 : 3;
            if (rank < bestRank) {
                bestRank = rank;
                best = j;
            }
        }
        return best;
    };
    std::vector<bool> taken(sides.size(), false);
    std::vector<std::vector<NPoint>> rings;
    for (size_t first = 0; first < sides.size(); ++first) {
        if (taken[first])
            continue;
        std::vector<NPoint> ring;
        size_t i = first;
        while (i < sides.size() && !taken[i]) {
            taken[i] = true;
            ring.push_back(sides[i].from);
            i = follow(i);
        }
        // Every side's end starts another side: the walk comes back to its first.
        if (i == first)
            rings.push_back(std::move(ring));
    }
    return rings;
}

// The vertices where the ring runs straight on go.
void DropStraight(std::vector<NPoint>& ring)
{
    bool dropped = true;
    while (dropped && ring.size() > 2) {
        dropped = false;
        for (size_t i = 0; i < ring.size() && ring.size() > 2; ++i) {
            const NPoint& p = ring[(i + ring.size() - 1) % ring.size()];
            const NPoint& m = ring[i];
            const NPoint& q = ring[(i + 1) % ring.size()];
            if ((p.x == m.x && m.x == q.x) || (p.y == m.y && m.y == q.y)) {
                ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
                dropped = true;
            }
        }
    }
}

// A ring that passes a corner twice is split there into the loops it makes.
void SplitAtRepeats(std::vector<NPoint> ring, std::vector<std::vector<NPoint>>& loops)
{
    std::map<std::pair<double, double>, size_t> seen;
    for (size_t j = 0; j < ring.size(); ++j) {
        const auto [it, fresh] = seen.emplace(std::make_pair(ring[j].x, ring[j].y), j);
        if (fresh)
            continue;
        const size_t i = it->second;
        std::vector<NPoint> inner(ring.begin() + static_cast<std::ptrdiff_t>(i),
                                  ring.begin() + static_cast<std::ptrdiff_t>(j));
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i), ring.begin() + static_cast<std::ptrdiff_t>(j));
        SplitAtRepeats(std::move(inner), loops);
        SplitAtRepeats(std::move(ring), loops);
        return;
    }
    DropStraight(ring);
    if (ring.size() >= 4)
        loops.push_back(std::move(ring));
}

// Even-odd rule; `p` lies on no side of the ring.
bool Inside(const std::vector<NPoint>& ring, const NPoint& p)
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

NRect Gabarit(const std::vector<NPoint>& ring)
{
    NRect r{ring.front(), ring.front()};
    for (const NPoint& p : ring) {
        r.pBot = {std::min(r.pBot.x, p.x), std::min(r.pBot.y, p.y)};
        r.pTop = {std::max(r.pTop.x, p.x), std::max(r.pTop.y, p.y)};
    }
    return r;
}

bool Holds(const NRect& r, const NPoint& p)
{
    return r.pBot.x < p.x && p.x < r.pTop.x && r.pBot.y < p.y && p.y < r.pTop.y;
}

// Rectangles tiling `area` less the `taken` ones: the stretches of y left
// free in each slab between two x coordinates, a stretch running on into the
// next slab while it stays the same.
std::vector<NRect> FreeRectangles(const NRect& area, const std::vector<NRect>& taken)
{
    std::vector<NRect> within;
    std::vector<double> xs{area.pBot.x, area.pTop.x};
    for (const NRect& r : taken) {
        const NRect c{{std::max(r.pBot.x, area.pBot.x), std::max(r.pBot.y, area.pBot.y)},
                      {std::min(r.pTop.x, area.pTop.x), std::min(r.pTop.y, area.pTop.y)}};
        if (c.pBot.x < c.pTop.x && c.pBot.y < c.pTop.y) {
            within.push_back(c);
            xs.push_back(c.pBot.x);
            xs.push_back(c.pTop.x);
        }
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::stable_sort(within.begin(), within.end(), [](const NRect& a, const NRect& b) { return a.pBot.x < b.pBot.x; });

    std::vector<NRect> free;
    std::vector<std::pair<Interval, double>> open;  // a stretch and where its rectangle began
    std::vector<size_t> active;
    size_t next = 0;
    std::vector<Interval> covered;
    for (size_t k = 0; k + 1 < xs.size(); ++k) {
        const double lo = xs[k];
        while (next < within.size() && within[next].pBot.x <= lo)
            active.push_back(next++);
        std::erase_if(active, [&](size_t i) { return within[i].pTop.x <= lo; });
        covered.clear();
        for (const size_t i : active)
            covered.push_back({within[i].pBot.y, within[i].pTop.y});
        const std::vector<Interval> stretches = Difference({{area.pBot.y, area.pTop.y}}, Union(covered));
        std::vector<std::pair<Interval, double>> going;
        size_t m = 0;
        for (const Interval& stretch : stretches) {
            while (m < open.size() && open[m].first.lo < stretch.lo) {
                free.push_back({{open[m].second, open[m].first.lo}, {lo, open[m].first.hi}});
                ++m;
            }
            if (m < open.size() && open[m].first.lo == stretch.lo && open[m].first.hi == stretch.hi) {
                going.push_back(open[m++]);
                continue;
            }
            going.push_back({stretch, lo});
        }
        for (; m < open.size(); ++m)
            free.push_back({{open[m].second, open[m].first.lo}, {lo, open[m].first.hi}});
        open = std::move(going);
    }
    if (!xs.empty()) {
        for (const auto& [stretch, from] : open)
            free.push_back({{from, stretch.lo}, {xs.back(), stretch.hi}});
    }
    return free;
}

NRect Grown(const NRect& r, double by)
{
    return {{r.pBot.x - by, r.pBot.y - by}, {r.pTop.x + by, r.pTop.y + by}};
}

}  // namespace

std::vector<RectangleAreaPiece> WideRectangleArea(const NRect& area, const std::vector<NRect>& taken, double width)
{
    // The centres a square of side 2r may take lie in the area shrunk by r,
    // clear of every rectangle grown by r; the squares about them sweep what
    // is kept. Half a rounding hair less than half the width keeps a strip
    // exactly as wide (short of it by less than EPS_WIDTH), and no narrower.
    const double r = 0.5 * (width - EPS_WIDTH);
    if (!(r > 0.0))
        return FreeRectangleArea(area, taken);
    const NRect core = Grown(area, -r);
    if (!(core.pBot.x < core.pTop.x && core.pBot.y < core.pTop.y))
        return {};
    std::vector<NRect> grown;
    grown.reserve(taken.size());
    for (const NRect& t : taken)
        grown.push_back(Grown(t, r));
    std::vector<NRect> swept = FreeRectangles(core, grown);
    if (swept.empty())
        return {};
    for (NRect& s : swept)
        s = Grown(s, r);
    return FreeRectangleArea(area, FreeRectangles(area, swept));
}

std::vector<RectangleAreaPiece> FreeRectangleArea(const NRect& area, const std::vector<NRect>& taken)
{
    std::vector<double> xs{area.pBot.x, area.pTop.x};
    std::vector<double> ys{area.pBot.y, area.pTop.y};
    for (const NRect& r : taken) {
        xs.push_back(std::clamp(r.pBot.x, area.pBot.x, area.pTop.x));
        xs.push_back(std::clamp(r.pTop.x, area.pBot.x, area.pTop.x));
        ys.push_back(std::clamp(r.pBot.y, area.pBot.y, area.pTop.y));
        ys.push_back(std::clamp(r.pTop.y, area.pBot.y, area.pTop.y));
    }
    const Snapping snapX(xs);
    const Snapping snapY(ys);
    const Box within{{snapX(area.pBot.x), snapY(area.pBot.y)}, {snapX(area.pTop.x), snapY(area.pTop.y)}};
    if (!(within.lo[0] < within.hi[0] && within.lo[1] < within.hi[1]))
        return {};
    std::vector<Box> boxes;
    for (const NRect& r : taken) {
        const Box b{{snapX(std::clamp(r.pBot.x, area.pBot.x, area.pTop.x)),
                     snapY(std::clamp(r.pBot.y, area.pBot.y, area.pTop.y))},
                    {snapX(std::clamp(r.pTop.x, area.pBot.x, area.pTop.x)),
                     snapY(std::clamp(r.pTop.y, area.pBot.y, area.pTop.y))}};
        if (b.lo[0] < b.hi[0] && b.lo[1] < b.hi[1])
            boxes.push_back(b);
    }

    std::vector<Side> sides;
    BoundaryAcross(0, within, boxes, sides);
    BoundaryAcross(1, within, boxes, sides);
    std::vector<std::vector<NPoint>> loops;
    for (std::vector<NPoint>& ring : Chain(sides))
        SplitAtRepeats(std::move(ring), loops);

    std::vector<RectangleAreaPiece> pieces;
    std::vector<double> areas;
    std::vector<NRect> boxesOf;
    std::vector<std::vector<NPoint>> islands;
    for (std::vector<NPoint>& loop : loops) {
        const double a = SignedArea(loop);
        if (a > 0.0) {
            areas.push_back(a);
            boxesOf.push_back(Gabarit(loop));
            pieces.push_back({std::move(loop), {}});
        } else if (a < 0.0) {
            islands.push_back(std::move(loop));
        }
    }
    // An island goes with the smallest piece around it: its sides are no
    // piece's, so the middle of one lies inside or outside each piece.
    for (std::vector<NPoint>& island : islands) {
        const NPoint probe{(island[0].x + island[1].x) / 2.0, (island[0].y + island[1].y) / 2.0};
        size_t around = pieces.size();
        for (size_t k = 0; k < pieces.size(); ++k) {
            if (Holds(boxesOf[k], probe) && Inside(pieces[k].outer, probe) &&
                (around == pieces.size() || areas[k] < areas[around]))
                around = k;
        }
        if (around < pieces.size())
            pieces[around].islands.push_back(std::move(island));
    }
    return pieces;
}
