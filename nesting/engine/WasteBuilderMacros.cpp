// Remnant macros from the builder's shapes: around a picked point, from the
// free area of a sheet, and from its rectangle decomposition.
#include "engine/HodographBuilder.h"
#include "engine/WasteBuilder.h"
#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"
#include "model/NestingWaste.h"

#include <algorithm>

namespace {

constexpr double kTolerance = 1e-4;
constexpr int kWasteCommand = static_cast<int>(MacroCommand::Waste);
constexpr unsigned short kGapOutlineStyle = 3;

WastePtr MakeWaste(const NPolygon& polygon)
{
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByPolygon(polygon, L"", kWasteCommand);
    return macro ? Waste::Create(macro) : WastePtr{};
}

void AppendWastes(const VectorPolygon& polygons, std::vector<WastePtr>& wastes)
{
    for (const NPolygonPtr& polygon : polygons) {
        if (WastePtr waste = MakeWaste(*polygon))
            wastes.push_back(std::move(waste));
    }
}

// The gap polygon of a part whose working polygons are built.
const NPolygon* GapOutline(const Figure& figure)
{
    return figure.m_poligons.empty() ? nullptr : figure.m_poligons.front().get();
}

// The part's gap rectangle: its gap polygon's gabarit, or, before the gap
// polygons are built, its outline's gabarit grown by half the gap.
NRect GapRectangle(const Figure& figure, double halfGap)
{
    if (GapOutline(figure))
        return figure.m_rect;
    const NRect& border = figure.m_rectBorder;
    return NRect{{border.pBot.x - halfGap, border.pBot.y - halfGap}, {border.pTop.x + halfGap, border.pTop.y + halfGap}};
}

// The closed contours chained from the hodographs' sides.
std::vector<NContourPtr> FreeAreaContours(const std::vector<HodographRectPtr>& hodographs)
{
    std::vector<NSegmentPtr> segments;
    for (const HodographRectPtr& hodograph : hodographs) {
        std::vector<NSegmentPtr> sides;
        hodograph->GetSegments(sides);
        for (const NSegmentPtr& side : sides) {
            if (side && !CheckEquilPoints(side->p1, side->p2))
                segments.push_back(side);
        }
    }
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);
    return contours;
}

// The simple pieces of a contour's polygon, ledges narrower than `wastSize` removed.
void AppendRemnantShapes(const NContour& contour, double wastSize, VectorPolygon& shapes)
{
    NPolygonPtr polygon = contour.CreatePolygon();
    if (!polygon || polygon->m_points.size() < 3)
        return;
    VectorPolygon pieces;
    polygon->GetSubPolygons(pieces);
    if (pieces.empty())
        pieces.push_back(polygon);
    for (const NPolygonPtr& piece : pieces) {
        NPolygonPtr shape = wastSize < kTolerance ? piece : RemoveLedgesTarvel(piece, wastSize);
        if (shape && shape->m_points.size() >= 3)
            shapes.push_back(std::move(shape));
    }
}

// Each part's outer ring grown by the full part gap, as a remnant cut beside
// the part keeps it (the gap polygons keep only half of it): the host's
// offset of the outline, or the gap polygon where the host gives none.
VectorPolygon GrownOutlines(const std::vector<FigurePtr>& figures, double gap)
{
    VectorPolygon outlines;
    for (const FigurePtr& figure : figures) {
        if (figure->m_borders.empty() || !figure->m_borders.front())
            continue;
        NPolygonPtr ring = figure->m_borders.front()->GetCopy();
        if (!ring->CheckDirection())
            ring->Invert();
        VectorPolygon grown;
        vrnApi::CreateEquidistantPoligons({ring}, gap, grown, false);
        if (!grown.empty() && grown.front())
            outlines.push_back(grown.front());
        else if (const NPolygon* outline = GapOutline(*figure))
            outlines.push_back(outline->GetCopy());
    }
    return outlines;
}

}  // namespace

WastePtr WasteBuilder::CreateWasteManually(const std::vector<FigurePtr>& figures, const NPoint& point)
{
    const VectorPolygon outlines = GrownOutlines(figures, m_figureGap);
    // A point on a part or within its gap would be enclosed by the part's
    // own outline: no remnant there.
    if (std::any_of(outlines.begin(), outlines.end(),
                    [&point](const NPolygonPtr& outline) { return outline->CheckContainPoint(point, true); }))
        return {};
    for (const NPolygonPtr& outline : outlines)
        outline->Draw(kGapOutlineStyle);
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByEncloseContours(point, kWasteCommand);
    WastePtr waste = macro ? Waste::Create(macro) : WastePtr{};
    for (const NPolygonPtr& outline : outlines)
        outline->Clear();
    return waste;
}

void WasteBuilder::CreateWastesAutomatically(const SheetPtr& sheet, const std::vector<FigurePtr>& figures,
                                             double wastSize, std::vector<WastePtr>& wastes)
{
    if (!sheet)
        return;
    const double h = m_figureGap * 0.5;
    const NRect square{{-h, -h}, {h, h}};
    const NRect sheetRect{{-h, -h}, {sheet->GetWidth() + h, sheet->GetHeight() + h}};
    std::vector<NRect> placed;
    for (const FigurePtr& figure : figures)
        placed.push_back(GapRectangle(*figure, h));

    HodographBuilder hodographBuilder;
    hodographBuilder.Init(m_figureGap, m_sheetGap, 0, false);
    std::vector<HodographRectPtr> hodographs;
    hodographBuilder.CreateRectHodographs(0.0, 0.0, placed, square, sheetRect, hodographs);

    VectorPolygon shapes;
    for (const NContourPtr& contour : FreeAreaContours(hodographs))
        AppendRemnantShapes(*contour, wastSize, shapes);
    AppendWastes(shapes, wastes);
}

void WasteBuilder::CreateWastesByRectangles(const SheetPtr& sheet, const std::vector<FigurePtr>& figures,
                                            double minSize, std::vector<WastePtr>& wastes)
{
    if (!sheet || !sheet->m_polygon)
        return;
    std::vector<VectorPolygon> parts;
    for (const FigurePtr& figure : figures) {
        if (!figure->m_borders.empty())
            parts.push_back(figure->m_borders);
    }
    VectorPolygon rectangles;
    DecomposeToRectangles(sheet->m_polygon, parts, minSize, rectangles);
    AppendWastes(rectangles, wastes);
}
