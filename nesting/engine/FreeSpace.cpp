#include "engine/FreeSpace.h"

#include "geometry/RingArea.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

constexpr double kCellsAcross = 384.0;    // cells across the shorter side of the region
constexpr double kLongSideShare = 1024.0; // ... unless the longer side is more than this many times
constexpr double kPlainVertices = 64.0;   // ... for figures of this many vertices or fewer; up to
constexpr double kFinerAtMost = 2.0;      // ... this many times as many for more (as their square root)
constexpr double kMaterialCells = 16.0 * 1024 * 1024; // ... and no more than this many over the run's figures
constexpr double kFigureCells = kCellsAcross * kCellsAcross; // ... nor than this many a figure
// A strip this narrow along a cell, mm: of a placed figure it leaves the cell
// empty; free, it leaves the cell covered.
constexpr double kSliverWidth = 1e-3;
constexpr size_t kCoreRuns = 96;          // runs of core cells up a column tried for a stand
constexpr int32_t kFootprintSplit = 4;    // the footprint's box is cut into this many boxes each way
constexpr size_t kEdgeGroup = 16;         // runs of boundary cells looked at together first
constexpr int32_t kFirstStretch = 64;     // stand columns first worked out for a placed figure's reach
constexpr uint16_t kLongestRun = std::numeric_limits<uint16_t>::max(); // runs are counted up to this

uint16_t RunOf(int64_t cells) { return static_cast<uint16_t>(std::clamp<int64_t>(cells, 0, kLongestRun)); }

// The smallest box holding the boxes of [first, last) (not empty).
template <typename It>
FreeSpace::CellBox Enclosing(It first, It last)
{
    FreeSpace::CellBox box = *first;
    for (; first != last; ++first)
        box = {std::min(box.c0, first->c0), std::min(box.r0, first->r0), std::max(box.c1, first->c1),
               std::max(box.r1, first->r1)};
    return box;
}

// The cell of `v` from `base`, for positions anywhere (also unbounded ones).
int32_t CellIndex(double v, double base, double cell)
{
    constexpr double kFar = 1 << 30;
    return static_cast<int32_t>(std::clamp(std::floor((v - base) / cell), -kFar, kFar));
}

// The areas of a ring's cells, row by row: in each row, the part of the ring
// with lo <= y <= hi, clipped against the two half-planes one after the other
// (Sutherland-Hodgman; a ring that falls apart stays one ring joined along the
// cut). Only the edges that reach a row's band give it points: an edge wholly
// below it gives none to the lower clip, one wholly above it only points the
// upper clip drops. So each row takes just its own edges, in the ring's order,
// and gets the very points the two clips of the whole ring would give it.
class RowClipper {
public:
    RowClipper(const std::vector<NPoint>& ring, const NPoint& origin, double cell, int32_t r0, int32_t r1)
        : m_ring(ring), m_r0(r0)
    {
        // Edge k runs from the point before ring[k] (the last for k = 0) to
        // ring[k]; it is listed in the rows its ends' cells span, and one more
        // on each side for rounding (the band's own test decides). Rows are
        // counted from r0; an edge that reaches none spans [0, -1].
        std::vector<std::pair<int32_t, int32_t>> spans(m_ring.size(), {0, -1});
        size_t total = 0;
        for (size_t k = 0; k < m_ring.size(); ++k) {
            const NPoint& s = m_ring[k == 0 ? m_ring.size() - 1 : k - 1];
            const NPoint& e = m_ring[k];
            const double lo = std::floor((std::min(s.y, e.y) - origin.y) / cell) - 1.0;
            const double hi = std::floor((std::max(s.y, e.y) - origin.y) / cell) + 1.0;
            if (!(hi >= r0) || !(lo <= r1))
                continue;
            spans[k] = {static_cast<int32_t>(std::max<double>(lo, r0)) - r0,
                        static_cast<int32_t>(std::min<double>(hi, r1)) - r0};
            total += static_cast<size_t>(spans[k].second - spans[k].first + 1);
        }
        // Lists as long as many edges that each span many rows would take
        // too much memory: every row then looks at every edge.
        m_everyEdge = m_ring.size() > std::numeric_limits<uint32_t>::max() ||
                      total > std::max<size_t>(16 * m_ring.size(), size_t{1} << 22);
        if (m_everyEdge)
            return;
        m_start.assign(static_cast<size_t>(r1 - r0) + 2, 0);
        for (const auto& [first, last] : spans)
            for (int32_t r = first; r <= last; ++r)
                ++m_start[static_cast<size_t>(r) + 1];
        for (size_t r = 1; r < m_start.size(); ++r)
            m_start[r] += m_start[r - 1];
        m_edges.resize(m_start.back());
        std::vector<size_t> fill(m_start.begin(), m_start.end() - 1);
        for (size_t k = 0; k < spans.size(); ++k)
            for (int32_t r = spans[k].first; r <= spans[k].second; ++r)
                m_edges[fill[static_cast<size_t>(r)]++] = static_cast<uint32_t>(k);
    }

    // The ring clipped to lo <= y <= hi, the band of row r.
    void Clip(int32_t r, double lo, double hi, std::vector<NPoint>& out) const
    {
        out.clear();
        const size_t row = static_cast<size_t>(r - m_r0);
        // The upper clip's last point: the edge's start where the lower clip
        // kept it, else a point on the lower line (kept, and no crossing
        // along that line).
        NPoint last;
        bool lastIn = true;
        const auto upper = [&](const NPoint& q) {
            const bool in = q.y <= hi;
            if (in != lastIn) {
                const double t = (hi - last.y) / (q.y - last.y);
                out.push_back({last.x + t * (q.x - last.x), hi});
            }
            if (in)
                out.push_back(q);
            last = q;
            lastIn = in;
        };
        const size_t begin = m_everyEdge ? 0 : m_start[row];
        const size_t end = m_everyEdge ? m_ring.size() : m_start[row + 1];
        for (size_t i = begin; i < end; ++i) {
            const size_t k = m_everyEdge ? i : m_edges[i];
            const NPoint& s = m_ring[k == 0 ? m_ring.size() - 1 : k - 1];
            const NPoint& e = m_ring[k];
            const bool sIn = s.y >= lo;
            const bool eIn = e.y >= lo;
            if ((!sIn && !eIn) || (!(s.y <= hi) && !(e.y <= hi)))
                continue;
            last = s;
            lastIn = !sIn || s.y <= hi;
            if (sIn != eIn) {
                const double t = (lo - s.y) / (e.y - s.y);
                upper({s.x + t * (e.x - s.x), lo});
            }
            if (eIn)
                upper(e);
        }
    }

private:
    const std::vector<NPoint>& m_ring;
    bool m_everyEdge = false;
    std::vector<size_t> m_start; // edges of row r: m_edges[m_start[r - r0] .. m_start[r - r0 + 1])
    std::vector<uint32_t> m_edges;
    int32_t m_r0 = 0;
};

// The area of `ring` in each cell of `box` (cells of side `cell` from
// `origin`), column by column: in each row, the area under the clipped ring's
// edges split over the columns (the shoelace sum, cut into strips). `ring`
// runs counter-clockwise.
std::vector<double> CellAreas(const std::vector<NPoint>& ring, const NPoint& origin, double cell,
                              const FreeSpace::CellBox& box)
{
    const int32_t rows = box.r1 - box.r0 + 1;
    std::vector<double> areas(static_cast<size_t>(box.c1 - box.c0 + 1) * rows, 0.0);
    if (ring.empty() || rows <= 0)
        return areas;
    const auto column = [&](double x) { return static_cast<int32_t>(std::floor((x - origin.x) / cell)); };
    const RowClipper clipper(ring, origin, cell, box.r0, box.r1);
    std::vector<NPoint> row;
    for (int32_t r = box.r0; r <= box.r1; ++r) {
        const double y0 = origin.y + r * cell;
        clipper.Clip(r, y0, y0 + cell, row);
        if (row.size() < 3)
            continue;
        NPoint a = row.back();
        for (const NPoint& b : row) {
            // A level edge, mostly one of the band's own lines, stands at
            // one height all along (none on the band's floor): no division.
            const bool level = a.y == b.y;
            const double twice = (a.y - y0) + (a.y - y0);
            if (a.x != b.x && !(level && twice == 0.0)) {
                const double lo = std::min(a.x, b.x);
                const double hi = std::max(a.x, b.x);
                const double sign = b.x > a.x ? -1.0 : 1.0;
                const auto height = [&](double x) { return a.y - y0 + (b.y - a.y) * (x - a.x) / (b.x - a.x); };
                const int32_t last = std::min(box.c1, column(hi));
                for (int32_t c = std::max(box.c0, column(lo)); c <= last; ++c) {
                    const double x0 = origin.x + c * cell;
                    const double u0 = std::max(lo, x0);
                    const double u1 = std::min(hi, x0 + cell);
                    if (u1 > u0)
                        areas[static_cast<size_t>(c - box.c0) * rows + (r - box.r0)] +=
                            sign * (u1 - u0) * 0.5 * (level ? twice : height(u0) + height(u1));
                }
            }
            a = b;
        }
    }
    return areas;
}

// The cells `ring` may reach, from `origin`.
FreeSpace::CellBox BoxOf(const NRect& rect, const NPoint& origin, double cell)
{
    const auto at = [&](double v, double base) { return static_cast<int32_t>(std::floor((v - base) / cell)); };
    return {at(rect.pBot.x, origin.x), at(rect.pBot.y, origin.y), at(rect.pTop.x, origin.x),
            at(rect.pTop.y, origin.y)};
}

std::vector<NPoint> CounterClockwise(const NPolygon& polygon)
{
    std::vector<NPoint> ring = polygon.m_points;
    if (SignedArea(ring) < 0)
        std::reverse(ring.begin(), ring.end());
    return ring;
}

// The material of a figure's rings (the outline, then its holes) in each cell
// of `box`: what lies in a hole is free, as a figure may stand there.
std::vector<double> MaterialAreas(const VectorPolygon& rings, const NPoint& origin, double cell,
                                  const FreeSpace::CellBox& box)
{
    std::vector<double> areas = CellAreas(CounterClockwise(*rings[0]), origin, cell, box);
    for (size_t k = 1; k < rings.size(); ++k) {
        if (!rings[k] || rings[k]->m_points.size() < 3)
            continue;
        const std::vector<double> hole = CellAreas(CounterClockwise(*rings[k]), origin, cell, box);
        for (size_t i = 0; i < areas.size(); ++i)
            areas[i] = std::max(0.0, areas[i] - hole[i]);
    }
    return areas;
}

} // namespace

void FreeSpace::Reset(const Sheet& sheet, const NRect& region, double detail, double material, size_t figures)
{
    m_sheet = &sheet;
    m_region = region;
    m_detail = detail;
    m_material = material;
    m_figures = figures;
    m_drawn.clear();
    m_drawnAt.clear();
    m_byRight.clear();
    m_alwaysNear.clear();
    // The figures' dents by shape, while they are not too many.
    if (m_outlineDents.Size() > kDentShapesKept)
        m_outlineDents.Clear();
    // The bounds were found on the figures drawn: they go; the shapes' cells stay.
    for (Known& known : m_known)
        known.left = -std::numeric_limits<double>::infinity();
    m_cover.clear();
    m_empty.clear();
    m_up.clear();
    m_along.clear();
    m_columnUp.clear();
    m_columnAlong.clear();
    m_upBlocks.clear();
    m_alongBlocks.clear();
    m_columns = 0;
    m_allColumns = 0;
    m_rows = 0;
    const double width = region.pTop.x - region.pBot.x;
    const double height = region.pTop.y - region.pBot.y;
    if (!(width > EPS) || !(height > EPS))
        return; // no grid: every figure is near
    const double finer = std::clamp(std::sqrt(detail / kPlainVertices), 1.0, kFinerAtMost);
    m_cell = std::max(std::min(width, height), std::max(width, height) / kLongSideShare) / (kCellsAcross * finer);
    // The figures take about as much of the grid as their area again: a long
    // strip as narrow as the tallest of many figures would have as many
    // columns of as many cells as a square sheet. And a figure is measured
    // on its own cells: a few long figures on a narrow strip would each
    // take millions, where the same figures on a square sheet take as many
    // as its shorter side has cells across. No more of the run's material
    // than the region holds lies on it: the grid of one of many sheets is
    // as fine as that of a run of one sheetful.
    const double budget =
        figures > 0 ? std::min(kMaterialCells, static_cast<double>(figures) * kFigureCells) : kMaterialCells;
    m_cell = std::max(m_cell, std::sqrt(std::min(material, width * height) / budget));
    m_cellArea = m_cell * m_cell;
    m_sliver = m_cell * kSliverWidth;
    m_rows = static_cast<int32_t>(std::ceil(height / m_cell));
    m_allColumns = static_cast<int32_t>(std::ceil(width / m_cell));
    EnsureColumns(1);
}

void FreeSpace::EnsureColumns(int32_t columns)
{
    const double width = m_region.pTop.x - m_region.pBot.x;
    const double height = m_region.pTop.y - m_region.pBot.y;
    columns = std::min(columns, m_allColumns);
    if (columns <= m_columns)
        return;
    m_cover.resize(static_cast<size_t>(columns) * m_rows);
    m_cellsMeasured += static_cast<size_t>(columns - m_columns) * static_cast<size_t>(m_rows);
    const int32_t first = m_columns;
    m_columns = columns;
    SizeSummaries();
    const auto rows = static_cast<size_t>(m_rows);
    const size_t blocks = static_cast<size_t>(BlocksPerColumn());
    for (int32_t c = first; c < columns; ++c) {
        // What lies beyond the region counts as covered.
        const double inX = std::clamp(width - c * m_cell, 0.0, m_cell);
        const size_t base = Index(c, 0);
        if (c > first && inX == std::clamp(width - (c - 1) * m_cell, 0.0, m_cell)) {
            // As much of it lies in the region as of the column before: its
            // cells and runs up are those.
            const size_t before = base - rows;
            std::copy_n(m_cover.begin() + static_cast<std::ptrdiff_t>(before), rows,
                        m_cover.begin() + static_cast<std::ptrdiff_t>(base));
            std::copy_n(m_empty.begin() + static_cast<std::ptrdiff_t>(before), rows,
                        m_empty.begin() + static_cast<std::ptrdiff_t>(base));
            std::copy_n(m_up.begin() + static_cast<std::ptrdiff_t>(before), rows,
                        m_up.begin() + static_cast<std::ptrdiff_t>(base));
            const size_t block = static_cast<size_t>(c) * blocks;
            std::copy_n(m_upBlocks.begin() + static_cast<std::ptrdiff_t>(block - blocks), blocks,
                        m_upBlocks.begin() + static_cast<std::ptrdiff_t>(block));
            m_columnUp[static_cast<size_t>(c)] = m_columnUp[static_cast<size_t>(c) - 1];
            continue;
        }
        for (int32_t r = 0; r < m_rows; ++r)
            m_cover[base + static_cast<size_t>(r)] = m_cellArea - inX * std::clamp(height - r * m_cell, 0.0, m_cell);
        RefreshColumn(c, 0, m_rows - 1);
    }
    RefreshRows({first, 0, columns - 1, m_rows - 1});
}

void FreeSpace::Summarise(const std::vector<uint16_t>& runs, std::vector<uint16_t>& blocks,
                          std::vector<uint16_t>& longest, int32_t column, int32_t r0, int32_t r1)
{
    const int32_t count = BlocksPerColumn();
    const size_t first = static_cast<size_t>(column) * static_cast<size_t>(count);
    for (int32_t b = r0 / kBlockRows; b <= r1 / kBlockRows; ++b) {
        const size_t k0 = Index(column, b * kBlockRows);
        const size_t k1 = Index(column, std::min(m_rows, (b + 1) * kBlockRows));
        uint16_t most = 0;
        for (size_t k = k0; k < k1; ++k)
            most = std::max(most, runs[k]);
        blocks[first + static_cast<size_t>(b)] = most;
    }
    longest[static_cast<size_t>(column)] =
        *std::max_element(blocks.begin() + static_cast<std::ptrdiff_t>(first),
                          blocks.begin() + static_cast<std::ptrdiff_t>(first + static_cast<size_t>(count)));
}

void FreeSpace::SizeSummaries()
{
    m_empty.resize(m_cover.size());
    m_up.resize(m_cover.size());
    m_along.resize(m_cover.size());
    m_columnUp.resize(static_cast<size_t>(m_columns));
    m_columnAlong.resize(static_cast<size_t>(m_columns));
    m_upBlocks.resize(static_cast<size_t>(m_columns) * static_cast<size_t>(BlocksPerColumn()));
    m_alongBlocks.resize(m_upBlocks.size());
}

void FreeSpace::Refresh(const CellBox& cells)
{
    SizeSummaries();
    for (int32_t c = cells.c0; c <= cells.c1; ++c)
        RefreshColumn(c, cells.r0, cells.r1);
    RefreshRows(cells);
}

void FreeSpace::RefreshColumn(int32_t c, int32_t r0, int32_t r1)
{
    // Cells below the rows changed keep their runs up; above them the runs
    // change as far as they reach.
    const size_t base = Index(c, 0);
    uint32_t run = r0 > 0 ? m_up[base + static_cast<size_t>(r0) - 1] : 0;
    int32_t r = r0;
    for (; r < m_rows; ++r) {
        const size_t k = base + static_cast<size_t>(r);
        const bool empty = m_cover[k] <= m_sliver;
        run = empty ? std::min<uint32_t>(run + 1, kLongestRun) : 0;
        if (r > r1 && m_up[k] == run)
            break;
        m_empty[k] = empty;
        m_up[k] = static_cast<uint16_t>(run);
    }
    Summarise(m_up, m_upBlocks, m_columnUp, c, r0, r - 1);
}

void FreeSpace::RefreshRows(const CellBox& cells)
{
    // A run along a row changes right of the cells too, as far as it
    // reaches: column by column (as they lie in memory) while one changes.
    const std::vector<uint16_t> none(static_cast<size_t>(m_rows), 0);
    for (int32_t c = cells.c0; c < m_columns; ++c) {
        const size_t base = Index(c, 0);
        const uint16_t* before = c > 0 ? &m_along[base - static_cast<size_t>(m_rows)] : none.data();
        const char* empty = &m_empty[base];
        uint16_t* along = &m_along[base];
        uint16_t changed = 0;
        for (int32_t r = cells.r0; r <= cells.r1; ++r) {
            const auto run = static_cast<uint16_t>((before[r] + (before[r] < kLongestRun)) * (empty[r] != 0));
            changed |= static_cast<uint16_t>(run ^ along[r]);
            along[r] = run;
        }
        if (c > cells.c1 && !changed)
            break;
        Summarise(m_along, m_alongBlocks, m_columnAlong, c, cells.r0, cells.r1);
    }
}

void FreeSpace::Update(const Sheet& sheet, const NRect& region, const VectorFigure& placed, double detail,
                       double material, size_t figures)
{
    // The grid stays when every figure drawn is still placed as it was.
    m_lookedAt += placed.size();
    bool unchanged = m_sheet == &sheet && m_region.pBot == region.pBot && m_region.pTop == region.pTop &&
                     m_detail == detail && m_material == material && m_figures == figures;
    std::vector<char> present(unchanged ? m_drawn.size() : 0, 0);
    size_t presentCount = 0;
    for (size_t k = 0; unchanged && k < placed.size(); ++k) {
        const auto it = placed[k] ? m_drawnAt.find(placed[k].get()) : m_drawnAt.end();
        if (it == m_drawnAt.end() || present[it->second])
            continue;
        const Drawn& d = m_drawn[it->second];
        const VectorPolygon& gaps = d.figure->m_poligons;
        unchanged = gaps.empty() ? d.points == 0
                                 : gaps[0] && gaps[0]->m_points.size() == d.points && gaps[0]->GetBegPoint() == d.first;
        present[it->second] = 1;
        ++presentCount;
    }
    if (!unchanged || presentCount != m_drawn.size())
        Reset(sheet, region, detail, material, figures);
    for (const std::shared_ptr<Figure>& f : placed)
        if (f && !m_drawnAt.count(f.get()))
            Draw(*f);
    m_inOrder = m_drawn.size() == placed.size();
    for (size_t k = 0; m_inOrder && k < placed.size(); ++k)
        m_inOrder = m_drawn[k].figure == placed[k].get();
}

void FreeSpace::Add(const Sheet& sheet, const NRect& region, const VectorFigure& placed, double detail,
                    double material, size_t figures)
{
    const size_t drawn = m_drawn.size();
    bool follows = m_inOrder && m_sheet == &sheet && m_region.pBot == region.pBot && m_region.pTop == region.pTop &&
                   m_detail == detail && m_material == material && m_figures == figures && drawn <= placed.size() &&
                   (drawn == 0 || m_drawn.back().figure == placed[drawn - 1].get());
    for (size_t k = drawn; follows && k < placed.size(); ++k)
        follows = placed[k] && !m_drawnAt.count(placed[k].get());
    if (!follows) {
        Update(sheet, region, placed, detail, material, figures);
        return;
    }
    m_lookedAt += placed.size() - drawn;
    for (size_t k = drawn; k < placed.size(); ++k)
        Draw(*placed[k]);
}

void FreeSpace::Draw(const Figure& figure)
{
    Drawn drawn;
    drawn.figure = &figure;
    const VectorPolygon& gaps = figure.m_poligons;
    const NPolygon* outline = !gaps.empty() ? gaps[0].get() : nullptr;
    if (outline) {
        drawn.first = outline->GetBegPoint();
        drawn.points = outline->m_points.size();
    }
    // A figure's holes stay free (others may stand in them), their borders
    // are edges like its outline's.
    drawn.alwaysNear = m_rows == 0 || !outline || outline->m_points.size() < 3;
    m_drawnAt[&figure] = m_drawn.size();
    if (drawn.alwaysNear) {
        m_alwaysNear.push_back(m_drawn.size());
        m_drawn.push_back(std::move(drawn));
        return;
    }
    CellBox box = BoxOf(outline->GetGabarit(), m_region.pBot, m_cell);
    box.c0 = std::max(0, box.c0);
    box.r0 = std::max(0, box.r0);
    box.r1 = std::min(m_rows - 1, box.r1);
    // One free column past the figure keeps the strip's end open.
    EnsureColumns(std::max(m_columns, box.c1 + 2));
    box.c1 = std::min(box.c1, m_columns - 1);
    if (box.c1 < box.c0 || box.r1 < box.r0) {
        m_drawn.push_back(std::move(drawn));
        return;
    }
    const int32_t c0 = box.c0, c1 = box.c1, r0 = box.r0, r1 = box.r1;
    const int32_t rows = r1 - r0 + 1;
    std::vector<double> own = MaterialAreas(gaps, m_region.pBot, m_cell, box);
    const double full = m_cellArea - m_sliver;
    // The cells the figure covers whole, with a border of none round them:
    // a cell whose eight neighbours it covers too holds none of its boundary.
    // `whole`, then (in `across`) whole with the cells above and below it.
    const auto paddedRows = static_cast<ptrdiff_t>(rows) + 2;
    const auto paddedColumns = static_cast<ptrdiff_t>(c1 - c0) + 3;
    std::vector<char> whole(static_cast<size_t>(paddedColumns * paddedRows), 0);
    for (int32_t c = c0; c <= c1; ++c) {
        double* area = own.data() + static_cast<ptrdiff_t>(c - c0) * rows;
        char* at = whole.data() + (c - c0 + 1) * paddedRows + 1;
        for (int32_t r = 0; r < rows; ++r) {
            area[r] = std::clamp(area[r], 0.0, m_cellArea);
            at[r] = area[r] >= full;
        }
    }
    std::vector<char> across(whole.size(), 0);
    for (ptrdiff_t k = 1; k + 1 < static_cast<ptrdiff_t>(whole.size()); ++k)
        across[static_cast<size_t>(k)] = static_cast<char>(whole[static_cast<size_t>(k) - 1] &
                                                           whole[static_cast<size_t>(k)] &
                                                           whole[static_cast<size_t>(k) + 1]);
    for (int32_t c = c0; c <= c1; ++c) {
        const double* area = own.data() + static_cast<ptrdiff_t>(c - c0) * rows;
        const char* mid = across.data() + (c - c0 + 1) * paddedRows + 1;
        for (int32_t r = r0; r <= r1; ++r) {
            const double a = area[r - r0];
            if (a <= 0.0)
                continue;
            m_cover[Index(c, r)] += a;
            const ptrdiff_t k = r - r0;
            if (mid[k - paddedRows] & mid[k] & mid[k + paddedRows])
                continue;
            if (!drawn.edge.empty() && drawn.edge.back().c0 == c && drawn.edge.back().r1 + 1 == r)
                drawn.edge.back().r1 = r;
            else
                drawn.edge.push_back({c, r, c, r});
        }
    }
    for (size_t k = 0; k < drawn.edge.size(); k += kEdgeGroup) {
        const size_t end = std::min(drawn.edge.size(), k + kEdgeGroup);
        drawn.groups.push_back({Enclosing(drawn.edge.begin() + static_cast<std::ptrdiff_t>(k),
                                          drawn.edge.begin() + static_cast<std::ptrdiff_t>(end)),
                                end});
    }
    if (!drawn.edge.empty()) {
        drawn.edgeBox = Enclosing(drawn.edge.begin(), drawn.edge.end());
        m_byRight.emplace(drawn.edgeBox.c1, m_drawn.size());
    }
    Refresh(box);
    m_drawn.push_back(std::move(drawn));
}

uint16_t FreeSpace::ColumnRunUp(int32_t column) const
{
    if (column < 0 || column >= m_allColumns)
        return 0;
    return column < m_columns ? m_columnUp[static_cast<size_t>(column)] : RunOf(m_rows);
}

uint16_t FreeSpace::RunUp(int32_t column, int32_t row) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_allColumns)
        return 0;
    return column < m_columns ? m_up[Index(column, row)] : RunOf(row + 1);
}

uint16_t FreeSpace::RunAlong(int32_t column, int32_t row) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_allColumns)
        return 0;
    if (column < m_columns)
        return m_along[Index(column, row)];
    // Past the columns drawn every cell is free.
    const int64_t before = m_columns > 0 ? m_along[Index(m_columns - 1, row)] : 0;
    return RunOf(before + column - m_columns + 1);
}

uint16_t FreeSpace::ColumnRunAlong(int32_t column) const
{
    if (column < 0 || column >= m_allColumns)
        return 0;
    if (column < m_columns)
        return m_columnAlong[static_cast<size_t>(column)];
    const int64_t before = m_columns > 0 ? m_columnAlong[static_cast<size_t>(m_columns - 1)] : 0;
    return RunOf(before + column - m_columns + 1);
}

void FreeSpace::RunsAllowColumn(int32_t column, int32_t row0, std::vector<char>& allow, int32_t& lo,
                                int32_t& hi) const
{
    const auto rows = static_cast<int32_t>(allow.size());
    lo = rows;
    hi = -1;
    const int32_t up = column + m_own.up.column;
    const int32_t along = column + m_own.along.column;
    if (!ColumnRunsAllow(column))
        return;
    // The rows whose run cells lie on the grid: off it nothing is free.
    const int32_t first = std::max({0, -row0 - m_own.up.row, -row0 - m_own.along.row});
    const int32_t end = std::min({rows, m_rows - row0 - m_own.up.row, m_rows - row0 - m_own.along.row});
    const auto mark = [&](int32_t r, bool allows) {
        allow[static_cast<size_t>(r)] = static_cast<char>(allows);
        if (allows) {
            lo = std::min(lo, r);
            hi = r;
        }
    };
    if (up >= m_columns || along >= m_columns) {
        for (int32_t r = first; r < end; ++r)
            mark(r, RunsAllow(column, row0 + r));
        return;
    }
    const int32_t upRow = row0 + m_own.up.row, alongRow = row0 + m_own.along.row;
    const uint16_t* runUp = m_up.data() + Index(up, 0) + upRow;
    const uint16_t* runAlong = m_along.data() + Index(along, 0) + alongRow;
    const uint16_t needUp = m_own.up.length, needAlong = m_own.along.length;
    // Blocks of rows whose longest runs are too short hold no such cell.
    const uint16_t* upBlocks = m_upBlocks.data() + static_cast<size_t>(up) * static_cast<size_t>(BlocksPerColumn());
    const uint16_t* alongBlocks =
        m_alongBlocks.data() + static_cast<size_t>(along) * static_cast<size_t>(BlocksPerColumn());
    for (int32_t r = first; r < end;) {
        const int32_t upBlock = (upRow + r) / kBlockRows, alongBlock = (alongRow + r) / kBlockRows;
        const int32_t next =
            std::min({end, (upBlock + 1) * kBlockRows - upRow, (alongBlock + 1) * kBlockRows - alongRow});
        if (upBlocks[upBlock] >= needUp && alongBlocks[alongBlock] >= needAlong) {
            // The whole block first (a loop the compiler widens), then its
            // first and last rows that allow the point.
            char* out = allow.data();
            char any = 0;
            for (int32_t k = r; k < next; ++k) {
                const char allows = static_cast<char>((runUp[k] >= needUp) & (runAlong[k] >= needAlong));
                out[k] = allows;
                any |= allows;
            }
            if (any) {
                // Rows of blocks refused whole are written only when they
                // lie between rows allowed: the caller reads none outside.
                if (hi >= 0)
                    std::fill(out + hi + 1, out + r, 0);
                int32_t low = r, high = next - 1;
                while (!out[low])
                    ++low;
                while (!out[high])
                    --high;
                lo = std::min(lo, low);
                hi = high;
            }
        }
        r = next;
    }
}

bool FreeSpace::ColumnRunsAllow(int32_t column) const
{
    return ColumnRunUp(column + m_own.up.column) >= m_own.up.length &&
           ColumnRunAlong(column + m_own.along.column) >= m_own.along.length;
}

bool FreeSpace::RunsAllow(int32_t column, int32_t row) const
{
    return RunUp(column + m_own.up.column, row + m_own.up.row) >= m_own.up.length &&
           RunAlong(column + m_own.along.column, row + m_own.along.row) >= m_own.along.length;
}

bool FreeSpace::Stands(const NPoint& p) const
{
    if (!m_measured)
        return true;
    if (p.x < m_from - m_cell)
        return false;
    if (m_everywhere)
        return true;
    const auto x = static_cast<int32_t>(std::floor((p.x - m_region.pBot.x) / m_cell));
    const auto y = static_cast<int32_t>(std::floor((p.y - m_region.pBot.y) / m_cell));
    return RunsAllow(x, y) && std::all_of(m_own.core.begin(), m_own.core.end(), [&](const CoreRun& run) {
               return RunUp(x + run.column, y + run.row) >= run.length;
           });
}

void FreeSpace::NoneLeftOf(double x)
{
    if (m_measured && m_shape < m_known.size())
        m_known[m_shape].left = std::max(m_known[m_shape].left, x - m_shapeShift);
}

size_t FreeSpace::KnownShape(const VectorPolygon& rings)
{
    const auto same = [&](const Known& known) {
        return known.rings.size() == rings.size() &&
               std::equal(rings.begin(), rings.end(), known.rings.begin(),
                          [](const NPolygonPtr& a, const NPolygonPtr& b) { return a && b && *a == *b; });
    };
    std::vector<size_t>& entries = m_knownBySize[rings[0]->m_points.size()];
    for (size_t k : entries)
        if (same(m_known[k]))
            return k;
    Known known;
    for (const NPolygonPtr& ring : rings)
        known.rings.push_back(ring ? ring->GetCopy() : nullptr);
    entries.push_back(m_known.size());
    m_known.push_back(std::move(known));
    return m_known.size() - 1;
}

FreeSpace::OwnCells FreeSpace::MeasureOwnCells(const VectorPolygon& rings, const NPoint& at) const
{
    // The moving figure on cells of its own, from its placement point: a
    // grid cell is a core cell of a stand when the two-by-two own cells below
    // and left of it are full, and within the footprint when they touch it.
    OwnCells cells;
    cells.shift = at - rings[0]->GetBegPoint();
    cells.cell = m_cell;
    const CellBox own = BoxOf(rings[0]->GetGabarit(), at, m_cell);
    cells.own = own;
    m_cellsMeasured += static_cast<size_t>(own.c1 - own.c0 + 1) * static_cast<size_t>(own.r1 - own.r0 + 1);
    const std::vector<double> areas = MaterialAreas(rings, at, m_cell, own);
    const int32_t ownRows = own.r1 - own.r0 + 1;
    auto ownArea = [&](int32_t c, int32_t r) {
        if (c < own.c0 || c > own.c1 || r < own.r0 || r > own.r1)
            return 0.0;
        return areas[static_cast<size_t>(c - own.c0) * ownRows + (r - own.r0)];
    };
    const double full = m_cellArea * (1.0 - 1e-9);
    std::vector<std::pair<int32_t, int32_t>> core;
    for (int32_t c = own.c0 + 1; c <= own.c1; ++c)
        for (int32_t r = own.r0 + 1; r <= own.r1; ++r)
            if (ownArea(c, r) >= full && ownArea(c - 1, r) >= full && ownArea(c, r - 1) >= full &&
                ownArea(c - 1, r - 1) >= full)
                core.emplace_back(c, r);
    // Its longest straight runs: no cell can hold its point where the grid
    // has no free run as long at their place. (The core is listed column by
    // column, each from the bottom.)
    {
        // Per row, the column of its last core cell and the run that ends there.
        std::vector<std::pair<int32_t, int32_t>> along(static_cast<size_t>(ownRows), {own.c0 - 2, 0});
        int32_t up = 0;
        for (size_t k = 0; k < core.size(); ++k) {
            const auto [c, r] = core[k];
            up = k > 0 && core[k - 1] == std::pair{c, r - 1} ? up + 1 : 1;
            if (up > cells.up.length)
                cells.up = {c, r, RunOf(up)};
            auto& [column, run] = along[static_cast<size_t>(r - own.r0)];
            run = column == c - 1 ? run + 1 : 1;
            column = c;
            if (run > cells.along.length)
                cells.along = {c, r, RunOf(run)};
        }
    }
    // The core as its runs up the columns, some of them when there are many
    // (the longest always).
    std::vector<CoreRun> runs;
    for (size_t k = 0; k < core.size(); ++k) {
        const auto [c, r] = core[k];
        if (k > 0 && core[k - 1] == std::pair{c, r - 1})
            runs.back() = {c, r, RunOf(runs.back().length + 1)};
        else
            runs.push_back({c, r, 1});
    }
    if (runs.size() > kCoreRuns) {
        std::vector<CoreRun> sample{cells.up};
        for (size_t k = 0; k < kCoreRuns; ++k)
            sample.push_back(runs[k * runs.size() / kCoreRuns]);
        runs = std::move(sample);
    }
    cells.core = std::move(runs);
    // The footprint, one cell wider on every side than the stands reach, as
    // the boxes of a split of its extent that the figure reaches into, runs
    // of them in a column of the split joined, equal runs side by side too.
    std::vector<CellBox>& footprint = cells.footprint;
    const int32_t spanC = own.c1 - own.c0 + 1;
    const int32_t spanR = own.r1 - own.r0 + 1;
    auto splitC = [&](int32_t i) { return own.c0 + i * spanC / kFootprintSplit; };
    auto splitR = [&](int32_t j) { return own.r0 + j * spanR / kFootprintSplit; };
    for (int32_t i = 0; i < kFootprintSplit; ++i) {
        for (int32_t j = 0; j < kFootprintSplit;) {
            auto reachedInto = [&](int32_t row) {
                for (int32_t c = splitC(i); c < splitC(i + 1); ++c)
                    for (int32_t r = splitR(row); r < splitR(row + 1); ++r)
                        if (ownArea(c, r) > 0.0)
                            return true;
                return false;
            };
            if (!reachedInto(j)) {
                ++j;
                continue;
            }
            int32_t end = j + 1;
            while (end < kFootprintSplit && reachedInto(end))
                ++end;
            const CellBox box{splitC(i) - 1, splitR(j) - 1, splitC(i + 1) + 1, splitR(end) + 1};
            if (!footprint.empty() && footprint.back().r0 == box.r0 && footprint.back().r1 == box.r1 &&
                footprint.back().c1 + 1 >= box.c0)
                footprint.back().c1 = box.c1;
            else
                footprint.push_back(box);
            j = end;
        }
    }
    if (footprint.empty())
        footprint.push_back({own.c0 - 1, own.r0 - 1, own.c1 + 2, own.r1 + 2});
    cells.footprintBox = Enclosing(footprint.begin(), footprint.end());
    return cells;
}

VectorFigure FreeSpace::Near(const VectorFigure& placed, const Figure& figure, const NPoint& at, double bound)
{
    m_measured = false;
    m_everywhere = true;
    m_own = {};
    m_leftmostStand = -std::numeric_limits<double>::infinity();
    m_shape = SIZE_MAX;
    m_from = -std::numeric_limits<double>::infinity();
    if (m_rows == 0 || figure.m_poligons.empty() || !figure.m_poligons[0] ||
        figure.m_poligons[0]->m_points.size() < 3)
        return placed;
    m_measured = true;
    // Where a figure of its shape found its leftmost free position last: it
    // has none left of there now (none at all where it found none).
    m_shape = KnownShape(figure.m_poligons);
    Known& known = m_known[m_shape];
    m_shapeShift = at.x - figure.m_poligons[0]->GetBegPoint().x;
    m_from = known.left + m_shapeShift;
    if (m_from == std::numeric_limits<double>::infinity()) {
        m_leftmostStand = m_from;
        m_stands = {};
        return {};
    }
    {
        // As the no-fit polygons close the dents (by its gap polygon's box).
        const NRect& box = figure.m_poligons[0]->GetGabarit();
        m_dentWidth = std::min(box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y) - 2.0 * EPS_REPEATED;
    }
    // Its cells, as the last figure of its shape with its point placed
    // alike had them.
    const NPoint shift = at - figure.m_poligons[0]->GetBegPoint();
    if (!known.cells || known.cells->cell != m_cell || !(known.cells->shift == shift))
        known.cells = MeasureOwnCells(figure.m_poligons, at);
    m_own = *known.cells;
    m_everywhere = m_own.core.empty();
    const CellBox& own = m_own.own;

    // Stands: the cells of the placement point whose core cells are all
    // free, over every cell from which the footprint reaches the grid. They
    // are worked out column by column from the left, as far as the queries
    // go (StandsTo).
    const int32_t zc0 = -(own.c1 + 2);
    const int32_t zr0 = -(own.r1 + 2);
    int32_t zColumns = m_columns - own.c0 + 2 - zc0;
    // Stands whose cells lie wholly at or right of the bound are not needed
    // (one column more is kept).
    const double boundColumns = std::floor((bound - m_region.pBot.x) / m_cell) - zc0 + 2.0;
    if (boundColumns < static_cast<double>(zColumns))
        zColumns = static_cast<int32_t>(std::max(boundColumns, 1.0));
    const int32_t zRows = m_rows - own.r0 + 2 - zr0;
    // None left of where the shape found its leftmost position (a column of
    // slack for the rounding).
    const int32_t zFrom =
        std::isfinite(m_from) ? std::clamp(CellIndex(m_from, m_region.pBot.x, m_cell) - 1 - zc0, 0, zColumns) : 0;
    m_standsFrom = {zc0, zr0};
    m_stands = m_everywhere ? CellCounts::All(zColumns, zRows, zFrom) : CellCounts(zColumns, zRows, zFrom);
    m_leftmostStand = m_from;
    if (!m_everywhere) {
        // Up to the first stand.
        while (m_stands.Done() < zColumns && m_stands.Kept() == 0)
            StandsTo(m_stands.Done());
        m_leftmostStand = m_stands.Kept() == 0 ? std::numeric_limits<double>::infinity()
                                               : m_region.pBot.x + (m_stands.FirstKept() + zc0) * m_cell;
    }

    // The figures whose boundary a stand's footprint may take in, as far as
    // its extent tells: MayMeet looks closer.
    VectorFigure near;
    const CellBox& f = m_own.footprintBox;
    const auto mayReach = [&](const Drawn& d, int32_t k) {
        return d.edgeBox.c1 - zc0 - f.c0 + k >= zFrom && d.edgeBox.c0 - zc0 - f.c1 - k < zColumns &&
               d.edgeBox.r1 - zr0 - f.r0 + k >= 0 && d.edgeBox.r0 - zr0 - f.r1 - k < zRows;
    };
    // No closing edge of a dent narrower than the figure stands off by more than half of it.
    const auto widest = static_cast<int32_t>(std::ceil(0.5 * std::max(m_dentWidth, 0.0) / m_cell)) + 2;
    const bool inOrder = m_inOrder && placed.size() == m_drawn.size() &&
                         (placed.empty() || (placed.front().get() == m_drawn.front().figure &&
                                             placed.back().get() == m_drawn.back().figure));
    if (inOrder) {
        // Only figures whose boundary ends right of where the stands'
        // footprints start can be reached: they are looked up by that end.
        std::vector<size_t> found = m_alwaysNear;
        m_lookedAt += found.size();
        for (auto it = m_byRight.lower_bound(zFrom + zc0 + f.c0 - widest); it != m_byRight.end(); ++it) {
            ++m_lookedAt;
            const Drawn& d = m_drawn[it->second];
            if (mayReach(d, widest) && mayReach(d, DentReach(d)))
                found.push_back(it->second);
        }
        std::sort(found.begin(), found.end());
        near.reserve(found.size());
        for (size_t k : found)
            near.push_back(placed[k]);
        return near;
    }
    m_lookedAt += placed.size();
    for (const std::shared_ptr<Figure>& placedFigure : placed) {
        const auto it = m_drawnAt.find(placedFigure.get());
        const Drawn* d = it == m_drawnAt.end() ? nullptr : &m_drawn[it->second];
        if (!d || d->alwaysNear)
            near.push_back(placedFigure);
        else if (!d->edge.empty() && mayReach(*d, widest) && mayReach(*d, DentReach(*d)))
            near.push_back(placedFigure);
    }
    return near;
}

void FreeSpace::StandsTo(int32_t last) const
{
    last = std::min(last, m_stands.Columns() - 1);
    const int32_t zc0 = m_standsFrom.first, zr0 = m_standsFrom.second;
    const int32_t zRows = m_stands.Rows();
    std::vector<char>& column = m_standColumn;
    column.resize(static_cast<size_t>(zRows));
    for (int32_t c = m_stands.Done(); c <= last; ++c) {
        if (!ColumnRunsAllow(c + zc0)) {
            m_stands.Add(nullptr, 0, -1);
            continue;
        }
        // The cells where the runs allow the point, then each core cell's
        // (those only between the first and the last such cell are set).
        int32_t lo = 0, hi = -1;
        RunsAllowColumn(c + zc0, zr0, column, lo, hi);
        for (const CoreRun& run : m_own.core) {
            if (lo > hi)
                break;
            // Rows of the stands whose run's top cell lies in the grid's rows.
            lo = std::max(lo, std::clamp(-zr0 - run.row, 0, zRows));
            hi = std::min(hi, std::clamp(m_rows - zr0 - run.row, 0, zRows) - 1);
            const int32_t x = c + zc0 + run.column;
            if (lo > hi || x < 0 || x >= m_allColumns) {
                hi = -1;
                break;
            }
            char* stand = column.data();
            if (x < m_columns) {
                // Empty as far down as the run goes where its top cell
                // falls; not in a block of rows whose runs are all shorter.
                const int32_t row = zr0 + run.row;
                const uint16_t* up = m_up.data() + Index(x, 0) + row;
                const uint16_t* blocks = m_upBlocks.data() + static_cast<size_t>(x) * static_cast<size_t>(BlocksPerColumn());
                const uint16_t length = run.length;
                for (int32_t r = lo; r <= hi;) {
                    const int32_t block = (row + r) / kBlockRows;
                    const int32_t next = std::min(hi + 1, (block + 1) * kBlockRows - row);
                    if (blocks[block] >= length) {
                        for (; r < next; ++r)
                            stand[r] = static_cast<char>(stand[r] & (up[r] >= length));
                    } else {
                        std::fill(stand + r, stand + next, 0);
                    }
                    r = next;
                }
            } else {
                // Past the columns drawn every cell is empty.
                const int32_t fromRow = run.length - 1 - zr0 - run.row;
                for (int32_t r = lo; r <= std::min(hi, fromRow - 1); ++r)
                    stand[r] = 0;
            }
            while (lo <= hi && !stand[lo])
                ++lo;
            while (hi >= lo && !stand[hi])
                --hi;
        }
        if (lo > hi) {
            m_stands.Add(nullptr, 0, -1);
            continue;
        }
        m_stands.Add(column.data(), lo, hi);
    }
}

bool FreeSpace::Reaches(const Drawn& drawn, const NRect& positions) const
{
    if (drawn.alwaysNear)
        return true;
    if (drawn.edge.empty())
        return false;
    // Stand cells (from the first one measured) within the positions.
    const int32_t ec = m_standsFrom.first, er = m_standsFrom.second;
    const int32_t c0 = CellIndex(positions.pBot.x, m_region.pBot.x, m_cell) - ec;
    const int32_t c1 = CellIndex(positions.pTop.x, m_region.pBot.x, m_cell) - ec;
    const int32_t r0 = CellIndex(positions.pBot.y, m_region.pBot.y, m_cell) - er;
    const int32_t r1 = CellIndex(positions.pTop.y, m_region.pBot.y, m_cell) - er;
    // A stand within them whose footprint, grown by what the figure's
    // closed dents add, takes in a cell the figure's boundary may cross:
    // looked for around the whole boundary, a group of its runs, a run, and
    // then by the footprint's boxes.
    const CellBox& whole = m_own.footprintBox;
    const int32_t k = DentReach(drawn);
    // Stands take in the boundary only from these columns.
    const int32_t first = std::max(c0, drawn.edgeBox.c0 - ec - whole.c1 - k);
    const int32_t last = std::min({c1, drawn.edgeBox.c1 - ec - whole.c0 + k, m_stands.Columns() - 1});
    if (first > last)
        return false;
    // Looked for among stand columns [lo, hi].
    const auto reachedIn = [&](int32_t lo, int32_t hi) {
        const auto stands = [&](const CellBox& e, const CellBox& b) {
            return m_stands.Any(std::max(e.c0 - ec - b.c1 - k, lo), std::max(e.r0 - er - b.r1 - k, r0),
                                std::min(e.c1 - ec - b.c0 + k, hi), std::min(e.r1 - er - b.r0 + k, r1));
        };
        if (!stands(drawn.edgeBox, whole))
            return false;
        size_t run = 0;
        for (const EdgeGroup& group : drawn.groups) {
            const size_t from = run;
            run = group.end;
            if (!stands(group.box, whole))
                continue;
            for (size_t e = from; e < group.end; ++e)
                if (stands(drawn.edge[e], whole) &&
                    std::any_of(m_own.footprint.begin(), m_own.footprint.end(),
                                [&](const CellBox& b) { return stands(drawn.edge[e], b); }))
                    return true;
        }
        return false;
    };
    // The stands worked out already, then more of them a stretch at a time,
    // each twice as long as the one before, up to the first that reaches:
    // a figure lying along a long strip need not have the stands worked out
    // along all of it when the first few columns show it met.
    int32_t lo = first;
    int32_t hi = std::min(last, m_stands.Done() - 1);
    for (int32_t stretch = kFirstStretch;; stretch = std::min(2 * stretch, 1 << 24)) {
        if (lo <= hi && reachedIn(lo, hi))
            return true;
        if (hi >= last)
            return false;
        lo = std::max(lo, hi + 1);
        hi = std::min(last, std::max(lo, m_stands.Done()) + stretch - 1);
        StandsTo(hi);
    }
}

int32_t FreeSpace::DentReach(const Drawn& drawn) const
{
    for (const auto& [width, cells] : drawn.dentReach)
        if (width == m_dentWidth)
            return cells;
    const VectorPolygon& gaps = drawn.figure->m_poligons;
    if (!drawn.dents && !gaps.empty() && gaps[0])
        drawn.dents = &m_outlineDents.Of(*gaps[0]);
    const double widest = drawn.dents ? OutlineDents::WidestClosing(*drawn.dents, m_dentWidth) : 0.0;
    const int32_t cells = widest > 0.0 ? static_cast<int32_t>(std::ceil(0.5 * widest / m_cell)) + 2 : 0;
    drawn.dentReach.emplace_back(m_dentWidth, cells);
    return cells;
}

FreeSpace::CellCounts::CellCounts(int32_t columns, int32_t rows, int32_t from)
    : m_columns(std::max(columns, 0)), m_rows(std::max(rows, 0)), m_from(std::clamp(from, 0, m_columns)),
      m_done(m_from), m_rank(static_cast<size_t>(m_done) + 1, 0), m_sums(static_cast<size_t>(m_rows) + 1, 0)
{
}

FreeSpace::CellCounts FreeSpace::CellCounts::All(int32_t columns, int32_t rows, int32_t from)
{
    CellCounts counts(columns, rows, from);
    counts.m_all = true;
    counts.m_done = counts.m_columns;
    return counts;
}

void FreeSpace::CellCounts::Add(const char* column, int32_t lo, int32_t hi)
{
    if (m_all || m_done >= m_columns)
        return;
    lo = std::max(lo, 0);
    hi = std::min(hi, m_rows - 1);
    const bool kept = column && lo <= hi && std::any_of(column + lo, column + hi + 1, [](char v) { return v != 0; });
    if (kept) {
        if (m_first < 0)
            m_first = m_done;
        const size_t before = m_sums.size() - static_cast<size_t>(m_rows) - 1;
        m_sums.resize(m_sums.size() + static_cast<size_t>(m_rows) + 1, 0);
        // The column before's sums, plus this column's cells up to the row.
        const int32_t* last = m_sums.data() + before;
        int32_t* sums = m_sums.data() + before + m_rows + 1;
        int32_t up = 0;
        for (int32_t r = 0; r < m_rows; ++r) {
            up += r >= lo && r <= hi ? column[r] : 0;
            sums[r + 1] = last[r + 1] + up;
        }
    }
    m_rank.push_back(m_rank.back() + (kept ? 1 : 0));
    ++m_done;
}

bool FreeSpace::CellCounts::Any(int32_t c0, int32_t r0, int32_t c1, int32_t r1) const
{
    c0 = std::max(c0, m_from);
    r0 = std::max(r0, 0);
    c1 = std::min(c1, m_done - 1);
    r1 = std::min(r1, m_rows - 1);
    if (c0 > c1 || r0 > r1)
        return false;
    if (m_all)
        return true;
    // The kept columns from c0 to c1 (none before the first one worked out).
    const int32_t k0 = Rank(c0);
    const int32_t k1 = Rank(c1 + 1) - 1;
    if (k0 > k1)
        return false;
    return m_sums[At(k1 + 1, r1 + 1)] - m_sums[At(k0, r1 + 1)] - m_sums[At(k1 + 1, r0)] + m_sums[At(k0, r0)] > 0;
}

bool FreeSpace::MayMeet(const Figure& placed, const NRect& positions) const
{
    if (!m_measured)
        return true;
    if (m_from == std::numeric_limits<double>::infinity())
        return false; // its shape found no room: it stands nowhere
    const auto it = m_drawnAt.find(&placed);
    if (it == m_drawnAt.end())
        return true;
    // Past the last column measured the strip is open as far as the region goes.
    const int32_t c1 = CellIndex(positions.pTop.x, m_region.pBot.x, m_cell) - m_standsFrom.first;
    if (c1 >= m_stands.Columns() && m_columns < m_allColumns)
        return true;
    return Reaches(m_drawn[it->second], positions);
}
