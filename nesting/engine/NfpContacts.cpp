#include "engine/NfpContacts.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace nfp {

namespace {

constexpr double TWO_PI = 2.0 * PI;
// Directions closer than this (radians) are always taken as one.
constexpr double MIN_ANGLE_TOL = 1e-12;
// Two directions closer than this are one even for the shortest edges.
constexpr double MAX_ANGLE_TOL = 0.5;

// An angle difference in [0, 2pi) with values just below 2pi folded to 0.
double Turn(double from, double to, double tol)
{
    double d = Mod2Pi(to - from);
    return d > TWO_PI - tol ? 0.0 : d;
}

// The wall q0-q1 lies apart from the path p -> p + path, both widened by
// a margin so that touching at the ends is kept.
bool OutsideBox(const NPoint& q0, const NPoint& q1, const NPoint& p, const NPoint& path, double margin)
{
    NPoint r = p + path;
    return std::max(q0.x, q1.x) < std::min(p.x, r.x) - margin || std::min(q0.x, q1.x) > std::max(p.x, r.x) + margin ||
           std::max(q0.y, q1.y) < std::min(p.y, r.y) - margin || std::min(q0.y, q1.y) > std::max(p.y, r.y) + margin;
}

// The contact grid of a ring. Placement asks for the no-fit polygons of one
// placed outline against many moving ones and of one moving outline against
// many placed ones: the grids of the last rings are kept. The library runs on
// the host's one thread: a plain static (no thread-local storage, which the
// leak checker misreads once the host has unloaded the library).
std::shared_ptr<const EdgeGrid> ContactGrid(const std::vector<NPoint>& ring)
{
    constexpr size_t KEPT = 32;
    static std::vector<std::pair<std::vector<NPoint>, std::shared_ptr<const EdgeGrid>>> kept;
    const auto same = [&](const std::pair<std::vector<NPoint>, std::shared_ptr<const EdgeGrid>>& entry) {
        return entry.first.size() == ring.size() &&
               std::equal(ring.begin(), ring.end(), entry.first.begin(),
                          [](const NPoint& p, const NPoint& q) { return p.x == q.x && p.y == q.y; });
    };
    auto found = std::find_if(kept.begin(), kept.end(), same);
    if (found == kept.end()) {
        if (kept.size() == KEPT)
            kept.pop_back();
        kept.insert(kept.begin(), {ring, std::make_shared<const EdgeGrid>(ring, CONTACT_CELLS_PER_EDGE)});
        return kept.front().second;
    }
    // The most recent first.
    std::rotate(kept.begin(), found, found + 1);
    return kept.front().second;
}

} // namespace

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }
double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }
// Coordinates stay far from the range where the squares overflow.
double Length(const NPoint& v) { return std::sqrt(v.x * v.x + v.y * v.y); }
double Angle(const NPoint& v) { return Mod2Pi(std::atan2(v.y, v.x)); }

double Mod2Pi(double a) { return NormalizeAngle(a, TWO_PI); }

double SignedArea2(const std::vector<NPoint>& ring)
{
    double s = 0.0;
    for (size_t k = 0; k < ring.size(); ++k)
        s += Cross(ring[k], ring[(k + 1) % ring.size()]);
    return s;
}

EdgeGrid::EdgeGrid(const std::vector<NPoint>& ring, double cellsPerEdge)
{
    if (ring.size() < 2)
        return;
    m_lo = m_hi = ring.front();
    for (const NPoint& p : ring) {
        m_lo = {std::min(m_lo.x, p.x), std::min(m_lo.y, p.y)};
        m_hi = {std::max(m_hi.x, p.x), std::max(m_hi.y, p.y)};
    }
    m_cols = m_rows =
        static_cast<size_t>(std::ceil(std::sqrt(std::max(cellsPerEdge, 1.0) * static_cast<double>(ring.size()))));
    m_perCellX = static_cast<double>(m_cols) / std::max(m_hi.x - m_lo.x, 1e-300);
    m_perCellY = static_cast<double>(m_rows) / std::max(m_hi.y - m_lo.y, 1e-300);
    m_cellWidth = 1.0 / m_perCellX;
    m_cellHeight = 1.0 / m_perCellY;
    // Count the edges of each cell, then fill the cells in edge order.
    m_start.assign(m_cols * m_rows + 1, 0);
    for (size_t k = 0; k < ring.size(); ++k)
        ForEachCell(ring[k], ring[(k + 1) % ring.size()], [&](size_t cell) { ++m_start[cell + 1]; });
    for (size_t c = 1; c < m_start.size(); ++c)
        m_start[c] += m_start[c - 1];
    m_edges.resize(m_start.back());
    std::vector<size_t> fill(m_start.begin(), m_start.end() - 1);
    for (size_t k = 0; k < ring.size(); ++k)
        ForEachCell(ring[k], ring[(k + 1) % ring.size()], [&](size_t cell) { m_edges[fill[cell]++] = k; });
    // Chessboard distances to the cells with edges: one pass forwards (from
    // the neighbours before a cell) and one backwards (from those after it).
    const uint32_t far = static_cast<uint32_t>(m_cols + m_rows);
    m_steps.assign(m_cols * m_rows, far);
    for (size_t cell = 0; cell < m_steps.size(); ++cell)
        if (m_start[cell + 1] > m_start[cell])
            m_steps[cell] = 0;
    const size_t cols = m_cols;
    for (size_t r = 0; r < m_rows; ++r)
        for (size_t c = 0; c < cols; ++c) {
            uint32_t& here = m_steps[r * cols + c];
            if (c > 0)
                here = std::min(here, m_steps[r * cols + c - 1] + 1);
            if (r > 0) {
                const uint32_t* above = &m_steps[(r - 1) * cols + c];
                here = std::min(here, above[0] + 1);
                if (c > 0)
                    here = std::min(here, above[-1] + 1);
                if (c + 1 < cols)
                    here = std::min(here, above[1] + 1);
            }
        }
    for (size_t r = m_rows; r-- > 0;)
        for (size_t c = cols; c-- > 0;) {
            uint32_t& here = m_steps[r * cols + c];
            if (c + 1 < cols)
                here = std::min(here, m_steps[r * cols + c + 1] + 1);
            if (r + 1 < m_rows) {
                const uint32_t* below = &m_steps[(r + 1) * cols + c];
                here = std::min(here, below[0] + 1);
                if (c > 0)
                    here = std::min(here, below[-1] + 1);
                if (c + 1 < cols)
                    here = std::min(here, below[1] + 1);
            }
        }
}

double EdgeGrid::LowerDistance(const NPoint& p) const
{
    if (m_cols == 0)
        return HUGE_VAL;
    const double dx = std::max({m_lo.x - p.x, p.x - m_hi.x, 0.0});
    const double dy = std::max({m_lo.y - p.y, p.y - m_hi.y, 0.0});
    if (dx > 0.0 || dy > 0.0)
        return std::sqrt(dx * dx + dy * dy);
    const size_t c = Col(p.x);
    const size_t r = Row(p.y);
    const uint32_t steps = m_steps[r * m_cols + c];
    if (steps == 0)
        return 0.0;
    // Out of p's own cell, then across steps - 1 whole cells.
    const double w = m_cellWidth;
    const double h = m_cellHeight;
    const double x0 = m_lo.x + static_cast<double>(c) * w;
    const double y0 = m_lo.y + static_cast<double>(r) * h;
    const double out = std::max(0.0, std::min({p.x - x0, x0 + w - p.x, p.y - y0, y0 + h - p.y}));
    // Less a rounding margin of the cell arithmetic.
    return std::max(0.0, static_cast<double>(steps - 1) * std::min(w, h) + out - 1e-9 * (w + h));
}

template <class F>
void EdgeGrid::ForEachCell(const NPoint& p, const NPoint& q, F f) const
{
    // The cells the segment passes through: in each row, the columns of the
    // part of it inside the row's band, widened by a margin for rounding.
    const double yMin = std::min(p.y, q.y);
    const double yMax = std::max(p.y, q.y);
    const double xMin = std::min(p.x, q.x);
    const double xMax = std::max(p.x, q.x);
    const size_t r0 = Row(yMin);
    const size_t r1 = Row(yMax);
    const double h = 1.0 / m_perCellY;
    const double margin = 1e-7 * (h + 1.0 / m_perCellX);
    for (size_t r = r0; r <= r1; ++r) {
        double lo = xMin;
        double hi = xMax;
        if (r0 != r1) {
            const double yb = r == r0 ? yMin : std::max(yMin, m_lo.y + static_cast<double>(r) * h - margin);
            const double yt = r == r1 ? yMax : std::min(yMax, m_lo.y + static_cast<double>(r + 1) * h + margin);
            const double slope = (q.x - p.x) / (q.y - p.y);
            const double xb = p.x + (yb - p.y) * slope;
            const double xt = p.x + (yt - p.y) * slope;
            lo = std::max(xMin, std::min(xb, xt) - margin);
            hi = std::min(xMax, std::max(xb, xt) + margin);
        }
        for (size_t c = Col(lo), c1 = Col(hi); c <= c1; ++c)
            f(r * m_cols + c);
    }
}

ContactFrame::ContactFrame(const std::vector<NPoint>& a, const std::vector<NPoint>& b, double tolerance)
    : m_a(a), m_b(b), m_gridA(ContactGrid(m_a)), m_gridB(ContactGrid(m_b))
{
    m_tol = tolerance;
    m_cornersA = Corners(m_a);
    m_counterClockwiseA = SignedArea2(m_a) > 0.0;
    m_cornersB = Corners(m_b);
}

std::vector<ContactFrame::Corner> ContactFrame::Corners(const std::vector<NPoint>& ring) const
{
    std::vector<Corner> corners(ring.size());
    for (size_t k = 0; k < ring.size(); ++k) {
        NPoint edge = ring[(k + 1) % ring.size()] - ring[k];
        corners[k].edgeAngle = Angle(edge);
        corners[k].length = Length(edge);
        corners[k].slack = Slack(corners[k].length);
    }
    for (size_t k = 0; k < ring.size(); ++k) {
        double back = Mod2Pi(corners[(k + ring.size() - 1) % ring.size()].edgeAngle + PI);
        corners[k].width = Mod2Pi(back - corners[k].edgeAngle);
    }
    return corners;
}

bool ContactFrame::BothConvex() const
{
    auto convex = [](const std::vector<Corner>& corners) {
        return std::all_of(corners.begin(), corners.end(), [](const Corner& c) { return c.width <= PI + MIN_ANGLE_TOL; });
    };
    return convex(m_cornersA) && convex(m_cornersB);
}

void ContactFrame::TouchingContacts(std::vector<Contact>& contacts) const
{
    contacts.clear();
    // No slack of either ring is larger: the directions of a touching pair
    // agree within it (with a margin for the rounding of the angles).
    double slack = 0.0;
    for (const auto* corners : {&m_cornersA, &m_cornersB})
        for (const Corner& c : *corners)
            slack = std::max(slack, c.slack);
    slack += 1e-9;
    // Each ring's vertices by the direction of their outgoing edge (which
    // is where their wedge starts).
    using Directions = std::vector<std::pair<double, size_t>>;
    const auto sorted = [](const std::vector<Corner>& corners) {
        Directions d(corners.size());
        for (size_t k = 0; k < corners.size(); ++k)
            d[k] = {corners[k].edgeAngle, k};
        std::sort(d.begin(), d.end());
        return d;
    };
    const Directions dirA = sorted(m_cornersA);
    const Directions dirB = sorted(m_cornersB);
    // Calls f(k) for every vertex of `dirs` whose direction lies from `from`
    // to `to` counter-clockwise (to - from < 2pi; all of them otherwise).
    const auto forRange = [](const Directions& dirs, double from, double to, auto f) {
        if (to - from >= TWO_PI) {
            for (const auto& d : dirs)
                f(d.second);
            return;
        }
        const double lo = Mod2Pi(from);
        const double hi = lo + (to - from);
        const auto visit = [&](double a, double b) {
            for (auto it = std::lower_bound(dirs.begin(), dirs.end(), std::make_pair(a, size_t{0}));
                 it != dirs.end() && it->first <= b; ++it)
                f(it->second);
        };
        visit(lo, std::min(hi, TWO_PI));
        if (hi > TWO_PI)
            visit(0.0, hi - TWO_PI);
    };
    const auto add = [&](ContactKind kind, size_t i, size_t j) {
        const Contact c{kind, i, j};
        if (CanTouch(c))
            contacts.push_back(c);
    };
    std::vector<size_t> thinB; // wedges of B as thin as the slack: they turn no direction away
    // B's vertices also in classes of wedge width, each by direction: a
    // wedge beside A's ends before A's starts again, by at least the
    // narrowest width of its class.
    constexpr size_t WIDTH_CLASSES = 16;
    std::vector<Directions> byWidth(WIDTH_CLASSES);
    std::vector<double> narrowest(WIDTH_CLASSES, TWO_PI);
    for (size_t j = 0; j < m_b.size(); ++j) {
        const Corner& b = m_cornersB[j];
        if (b.width <= slack)
            thinB.push_back(j);
        const size_t k = std::min(WIDTH_CLASSES - 1, static_cast<size_t>(b.width * WIDTH_CLASSES / TWO_PI));
        byWidth[k].emplace_back(b.edgeAngle, j);
        narrowest[k] = std::min(narrowest[k], b.width);
    }
    for (Directions& d : byWidth)
        std::sort(d.begin(), d.end());
    for (size_t i = 0; i < m_a.size(); ++i) {
        const Corner& a = m_cornersA[i];
        // B's wedge lies outside A's: it starts at least A's width past A's
        // start and ends at most a full turn past it.
        if (a.width <= slack) {
            for (size_t j = 0; j < m_b.size(); ++j)
                add(ContactKind::VertexVertex, i, j);
        } else {
            for (size_t k = 0; k < WIDTH_CLASSES; ++k)
                forRange(byWidth[k], a.edgeAngle + a.width - slack, a.edgeAngle + TWO_PI - narrowest[k] + slack,
                         [&](size_t j) { add(ContactKind::VertexVertex, i, j); });
            for (size_t j : thinB)
                add(ContactKind::VertexVertex, i, j);
        }
        // Vertex i of A on an edge of B: the edge runs at least A's width
        // and at most a half turn past A's start.
        forRange(dirB, a.edgeAngle + (a.width <= slack ? -PI : a.width - slack), a.edgeAngle + PI + slack,
                 [&](size_t j) { add(ContactKind::VertexOnEdgeB, i, j); });
    }
    // A vertex of B on an edge of A, likewise.
    for (size_t j = 0; j < m_b.size(); ++j) {
        const Corner& b = m_cornersB[j];
        forRange(dirA, b.edgeAngle + (b.width <= slack ? -PI : b.width - slack), b.edgeAngle + PI + slack,
                 [&](size_t i) { add(ContactKind::VertexOnEdgeA, i, j); });
    }
    // The order of the full search: by i, j and kind. Counted out by the
    // vertex of A first, then each vertex's few by j and kind.
    std::vector<size_t> start(m_a.size() + 1, 0);
    for (const Contact& c : contacts)
        ++start[c.i + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    std::vector<Contact> byVertex(contacts.size());
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (const Contact& c : contacts)
        byVertex[next[c.i]++] = c;
    for (size_t k = 0; k + 1 < start.size(); ++k)
        std::sort(byVertex.begin() + static_cast<std::ptrdiff_t>(start[k]),
                  byVertex.begin() + static_cast<std::ptrdiff_t>(start[k + 1]),
                  [](const Contact& x, const Contact& y) { return std::tie(x.j, x.kind) < std::tie(y.j, y.kind); });
    contacts.swap(byVertex);
    contacts.erase(std::unique(contacts.begin(), contacts.end(),
                               [](const Contact& x, const Contact& y) {
                                   return x.i == y.i && x.j == y.j && x.kind == y.kind;
                               }),
                   contacts.end());
}

double ContactFrame::Slack(double length) const
{
    // Two directions part by less than the tolerance over the shorter of the
    // two lengths that follow them when they are closer than the larger
    // slack of the two.
    return std::clamp(m_tol / std::max(length, m_tol), MIN_ANGLE_TOL, MAX_ANGLE_TOL);
}

ContactFrame::Wedge ContactFrame::WedgeA(size_t i) const
{
    return {m_cornersA[i].edgeAngle, m_cornersA[i].width, m_cornersA[i].slack, m_cornersA[PrevA(i)].slack};
}

ContactFrame::Wedge ContactFrame::WedgeB(size_t j) const
{
    return {m_cornersB[j].edgeAngle, m_cornersB[j].width, m_cornersB[j].slack, m_cornersB[PrevB(j)].slack};
}

bool ContactFrame::Overlap(const Wedge& a, const Wedge& b) const
{
    // One wedge's first ray lies inside the other wedge, clear of both its
    // rays, and that wedge is not a single ray.
    const auto startsInside = [&](const Wedge& outer, const Wedge& inner) {
        double d = Turn(outer.start, inner.start, std::max(outer.startSlack, inner.startSlack));
        return d < outer.width - std::max(outer.endSlack, inner.startSlack) &&
               inner.width > std::max(inner.startSlack, inner.endSlack);
    };
    return startsInside(a, b) || startsInside(b, a);
}

Sector ContactFrame::Hull(const Wedge& wi, const Wedge& wj) const
{
    // The smallest sector holding the wedges I and J, which must leave a gap
    // between them: for two touching vertices, I is A's wedge and J is B's
    // wedge turned half round, and every direction between them pushes B
    // into A.
    Sector s;
    const double tolStarts = std::max(wi.startSlack, wj.startSlack);
    const double dJ = Turn(wi.start, wj.start, tolStarts);
    const double dI = Turn(wj.start, wi.start, tolStarts);
    const auto span = [&](const Wedge& first, const Wedge& second, double offset) {
        // From first's start over first and, `offset` further on, second.
        s.start = first.start;
        s.startSlack = first.startSlack;
        if (first.width >= offset + second.width) {
            s.width = first.width;
            s.endSlack = first.endSlack;
        } else {
            s.width = offset + second.width;
            s.endSlack = second.endSlack;
        }
    };
    if (dJ <= wi.width + std::max(wj.startSlack, wi.endSlack))
        span(wi, wj, dJ);
    else if (dI <= wj.width + std::max(wi.startSlack, wj.endSlack))
        span(wj, wi, dI);
    else if (dJ - wi.width >= dI - wj.width)
        span(wj, wi, dI);
    else
        span(wi, wj, dJ);
    s.full = s.width >= TWO_PI - std::max(s.startSlack, s.endSlack);
    return s;
}

bool ContactFrame::CanTouch(const Contact& c) const
{
    switch (c.kind) {
    case ContactKind::VertexVertex: {
        // The sector's hull alone, without its slide.
        const Wedge wa = WedgeA(c.i);
        const Wedge wb = WedgeB(c.j);
        return !Overlap(wa, wb) && !Hull(wa, {Mod2Pi(wb.start + PI), wb.width, wb.startSlack, wb.endSlack}).full;
    }
    case ContactKind::VertexOnEdgeA: {
        double slack = m_cornersA[c.i].slack;
        return !Overlap(WedgeB(c.j), {m_cornersA[c.i].edgeAngle, PI, slack, slack});
    }
    case ContactKind::VertexOnEdgeB: {
        double slack = m_cornersB[c.j].slack;
        return !Overlap(WedgeA(c.i), {m_cornersB[c.j].edgeAngle, PI, slack, slack});
    }
    }
    return false;
}

bool ContactFrame::Forbids(const Sector& s, double angle, double length) const
{
    if (s.full)
        return true;
    const double slack = Slack(length);
    const double tolStart = std::max(s.startSlack, slack);
    double d = Mod2Pi(angle - s.start);
    if (d > TWO_PI - tolStart)
        d -= TWO_PI;
    return d > tolStart && d < s.width - std::max(s.endSlack, slack);
}

bool ContactFrame::Near(const NPoint& p, const NPoint& q) const
{
    double dx = p.x - q.x;
    double dy = p.y - q.y;
    return dx * dx + dy * dy < m_tol * m_tol;
}

bool ContactFrame::OnSegment(const NPoint& p, const NPoint& q0, const NPoint& q1) const
{
    if (p.x < std::min(q0.x, q1.x) - m_tol || p.x > std::max(q0.x, q1.x) + m_tol ||
        p.y < std::min(q0.y, q1.y) - m_tol || p.y > std::max(q0.y, q1.y) + m_tol)
        return false;
    NPoint e = q1 - q0;
    double len2 = Dot(e, e);
    if (len2 < m_tol * m_tol)
        return Near(p, q0);
    double along = Dot(p - q0, e);
    if (along < -m_tol * std::sqrt(len2) || along > len2 + m_tol * std::sqrt(len2))
        return false;
    double across = Cross(e, p - q0);
    return across * across < m_tol * m_tol * len2;
}

void ContactFrame::EdgesNear(const EdgeGrid& grid, const NPoint& p, std::vector<size_t>& edges) const
{
    // Twice the tolerance: an edge that passes within it of p has a box
    // that meets this one.
    NPoint margin{2.0 * m_tol, 2.0 * m_tol};
    edges.clear();
    grid.AnyNear(p - margin, p + margin, [&](size_t k) {
        edges.push_back(k);
        return false;
    });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
}

ContactFrame::EdgePlace ContactFrame::PlaceOnEdge(const NPoint& p, const NPoint& q0, const NPoint& q1) const
{
    if (p.x < std::min(q0.x, q1.x) - m_tol || p.x > std::max(q0.x, q1.x) + m_tol ||
        p.y < std::min(q0.y, q1.y) - m_tol || p.y > std::max(q0.y, q1.y) + m_tol)
        return EdgePlace::Off;
    NPoint e = q1 - q0;
    double len = Length(e);
    if (len < m_tol)
        return Near(p, q0) ? EdgePlace::Start : EdgePlace::Off;
    double along = Dot(p - q0, e) / len;
    double across = Cross(e, p - q0) / len;
    if (std::fabs(across) >= m_tol || along <= -m_tol || along >= len + m_tol)
        return EdgePlace::Off;
    if (along < m_tol)
        return EdgePlace::Start;
    return along > len - m_tol ? EdgePlace::End : EdgePlace::Inside;
}

void ContactFrame::NearEdges(const EdgeGrid& grid, const std::vector<NPoint>& ring, const NPoint& p,
                             double& clearance, double& expires, double travel, std::vector<size_t>& edges) const
{
    // The edges listed in the cells round p within half a cell's size; every
    // other edge lies at least that far away. The nearest distance found
    // bounds how far the rings may travel before p can touch an edge.
    edges.clear();
    const double reach = std::max(0.5 * grid.CellSize(), 2.0 * m_tol);
    const NPoint margin{reach, reach};
    const double near2 = 4.0 * m_tol * m_tol;
    double best2 = reach * reach;
    grid.AnyNear(p - margin, p + margin, [&](size_t k) {
        const NPoint& q0 = ring[k];
        const NPoint& q1 = ring[k + 1 == ring.size() ? 0 : k + 1];
        // An edge whose box lies farther than the nearest so far changes nothing.
        const double dx = std::max({std::min(q0.x, q1.x) - p.x, p.x - std::max(q0.x, q1.x), 0.0});
        const double dy = std::max({std::min(q0.y, q1.y) - p.y, p.y - std::max(q0.y, q1.y), 0.0});
        if (dx * dx + dy * dy >= best2 && dx * dx + dy * dy >= near2)
            return false;
        const NPoint e = q1 - q0;
        const double len2 = Dot(e, e);
        const double t = len2 > 0.0 ? std::clamp(Dot(p - q0, e) / len2, 0.0, 1.0) : 0.0;
        const NPoint foot = q0 + NPoint{e.x * t, e.y * t};
        const double d2 = Dot(foot - p, foot - p);
        best2 = std::min(best2, d2);
        if (d2 < near2)
            edges.push_back(k);
        return false;
    });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    clearance = std::sqrt(best2);
    expires = clearance + travel;
}

void ContactFrame::FindContacts(const NPoint& shift, std::vector<Contact>& contacts, Clearance* clearance) const
{
    // A vertex that touches an edge or a vertex lies in a grid cell of that
    // edge (each vertex starts an edge); only those edges are tested. A
    // vertex within the tolerance of an edge's end touches that end: it
    // meets a vertex, not an edge.
    contacts.clear();
    if (clearance) {
        UpdateNearLists(*clearance);
        std::vector<bool>& aOnVertex = clearance->onVertex;
        aOnVertex.assign(m_a.size(), false);
        // A vertex that was far from the other ring stays clear of it until
        // the rings have travelled that far.
        const double limit = clearance->travel + 2.0 * m_tol;
        // Most vertices whose bound ran out are still cells away from the
        // other ring: the grid's bound alone renews theirs.
        const auto renewed = [&](const EdgeGrid& grid, const NPoint& p, double& expires) {
            const double lower = grid.LowerDistance(p);
            if (lower <= 2.0 * m_tol)
                return false;
            expires = lower + clearance->travel;
            return true;
        };
        for (size_t j : clearance->nearB) {
            if (clearance->b[j] > limit)
                continue;
            const NPoint p = m_b[j] + shift;
            if (!renewed(*m_gridA, p, clearance->b[j]))
                VertexContacts(true, j, p, clearance, clearance->edges, aOnVertex, contacts);
        }
        for (size_t i : clearance->nearA) {
            if (clearance->a[i] > limit || aOnVertex[i])
                continue;
            const NPoint p = m_a[i] - shift;
            if (!renewed(*m_gridB, p, clearance->a[i]))
                VertexContacts(false, i, p, clearance, clearance->edges, aOnVertex, contacts);
        }
        return;
    }
    std::vector<bool> aOnVertex(m_a.size(), false);
    std::vector<size_t> near;
    for (size_t j = 0; j < m_b.size(); ++j)
        VertexContacts(true, j, m_b[j] + shift, clearance, near, aOnVertex, contacts);
    for (size_t i = 0; i < m_a.size(); ++i)
        if (!aOnVertex[i])
            VertexContacts(false, i, m_a[i] - shift, clearance, near, aOnVertex, contacts);
}

void ContactFrame::UpdateNearLists(Clearance& clearance) const
{
    if (clearance.travel <= clearance.refresh)
        return;
    // A few cells of the finer grid: most moves go no farther, and the
    // lists stay short, as most vertices lie farther from the other ring.
    clearance.horizon = std::max(4.0 * m_tol, 4.0 * std::min(m_gridA->CellSize(), m_gridB->CellSize()));
    const double limit = clearance.travel + 2.0 * clearance.horizon;
    const auto list = [&](const std::vector<double>& expires, std::vector<size_t>& near) {
        near.clear();
        for (size_t k = 0; k < expires.size(); ++k)
            if (expires[k] <= limit)
                near.push_back(k);
    };
    list(clearance.a, clearance.nearA);
    list(clearance.b, clearance.nearB);
    clearance.refresh = clearance.travel + clearance.horizon;
}

void ContactFrame::VertexContacts(bool ofB, size_t m, const NPoint& p, Clearance* clearance,
                                  std::vector<size_t>& near, std::vector<bool>& aOnVertex,
                                  std::vector<Contact>& contacts) const
{
    // A vertex that was far from the other ring stays clear of it until the
    // rings have travelled that far.
    if (clearance && (ofB ? clearance->b : clearance->a)[m] - clearance->travel > 2.0 * m_tol)
        return;
    const std::vector<NPoint>& walls = ofB ? m_a : m_b;
    const EdgeGrid& grid = ofB ? *m_gridA : *m_gridB;
    if (clearance) {
        double room = 0.0;
        NearEdges(grid, walls, p, room, (ofB ? clearance->b : clearance->a)[m], clearance->travel, near);
    } else {
        EdgesNear(grid, p, near);
    }
    const size_t first = contacts.size();
    const ContactKind onEdge = ofB ? ContactKind::VertexOnEdgeA : ContactKind::VertexOnEdgeB;
    bool onVertex = false;
    for (size_t w : near) {
        const size_t next = w + 1 == walls.size() ? 0 : w + 1;
        const EdgePlace place = PlaceOnEdge(p, walls[w], walls[next]);
        if (place == EdgePlace::Off)
            continue;
        if (place == EdgePlace::Inside) {
            contacts.push_back(ofB ? Contact{onEdge, w, m} : Contact{onEdge, m, w});
            continue;
        }
        const size_t end = place == EdgePlace::Start ? w : next;
        const Contact c = ofB ? Contact{ContactKind::VertexVertex, end, m} : Contact{ContactKind::VertexVertex, m, end};
        aOnVertex[c.i] = onVertex = true;
        if (std::none_of(contacts.begin(), contacts.end(), [&](const Contact& d) {
                return d.kind == ContactKind::VertexVertex && d.i == c.i && d.j == c.j;
            }))
            contacts.push_back(c);
    }
    if (onVertex) // the vertex touches a vertex: its edge contacts go
        contacts.erase(std::remove_if(contacts.begin() + static_cast<std::ptrdiff_t>(first), contacts.end(),
                                      [&](const Contact& c) { return c.kind == onEdge; }),
                       contacts.end());
}

Sector ContactFrame::VertexVertexSector(size_t i, size_t j) const
{
    NPoint outA = m_a[NextA(i)] - m_a[i];
    NPoint outB = m_b[NextB(j)] - m_b[j];
    const Wedge wa = WedgeA(i);
    const Wedge wb = WedgeB(j);
    if (Overlap(wa, wb)) {
        Sector s;
        s.full = true;
        return s;
    }
    const Wedge turned{Mod2Pi(wb.start + PI), wb.width, wb.startSlack, wb.endSlack};
    Sector s = Hull(wa, turned);
    NPoint backB = NPoint{0.0, 0.0} - outB;
    const auto same = [&](double angle, double slack) {
        double tol = std::max(s.startSlack, slack);
        return Turn(s.start, angle, tol) < tol || Turn(angle, s.start, tol) < tol;
    };
    bool alongA = same(wa.start, wa.startSlack);
    bool alongB = same(turned.start, turned.startSlack);
    if (alongA && alongB)
        s.slide = Length(outA) <= Length(backB) ? outA : backB;
    else
        s.slide = alongA ? outA : backB;
    return s;
}

Sector ContactFrame::ForbiddenSector(const Contact& c, const NPoint& shift) const
{
    // The slide runs exactly along the edge (the touching vertex may lie a
    // little off it), as far as the edge's end.
    const auto along = [](const NPoint& edge, const NPoint& rest) {
        double len2 = Dot(edge, edge);
        double t = len2 > 0.0 ? std::max(0.0, Dot(rest, edge) / len2) : 0.0;
        return NPoint{edge.x * t, edge.y * t};
    };
    Sector s;
    switch (c.kind) {
    case ContactKind::VertexVertex:
        return VertexVertexSector(c.i, c.j);
    case ContactKind::VertexOnEdgeA:
        s.start = m_cornersA[c.i].edgeAngle;
        s.slide = along(m_a[NextA(c.i)] - m_a[c.i], m_a[NextA(c.i)] - VertexB(c.j, shift));
        break;
    case ContactKind::VertexOnEdgeB:
        s.start = Mod2Pi(m_cornersB[c.j].edgeAngle + PI);
        s.slide = along(m_b[c.j] - m_b[NextB(c.j)], m_a[c.i] - VertexB(NextB(c.j), shift));
        break;
    }
    s.width = PI;
    s.startSlack = s.endSlack = c.kind == ContactKind::VertexOnEdgeA ? m_cornersA[c.i].slack : m_cornersB[c.j].slack;
    return s;
}

bool ContactFrame::Blocks(const Contact& c, const NPoint& dir) const
{
    double len = Length(dir);
    switch (c.kind) {
    // The whole move would carry the vertex deeper than the tolerance
    // across the edge.
    case ContactKind::VertexOnEdgeA: {
        NPoint e = m_a[NextA(c.i)] - m_a[c.i];
        return Cross(e, dir) > std::max(m_tol, MIN_ANGLE_TOL * len) * Length(e);
    }
    case ContactKind::VertexOnEdgeB: {
        NPoint f = m_b[NextB(c.j)] - m_b[c.j];
        return Cross(f, dir) < -std::max(m_tol, MIN_ANGLE_TOL * len) * Length(f);
    }
    case ContactKind::VertexVertex:
        break;
    }
    return Forbids(VertexVertexSector(c.i, c.j), Angle(dir), len);
}

double ContactFrame::EarliestBlock(const NPoint& shift, const NPoint& move, bool bOnA, const Clearance* clearance,
                                   double best) const
{
    // A vertex of one ring travels along `path`; find when it meets an edge
    // of the other ring in a way that blocks the motion.
    const std::vector<NPoint>& movers = bOnA ? m_b : m_a;
    const std::vector<NPoint>& walls = bOnA ? m_a : m_b;
    const std::vector<Corner>& wallCorners = bOnA ? m_cornersA : m_cornersB;
    NPoint path = bOnA ? move : NPoint{-move.x, -move.y};
    NPoint moverShift = bOnA ? shift : NPoint{};
    NPoint wallShift = bOnA ? NPoint{} : shift;
    double pathLen = Length(path);
    double tolT = m_tol / pathLen;
    auto contactAt = [&](size_t mover, size_t wall, ContactKind kind) {
        return bOnA ? Contact{kind, wall, mover} : Contact{kind, mover, wall};
    };
    // A vertex clear of the other ring by more than the move (as far as the
    // earliest block found) cannot hit it: its bound runs out past `limit`.
    // One left out of the near list is clear by more than the horizon.
    const std::vector<double>* expires = clearance ? (bOnA ? &clearance->b : &clearance->a) : nullptr;
    const double travel = clearance ? clearance->travel : 0.0;
    double limit = travel + pathLen * best + 2.0 * m_tol;
    auto consider = [&](double t, const Contact& c) {
        if (t > tolT && t < best && Blocks(c, move)) {
            best = t;
            limit = travel + pathLen * best + 2.0 * m_tol;
        }
    };
    // Only the walls whose grid cells the swept path meets can be hit.
    const EdgeGrid& wallGrid = bOnA ? *m_gridA : *m_gridB;
    const NPoint margin{2.0 * m_tol, 2.0 * m_tol};
    const bool listed = clearance && clearance->travel <= clearance->refresh &&
                        pathLen + 2.0 * m_tol <= clearance->horizon;
    const std::vector<size_t>* nearList = listed ? (bOnA ? &clearance->nearB : &clearance->nearA) : nullptr;
    const size_t count = nearList ? nearList->size() : movers.size();
    for (size_t k = 0; k < count; ++k) {
        const size_t m = nearList ? (*nearList)[k] : k;
        if (expires && (*expires)[m] > limit)
            continue;
        NPoint p = movers[m] + moverShift;
        NPoint reach{path.x * best, path.y * best};
        NPoint lo = NPoint{std::min(p.x, p.x + reach.x), std::min(p.y, p.y + reach.y)} - margin - wallShift;
        NPoint hi = NPoint{std::max(p.x, p.x + reach.x), std::max(p.y, p.y + reach.y)} + margin - wallShift;
        wallGrid.AnyNear(lo, hi, [&](size_t w) {
            size_t wNext = w + 1 == walls.size() ? 0 : w + 1;
            NPoint q0 = walls[w] + wallShift;
            NPoint q1 = walls[wNext] + wallShift;
            double eLen = wallCorners[w].length;
            if (eLen < m_tol || OutsideBox(q0, q1, p, reach, 2.0 * m_tol))
                return false;
            NPoint e = q1 - q0;
            double denom = Cross(path, e);
            if (std::fabs(denom) > 1e-12 * pathLen * eLen) {
                double t = Cross(q0 - p, e) / denom;
                double s = Cross(q0 - p, path) / denom;
                double tolS = m_tol / eLen;
                if (t <= tolT || t > 1.0 + tolT || s < -tolS || s > 1.0 + tolS)
                    return false;
                if (s * eLen < m_tol)
                    consider(t, contactAt(m, w, ContactKind::VertexVertex));
                else if ((1.0 - s) * eLen < m_tol)
                    consider(t, contactAt(m, wNext, ContactKind::VertexVertex));
                else
                    consider(t, contactAt(m, w, bOnA ? ContactKind::VertexOnEdgeA : ContactKind::VertexOnEdgeB));
            } else if (std::fabs(Cross(e, p - q0)) / eLen < m_tol) {
                consider(Dot(q0 - p, path) / (pathLen * pathLen), contactAt(m, w, ContactKind::VertexVertex));
                consider(Dot(q1 - p, path) / (pathLen * pathLen), contactAt(m, wNext, ContactKind::VertexVertex));
            }
            return false;
        });
    }
    return best;
}

double ContactFrame::FreeTravel(const NPoint& shift, const NPoint& move, const Clearance* clearance) const
{
    if (Length(move) < m_tol)
        return 0.0;
    return EarliestBlock(shift, move, false, clearance, EarliestBlock(shift, move, true, clearance, 1.0));
}

bool ContactFrame::EdgesCross(const EdgePair& edges, const NPoint& shift) const
{
    const NPoint& p0 = m_a[edges.i];
    const NPoint& p1 = m_a[NextA(edges.i)];
    NPoint q0 = VertexB(edges.j, shift);
    NPoint q1 = VertexB(NextB(edges.j), shift);
    if (std::max(q0.x, q1.x) < std::min(p0.x, p1.x) || std::min(q0.x, q1.x) > std::max(p0.x, p1.x) ||
        std::max(q0.y, q1.y) < std::min(p0.y, p1.y) || std::min(q0.y, q1.y) > std::max(p0.y, p1.y))
        return false;
    // The ends of each edge lie more than the tolerance away on both sides
    // of the other edge's line.
    auto straddles = [this](double d0, double d1, double len) {
        double lim = m_tol * len;
        return (d0 > lim && d1 < -lim) || (d0 < -lim && d1 > lim);
    };
    NPoint e = p1 - p0;
    NPoint f = q1 - q0;
    return straddles(Cross(e, q0 - p0), Cross(e, q1 - p0), m_cornersA[edges.i].length) &&
           straddles(Cross(f, p0 - q0), Cross(f, p1 - q0), m_cornersB[edges.j].length);
}

bool ContactFrame::HasProperCrossing(const NPoint& shift, EdgePair* crossing) const
{
    // Edges that cross have meeting boxes: only A's edges listed in the grid
    // cells under each edge of B need a test.
    for (size_t j = 0; j < m_b.size(); ++j) {
        NPoint q0 = VertexB(j, shift);
        NPoint q1 = VertexB(NextB(j), shift);
        NPoint lo{std::min(q0.x, q1.x), std::min(q0.y, q1.y)};
        NPoint hi{std::max(q0.x, q1.x), std::max(q0.y, q1.y)};
        bool found = m_gridA->AnyNear(lo, hi, [&](size_t i) {
            if (!EdgesCross({i, j}, shift))
                return false;
            if (crossing)
                *crossing = {i, j};
            return true;
        });
        if (found)
            return true;
    }
    return false;
}

bool ContactFrame::HasVertexInside(const NPoint& shift) const
{
    // Called once no edges cross and every contact keeps the rings apart:
    // each ring then lies wholly on one side of the other, which the first
    // vertex off the other ring tells. A's material lies inside its ring when
    // it runs counter-clockwise and outside it when it runs clockwise (a
    // container).
    const Side materialA = m_counterClockwiseA ? Side::Inside : Side::Outside;
    for (size_t j = 0; j < m_b.size(); ++j) {
        const Side side = Locate(m_a, VertexB(j, shift));
        if (side != Side::Boundary) {
            if (side == materialA)
                return true;
            break;
        }
    }
    for (const NPoint& p : m_a) {
        const Side side = Locate(m_b, p - shift);
        if (side != Side::Boundary)
            return side == Side::Inside;
    }
    return false;
}

bool ContactFrame::IsFeasible(const NPoint& shift, EdgePair* crossing) const
{
    if (HasProperCrossing(shift, crossing))
        return false;
    std::vector<Contact> contacts;
    FindContacts(shift, contacts);
    return std::all_of(contacts.begin(), contacts.end(), [&](const Contact& c) { return CanTouch(c); }) &&
           !HasVertexInside(shift);
}

ContactFrame::Side ContactFrame::Locate(const std::vector<NPoint>& ring, const NPoint& p) const
{
    bool inside = false;
    for (size_t k = 0; k < ring.size(); ++k) {
        const NPoint& q0 = ring[k];
        const NPoint& q1 = ring[(k + 1) % ring.size()];
        if (OnSegment(p, q0, q1))
            return Side::Boundary;
        if ((q0.y > p.y) != (q1.y > p.y)) {
            double x = q0.x + (p.y - q0.y) * (q1.x - q0.x) / (q1.y - q0.y);
            if (x > p.x)
                inside = !inside;
        }
    }
    return inside ? Side::Inside : Side::Outside;
}

bool ContactFrame::OnRing(const std::vector<NPoint>& ring, const NPoint& p) const
{
    if (ring.size() == 1)
        return Length(p - ring[0]) < m_tol;
    for (size_t k = 0; k < ring.size(); ++k)
        if (OnSegment(p, ring[k], ring[(k + 1) % ring.size()]))
            return true;
    return false;
}

bool ContactFrame::OnRing(const IndexedRing& ring, const NPoint& p) const
{
    const std::vector<NPoint>& pts = ring.points;
    if (pts.size() < 2)
        return OnRing(pts, p);
    // An edge within the tolerance of p has a box that meets this one.
    const NPoint margin{2.0 * m_tol, 2.0 * m_tol};
    return ring.grid.AnyNear(p - margin, p + margin,
                             [&](size_t k) { return OnSegment(p, pts[k], pts[(k + 1) % pts.size()]); });
}

ContactFrame::Side ContactFrame::Locate(const IndexedRing& ring, const NPoint& p) const
{
    if (OnRing(ring, p))
        return Side::Boundary;
    // Count the edges the ray from p to the right crosses, each in the one
    // grid column that holds its crossing.
    const std::vector<NPoint>& pts = ring.points;
    bool inside = false;
    ring.grid.ForEachOnRay(p, [&](size_t k, size_t column) {
        const NPoint& q0 = pts[k];
        const NPoint& q1 = pts[(k + 1) % pts.size()];
        if ((q0.y > p.y) == (q1.y > p.y))
            return;
        double x = q0.x + (p.y - q0.y) * (q1.x - q0.x) / (q1.y - q0.y);
        x = std::clamp(x, std::min(q0.x, q1.x), std::max(q0.x, q1.x));
        if (x > p.x && ring.grid.Col(x) == column)
            inside = !inside;
    });
    return inside ? Side::Inside : Side::Outside;
}

} // namespace nfp
