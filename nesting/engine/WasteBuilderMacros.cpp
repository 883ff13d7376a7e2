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

// The simple rings of the free-area contours.
VectorPolygon FreeAreaRings(const std::vector<NContourPtr>& contours)
{
    VectorPolygon rings;
    for (const NContourPtr& contour : contours) {
        NPolygonPtr polygon = contour->CreatePolygon();
        if (!polygon || polygon->m_points.size() < 3)
            continue;
        VectorPolygon pieces;
        polygon->GetSubPolygons(pieces);
        if (pieces.empty())
            pieces.push_back(polygon);
        for (const NPolygonPtr& piece : pieces) {
            if (piece && piece->m_points.size() >= 3)
                rings.push_back(piece);
        }
    }
    return rings;
}

// The rings that enclose ring `i`.
std::vector<size_t> Enclosing(const VectorPolygon& rings, size_t i)
{
    std::vector<size_t> enclosing;
    for (size_t j = 0; j < rings.size(); ++j) {
        if (j != i && rings[j]->CheckContainPoligon(*rings[i], true))
            enclosing.push_back(j);
    }
    return enclosing;
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

// A part standing free of the sheet's edge leaves its area as a ring inside
// the free area's ring: the rings at an even depth bound free area, each
// ring at an odd depth is a hole of the ring one level up that encloses it.
// Ledges narrower than `wastSize` are cut off the outer rings.
std::vector<RemnantShape> GroupRings(const VectorPolygon& rings, double wastSize)
{
    std::vector<std::vector<size_t>> enclosing;
    for (size_t i = 0; i < rings.size(); ++i)
        enclosing.push_back(Enclosing(rings, i));
    std::vector<RemnantShape> shapes;
    for (size_t i = 0; i < rings.size(); ++i) {
        if (enclosing[i].size() % 2 != 0)
            continue;
        VectorPolygon holes;
        for (size_t k = 0; k < rings.size(); ++k) {
            const std::vector<size_t>& around = enclosing[k];
            if (around.size() == enclosing[i].size() + 1 && std::count(around.begin(), around.end(), i) != 0)
                holes.push_back(rings[k]);
        }
        // The pieces run the ring's way; one running the other way is an
        // island the cutting closed off: a hole of the piece around it.
        const VectorPolygon pieces = Simplified(rings[i], wastSize);
        const bool way = rings[i]->CheckDirection();
        std::vector<RemnantShape> parts;
        for (const NPolygonPtr& piece : pieces) {
            if (piece->CheckDirection() == way)
                parts.push_back(RemnantShape{piece, {}});
            else
                holes.push_back(piece);
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

    std::vector<RemnantShape> shapes = GroupRings(FreeAreaRings(FreeAreaContours(hodographs)), wastSize);
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
    for (const FigurePtr& figure : figures) {
        if (!figure->m_borders.empty())
            parts.push_back(figure->m_borders);
    }
    VectorPolygon rectangles;
    DecomposeToRectangles(sheet->m_polygon, parts, minSize, rectangles);
    AppendWastes(rectangles, wastes);
}
