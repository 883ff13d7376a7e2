// Remnants of a sheet: the free area beside the placed parts turned into
// shapes that can be kept as stock.
//
// The decomposition into rectangles works on plain polygons: the sheet's
// outline in the sheet's own frame (lower-left corner of its gabarit at the
// origin) and, per part, its outline rings (outer contour first, then the
// holes), all in the drawing coordinates of the sheet's view. The model hands
// over its sheet's and parts' rings.
//
// Its grid has a line at every distinct x and y of the sheet and the parts,
// so that on a sheet of many parts turned at a slant it has a hundred
// million cells and more. It is kept as runs of free cells up each column:
// each part marks the runs it takes column by column, from where its edges
// cross the column's sides and middle (a cell is taken where an edge
// crosses it, or the part holds a corner or its centre, and given back
// where it lies in a hole), and the free cells are joined into rectangles
// run by run. The cost grows with the parts' edges and the rectangles, not
// with the cells.
#pragma once

#include "geometry/Polygon.h"

#include <cstdint>
#include <memory>
#include <vector>

class Figure;
class Sheet;
class Waste;

class WasteBuilder {
public:
    // A rectangle of grid cells. Grid columns are numbered from the largest x
    // downward, rows from the smallest y upward, so x1 is the right-hand edge
    // and x2 the left-hand one, y1 the bottom and y2 the top. The rectangle
    // covers columns i1 .. i2-1 and rows j1 .. j2-1.
    struct NRectangle {
        NRectangle(double x1, double y1, double x2, double y2, size_t i, size_t j);

        // The rectangle as an NRect with pBot below and left of pTop.
        NRect GetRect() const;
        double Width() const;
        double Height() const;

        // Diagnostic drawing of the four sides in the active view.
        void Draw(int style);
        void Clear();

        double x1;
        double y1;
        double x2;
        double y2;
        size_t i1;
        size_t j1;
        size_t i2;
        size_t j2;
        bool used = false;
        std::vector<int> segments;
    };
    using NRectanglePtr = std::shared_ptr<NRectangle>;

    struct RectanglesGroup {
        // Diagnostic drawing: the first member in style 1, the others but the
        // last in style 3, the last in style 4.
        void Draw();

        std::vector<NRectanglePtr> rectangles;
        NRectanglePtr unitedRectangle;
    };

    void Init(double figureGap, double sheetGap);

    // Appends to `outs` one four-vertex polygon per rectangular remnant of the
    // free area of the sheet `sheetOutline` beside the parts `figures` (each
    // part's outline rings, outer first). Each side that does not lie on the
    // sheet's edge is moved inward by the part gap; the rectangles whose
    // sides both exceed `minSize` then are kept.
    void DecomposeToRectangles(const NPolygonPtr& sheetOutline, const std::vector<VectorPolygon>& figures,
                               double minSize, VectorPolygon& outs);

    // Remnant macros (command 104) with a Waste on each, in the drawing
    // coordinates of the sheet view the parts lie in. Owner, number and text
    // are the caller's. The remnant around `point` among the parts' outlines
    // grown by the part gap (in a part's hole, among its holes shrunk by the
    // gap: the slug); none when no closed contour encloses it or the point
    // lies on a part or within its gap, with the reason in `why` when given.
    std::shared_ptr<Waste> CreateWasteManually(const std::vector<std::shared_ptr<Figure>>& figures,
                                               const NPoint& point, std::wstring* why = nullptr);
    // The free area of the sheet beside the parts' gap rectangles, kept the
    // part gap away from them, within the sheet's outline, less every strip
    // and arm of it narrower than `leastWidth`; ledges narrower than
    // `wastSize` are cut off.
    void CreateWastesAutomatically(const std::shared_ptr<Sheet>& sheet,
                                   const std::vector<std::shared_ptr<Figure>>& figures, double wastSize,
                                   double leastWidth, std::vector<std::shared_ptr<Waste>>& wastes);
    // The rectangles of DecomposeToRectangles for the sheet and its parts.
    void CreateWastesByRectangles(const std::shared_ptr<Sheet>& sheet,
                                  const std::vector<std::shared_ptr<Figure>>& figures, double minSize,
                                  std::vector<std::shared_ptr<Waste>>& wastes);

    // Converts polygons from drawing coordinates into the coordinates of the
    // view `viewNumber` (the sheet's view).
    static void TransformPolygons(int viewNumber, VectorPolygon& polygons);

    double m_figureGap = 0.0;
    double m_sheetGap = 0.0;
    // How far the parts' true outlines may stand outside the rings handed to
    // DecomposeToRectangles (the rings follow curves on chords): the
    // rectangles keep that much more off them.
    double m_outlineSag = 0.0;
    std::vector<NRectanglePtr> m_validRectangles;
    std::vector<NRectanglePtr> m_restRectangles;

    // The grid of the last decomposition: its columns and rows of cells.
    size_t Columns() const { return m_free.size(); }
    size_t Rows() const { return m_lineY.size() > 1 ? m_lineY.size() - 1 : 0; }

    // Rows [begin, end) of one column of the grid.
    struct RowRun {
        uint32_t begin = 0;
        uint32_t end = 0;
    };
    using RowRuns = std::vector<RowRun>;

private:
    // The farthest a grid line across x (along y) lies from a vertex it
    // stands for: a part may reach that far into a free cell.
    double m_gridShiftX = 0.0;
    double m_gridShiftY = 0.0;
    // The grid lines: x from the largest down (column i lies between
    // m_lineX[i] on the right and m_lineX[i + 1]), y from the smallest up.
    std::vector<double> m_lineX;
    std::vector<double> m_lineY;
    std::vector<RowRuns> m_free;   // per column, the runs of free cells
    std::vector<RowRuns> m_unused; // ... and of those no rectangle has taken yet
    // The rectangles that started at a cell of the first and of the last
    // column, by row: such a cell stands for its rectangle afterwards.
    std::vector<NRectanglePtr> m_startedFirst;
    std::vector<NRectanglePtr> m_startedLast;
    std::vector<size_t> m_holding; // GrowByRow's runs, column by column

    void PrepareRectangleGrid(const NPolygon& sheet, const std::vector<VectorPolygon>& figures);
    void PreliminaryUniteRectangles(std::vector<NRectanglePtr>& unitedRectangles);
    void ExtendValidRectangles();
    void UniteRestRectangles(double minSize);
    void TransformWastesByGap(const NPolygon& sheet, const std::vector<VectorPolygon>& figures, double gap,
                              std::vector<NRectanglePtr>& wasteRectangles);
    static void CreateRectanglePolygons(const std::vector<NRectanglePtr>& wasteRectangles, VectorPolygon& outs);

    // The rest rectangles that lie against one another (share a stretch of
    // a grid line), by their index among them, each list ascending.
    std::vector<std::vector<size_t>> AdjacentRest(const std::vector<NRectanglePtr>& restRectangles) const;
    // Depth first from rest rectangle `rest`: every unused one joined to one
    // already found is marked and appended (neighbours in their order).
    static void FindAdjacentRest(const std::vector<NRectanglePtr>& restRectangles,
                                 const std::vector<std::vector<size_t>>& adjacent, size_t rest,
                                 RectanglesGroup& group);

    // Grid steps.
    bool AreCellsPresent(size_t colBeg, size_t colEnd, size_t rowBeg, size_t rowEnd) const;
    // The rows are free and not taken in the column: taken now (or false).
    bool TakeUnused(size_t column, size_t rowBeg, size_t rowEnd, bool take);
    // The rows taken from the column's unused run `run`, which holds them.
    void TakeFrom(size_t column, size_t run, size_t rowBeg, size_t rowEnd);
    bool GrowByColumn(NRectangle& rect);
    bool GrowByRow(NRectangle& rect);
    // The right (left) side of the cell in the first (last) column: of the
    // rectangle that started there, when one did.
    double FirstColumnRight(size_t row) const;
    double LastColumnLeft(size_t row) const;
    void ExtendDown(NRectangle& valid, const std::vector<std::vector<size_t>>& restByTop);
    // Every valid rectangle stretched sideways, towards column 0 (`right`) or
    // towards the last column.
    void ExtendSideways(bool right);
    void CollectCandidates(const RectanglesGroup& group, double minSize, std::vector<NRectanglePtr>& candidates);
    // CollectCandidates' rows, slabs and runs along x.
    struct Run {
        double left = 0.0;
        double right = 0.0;
    };
    std::vector<size_t> m_levels;
    std::vector<size_t> m_slab;
    std::vector<size_t> m_slabRuns;
    std::vector<Run> m_runs;
};
