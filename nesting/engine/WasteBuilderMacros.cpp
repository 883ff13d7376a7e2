// Remnant macros from the builder's shapes: around a picked point, from the
// free area of a sheet, and from its rectangle decomposition.
#include "engine/WasteBuilder.h"
#include "geometry/DisjointSets.h"
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

// The remnants are drawn to the millimetre: sizes in whole millimetres, no
// side under 1 mm. Where the free area's edge would step across by less
// (parts standing a hair out of line, as the placement leaves them), the
// step is not drawn.
constexpr double kRemnantStep = 1.0;  // mm

// A side of a rectangle that faces the free area across one axis: where it
// stands on that axis, the stretch it spans along the other, and the
// coordinate it is.
struct FacingSide {
    double at;
    double from;
    double to;
    double* coordinate;
};

// Sides facing the free area the same way that stand less than `step` apart
// and near enough along the other axis for the free area's edge to run from
// one to the other (closer than `reach`, the narrowest strip it keeps) are
// set to the one standing farthest into the free area (`least`: the lowest
// of them), so that the edge runs straight on. True when a side moved.
bool AlignFacing(std::vector<FacingSide>& sides, double step, double reach, bool least)
{
    std::stable_sort(sides.begin(), sides.end(), [](const FacingSide& a, const FacingSide& b) { return a.at < b.at; });
    DisjointSets sets(sides.size());
    for (size_t i = 0; i < sides.size(); ++i) {
        for (size_t j = i + 1; j < sides.size() && sides[j].at - sides[i].at < step; ++j) {
            if (std::max(sides[i].from, sides[j].from) - std::min(sides[i].to, sides[j].to) < reach)
                sets.Unite(i, j);
        }
    }
    // The sides are sorted: a set's first member stands lowest, its last highest.
    std::vector<double> to(sides.size());
    for (size_t i = 0; i < sides.size(); ++i)
        to[sets.Root(i)] = least ? sides[sets.Root(i)].at : sides[i].at;
    bool moved = false;
    for (FacingSide& side : sides) {
        const double at = to[sets.Root(static_cast<size_t>(&side - sides.data()))];
        if (*side.coordinate != at) {
            *side.coordinate = at;
            moved = true;
        }
    }
    return moved;
}

// The parts' boxes and the area's edges aligned so that the free area they
// leave has no step narrower than `step` along its edge: a box only grows,
// the area only shrinks, each by less than `step` unless a row of such
// steps runs on, so the free area keeps its gap to every part.
void AlignSides(NRect& area, std::vector<NRect>& taken, double step, double reach)
{
    constexpr int kMostRounds = 8;  // each round only grows the boxes: a few settle them
    for (int round = 0; round < kMostRounds; ++round) {
        bool moved = false;
        for (const bool alongX : {true, false}) {
            const auto on = [alongX](NPoint& p) -> double& { return alongX ? p.x : p.y; };
            const auto across = [alongX](const NPoint& p) { return alongX ? p.y : p.x; };
            // The free area lies below (left of) the boxes' lower sides and the
            // area's upper one, above the others.
            std::vector<FacingSide> below, above;
            below.push_back({on(area.pTop), across(area.pBot), across(area.pTop), &on(area.pTop)});
            above.push_back({on(area.pBot), across(area.pBot), across(area.pTop), &on(area.pBot)});
            for (NRect& box : taken) {
                below.push_back({on(box.pBot), across(box.pBot), across(box.pTop), &on(box.pBot)});
                above.push_back({on(box.pTop), across(box.pBot), across(box.pTop), &on(box.pTop)});
            }
            if (AlignFacing(below, step, reach, true))
                moved = true;
            if (AlignFacing(above, step, reach, false))
                moved = true;
        }
        if (!moved)
            return;
    }
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
    NRect within = area;
    AlignSides(within, taken, kRemnantStep, leastWidth);
    std::vector<RemnantShape> shapes = Remnants(WideRectangleArea(within, taken, leastWidth), wastSize);
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
        parts.push_back(figure->m_borders);
        m_outlineSag = std::max(m_outlineSag, OutlineSag(*figure));
    }
    VectorPolygon rectangles;
    DecomposeToRectangles(sheet->m_polygon, parts, minSize, rectangles);
    AppendWastes(rectangles, wastes);
}
