#include "engine/WasteBuilder.h"

#include "host/VarnelAPI.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <unordered_map>

namespace {

constexpr double GRID_MERGE = 0.1;  // coordinates closer than this give one grid line
constexpr double SNAP_FACTOR = 2.5; // remnants closer than this many half gaps are snapped together
// How far a part's ring may pass from the polyline through those of its
// vertices that give grid lines, at most and as a share of the ring's
// smaller side: a curve followed finely gives about as many lines as a
// coarse one (a round about sixteen), while the cells are judged against
// the ring itself, so that no free cell reaches into the part.
constexpr double LINE_SAG = 4.0;
constexpr double LINE_SAG_SHARE = 0.01;
// Lines along a hole's slanted edges at most this share of its smaller side apart.
constexpr double HOLE_STEP_SHARE = 0.25;
constexpr double HOLE_MOST_PIECES = 16.0;

using RowRun = WasteBuilder::RowRun;
using RowRuns = WasteBuilder::RowRuns;

// The grid lines of one axis: a coordinate closer than GRID_MERGE to a line
// goes with the line met first.
class GridLines {
public:
    // Adds the coordinate unless a line stands within the merge distance;
    // returns how far the line that stands for it lies from it.
    double Add(double v)
    {
        const std::pair<const double, size_t>* first = nullptr;
        const auto end = m_lines.lower_bound(v + 2.0 * GRID_MERGE);
        for (auto it = m_lines.lower_bound(v - 2.0 * GRID_MERGE); it != end; ++it) {
            if (std::fabs(it->first - v) < GRID_MERGE && (!first || it->second < first->second))
                first = &*it;
        }
        if (!first) {
            m_lines.emplace(v, m_lines.size());
            return 0.0;
        }
        return std::fabs(first->first - v);
    }

    std::vector<double> Ascending() const
    {
        std::vector<double> lines;
        lines.reserve(m_lines.size());
        for (const auto& entry : m_lines)
            lines.push_back(entry.first);
        return lines;
    }

private:
    std::map<double, size_t> m_lines; // line, the order it was met in
};

// A ring that gives grid lines, and whether it is a part's hole.
struct GridRing {
    const NPolygon* ring;
    bool hole;
};

// The rings that give grid lines: the sheet, then per part its outer contour
// and its holes, unless one hole's gabarit is larger than the outer one's.
std::vector<GridRing> GridPolygons(const NPolygon& sheet, const std::vector<VectorPolygon>& figures)
{
    std::vector<GridRing> polygons{{&sheet, false}};
    for (const VectorPolygon& borders : figures) {
        if (borders.empty() || !borders.front() || borders.front()->m_points.empty())
            continue;
        const NPolygon& outer = *borders.front();
        polygons.push_back({&outer, false});
        const double outerArea = outer.GetGabaritArea();
        const bool holesLarger = std::any_of(borders.begin() + 1, borders.end(), [outerArea](const NPolygonPtr& h) {
            return h && h->GetGabaritArea() > outerArea;
        });
        if (holesLarger)
            continue;
        for (size_t k = 1; k < borders.size(); ++k) {
            if (borders[k] && borders[k]->GetGabaritArea() < outerArea)
                polygons.push_back({borders[k].get(), true});
        }
    }
    return polygons;
}

// The vertices of `ring` that give grid lines: its outermost ones along
// either axis, and between them those that a polyline through the kept ones
// would pass farther than `tolerance` from (each run split at its farthest
// vertex in turn). A ring of three or fewer keeps every vertex.
std::vector<NPoint> LineVertices(const std::vector<NPoint>& ring, double tolerance)
{
    const size_t n = ring.size();
    if (n < 4 || tolerance <= 0.0)
        return ring;
    std::vector<bool> kept(n, false);
    size_t ends[4] = {0, 0, 0, 0};
    for (size_t k = 1; k < n; ++k) {
        if (ring[k].x < ring[ends[0]].x)
            ends[0] = k;
        if (ring[k].x > ring[ends[1]].x)
            ends[1] = k;
        if (ring[k].y < ring[ends[2]].y)
            ends[2] = k;
        if (ring[k].y > ring[ends[3]].y)
            ends[3] = k;
    }
    for (size_t e : ends)
        kept[e] = true;
    std::vector<size_t> anchors;
    for (size_t k = 0; k < n; ++k)
        if (kept[k])
            anchors.push_back(k);
    std::vector<std::pair<size_t, size_t>> runs; // from, to: indices modulo the count, to past from
    for (size_t a = 0; a < anchors.size(); ++a) {
        const size_t from = anchors[a];
        const size_t to = a + 1 < anchors.size() ? anchors[a + 1] : anchors[0] + n;
        runs.emplace_back(from, to);
    }
    while (!runs.empty()) {
        const auto [from, to] = runs.back();
        runs.pop_back();
        double farthest = tolerance;
        size_t split = 0;
        for (size_t k = from + 1; k < to; ++k) {
            const double d = DistancePointToSegment(ring[k % n], ring[from % n], ring[to % n]);
            if (d > farthest) {
                farthest = d;
                split = k;
            }
        }
        if (split == 0)
            continue;
        kept[split % n] = true;
        runs.emplace_back(from, split);
        runs.emplace_back(split, to);
    }
    std::vector<NPoint> points;
    for (size_t k = 0; k < n; ++k)
        if (kept[k])
            points.push_back(ring[k]);
    return points;
}

// The points along the ring through `points` that give grid lines: each
// point, and on an edge that runs farther than `step` along both axes,
// points at most `step` apart along either (in at most HOLE_MOST_PIECES
// pieces), so that the cells it crosses (and loses to the part) are no
// larger.
std::vector<NPoint> AlongEdges(const std::vector<NPoint>& points, double step)
{
    if (!(step > 0.0))
        return points;
    std::vector<NPoint> along;
    for (size_t k = 0; k < points.size(); ++k) {
        const NPoint& a = points[k];
        const NPoint& b = points[(k + 1) % points.size()];
        along.push_back(a);
        const double dx = b.x - a.x, dy = b.y - a.y;
        if (!(std::fabs(dx) > step && std::fabs(dy) > step))
            continue;
        const double pieces = std::min(std::ceil(std::max(std::fabs(dx), std::fabs(dy)) / step), HOLE_MOST_PIECES);
        for (double m = 1.0; m < pieces; m += 1.0)
            along.push_back({a.x + dx * m / pieces, a.y + dy * m / pieces});
    }
    return along;
}

// The first index of [0, count) at which `pred` holds (it holds from there on).
template <typename Pred>
uint32_t FirstWhere(uint32_t count, Pred pred)
{
    uint32_t lo = 0, hi = count;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// Sorted, joined, none empty.
void Normalise(RowRuns& runs)
{
    std::erase_if(runs, [](const RowRun& r) { return r.begin >= r.end; });
    std::sort(runs.begin(), runs.end(), [](const RowRun& a, const RowRun& b) { return a.begin < b.begin; });
    size_t kept = 0;
    for (const RowRun& r : runs) {
        if (kept > 0 && r.begin <= runs[kept - 1].end)
            runs[kept - 1].end = std::max(runs[kept - 1].end, r.end);
        else
            runs[kept++] = r;
    }
    runs.resize(kept);
}

// The rows of normalised `runs` that none of normalised `minus` holds.
RowRuns Without(const RowRuns& runs, const RowRuns& minus)
{
    RowRuns rest;
    size_t k = 0;
    for (const RowRun& r : runs) {
        uint32_t from = r.begin;
        while (k < minus.size() && minus[k].end <= from)
            ++k;
        for (size_t m = k; m < minus.size() && minus[m].begin < r.end; ++m) {
            if (minus[m].begin > from)
                rest.push_back({from, minus[m].begin});
            from = std::max(from, minus[m].end);
        }
        if (from < r.end)
            rest.push_back({from, r.end});
    }
    return rest;
}

// The cells of the grid as the parts take them, by rows of a column.
class GridCells {
public:
    GridCells(const std::vector<double>& lineX, const std::vector<double>& lineY)
        : m_x(lineX), m_y(lineY), m_columns(static_cast<uint32_t>(lineX.size() - 1)),
          m_rows(static_cast<uint32_t>(lineY.size() - 1))
    {
        for (uint32_t i = 0; i < m_columns; ++i)
            m_cx.push_back((m_x[i] + m_x[i + 1]) * 0.5);
        for (uint32_t j = 0; j < m_rows; ++j)
            m_cy.push_back((m_y[j] + m_y[j + 1]) * 0.5);
    }

    uint32_t Columns() const { return m_columns; }
    uint32_t Rows() const { return m_rows; }

    // The columns (rows) whose centres lie strictly between lo and hi.
    RowRun ColumnsCentredIn(double lo, double hi) const
    {
        return {FirstWhere(m_columns, [&](uint32_t i) { return m_cx[i] < hi; }),
                FirstWhere(m_columns, [&](uint32_t i) { return !(m_cx[i] > lo); })};
    }
    RowRun RowsCentredIn(double lo, double hi) const
    {
        return {FirstWhere(m_rows, [&](uint32_t j) { return m_cy[j] > lo; }),
                FirstWhere(m_rows, [&](uint32_t j) { return !(m_cy[j] < hi); })};
    }
    // The rows whose centres lie within lo..hi, bounds included.
    RowRun RowsCentredWithin(double lo, double hi) const
    {
        return {FirstWhere(m_rows, [&](uint32_t j) { return m_cy[j] >= lo; }),
                FirstWhere(m_rows, [&](uint32_t j) { return m_cy[j] > hi; })};
    }
    // The rows whose cells, shrunk by EPS, a stretch of an edge from height
    // lo to hi crosses (across the column's inside).
    RowRun RowsCrossed(double lo, double hi) const
    {
        return {FirstWhere(m_rows, [&](uint32_t j) { return m_y[j + 1] - EPS > lo; }),
                FirstWhere(m_rows, [&](uint32_t j) { return !(m_y[j] + EPS < hi); })};
    }
    // The row lines strictly between lo and hi, and within lo..hi.
    RowRun LinesIn(double lo, double hi) const
    {
        const auto lines = static_cast<uint32_t>(m_y.size());
        return {FirstWhere(lines, [&](uint32_t l) { return m_y[l] > lo; }),
                FirstWhere(lines, [&](uint32_t l) { return !(m_y[l] < hi); })};
    }
    RowRun LinesWithin(double lo, double hi) const
    {
        const auto lines = static_cast<uint32_t>(m_y.size());
        return {FirstWhere(lines, [&](uint32_t l) { return m_y[l] >= lo; }),
                FirstWhere(lines, [&](uint32_t l) { return m_y[l] > hi; })};
    }

    // The columns whose strips, grown by `margin`, meet x from lo to hi.
    RowRun ColumnsMeeting(double lo, double hi, double margin) const
    {
        return {FirstWhere(m_columns, [&](uint32_t i) { return m_x[i + 1] <= hi + margin; }),
                FirstWhere(m_columns, [&](uint32_t i) { return m_x[i] < lo - margin; })};
    }

    double Left(uint32_t i) const { return m_x[i + 1]; }
    double Right(uint32_t i) const { return m_x[i]; }
    double CentreX(uint32_t i) const { return m_cx[i]; }

private:
    const std::vector<double>& m_x; // descending
    const std::vector<double>& m_y; // ascending
    uint32_t m_columns;
    uint32_t m_rows;
    std::vector<double> m_cx;
    std::vector<double> m_cy;
};

// The heights over which edge a-b runs between x0 and x1 (`open`: strictly
// between, over some length); false for none.
bool HeightsWithin(const NPoint& a, const NPoint& b, double x0, double x1, bool open, double& lo, double& hi)
{
    const double ax = std::min(a.x, b.x);
    const double bx = std::max(a.x, b.x);
    if (a.x == b.x) {
        if (open ? !(x0 < a.x && a.x < x1) : !(x0 <= a.x && a.x <= x1))
            return false;
        lo = std::min(a.y, b.y);
        hi = std::max(a.y, b.y);
        return true;
    }
    const double u0 = std::max(ax, x0);
    const double u1 = std::min(bx, x1);
    if (open ? !(u0 < u1) : !(u0 <= u1))
        return false;
    const auto at = [&](double x) { return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x); };
    const double y0 = at(u0);
    const double y1 = at(u1);
    lo = std::min(y0, y1);
    hi = std::max(y0, y1);
    return true;
}

// What the edges of one ring give a column: the stretches that cross its
// cells shrunk by EPS, and the heights where they cut its middle line and
// its left and right sides.
struct RingMarks {
    RowRuns crossed;
    std::vector<double> cuts;
    std::vector<double> leftCuts;
    std::vector<double> rightCuts;
    // The heights on its left and right sides within EPS of an edge.
    std::vector<std::pair<double, double>> leftAlong;
    std::vector<std::pair<double, double>> rightAlong;
};

// The marks of `ring` in columns [columns.begin, columns.end) of the grid,
// by column from there.
void MarkRing(const NPolygon& ring, const GridCells& grid, const RowRun& columns, std::vector<RingMarks>& marks)
{
    const std::vector<NPoint>& pts = ring.m_points;
    for (size_t k = 0; k < pts.size(); ++k) {
        const NPoint& a = pts[k == 0 ? pts.size() - 1 : k - 1];
        const NPoint& b = pts[k];
        const RowRun span = grid.ColumnsMeeting(std::min(a.x, b.x), std::max(a.x, b.x), 2.0 * EPS);
        const auto cut = [&](double x, std::vector<double>& cuts) {
            if ((a.x <= x) != (b.x <= x))
                cuts.push_back(a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x));
        };
        // The heights on the line x = `x` within EPS of the edge (the
        // border, as the point-in-polygon test takes it): in the edge's
        // box widened by EPS and nearer than EPS to its line, or within EPS
        // of an end.
        const auto along = [&](double x, std::vector<std::pair<double, double>>& stretches) {
            for (const NPoint& end : {a, b})
                if (std::fabs(end.x - x) < EPS)
                    stretches.emplace_back(end.y - EPS, end.y + EPS);
            if (!(std::min(a.x, b.x) - EPS < x && x < std::max(a.x, b.x) + EPS))
                return;
            double lo = std::min(a.y, b.y) - EPS, hi = std::max(a.y, b.y) + EPS;
            const double dx = b.x - a.x, dy = b.y - a.y;
            if (std::fabs(dx) >= EPS) {
                // |dy (x - a.x) - dx (y - a.y)| / length < EPS
                const double length = std::hypot(dx, dy);
                const double y0 = a.y + dy * (x - a.x) / dx;
                const double reach = EPS * length / std::fabs(dx);
                lo = std::max(lo, y0 - reach);
                hi = std::min(hi, y0 + reach);
            } else if (!(std::fabs(a.x - x) < EPS)) {
                return;
            }
            if (lo < hi)
                stretches.emplace_back(lo, hi);
        };
        for (uint32_t i = std::max(span.begin, columns.begin); i < std::min(span.end, columns.end); ++i) {
            RingMarks& m = marks[i - columns.begin];
            double lo = 0.0, hi = 0.0;
            if (HeightsWithin(a, b, grid.Left(i) + EPS, grid.Right(i) - EPS, true, lo, hi)) {
                // A ring's edges follow one another: one joining the last
                // run met in the column extends it (as Normalise would).
                const RowRun rows = grid.RowsCrossed(lo, hi);
                RowRun* last = m.crossed.empty() ? nullptr : &m.crossed.back();
                if (last && rows.begin < rows.end && last->begin < last->end && rows.begin <= last->end &&
                    last->begin <= rows.end) {
                    last->begin = std::min(last->begin, rows.begin);
                    last->end = std::max(last->end, rows.end);
                } else {
                    m.crossed.push_back(rows);
                }
            }
            cut(grid.CentreX(i), m.cuts);
            cut(grid.Left(i), m.leftCuts);
            cut(grid.Right(i), m.rightCuts);
            along(grid.Left(i), m.leftAlong);
            along(grid.Right(i), m.rightAlong);
        }
    }
    for (RingMarks& m : marks) {
        Normalise(m.crossed);
        std::sort(m.cuts.begin(), m.cuts.end());
        std::sort(m.leftCuts.begin(), m.leftCuts.end());
        std::sort(m.rightCuts.begin(), m.rightCuts.end());
    }
}

// The rows whose centres lie inside the ring along the column's middle
// line: within its cuts, `widen` beyond them (less where negative).
RowRuns CentresInside(const RingMarks& m, const GridCells& grid, double widen)
{
    RowRuns runs;
    for (size_t k = 0; k + 1 < m.cuts.size(); k += 2)
        runs.push_back(widen >= 0.0 ? grid.RowsCentredWithin(m.cuts[k] - widen, m.cuts[k + 1] + widen)
                                    : grid.RowsCentredIn(m.cuts[k] - widen, m.cuts[k + 1] + widen));
    Normalise(runs);
    return runs;
}

// The rows with a corner (`all`: both corners) on a side of the column
// inside the ring, given the side's cuts and its heights within EPS of an
// edge (the border): with `border` those count as inside, else as outside.
RowRuns CornersInside(const std::vector<double>& cuts, const std::vector<std::pair<double, double>>& near,
                      const GridCells& grid, bool border, bool all)
{
    RowRuns lines;
    for (size_t k = 0; k + 1 < cuts.size(); k += 2)
        lines.push_back(grid.LinesWithin(cuts[k], cuts[k + 1]));
    Normalise(lines);
    if (!near.empty()) {
        RowRuns on;
        for (const auto& [lo, hi] : near)
            on.push_back(grid.LinesIn(lo, hi));
        Normalise(on);
        if (border) {
            lines.insert(lines.end(), on.begin(), on.end());
            Normalise(lines);
        } else {
            lines = Without(lines, on);
        }
    }
    // Row j has its corners on lines j and j + 1.
    RowRuns runs;
    for (const RowRun& l : lines) {
        if (all)
            runs.push_back({l.begin, std::min(l.end - 1, grid.Rows())});
        else
            runs.push_back({l.begin > 0 ? l.begin - 1 : 0, std::min(l.end, grid.Rows())});
    }
    Normalise(runs);
    return runs;
}

RowRuns Both(const RowRuns& a, const RowRuns& b, const GridCells& grid)
{
    return Without(a, Without(RowRuns{{0, grid.Rows()}}, b));
}

// The cells a part takes, appended to their columns' runs in `taken`: those
// whose centre lies within its outer contour's gabarit (widened by EPS) and
// that its outer contour reaches into (an edge crosses the cell shrunk by
// EPS, a corner lies inside it or its centre lies inside it or on its
// border; a triangle's border holds a corner too), less those lying in a
// hole (the corners inside it or on its border, the centre inside it off
// its border, and none of its edges crossing the cell).
void TakeByPart(const VectorPolygon& borders, const GridCells& grid, std::vector<RowRuns>& taken)
{
    const NPolygon& outer = *borders.front();
    const NRect& box = outer.GetGabarit();
    const RowRun columns = grid.ColumnsCentredIn(box.pBot.x - EPS, box.pTop.x + EPS);
    const RowRun rows = grid.RowsCentredIn(box.pBot.y - EPS, box.pTop.y + EPS);
    if (columns.begin >= columns.end || rows.begin >= rows.end)
        return;
    const bool triangle = outer.m_points.size() == 3;
    const size_t count = columns.end - columns.begin;
    std::vector<RingMarks> outerMarks(count);
    MarkRing(outer, grid, columns, outerMarks);
    std::vector<std::vector<RingMarks>> holeMarks;
    for (size_t k = 1; k < borders.size(); ++k) {
        if (borders[k] && !borders[k]->m_points.empty()) {
            holeMarks.emplace_back(count);
            MarkRing(*borders[k], grid, columns, holeMarks.back());
        }
    }
    for (size_t c = 0; c < count; ++c) {
        const RingMarks& m = outerMarks[c];
        RowRuns hit = CentresInside(m, grid, EPS);
        for (const RowRuns& more : {m.crossed, CornersInside(m.leftCuts, m.leftAlong, grid, triangle, false),
                                    CornersInside(m.rightCuts, m.rightAlong, grid, triangle, false)})
            hit.insert(hit.end(), more.begin(), more.end());
        Normalise(hit);
        for (RowRun& r : hit) {
            r.begin = std::max(r.begin, rows.begin);
            r.end = std::min(r.end, rows.end);
        }
        Normalise(hit);
        if (hit.empty())
            continue;
        RowRuns inHoles;
        for (const std::vector<RingMarks>& hole : holeMarks) {
            const RingMarks& h = hole[c];
            RowRuns inside = CentresInside(h, grid, -EPS);
            inside = Both(inside, CornersInside(h.leftCuts, h.leftAlong, grid, true, true), grid);
            inside = Both(inside, CornersInside(h.rightCuts, h.rightAlong, grid, true, true), grid);
            inside = Without(inside, h.crossed);
            inHoles.insert(inHoles.end(), inside.begin(), inside.end());
        }
        Normalise(inHoles);
        RowRuns& column = taken[columns.begin + c];
        for (const RowRun& r : Without(hit, inHoles))
            column.push_back(r);
    }
}

// The cells off the sheet, appended to their columns' runs in `taken`: those
// whose centre lies outside its gabarit widened by EPS, and for a sheet of
// another shape than a rectangle those that its outline crosses or whose
// centre lies outside it.
void TakeOffSheet(const NPolygon& sheet, const GridCells& grid, std::vector<RowRuns>& taken)
{
    const NRect& box = sheet.GetGabarit();
    const RowRun columns = grid.ColumnsCentredIn(box.pBot.x - EPS, box.pTop.x + EPS);
    const RowRun rows = grid.RowsCentredIn(box.pBot.y - EPS, box.pTop.y + EPS);
    const uint32_t all = grid.Rows();
    for (uint32_t i = 0; i < grid.Columns(); ++i) {
        if (i < columns.begin || i >= columns.end)
            taken[i].push_back({0, all});
        taken[i].push_back({0, rows.begin});
        taken[i].push_back({rows.end, all});
    }
    if (sheet.CheckRectangle() || columns.begin >= columns.end)
        return;
    std::vector<RingMarks> marks(columns.end - columns.begin);
    MarkRing(sheet, grid, columns, marks);
    for (size_t c = 0; c < marks.size(); ++c) {
        const RowRuns on = Without(CentresInside(marks[c], grid, EPS), marks[c].crossed);
        const RowRuns off = Without(RowRuns{{0, all}}, on);
        taken[columns.begin + c].insert(taken[columns.begin + c].end(), off.begin(), off.end());
    }
}

double Area(const WasteBuilder::NRectangle& r)
{
    return std::fabs(r.Width() * r.Height());
}

bool RectsIntersect(const WasteBuilder::NRectangle& a, const WasteBuilder::NRectangle& b)
{
    return CheckIntersectRects(a.GetRect(), b.GetRect());
}

// The two rectangles share area, not merely an edge.
bool RectsOverlap(const WasteBuilder::NRectangle& a, const WasteBuilder::NRectangle& b)
{
    const NRect ra = a.GetRect();
    const NRect rb = b.GetRect();
    return std::min(ra.pTop.x, rb.pTop.x) - std::max(ra.pBot.x, rb.pBot.x) > EPS &&
           std::min(ra.pTop.y, rb.pTop.y) - std::max(ra.pBot.y, rb.pBot.y) > EPS;
}

bool SpansInY(const WasteBuilder::NRectangle& outer, const WasteBuilder::NRectangle& inner)
{
    return outer.y1 < inner.y1 + EPS && outer.y2 > inner.y2 - EPS;
}

// The largest by area, the first on ties.
WasteBuilder::NRectanglePtr Largest(const std::vector<WasteBuilder::NRectanglePtr>& rects)
{
    WasteBuilder::NRectanglePtr best;
    for (const auto& r : rects) {
        if (!best || Area(*r) > Area(*best))
            best = r;
    }
    return best;
}

// Rectangles found by where they lie: filed in the squares of a grid that
// their boxes (grown by EPS) reach, those reaching very many squares in a
// list of their own; a query gives every rectangle filed near a box, each
// once, that the caller tests.
class RectangleIndex {
public:
    explicit RectangleIndex(const std::vector<WasteBuilder::NRectanglePtr>& rects)
    {
        if (rects.empty())
            return;
        NRect all = rects.front()->GetRect();
        std::vector<double> sizes;
        for (const auto& r : rects) {
            const NRect b = r->GetRect();
            all = {{std::min(all.pBot.x, b.pBot.x), std::min(all.pBot.y, b.pBot.y)},
                   {std::max(all.pTop.x, b.pTop.x), std::max(all.pTop.y, b.pTop.y)}};
            sizes.push_back(std::min(b.pTop.x - b.pBot.x, b.pTop.y - b.pBot.y));
        }
        std::nth_element(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2), sizes.end());
        const double span = std::max(all.pTop.x - all.pBot.x, all.pTop.y - all.pBot.y);
        m_origin = all.pBot;
        m_square = std::max({2.0 * sizes[sizes.size() / 2], span / 1024.0, 1.0});
        m_across = static_cast<int64_t>((all.pTop.x - all.pBot.x) / m_square) + 1;
    }

    void Add(size_t id, const WasteBuilder::NRectangle& rect)
    {
        const auto [c0, r0, c1, r1] = Squares(rect.GetRect());
        if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMostSquares) {
            m_large.push_back(id);
            return;
        }
        for (int64_t r = r0; r <= r1; ++r)
            for (int64_t c = c0; c <= c1; ++c)
                m_squares[r * m_across + c].push_back(id);
    }

    // The rectangles filed near the box, each once, in no particular order.
    const std::vector<size_t>& Near(const NRect& box)
    {
        m_found.clear();
        ++m_stamp;
        const auto take = [&](size_t id) {
            if (id >= m_seen.size())
                m_seen.resize(id + 1, 0);
            if (m_seen[id] != m_stamp) {
                m_seen[id] = m_stamp;
                m_found.push_back(id);
            }
        };
        for (size_t id : m_large)
            take(id);
        const auto [c0, r0, c1, r1] = Squares(box);
        if ((c1 - c0 + 1) * (r1 - r0 + 1) > static_cast<int64_t>(m_squares.size())) {
            for (const auto& [square, ids] : m_squares)
                for (size_t id : ids)
                    take(id);
            return m_found;
        }
        for (int64_t r = r0; r <= r1; ++r) {
            for (int64_t c = c0; c <= c1; ++c) {
                const auto it = m_squares.find(r * m_across + c);
                if (it != m_squares.end())
                    for (size_t id : it->second)
                        take(id);
            }
        }
        return m_found;
    }

private:
    static constexpr int64_t kMostSquares = 4096;

    std::array<int64_t, 4> Squares(const NRect& box) const
    {
        const auto at = [&](double v, double base) {
            return static_cast<int64_t>(std::clamp(std::floor((v - base) / m_square), -1.0, 1e9));
        };
        const int64_t c0 = std::max<int64_t>(0, at(box.pBot.x - 2.0 * EPS, m_origin.x));
        const int64_t c1 = std::min<int64_t>(m_across - 1, at(box.pTop.x + 2.0 * EPS, m_origin.x));
        const int64_t r0 = std::max<int64_t>(0, at(box.pBot.y - 2.0 * EPS, m_origin.y));
        const int64_t r1 = std::max<int64_t>(r0, at(box.pTop.y + 2.0 * EPS, m_origin.y));
        return {c0, r0, std::max(c0, c1), r1};
    }

    NPoint m_origin;
    double m_square = 1.0;
    int64_t m_across = 1;
    std::unordered_map<int64_t, std::vector<size_t>> m_squares;
    std::vector<size_t> m_large;
    std::vector<size_t> m_found;
    std::vector<uint32_t> m_seen;
    uint32_t m_stamp = 0;
};

// The parts' ring edges, and the sheet's but those along its gabarit (the
// remnants reach the sheet's sides), looked up by the parts' gabarits.
class RingEdges {
public:
    struct Edge {
        NPoint a, b;
    };

    RingEdges(const NPolygon& sheet, const std::vector<VectorPolygon>& figures) : m_figures(figures)
    {
        const NRect& g = sheet.GetGabarit();
        const auto onSide = [](double a, double b, double lo, double hi) {
            return (std::fabs(a - lo) < EPS && std::fabs(b - lo) < EPS) ||
                   (std::fabs(a - hi) < EPS && std::fabs(b - hi) < EPS);
        };
        for (size_t k = 0; k < sheet.m_points.size(); ++k) {
            const NPoint& a = sheet.m_points[k];
            const NPoint& b = sheet.m_points[(k + 1) % sheet.m_points.size()];
            if (!onSide(a.x, b.x, g.pBot.x, g.pTop.x) && !onSide(a.y, b.y, g.pBot.y, g.pTop.y))
                m_sheetEdges.push_back({a, b});
        }
        std::vector<WasteBuilder::NRectanglePtr> boxes;
        for (size_t k = 0; k < figures.size(); ++k) {
            const VectorPolygon& rings = figures[k];
            if (rings.empty() || !rings.front() || rings.front()->m_points.size() < 2)
                continue;
            NRect b = rings.front()->GetGabarit();
            for (const NPolygonPtr& ring : rings) {
                if (ring && !ring->m_points.empty()) {
                    const NRect& h = ring->GetGabarit();
                    b = {{std::min(b.pBot.x, h.pBot.x), std::min(b.pBot.y, h.pBot.y)},
                         {std::max(b.pTop.x, h.pTop.x), std::max(b.pTop.y, h.pTop.y)}};
                }
            }
            boxes.push_back(std::make_shared<WasteBuilder::NRectangle>(b.pTop.x, b.pBot.y, b.pBot.x, b.pTop.y, 0, 0));
            m_parts.push_back(k);
        }
        m_boxes = std::make_unique<RectangleIndex>(boxes);
        for (size_t k = 0; k < boxes.size(); ++k)
            m_boxes->Add(k, *boxes[k]);
        m_gabarits.reserve(boxes.size());
        for (const auto& b : boxes)
            m_gabarits.push_back(b->GetRect());
    }

    // The edges that come nearer to `box` than `distance`.
    void Near(const NRect& box, double distance, std::vector<Edge>& out)
    {
        out.clear();
        const auto take = [&](const NPoint& a, const NPoint& b) {
            if (Distance({a, b}, box) < distance)
                out.push_back({a, b});
        };
        for (const Edge& e : m_sheetEdges)
            take(e.a, e.b);
        const NRect wide{{box.pBot.x - distance, box.pBot.y - distance}, {box.pTop.x + distance, box.pTop.y + distance}};
        m_found = m_boxes->Near(wide);
        std::sort(m_found.begin(), m_found.end());
        for (size_t k : m_found) {
            const NRect& g = m_gabarits[k];
            if (g.pBot.x > wide.pTop.x || g.pTop.x < wide.pBot.x || g.pBot.y > wide.pTop.y || g.pTop.y < wide.pBot.y)
                continue;
            for (const NPolygonPtr& ring : m_figures[m_parts[k]]) {
                if (!ring || ring->m_points.size() < 2)
                    continue;
                const std::vector<NPoint>& p = ring->m_points;
                for (size_t v = 0; v < p.size(); ++v) {
                    const NPoint& a = p[v];
                    const NPoint& b = p[(v + 1) % p.size()];
                    if (std::max(a.x, b.x) < wide.pBot.x || std::min(a.x, b.x) > wide.pTop.x ||
                        std::max(a.y, b.y) < wide.pBot.y || std::min(a.y, b.y) > wide.pTop.y)
                        continue;
                    take(a, b);
                }
            }
        }
    }

    // How far the edge passes from the box (0 where it enters it).
    static double Distance(const Edge& e, const NRect& box)
    {
        if (SegmentMeetsRect(e.a, e.b, box))
            return 0.0;
        const auto fromBox = [&box](const NPoint& p) {
            return std::hypot(std::max({box.pBot.x - p.x, 0.0, p.x - box.pTop.x}),
                              std::max({box.pBot.y - p.y, 0.0, p.y - box.pTop.y}));
        };
        return std::min({fromBox(e.a), fromBox(e.b), DistancePointToSegment(box.pBot, e.a, e.b),
                         DistancePointToSegment(box.pTop, e.a, e.b),
                         DistancePointToSegment({box.pBot.x, box.pTop.y}, e.a, e.b),
                         DistancePointToSegment({box.pTop.x, box.pBot.y}, e.a, e.b)});
    }

private:
    const std::vector<VectorPolygon>& m_figures;
    std::vector<Edge> m_sheetEdges;
    std::vector<size_t> m_parts; // the figures with an outline, by their box's index
    std::vector<NRect> m_gabarits;
    std::unique_ptr<RectangleIndex> m_boxes;
    std::vector<size_t> m_found;
};

// The remnant `r`, inset from `before` by the gap, given back what the inset
// took beyond need: each inset side (not `shared` with another remnant: left,
// right, bottom, top) moved out again towards where it stood
// before as far as every edge of `near` stays `clearance` away from the
// remnant (first all of them alike, then each in turn: left, right, bottom,
// top). A side beside a part's edge along the axes keeps its inset; beside
// slanted edges or round ones it comes as near as the clearance lets it.
// It never enters a remnant `beside` it. A side gaining less than a grid
// line's merging keeps its inset.
void GiveBackInset(NRect& r, const NRect& before, const std::array<bool, 4>& shared,
                   const std::vector<RingEdges::Edge>& near, const std::vector<NRect>& beside, double clearance)
{
    std::array<double, 4> room{r.pBot.x - before.pBot.x, before.pTop.x - r.pTop.x, r.pBot.y - before.pBot.y,
                               before.pTop.y - r.pTop.y};
    for (size_t k = 0; k < 4; ++k)
        room[k] = shared[k] ? 0.0 : std::max(room[k], 0.0);
    if (*std::max_element(room.begin(), room.end()) <= GRID_MERGE)
        return;
    const auto grown = [&r](const std::array<double, 4>& by) {
        return NRect{{r.pBot.x - by[0], r.pBot.y - by[2]}, {r.pTop.x + by[1], r.pTop.y + by[3]}};
    };
    const auto clear = [&](const std::array<double, 4>& by) {
        const NRect box = grown(by);
        return std::all_of(near.begin(), near.end(),
                           [&](const RingEdges::Edge& e) { return RingEdges::Distance(e, box) > clearance - EPS; }) &&
               std::none_of(beside.begin(), beside.end(), [&](const NRect& o) {
                   return std::min(box.pTop.x, o.pTop.x) - std::max(box.pBot.x, o.pBot.x) > EPS &&
                          std::min(box.pTop.y, o.pTop.y) - std::max(box.pBot.y, o.pBot.y) > EPS;
               });
    };
    std::array<double, 4> by{0.0, 0.0, 0.0, 0.0};
    // The largest share (0..1) of their room the sides can take, `at`
    // giving their growth for a share; none when the first `least` of it
    // is already too much.
    const auto farthest = [&](const auto& at, double least) {
        if (!clear(at(least)))
            return 0.0;
        if (clear(at(1.0)))
            return 1.0;
        double lo = least, hi = 1.0;
        for (int step = 0; step < 14; ++step) {
            const double mid = 0.5 * (lo + hi);
            (clear(at(mid)) ? lo : hi) = mid;
        }
        return lo;
    };
    const double most = *std::max_element(room.begin(), room.end());
    if (!clear(by))
        return;
    const double alike = farthest([&](double t) {
        std::array<double, 4> b{};
        for (size_t k = 0; k < 4; ++k)
            b[k] = std::min(room[k], t * most);
        return b;
    }, GRID_MERGE / most);
    for (size_t k = 0; k < 4; ++k)
        by[k] = std::min(room[k], alike * most);
    for (size_t k = 0; k < 4; ++k) {
        if (room[k] - by[k] <= GRID_MERGE)
            continue;
        const double from = by[k];
        const double t = farthest([&](double f) {
            std::array<double, 4> b = by;
            b[k] = from + f * (room[k] - from);
            return b;
        }, GRID_MERGE / (room[k] - from));
        by[k] = from + t * (room[k] - from);
    }
    for (double& b : by)
        b = b > GRID_MERGE ? b : 0.0;
    r = grown(by);
}

// The largest candidate first; then, candidate by candidate, the largest of
// the candidate and those meeting it (in their order) that meet nothing
// chosen so far. Chosen rectangles never meet (touching counts).
std::vector<WasteBuilder::NRectanglePtr> ChooseDisjoint(const std::vector<WasteBuilder::NRectanglePtr>& candidates)
{
    std::vector<WasteBuilder::NRectanglePtr> chosen;
    if (candidates.empty())
        return chosen;
    RectangleIndex all(candidates);
    for (size_t k = 0; k < candidates.size(); ++k)
        all.Add(k, *candidates[k]);
    RectangleIndex taken(candidates);
    const auto choose = [&](const WasteBuilder::NRectanglePtr& r) {
        taken.Add(chosen.size(), *r);
        chosen.push_back(r);
    };
    const auto meetsChosen = [&](const WasteBuilder::NRectangle& r) {
        const std::vector<size_t>& near = taken.Near(r.GetRect());
        return std::any_of(near.begin(), near.end(), [&](size_t k) { return RectsIntersect(r, *chosen[k]); });
    };
    choose(Largest(candidates));
    std::vector<size_t> meeting;
    for (const auto& q : candidates) {
        if (meetsChosen(*q))
            continue;
        meeting = all.Near(q->GetRect());
        std::sort(meeting.begin(), meeting.end());
        std::vector<WasteBuilder::NRectanglePtr> pool{q};
        for (size_t k : meeting) {
            const auto& other = candidates[k];
            if (other != q && RectsIntersect(*other, *q) && !meetsChosen(*other))
                pool.push_back(other);
        }
        choose(Largest(pool));
    }
    return chosen;
}

}  // namespace

// ---------------------------------------------------------------------------
// NRectangle

WasteBuilder::NRectangle::NRectangle(double x1_, double y1_, double x2_, double y2_, size_t i, size_t j)
    : x1(x1_), y1(y1_), x2(x2_), y2(y2_), i1(i), j1(j), i2(i + 1), j2(j + 1)
{
}

NRect WasteBuilder::NRectangle::GetRect() const
{
    return {{std::min(x1, x2), y1}, {std::max(x1, x2), y2}};
}

double WasteBuilder::NRectangle::Width() const
{
    return std::fabs(x2 - x1);
}

double WasteBuilder::NRectangle::Height() const
{
    return std::fabs(y2 - y1);
}

void WasteBuilder::NRectangle::Draw(int style)
{
    const std::array<NPoint, 4> pts{NPoint{x1, y1}, NPoint{x2, y1}, NPoint{x2, y2}, NPoint{x1, y2}};
    for (size_t k = 0; k < pts.size(); ++k)
        segments.push_back(vrnApi::DrawLineSeg(pts[k], pts[(k + 1) % pts.size()], style));
}

void WasteBuilder::NRectangle::Clear()
{
    for (int ref : segments)
        vrnApi::DeleteDrawingObj(ref);
    segments.clear();
}

void WasteBuilder::RectanglesGroup::Draw()
{
    if (rectangles.empty())
        return;
    rectangles.front()->Draw(1);
    for (size_t k = 0; k + 1 < rectangles.size(); ++k)
        rectangles[k]->Draw(3);
    rectangles.back()->Draw(4);
}

// ---------------------------------------------------------------------------
// Decomposition

void WasteBuilder::Init(double figureGap, double sheetGap)
{
    m_figureGap = figureGap;
    m_sheetGap = sheetGap;
}

void WasteBuilder::DecomposeToRectangles(const NPolygonPtr& sheetOutline, const std::vector<VectorPolygon>& figures,
                                         double minSize, VectorPolygon& outs)
{
    if (!sheetOutline || figures.empty())
        return;
    m_validRectangles.clear();
    m_restRectangles.clear();

    PrepareRectangleGrid(*sheetOutline, figures);
    std::vector<NRectanglePtr> unitedRectangles;
    PreliminaryUniteRectangles(unitedRectangles);
    // A rectangle is big enough when it is so once the gap has cut it down:
    // one no wider than the gap's cut leaves (TransformWastesByGap) is
    // small, and is united with its neighbours rather than dropped.
    const double keep = std::max(minSize, SNAP_FACTOR * m_figureGap + EPS);
    for (const NRectanglePtr& r : unitedRectangles) {
        const bool valid = r->Width() > keep - EPS && r->Height() > keep - EPS;
        (valid ? m_validRectangles : m_restRectangles).push_back(r);
    }

    ExtendValidRectangles();
    UniteRestRectangles(keep);
    std::vector<NRectanglePtr> wasteRectangles;
    TransformWastesByGap(*sheetOutline, figures, 2.0 * m_figureGap, wasteRectangles);
    // The minimum holds for the remnants as they are kept: after the gap has
    // cut them down, short of it by no more than the rounding of doubles.
    std::erase_if(wasteRectangles, [minSize](const NRectanglePtr& r) {
        return !(r->Width() > minSize - EPS_WIDTH && r->Height() > minSize - EPS_WIDTH);
    });
    CreateRectanglePolygons(wasteRectangles, outs);
}

void WasteBuilder::PrepareRectangleGrid(const NPolygon& sheet, const std::vector<VectorPolygon>& figures)
{
    m_lineX.clear();
    m_lineY.clear();
    m_free.clear();
    m_unused.clear();
    m_startedFirst.clear();
    m_startedLast.clear();
    GridLines xs;
    GridLines ys;
    m_gridShiftX = 0.0;
    m_gridShiftY = 0.0;
    for (const GridRing& line : GridPolygons(sheet, figures)) {
        const NRect& box = line.ring->GetGabarit();
        const double side = std::min(box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y);
        const double sag = line.ring == &sheet ? 0.0 : std::min(LINE_SAG, LINE_SAG_SHARE * side);
        // A hole's free area has no lines but its own: slanted edges get
        // lines along them.
        const std::vector<NPoint> thinned = LineVertices(line.ring->m_points, sag);
        for (const NPoint& p : line.hole ? AlongEdges(thinned, HOLE_STEP_SHARE * side) : thinned) {
            m_gridShiftX = std::max(m_gridShiftX, xs.Add(p.x));
            m_gridShiftY = std::max(m_gridShiftY, ys.Add(p.y));
        }
    }
    m_lineX = xs.Ascending();
    std::reverse(m_lineX.begin(), m_lineX.end());
    m_lineY = ys.Ascending();
    if (m_lineX.size() < 2 || m_lineY.size() < 2 || m_lineY.size() > std::numeric_limits<uint32_t>::max() ||
        m_lineX.size() > std::numeric_limits<uint32_t>::max())
        return;

    const GridCells grid(m_lineX, m_lineY);
    std::vector<RowRuns> taken(grid.Columns());
    TakeOffSheet(sheet, grid, taken);
    for (const VectorPolygon& borders : figures) {
        if (!borders.empty() && borders.front() && !borders.front()->m_points.empty())
            TakeByPart(borders, grid, taken);
    }
    m_free.reserve(taken.size());
    for (RowRuns& column : taken) {
        Normalise(column);
        m_free.push_back(Without(RowRuns{{0, grid.Rows()}}, column));
        column = RowRuns();
    }
    m_unused = m_free;
    m_startedFirst.assign(grid.Rows(), nullptr);
    m_startedLast.assign(grid.Rows(), nullptr);
}

namespace {

// The run of normalised `runs` that holds the rows [begin, end), or none.
RowRuns::const_iterator RunHolding(const RowRuns& runs, size_t begin, size_t end)
{
    auto it = std::upper_bound(runs.begin(), runs.end(), begin,
                               [](size_t row, const RowRun& r) { return row < r.begin; });
    if (it == runs.begin())
        return runs.end();
    --it;
    return it->begin <= begin && end <= it->end ? it : runs.end();
}

}  // namespace

bool WasteBuilder::AreCellsPresent(size_t colBeg, size_t colEnd, size_t rowBeg, size_t rowEnd) const
{
    if (rowBeg >= rowEnd)
        return true;
    for (size_t i = colBeg; i < colEnd; ++i) {
        if (i >= m_free.size() || RunHolding(m_free[i], rowBeg, rowEnd) == m_free[i].end())
            return false;
    }
    return true;
}

bool WasteBuilder::TakeUnused(size_t column, size_t rowBeg, size_t rowEnd, bool take)
{
    RowRuns& runs = m_unused[column];
    const auto held = RunHolding(runs, rowBeg, rowEnd);
    if (held == runs.end())
        return false;
    if (take)
        TakeFrom(column, static_cast<size_t>(held - runs.cbegin()), rowBeg, rowEnd);
    return true;
}

void WasteBuilder::TakeFrom(size_t column, size_t run, size_t rowBeg, size_t rowEnd)
{
    RowRuns& runs = m_unused[column];
    const auto it = runs.begin() + static_cast<std::ptrdiff_t>(run);
    const RowRun before{it->begin, static_cast<uint32_t>(rowBeg)};
    const RowRun after{static_cast<uint32_t>(rowEnd), it->end};
    if (before.begin < before.end && after.begin < after.end) {
        *it = after;
        runs.insert(it, before);
    } else if (before.begin < before.end) {
        *it = before;
    } else if (after.begin < after.end) {
        *it = after;
    } else {
        runs.erase(it);
    }
}

bool WasteBuilder::GrowByColumn(NRectangle& rect)
{
    const size_t column = rect.i2;
    if (column >= m_free.size() || !TakeUnused(column, rect.j1, rect.j2, true))
        return false;
    rect.x2 = m_lineX[column + 1];
    rect.i2 = column + 1;
    return true;
}

bool WasteBuilder::GrowByRow(NRectangle& rect)
{
    const size_t row = rect.j2;
    if (m_free.empty() || row >= Rows())
        return false;
    // The runs that hold the row, column by column, then the row taken from them.
    m_holding.clear();
    for (size_t i = rect.i1; i < rect.i2; ++i) {
        const RowRuns& runs = m_unused[i];
        const auto held = RunHolding(runs, row, row + 1);
        if (held == runs.end())
            return false;
        m_holding.push_back(static_cast<size_t>(held - runs.begin()));
    }
    for (size_t i = rect.i1; i < rect.i2; ++i)
        TakeFrom(i, m_holding[i - rect.i1], row, row + 1);
    rect.y2 = m_lineY[row + 1];
    rect.j2 = row + 1;
    return true;
}

// Column by column, each from the bottom: a free cell no rectangle has taken
// grows, a column to the left and a row up in turn, as far as the cells are
// free and not taken; the cells it takes are taken.
void WasteBuilder::PreliminaryUniteRectangles(std::vector<NRectanglePtr>& unitedRectangles)
{
    const size_t columns = m_free.size();
    for (size_t i = 0; i < columns; ++i) {
        while (!m_unused[i].empty()) {
            const size_t j = m_unused[i].front().begin;
            TakeUnused(i, j, j + 1, true);
            auto cell = std::make_shared<NRectangle>(m_lineX[i], m_lineY[j], m_lineX[i + 1], m_lineY[j + 1], i, j);
            if (i == 0)
                m_startedFirst[j] = cell;
            if (i + 1 == columns)
                m_startedLast[j] = cell;
            bool byColumns = true;
            bool byRows = true;
            while (byColumns || byRows) {
                byColumns = byColumns && GrowByColumn(*cell);
                byRows = byRows && GrowByRow(*cell);
            }
            cell->used = true;
            unitedRectangles.push_back(std::move(cell));
        }
    }
}

double WasteBuilder::FirstColumnRight(size_t row) const
{
    return m_startedFirst[row] ? m_startedFirst[row]->x1 : m_lineX[0];
}

double WasteBuilder::LastColumnLeft(size_t row) const
{
    return m_startedLast[row] ? m_startedLast[row]->x2 : m_lineX[m_free.size()];
}

void WasteBuilder::ExtendValidRectangles()
{
    // The rest rectangles by the row above their top one.
    std::vector<std::vector<size_t>> restByTop(Rows() + 1);
    for (size_t k = 0; k < m_restRectangles.size(); ++k)
        restByTop[m_restRectangles[k]->j2].push_back(k);
    for (const NRectanglePtr& v : m_validRectangles)
        ExtendDown(*v, restByTop);
    ExtendSideways(true);
    ExtendSideways(false);
}

// The valid rectangle takes over the rows of the rest rectangles right below
// it that span its columns, one on top of the next; the rest rectangle keeps
// its part on one side. (The rest rectangles' cells lie apart: at most one
// of them spans the columns right below a row.)
void WasteBuilder::ExtendDown(NRectangle& valid, const std::vector<std::vector<size_t>>& restByTop)
{
    while (valid.j1 < restByTop.size()) {
        const std::vector<size_t>& ending = restByTop[valid.j1];
        const auto below = std::find_if(ending.begin(), ending.end(), [&](size_t k) {
            const NRectangle& r = *m_restRectangles[k];
            return r.i1 <= valid.i1 && r.i2 >= valid.i2;
        });
        if (below == ending.end())
            break;
        NRectangle& r = *m_restRectangles[*below];
        valid.y1 = r.y1;
        valid.j1 = r.j1;
        if (r.x1 > valid.x1) {
            r.x2 = valid.x1;
            r.i2 = valid.i1;
        } else if (valid.x2 > r.x2) {
            r.x1 = valid.x2;
            r.i1 = valid.i2;
        }
    }
}

namespace {

// Over the rows of the grid: rows marked with keys, the largest key marked
// on any row of a span asked for. A mark keeps to the rows it was given;
// a node holds the largest key given to all its rows and the largest given
// to any row below it.
class RowMarks {
public:
    using Key = std::pair<int64_t, int64_t>;
    static constexpr Key kNone{std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min()};

    explicit RowMarks(size_t rows) : m_rows(std::max<size_t>(rows, 1)), m_whole(4 * m_rows, kNone), m_any(4 * m_rows, kNone) {}

    void Mark(size_t begin, size_t end, const Key& key) { Mark(1, 0, m_rows, begin, end, key); }
    Key Largest(size_t begin, size_t end) const { return Largest(1, 0, m_rows, begin, end); }

private:
    void Mark(size_t node, size_t lo, size_t hi, size_t begin, size_t end, const Key& key)
    {
        if (end <= lo || hi <= begin)
            return;
        m_any[node] = std::max(m_any[node], key);
        if (begin <= lo && hi <= end) {
            m_whole[node] = std::max(m_whole[node], key);
            return;
        }
        const size_t mid = lo + (hi - lo) / 2;
        Mark(2 * node, lo, mid, begin, end, key);
        Mark(2 * node + 1, mid, hi, begin, end, key);
    }

    Key Largest(size_t node, size_t lo, size_t hi, size_t begin, size_t end) const
    {
        if (end <= lo || hi <= begin)
            return kNone;
        if (begin <= lo && hi <= end)
            return m_any[node];
        const size_t mid = lo + (hi - lo) / 2;
        return std::max({m_whole[node], Largest(2 * node, lo, mid, begin, end),
                         Largest(2 * node + 1, mid, hi, begin, end)});
    }

    size_t m_rows;
    std::vector<Key> m_whole;
    std::vector<Key> m_any;
};

}  // namespace

// Each valid rectangle is stretched across free cells, towards column 0
// (`right`) or towards the last column: up to the nearest valid rectangle
// beside it that shares a row with it (the first such in their order
// among equally near ones), when the cells between them are all free; or
// to the grid's edge when none lies beside it and the cells up to it are
// free. Stretching one way changes no rectangle's side the other way, so
// the rectangles are taken by how far they reach that way, each finding
// the nearest of those beside it among the rows it spans: the cost grows
// with the rectangles and their rows, not with their pairs.
void WasteBuilder::ExtendSideways(bool right)
{
    const size_t count = m_validRectangles.size();
    const size_t columns = m_free.size();
    // Towards column 0 a rectangle meets those whose i2 is at most its i1,
    // the nearest having the largest i2; the other way those whose i1 is at
    // least its i2, the nearest having the smallest i1. Keys are made so
    // that the nearest, then the first in order, is the largest.
    const auto reach = [&](size_t k) { // how far a rectangle reaches, nearest first
        const NRectangle& r = *m_validRectangles[k];
        return right ? static_cast<int64_t>(r.i2) : -static_cast<int64_t>(r.i1);
    };
    const auto start = [&](size_t k) { // where a rectangle starts to stretch from
        const NRectangle& r = *m_validRectangles[k];
        return right ? static_cast<int64_t>(r.i1) : -static_cast<int64_t>(r.i2);
    };
    std::vector<size_t> byReach(count), byStart(count);
    for (size_t k = 0; k < count; ++k)
        byReach[k] = byStart[k] = k;
    std::stable_sort(byReach.begin(), byReach.end(), [&](size_t a, size_t b) { return reach(a) < reach(b); });
    std::stable_sort(byStart.begin(), byStart.end(), [&](size_t a, size_t b) { return start(a) < start(b); });
    RowMarks marks(Rows());
    size_t added = 0;
    std::vector<std::pair<size_t, size_t>> nearest(count, {count, 0});  // the rectangle met, the column reached
    for (size_t k : byStart) {
        // Every rectangle wholly past this one's side is marked on its rows
        // (a rectangle never is past its own side).
        while (added < count && reach(byReach[added]) <= start(k)) {
            const NRectangle& w = *m_validRectangles[byReach[added]];
            marks.Mark(w.j1, w.j2, {reach(byReach[added]), -static_cast<int64_t>(byReach[added])});
            ++added;
        }
        const NRectangle& v = *m_validRectangles[k];
        const RowMarks::Key met = marks.Largest(v.j1, v.j2);
        if (met != RowMarks::kNone)
            nearest[k] = {static_cast<size_t>(-met.second), 0};
    }
    for (size_t k = 0; k < count; ++k) {
        NRectangle& v = *m_validRectangles[k];
        if (nearest[k].first < count) {
            const NRectangle& w = *m_validRectangles[nearest[k].first];
            if (right && AreCellsPresent(w.i2, v.i1, v.j1, v.j2)) {
                v.x1 = w.x2;
                v.i1 = w.i2;
            } else if (!right && AreCellsPresent(v.i2, w.i1, v.j1, v.j2)) {
                v.x2 = w.x1;
                v.i2 = w.i1;
            }
        } else if (right && v.i1 > 0 && AreCellsPresent(0, v.i1, v.j1, v.j2)) {
            v.x1 = FirstColumnRight(v.j1);
            v.i1 = 0;
        } else if (!right && v.i2 < columns && AreCellsPresent(v.i2, columns, v.j1, v.j2)) {
            v.x2 = LastColumnLeft(v.j1);
            v.i2 = columns;
        }
    }
}

std::vector<std::vector<size_t>> WasteBuilder::AdjacentRest(const std::vector<NRectanglePtr>& restRectangles) const
{
    // Rectangles of cells lie against one another only along a grid line:
    // along each line, those ending there and those starting there are swept
    // for the stretches of cells they share.
    struct Side {
        size_t line;
        size_t lo, hi; // the cells along the line
        size_t index;
        bool starts;   // the rectangle lies past the line
    };
    std::vector<std::vector<size_t>> adjacent(restRectangles.size());
    std::vector<Side> sides, sorted;
    std::vector<size_t> first;
    std::vector<const Side*> open[2];
    for (const bool acrossX : {true, false}) {
        sides.clear();
        for (size_t k = 0; k < restRectangles.size(); ++k) {
            const NRectangle& r = *restRectangles[k];
            const size_t lo = acrossX ? r.j1 : r.i1;
            const size_t hi = acrossX ? r.j2 : r.i2;
            sides.push_back({acrossX ? r.i1 : r.j2, lo, hi, k, false});
            sides.push_back({acrossX ? r.i2 : r.j1, lo, hi, k, true});
        }
        // By line (counted), then by where they start along it.
        first.assign((acrossX ? Columns() : Rows()) + 2, 0);
        for (const Side& side : sides)
            ++first[side.line + 1];
        for (size_t l = 1; l < first.size(); ++l)
            first[l] += first[l - 1];
        sorted.resize(sides.size());
        for (const Side& side : sides)
            sorted[first[side.line]++] = side;
        for (size_t from = 0; from < sorted.size();) {
            size_t end = from + 1;
            while (end < sorted.size() && sorted[end].line == sorted[from].line)
                ++end;
            std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(from), sorted.begin() + static_cast<std::ptrdiff_t>(end),
                      [](const Side& a, const Side& b) { return a.lo != b.lo ? a.lo < b.lo : a.index < b.index; });
            open[0].clear();
            open[1].clear();
            for (size_t k = from; k < end; ++k) {
                const Side& side = sorted[k];
                std::vector<const Side*>& other = open[side.starts ? 0 : 1];
                std::erase_if(other, [&](const Side* o) { return o->hi <= side.lo; });
                for (const Side* o : other) {
                    if (o->index != side.index) {
                        adjacent[o->index].push_back(side.index);
                        adjacent[side.index].push_back(o->index);
                    }
                }
                open[side.starts ? 1 : 0].push_back(&side);
            }
            from = end;
        }
    }
    for (std::vector<size_t>& list : adjacent) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return adjacent;
}

// Depth first from `rest`: every unused rectangle joined to one already
// found is marked, appended and searched from before the search goes on.
void WasteBuilder::FindAdjacentRest(const std::vector<NRectanglePtr>& restRectangles,
                                    const std::vector<std::vector<size_t>>& adjacent, size_t rest,
                                    RectanglesGroup& group)
{
    struct Frame {
        size_t from;
        size_t next;
    };
    std::vector<Frame> stack{{rest, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        const std::vector<size_t>& neighbours = adjacent[top.from];
        if (top.next >= neighbours.size()) {
            stack.pop_back();
            continue;
        }
        const size_t s = neighbours[top.next++];
        if (restRectangles[s]->used)
            continue;
        restRectangles[s]->used = true;
        group.rectangles.push_back(restRectangles[s]);
        stack.push_back({s, 0});
    }
}

// The members, joined, as slabs between the rows where one of them starts
// or ends, each slab the runs along x that members cover there (side by
// side ones joined). From each run of a slab up through the runs above that
// overlap it most, narrowed to the overlap: each rectangle so reached,
// before it narrows and where it ends, is a candidate when both its sides
// reach the size, unless the slab below holds its run whole (the rectangles
// from there are as wide and taller).
void WasteBuilder::CollectCandidates(const RectanglesGroup& group, double minSize,
                                     std::vector<NRectanglePtr>& candidates)
{
    std::vector<size_t>& levels = m_levels;
    levels.clear();
    for (const NRectanglePtr& r : group.rectangles) {
        levels.push_back(r->j1);
        levels.push_back(r->j2);
    }
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    if (levels.size() < 2)
        return;
    const auto level = [&](size_t row) {
        return static_cast<size_t>(std::lower_bound(levels.begin(), levels.end(), row) - levels.begin());
    };
    // Slab s holds m_runs[m_slab[s] .. m_slab[s] + m_slabRuns[s]).
    const size_t slabs = levels.size() - 1;
    m_slab.assign(slabs + 1, 0);
    for (const NRectanglePtr& r : group.rectangles)
        for (size_t s = level(r->j1); s < level(r->j2); ++s)
            ++m_slab[s + 1];
    for (size_t s = 1; s <= slabs; ++s)
        m_slab[s] += m_slab[s - 1];
    m_runs.resize(m_slab[slabs]);
    m_slabRuns.assign(slabs, 0);
    for (const NRectanglePtr& r : group.rectangles) {
        const NRect g = r->GetRect();
        for (size_t s = level(r->j1); s < level(r->j2); ++s)
            m_runs[m_slab[s] + m_slabRuns[s]++] = {g.pBot.x, g.pTop.x};
    }
    for (size_t s = 0; s < slabs; ++s) {
        const auto from = m_runs.begin() + static_cast<std::ptrdiff_t>(m_slab[s]);
        const auto to = from + static_cast<std::ptrdiff_t>(m_slabRuns[s]);
        std::sort(from, to, [](const Run& a, const Run& b) { return a.left < b.left; });
        auto kept = from;
        for (auto it = from; it != to; ++it) {
            if (kept != from && it->left < (kept - 1)->right + EPS)
                (kept - 1)->right = std::max((kept - 1)->right, it->right);
            else
                *kept++ = *it;
        }
        m_slabRuns[s] = static_cast<size_t>(kept - from);
    }
    const auto add = [&](const Run& run, size_t from, size_t to) {
        if (m_lineY[levels[to]] - m_lineY[levels[from]] > minSize - EPS)
            candidates.push_back(std::make_shared<NRectangle>(run.right, m_lineY[levels[from]], run.left,
                                                              m_lineY[levels[to]], 0, levels[from]));
    };
    // The run of slab `s` that overlaps `run` the most (the first on ties), or none.
    const auto widest = [&](size_t s, const Run& run) -> const Run* {
        const auto from = m_runs.begin() + static_cast<std::ptrdiff_t>(m_slab[s]);
        const auto to = from + static_cast<std::ptrdiff_t>(m_slabRuns[s]);
        const Run* best = nullptr;
        double most = 0.0;
        for (auto it = std::lower_bound(from, to, run.left, [](const Run& r, double x) { return r.right <= x; });
             it != to && it->left < run.right; ++it) {
            const double overlap = std::min(it->right, run.right) - std::max(it->left, run.left);
            if (overlap > most) {
                most = overlap;
                best = &*it;
            }
        }
        return best;
    };
    const auto heldBelow = [&](size_t s, const Run& run) {
        const Run* below = s > 0 ? widest(s - 1, run) : nullptr;
        return below && below->left < run.left + EPS && below->right > run.right - EPS;
    };
    for (size_t s = 0; s < slabs; ++s) {
        for (size_t k = 0; k < m_slabRuns[s]; ++k) {
            const Run start = m_runs[m_slab[s] + k];
            if (start.right - start.left < minSize - EPS || heldBelow(s, start))
                continue;
            Run run = start;
            size_t top = s + 1;
            for (; top < slabs; ++top) {
                const Run* above = widest(top, run);
                const Run next = above ? Run{std::max(run.left, above->left), std::min(run.right, above->right)} : Run{};
                if (!above || next.right - next.left < minSize - EPS)
                    break;
                if (next.left > run.left + EPS || next.right < run.right - EPS) {
                    if (!heldBelow(s, run))
                        add(run, s, top);
                    run = next;
                }
            }
            if (!heldBelow(s, run))
                add(run, s, top);
        }
    }
}

void WasteBuilder::UniteRestRectangles(double minSize)
{
    for (const NRectanglePtr& r : m_restRectangles)
        r->used = false;
    const std::vector<std::vector<size_t>> adjacent = AdjacentRest(m_restRectangles);
    std::vector<RectanglesGroup> groups;
    for (size_t k = 0; k < m_restRectangles.size(); ++k) {
        const NRectanglePtr& r = m_restRectangles[k];
        if (r->used)
            continue;
        r->used = true;
        RectanglesGroup group;
        FindAdjacentRest(m_restRectangles, adjacent, k, group);
        if (group.rectangles.empty()) {
            r->used = false;
            continue;
        }
        group.rectangles.push_back(r);
        // None fits in a group narrower or lower than the size.
        NRect box = r->GetRect();
        for (const NRectanglePtr& member : group.rectangles) {
            const NRect g = member->GetRect();
            box = {{std::min(box.pBot.x, g.pBot.x), std::min(box.pBot.y, g.pBot.y)},
                   {std::max(box.pTop.x, g.pTop.x), std::max(box.pTop.y, g.pTop.y)}};
        }
        if (box.pTop.x - box.pBot.x > minSize - EPS && box.pTop.y - box.pBot.y > minSize - EPS)
            groups.push_back(std::move(group));
    }

    std::vector<NRectanglePtr> candidates;
    for (const RectanglesGroup& group : groups)
        CollectCandidates(group, minSize, candidates);
    // Rest cells that a valid rectangle took over when it was stretched
    // (sideways across free cells, downward over a whole rest rectangle) are
    // no longer free.
    RectangleIndex valid(m_validRectangles);
    for (size_t k = 0; k < m_validRectangles.size(); ++k)
        valid.Add(k, *m_validRectangles[k]);
    std::erase_if(candidates, [&](const NRectanglePtr& c) {
        const std::vector<size_t>& near = valid.Near(c->GetRect());
        return std::any_of(near.begin(), near.end(),
                           [&](size_t k) { return RectsOverlap(*c, *m_validRectangles[k]); });
    });
    for (const NRectanglePtr& chosen : ChooseDisjoint(candidates))
        m_validRectangles.push_back(chosen);
}

void WasteBuilder::TransformWastesByGap(const NPolygon& sheet, const std::vector<VectorPolygon>& figures, double gap,
                                       std::vector<NRectanglePtr>& wasteRectangles)
{
    // A side beside a part keeps the gap from where the part may truly reach:
    // past the grid line by the line's shift, past its ring by the sag.
    const double least = SNAP_FACTOR * gap * 0.5;
    const double hx = gap * 0.5 + m_gridShiftX + m_outlineSag;
    const double hy = gap * 0.5 + m_gridShiftY + m_outlineSag;
    const double tol = SNAP_FACTOR * std::max(hx, hy);
    const NRect& g = sheet.GetGabarit();
    std::vector<NRect> beforeInset;
    for (const NRectanglePtr& v : m_validRectangles) {
        if (!(v->Width() > least && v->Height() > least))
            continue;
        const NRect before = v->GetRect();
        if (g.pTop.x - EPS > v->x1)
            v->x1 -= hx;
        if (v->x2 > g.pBot.x + EPS)
            v->x2 += hx;
        if (g.pTop.y - EPS > v->y2)
            v->y2 -= hy;
        if (v->y1 > g.pBot.y + EPS)
            v->y1 += hy;
        // Nothing is left of one the inset crossed over.
        if (!(v->x1 - v->x2 > EPS && v->y2 - v->y1 > EPS))
            continue;
        beforeInset.push_back(before);
        wasteRectangles.push_back(v);
    }

    // Remnants that lay against each other before the inset share the edge
    // again; ones that were apart (a thin part between them) stay apart.
    // Only those whose sides lay on one line before can: they are looked up
    // by that side (bottom-left and top-right corners' x, then y).
    const auto touched = [](double a, double b) { return std::fabs(a - b) < EPS; };
    std::array<std::vector<std::pair<double, size_t>>, 4> bySide;
    for (size_t m = 0; m < beforeInset.size(); ++m) {
        const NRect& o0 = beforeInset[m];
        bySide[0].emplace_back(o0.pBot.x, m);
        bySide[1].emplace_back(o0.pTop.x, m);
        bySide[2].emplace_back(o0.pBot.y, m);
        bySide[3].emplace_back(o0.pTop.y, m);
    }
    for (auto& side : bySide)
        std::sort(side.begin(), side.end());
    std::vector<size_t> lying;
    std::vector<std::array<bool, 4>> shared(wasteRectangles.size(), {false, false, false, false});
    for (size_t k = 0; k < wasteRectangles.size(); ++k) {
        NRectangle& r = *wasteRectangles[k];
        // The first other one, in their order, whose side `which` lay at
        // `at` and that matches.
        const auto snap = [&](int which, double at, const auto& matches) {
            const auto& side = bySide[static_cast<size_t>(which)];
            lying.clear();
            for (auto it = std::lower_bound(side.begin(), side.end(), std::make_pair(at - 2.0 * EPS, size_t{0}));
                 it != side.end() && it->first < at + 2.0 * EPS; ++it) {
                if (touched(at, it->first))
                    lying.push_back(it->second);
            }
            std::sort(lying.begin(), lying.end());
            for (size_t m : lying) {
                if (m != k && matches(*wasteRectangles[m])) {
                    // Sides: left, right, bottom, top; the other's is the opposite one.
                    const size_t mine = static_cast<size_t>(which ^ 1);
                    shared[k][mine] = shared[m][mine ^ 1] = true;
                    return wasteRectangles[m];
                }
            }
            return NRectanglePtr();
        };
        const NRect& r0 = beforeInset[k];
        if (auto s = snap(0, r0.pTop.x,
                          [&](const NRectangle& o) { return std::fabs(r.x1 - o.x2) < tol && SpansInY(o, r); }))
            r.x1 = s->x2;
        if (auto s = snap(1, r0.pBot.x,
                          [&](const NRectangle& o) { return std::fabs(r.x2 - o.x1) < tol && SpansInY(o, r); }))
            r.x2 = s->x1;
        if (auto s = snap(2, r0.pTop.y, [&](const NRectangle& o) {
                return std::fabs(r.y2 - o.y1) < tol && o.x1 > r.x1 - EPS && o.x2 < r.x2 + EPS;
            }))
            r.y2 = s->y1;
        if (auto s = snap(3, r0.pBot.y, [&](const NRectangle& o) {
                return std::fabs(r.y1 - o.y2) < tol && o.x1 > r.x1 - EPS && o.x2 < r.x2 + EPS;
            }))
            r.y1 = s->y2;
    }

    // The inset is as wide as the gap, the grid lines' shift and the sag
    // together whatever the part's edge beside the side; the part's ring may
    // be farther (slanted or round): each side shared with no other remnant
    // gets back what the inset took beyond the gap and the sag.
    const double clearance = gap * 0.5 + m_outlineSag;
    RingEdges edges(sheet, figures);
    // Where each remnant may be: its rectangle before the inset, and past it
    // where a side was snapped.
    std::vector<NRectanglePtr> reach;
    for (size_t k = 0; k < wasteRectangles.size(); ++k) {
        const NRect& b = beforeInset[k];
        const NRect now = wasteRectangles[k]->GetRect();
        reach.push_back(std::make_shared<NRectangle>(std::max(b.pTop.x, now.pTop.x), std::min(b.pBot.y, now.pBot.y),
                                                     std::min(b.pBot.x, now.pBot.x), std::max(b.pTop.y, now.pTop.y), 0,
                                                     0));
    }
    RectangleIndex around(reach);
    for (size_t k = 0; k < reach.size(); ++k)
        around.Add(k, *reach[k]);
    std::vector<RingEdges::Edge> near;
    std::vector<NRect> beside;
    for (size_t k = 0; k < wasteRectangles.size(); ++k) {
        NRectangle& r = *wasteRectangles[k];
        NRect kept = r.GetRect();
        edges.Near(reach[k]->GetRect(), clearance, near);
        beside.clear();
        for (size_t m : around.Near(reach[k]->GetRect()))
            if (m != k)
                beside.push_back(wasteRectangles[m]->GetRect());
        GiveBackInset(kept, beforeInset[k], shared[k], near, beside, clearance);
        r.x1 = kept.pTop.x;
        r.x2 = kept.pBot.x;
        r.y1 = kept.pBot.y;
        r.y2 = kept.pTop.y;
    }
}

void WasteBuilder::CreateRectanglePolygons(const std::vector<NRectanglePtr>& wasteRectangles, VectorPolygon& outs)
{
    for (const NRectanglePtr& r : wasteRectangles) {
        const NPoint p1{r->x1, r->y1};
        const NPoint d{r->x2 - r->x1, r->y2 - r->y1};
        const std::vector<NPoint> points{p1, p1 + NPoint{d.x, 0.0}, p1 + d, p1 + NPoint{0.0, d.y}};
        outs.push_back(std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points));
    }
}

void WasteBuilder::TransformPolygons(int viewNumber, VectorPolygon& polygons)
{
    double x = 0.0;
    double y = 0.0;
    double scale = 0.0;
    vrnApi::GetViewParams(viewNumber, x, y, scale);
    if (scale <= EPS)
        return;
    for (const NPolygonPtr& polygon : polygons) {
        polygon->Scale(1.0 / scale);
        polygon->Offset({-x / scale, -y / scale});
    }
}
