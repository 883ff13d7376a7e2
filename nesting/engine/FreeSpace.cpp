#include "engine/FreeSpace.h"

#include "geometry/RingArea.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr double kCellsAcross = 384.0;    // cells across the shorter side of the region
constexpr double kLongSideShare = 1024.0; // ... unless the longer side is more than this many times
constexpr double kSliverWidth = 1e-3;     // a free strip this narrow along a cell leaves it covered, mm
constexpr size_t kCoreSamples = 48;       // core cells tried for a stand
constexpr int32_t kFootprintSplit = 4;    // the footprint's box is cut into this many boxes each way

// The part of `ring` with lo <= y <= hi (Sutherland-Hodgman against two
// half-planes; a ring that falls apart stays one ring joined along the cut).
std::vector<NPoint> ClipToRow(const std::vector<NPoint>& ring, double lo, double hi)
{
    auto clip = [](const std::vector<NPoint>& in, double level, bool keepAbove) {
        std::vector<NPoint> out;
        if (in.empty())
            return out;
        auto inside = [&](const NPoint& p) { return keepAbove ? p.y >= level : p.y <= level; };
        NPoint prev = in.back();
        for (const NPoint& cur : in) {
            const bool curIn = inside(cur);
            if (curIn != inside(prev)) {
                const double t = (level - prev.y) / (cur.y - prev.y);
                out.push_back({prev.x + t * (cur.x - prev.x), level});
            }
            if (curIn)
                out.push_back(cur);
            prev = cur;
        }
        return out;
    };
    return clip(clip(ring, lo, true), hi, false);
}

// The area of `ring` in each cell of `box` (cells of side `cell` from
// `origin`), column by column: in each row, the area under the clipped ring's
// edges split over the columns (the shoelace sum, cut into strips). `ring`
// runs counter-clockwise.
std::vector<double> CellAreas(const std::vector<NPoint>& ring, const NPoint& origin, double cell,
                              const FreeSpace::CellBox& box)
{
    const int32_t rows = box.r1 - box.r0 + 1;
    std::vector<double> areas(static_cast<size_t>(box.c1 - box.c0 + 1) * rows, 0.0);
    const auto column = [&](double x) { return static_cast<int32_t>(std::floor((x - origin.x) / cell)); };
    for (int32_t r = box.r0; r <= box.r1; ++r) {
        const double y0 = origin.y + r * cell;
        const std::vector<NPoint> row = ClipToRow(ring, y0, y0 + cell);
        if (row.size() < 3)
            continue;
        NPoint a = row.back();
        for (const NPoint& b : row) {
            if (a.x != b.x) {
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
                            sign * (u1 - u0) * 0.5 * (height(u0) + height(u1));
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

// to[k] &= from[k] for n bytes, eight at a time; whether any stays set.
char AndInto(char* to, const char* from, size_t n)
{
    uint64_t any = 0;
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t a = 0, b = 0;
        std::memcpy(&a, to + k, 8);
        std::memcpy(&b, from + k, 8);
        a &= b;
        std::memcpy(to + k, &a, 8);
        any |= a;
    }
    for (; k < n; ++k) {
        to[k] = static_cast<char>(to[k] & from[k]);
        any |= static_cast<uint64_t>(static_cast<unsigned char>(to[k]));
    }
    return any != 0;
}

} // namespace

void FreeSpace::Reset(const Sheet& sheet, const NRect& region)
{
    m_sheet = &sheet;
    m_region = region;
    m_drawn.clear();
    m_cover.clear();
    m_freeFresh = SIZE_MAX;
    m_columns = 0;
    m_allColumns = 0;
    m_rows = 0;
    const double width = region.pTop.x - region.pBot.x;
    const double height = region.pTop.y - region.pBot.y;
    if (!(width > EPS) || !(height > EPS))
        return; // no grid: every figure is near
    m_cell = std::max(std::min(width, height), std::max(width, height) / kLongSideShare) / kCellsAcross;
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
    for (int32_t c = m_columns; c < columns; ++c) {
        // What lies beyond the region counts as covered.
        const double inX = std::clamp(width - c * m_cell, 0.0, m_cell);
        for (int32_t r = 0; r < m_rows; ++r)
            m_cover[Index(c, r)] = m_cellArea - inX * std::clamp(height - r * m_cell, 0.0, m_cell);
    }
    m_columns = columns;
}

void FreeSpace::Update(const Sheet& sheet, const NRect& region, const VectorFigure& placed)
{
    const bool sameRegion = m_sheet == &sheet && m_region.pBot == region.pBot && m_region.pTop == region.pTop;
    std::unordered_set<const Figure*> present;
    for (const std::shared_ptr<Figure>& f : placed)
        present.insert(f.get());
    const bool unchanged = sameRegion && std::all_of(m_drawn.begin(), m_drawn.end(), [&](const Drawn& d) {
        if (!present.count(d.figure))
            return false;
        const VectorPolygon& gaps = d.figure->m_poligons;
        return gaps.empty() ? d.points == 0
                            : gaps[0] && gaps[0]->m_points.size() == d.points && gaps[0]->GetBegPoint() == d.first;
    });
    if (!unchanged)
        Reset(sheet, region);
    std::unordered_set<const Figure*> drawn;
    for (const Drawn& d : m_drawn)
        drawn.insert(d.figure);
    for (const std::shared_ptr<Figure>& f : placed) {
        if (f && drawn.insert(f.get()).second) {
            Draw(*f);
        }
    }
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
    if (drawn.alwaysNear) {
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
    const std::vector<double> own = MaterialAreas(gaps, m_region.pBot, m_cell, box);
    auto ownAt = [&](int32_t c, int32_t r) {
        if (c < c0 || c > c1 || r < r0 || r > r1)
            return 0.0;
        return std::clamp(own[static_cast<size_t>(c - c0) * rows + (r - r0)], 0.0, m_cellArea);
    };
    const double full = m_cellArea - m_sliver;
    for (int32_t c = c0; c <= c1; ++c) {
        for (int32_t r = r0; r <= r1; ++r) {
            const double area = ownAt(c, r);
            if (area <= 0.0)
                continue;
            m_cover[Index(c, r)] += area;
            bool inner = area >= full;
            for (int32_t dc = -1; dc <= 1 && inner; ++dc)
                for (int32_t dr = -1; dr <= 1 && inner; ++dr)
                    inner = ownAt(c + dc, r + dr) >= full;
            if (!inner)
                drawn.edge.push_back(static_cast<uint32_t>(Index(c, r)));
        }
    }
    m_drawn.push_back(std::move(drawn));
}

bool FreeSpace::Solid(int32_t column, int32_t row) const
{
    if (row < 0 || row >= m_rows || column < 0)
        return true;
    if (column >= m_columns)
        return column >= m_allColumns;
    return m_cover[Index(column, row)] > m_cellArea - m_sliver;
}

bool FreeSpace::Stands(const NPoint& p) const
{
    if (m_everywhere)
        return true;
    const auto x = static_cast<int32_t>(std::floor((p.x - m_region.pBot.x) / m_cell));
    const auto y = static_cast<int32_t>(std::floor((p.y - m_region.pBot.y) / m_cell));
    return std::none_of(m_core.begin(), m_core.end(),
                        [&](const auto& o) { return Solid(x + o.first, y + o.second); });
}

VectorFigure FreeSpace::Near(const VectorFigure& placed, const Figure& figure, const NPoint& at, double bound)
{
    m_everywhere = true;
    m_core.clear();
    m_leftmostStand = -std::numeric_limits<double>::infinity();
    if (m_rows == 0 || figure.m_poligons.empty() || !figure.m_poligons[0] ||
        figure.m_poligons[0]->m_points.size() < 3)
        return placed;
    // The moving figure on cells of its own, from its placement point: a
    // grid cell is a core cell of a stand when the two-by-two own cells below
    // and left of it are full, and within the footprint when they touch it.
    const NPolygon& outline = *figure.m_poligons[0];
    const CellBox own = BoxOf(outline.GetGabarit(), at, m_cell);
    const std::vector<double> areas = MaterialAreas(figure.m_poligons, at, m_cell, own);
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
    if (core.size() > kCoreSamples) {
        std::vector<std::pair<int32_t, int32_t>> sample;
        for (size_t k = 0; k < kCoreSamples; ++k)
            sample.push_back(core[k * core.size() / kCoreSamples]);
        core = std::move(sample);
    }
    m_core = core;
    m_everywhere = core.empty();
    // The footprint, one cell wider on every side than the stands reach, as
    // the boxes of a split of its extent that the figure reaches into, runs
    // of them in a column of the split joined, equal runs side by side too.
    std::vector<CellBox> footprint;
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

    // Stands: the cells of the placement point whose core cells are all
    // free, over every cell from which the footprint reaches the grid; one
    // core cell at a time over whole columns.
    const int32_t zc0 = -(own.c1 + 2);
    const int32_t zr0 = -(own.r1 + 2);
    int32_t zColumns = m_columns - own.c0 + 2 - zc0;
    // Stands whose cells lie wholly at or right of the bound are not needed
    // (one column more is kept).
    const double boundColumns = std::floor((bound - m_region.pBot.x) / m_cell) - zc0 + 2.0;
    if (boundColumns < static_cast<double>(zColumns))
        zColumns = static_cast<int32_t>(std::max(boundColumns, 1.0));
    const int32_t zRows = m_rows - own.r0 + 2 - zr0;
    if (m_freeFresh != m_drawn.size()) {
        m_free.resize(m_cover.size());
        for (size_t k = 0; k < m_cover.size(); ++k)
            m_free[k] = m_cover[k] <= m_cellArea - m_sliver;
        m_freeFresh = m_drawn.size();
    }
    std::vector<char> stands(static_cast<size_t>(zColumns) * zRows, 1);
    std::vector<char> open(static_cast<size_t>(zColumns), 1); // the column still has a stand
    for (const auto& [oc, orow] : m_core) {
        // Rows of the stands whose core cell lies in the grid's rows.
        const int32_t rFirst = std::clamp(-zr0 - orow, 0, zRows);
        const int32_t rEnd = std::clamp(m_rows - zr0 - orow, 0, zRows);
        for (int32_t c = 0; c < zColumns; ++c) {
            if (!open[static_cast<size_t>(c)])
                continue;
            char* column = &stands[static_cast<size_t>(c) * zRows];
            const int32_t x = c + zc0 + oc;
            std::fill(column, column + rFirst, 0);
            std::fill(column + rEnd, column + zRows, 0);
            char any = 0;
            if (x >= 0 && x < m_columns) {
                const char* free = m_free.data() + (static_cast<std::ptrdiff_t>(Index(x, 0)) + zr0 + orow + rFirst);
                any = AndInto(column + rFirst, free, static_cast<size_t>(rEnd - rFirst));
            } else if (x >= 0 && x < m_allColumns) {
                for (int32_t r = rFirst; r < rEnd; ++r)
                    any |= column[r];
            } else {
                std::fill(column + rFirst, column + rEnd, 0);
            }
            open[static_cast<size_t>(c)] = any;
        }
    }
    m_stands = CellCounts(stands, zColumns, zRows);
    m_standsFrom = {zc0, zr0};
    m_footprint = footprint;
    const CellCounts& counts = m_stands;
    m_leftmostStand = -std::numeric_limits<double>::infinity();
    if (!m_everywhere) {
        const auto first = std::find(stands.begin(), stands.end(), 1);
        m_leftmostStand = first == stands.end()
                              ? std::numeric_limits<double>::infinity()
                              : m_region.pBot.x + (static_cast<int32_t>((first - stands.begin()) / zRows) + zc0) *
                                                      m_cell;
    }

    std::unordered_map<const Figure*, const Drawn*> drawn;
    for (const Drawn& d : m_drawn)
        drawn.emplace(d.figure, &d);
    auto reached = [&](uint32_t cell) {
        const int32_t c = static_cast<int32_t>(cell / static_cast<uint32_t>(m_rows)) - zc0;
        const int32_t r = static_cast<int32_t>(cell % static_cast<uint32_t>(m_rows)) - zr0;
        return std::any_of(footprint.begin(), footprint.end(), [&](const CellBox& b) {
            return counts.Any(c - b.c1, r - b.r1, c - b.c0, r - b.r0);
        });
    };
    VectorFigure near;
    for (const std::shared_ptr<Figure>& f : placed) {
        const auto it = drawn.find(f.get());
        if (it == drawn.end() || it->second->alwaysNear ||
            std::any_of(it->second->edge.begin(), it->second->edge.end(), reached))
            near.push_back(f);
    }
    return near;
}

FreeSpace::CellCounts::CellCounts(const std::vector<char>& set, int32_t columns, int32_t rows)
    : m_columns(columns), m_rows(rows), m_sums(static_cast<size_t>(columns + 1) * (rows + 1), 0)
{
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = 0; r < rows; ++r)
            m_sums[At(c + 1, r + 1)] = set[static_cast<size_t>(c) * rows + r] + m_sums[At(c, r + 1)] +
                                       m_sums[At(c + 1, r)] - m_sums[At(c, r)];
}

bool FreeSpace::CellCounts::Any(int32_t c0, int32_t r0, int32_t c1, int32_t r1) const
{
    c0 = std::max(c0, 0);
    r0 = std::max(r0, 0);
    c1 = std::min(c1, m_columns - 1);
    r1 = std::min(r1, m_rows - 1);
    if (c0 > c1 || r0 > r1)
        return false;
    return m_sums[At(c1 + 1, r1 + 1)] - m_sums[At(c0, r1 + 1)] - m_sums[At(c1 + 1, r0)] + m_sums[At(c0, r0)] > 0;
}

bool FreeSpace::MayMeet(const Figure& placed, const NRect& positions) const
{
    if (m_everywhere)
        return true;
    const auto it = std::find_if(m_drawn.begin(), m_drawn.end(), [&](const Drawn& d) { return d.figure == &placed; });
    if (it == m_drawn.end() || it->alwaysNear)
        return true;
    const auto cell = [&](double v, double base) { return static_cast<int32_t>(std::floor((v - base) / m_cell)); };
    const int32_t c0 = cell(positions.pBot.x, m_region.pBot.x) - m_standsFrom.first;
    const int32_t c1 = cell(positions.pTop.x, m_region.pBot.x) - m_standsFrom.first;
    const int32_t r0 = cell(positions.pBot.y, m_region.pBot.y) - m_standsFrom.second;
    const int32_t r1 = cell(positions.pTop.y, m_region.pBot.y) - m_standsFrom.second;
    // Past the last column measured the strip is open as far as the region goes.
    if (c1 >= m_stands.Columns() && m_columns < m_allColumns)
        return true;
    // A stand in the rectangle whose footprint takes in a cell the figure's
    // boundary may cross.
    return std::any_of(it->edge.begin(), it->edge.end(), [&](uint32_t edge) {
        const int32_t c = static_cast<int32_t>(edge / static_cast<uint32_t>(m_rows)) - m_standsFrom.first;
        const int32_t r = static_cast<int32_t>(edge % static_cast<uint32_t>(m_rows)) - m_standsFrom.second;
        return std::any_of(m_footprint.begin(), m_footprint.end(), [&](const CellBox& b) {
            return m_stands.Any(std::max(c - b.c1, c0), std::max(r - b.r1, r0), std::min(c - b.c0, c1),
                                std::min(r - b.r0, r1));
        });
    });
}
