// Cleaning of outline rings before any no-fit polygon is built on them.
//
// The point-equality tolerance EPS rules it: two vertices closer than EPS are
// one, and a vertex the ring would pass within EPS of without it is not a
// corner. The material stays on the left of the cleaned ring, and the ring
// cuts into it by no more than the cut it is allowed: a vertex goes where the
// ring without it runs on the outer side of the vertex (a straight or
// inward-turning vertex), where it runs inside every vertex it leaves out by
// less than the allowed cut, or where two nearly repeated corner vertices
// become the crossing of the edges beside them. A spike (the ring running
// out and back along one line, its sides closer than EPS) holds no material
// and goes whole, whatever its length. With no cut allowed, the cleaned ring
// encloses the material.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }

// The ring as a doubly linked list of the surviving vertices.
class Cleaner {
public:
    Cleaner(std::vector<NPoint>& ring, double tolerance, double cut)
        : m_p(ring), m_original(ring), m_tol(tolerance), m_cut(cut), m_next(ring.size()), m_prev(ring.size()),
          m_alive(ring.size(), true), m_count(ring.size())
    {
        const size_t n = ring.size();
        for (size_t k = 0; k < n; ++k) {
            m_next[k] = k + 1 == n ? 0 : k + 1;
            m_prev[k] = k == 0 ? n - 1 : k - 1;
        }
        // A cut this deep is rounding, not a cut: the depth of a straight
        // vertex computed in doubles, far below any tolerance of the system.
        m_noise = 1e-6 * tolerance;
    }

    // The vertices whose removal moves the ring least go first: of two
    // vertices closer than the tolerance, the one off the line of the edges
    // around the pair goes, and the corner of the outline stays where it is.
    void Run()
    {
        for (size_t k = 0; k < m_p.size(); ++k)
            Push(k);
        while (!m_work.empty() && m_count >= 3) {
            const Entry entry = m_work.top();
            m_work.pop();
            const size_t v = entry.vertex;
            if (!m_alive[v] || entry.stamp != m_stamp[v])
                continue;
            const size_t u = m_prev[v];
            const size_t w = m_next[v];
            if (Removable(u, v, w)) {
                Remove(v);
                Push(u);
                Push(w);
            } else if (Distance(m_p[v], m_p[w]) < m_tol && SliverEnd(u, v, w)) {
                Remove(w);
                Push(u);
                Push(v);
                Push(m_next[v]);
            } else if (Distance(m_p[v], m_p[w]) < m_tol && MergeCorner(u, v, w)) {
                Push(u);
                Push(v);
                Push(m_next[v]);
            }
        }
    }

    std::vector<NPoint> Result() const
    {
        std::vector<NPoint> out;
        if (m_count < 3)
            return out;
        size_t first = 0;
        while (!m_alive[first])
            ++first;
        size_t k = first;
        do {
            out.push_back(m_p[k]);
            k = m_next[k];
        } while (k != first);
        return out;
    }

private:
    struct Entry {
        double shift; // how far the ring moves without the vertex
        size_t vertex;
        size_t stamp;
        bool operator<(const Entry& other) const // the priority queue's top is the largest
        {
            return shift != other.shift ? shift > other.shift : vertex > other.vertex;
        }
    };

    void Push(size_t v)
    {
        const NPoint& a = m_p[m_prev[v]];
        const NPoint& b = m_p[v];
        const NPoint& c = m_p[m_next[v]];
        m_work.push({DistancePointToSegment(b, a, c), v, ++m_stamp[v]});
    }

    void Remove(size_t v)
    {
        m_alive[v] = false;
        m_next[m_prev[v]] = m_next[v];
        m_prev[m_next[v]] = m_prev[v];
        --m_count;
    }

    // Without v, the ring runs within the tolerance of it and on its outer
    // side (or through it), and takes in no other vertex.
    bool Removable(size_t u, size_t v, size_t w) const
    {
        const NPoint& a = m_p[u];
        const NPoint& b = m_p[v];
        const NPoint& c = m_p[w];
        if (b.x == a.x && b.y == a.y)
            return true;
        if (m_count > 3 && SpikeTip(a, b, c))
            return Clear(u, v, w);
        const NPoint chord = c - a;
        const double length = std::sqrt(chord.x * chord.x + chord.y * chord.y);
        const double depth = -Cross(chord, b - a) / length; // > 0: b lies right of a -> c, in the material
        if (DistancePointToSegment(b, a, c) >= m_tol)
            return false;
        if (depth > m_noise && !WithinCut(u, w))
            return false;
        return Clear(u, v, w);
    }

    // The ring runs out to b and back along the same line (within the
    // tolerance of it, however long): a spike, or a slit, bounds no
    // material and goes whole, its legs one by one. (A ring that is no more
    // than a sliver keeps its three corners.) A leg shorter than the
    // tolerance is a nearly repeated vertex (the corner stays, above).
    bool SpikeTip(const NPoint& a, const NPoint& b, const NPoint& c) const { return SliverTip(a, b, c, m_tol); }

    // Every vertex of the given ring between u and w (those already gone
    // too) lies less than the allowed cut outside the chord u -> w, or inside.
    bool WithinCut(size_t u, size_t w) const
    {
        if (m_cut <= 0.0)
            return false;
        const NPoint& a = m_p[u];
        const NPoint chord = m_p[w] - a;
        const double length = std::sqrt(chord.x * chord.x + chord.y * chord.y);
        const size_t n = m_p.size();
        size_t steps = 0;
        for (size_t k = u + 1 == n ? 0 : u + 1; k != w; k = k + 1 == n ? 0 : k + 1) {
            if (++steps > kLongestRun)
                return false;
            const NPoint& b = m_original[k];
            if (-Cross(chord, b - a) / length >= m_cut)
                return false;
        }
        return true;
    }

    // v and w lie within the tolerance of each other where the ring, come
    // out along u -> v, runs back along w -> x within the tolerance of that
    // line all the way (each side's far end lies that near the other's
    // line): the blunt end of a sliver, which holds no material. Without w,
    // v is the tip of a spike, which goes whole.
    bool SliverEnd(size_t u, size_t v, size_t w) const
    {
        const size_t x = m_next[w];
        if (x == u || x == v || m_count <= 4)
            return false;
        const NPoint in = m_p[v] - m_p[u];
        const NPoint back = m_p[x] - m_p[w];
        const double lengthIn = std::sqrt(in.x * in.x + in.y * in.y);
        const double lengthBack = std::sqrt(back.x * back.x + back.y * back.y);
        if (lengthIn < m_tol || lengthBack < m_tol || in.x * back.x + in.y * back.y >= 0.0)
            return false;
        const auto nearLine = [&](const NPoint& from, const NPoint& along, double length, const NPoint& p) {
            return std::fabs(Cross(along, p - from)) < m_tol * length;
        };
        return nearLine(m_p[u], in, lengthIn, m_p[w]) && nearLine(m_p[u], in, lengthIn, m_p[x]) &&
               nearLine(m_p[w], back, lengthBack, m_p[v]) && nearLine(m_p[w], back, lengthBack, m_p[u]);
    }

    // v and w lie within the tolerance of each other at a corner: both become
    // the crossing of the edges u-v and w-x, when it lies within the
    // tolerance of both and outside the material.
    bool MergeCorner(size_t u, size_t v, size_t w)
    {
        const size_t x = m_next[w];
        if (x == u || x == v)
            return false;
        const NPoint dIn = m_p[v] - m_p[u];
        const NPoint dOut = m_p[x] - m_p[w];
        const double denom = Cross(dIn, dOut);
        if (denom == 0.0)
            return false;
        // X = v + t (v - u) = w + s (x - w)
        const double t = Cross(m_p[w] - m_p[v], dOut) / denom;
        const double s = Cross(m_p[w] - m_p[v], dIn) / denom;
        const NPoint crossing{m_p[v].x + t * dIn.x, m_p[v].y + t * dIn.y};
        if (t < 0.0 || s > 0.0 || Distance(crossing, m_p[v]) >= m_tol || Distance(crossing, m_p[w]) >= m_tol)
            return false;
        // The corner grows by the triangle v, X, w: it must be empty.
        if (!ClearTriangle(m_p[v], crossing, m_p[w], {v, w}))
            return false;
        m_p[v] = crossing;
        Remove(w);
        return true;
    }

    bool Clear(size_t u, size_t v, size_t w) const { return ClearTriangle(m_p[u], m_p[v], m_p[w], {u, v, w}); }

    // No other surviving vertex lies in the closed triangle a, b, c (points
    // equal to a corner excepted: the ring may touch itself there).
    bool ClearTriangle(const NPoint& a, const NPoint& b, const NPoint& c, std::initializer_list<size_t> own) const
    {
        const double lox = std::min({a.x, b.x, c.x}), hix = std::max({a.x, b.x, c.x});
        const double loy = std::min({a.y, b.y, c.y}), hiy = std::max({a.y, b.y, c.y});
        const double area = Cross(b - a, c - a);
        for (size_t k = 0; k < m_p.size(); ++k) {
            if (!m_alive[k] || std::find(own.begin(), own.end(), k) != own.end())
                continue;
            const NPoint& p = m_p[k];
            if (p.x < lox || p.x > hix || p.y < loy || p.y > hiy)
                continue;
            if ((p.x == a.x && p.y == a.y) || (p.x == b.x && p.y == b.y) || (p.x == c.x && p.y == c.y))
                continue;
            if (InTriangle(a, b, c, area, p))
                return false;
        }
        return true;
    }

    bool InTriangle(const NPoint& a, const NPoint& b, const NPoint& c, double area, const NPoint& p) const
    {
        const double s = area >= 0 ? 1.0 : -1.0;
        // A degenerate triangle is its longest side: what lies on it counts.
        const double slack = m_noise * std::max({Distance(a, b), Distance(b, c), Distance(c, a)});
        return s * Cross(b - a, p - a) >= -slack && s * Cross(c - b, p - b) >= -slack &&
               s * Cross(a - c, p - c) >= -slack;
    }

    static constexpr size_t kLongestRun = 256;

    std::vector<NPoint>& m_p;
    const std::vector<NPoint> m_original;
    double m_tol;
    double m_cut;
    double m_noise;
    std::vector<size_t> m_next;
    std::vector<size_t> m_prev;
    std::vector<bool> m_alive;
    size_t m_count;
    std::vector<size_t> m_stamp = std::vector<size_t>(m_p.size(), 0); // an entry of an older stamp is stale
    std::priority_queue<Entry> m_work;
};

}  // namespace

bool SliverTip(const NPoint& a, const NPoint& b, const NPoint& c, double tolerance)
{
    const NPoint in = b - a;
    const NPoint out = c - b;
    if (in.x * out.x + in.y * out.y >= 0.0)
        return false;
    const double lengthIn = std::sqrt(in.x * in.x + in.y * in.y);
    const double lengthOut = std::sqrt(out.x * out.x + out.y * out.y);
    if (lengthIn < tolerance || lengthOut < tolerance)
        return false;
    // The far end of the shorter leg lies within the tolerance of the
    // longer one's line.
    if (lengthIn <= lengthOut)
        return std::fabs(Cross(out, a - b)) < tolerance * lengthOut;
    return std::fabs(Cross(in, c - b)) < tolerance * lengthIn;
}

bool CleanOutline(std::vector<NPoint>& ring, bool solid, double tolerance, double cut)
{
    std::erase_if(ring, [](const NPoint& p) { return !std::isfinite(p.x) || !std::isfinite(p.y); });
    // Exact repeats first (the first point compared with the last).
    ring.erase(std::unique(ring.begin(), ring.end(),
                           [](const NPoint& a, const NPoint& b) { return a.x == b.x && a.y == b.y; }),
               ring.end());
    while (ring.size() > 1 && ring.back().x == ring.front().x && ring.back().y == ring.front().y)
        ring.pop_back();
    const double area = SignedArea(ring);
    if (ring.size() < 3 || area == 0.0) {
        ring.clear();
        return false;
    }
    // The material lies on the left of every edge: an outline runs
    // counter-clockwise, a hole clockwise.
    if ((area > 0.0) != solid)
        std::reverse(ring.begin(), ring.end());
    Cleaner cleaner(ring, tolerance, cut);
    cleaner.Run();
    ring = cleaner.Result();
    if (ring.size() < 3 || SignedArea(ring) == 0.0) {
        ring.clear();
        return false;
    }
    return true;
}

void CleanOutlines(VectorPolygon& rings)
{
    for (size_t k = 0; k < rings.size(); ++k) {
        if (!rings[k])
            continue;
        std::vector<NPoint> ring = rings[k]->m_points;
        // An outer ring that bounds nothing stays as it is (what reads it
        // decides); a hole that bounds nothing is dropped below.
        if (CleanOutline(ring, k == 0, EPS, 0.5 * EPS) || k > 0) {
            rings[k]->m_points = std::move(ring);
            rings[k]->UpdateGabarit();
        }
    }
    const NPolygonPtr outer = rings.empty() ? nullptr : rings.front();
    std::erase_if(rings, [&](const NPolygonPtr& p) { return p && p != outer && p->m_points.empty(); });
}
