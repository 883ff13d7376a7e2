// Whether a shape can go into a notch of an outline (DentEntry.h).
//
// A part of the shape that stands past the mouth's line inside the notch is
// a piece of the shape cut off by a line parallel to the mouth: a connected
// piece of the shape beyond that line. It cannot cross the notch's sides, so
// it lies in the notch: where it meets the line it lies within the mouth, it
// is no deeper than the notch and no wider across than the notch. The shape
// is swept by that line from its front back, piece by piece: between two
// vertex levels the pieces keep their edges, and the ends of each piece on
// the line move linearly with the line, so that every condition is a linear
// one on the line's level.
#include "geometry/DentEntry.h"

#include "geometry/DisjointSets.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>

namespace {

double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }

// Levels [lo, hi] of the band from `bottom` to `top` narrowed to those where
// a quantity, linear in the level and `atTop` and `atBottom` at the band's
// ends, is at most `limit`. False when none is left.
bool Narrow(double top, double bottom, double atTop, double atBottom, double limit, double& lo, double& hi)
{
    const double span = top - bottom;
    if (!(span > 1e-12) || atTop == atBottom) {
        if (std::min(atTop, atBottom) > limit)
            return false;
        return lo <= hi;
    }
    const double slope = (atTop - atBottom) / span;
    const double at = bottom + (limit - atBottom) / slope;
    if (slope > 0)
        hi = std::min(hi, at);
    else
        lo = std::max(lo, at);
    return lo <= hi;
}

// The pieces of a shape beyond a moving line, as the line sweeps back over it.
class Sweep {
public:
    Sweep(const std::vector<NPoint>& ring, const DentMouth& dent, double reach)
        : m_n(ring.size()), m_s(m_n), m_t(m_n), m_sets(m_n), m_top(m_n), m_left(m_n), m_right(m_n), m_in(m_n, 0),
          m_reach(reach)
    {
        for (size_t k = 0; k < m_n; ++k) {
            m_s[k] = Dot(ring[k], dent.inward);
            m_t[k] = Dot(ring[k], dent.along);
            m_top[k] = m_s[k];
            m_left[k] = m_right[k] = m_t[k];
        }
        // Across, the piece keeps within the mouth where it meets the line,
        // and within the notch.
        m_mouth = dent.width;
        m_mouthToHigh = dent.high;
        m_lowToMouth = dent.width - dent.low;
        m_across = dent.high - dent.low;
        m_depth = dent.depth;
    }

    bool Enters()
    {
        if (m_n < 3)
            return false;
        std::vector<size_t> order(m_n);
        for (size_t k = 0; k < m_n; ++k)
            order[k] = k;
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return m_s[a] > m_s[b]; });
        for (size_t next = 0; next < m_n;) {
            const double level = m_s[order[next]];
            size_t end = next;
            while (end < m_n && m_s[order[end]] == level)
                ++end;
            for (size_t k = next; k < end; ++k)
                m_in[order[k]] = 1;
            for (size_t k = next; k < end; ++k)
                Add(order[k]);
            std::erase_if(m_active, [&](size_t e) { return m_in[e] && m_in[(e + 1) % m_n]; });
            next = end;
            if (next < m_n && Band(level, m_s[order[next]]))
                return true;
        }
        // The whole shape inside the notch.
        const size_t root = m_sets.Root(0);
        const double height = m_top[root] - m_s[order.back()];
        return height <= m_depth + kTolerance && m_right[root] - m_left[root] <= m_across + kTolerance &&
               m_depth > m_reach;
    }

private:
    static constexpr double kTolerance = EPS_REPEATED;

    struct Crossing {
        size_t inner;   // the edge's vertex beyond the line
        double atTop;   // where it meets the line at the band's top level, across
        double atBottom; // and at its bottom level
    };

    void Unite(size_t a, size_t b)
    {
        a = m_sets.Root(a);
        b = m_sets.Root(b);
        if (a == b)
            return;
        m_sets.Unite(a, b);
        const size_t r = m_sets.Root(a);
        m_top[r] = std::max(m_top[a], m_top[b]);
        m_left[r] = std::min(m_left[a], m_left[b]);
        m_right[r] = std::max(m_right[a], m_right[b]);
    }

    // A vertex passed by the line: joined to the neighbours passed before,
    // its edges to the others start crossing the line.
    void Add(size_t v)
    {
        for (const size_t e : {(v + m_n - 1) % m_n, v}) {
            const size_t other = e == v ? (v + 1) % m_n : e;
            if (m_in[other])
                Unite(v, other);
            else
                m_active.push_back(e);
        }
    }

    double AcrossAt(size_t e, double level) const
    {
        const size_t a = e, b = (e + 1) % m_n;
        const size_t inner = m_in[a] ? a : b, outer = inner == a ? b : a;
        return m_t[inner] + (m_t[outer] - m_t[inner]) * (m_s[inner] - level) / (m_s[inner] - m_s[outer]);
    }

    // The band of levels between two vertex levels: true when a piece beyond
    // the line at one of them fits the notch.
    bool Band(double top, double bottom)
    {
        m_crossings.clear();
        for (const size_t e : m_active)
            m_crossings.push_back({m_in[e] ? e : (e + 1) % m_n, AcrossAt(e, top), AcrossAt(e, bottom)});
        std::stable_sort(m_crossings.begin(), m_crossings.end(), [](const Crossing& a, const Crossing& b) {
            return a.atTop + a.atBottom < b.atTop + b.atBottom;
        });
        if (m_crossings.size() % 2 != 0)
            return true; // not a simple ring: it may enter
        // The line runs inside the shape between the crossings of each pair:
        // the pieces on either side are one.
        for (size_t k = 0; k + 1 < m_crossings.size(); k += 2)
            Unite(m_crossings[k].inner, m_crossings[k + 1].inner);
        // Each piece by its first and last crossing across.
        m_pieces.clear();
        for (size_t k = 0; k < m_crossings.size(); ++k) {
            const size_t root = m_sets.Root(m_crossings[k].inner);
            auto it = std::find_if(m_pieces.begin(), m_pieces.end(), [&](const auto& p) { return p.root == root; });
            if (it == m_pieces.end())
                m_pieces.push_back({root, k, k});
            else
                it->last = k;
        }
        for (const Piece& piece : m_pieces)
            if (Fits(piece, top, bottom))
                return true;
        return false;
    }

    struct Piece {
        size_t root;
        size_t first;
        size_t last;
    };

    bool Fits(const Piece& piece, double top, double bottom) const
    {
        const Crossing& f = m_crossings[piece.first];
        const Crossing& l = m_crossings[piece.last];
        const double front = m_top[piece.root];
        // Beyond the line by more than the reach, and no deeper than the notch.
        double lo = std::max(bottom, front - m_depth - kTolerance);
        double hi = std::min(top, front - m_reach);
        if (lo > hi)
            return false;
        const double left = m_left[piece.root], right = m_right[piece.root];
        if (right - left > m_across + kTolerance)
            return false;
        return Narrow(top, bottom, l.atTop - f.atTop, l.atBottom - f.atBottom, m_mouth + kTolerance, lo, hi) &&
               Narrow(top, bottom, right - f.atTop, right - f.atBottom, m_mouthToHigh + kTolerance, lo, hi) &&
               Narrow(top, bottom, l.atTop - left, l.atBottom - left, m_lowToMouth + kTolerance, lo, hi);
    }

    size_t m_n;
    std::vector<double> m_s; // into the notch
    std::vector<double> m_t; // across
    DisjointSets m_sets;
    // Of each piece (at its root): its front, and its vertices' extent across.
    std::vector<double> m_top, m_left, m_right;
    std::vector<char> m_in; // passed by the line
    std::vector<size_t> m_active; // edges crossing the line
    std::vector<Crossing> m_crossings;
    std::vector<Piece> m_pieces;
    double m_reach;
    double m_mouth = 0.0, m_mouthToHigh = 0.0, m_lowToMouth = 0.0, m_across = 0.0, m_depth = 0.0;
};

}  // namespace

DentMouth MeasureDent(const NPolygon& polygon, const DentEdit& edit)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    DentMouth dent;
    if (n < 3 || edit.j <= edit.i + 1)
        return dent;
    std::vector<NPoint> ring;
    for (size_t k = edit.i + 1; k <= edit.j; ++k)
        ring.push_back(v[k % n]);
    const NPoint b = ring.front();
    const NPoint mouth = ring.back() - b;
    dent.width = std::hypot(mouth.x, mouth.y);
    if (dent.width > EPS) {
        dent.along = {mouth.x / dent.width, mouth.y / dent.width};
        // The ring b … q runs round the notch; closed by q → b it runs
        // counter-clockwise when the notch lies left of q → b.
        dent.inward = SignedArea(ring) > 0 ? NPoint{dent.along.y, -dent.along.x} : NPoint{-dent.along.y, dent.along.x};
        for (const NPoint& p : ring) {
            const NPoint d = p - b;
            dent.depth = std::max(dent.depth, Dot(d, dent.inward));
            dent.low = std::min(dent.low, Dot(d, dent.along));
            dent.high = std::max(dent.high, Dot(d, dent.along));
        }
    } else {
        // A mouth closed to a point: a pocket, taken as deep and as wide as
        // its gabarit is long either way.
        NRect box{{GABARIT_LOW, GABARIT_LOW}, {GABARIT_HIGH, GABARIT_HIGH}};
        for (const NPoint& p : ring) {
            box.pBot = {std::min(box.pBot.x, p.x), std::min(box.pBot.y, p.y)};
            box.pTop = {std::max(box.pTop.x, p.x), std::max(box.pTop.y, p.y)};
        }
        const double reach = std::hypot(box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y);
        dent.depth = reach;
        dent.low = -reach;
        dent.high = reach;
    }
    return dent;
}

bool EntersDent(const std::vector<NPoint>& outline, const DentMouth& dent, double reach)
{
    // What cannot be measured may enter.
    const auto finite = [](double v) { return std::isfinite(v); };
    if (!finite(dent.width) || !finite(dent.depth) || !finite(dent.low) || !finite(dent.high) || !finite(reach) ||
        !std::all_of(outline.begin(), outline.end(), [&](const NPoint& p) { return finite(p.x) && finite(p.y); }))
        return true;
    if (!(dent.depth > reach))
        return false;
    return Sweep(outline, dent, reach).Enters();
}

double NarrowestWidth(const std::vector<NPoint>& ring)
{
    const auto finite = [](const NPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (!std::all_of(ring.begin(), ring.end(), finite))
        return 0.0;
    std::vector<NPoint> hull;
    CreateConvexHull(ring, hull);
    const size_t h = hull.size();
    if (h < 3)
        return 0.0;
    // Rotating calipers: the vertex furthest from each hull edge moves on
    // round the hull as the edge does.
    double narrowest = INFINITY;
    size_t far = 1;
    const auto distance = [&](size_t e, size_t k) {
        const NPoint& a = hull[e];
        const NPoint d = hull[(e + 1) % h] - a;
        const double length = std::hypot(d.x, d.y);
        const NPoint p = hull[k] - a;
        return length > 0.0 ? (d.x * p.y - d.y * p.x) / length : 0.0;
    };
    for (size_t e = 0; e < h; ++e) {
        if (hull[e] == hull[(e + 1) % h])
            continue;
        for (size_t steps = 0; steps < h && distance(e, (far + 1) % h) >= distance(e, far); ++steps)
            far = (far + 1) % h;
        narrowest = std::min(narrowest, distance(e, far));
    }
    return std::isfinite(narrowest) ? std::max(narrowest, 0.0) : 0.0;
}

std::vector<DentEdit> DentsHoldingNone(const NPolygon& polygon, const std::vector<DentEdit>& edits, double narrowest)
{
    const std::vector<NPoint>& v = polygon.m_points;
    const size_t n = v.size();
    std::vector<DentEdit> kept;
    for (const DentEdit& edit : edits) {
        std::vector<NPoint> ring;
        for (size_t k = edit.i + 1; n > 0 && k <= edit.j; ++k)
            ring.push_back(v[k % n]);
        if (NarrowestWidth(ring) < narrowest)
            kept.push_back(edit);
    }
    return kept;
}
