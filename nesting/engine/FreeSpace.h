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
// The grid answers conservatively. A cell is empty when the placed figures'
// gap polygons (and what lies past the region) cover no more of it than a
// sliver. The moving figure may stand with its placement point in a cell
// only when all of its core cells (those it covers wherever in that cell the
// point lies) are empty there: any more of a placed figure in one is an
// overlap. Standing so, it reaches at most the cells of its footprint, kept
// as a few boxes. A placed figure is near when one of the cells its boundary
// may cross lies in the footprint of such a stand: a figure overlapping a
// stand's figure without touching its boundary would cover its core cells.
// A figure's holes are free cells, their borders edges: a figure standing in
// a hole is near the one around it. The grid keeps, per cell, the runs of
// empty cells up its column and along its row that end there: no cell can
// hold the point where the core's longest runs find none as long.
#pragma once

#include "engine/HodographBuilder.h"
#include "engine/OutlineDents.h"
#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class Figure;
class Sheet;
using VectorFigure = std::vector<std::shared_ptr<Figure>>;

class FreeSpace : public PositionFilter {
public:
    // Follows `sheet` and the figures placed on it: figures placed since the
    // last call are drawn in; another sheet or region, a figure gone or moved
    // starts the grid again. `region` is where gap polygons may lie.
    // `detail`: the figures' outlines' vertices, on average. Cells are finer
    // for figures of many vertices: their no-fit polygons cost more, and the
    // finer the grid, the fewer it leaves to build (and the more it costs
    // itself). `material`: the area of the figures of the run, all of them,
    // and `figures` how many they are; cells are never so fine that as much
    // again would take more than a budget of cells, nor more than a budget
    // per figure (a long strip as narrow as its tallest part would take
    // gigabytes, and a lone long part on a narrow sheet millions of cells of
    // its own). No figures: the material's budget alone.
    void Update(const Sheet& sheet, const NRect& region, const VectorFigure& placed, double detail = 0.0,
                double material = 0.0, size_t figures = 0);
    // The same where figures are only added, each where it stays: `placed`
    // starts with the figures of the last call, in their order, and only
    // the figures after them are looked at (the work follows the figures
    // added, not all of them). Where that does not hold as far as their
    // count and the last of them tell, or the sheet, region or measures
    // differ, it is Update.
    void Add(const Sheet& sheet, const NRect& region, const VectorFigure& placed, double detail = 0.0,
             double material = 0.0, size_t figures = 0);
    // The figures of `placed` (in their order) that `figure`'s outer gap
    // polygon, with its placement point at `at`, may touch at a free
    // position left of `bound` (positions at or right of it are of no use to
    // the caller, and neither stands nor near figures there are looked for),
    // as far as their extents tell: MayMeet tells closer for each. Keeps the
    // figure's cells for Stands; the stands themselves are worked out column
    // by column as MayMeet asks for them, from the left, and from where a
    // figure of its shape last found its leftmost free position (NoneLeftOf).
    VectorFigure Near(const VectorFigure& placed, const Figure& figure, const NPoint& at,
                      double bound = std::numeric_limits<double>::infinity());
    // The figure of the last Near may stand with its placement point at `p`:
    // all of its core cells are empty there, and it lies right of where its
    // shape found room last. Where it may not, it overlaps a placed figure
    // (or, left of there, stands nowhere free); where it may, it overlaps
    // none of those Near left out.
    bool Stands(const NPoint& p) const;
    // No free position of the figure of the last Near lies left of this x.
    double LeftmostStand() const { return m_leftmostStand; }
    // No free position of the figure of the last Near lies left of `x` (its
    // placement point's x). Figures are only added to the grid until it
    // starts again, so none will for a figure of the same shape in the same
    // turn: its stands start there.
    void NoneLeftOf(double x);

    // The cells worked out since it was made: the grid's, and those of the
    // figures measured on cells of their own (the work grows with them).
    size_t CellsMeasured() const { return m_cellsMeasured; }
    // The placed figures looked at since it was made, one by one, to follow
    // them and to find those near a figure.
    size_t FiguresLookedAt() const { return m_lookedAt; }

    // The positions as far as the figures left out of the last Near go:
    // stands, and whether a stand within `positions` has `placed` within the
    // reach of the figure.
    bool Allows(const NPoint& p) const override { return Stands(p); }
    bool MayMeet(const Figure& placed, const NRect& positions) const override;
    double FreeFrom() const override
    {
        return m_measured ? m_from - m_cell : -std::numeric_limits<double>::infinity();
    }

    // A rectangle of cells, bounds included.
    struct CellBox {
        int32_t c0 = 0, r0 = 0, c1 = -1, r1 = -1;
    };

    // Counts of the cells set in a rectangle of cells, by sums from a corner,
    // built column by column from column `from` (none set before it); only
    // the columns with a cell set are kept. All: every cell from `from` on.
    class CellCounts {
    public:
        CellCounts() = default;
        CellCounts(int32_t columns, int32_t rows, int32_t from);
        static CellCounts All(int32_t columns, int32_t rows, int32_t from);
        // The next column's cells (`rows` of them), or none set (null):
        // only those of rows lo..hi may be set, the others are not read.
        void Add(const char* column, int32_t lo, int32_t hi);
        // Any cell set in columns c0..c1, rows r0..r1 (clipped to the grid
        // and to the columns added).
        bool Any(int32_t c0, int32_t r0, int32_t c1, int32_t r1) const;
        int32_t Columns() const { return m_columns; }
        int32_t Rows() const { return m_rows; }
        int32_t Done() const { return m_done; }     // columns before this one are known
        int32_t Kept() const { return m_rank.back(); }
        int32_t FirstKept() const { return m_first; } // -1 for none

    private:
        size_t At(int32_t k, int32_t r) const { return static_cast<size_t>(k) * (m_rows + 1) + r; }
        int32_t Rank(int32_t c) const { return m_rank[static_cast<size_t>(std::clamp(c, 0, m_done))]; }
        int32_t m_columns = 0;
        int32_t m_rows = 0;
        int32_t m_from = 0;
        int32_t m_done = 0;
        int32_t m_first = -1;
        bool m_all = false;
        std::vector<int32_t> m_rank{0}; // per column up to m_done, the kept columns before it
        std::vector<int32_t> m_sums;    // over the kept columns
    };

private:
    // Runs of boundary cells [.., end) and the box that holds them.
    struct EdgeGroup {
        CellBox box;
        size_t end = 0;
    };
    struct Drawn {
        const Figure* figure = nullptr;
        NPoint first;               // its outer gap polygon's first point when drawn
        size_t points = 0;
        bool alwaysNear = false;    // could not be drawn
        std::vector<CellBox> edge;  // cells its boundary may cross, as runs up a column
        std::vector<EdgeGroup> groups;
        CellBox edgeBox;            // the extent of them all
        // Its outline's dents, and by the width up to which they are closed
        // for a moving figure, the cells by which the closed outline may
        // stand off the outline (worked out when first asked).
        mutable OutlineDents::Shape* dents = nullptr;
        mutable std::vector<std::pair<double, int32_t>> dentReach;
    };
    // A straight run of a figure's core cells, from its placement point's
    // cell: vertical (`row` its top) or horizontal (`column` its right end).
    struct CoreRun {
        int32_t column = 0;
        int32_t row = 0;
        uint16_t length = 0;
    };
    // A moving figure on cells of its own, from its placement point's cell:
    // its core (the cells it covers wherever in that cell its point lies) as
    // runs up its columns (some of them where there are many), its longest
    // runs of core cells, and its footprint (the cells it reaches from
    // there, one more on every side, as a few boxes).
    struct OwnCells {
        NPoint shift;  // its placement point less its outer ring's first point
        double cell = 0.0;
        CellBox own;   // the cells of its gap polygon's box
        std::vector<CoreRun> core;
        CoreRun up;    // vertical, `row` its top
        CoreRun along; // horizontal, `column` its right end
        std::vector<CellBox> footprint;
        CellBox footprintBox; // their extent
    };
    OwnCells MeasureOwnCells(const VectorPolygon& rings, const NPoint& at) const;

    void Reset(const Sheet& sheet, const NRect& region, double detail, double material, size_t figures);
    void Draw(const Figure& figure);
    void EnsureColumns(int32_t columns);
    size_t Index(int32_t column, int32_t row) const { return static_cast<size_t>(column) * m_rows + row; }
    // Runs of empty cells, as many cells as they hold (at most the largest
    // uint16_t): the longest one up a column; the ones up a column and along
    // a row ending at a cell; the longest along a row ending in a column.
    // Rows off the grid hold none, columns past those drawn are empty as far
    // as the region goes.
    uint16_t ColumnRunUp(int32_t column) const;
    uint16_t RunUp(int32_t column, int32_t row) const;
    uint16_t RunAlong(int32_t column, int32_t row) const;
    uint16_t ColumnRunAlong(int32_t column) const;
    // Works out the empty cells and the runs of `cells` (from their cover),
    // the runs up their columns that change above them and along their rows
    // right of them.
    void Refresh(const CellBox& cells);
    // Its parts: the grid's summaries sized to its columns; the empty cells
    // and the runs up a column from row r0 (as far as they change, past r1);
    // the runs along the rows of `cells` from its first column on.
    void SizeSummaries();
    void RefreshColumn(int32_t column, int32_t r0, int32_t r1);
    void RefreshRows(const CellBox& cells);
    // The longest of `runs` in each block of rows r0..r1 of the column, and
    // in the whole column from its blocks.
    static constexpr int32_t kBlockRows = 64;
    int32_t BlocksPerColumn() const { return (m_rows + kBlockRows - 1) / kBlockRows; }
    void Summarise(const std::vector<uint16_t>& runs, std::vector<uint16_t>& blocks, std::vector<uint16_t>& longest,
                   int32_t column, int32_t r0, int32_t r1);
    // A stand of the last Near's figure within `positions` has the drawn
    // figure's boundary within its footprint.
    bool Reaches(const Drawn& drawn, const NRect& positions) const;
    // The cells by which the drawn figure's outline with its dents closed for
    // the last Near's figure may stand off the outline. A figure's no-fit
    // polygons close the dents of the figures it meets that are narrower than
    // itself: it touches the closing edges too.
    int32_t DentReach(const Drawn& drawn) const;
    // Works out the stands of the last Near's figure up to stand column `last`.
    void StandsTo(int32_t last) const;
    // The core's runs allow the figure's point in that cell (in some cell of
    // that column): the grid holds free runs at least as long where they fall.
    bool RunsAllow(int32_t column, int32_t row) const;
    bool ColumnRunsAllow(int32_t column) const;
    // RunsAllow for the cells of `column` from row `row0` up, one per entry:
    // `lo` and `hi` the first and the last that it allows (lo > hi for
    // none), entries outside them left as they were.
    void RunsAllowColumn(int32_t column, int32_t row0, std::vector<char>& allow, int32_t& lo, int32_t& hi) const;
    // The entry of m_known for a figure's gap polygons, added when new.
    size_t KnownShape(const VectorPolygon& rings);

    const Sheet* m_sheet = nullptr;
    NRect m_region;
    double m_detail = 0.0;
    double m_material = 0.0;
    size_t m_figures = 0;
    double m_cell = 1.0;
    double m_cellArea = 1.0;
    double m_sliver = 0.0;       // free area of a cell that still counts as covered
    int32_t m_rows = 0;
    int32_t m_columns = 0;       // columns allocated, one free column past the drawn ones
    int32_t m_allColumns = 0;    // columns of the whole region
    std::vector<double> m_cover; // covered area per cell, column by column
    std::vector<Drawn> m_drawn;
    std::unordered_map<const Figure*, size_t> m_drawnAt; // index into m_drawn
    // m_drawn holds the `placed` of the last Update or Add, in its order
    // (Near then finds the near figures among those it may reach).
    bool m_inOrder = false;
    std::multimap<int32_t, size_t> m_byRight; // the drawn with a boundary, by the last column it may cross
    std::vector<size_t> m_alwaysNear;         // the drawn that could not be
    std::vector<char> m_empty;       // the cells empty
    std::vector<uint16_t> m_up;      // per cell, the free run up its column ending there
    std::vector<uint16_t> m_along;   // per cell, the free run along its row ending there
    std::vector<uint16_t> m_columnUp;    // per column, its longest run up
    std::vector<uint16_t> m_columnAlong; // per column, the longest run along a row ending in it
    std::vector<uint16_t> m_upBlocks;    // the same per block of rows of each column
    std::vector<uint16_t> m_alongBlocks;
    OwnCells m_own;                                   // the last Near's figure's
    bool m_measured = false;                          // the last Near's figure was measured on the grid
    bool m_everywhere = true;                         // no grid or no core: it may stand anywhere (right of m_from)
    // Gap polygons of the figures measured, each with the leftmost x of its
    // outer ring's first point at which one of them may still be free.
    struct Known {
        VectorPolygon rings;
        double left = -std::numeric_limits<double>::infinity();
        std::optional<OwnCells> cells; // kept while the cells keep their size
    };
    std::vector<Known> m_known;
    std::unordered_map<size_t, std::vector<size_t>> m_knownBySize; // entries by the outer ring's vertices
    size_t m_shape = SIZE_MAX;   // the last Near's figure's entry
    double m_shapeShift = 0.0;   // its placement point's x less its outer ring's first point's
    double m_from = -std::numeric_limits<double>::infinity(); // no free position of it lies left of this x
    double m_dentWidth = 0.0;   // the dents it closes are narrower than this
    double m_leftmostStand = 0.0;
    mutable CellCounts m_stands;                  // of the last Near's figure, as far as worked out
    mutable std::vector<char> m_standColumn;      // one column of them being worked out
    std::pair<int32_t, int32_t> m_standsFrom{0, 0}; // the grid cell of its first column and row
    mutable size_t m_cellsMeasured = 0;
    size_t m_lookedAt = 0;
    static constexpr size_t kDentShapesKept = 4096;
    mutable OutlineDents m_outlineDents; // the drawn figures' dents, by shape
};
