// Remnant macros from the builder's shapes: around a picked point, from the
// free area of a sheet, and from its rectangle decomposition.
#include "engine/WasteBuilder.h"
#include "geometry/RectangleArea.h"
#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"
#include "model/NestingWaste.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWasteCommand = static_cast<int>(MacroCommand::Waste);
constexpr unsigned short kGapOutlineStyle = 3;

// A remnant's outline: the outer ring and the rings of the parts' areas
// that lie inside it.
struct RemnantShape {
    NPolygonPtr outer;
    VectorPolygon holes;
};

WastePtr WasteOn(const INestingMacroObjectPtr& macro)
{
    return macro ? Waste::Create(macro) : WastePtr{};
}

// A macro of several rings: each drawn as a closed polyline and gathered
// into one macro where it stands; the drawings go again when the host makes
// no macro.
INestingMacroObjectPtr MacroOfRings(const RemnantShape& shape)
{
    vlapi::IDrawingContainerPtr container = vrnApi::GetActiveDrawingContainer();
    if (!container)
        return {};
    std::vector<vlapi::IDrawingObjectPtr> rings;
    for (const NPolygonPtr& ring : shape.holes) {
        if (vlapi::IPolyLine2DPtr polyline = vrnApi::CreatePolyLine(container, *ring, 1))
            rings.push_back(vlapi::IDrawingObjectPtr(polyline));
    }
    if (vlapi::IPolyLine2DPtr polyline = vrnApi::CreatePolyLine(container, *shape.outer, 1))
        rings.insert(rings.begin(), vlapi::IDrawingObjectPtr(polyline));
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByObjects(rings, NPoint{0.0, 0.0}, kWasteCommand);
    if (!macro) {
        for (const vlapi::IDrawingObjectPtr& ring : rings)
            ring->Delete();
    }
    return macro;
}

WastePtr MakeWaste(const RemnantShape& shape)
{
    if (shape.holes.empty())
        return WasteOn(vrnApi::CreateMacroByPolygon(*shape.outer, L"", kWasteCommand));
    return WasteOn(MacroOfRings(shape));
}

void AppendWastes(const std::vector<RemnantShape>& shapes, std::vector<WastePtr>& wastes)
{
    for (const RemnantShape& shape : shapes) {
        if (WastePtr waste = MakeWaste(shape))
            wastes.push_back(std::move(waste));
    }
}

void AppendWastes(const VectorPolygon& rectangles, std::vector<WastePtr>& wastes)
{
    std::vector<RemnantShape> shapes;
    for (const NPolygonPtr& rectangle : rectangles)
        shapes.push_back(RemnantShape{rectangle, {}});
    AppendWastes(shapes, wastes);
}

// The gap polygon of a part whose working polygons are built.
const NPolygon* GapOutline(const Figure& figure)
{
    return figure.m_poligons.empty() ? nullptr : figure.m_poligons.front().get();
}

// How far the part's true outline may stand outside its rings: they follow
// its curves on chords.
double OutlineSag(const Figure& figure)
{
    constexpr double kLargestSag = 1.0;  // mm: a stored sag beyond it is no sag of ours
    const double sag = figure.m_borderSag;
    return std::isfinite(sag) && sag >= 0.0 && sag <= kLargestSag ? sag : 0.0;
}

// The part's gap rectangle: its gap polygon's gabarit, or, before the gap
// polygons are built, its outline's gabarit grown by half the gap.
NRect GapRectangle(const Figure& figure, double halfGap)
{
    if (GapOutline(figure))
        return figure.m_rect;
    const NRect& border = figure.m_rectBorder;
    const double by = halfGap + OutlineSag(figure);
    return NRect{{border.pBot.x - by, border.pBot.y - by}, {border.pTop.x + by, border.pTop.y + by}};
}

// The shape's area that a hole crosses is taken away: the pieces left, each
// with the shape's other holes that it holds.
std::vector<RemnantShape> CutAway(const RemnantShape& shape, const NPolygonPtr& hole)
{
    VectorPolygon pieces;
    CreateBooleanPoligons({shape.outer, hole}, BooleanType::Difference, pieces);
    std::vector<RemnantShape> cut;
    for (const NPolygonPtr& piece : pieces) {
        if (!piece || piece->m_points.size() < 3)
            continue;
        RemnantShape part{piece, {}};
        for (const NPolygonPtr& other : shape.holes) {
            if (piece->CheckContainPoligon(*other, true))
                part.holes.push_back(other);
        }
        cut.push_back(std::move(part));
    }
    return cut;
}

// On a sheet that is not a rectangle, the free area found within its
// bounding rectangle is cut to its outline. A part's ring goes as a hole with
// the piece that holds it, and is cut away from a piece whose edge it crosses.
// The pieces with the holes: a hole goes with the piece that holds it, and
// is cut away from a piece whose edge it crosses.
std::vector<RemnantShape> WithHoles(std::vector<RemnantShape> parts, const VectorPolygon& holes)
{
    for (const NPolygonPtr& hole : holes) {
        std::vector<RemnantShape> next;
        for (RemnantShape& part : parts) {
            if (part.outer->CheckContainPoligon(*hole, true)) {
                part.holes.push_back(hole);
                next.push_back(std::move(part));
            } else if (part.outer->CheckIntersection(*hole, false)) {
                for (RemnantShape& rest : CutAway(part, hole))
                    next.push_back(std::move(rest));
            } else {
                next.push_back(std::move(part));
            }
        }
        parts = std::move(next);
    }
    return parts;
}

std::vector<RemnantShape> ClipToSheet(const std::vector<RemnantShape>& shapes, const NPolygon& sheet)
{
    const NPolygonPtr outline = std::make_shared<NPolygon>(NPoint{}, sheet.m_points);
    std::vector<RemnantShape> clipped;
    for (const RemnantShape& shape : shapes) {
        VectorPolygon pieces;
        CreateBooleanPoligons({shape.outer, outline}, BooleanType::Intersection, pieces);
        std::vector<RemnantShape> parts;
        for (const NPolygonPtr& piece : pieces) {
            if (piece && piece->m_points.size() >= 3)
                parts.push_back(RemnantShape{piece, {}});
        }
        for (RemnantShape& part : WithHoles(std::move(parts), shape.holes))
            clipped.push_back(std::move(part));
    }
    return clipped;
}

// The free-area ring with its ledges narrower than `wastSize` cut off. The
// flattening of a short step may fill a notch as well, and a notch of the
// free area is the gap of a part: only what stays within the ring is kept,
// one ring for each piece (and the rings of what the cutting left enclosed).
VectorPolygon Simplified(const NPolygonPtr& ring, double wastSize)
{
    if (wastSize < EPS)
        return {ring};
    NPolygonPtr flat = RemoveLedgesTarvel(ring, wastSize);
    if (!flat)
        return {};
    flat->DelEquilPoints();
    flat->DelColinearPoints();
    if (flat->m_points.size() < 3)
        return {};
    VectorPolygon pieces;
    CreateBooleanPoligons({ring, flat}, BooleanType::Intersection, pieces);
    std::erase_if(pieces, [](const NPolygonPtr& piece) { return !piece || piece->m_points.size() < 3; });
    return pieces;
}

// The pieces of the free area as remnants: ledges narrower than `wastSize`
// cut off each piece's outer ring; its islands (the areas of parts standing
// free of the sheet's edge) are its holes.
std::vector<RemnantShape> Remnants(const std::vector<RectangleAreaPiece>& free, double wastSize)
{
    const auto ring = [](const std::vector<NPoint>& points) { return std::make_shared<NPolygon>(NPoint{}, points); };
    std::vector<RemnantShape> shapes;
    for (const RectangleAreaPiece& piece : free) {
        VectorPolygon holes;
        for (const std::vector<NPoint>& island : piece.islands)
            holes.push_back(ring(island));
        // The pieces run the ring's way; one running the other way is an
        // island the cutting closed off: a hole of the piece around it.
        const NPolygonPtr outer = ring(piece.outer);
        const bool way = outer->CheckDirection();
        std::vector<RemnantShape> parts;
        for (const NPolygonPtr& cut : Simplified(outer, wastSize)) {
            if (cut->CheckDirection() == way)
                parts.push_back(RemnantShape{cut, {}});
            else
                holes.push_back(cut);
        }
        for (RemnantShape& part : WithHoles(std::move(parts), holes))
            shapes.push_back(std::move(part));
    }
    return shapes;
}

// A part's rings kept the full part gap away from it, as a remnant cut beside
// the part keeps it (the gap polygons keep only half of it): its outer ring
// grown, by the host's offset or as its gap polygon where the host gives
// none, and its holes shrunk (a hole narrower than twice the gap gives none).
struct GrownRings {
    NPolygonPtr outer;
    VectorPolygon holes;
};

std::vector<GrownRings> GrownOutlines(const std::vector<FigurePtr>& figures, double gap)
{
    std::vector<GrownRings> outlines;
    for (const FigurePtr& figure : figures) {
        if (figure->m_borders.empty() || !figure->m_borders.front())
            continue;
        VectorPolygon rings;
        for (const NPolygonPtr& border : figure->m_borders)
            if (border)
                rings.push_back(border->GetCopy());
        if (!rings.front()->CheckDirection())
            rings.front()->Invert();
        VectorPolygon grown;
        vrnApi::CreateEquidistantPoligons(rings, gap, grown, false);
        GrownRings part;
        if (!grown.empty() && grown.front()) {
            part.outer = grown.front();
            for (size_t i = 1; i < grown.size(); ++i)
                if (grown[i])
                    part.holes.push_back(grown[i]);
        } else if (const NPolygon* outline = GapOutline(*figure)) {
            part.outer = outline->GetCopy();
        } else {
            continue;
        }
        outlines.push_back(std::move(part));
    }
    return outlines;
}

}  // namespace

WastePtr WasteBuilder::CreateWasteManually(const std::vector<FigurePtr>& figures, const NPoint& point,
                                           std::wstring* why)
{
    const std::vector<GrownRings> parts = GrownOutlines(figures, m_figureGap);
    // A point on a part or within its gap would be enclosed by the part's
    // own outline: no remnant there. In a part's hole, clear of its edge by
    // the gap, the hole shrunk by the gap bounds the remnant.
    VectorPolygon drawn;
    for (const GrownRings& part : parts) {
        drawn.push_back(part.outer);
        if (!part.outer->CheckContainPoint(point, true))
            continue;
        const auto hole = std::find_if(part.holes.begin(), part.holes.end(), [&point](const NPolygonPtr& ring) {
            return ring->CheckContainPoint(point, false);
        });
        if (hole == part.holes.end()) {
            if (why)
                *why = L"точка на детали или ближе к ней, чем зазор между деталями";
            return {};
        }
        drawn.push_back(*hole);
    }
    for (const NPolygonPtr& outline : drawn)
        outline->Draw(kGapOutlineStyle);
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByEncloseContours(point, kWasteCommand);
    WastePtr waste = macro ? Waste::Create(macro) : WastePtr{};
    for (const NPolygonPtr& outline : drawn)
        outline->Clear();
    if (!waste && why)
        *why = L"вокруг точки нет замкнутой свободной области";
    return waste;
}

void WasteBuilder::CreateWastesAutomatically(const SheetPtr& sheet, const std::vector<FigurePtr>& figures,
                                             double wastSize, double leastWidth, std::vector<WastePtr>& wastes)
{
    if (!sheet)
        return;
    // The free area: the sheet kept its edge gap less half the part gap
    // from its edges, beside every part's gap rectangle grown by half the
    // part gap, so that the remnants keep the whole gap from the parts.
    const double h = m_figureGap * 0.5;
    const double edge = m_sheetGap - h < EPS ? 0.0 : m_sheetGap - h;
    const NRect area{{edge, edge}, {sheet->GetWidth() - edge, sheet->GetHeight() - edge}};
    std::vector<NRect> taken;
    for (const FigurePtr& figure : figures) {
        const NRect r = GapRectangle(*figure, h);
        taken.push_back(NRect{{r.pBot.x - h, r.pBot.y - h}, {r.pTop.x + h, r.pTop.y + h}});
    }
    std::vector<RemnantShape> shapes = Remnants(WideRectangleArea(area, taken, leastWidth), wastSize);
    if (sheet->m_polygon && !sheet->m_polygon->CheckRectangle())
        shapes = ClipToSheet(shapes, *sheet->m_polygon);
    AppendWastes(shapes, wastes);
}

void WasteBuilder::CreateWastesByRectangles(const SheetPtr& sheet, const std::vector<FigurePtr>& figures,
                                            double minSize, std::vector<WastePtr>& wastes)
{
    if (!sheet || !sheet->m_polygon)
        return;
    std::vector<VectorPolygon> parts;
    m_outlineSag = 0.0;
    for (const FigurePtr& figure : figures) {
        if (figure->m_borders.empty())
            continue;
        // The rectangles are sought beside the parts' curves followed as
        // coarsely as the configured precision lets them (their rings never
        // cut into the parts): a round followed on a hundred short edges
        // would slice the free area beside and inside it into strips too
        // thin to keep.
        // A compound's outline is its members' joined, not its macro's.
        double area = 0.0, length = 0.0, sag = 0.0;
        VectorPolygon rings;
        if (!dynamic_cast<const CompoundFigure*>(figure.get()))
            rings = figure->ReadBorders(area, length, sag, nullptr, true);
        const bool read = !rings.empty();
        parts.push_back(read ? std::move(rings) : figure->m_borders);
        m_outlineSag = std::max({m_outlineSag, OutlineSag(*figure), read ? sag : 0.0});
    }
    VectorPolygon rectangles;
    DecomposeToRectangles(sheet->m_polygon, parts, minSize, rectangles);
    AppendWastes(rectangles, wastes);
}
