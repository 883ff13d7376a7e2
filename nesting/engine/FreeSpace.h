// The free space of a sheet around the figures placed on it, kept on a grid,
// and the placed figures a moving figure can touch at a free position.
//
// Only those figures' no-fit polygons can give the moving figure a free
// position (one where it touches them); a figure it can touch nowhere adds
// no position and takes none away. Without it, only positions that overlap
// it can seem free, and none of those is a stand (below), so the placement
// refuses them by the grid. As a strip fills up, most placed figures lie
// walled in by others, and their no-fit polygons need not be built.
//
// The grid answers conservatively. A cell is solid when the placed figures'
// gap polygons (and what lies past the region) cover it but for a sliver.
// The moving figure may stand with its placement point in a cell only when
// none of its core cells (those it covers wherever in that cell the point
// lies) is solid there; standing so, it reaches at most the cells of its
// footprint, kept as a few boxes. A placed figure is near when one of the
// cells its boundary may cross lies in the footprint of such a stand: a
// figure overlapping a stand's figure without touching its boundary would
// cover its core cells. A figure's holes are free cells, their borders
// edges: a figure standing in a hole is near the one around it.
#pragma once

#include "engine/HodographBuilder.h"
#include "geometry/Polygon.h"

#include <cstdint>
#include <cstddef>
#include <limits>
#include <memory>
#include <vector>

class Figure;
class Sheet;
using VectorFigure = std::vector<std::shared_ptr<Figure>>;

class FreeSpace : public PositionFilter {
public:
    // Follows `sheet` and the figures placed on it: figures placed since the
    // last call are drawn in; another sheet or region, a figure gone or moved
    // starts the grid again. `region` is where gap polygons may lie.
    void Update(const Sheet& sheet, const NRect& region, const VectorFigure& placed);
    // The figures of `placed` (in their order) that `figure`'s outer gap
    // polygon, with its placement point at `at`, can touch at a free
    // position left of `bound` (positions at or right of it are of no use to
    // the caller, and neither stands nor near figures there are looked for).
    // Keeps the figure's core cells for Stands.
    VectorFigure Near(const VectorFigure& placed, const Figure& figure, const NPoint& at,
                      double bound = std::numeric_limits<double>::infinity());
    // The figure of the last Near may stand with its placement point at `p`:
    // none of its core cells is solid there. Where it may not, it overlaps a
    // placed figure; where it may, it overlaps none of those Near left out.
    bool Stands(const NPoint& p) const;
    // No free position of the figure of the last Near lies left of this x.
    double LeftmostStand() const { return m_leftmostStand; }

    // The positions as far as the figures left out of the last Near go:
    // stands, and whether a stand within `positions` has `placed` within the
    // reach of the figure.
    bool Allows(const NPoint& p) const override { return Stands(p); }
    bool MayMeet(const Figure& placed, const NRect& positions) const override;

    // A rectangle of cells, bounds included.
    struct CellBox {
        int32_t c0 = 0, r0 = 0, c1 = -1, r1 = -1;
    };

private:
    // Counts of the cells set in a rectangle of cells, by sums from a corner.
    class CellCounts {
    public:
        CellCounts() = default;
        CellCounts(const std::vector<char>& set, int32_t columns, int32_t rows);
        // Any cell set in columns c0..c1, rows r0..r1 (clipped to the grid).
        bool Any(int32_t c0, int32_t r0, int32_t c1, int32_t r1) const;
        int32_t Columns() const { return m_columns; }
        int32_t Rows() const { return m_rows; }

    private:
        size_t At(int32_t c, int32_t r) const { return static_cast<size_t>(c) * (m_rows + 1) + r; }
        int32_t m_columns = 0;
        int32_t m_rows = 0;
        std::vector<int32_t> m_sums;
    };

    struct Drawn {
        const Figure* figure = nullptr;
        NPoint first;               // its outer gap polygon's first point when drawn
        size_t points = 0;
        bool alwaysNear = false;    // could not be drawn
        std::vector<uint32_t> edge; // cells its boundary may cross
    };

    void Reset(const Sheet& sheet, const NRect& region);
    void Draw(const Figure& figure);
    void EnsureColumns(int32_t columns);
    size_t Index(int32_t column, int32_t row) const { return static_cast<size_t>(column) * m_rows + row; }
    // Solid cell; rows off the grid are solid, columns past it free (as far
    // as the region goes).
    bool Solid(int32_t column, int32_t row) const;

    const Sheet* m_sheet = nullptr;
    NRect m_region;
    double m_cell = 1.0;
    double m_cellArea = 1.0;
    double m_sliver = 0.0;       // free area of a cell that still counts as covered
    int32_t m_rows = 0;
    int32_t m_columns = 0;       // columns allocated, one free column past the drawn ones
    int32_t m_allColumns = 0;    // columns of the whole region
    std::vector<double> m_cover; // covered area per cell, column by column
    std::vector<Drawn> m_drawn;
    std::vector<char> m_free;  // the cells not solid, once worked out
    size_t m_freeFresh = SIZE_MAX; // the figures drawn when they were
    std::vector<std::pair<int32_t, int32_t>> m_core; // of the last Near's figure, from its point's cell
    bool m_everywhere = true;                         // no grid or no core: it may stand anywhere
    double m_leftmostStand = 0.0;
    CellCounts m_stands;                          // of the last Near's figure
    std::pair<int32_t, int32_t> m_standsFrom{0, 0}; // the grid cell of its first column and row
    std::vector<CellBox> m_footprint;             // of the last Near's figure, from its point's cell
};
