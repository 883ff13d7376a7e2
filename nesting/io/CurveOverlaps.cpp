#include "io/CurveOverlaps.h"

#include "geometry/DisjointSets.h"
#include "geometry/PointGrid.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "io/OutlineJoints.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <optional>

namespace dxfimport {
namespace {

// Curves this near lie on one another: as near as two ends that are one
// joint, so that no curve is told from another the joints take as one.
constexpr double kTolerance = kJoinTolerance;
// Curves found running along a curve from one of its ends, at most: no
// drawing piles more on one place, and a file that does is not searched
// through in time squared.
constexpr size_t kMostMet = kMostAlong;
constexpr double kTurn = 2.0 * PI;

// One curve as the search sees it, along a parameter u from 0 at its start to
// 1 at its end (round again past 1 on a closed curve). Lines, arcs and
// circles are followed exactly; other curves through the host.
struct Carrier {
    enum Shape { kLine, kCircular, kOther };
    Shape shape = kOther;
    NPoint a, b;  // start and end
    bool closed = false;
    double length = 0.0;
    NPoint centre;  // circular: centre, radius, angle at the start, signed sweep
    double radius = 0.0, from = 0.0, sweep = 0.0;
    vlapi::ICurve2DPtr curve;  // other: the host's curve and its parameter range
    double t0 = 0.0, t1 = 1.0;
    NRect box;  // of a curve that is not a line: its samples, widened by the search's reach (the host's curves: by less)

    NPoint At(double u) const
    {
        switch (shape) {
        case kLine:
            return {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u};
        case kCircular: {
            const double angle = from + sweep * u;
            return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
        }
        case kOther:
            break;
        }
        if (closed)
            u -= std::floor(u);
        NPoint p;
        if (!curve->GetPoint(t0 + (t1 - t0) * u, p.x, p.y))
            return u < 0.5 ? a : b;
        return p;
    }

    // The distance from p to the curve, and the parameter of its nearest point.
    double Nearest(const NPoint& p, double& u) const
    {
        switch (shape) {
        case kLine: {
            const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
            u = l2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0.0;
            return Distance(p, At(u));
        }
        case kCircular: {
            const double dx = p.x - centre.x, dy = p.y - centre.y;
            const double phi = std::atan2(dy, dx);
            const double ahead = NormalizeAngle(sweep >= 0.0 ? phi - from : from - phi, kTurn);
            const double span = std::fabs(sweep);
            if (closed || ahead <= span) {
                u = ahead / span;
                return std::fabs(std::hypot(dx, dy) - radius);
            }
            const double toStart = Distance(p, a), toEnd = Distance(p, b);
            u = toStart <= toEnd ? 0.0 : 1.0;
            return std::min(toStart, toEnd);
        }
        case kOther:
            break;
        }
        double nx = 0.0, ny = 0.0, t = 0.0, distance = 0.0;
        if (t1 <= t0 || !curve->GetNearestPoint(p.x, p.y, nx, ny, t, distance) || !std::isfinite(distance)) {
            u = 0.0;
            return INFINITY;
        }
        u = std::clamp((t - t0) / (t1 - t0), 0.0, 1.0);
        return distance;
    }

    // Lines, arcs and circles can be cut to a part of themselves.
    bool CanCut() const { return shape != kOther; }
};

double AngleOf(const NPoint& p, const NPoint& centre) { return std::atan2(p.y - centre.y, p.x - centre.x); }

// The carrier of one curve that is not a line; none for a curve too short
// to overlap another.
std::optional<Carrier> MakeCarrier(const vlapi::IDrawingObjectPtr& obj, const vrnApi::CurveChord& chord)
{
    Carrier c;
    c.a = chord.chord->p1;
    c.b = chord.chord->p2;
    const int type = obj->GetType();
    if (const vlapi::IArcPtr arc{obj}; arc && type == vlapi::vlDrArc) {
        c.shape = Carrier::kCircular;
        c.centre = {arc->GetXc(), arc->GetYc()};
        c.radius = Distance(c.a, c.centre);
        c.from = AngleOf(c.a, c.centre);
        double ccw = NormalizeAngle(AngleOf(c.b, c.centre) - c.from, kTurn);
        if (c.a == c.b)
            ccw = kTurn;  // a whole turn drawn as an arc
        const double middle = NormalizeAngle(AngleOf(chord.middle, c.centre) - c.from, kTurn);
        c.sweep = middle < ccw ? ccw : ccw - kTurn;
        c.closed = c.a == c.b;
        c.length = c.radius * std::fabs(c.sweep);
    } else if (const vlapi::ICirclePtr circle{obj}; circle && type == vlapi::vlDrCircle) {
        c.shape = Carrier::kCircular;
        c.centre = {circle->GetXc(), circle->GetYc()};
        c.radius = circle->GetRadius();
        c.from = AngleOf(c.a, c.centre);
        // Its direction: the point a quarter of the way round.
        const vlapi::ICurve2DPtr curve = obj->GetCurve();
        NPoint quarter;
        if (!curve)
            return std::nullopt;
        const double t0 = curve->GetParamMin(), t1 = curve->GetParamMax();
        if (!curve->GetPoint(t0 + (t1 - t0) / 4, quarter.x, quarter.y))
            return std::nullopt;
        const double turn = (c.a.x - c.centre.x) * (quarter.y - c.centre.y) - (c.a.y - c.centre.y) * (quarter.x - c.centre.x);
        c.sweep = turn >= 0.0 ? kTurn : -kTurn;
        c.closed = true;
        c.length = c.radius * kTurn;
    } else {
        c.curve = obj->GetCurve();
        if (!c.curve)
            return std::nullopt;
        c.t0 = c.curve->GetParamMin();
        c.t1 = c.curve->GetParamMax();
        c.length = c.curve->GetLength();
        c.closed = c.curve->IsClosed() || c.a == c.b;
    }
    if (!(c.length >= kLeastOverlapping) || !std::isfinite(c.length) || (c.shape == Carrier::kCircular && !(c.radius > 0.0)))
        return std::nullopt;
    return c;
}

// Calls `visit` with points along a curve no farther apart (along it) than
// `step`, from its start.
template <class Visit>
void Samples(const Carrier& c, double step, Visit visit)
{
    if (c.shape != Carrier::kOther) {
        const size_t n = static_cast<size_t>(std::min(1e7, std::ceil(c.length / step)));
        for (size_t k = 0; k <= n; ++k)
            visit(c.At(n ? static_cast<double>(k) / static_cast<double>(n) : 0.0));
        return;
    }
    // A curve of the host: halved where two points stand farther apart than the step.
    struct Stop {
        double u;
        NPoint p;
    };
    const size_t n = static_cast<size_t>(std::min(1e6, std::max(8.0, std::ceil(c.length / step))));
    Stop at{0.0, c.At(0.0)};
    visit(at.p);
    std::vector<std::pair<Stop, int>> pending;
    for (size_t k = 1; k <= n; ++k) {
        const double u = static_cast<double>(k) / static_cast<double>(n);
        pending.push_back({{u, c.At(u)}, 0});
        while (!pending.empty()) {
            const auto [next, depth] = pending.back();
            if (depth < 12 && Distance(at.p, next.p) > step / 2) {
                const double half = (at.u + next.u) / 2;
                pending.push_back({{half, c.At(half)}, depth + 1});
                continue;
            }
            visit(next.p);
            at = next;
            pending.pop_back();
        }
    }
}

// The direction in which a curve leaves its start (`atStart`) or its end, into the curve.
NPoint Leaving(const Carrier& c, bool atStart)
{
    NPoint d;
    switch (c.shape) {
    case Carrier::kLine:
        d = atStart ? c.b - c.a : c.a - c.b;
        break;
    case Carrier::kCircular: {
        const double angle = c.from + (atStart ? 0.0 : c.sweep);
        const double turn = (c.sweep >= 0.0) == atStart ? 1.0 : -1.0;  // along the sweep from the start
        d = {-std::sin(angle) * turn, std::cos(angle) * turn};
        break;
    }
    case Carrier::kOther:
        d = atStart ? c.At(1e-3) - c.a : c.At(1.0 - 1e-3) - c.b;
        break;
    }
    const double l = std::hypot(d.x, d.y);
    return l > 0.0 ? NPoint{d.x / l, d.y / l} : NPoint{};
}

// The direction of a curve at u, along it.
NPoint Along(const Carrier& c, double u)
{
    NPoint d;
    switch (c.shape) {
    case Carrier::kLine:
        d = c.b - c.a;
        break;
    case Carrier::kCircular: {
        const double angle = c.from + c.sweep * u, turn = c.sweep >= 0.0 ? 1.0 : -1.0;
        d = {-std::sin(angle) * turn, std::cos(angle) * turn};
        break;
    }
    case Carrier::kOther:
        d = c.At(std::min(1.0, u + 1e-3)) - c.At(std::max(0.0, u - 1e-3));
        break;
    }
    const double l = std::hypot(d.x, d.y);
    return l > 0.0 ? NPoint{d.x / l, d.y / l} : NPoint{};
}

// Whether x may run along y from its end (its start when `atStart`), which
// lies on y at u. At an end of y too (a joint of the outline) it must leave
// the end the way y does; elsewhere it must run along y either way (not
// cross it, nor end on it as a T). Lines are told exactly: one lies on the
// other's straight. Curves running along one another over ten tolerances
// from there meet at an angle of at most about 2 tolerances over that length.
bool Along(const Carrier& x, bool atStart, const Carrier& y, double u)
{
    constexpr double kMostSine = 2.0 / 10.0;
    const NPoint dx = Leaving(x, atStart);
    const bool yStart = u * y.length < kTolerance, yEnd = (1.0 - u) * y.length < kTolerance;
    if (x.shape == Carrier::kLine && y.shape == Carrier::kLine) {
        // The shorter's ends within the tolerance of the longer's straight.
        const Carrier& longer = x.length >= y.length ? x : y;
        const Carrier& shorter = &longer == &x ? y : x;
        const NPoint d = longer.b - longer.a;
        const auto off = [&](const NPoint& p) {
            return std::fabs(d.x * (p.y - longer.a.y) - d.y * (p.x - longer.a.x)) / longer.length;
        };
        if (!(off(shorter.a) < kTolerance && off(shorter.b) < kTolerance))
            return false;
        if (!y.closed && (yStart || yEnd)) {
            const NPoint dy = Leaving(y, yStart);
            return dx.x * dy.x + dx.y * dy.y > 0.0;
        }
        return true;
    }
    if (!y.closed && (yStart || yEnd)) {
        const NPoint dy = Leaving(y, yStart);
        return dx.x * dy.x + dx.y * dy.y > std::sqrt(1.0 - kMostSine * kMostSine);
    }
    const auto along = [&](const NPoint& dy) { return std::fabs(dx.x * dy.y - dx.y * dy.x) < kMostSine; };
    if (along(Along(y, u)))
        return true;
    if (y.shape != Carrier::kOther)
        return false;
    // At a corner of a curve of the host (a spline of degree 1 drawn over
    // an outline's corners), its way on either side of the corner.
    for (const double side : {-1e-3, 1e-3}) {
        const double v = y.closed ? u + side : std::clamp(u + side, 0.0, 1.0);
        NPoint d = y.At(v) - y.At(u);
        const double l = std::hypot(d.x, d.y);
        if (l > 0.0 && along({d.x / l, d.y / l}))
            return true;
    }
    return false;
}

// The curves standing in square cells: a curve is filed in every cell one of
// its samples falls in, so that every curve that passes within `reach` of a
// point is filed in a cell the square of side 2 reach about the point meets.
// A cell is known by a hash of its place: two cells of one hash only cost
// their curves a look more.
class CurveGrid {
public:
    explicit CurveGrid(double cell) : m_cell(cell) {}

    // Files `curve` in the cell of `p` (once for a run of points in one cell).
    void Add(uint32_t curve, const NPoint& p)
    {
        const uint64_t key = KeyOf(Index(p.x), Index(p.y));
        if (m_entries.empty() || m_entries.back().first != key || m_entries.back().second != curve)
            m_entries.push_back({key, curve});
    }
    // Sorts the entries by cell and files each cell's first entry in a table
    // of open addressing (keys and places side by side, at most half full).
    void Finish()
    {
        std::sort(m_entries.begin(), m_entries.end());
        m_entries.erase(std::unique(m_entries.begin(), m_entries.end()), m_entries.end());
        m_entries.shrink_to_fit();
        size_t cells = 0;
        for (size_t k = 0; k < m_entries.size(); ++k)
            cells += k == 0 || m_entries[k].first != m_entries[k - 1].first;
        size_t size = 16;
        while (size < 2 * cells)
            size *= 2;
        m_keys.assign(size, 0);
        m_firsts.assign(size, kFree);
        for (size_t k = 0; k < m_entries.size(); ++k) {
            if (k > 0 && m_entries[k].first == m_entries[k - 1].first)
                continue;
            size_t slot = m_entries[k].first & (size - 1);
            while (m_firsts[slot] != kFree)
                slot = (slot + 1) & (size - 1);
            m_keys[slot] = m_entries[k].first;
            m_firsts[slot] = static_cast<uint32_t>(k);
        }
    }
    template <class F>
    void ForEachNear(const NPoint& p, double reach, F visit) const
    {
        const int64_t x0 = Index(p.x - reach), x1 = Index(p.x + reach);
        const int64_t y0 = Index(p.y - reach), y1 = Index(p.y + reach);
        const size_t mask = m_keys.size() - 1;
        for (int64_t x = x0; x <= x1; ++x) {
            for (int64_t y = y0; y <= y1; ++y) {
                const uint64_t key = KeyOf(x, y);
                size_t slot = key & mask;
                while (m_firsts[slot] != kFree && m_keys[slot] != key)
                    slot = (slot + 1) & mask;
                if (m_firsts[slot] == kFree)
                    continue;
                for (size_t k = m_firsts[slot]; k < m_entries.size() && m_entries[k].first == key; ++k)
                    visit(m_entries[k].second);
            }
        }
    }

private:
    int64_t Index(double v) const { return static_cast<int64_t>(std::clamp(std::floor(v / m_cell), -4e18, 4e18)); }
    static uint64_t KeyOf(int64_t x, int64_t y)
    {
        uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ULL;
        h ^= static_cast<uint64_t>(y) + 0x632BE59BD9B4E019ULL + (h << 6) + (h >> 2);
        return h * 0xBF58476D1CE4E5B9ULL;
    }

    static constexpr uint32_t kFree = UINT32_MAX;
    double m_cell;
    std::vector<std::pair<uint64_t, uint32_t>> m_entries;  // cell, curve
    std::vector<uint64_t> m_keys;    // of the table's slots
    std::vector<uint32_t> m_firsts;  // the cell's first entry, or kFree
};

// The carriers of an outline's curves: a line's made from its chord when it
// is asked for, the others' kept (most outlines are mostly lines).
class Carriers {
public:
    Carriers(const std::vector<vrnApi::CurveChord>& curves, const std::vector<vlapi::IDrawingObjectPtr>& objects)
        : m_ends(curves.size()), m_slot(curves.size(), kNone)
    {
        for (size_t i = 0; i < curves.size(); ++i) {
            m_ends[i] = {curves[i].chord->p1, curves[i].chord->p2};
            if (objects[i]->GetType() == vlapi::vlDrLineSeg) {
                if (Distance(curves[i].chord->p1, curves[i].chord->p2) >= kLeastOverlapping)
                    m_slot[i] = kLine;
            } else if (std::optional<Carrier> c = MakeCarrier(objects[i], curves[i])) {
                m_slot[i] = static_cast<uint32_t>(m_kept.size());
                m_kept.push_back(std::move(*c));
            }
        }
    }
    bool Has(size_t i) const { return m_slot[i] != kNone; }
    bool IsLine(size_t i) const { return m_slot[i] == kLine; }
    // The carrier of curve i (which Has): a line's in `line`.
    const Carrier& Of(size_t i, Carrier& line) const
    {
        if (m_slot[i] != kLine)
            return m_kept[m_slot[i]];
        line.shape = Carrier::kLine;
        line.a = m_ends[i].first;
        line.b = m_ends[i].second;
        line.length = Distance(line.a, line.b);
        return line;
    }
    Carrier& Kept(size_t i) { return m_kept[m_slot[i]]; }

private:
    static constexpr uint32_t kNone = UINT32_MAX, kLine = UINT32_MAX - 1;
    std::vector<std::pair<NPoint, NPoint>> m_ends;  // of every curve, side by side
    std::vector<uint32_t> m_slot;  // a place in `m_kept`, kLine, or kNone for a curve too short
    std::vector<Carrier> m_kept;
};

// A bound of a stretch of a curve: its parameter and the point the stretch
// ends at (an end of the curve that covers it, or of the curve itself).
struct Bound {
    double u;
    NPoint at;
};
struct Span {
    Bound from, to;  // from.u < to.u; past 1 round a closed curve
};

// Whether the curve x between u0 and u1 lies on y. Lines and arcs are told
// by a few points; where either is another curve (a spline through points
// of a circle meets it there and parts from it between), by points spread
// along the stretch at no even fractions of it.
bool LiesOn(const Carrier& x, const Carrier& y, double u0, double u1)
{
    const auto on = [&](double f) {
        double u = 0.0;
        return y.Nearest(x.At(u0 + (u1 - u0) * f), u) < kTolerance;
    };
    for (const double f : {0.5, 1.0 / 6, 5.0 / 6, 2.0 / 6, 4.0 / 6})
        if (!on(f))
            return false;
    if (x.shape != Carrier::kOther && y.shape != Carrier::kOther)
        return true;
    constexpr int kSpread = 32;
    constexpr double kGolden = 0.6180339887498949;
    for (int k = 1; k <= kSpread; ++k) {
        const double f = 0.5 + k * kGolden;
        if (!on(f - std::floor(f)))
            return false;
    }
    return true;
}

// The stretches of x that lie on y. A stretch ends only at an end of either
// curve: x is cut where an end of y lies on it, and each piece lies on y or not.
std::vector<Span> Covered(const Carrier& x, const Carrier& y)
{
    std::vector<Bound> cuts;
    if (!y.closed) {
        for (const NPoint& end : {y.a, y.b}) {
            double u = 0.0;
            if (x.Nearest(end, u) < kTolerance)
                cuts.push_back({u, end});
        }
    }
    std::vector<std::pair<Bound, Bound>> pieces;
    if (x.closed) {
        for (Bound& cut : cuts)
            cut.u = cut.u >= 1.0 ? 0.0 : cut.u;
        std::sort(cuts.begin(), cuts.end(), [](const Bound& l, const Bound& r) { return l.u < r.u; });
        if (cuts.empty())
            cuts.push_back({0.0, x.a});
        for (size_t k = 0; k < cuts.size(); ++k)
            pieces.push_back({cuts[k], k + 1 < cuts.size() ? cuts[k + 1] : Bound{cuts[0].u + 1.0, cuts[0].at}});
    } else {
        cuts.push_back({0.0, x.a});
        cuts.push_back({1.0, x.b});
        std::sort(cuts.begin(), cuts.end(), [](const Bound& l, const Bound& r) { return l.u < r.u; });
        for (size_t k = 0; k + 1 < cuts.size(); ++k)
            pieces.push_back({cuts[k], cuts[k + 1]});
    }
    std::vector<Span> spans;
    for (const auto& [from, to] : pieces) {
        if ((to.u - from.u) * x.length >= kTolerance && LiesOn(x, y, from.u, to.u))
            spans.push_back({from, to});
    }
    return spans;
}

// The parts of [0, 1] (of a closed curve: round the turn) that `spans`
// leave, each at least the tolerance long; none when the spans cover the
// curve. `whole` when they leave all of it.
std::vector<Span> Uncovered(const Carrier& x, const std::vector<Span>& spans, bool& whole)
{
    std::vector<Span> flat;  // within [0, 1]
    for (const Span& s : spans) {
        if (x.closed && s.to.u > 1.0) {
            flat.push_back({s.from, {1.0, s.to.at}});
            flat.push_back({{0.0, s.from.at}, {s.to.u - 1.0, s.to.at}});
        } else {
            flat.push_back(s);
        }
    }
    std::sort(flat.begin(), flat.end(), [](const Span& l, const Span& r) { return l.from.u < r.from.u; });
    std::vector<Span> gaps;
    Bound at{0.0, x.a};
    const double least = kTolerance / x.length;
    double covered = 0.0;
    for (const Span& s : flat) {
        if (s.from.u - at.u > least)
            gaps.push_back({at, s.from});
        if (s.to.u > at.u) {
            covered += s.to.u - std::max(at.u, s.from.u);
            at = s.to;
        }
    }
    whole = covered <= least;
    if (whole)
        return {};
    if (1.0 - at.u > least)
        gaps.push_back({at, {1.0, x.b}});
    // Round a closed curve, the gap that ends at its start goes on into the one that starts there.
    if (x.closed && gaps.size() > 1 && gaps.front().from.u <= least && gaps.back().to.u >= 1.0 - least) {
        gaps.back().to = {1.0 + gaps.front().to.u, gaps.front().to.at};
        gaps.erase(gaps.begin());
    }
    return gaps;
}

// Whether p lies too far from the curve for it to pass within the tolerance
// of p, told by its box (a line's widened by the tolerance) alone.
bool OutOfReach(const Carrier& y, const NPoint& p)
{
    if (y.shape != Carrier::kLine)
        return !CheckRectContainPoint(y.box, p);
    return std::min(y.a.x, y.b.x) - kTolerance > p.x || std::max(y.a.x, y.b.x) + kTolerance < p.x ||
           std::min(y.a.y, y.b.y) - kTolerance > p.y || std::max(y.a.y, y.b.y) + kTolerance < p.y;
}

// A line or an arc between `from` and `to` through `middle`, in the container, on layer 0.
vlapi::IDrawingObjectPtr MakePiece(const vlapi::IDrawingContainerPtr& container, const Carrier& c, const NPoint& from,
                                   const NPoint& middle, const NPoint& to, int style)
{
    vlapi::IDrawingObjectPtr made =
        c.shape == Carrier::kLine
            ? vlapi::IDrawingObjectPtr(vrnApi::CreateLineSegm(container, from.x, from.y, to.x, to.y, style))
            : vlapi::IDrawingObjectPtr(vrnApi::CreateArcBy3Points(container, from, to, middle, style));
    if (made && made->GetLayer() != 0) {
        made->SetLayer(0);
        made->Update();
    }
    return made;
}

}  // namespace

std::optional<NPoint> DropOverlaps(const vlapi::IDrawingContainerPtr& container, std::vector<vrnApi::CurveChord>& curves,
                                   std::vector<vlapi::IDrawingObjectPtr>& objects, FileLayers* fileLayers,
                                   std::optional<NPoint>* thin)
{
    const size_t count = curves.size();
    Carriers carriers(curves, objects);
    double total = 0.0;
    size_t filed = 0;
    Carrier line, other;  // a line's carrier, made when asked for
    for (size_t i = 0; i < count; ++i) {
        if (carriers.Has(i)) {
            total += carriers.Of(i, line).length;
            ++filed;
        }
    }
    if (filed == 0 || (filed == 1 && count == 1))
        return std::nullopt;
    std::vector<bool> pointRing;
    const std::vector<size_t> ringOf = RingsDrawnAlone(curves, &pointRing);
    const auto oneRing = [&](size_t i, size_t j) {
        return ringOf[i] != PointGrid::kNone && ringOf[i] == ringOf[j] && !pointRing[ringOf[i]];
    };
    // A ring drawn alone within a point's box (a centre mark) is a point,
    // wherever it stands: beside an edge too it goes as one, and is named so
    // (DropPoints), not as lying on the edge.
    const auto point = [&](size_t i) { return ringOf[i] != PointGrid::kNone && pointRing[ringOf[i]]; };
    std::vector<std::pair<std::pair<uint32_t, uint32_t>, NPoint>> alongItself;  // sides of a ring drawn alone, and where

    // Two curves overlap only along a stretch that ends at an end of either:
    // an end of one lies on the other (a closed curve's start, when it lies
    // on the other whole). The curves are filed by samples a mean length
    // apart, and each end looks for the curves that pass near it.
    const double step = std::max(total / static_cast<double>(filed), 16 * kTolerance);
    const double reach = kTolerance + step;
    CurveGrid grid(2 * reach);
    for (size_t i = 0; i < count; ++i) {
        if (!carriers.Has(i))
            continue;
        if (carriers.IsLine(i)) {
            Samples(carriers.Of(i, line), step, [&](const NPoint& p) { grid.Add(static_cast<uint32_t>(i), p); });
            continue;
        }
        Carrier& c = carriers.Kept(i);
        // The host follows the whole curve for each nearest point asked of
        // it: ends near its samples (curves a step apart, a field of
        // ellipses) are held first to a box of samples closer together,
        // widened by the most a stretch between two may bow out.
        const double spacing = c.shape == Carrier::kOther ? std::min(step, c.length / 8) : step;
        const double widen = c.shape == Carrier::kOther ? kTolerance + spacing : reach;
        c.box = {{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
        Samples(c, spacing, [&](const NPoint& p) {
            grid.Add(static_cast<uint32_t>(i), p);
            c.box.pBot = {std::min(c.box.pBot.x, p.x - widen), std::min(c.box.pBot.y, p.y - widen)};
            c.box.pTop = {std::max(c.box.pTop.x, p.x + widen), std::max(c.box.pTop.y, p.y + widen)};
        });
    }
    grid.Finish();

    // A piece shorter than a joint is no carrier, and no curve is found
    // along it; lying along a curve that is one, it is drawn again there and
    // goes (a run of such pieces over an edge stood beside it, an outline of
    // its own). One that only touches a curve's end stays for the joints.
    std::vector<bool> deleted(count, false);
    bool shortOnes = false;
    for (size_t i = 0; i < count; ++i) {
        const NPoint points[3] = {curves[i].chord->p1, curves[i].middle, curves[i].chord->p2};
        if (carriers.Has(i) || !(Distance(points[0], points[2]) < kLeastOverlapping) ||
            !(Distance(points[0], points[1]) < kLeastOverlapping))
            continue;
        size_t looked = 0;
        bool on = false;
        grid.ForEachNear(points[0], reach, [&](uint32_t j) {
            if (on || j == i || point(i) || point(j))
                return;
            const Carrier& y = carriers.Of(j, other);
            if (OutOfReach(y, points[0]) || ++looked > kMostMet)
                return;
            double u[3] = {0.0, 0.0, 0.0};
            for (int k = 0; k < 3; ++k)
                if (!(y.Nearest(points[k], u[k]) < kTolerance))
                    return;
            // Along it, not across its end.
            double along = std::fabs(u[2] - u[0]);
            if (y.closed)
                along = std::min(along, 1.0 - along);
            const double length = Distance(points[0], points[2]);
            on = length > 0.0 && along * y.length >= length / 2;
        });
        deleted[i] = on;
        shortOnes = shortOnes || on;
    }
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    std::vector<uint32_t> piled;  // curves with more than kMostMet running along them from an end
    std::optional<NPoint> pile;   // where the first of them met so many
    for (size_t i = 0; i < count; ++i) {
        if (!carriers.Has(i))
            continue;
        const Carrier& x = carriers.Of(i, line);
        for (const bool atStart : {true, false}) {
            const NPoint& end = atStart ? x.a : x.b;
            size_t met = 0;  // curves found running along x from this end
            grid.ForEachNear(end, reach, [&](uint32_t j) {
                if (j == i)
                    return;
                const Carrier& y = carriers.Of(j, other);
                double u = 0.0;
                if (OutOfReach(y, end))
                    return;
                if (!(y.Nearest(end, u) < kTolerance) || (!x.closed && !Along(x, atStart, y, u)))
                    return;
                if (point(i) || point(j))
                    return;
                if (oneRing(i, j) && thin)
                    alongItself.push_back({{static_cast<uint32_t>(i), j}, end});
                if (++met > kMostMet) {
                    piled.push_back(static_cast<uint32_t>(i));
                    if (!pile)
                        pile = end;
                    return;
                }
                pairs.push_back({static_cast<uint32_t>(std::min<size_t>(i, j)), static_cast<uint32_t>(std::max<size_t>(i, j))});
            });
            if (x.closed)
                break;
        }
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    for (const auto& [pair, end] : alongItself) {
        const Carrier x = carriers.Of(pair.first, line), y = carriers.Of(pair.second, other);
        if (!Covered(x, y).empty() || !Covered(y, x).empty()) {
            *thin = end;
            break;
        }
    }

    // What of each curve each other curve covers, for the pairs that overlap;
    // the curves that overlap another, numbered from 0 for their groups.
    struct Cover {
        uint32_t by;
        std::vector<Span> spans;
    };
    std::map<size_t, std::vector<Cover>> covers;
    std::map<size_t, size_t> local;
    std::vector<size_t> involved;  // by local number
    const auto localOf = [&](size_t i) {
        const auto [at, added] = local.emplace(i, involved.size());
        if (added)
            involved.push_back(i);
        return at->second;
    };
    std::vector<std::pair<size_t, size_t>> overlapping;  // local numbers
    for (const auto& [i, j] : pairs) {
        const Carrier x = carriers.Of(i, line), y = carriers.Of(j, other);
        std::vector<Span> ij = Covered(x, y);
        std::vector<Span> ji = Covered(y, x);
        if (ij.empty() && ji.empty())
            continue;
        overlapping.push_back({localOf(i), localOf(j)});
        if (!ij.empty())
            covers[i].push_back({j, std::move(ij)});
        if (!ji.empty())
            covers[j].push_back({i, std::move(ji)});
    }
    if (involved.empty() && !shortOnes)
        return pile;
    DisjointSets groups(involved.size());
    for (const auto& [a, b] : overlapping)
        groups.Unite(a, b);
    std::vector<std::vector<size_t>> members(involved.size());  // curve indices, by group root
    for (size_t k = 0; k < involved.size(); ++k)
        members[groups.Root(k)].push_back(involved[k]);
    const auto inGroup = [&](size_t i, size_t root) {
        const auto at = local.find(i);
        return at != local.end() && groups.Root(at->second) == root;
    };
    std::map<size_t, std::vector<size_t>> neighbours;  // the curves each curve overlaps
    for (const auto& [a, b] : overlapping) {
        neighbours[involved[a]].push_back(involved[b]);
        neighbours[involved[b]].push_back(involved[a]);
    }
    const auto coversOf = [&](size_t i) -> const std::vector<Cover>& {
        static const std::vector<Cover> none;
        const auto at = covers.find(i);
        return at == covers.end() ? none : at->second;
    };

    // Every curve end, to tell whether a curve from outside a group ends at an end inside it.
    PointGrid ends(kJoinTolerance);
    for (size_t i = 0; i < count; ++i) {
        ends.Add(curves[i].chord->p1, 2 * i);
        ends.Add(curves[i].chord->p2, 2 * i + 1);
    }

    // The chains the curves make end to end (ends nearer than a joint, each
    // joined to the first end filed near it). Of two drawings of one outline
    // a hair apart, every group keeps the curves of the same one first: kept
    // whole, its corners meet, where a mixture of the two (an edge of one,
    // the next of the other) leaves corners up to 1.4 times the distance
    // apart, wider than a joint.
    DisjointSets chains(count);
    {
        PointGrid firsts(kJoinTolerance);
        for (size_t e = 0; e < 2 * count; ++e) {
            const NPoint& p = e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1;
            const size_t first = firsts.FirstNear(p, [&](size_t f) {
                return Distance(f % 2 ? curves[f / 2].chord->p2 : curves[f / 2].chord->p1, p) < kJoinTolerance;
            });
            if (first != PointGrid::kNone)
                chains.Unite(e / 2, first / 2);
            else
                firsts.Add(p, e);
        }
    }
    std::vector<double> chainLength(count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        if (carriers.Has(i))
            chainLength[chains.Root(i)] += carriers.Of(i, line).length;
    }

    std::vector<bool> changed(count, false), taken(count, false);
    std::vector<std::pair<size_t, vlapi::IDrawingObjectPtr>> added;  // pieces, by the curve they come from
    // A group where curves pile up beyond the search is left as it is drawn.
    std::vector<bool> piledGroup(members.size(), false);
    for (uint32_t i : piled) {
        if (const auto at = local.find(i); at != local.end())
            piledGroup[groups.Root(at->second)] = true;
    }
    for (size_t root = 0; root < members.size(); ++root) {
        std::vector<size_t>& group = members[root];
        if (group.size() < 2 || piledGroup[root])
            continue;
        // An end inside the stretch the group covers, where a curve from
        // outside the group ends: the group is two outlines along one edge.
        bool shared = false;
        for (size_t i : group) {
            const Carrier x = carriers.Of(i, line);
            for (const NPoint& end : {x.a, x.b}) {
                if (x.closed || shared)
                    break;
                bool inside = false;
                for (size_t j : neighbours[i]) {
                    const Carrier& y = carriers.Of(j, other);
                    double u = 0.0;
                    // Inside: a joint away from y's ends, along y too (an end
                    // beside y's end, off it across, is at that end).
                    inside = inside || (j != i && y.Nearest(end, u) < kTolerance &&
                                        (y.closed || (Distance(end, y.a) >= kJoinTolerance &&
                                                      Distance(end, y.b) >= kJoinTolerance &&
                                                      u * y.length >= kJoinTolerance &&
                                                      (1.0 - u) * y.length >= kJoinTolerance)));
                }
                if (!inside)
                    continue;
                ends.ForEachNear(end, [&](size_t e) {
                    const NPoint& p = e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1;
                    shared = shared || (!inGroup(e / 2, root) && !deleted[e / 2] && Distance(p, end) < kJoinTolerance);
                });
            }
        }
        if (shared)
            continue;

        // Curves that cannot be cut first, then the longest chain's, then
        // the longest.
        std::stable_sort(group.begin(), group.end(), [&](size_t l, size_t r) {
            const Carrier a = carriers.Of(l, line), b = carriers.Of(r, other);
            if (a.CanCut() != b.CanCut())
                return !a.CanCut();
            const size_t ca = chains.Root(l), cb = chains.Root(r);
            if (ca != cb)
                return chainLength[ca] != chainLength[cb] ? chainLength[ca] > chainLength[cb] : ca < cb;
            return a.length > b.length;
        });
        for (size_t i : group) {
            const Carrier x = carriers.Of(i, line);
            std::vector<Span> spans;
            for (const Cover& cover : coversOf(i)) {
                if (taken[cover.by])
                    spans.insert(spans.end(), cover.spans.begin(), cover.spans.end());
            }
            taken[i] = true;
            bool whole = false;
            const std::vector<Span> rest = Uncovered(x, spans, whole);
            if (whole)
                continue;
            if (rest.empty()) {
                deleted[i] = true;
                continue;
            }
            if (!x.CanCut())
                continue;
            const int style = objects[i]->GetStyle();
            for (size_t k = 0; k < rest.size(); ++k) {
                const Span& piece = rest[k];
                const NPoint middle = x.At((piece.from.u + piece.to.u) / 2);
                if (k == 0 && x.shape == Carrier::kLine) {
                    const vlapi::ILineSegmentPtr segment(objects[i]);
                    segment->SetX1(piece.from.at.x), segment->SetY1(piece.from.at.y);
                    segment->SetX2(piece.to.at.x), segment->SetY2(piece.to.at.y);
                    segment->Update();
                    changed[i] = true;
                    continue;
                }
                const vlapi::IArcPtr arc(objects[i]);
                if (k == 0 && arc && objects[i]->GetType() == vlapi::vlDrArc &&
                    arc->SetBy3Points(piece.from.at.x, piece.from.at.y, piece.to.at.x, piece.to.at.y, middle.x, middle.y)) {
                    objects[i]->Update();
                    changed[i] = true;
                    continue;
                }
                if (vlapi::IDrawingObjectPtr made = MakePiece(container, x, piece.from.at, middle, piece.to.at, style))
                    added.push_back({i, made});
            }
            // A circle (or an arc that would not take its new ends) gives way to its pieces.
            deleted[i] = !changed[i];
        }
    }

    std::vector<vrnApi::CurveChord> keptCurves;
    std::vector<vlapi::IDrawingObjectPtr> keptObjects;
    for (size_t i = 0; i < count; ++i) {
        if (deleted[i]) {
            objects[i]->Delete();
            continue;
        }
        if (changed[i])
            vrnApi::ReadCurveChord(objects[i], curves[i]);
        keptCurves.push_back(curves[i]);
        keptObjects.push_back(objects[i]);
    }
    for (const auto& [from, made] : added) {
        vrnApi::CurveChord chord;
        if (!vrnApi::ReadCurveChord(made, chord))
            continue;
        if (fileLayers) {
            const auto layer = fileLayers->find(curves[from].chord->m_ref);
            if (layer != fileLayers->end())
                (*fileLayers)[chord.chord->m_ref] = layer->second;
        }
        keptCurves.push_back(chord);
        keptObjects.push_back(made);
    }
    curves = std::move(keptCurves);
    objects = std::move(keptObjects);
    return pile;
}

}  // namespace dxfimport
