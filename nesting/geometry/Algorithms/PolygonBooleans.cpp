// Boolean operations on polygons by an overlay of their outlines.
//
// The outlines are laid over each other in a local frame (the lower corner of
// their common box is its origin), so that the result does not depend on where
// the shapes lie. The point-equality tolerance EPS rules the overlay, and the
// snapping to it is done once, here: vertices closer than EPS become one node,
// a node within EPS of an edge splits that edge, and the crossing of two edges
// becomes a node of both. Every later step compares node numbers only. Each
// edge of the overlay knows how often each operand runs along it and which
// way; the winding numbers of every operand on both sides of an edge follow
// from one ray to the other edges. The edges with the result on one side only
// are chained into rings that keep the result on their left: outlines run
// counter-clockwise and holes clockwise (the other way round when the first
// operand runs clockwise).
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <unordered_map>

namespace {

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }
double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }

// Rounds of splitting: each round may bend edges onto new nodes, which may
// make new contacts; real input settles in two or three.
constexpr int MAX_SPLIT_ROUNDS = 12;

// The nodes of the overlay: points at least EPS apart in x or in y (two
// points closer than EPS in both are one, as NPoint equality has it).
class Nodes {
public:
    explicit Nodes(const NPoint& origin) : m_origin(origin) {}

    // The node of a point of the local frame; `global` is the point as the
    // caller gave it, kept exact for the output when a new node is made.
    size_t Snap(const NPoint& local, const NPoint& global)
    {
        const int64_t cx = Cell(local.x);
        const int64_t cy = Cell(local.y);
        size_t best = m_local.size();
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                auto it = m_cells.find(Key(cx + dx, cy + dy));
                for (size_t n = it == m_cells.end() ? NONE : it->second; n != NONE; n = m_nextInCell[n])
                    if (n < best && std::fabs(m_local[n].x - local.x) < EPS && std::fabs(m_local[n].y - local.y) < EPS)
                        best = n;
            }
        if (best < m_local.size())
            return best;
        m_local.push_back(local);
        m_global.push_back(global);
        auto [it, added] = m_cells.emplace(Key(cx, cy), best);
        m_nextInCell.push_back(added ? NONE : it->second);
        it->second = best;
        return best;
    }

    size_t Snap(const NPoint& local) { return Snap(local, local + m_origin); }

    const NPoint& Local(size_t n) const { return m_local[n]; }
    const NPoint& Global(size_t n) const { return m_global[n]; }
    size_t Size() const { return m_local.size(); }

private:
    static constexpr size_t NONE = SIZE_MAX;
    static int64_t Cell(double v) { return static_cast<int64_t>(std::floor(v / EPS)); }
    static uint64_t Key(int64_t x, int64_t y)
    {
        return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(y) + 0x632BE59BD9B4E019ull);
    }

    NPoint m_origin;
    std::vector<NPoint> m_local;
    std::vector<NPoint> m_global;
    std::unordered_map<uint64_t, size_t> m_cells; // the last node made in each cell
    std::vector<size_t> m_nextInCell;             // the node made before it there
};

// A piece of an operand's outline between two nodes, the way the operand runs.
struct Segment {
    size_t a;
    size_t b;
    size_t operand;
    bool fresh = true; // made in the last round: not yet tested against the others
};

// A uniform grid over the boxes of the segments, about one cell per segment,
// for the pairs of segments and the nodes that may meet.
class Grid {
public:
    Grid(const std::vector<Segment>& segments, const Nodes& nodes)
    {
        NPoint lo = nodes.Local(segments.front().a);
        NPoint hi = lo;
        for (const Segment& s : segments)
            for (size_t n : {s.a, s.b}) {
                const NPoint& p = nodes.Local(n);
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
            }
        m_lo = lo;
        const double w = hi.x - lo.x + 2 * EPS;
        const double h = hi.y - lo.y + 2 * EPS;
        const double cell = std::max(std::sqrt(w * h / static_cast<double>(segments.size())), 4 * EPS);
        m_cols = std::clamp<size_t>(static_cast<size_t>(w / cell) + 1, 1, 2 * segments.size() + 1);
        m_rows = std::clamp<size_t>(static_cast<size_t>(h / cell) + 1, 1, 2 * segments.size() + 1);
        m_perX = static_cast<double>(m_cols) / w;
        m_perY = static_cast<double>(m_rows) / h;
        // Count the segments of each cell, then fill the cells in order.
        m_start.assign(m_cols * m_rows + 1, 0);
        for (const Segment& s : segments)
            ForCells(nodes.Local(s.a), nodes.Local(s.b), [&](size_t c) { ++m_start[c + 1]; });
        for (size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_items.resize(m_start.back());
        std::vector<size_t> fill(m_start.begin(), m_start.end() - 1);
        for (size_t k = 0; k < segments.size(); ++k)
            ForCells(nodes.Local(segments[k].a), nodes.Local(segments[k].b), [&](size_t c) { m_items[fill[c]++] = k; });
    }

    // f(segment) for the segments listed in the cells that the box of p-q,
    // widened by EPS, meets (a segment may come more than once).
    template <class F>
    void ForNear(const NPoint& p, const NPoint& q, F f) const
    {
        ForCells(p, q, [&](size_t c) {
            for (size_t k = m_start[c]; k < m_start[c + 1]; ++k)
                f(m_items[k]);
        });
    }

private:
    template <class F>
    void ForCells(const NPoint& p, const NPoint& q, F f) const
    {
        const size_t c0 = Index((std::min(p.x, q.x) - EPS - m_lo.x) * m_perX, m_cols);
        const size_t c1 = Index((std::max(p.x, q.x) + EPS - m_lo.x) * m_perX, m_cols);
        const size_t r0 = Index((std::min(p.y, q.y) - EPS - m_lo.y) * m_perY, m_rows);
        const size_t r1 = Index((std::max(p.y, q.y) + EPS - m_lo.y) * m_perY, m_rows);
        for (size_t r = r0; r <= r1; ++r)
            for (size_t c = c0; c <= c1; ++c)
                f(r * m_cols + c);
    }
    static size_t Index(double t, size_t count)
    {
        return t <= 0.0 ? 0 : t >= static_cast<double>(count - 1) ? count - 1 : static_cast<size_t>(t);
    }

    NPoint m_lo;
    size_t m_cols = 1;
    size_t m_rows = 1;
    double m_perX = 1.0;
    double m_perY = 1.0;
    std::vector<size_t> m_start;
    std::vector<size_t> m_items;
};

struct Split {
    double t;
    size_t node;
};

// One round of splitting: every node within EPS of the inside of a segment,
// and every crossing of two segments, becomes a vertex of the segments. Only
// what changed since the last round is tested: fresh segments against all,
// new nodes against all segments. False when nothing changed.
bool SplitRound(std::vector<Segment>& segments, Nodes& nodes, size_t& testedNodes)
{
    if (segments.empty())
        return false;
    const Grid grid(segments, nodes);
    const size_t knownNodes = testedNodes;
    testedNodes = nodes.Size();
    std::vector<std::vector<Split>> splits(segments.size());
    std::vector<size_t> seenNode(nodes.Size(), SIZE_MAX);
    std::vector<size_t> seenSegment(segments.size(), SIZE_MAX);
    const auto parameter = [&](const Segment& s, const NPoint& p) {
        const NPoint d = nodes.Local(s.b) - nodes.Local(s.a);
        return Dot(p - nodes.Local(s.a), d) / Dot(d, d);
    };
    // Nodes on segments: the ends of the other segments in the same cells.
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const NPoint& p = nodes.Local(s.a);
        const NPoint& q = nodes.Local(s.b);
        const NPoint d = q - p;
        const double len2 = Dot(d, d);
        const auto test = [&](size_t n) {
            if (n == s.a || n == s.b || seenNode[n] == i || (!s.fresh && n < knownNodes))
                return;
            seenNode[n] = i;
            const NPoint& v = nodes.Local(n);
            if (v.x < std::min(p.x, q.x) - EPS || v.x > std::max(p.x, q.x) + EPS || v.y < std::min(p.y, q.y) - EPS ||
                v.y > std::max(p.y, q.y) + EPS)
                return;
            const double t = Dot(v - p, d) / len2;
            if (t <= 0.0 || t >= 1.0)
                return;
            const NPoint foot{p.x + t * d.x, p.y + t * d.y};
            if (Distance2(foot, v) < EPS * EPS)
                splits[i].push_back({t, n});
        };
        grid.ForNear(p, q, [&](size_t j) {
            test(segments[j].a);
            test(segments[j].b);
        });
    }
    // Crossings of two segments that share no node. New nodes are made on
    // the way: the points are copied, not referred to.
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const NPoint p = nodes.Local(s.a);
        const NPoint q = nodes.Local(s.b);
        const NPoint d = q - p;
        grid.ForNear(p, q, [&](size_t j) {
            if (j <= i || seenSegment[j] == i)
                return;
            seenSegment[j] = i;
            const Segment& o = segments[j];
            if ((!s.fresh && !o.fresh) || o.a == s.a || o.a == s.b || o.b == s.a || o.b == s.b)
                return;
            const NPoint u = nodes.Local(o.a);
            const NPoint v = nodes.Local(o.b);
            const double su = Cross(d, u - p);
            const double sv = Cross(d, v - p);
            if (!((su > 0 && sv < 0) || (su < 0 && sv > 0)))
                return;
            const NPoint e = v - u;
            const double sp = Cross(e, p - u);
            const double sq = Cross(e, q - u);
            if (!((sp > 0 && sq < 0) || (sp < 0 && sq > 0)))
                return;
            const double t = sp / (sp - sq);
            const size_t n = nodes.Snap({p.x + t * d.x, p.y + t * d.y});
            if (n != s.a && n != s.b)
                splits[i].push_back({parameter(s, nodes.Local(n)), n});
            if (n != o.a && n != o.b)
                splits[j].push_back({parameter(o, nodes.Local(n)), n});
        });
    }
    bool changed = testedNodes != nodes.Size();
    std::vector<Segment> out;
    out.reserve(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        std::vector<Split>& list = splits[i];
        const Segment& s = segments[i];
        if (list.empty()) {
            out.push_back({s.a, s.b, s.operand, false});
            continue;
        }
        changed = true;
        std::stable_sort(list.begin(), list.end(), [](const Split& x, const Split& y) { return x.t < y.t; });
        size_t from = s.a;
        for (const Split& split : list) {
            if (split.node == from || split.node == s.b)
                continue;
            out.push_back({from, split.node, s.operand, true});
            from = split.node;
        }
        out.push_back({from, s.b, s.operand, true});
    }
    segments.swap(out);
    return changed;
}

// How often an operand runs along an edge from u to v, less from v to u.
struct Run {
    size_t operand;
    int times;
};

// An edge of the overlay, u < v, with its runs: runs[runs .. runs + count).
struct Edge {
    size_t u;
    size_t v;
    size_t runs = 0;
    size_t count = 0;
    bool boundary = false;
    bool forward = true; // the result lies left of u -> v
};

// Buckets of edges by their range across a ray's direction.
class RayIndex {
public:
    RayIndex(const std::vector<Edge>& edges, const Nodes& nodes, bool alongX) : m_alongX(alongX)
    {
        if (edges.empty())
            return;
        m_lo = Across(nodes.Local(edges.front().u));
        double hi = m_lo;
        for (const Edge& e : edges)
            for (size_t n : {e.u, e.v}) {
                m_lo = std::min(m_lo, Across(nodes.Local(n)));
                hi = std::max(hi, Across(nodes.Local(n)));
            }
        m_buckets = std::max<size_t>(1, edges.size() / 4);
        m_scale = static_cast<double>(m_buckets) / std::max(hi - m_lo, EPS);
        const auto forBuckets = [&](const Edge& e, auto f) {
            const double a = Across(nodes.Local(e.u));
            const double b = Across(nodes.Local(e.v));
            for (size_t bucket = Bucket(std::min(a, b)); bucket <= Bucket(std::max(a, b)); ++bucket)
                f(bucket);
        };
        m_start.assign(m_buckets + 1, 0);
        for (const Edge& e : edges)
            forBuckets(e, [&](size_t b) { ++m_start[b + 1]; });
        for (size_t b = 1; b <= m_buckets; ++b)
            m_start[b] += m_start[b - 1];
        m_items.resize(m_start.back());
        std::vector<size_t> fill(m_start.begin(), m_start.end() - 1);
        for (size_t k = 0; k < edges.size(); ++k)
            forBuckets(edges[k], [&](size_t b) { m_items[fill[b]++] = k; });
    }

    // f(edge) for every edge whose range across the ray may hold `across`.
    template <class F>
    void ForNear(double across, F f) const
    {
        const size_t b = Bucket(across);
        for (size_t k = m_start[b]; k < m_start[b + 1]; ++k)
            f(m_items[k]);
    }
    double Across(const NPoint& p) const { return m_alongX ? p.y : p.x; }

private:
    size_t Bucket(double v) const
    {
        const double t = (v - m_lo) * m_scale;
        return t <= 0.0 ? 0 : t >= static_cast<double>(m_buckets - 1) ? m_buckets - 1 : static_cast<size_t>(t);
    }

    bool m_alongX;
    double m_lo = 0.0;
    double m_scale = 1.0;
    size_t m_buckets = 1;
    std::vector<size_t> m_start{0, 0};
    std::vector<size_t> m_items;
};

// Whether a point is in the result, from how many operands wind round it
// (`nonzero`) and whether the first one does.
bool InResult(BooleanType type, size_t nonzero, bool first, size_t operands)
{
    switch (type) {
    case BooleanType::Union:
        return nonzero > 0;
    case BooleanType::Difference:
        return first && nonzero == 1;
    case BooleanType::Intersection:
        return nonzero == operands;
    }
    return false;
}

// Marks the edges with the result on one side only. The ray from an edge's
// mid point runs along x (or along y for a flat edge) and counts the other
// edges it crosses, by the half-open rule. The windings of the operands a ray
// meets are kept, the others known to be nought: a union of thousands of
// operands costs no more an edge than one of two.
void Classify(std::vector<Edge>& edges, const std::vector<Run>& runs, const Nodes& nodes, size_t operands,
              BooleanType type)
{
    const RayIndex alongX(edges, nodes, true);
    const RayIndex alongY(edges, nodes, false);
    std::vector<int> winding(operands, 0);
    std::vector<size_t> met;                        // the operands the ray meets, each once
    std::vector<size_t> metBy(operands, SIZE_MAX);  // the edge whose ray met each last
    for (size_t k = 0; k < edges.size(); ++k) {
        Edge& e = edges[k];
        const NPoint& p = nodes.Local(e.u);
        const NPoint& q = nodes.Local(e.v);
        const NPoint m{(p.x + q.x) / 2, (p.y + q.y) / 2};
        const bool rayX = std::fabs(q.y - p.y) > std::fabs(q.x - p.x);
        const RayIndex& index = rayX ? alongX : alongY;
        const double at = index.Across(m);
        index.ForNear(at, [&](size_t f) {
            if (f == k)
                return;
            const NPoint& a = nodes.Local(edges[f].u);
            const NPoint& b = nodes.Local(edges[f].v);
            const double a0 = index.Across(a);
            const double b0 = index.Across(b);
            if ((a0 > at) == (b0 > at))
                return;
            // Where f crosses the ray's line, along the ray.
            const double s = (at - a0) / (b0 - a0);
            const double along = rayX ? a.x + s * (b.x - a.x) : a.y + s * (b.y - a.y);
            if (along <= (rayX ? m.x : m.y))
                return;
            // A ray along x sees a ring round m run upwards, a ray along y
            // sees it run to the left.
            const int sign = rayX ? (b0 > a0 ? 1 : -1) : (b0 < a0 ? 1 : -1);
            for (size_t r = edges[f].runs; r < edges[f].runs + edges[f].count; ++r) {
                const size_t o = runs[r].operand;
                if (metBy[o] != k) {
                    metBy[o] = k;
                    met.push_back(o);
                }
                winding[o] += sign * runs[r].times;
            }
        });
        size_t nonzero = 0;
        for (size_t o : met)
            nonzero += winding[o] != 0 ? 1 : 0;
        // The ray leaves from the left of u -> v when it runs along x and the
        // edge runs down, or along y and the edge runs right. Across the
        // edge each of its operands winds by its runs more or less.
        const bool probedLeft = rayX ? q.y < p.y : q.x > p.x;
        size_t otherNonzero = nonzero;
        bool otherFirst = winding[0] != 0;
        for (size_t r = e.runs; r < e.runs + e.count; ++r) {
            const size_t o = runs[r].operand;
            const int across = winding[o] + (probedLeft ? -runs[r].times : runs[r].times);
            otherNonzero = otherNonzero - (winding[o] != 0 ? 1 : 0) + (across != 0 ? 1 : 0);
            if (o == 0)
                otherFirst = across != 0;
        }
        const bool inProbed = InResult(type, nonzero, winding[0] != 0, operands);
        const bool inOther = InResult(type, otherNonzero, otherFirst, operands);
        e.boundary = inProbed != inOther;
        e.forward = probedLeft ? inProbed : inOther;
        for (size_t o : met)
            winding[o] = 0;
        met.clear();
    }
}

// Counter-clockwise angle from direction `from` to direction `to`, in (0, 2pi].
double Sweep(const NPoint& from, const NPoint& to)
{
    double t = std::atan2(Cross(from, to), Dot(from, to));
    if (t <= 0)
        t += 2 * PI;
    return t;
}

// The boundary cycles, each cut into simple loops where it passes a node
// twice, as node lists; the result lies left of every loop.
std::vector<std::vector<size_t>> TraceLoops(const std::vector<Edge>& edges, const std::vector<size_t>& order,
                                            const Nodes& nodes)
{
    struct HalfEdge {
        size_t from;
        size_t to;
        size_t edge;
    };
    std::vector<HalfEdge> halves;
    std::vector<std::vector<size_t>> outgoing(nodes.Size());
    std::vector<size_t> halfOfEdge(edges.size(), SIZE_MAX);
    for (size_t k = 0; k < edges.size(); ++k) {
        const Edge& e = edges[k];
        if (!e.boundary)
            continue;
        halfOfEdge[k] = halves.size();
        outgoing[e.forward ? e.u : e.v].push_back(halves.size());
        halves.push_back(e.forward ? HalfEdge{e.u, e.v, k} : HalfEdge{e.v, e.u, k});
    }
    std::vector<bool> used(halves.size(), false);
    std::vector<size_t> placeOnPath(nodes.Size(), SIZE_MAX);
    std::vector<std::vector<size_t>> loops;
    for (size_t k : order) {
        const size_t start = halfOfEdge[k];
        if (start == SIZE_MAX || used[start])
            continue;
        std::vector<size_t> cycle;
        size_t h = start;
        while (!used[h]) {
            used[h] = true;
            cycle.push_back(halves[h].from);
            // At the end node, the next edge round the result: the first one
            // clockwise from the way back.
            const NPoint& at = nodes.Local(halves[h].to);
            const NPoint back = nodes.Local(halves[h].from) - at;
            size_t next = SIZE_MAX;
            double best = 4 * PI;
            for (size_t g : outgoing[halves[h].to]) {
                if (used[g] && g != start)
                    continue;
                const double turn = Sweep(nodes.Local(halves[g].to) - at, back);
                if (turn < best) {
                    best = turn;
                    next = g;
                }
            }
            if (next == SIZE_MAX)
                break;
            h = next;
        }
        // Cut the cycle where it passes a node again (the place of each node
        // on the path is kept: a cycle may have a hundred thousand nodes).
        std::vector<size_t> path;
        for (size_t n : cycle) {
            if (placeOnPath[n] != SIZE_MAX) {
                const auto again = path.begin() + static_cast<std::ptrdiff_t>(placeOnPath[n]);
                loops.emplace_back(again, path.end());
                for (auto it = again + 1; it != path.end(); ++it)
                    placeOnPath[*it] = SIZE_MAX;
                path.erase(again + 1, path.end());
            } else {
                placeOnPath[n] = path.size();
                path.push_back(n);
            }
        }
        for (size_t n : path)
            placeOnPath[n] = SIZE_MAX;
        loops.push_back(path);
    }
    return loops;
}

// The loop's points, without the vertices it runs straight through that no
// other boundary edge meets (where rings touch, both keep the point).
std::vector<NPoint> LoopPoints(const std::vector<size_t>& loop, const Nodes& nodes, const std::vector<int>& degree)
{
    std::vector<NPoint> points;
    const size_t n = loop.size();
    for (size_t k = 0; k < n; ++k) {
        const NPoint& prev = nodes.Local(loop[(k + n - 1) % n]);
        const NPoint& cur = nodes.Local(loop[k]);
        const NPoint& next = nodes.Local(loop[(k + 1) % n]);
        const NPoint chord = next - prev;
        const bool straight = degree[loop[k]] == 2 &&
                              std::fabs(Cross(chord, cur - prev)) <= 1e-3 * EPS * std::sqrt(Dot(chord, chord)) &&
                              Dot(cur - prev, next - cur) > 0;
        if (!straight)
            points.push_back(nodes.Global(loop[k]));
    }
    return points;
}

}  // namespace

namespace {

// A ring of an operand: operands are the regions the rings of one group bound
// together (an outline less the holes in it, running against it).
struct OperandRing {
    const NPolygon* ring;
    size_t operand;
};

bool Overlay(const std::vector<OperandRing>& rings, size_t operands, BooleanType booleanType, VectorPolygon& outs)
{
    NPoint origin = rings.front().ring->m_points.front();
    for (const OperandRing& r : rings)
        for (const NPoint& v : r.ring->m_points)
            origin = {std::min(origin.x, v.x), std::min(origin.y, v.y)};

    Nodes nodes(origin);
    std::vector<Segment> segments;
    for (const OperandRing& r : rings) {
        const size_t k = r.operand;
        std::vector<size_t> ring;
        for (const NPoint& v : r.ring->m_points) {
            const size_t n = nodes.Snap(v - origin, v);
            if (ring.empty() || ring.back() != n)
                ring.push_back(n);
        }
        while (ring.size() > 1 && ring.back() == ring.front())
            ring.pop_back();
        if (ring.size() < 2)
            continue;
        for (size_t i = 0; i < ring.size(); ++i)
            segments.push_back({ring[i], ring[(i + 1) % ring.size()], k});
    }
    size_t testedNodes = 0;
    for (int round = 0; round < MAX_SPLIT_ROUNDS && SplitRound(segments, nodes, testedNodes); ++round) {
    }

    // One edge per pair of nodes, with the runs of every operand along it;
    // `order` lists them as the operands first run along them. Runs there
    // and back cancel: an edge left without runs bounds nothing.
    struct Piece {
        size_t u, v, operand, segment;
        int times;
    };
    std::vector<Piece> pieces;
    pieces.reserve(segments.size());
    for (size_t k = 0; k < segments.size(); ++k) {
        const Segment& s = segments[k];
        pieces.push_back({std::min(s.a, s.b), std::max(s.a, s.b), s.operand, k, s.a < s.b ? 1 : -1});
    }
    std::sort(pieces.begin(), pieces.end(), [](const Piece& x, const Piece& y) {
        return std::tie(x.u, x.v, x.operand, x.segment) < std::tie(y.u, y.v, y.operand, y.segment);
    });
    std::vector<Edge> live;
    std::vector<Run> runs;
    std::vector<size_t> edgeOfSegment(segments.size(), SIZE_MAX);
    for (size_t k = 0; k < pieces.size();) {
        size_t end = k;
        while (end < pieces.size() && pieces[end].u == pieces[k].u && pieces[end].v == pieces[k].v)
            ++end;
        Edge e{pieces[k].u, pieces[k].v, runs.size(), 0};
        for (size_t r = k; r < end;) {
            int times = 0;
            size_t next = r;
            for (; next < end && pieces[next].operand == pieces[r].operand; ++next)
                times += pieces[next].times;
            if (times != 0)
                runs.push_back({pieces[r].operand, times});
            r = next;
        }
        e.count = runs.size() - e.runs;
        if (e.count > 0) {
            for (size_t r = k; r < end; ++r)
                edgeOfSegment[pieces[r].segment] = live.size();
            live.push_back(e);
        }
        k = end;
    }
    std::vector<size_t> liveOrder;
    for (size_t k : edgeOfSegment)
        if (k != SIZE_MAX)
            liveOrder.push_back(k);

    Classify(live, runs, nodes, operands, booleanType);
    const bool counterClockwise = SignedArea(rings.front().ring->m_points) >= 0;
    std::vector<int> degree(nodes.Size(), 0);
    for (const Edge& e : live)
        if (e.boundary) {
            ++degree[e.u];
            ++degree[e.v];
        }
    bool appended = false;
    for (const std::vector<size_t>& loop : TraceLoops(live, liveOrder, nodes)) {
        if (loop.size() < 3)
            continue;
        std::vector<NPoint> points = LoopPoints(loop, nodes, degree);
        if (points.size() < 3 || SignedArea(points) == 0.0)
            continue;
        auto ring = std::make_shared<NPolygon>(NPoint{}, points);
        if (!counterClockwise)
            ring->Invert();
        outs.push_back(ring);
        appended = true;
    }
    return appended;
}

}  // namespace

bool CreateBooleanPoligons(const VectorPolygon& hodographs, BooleanType booleanType, VectorPolygon& outs, bool)
{
    if (hodographs.size() < 2)
        return false;
    std::vector<OperandRing> rings;
    for (const NPolygonPtr& h : hodographs)
        if (h && !h->m_points.empty())
            rings.push_back({h.get(), rings.size()});
    if (rings.empty())
        return false;
    return Overlay(rings, rings.size(), booleanType, outs);
}

bool CreateBooleanRegions(const std::vector<VectorPolygon>& regions, BooleanType booleanType, VectorPolygon& outs)
{
    std::vector<OperandRing> rings;
    for (size_t k = 0; k < regions.size(); ++k)
        for (const NPolygonPtr& ring : regions[k])
            if (ring && !ring->m_points.empty())
                rings.push_back({ring.get(), k});
    if (rings.empty())
        return false;
    return Overlay(rings, regions.size(), booleanType, outs);
}
