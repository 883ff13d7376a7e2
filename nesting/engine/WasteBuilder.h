// Remnants of a sheet: the free area beside the placed parts turned into
// shapes that can be kept as stock.
//
// The decomposition into rectangles works on plain polygons: the sheet's
// outline in the sheet's own frame (lower-left corner of its gabarit at the
// origin) and, per part, its outline rings (outer contour first, then the
// holes), all in the drawing coordinates of the sheet's view. The model hands
// over its sheet's and parts' rings.
#pragma once

#include "geometry/Polygon.h"

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
    // part gap away from them, within the sheet's outline; ledges narrower
    // than `wastSize` are cut off.
    void CreateWastesAutomatically(const std::shared_ptr<Sheet>& sheet,
                                   const std::vector<std::shared_ptr<Figure>>& figures, double wastSize,
                                   std::vector<std::shared_ptr<Waste>>& wastes);
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
    std::vector<std::vector<NRectanglePtr>> m_rectangles;
    std::vector<NRectanglePtr> m_validRectangles;
    std::vector<NRectanglePtr> m_restRectangles;
    std::vector<NRectanglePtr> m_allRectangles;

private:
    // The farthest a grid line across x (along y) lies from a vertex it
    // stands for: a part may reach that far into a free cell.
    double m_gridShiftX = 0.0;
    double m_gridShiftY = 0.0;

    void PrepareRectangleGrid(const NPolygon& sheet, const std::vector<VectorPolygon>& figures);
    void PreliminaryUniteRectangles(std::vector<NRectanglePtr>& unitedRectangles);
    void ExtendValidRectangles();
    void UniteRestRectangles(double minSize);
    void TransformWastesByGap(const NPolygon& sheet, double gap, std::vector<NRectanglePtr>& wasteRectangles);
    static void CreateRectanglePolygons(const std::vector<NRectanglePtr>& wasteRectangles, VectorPolygon& outs);

    // Adds the point unless one within the grid's merge distance is there;
    // returns how far the grid line that stands for it lies from it.
    static double AddPoint(const NPoint& point, std::vector<NPoint>& points);
    static void FindAdjacentRest(const std::vector<NRectanglePtr>& restRectangles, const NRectanglePtr& rest,
                                 RectanglesGroup& group);
    static bool CheckConjunction(const NRectangle& rect1, const NRectangle& rect2);
    static void FindUnitableGroups(const std::vector<NRectanglePtr>& rectangles,
                                   std::vector<std::vector<NRectanglePtr>>& intersectGroups);

    // Grid steps.
    bool IsCellPresent(size_t i, size_t j) const;
    bool AreCellsPresent(size_t colBeg, size_t colEnd, size_t rowBeg, size_t rowEnd) const;
    bool GrowByColumn(NRectangle& rect);
    bool GrowByRow(NRectangle& rect);
    void ExtendDown(NRectangle& valid);
    void ExtendRight(NRectangle& valid);
    void ExtendLeft(NRectangle& valid);
    void CollectCandidates(const RectanglesGroup& group, double minSize, std::vector<NRectanglePtr>& candidates) const;
};
