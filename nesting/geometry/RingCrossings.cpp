#include "geometry/RingCrossings.h"

#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>

namespace {

constexpr double kTouch = 1e-7;   // mm: a point this near a segment lies on it
constexpr double kRepeat = EPS;   // mm: vertices this near are one, as the cleaning takes them
constexpr double kAngle = 1e-9;   // radians: directions this close run along one another
constexpr double kTurn = 2.0 * PI;

double Cross(const NPoint& u, const NPoint& v) { return u.x * v.y - u.y * v.x; }
double Dot(const NPoint& u, const NPoint& v) { return u.x * v.x + u.y * v.y; }
// Coordinates stay far below the squares' overflow (parts end a billion millimetres out).
double Length(const NPoint& u) { return std::sqrt(u.x * u.x + u.y * u.y); }

NPoint Unit(const NPoint& u)
{
    const double l = Length(u);
    return {u.x / l, u.y / l};
}

// Signed distance of p from the line through a and b, positive on its left.
double Side(const NPoint& a, const NPoint& b, const NPoint& p) { return Cross(b - a, p - a) / Length(b - a); }

// The ring runs from a out to b and back along the same line, its sides
// closer than the point tolerance: b is the tip of a spike, which holds no
// material (or a's repeat).
bool SpikeTip(const NPoint& a, const NPoint& b, const NPoint& c)
{
    const NPoint in = b - a;
    const NPoint out = c - b;
    // Edges far longer than the tolerance, running on (the most usual), need no root.
    constexpr double kLong = 4 * kRepeat * kRepeat;
    if (Dot(in, in) > kLong && Dot(out, out) > kLong && Dot(in, out) >= 0.0)
        return false;
    if (Length(in) < kRepeat || Length(out) < kRepeat)
        return true;
    return SliverTip(a, b, c, kRepeat);
}

}  // namespace

bool RingHasSpikes(const std::vector<NPoint>& ring)
{
    const size_t n = ring.size();
    if (n < 3)
        return n == 2 && Length(ring[1] - ring[0]) < kRepeat;
    for (size_t k = 0; k < n; ++k) {
        if (SpikeTip(ring[k], ring[(k + 1) % n], ring[(k + 2) % n]))
            return true;
    }
    return false;
}

// Repeated vertices and the tips of spikes go (a spike with vertices on its
// way out and back, tip after tip). A vertex within the tolerance of the one
// kept before it goes, not that one: a run of vertices each that near the
// next but together farther (an outline digitised densely) keeps a vertex
// every tolerance, and never shrinks to its last vertex.
std::vector<NPoint> RingWithoutSpikes(const std::vector<NPoint>& ring)
{
    std::vector<NPoint> kept;
    for (const NPoint& p : ring) {
        kept.push_back(p);
        while (kept.size() >= 3) {
            if (Length(kept.back() - kept[kept.size() - 2]) < kRepeat) {
                kept.pop_back();
                break;
            }
            if (!SpikeTip(kept[kept.size() - 3], kept[kept.size() - 2], kept.back()))
                break;
            kept.erase(kept.end() - 2);
        }
        if (kept.size() == 2 && Length(kept[1] - kept[0]) < kRepeat)
            kept.pop_back();
    }
    // Where the ring closes.
    while (kept.size() >= 3) {
        const size_t n = kept.size();
        if (SpikeTip(kept[n - 2], kept[n - 1], kept[0]))
            kept.pop_back();
        else if (SpikeTip(kept[n - 1], kept[0], kept[1]))
            kept.erase(kept.begin());
        else
            break;
    }
    while (kept.size() > 1 && Length(kept.back() - kept.front()) < kRepeat)
        kept.pop_back();
    return kept;
}

namespace {

// One passage of a ring through a point: the directions from the point back
// along the ring and on along it. Passages through one vertex, or through one
// edge's interior, are the same passage.
struct Pass {
    NPoint in;
    NPoint out;
    size_t id = 0;
};

struct Edge {
    size_t ring = 0;
    size_t index = 0;  // from vertex `index` to the next one
};

struct Box {
    double xmin, xmax, ymin, ymax;
};

// The rings without their spikes: the caller's, or a copy where spikes go.
// The vertices of the rings whose edges are paired are copied side by side,
// one ring after another (a drawing of 100,000 holes has millions of
// vertices, most of them in holes paired with nothing).
class Sweep {
public:
    explicit Sweep(const std::vector<const std::vector<NPoint>*>& rings)
    {
        for (const std::vector<NPoint>* ring : rings) {
            if (RingHasSpikes(*ring)) {
                m_cleaned.push_back(RingWithoutSpikes(*ring));
                m_rings.push_back(&m_cleaned.back());
            } else {
                m_rings.push_back(ring);
            }
        }
    }

    // Edges are paired when their boxes, widened by kTouch, meet. Of the pairs
    // that cross, the one found is the first in the order of a sweep over the
    // edges by the left of their boxes (then by ring and index): the later
    // edge first in that order, then the earlier one. The pairs are found
    // through a uniform grid of about one cell an edge, each pair in the one
    // cell that holds the lower left corner of where the two boxes meet.
    std::optional<RingCrossing> Run()
    {
        // The rings paired, their vertices side by side in the order of the rings.
        const std::vector<bool> alone = RingsAlone();
        for (size_t r = 0; r < m_rings.size(); ++r) {
            if (Size(r) < 2 || alone[r])
                continue;
            m_paired.push_back(r);
            m_pairedStart.push_back(m_points.size());
            m_points.insert(m_points.end(), m_rings[r]->begin(), m_rings[r]->end());
        }
        m_pairedStart.push_back(m_points.size());
        m_last.assign(m_points.size(), false);
        for (size_t i = 0; i < m_paired.size(); ++i)
            m_last[m_pairedStart[i + 1] - 1] = true;
        std::vector<uint32_t> edges;  // the first vertex of each edge in m_points
        for (size_t k = 0; k < m_points.size(); ++k)
            edges.push_back(static_cast<uint32_t>(k));
        if (edges.size() < 2)
            return std::nullopt;
        Layout(edges);
        // The cells' edges, in the order of `edges`: cell c holds items [cellStart[c], cellStart[c + 1]).
        std::vector<uint32_t> cellStart(m_cols * m_rows + 1, 0);
        for (uint32_t e : edges)
            ForCells(BoxOf(e), [&](size_t c) { ++cellStart[c + 1]; });
        for (size_t c = 1; c < cellStart.size(); ++c)
            cellStart[c] += cellStart[c - 1];
        std::vector<uint32_t> items(cellStart.back());
        {
            std::vector<uint32_t> fill(cellStart.begin(), cellStart.end() - 1);
            for (uint32_t e : edges)
                ForCells(BoxOf(e), [&](size_t c) { items[fill[c]++] = e; });
        }
        edges = {};
        // The crossing pair first in the sweep's order: the later edge, then the earlier one.
        uint32_t bestLater = 0, bestEarlier = 0;
        Box bestLaterBox{}, bestEarlierBox{};
        std::optional<RingCrossing> found;
        std::vector<Box> boxes;  // of the edges of one cell
        for (size_t c = 0; c + 1 < cellStart.size(); ++c) {
            const uint32_t first = cellStart[c], end = cellStart[c + 1];
            if (end - first < 2)
                continue;
            boxes.clear();
            for (uint32_t i = first; i < end; ++i)
                boxes.push_back(BoxOf(items[i]));
            for (uint32_t i = first; i < end; ++i) {
                const Box& a = boxes[i - first];
                for (uint32_t j = i + 1; j < end; ++j) {
                    const Box& b = boxes[j - first];
                    if (a.xmax < b.xmin - kTouch || b.xmax < a.xmin - kTouch || a.ymax < b.ymin - kTouch ||
                        b.ymax < a.ymin - kTouch)
                        continue;
                    if (CellOf(std::max(a.xmin, b.xmin) - kTouch, std::max(a.ymin, b.ymin) - kTouch) != c)
                        continue;  // the boxes meet in another cell too: paired there
                    const bool swapped = Before(items[j], b, items[i], a);
                    const uint32_t earlier = swapped ? items[j] : items[i], later = swapped ? items[i] : items[j];
                    const Box& earlierBox = swapped ? b : a;
                    const Box& laterBox = swapped ? a : b;
                    if (found && (Before(bestLater, bestLaterBox, later, laterBox) ||
                                  (later == bestLater && !Before(earlier, earlierBox, bestEarlier, bestEarlierBox))))
                        continue;
                    if (std::optional<RingCrossing> crossing = Test(EdgeOf(earlier), EdgeOf(later))) {
                        found = crossing;
                        bestLater = later, bestEarlier = earlier;
                        bestLaterBox = laterBox, bestEarlierBox = earlierBox;
                    }
                }
            }
        }
        return found;
    }

private:
    size_t Size(size_t ring) const { return m_rings[ring]->size(); }

    // Whether the ring turns the same way, strictly, at every vertex and
    // round once, each of its edges longer than a thousand touches: no pair
    // of its edges is a crossing.
    bool StrictlyConvex(size_t ring) const
    {
        const size_t n = Size(ring);
        if (n < 3)
            return false;
        int turn = 0, xTurns = 0, yTurns = 0;
        double lastX = 0.0, lastY = 0.0;
        for (size_t k = 0; k <= n; ++k) {
            const NPoint& a = Vertex(ring, k);
            const NPoint& b = Vertex(ring, k + 1);
            const NPoint& c = Vertex(ring, k + 2);
            const NPoint in = b - a, out = c - b;
            if (Dot(in, in) <= 1e6 * kTouch * kTouch)
                return false;
            const double cross = Cross(in, out);
            const int side = cross > 0.0 ? 1 : cross < 0.0 ? -1 : 0;
            if (side == 0 || (turn != 0 && side != turn))
                return false;
            turn = side;
            // The directions of the edges go round once: each coordinate changes sign twice.
            if (k < n) {
                xTurns += in.x != 0.0 && lastX != 0.0 && (in.x > 0.0) != (lastX > 0.0);
                yTurns += in.y != 0.0 && lastY != 0.0 && (in.y > 0.0) != (lastY > 0.0);
                lastX = in.x != 0.0 ? in.x : lastX;
                lastY = in.y != 0.0 ? in.y : lastY;
            }
        }
        return xTurns <= 2 && yTurns <= 2;
    }

    // The rings none of whose edges can be paired: strictly convex, with a
    // box (widened by kTouch) that meets no other small ring's and that no
    // edge of a large ring meets. A field of holes in a plate pairs none of
    // their edges: only those of the plate near them are looked at.
    std::vector<bool> RingsAlone() const
    {
        const size_t count = m_rings.size();
        std::vector<bool> alone(count, false);
        std::vector<Box> boxes(count, Box{INFINITY, -INFINITY, INFINITY, -INFINITY});
        Box all{INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (size_t r = 0; r < count; ++r) {
            for (const NPoint& p : *m_rings[r]) {
                Box& b = boxes[r];
                b = {std::min(b.xmin, p.x - kTouch), std::max(b.xmax, p.x + kTouch), std::min(b.ymin, p.y - kTouch),
                     std::max(b.ymax, p.y + kTouch)};
            }
            if (Size(r) > 0)
                all = {std::min(all.xmin, boxes[r].xmin), std::max(all.xmax, boxes[r].xmax),
                       std::min(all.ymin, boxes[r].ymin), std::max(all.ymax, boxes[r].ymax)};
        }
        if (count < 2 || !(all.xmax > all.xmin && all.ymax > all.ymin) || !std::isfinite(all.xmax - all.xmin) ||
            !std::isfinite(all.ymax - all.ymin))
            return alone;
        // A grid of about one cell a ring: a ring over more than a few cells is large.
        const double cell = std::max(std::sqrt((all.xmax - all.xmin) * (all.ymax - all.ymin) / static_cast<double>(count)),
                                     std::max(all.xmax - all.xmin, all.ymax - all.ymin) / static_cast<double>(count));
        const size_t cols = static_cast<size_t>((all.xmax - all.xmin) / cell) + 1;
        const size_t rows = static_cast<size_t>((all.ymax - all.ymin) / cell) + 1;
        const auto index = [](double t, size_t n) {
            return !(t > 0.0) ? size_t{0} : t >= static_cast<double>(n - 1) ? n - 1 : static_cast<size_t>(t);
        };
        struct Span {
            size_t c0, c1, r0, r1;
        };
        const auto spanOf = [&](const Box& b) {
            return Span{index((b.xmin - all.xmin) / cell, cols), index((b.xmax - all.xmin) / cell, cols),
                        index((b.ymin - all.ymin) / cell, rows), index((b.ymax - all.ymin) / cell, rows)};
        };
        constexpr size_t kSmallCells = 16;
        std::vector<bool> large(count, false);
        std::vector<std::vector<uint32_t>> ringsIn(cols * rows), largeEdgesIn(cols * rows);
        std::vector<Box> largeEdges;
        for (size_t r = 0; r < count; ++r) {
            if (Size(r) == 0)
                continue;
            const Span sp = spanOf(boxes[r]);
            large[r] = (sp.c1 - sp.c0 + 1) * (sp.r1 - sp.r0 + 1) > kSmallCells;
            if (!large[r]) {
                for (size_t y = sp.r0; y <= sp.r1; ++y)
                    for (size_t x = sp.c0; x <= sp.c1; ++x)
                        ringsIn[y * cols + x].push_back(static_cast<uint32_t>(r));
                continue;
            }
            const std::vector<NPoint>& v = *m_rings[r];
            for (size_t k = 0; k < v.size(); ++k) {
                const NPoint& a = v[k];
                const NPoint& c = v[(k + 1) % v.size()];
                const Box b{std::min(a.x, c.x), std::max(a.x, c.x), std::min(a.y, c.y), std::max(a.y, c.y)};
                const Span es = spanOf({b.xmin - kTouch, b.xmax + kTouch, b.ymin - kTouch, b.ymax + kTouch});
                for (size_t y = es.r0; y <= es.r1; ++y)
                    for (size_t x = es.c0; x <= es.c1; ++x)
                        largeEdgesIn[y * cols + x].push_back(static_cast<uint32_t>(largeEdges.size()));
                largeEdges.push_back(b);
            }
        }
        const auto meet = [](const Box& a, const Box& b) {
            return a.xmin <= b.xmax && b.xmin <= a.xmax && a.ymin <= b.ymax && b.ymin <= a.ymax;
        };
        for (size_t r = 0; r < count; ++r) {
            if (Size(r) < 3 || large[r] || !StrictlyConvex(r))
                continue;
            const Box& own = boxes[r];
            const Span sp = spanOf(own);
            bool met = false;
            for (size_t y = sp.r0; y <= sp.r1 && !met; ++y) {
                for (size_t x = sp.c0; x <= sp.c1 && !met; ++x) {
                    for (uint32_t other : ringsIn[y * cols + x])
                        met = met || (other != r && meet(own, boxes[other]));
                    for (uint32_t e : largeEdgesIn[y * cols + x]) {
                        const Box& b = largeEdges[e];
                        met = met || meet(own, {b.xmin - kTouch, b.xmax + kTouch, b.ymin - kTouch, b.ymax + kTouch});
                    }
                }
            }
            alone[r] = !met;
        }
        return alone;
    }
    const NPoint& Vertex(size_t ring, size_t k) const { return (*m_rings[ring])[k % Size(ring)]; }

    // The ring and index of the edge whose first vertex is `first` in m_points.
    Edge EdgeOf(uint32_t first) const
    {
        const size_t at = static_cast<size_t>(std::upper_bound(m_pairedStart.begin(), m_pairedStart.end(), size_t{first}) -
                                              m_pairedStart.begin()) - 1;
        return {m_paired[at], first - m_pairedStart[at]};
    }
    Box BoxOf(uint32_t first) const
    {
        const NPoint& a = m_points[first];
        const NPoint& b = m_last[first] ? m_rings[EdgeOf(first).ring]->front() : m_points[first + 1];
        return {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
    }

    // The sweep's order of edges: by the left of their boxes, then by ring
    // and index, which is the order of their first vertices in m_points.
    static bool Before(uint32_t e, const Box& be, uint32_t f, const Box& bf)
    {
        return be.xmin != bf.xmin ? be.xmin < bf.xmin : e < f;
    }

    // The grid over the edges' boxes: cells about as many as edges, square,
    // and never so small that the boxes fill more than a few cells each on
    // average (long edges across a drawing of short ones).
    void Layout(const std::vector<uint32_t>& edges)
    {
        Box all{INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (uint32_t e : edges) {
            const Box b = BoxOf(e);
            all = {std::min(all.xmin, b.xmin), std::max(all.xmax, b.xmax), std::min(all.ymin, b.ymin),
                   std::max(all.ymax, b.ymax)};
        }
        m_x0 = all.xmin - 2 * kTouch;
        m_y0 = all.ymin - 2 * kTouch;
        const double w = all.xmax - all.xmin + 4 * kTouch, h = all.ymax - all.ymin + 4 * kTouch;
        const double n = static_cast<double>(edges.size());
        double cell = std::max({std::sqrt(w * h / n), std::max(w, h) / n, 8 * kTouch});
        if (!std::isfinite(cell)) {  // points past any grid: one cell
            m_cols = m_rows = 1;
            m_perCell = 0.0;
            return;
        }
        for (;;) {
            m_cols = static_cast<size_t>(std::min(w / cell, n)) + 1;
            m_rows = static_cast<size_t>(std::min(h / cell, n)) + 1;
            m_perCell = 1.0 / cell;
            double filled = 0.0;
            for (uint32_t e : edges) {
                const Box b = BoxOf(e);
                filled += static_cast<double>(Column(b.xmax + kTouch) - Column(b.xmin - kTouch) + 1) *
                          static_cast<double>(Row(b.ymax + kTouch) - Row(b.ymin - kTouch) + 1);
            }
            if (filled <= 4 * n + 16 || (m_cols == 1 && m_rows == 1))
                break;
            cell *= 2;
        }
    }
    size_t Column(double x) const { return Index((x - m_x0) * m_perCell, m_cols); }
    size_t Row(double y) const { return Index((y - m_y0) * m_perCell, m_rows); }
    static size_t Index(double t, size_t count)
    {
        return !(t > 0.0) ? 0 : t >= static_cast<double>(count - 1) ? count - 1 : static_cast<size_t>(t);
    }
    size_t CellOf(double x, double y) const { return Row(y) * m_cols + Column(x); }
    template <class F>
    void ForCells(const Box& b, F f) const
    {
        const size_t c0 = Column(b.xmin - kTouch), c1 = Column(b.xmax + kTouch);
        const size_t r0 = Row(b.ymin - kTouch), r1 = Row(b.ymax + kTouch);
        for (size_t r = r0; r <= r1; ++r)
            for (size_t c = c0; c <= c1; ++c)
                f(r * m_cols + c);
    }

    Pass PassAt(const Edge& e, const NPoint& p) const
    {
        const size_t n = Size(e.ring);
        const NPoint& a = Vertex(e.ring, e.index);
        const NPoint& b = Vertex(e.ring, e.index + 1);
        if (Length(p - b) <= kTouch)
            return {Unit(a - b), Unit(Vertex(e.ring, e.index + 2) - b), (e.index + 1) % n};
        if (Length(p - a) <= kTouch)
            return {Unit(Vertex(e.ring, e.index + n - 1) - a), Unit(b - a), e.index};
        return {Unit(a - b), Unit(b - a), n + e.index};
    }

    // Whether passage B goes from one side of passage A to the other.
    static bool Crosses(const Pass& a, const Pass& b)
    {
        const double in = std::atan2(a.in.y, a.in.x);
        const double out = std::atan2(a.out.y, a.out.x);
        const auto turn = [](double angle) {
            angle = std::fmod(angle, kTurn);
            return angle < 0.0 ? angle + kTurn : angle;
        };
        const double sector = turn(in - out);
        const auto inside = [&](const NPoint& d, bool& along) {
            const double t = turn(std::atan2(d.y, d.x) - out);
            along = along || t < kAngle || kTurn - t < kAngle || std::fabs(t - sector) < kAngle;
            return t < sector;
        };
        bool along = sector < kAngle;
        const bool first = inside(b.in, along);
        const bool second = inside(b.out, along);
        return !along && first != second;
    }

    std::optional<RingCrossing> Found(const Edge& e1, const Edge& e2, const NPoint& at) const
    {
        return RingCrossing{e1.ring, e2.ring, at};
    }

    std::optional<RingCrossing> Test(const Edge& e1, const Edge& e2) const
    {
        const bool sameRing = e1.ring == e2.ring;
        const size_t n = Size(e1.ring);
        const NPoint& a = Vertex(e1.ring, e1.index);
        const NPoint& b = Vertex(e1.ring, e1.index + 1);
        const NPoint& c = Vertex(e2.ring, e2.index);
        const NPoint& d = Vertex(e2.ring, e2.index + 1);
        if (sameRing && ((e1.index + 1) % n == e2.index || (e2.index + 1) % n == e1.index)) {
            // Neighbours meet at their common vertex; they overlap only when
            // the ring turns right back there.
            const NPoint& shared = (e1.index + 1) % n == e2.index ? b : a;
            const NPoint u = (e1.index + 1) % n == e2.index ? a - b : b - a;
            const NPoint w = (e1.index + 1) % n == e2.index ? d - c : c - d;
            const bool back = std::fabs(Cross(Unit(u), Unit(w))) < kAngle && Dot(u, w) > 0.0;
            return back ? Found(e1, e2, shared) : std::nullopt;
        }
        const double d1 = Side(a, b, c);
        const double d2 = Side(a, b, d);
        const double d3 = Side(c, d, a);
        const double d4 = Side(c, d, b);
        const double length = Length(b - a);
        const NPoint u = Unit(b - a);
        if (std::fabs(d1) <= kTouch && std::fabs(d2) <= kTouch) {
            const double tc = Dot(c - a, u);
            const double td = Dot(d - a, u);
            const double lo = std::max(0.0, std::min(tc, td));
            const double hi = std::min(length, std::max(tc, td));
            const NPoint start{a.x + u.x * lo, a.y + u.y * lo};
            if (hi - lo > kTouch)
                return sameRing ? Found(e1, e2, start) : std::nullopt;
            if (hi - lo < -kTouch)
                return std::nullopt;
            return Touch(e1, e2, start);
        }
        const auto apart = [](double p, double q) { return (p > kTouch && q < -kTouch) || (p < -kTouch && q > kTouch); };
        if (apart(d1, d2) && apart(d3, d4)) {
            const double t = d3 / (d3 - d4);
            return Found(e1, e2, {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        }
        const auto within = [](const NPoint& p, const NPoint& from, const NPoint& to) {
            const NPoint w = Unit(to - from);
            const double t = Dot(p - from, w);
            return t >= -kTouch && t <= Length(to - from) + kTouch;
        };
        if (std::fabs(d1) <= kTouch && within(c, a, b))
            return Touch(e1, e2, c);
        if (std::fabs(d2) <= kTouch && within(d, a, b))
            return Touch(e1, e2, d);
        if (std::fabs(d3) <= kTouch && within(a, c, d))
            return Touch(e1, e2, a);
        if (std::fabs(d4) <= kTouch && within(b, c, d))
            return Touch(e1, e2, b);
        return std::nullopt;
    }

    std::optional<RingCrossing> Touch(const Edge& e1, const Edge& e2, const NPoint& at) const
    {
        const Pass p1 = PassAt(e1, at);
        const Pass p2 = PassAt(e2, at);
        if (e1.ring == e2.ring && p1.id == p2.id)
            return std::nullopt;
        return Crosses(p1, p2) ? Found(e1, e2, at) : std::nullopt;
    }

    std::vector<const std::vector<NPoint>*> m_rings;
    std::deque<std::vector<NPoint>> m_cleaned;  // the rings that had spikes, without them
    std::vector<size_t> m_paired;               // the rings whose edges are paired
    std::vector<size_t> m_pairedStart;          // where each of them starts in m_points, and the end
    std::vector<NPoint> m_points;
    std::vector<bool> m_last;  // of each point: the last of its ring
    double m_x0 = 0.0, m_y0 = 0.0, m_perCell = 1.0;
    size_t m_cols = 1, m_rows = 1;
};

}  // namespace

std::optional<RingCrossing> FindRingCrossing(const std::vector<const std::vector<NPoint>*>& rings)
{
    return Sweep(rings).Run();
}

std::optional<RingCrossing> FindRingCrossing(const std::vector<std::vector<NPoint>>& rings)
{
    std::vector<const std::vector<NPoint>*> pointers;
    for (const std::vector<NPoint>& ring : rings)
        pointers.push_back(&ring);
    return FindRingCrossing(pointers);
}
