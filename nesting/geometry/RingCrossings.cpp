#include "geometry/RingCrossings.h"

#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTouch = 1e-7;   // mm: a point this near a segment lies on it
constexpr double kRepeat = EPS;   // mm: vertices this near are one, as the cleaning takes them
constexpr double kAngle = 1e-9;   // radians: directions this close run along one another
constexpr double kTurn = 2.0 * PI;

double Cross(const NPoint& u, const NPoint& v) { return u.x * v.y - u.y * v.x; }
double Dot(const NPoint& u, const NPoint& v) { return u.x * v.x + u.y * v.y; }
double Length(const NPoint& u) { return std::hypot(u.x, u.y); }

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
    if (Length(b - a) < kRepeat || Length(c - b) < kRepeat)
        return true;
    return SliverTip(a, b, c, kRepeat);
}

}  // namespace

// Repeated vertices and the tips of spikes go (a spike with vertices on its
// way out and back, tip after tip).
std::vector<NPoint> RingWithoutSpikes(const std::vector<NPoint>& ring)
{
    std::vector<NPoint> kept;
    for (const NPoint& p : ring) {
        kept.push_back(p);
        while (kept.size() >= 3 && SpikeTip(kept[kept.size() - 3], kept[kept.size() - 2], kept.back()))
            kept.erase(kept.end() - 2);
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

std::vector<std::vector<NPoint>> Cleaned(const std::vector<std::vector<NPoint>>& rings)
{
    std::vector<std::vector<NPoint>> out;
    for (const std::vector<NPoint>& ring : rings)
        out.push_back(RingWithoutSpikes(ring));
    return out;
}

struct Edge {
    size_t ring = 0;
    size_t index = 0;  // from vertex `index` to the next one
    double xmin = 0.0, xmax = 0.0, ymin = 0.0, ymax = 0.0;
};

// One passage of a ring through a point: the directions from the point back
// along the ring and on along it. Passages through one vertex, or through one
// edge's interior, are the same passage.
struct Pass {
    NPoint in;
    NPoint out;
    size_t id = 0;
};

class Sweep {
public:
    explicit Sweep(const std::vector<std::vector<NPoint>>& rings) : m_rings(Cleaned(rings)) {}

    std::optional<RingCrossing> Run()
    {
        // Reserved whole: a drawing of 100,000 holes has millions of edges.
        size_t count = 0;
        for (const std::vector<NPoint>& v : m_rings)
            count += v.size() < 2 ? 0 : v.size();
        std::vector<Edge> edges;
        edges.reserve(count);
        for (size_t r = 0; r < m_rings.size(); ++r) {
            const std::vector<NPoint>& v = m_rings[r];
            if (v.size() < 2)
                continue;
            for (size_t k = 0; k < v.size(); ++k) {
                const NPoint& a = v[k];
                const NPoint& b = v[(k + 1) % v.size()];
                edges.push_back({r, k, std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)});
            }
        }
        // Edges of equal start keep the rings' order; sorted in place, with no
        // buffer of half of them beside.
        std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
            if (a.xmin != b.xmin)
                return a.xmin < b.xmin;
            return a.ring != b.ring ? a.ring < b.ring : a.index < b.index;
        });
        std::vector<const Edge*> active;
        for (const Edge& e : edges) {
            active.erase(std::remove_if(active.begin(), active.end(),
                                        [&](const Edge* o) { return o->xmax < e.xmin - kTouch; }),
                         active.end());
            for (const Edge* o : active) {
                if (o->ymax < e.ymin - kTouch || e.ymax < o->ymin - kTouch)
                    continue;
                if (std::optional<RingCrossing> found = Test(*o, e))
                    return found;
            }
            active.push_back(&e);
        }
        return std::nullopt;
    }

private:
    const NPoint& Vertex(size_t ring, size_t k) const { return m_rings[ring][k % m_rings[ring].size()]; }

    Pass PassAt(const Edge& e, const NPoint& p) const
    {
        const size_t n = m_rings[e.ring].size();
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
        const size_t n = m_rings[e1.ring].size();
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

    std::vector<std::vector<NPoint>> m_rings;
};

}  // namespace

std::optional<RingCrossing> FindRingCrossing(const std::vector<std::vector<NPoint>>& rings)
{
    return Sweep(rings).Run();
}
