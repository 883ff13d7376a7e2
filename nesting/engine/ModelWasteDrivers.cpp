// The model's remnant commands that run a builder or place labels: making a
// remnant at a point, rebuilding the remnants of every sheet, numbering and
// naming them.
#include "engine/WasteBuilder.h"
#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"
#include "host/WorkingDrawing.h"
#include "model/NestingModel.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// A remnant narrower than this either way is no stock, whatever the minimum
// size: its size would be registered as 0.
constexpr double kLeastRemnantSide = 1.0;  // mm

// Narrower than `least` either way, by more than the rounding of doubles: the
// one measure the builders, the export and the registers keep to.
bool TooNarrow(const Waste& waste, double least)
{
    const NRect& r = waste.m_rect;
    return !(r.pTop.x - r.pBot.x > least - EPS_WIDTH && r.pTop.y - r.pBot.y > least - EPS_WIDTH);
}

void Discard(const WastePtr& waste)
{
    waste->m_edit = false;
    waste->Clear();
    waste->m_owner.reset();
}


bool SameView(const NObject& a, const NObject& b)
{
    return a.GetView() == b.GetView();
}

std::vector<FigurePtr> FiguresOf(const std::vector<FigurePtr>& figures, const SheetPtr& sheet)
{
    std::vector<FigurePtr> own;
    std::copy_if(figures.begin(), figures.end(), std::back_inserter(own),
                 [&sheet](const FigurePtr& figure) { return figure->m_owner == sheet; });
    return own;
}

// The figures a remnant marked on the sheet keeps clear of: its own and every
// other figure standing in its view, one hanging over the sheet's edge too
// (the host's contour around the point runs along its outline all the same).
std::vector<FigurePtr> FiguresInViewOf(const std::vector<FigurePtr>& figures, const SheetPtr& sheet)
{
    std::vector<FigurePtr> near;
    std::copy_if(figures.begin(), figures.end(), std::back_inserter(near), [&sheet](const FigurePtr& figure) {
        return figure->m_owner == sheet || SameView(*figure, *sheet);
    });
    return near;
}

// Before each sheet the host handles what the user did meanwhile: an Esc
// (or the drawing closed) stops the build there, leaving the drawing to the
// command's cancel; nothing more is drawn.
bool GoingOn()
{
    return vrnApi::ProcessPendingEvents();
}

void MakeCurrent(const SheetPtr& sheet)
{
    if (sheet->m_macro)
        sheet->m_macro->SetCurrentMacroView();
}

// The point of the active view carried into the sheet's view, which becomes current.
NPoint IntoSheetView(const SheetPtr& sheet, NPoint point)
{
    if (sheet->GetView() == vrnApi::GetActiveView())
        return point;
    vrnApi::TransformFromViewToSheet(point);
    MakeCurrent(sheet);
    vrnApi::TransformFromSheetToView(point);
    return point;
}

// Each figure belongs to the first sheet in whose view it lies; a figure in
// no sheet's view keeps its owner.
void TieFiguresToSheetViews(const std::vector<FigurePtr>& figures, const std::vector<SheetPtr>& sheets)
{
    for (const FigurePtr& figure : figures) {
        const auto it = std::find_if(sheets.begin(), sheets.end(),
                                     [&figure](const SheetPtr& sheet) { return SameView(*sheet, *figure); });
        if (it != sheets.end())
            figure->m_owner = *it;
    }
}

// The remnants of the other method that a new one overlaps, once per overlap.
std::vector<WastePtr> OverlappedByNewWastes(const std::vector<WastePtr>& wastes)
{
    std::vector<WastePtr> overlapped;
    for (const WastePtr& made : wastes) {
        if (!made->m_method)
            continue;
        for (const WastePtr& kept : wastes) {
            if (!kept->m_method && made->CheckIntersect(*kept))
                overlapped.push_back(kept);
        }
    }
    return overlapped;
}

// The remnant of the sheet's view whose area holds the point of that view:
// inside its outline (or on it), not in a hole.
WastePtr WasteHolding(const std::vector<WastePtr>& wastes, const Sheet& sheet, const NPoint& p)
{
    for (const WastePtr& waste : wastes) {
        if (!SameView(*waste, sheet) || waste->m_polygons.empty() ||
            !waste->m_polygons.front()->CheckContainPoint(p, true))
            continue;
        if (std::none_of(waste->m_polygons.begin() + 1, waste->m_polygons.end(),
                         [&p](const NPolygonPtr& hole) { return hole && hole->CheckContainPoint(p, false); }))
            return waste;
    }
    return nullptr;
}

SheetPtr SheetHolding(const std::vector<SheetPtr>& sheets, const NPoint& point)
{
    const auto it = std::find_if(sheets.begin(), sheets.end(),
                                 [&point](const SheetPtr& sheet) { return sheet->CheckContainPoint(point); });
    return it == sheets.end() ? nullptr : *it;
}

// Whether two rings come nearer to each other than `reach` (or cross).
bool RingsWithin(const NPolygon& p, const NPolygon& q, double reach)
{
    const std::vector<NPoint>& u = p.m_points;
    const std::vector<NPoint>& v = q.m_points;
    for (size_t i = 0; i < u.size(); ++i) {
        const NPoint& a = u[i];
        const NPoint& b = u[(i + 1) % u.size()];
        for (size_t k = 0; k < v.size(); ++k) {
            const NPoint& c = v[k];
            const NPoint& d = v[(k + 1) % v.size()];
            if (CheckIntersectionSegments(a, b, c, d) || DistancePointToSegment(a, c, d) < reach ||
                DistancePointToSegment(b, c, d) < reach || DistancePointToSegment(c, a, b) < reach ||
                DistancePointToSegment(d, a, b) < reach)
                return true;
        }
    }
    return false;
}

// The part's outline lies in the remnant's area, or the remnant in the part's
// material (inside its outline and in none of its holes: a hole's slug may be
// a remnant), or a ring of the one comes nearer than `gap` to a ring of the
// other: the remnant is not clear of the part. `part` holds the part's
// outline first, then its holes.
bool Reaches(const Waste& waste, const VectorPolygon& part, double gap)
{
    if (waste.m_polygons.empty() || part.empty() || !part.front() || part.front()->m_points.size() < 3)
        return false;
    const NPolygon& outline = *part.front();
    const NRect& w = waste.m_rect;
    const NRect& o = outline.GetGabarit();
    if (o.pBot.x - w.pTop.x >= gap || w.pBot.x - o.pTop.x >= gap || o.pBot.y - w.pTop.y >= gap ||
        w.pBot.y - o.pTop.y >= gap)
        return false;
    const NPolygon& outer = *waste.m_polygons.front();
    const NPoint& onPart = outline.m_points.front();
    if (outer.CheckContainPoint(onPart, false) &&
        std::none_of(waste.m_polygons.begin() + 1, waste.m_polygons.end(),
                     [&](const NPolygonPtr& hole) { return hole && hole->CheckContainPoint(onPart, true); }))
        return true;
    const NPoint& onWaste = outer.m_points.front();
    if (outline.CheckContainPoint(onWaste, false) &&
        std::none_of(part.begin() + 1, part.end(),
                     [&](const NPolygonPtr& hole) {
                         // A hole's box is not kept up as the part moves: its points are asked.
                         return hole && CheckPoligonContainPoint(hole->m_points, onWaste, true);
                     }))
        return true;
    return std::any_of(waste.m_polygons.begin(), waste.m_polygons.end(), [&](const NPolygonPtr& ring) {
        return ring && std::any_of(part.begin(), part.end(), [&](const NPolygonPtr& partRing) {
                   return partRing && RingsWithin(*ring, *partRing, gap);
               });
    });
}

double DistanceToRings(const VectorPolygon& rings, const NPoint& p)
{
    double least = 1e300;
    for (const NPolygonPtr& ring : rings) {
        const std::vector<NPoint>& v = ring->m_points;
        for (size_t i = 0; i < v.size(); ++i)
            least = std::min(least, DistancePointToSegment(p, v[i], v[(i + 1) % v.size()]));
    }
    return least;
}

// Inside the first ring and in none of the others (the rings' points are
// asked: a part's boxes are not kept up as it moves).
bool InRegion(const VectorPolygon& rings, const NPoint& p)
{
    return !rings.empty() && CheckPoligonContainPoint(rings.front()->m_points, p, false) &&
           std::none_of(rings.begin() + 1, rings.end(),
                        [&p](const NPolygonPtr& hole) { return CheckPoligonContainPoint(hole->m_points, p, true); });
}

// How far p stands on the left of the line a-b (negative: on its right).
double Side(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const NPoint d = b - a;
    const double length = std::hypot(d.x, d.y);
    return length > 0.0 ? (d.x * (p.y - a.y) - d.y * (p.x - a.x)) / length : 0.0;
}

// The sides cross, each with its ends more than `depth` off the other's line.
bool CrossDeeply(const NPoint& a, const NPoint& b, const NPoint& c, const NPoint& d, double depth)
{
    const double sa = Side(a, c, d), sb = Side(b, c, d), sc = Side(c, a, b), sd = Side(d, a, b);
    return sa * sb < 0.0 && sc * sd < 0.0 && std::min({std::fabs(sa), std::fabs(sb), std::fabs(sc), std::fabs(sd)}) > depth;
}

// With no gap between parts a remnant may run along a part, touching it: it
// is taken only by common area, a vertex of the one lying in the other more
// than `depth` off its rings, or their sides crossing by more than that.
bool Overlaps(const Waste& waste, const VectorPolygon& part, double depth)
{
    if (waste.m_polygons.empty() || part.empty() || !part.front() || part.front()->m_points.size() < 3)
        return false;
    const NRect& w = waste.m_rect;
    const NRect o = part.front()->GetGabarit();
    if (o.pBot.x >= w.pTop.x || w.pBot.x >= o.pTop.x || o.pBot.y >= w.pTop.y || w.pBot.y >= o.pTop.y)
        return false;
    const VectorPolygon& remnant = waste.m_polygons;
    for (const NPolygonPtr& ring : part) {
        for (const NPoint& p : ring->m_points) {
            if (InRegion(remnant, p) && DistanceToRings(remnant, p) > depth)
                return true;
        }
    }
    for (const NPolygonPtr& ring : remnant) {
        for (const NPoint& p : ring->m_points) {
            if (InRegion(part, p) && DistanceToRings(part, p) > depth)
                return true;
        }
    }
    for (const NPolygonPtr& ring : remnant) {
        const std::vector<NPoint>& u = ring->m_points;
        for (const NPolygonPtr& partRing : part) {
            const std::vector<NPoint>& v = partRing->m_points;
            for (size_t i = 0; i < u.size(); ++i) {
                for (size_t k = 0; k < v.size(); ++k) {
                    if (CrossDeeply(u[i], u[(i + 1) % u.size()], v[k], v[(k + 1) % v.size()], depth))
                        return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

std::vector<std::pair<WastePtr, FigurePtr>> NestingModel::CoveredWastes() const
{
    // A hair of the gap is left to rounding: a remnant built the gap away stays.
    constexpr double kGapShort = 0.01;
    const double reach = std::max(0.0, m_figureGap - kGapShort);
    std::vector<std::pair<WastePtr, FigurePtr>> covered;
    if (m_wastes.empty())
        return covered;
    // Each figure's outline and holes: its outline rings, or, for a figure
    // whose record holds none, the rings its macro draws.
    std::vector<VectorPolygon> outlines;
    // The figures of each view, in the model's order: each object's view is
    // asked of the host once, and a remnant is tried against the figures of
    // its own view only.
    std::map<int, std::vector<size_t>> inView;
    for (size_t i = 0; i < m_figures.size(); ++i) {
        const FigurePtr& figure = m_figures[i];
        VectorPolygon rings = figure->m_borders;
        if (rings.empty()) {
            double area = 0.0, length = 0.0, sag = 0.0;
            rings = figure->ReadBorders(area, length, sag);
        }
        outlines.push_back(std::move(rings));
        inView[figure->GetView()].push_back(i);
    }
    for (const WastePtr& waste : m_wastes) {
        const auto figures = inView.find(waste->GetView());
        if (figures == inView.end())
            continue;
        for (const size_t i : figures->second) {
            if (reach > 0.0 ? Reaches(*waste, outlines[i], reach) : Overlaps(*waste, outlines[i], kGapShort)) {
                covered.emplace_back(waste, m_figures[i]);
                break;
            }
        }
    }
    return covered;
}

std::vector<WastePtr> NestingModel::FreeWastes(std::wstring& covered, std::vector<std::wstring>* narrow) const
{
    const std::vector<std::pair<WastePtr, FigurePtr>> taken = CoveredWastes();
    const double least = LeastStockWidth();
    std::vector<WastePtr> free;
    for (const WastePtr& waste : m_wastes) {
        const auto it = std::find_if(taken.begin(), taken.end(), [&](const auto& t) { return t.first == waste; });
        if (it != taken.end())
            covered += L"\n" + waste->m_name + L": деталь " + it->second->GetName();
        else if (narrow && TooNarrow(*waste, least))
            narrow->push_back(waste->m_name);
        else
            free.push_back(waste);
    }
    return free;
}

double NestingModel::LeastStockWidth() const
{
    return std::max(std::min(RemnantMinimum(false), RemnantMinimum(true)), kLeastRemnantSide);
}

WastePtr NestingModel::CreateWaste(const NPoint& point, std::wstring* why)
{
    const auto refuse = [why](const std::wstring& text) {
        if (why)
            *why = text;
        return WastePtr{};
    };
    const SheetPtr sheet = SheetHolding(m_sheets, point);
    if (!sheet)
        return refuse(L"точка не на листе");
    const NPoint inView = IntoSheetView(sheet, point);
    if (WasteHolding(m_wastes, *sheet, inView))
        return refuse(L"в точке уже есть отход");
    WasteBuilder builder;
    builder.Init(m_figureGap, m_sheetGap);
    WastePtr waste = builder.CreateWasteManually(FiguresInViewOf(m_figures, sheet), inView, why);
    InitWasteParams(waste, sheet, true);
    if (!waste)
        return {};
    // A remnant too narrow to be stock is none, and no area becomes a remnant twice.
    if (const double least = std::max(RemnantMinimum(false), kLeastRemnantSide); TooNarrow(*waste, least)) {
        Discard(waste);
        return refuse(L"свободная область уже минимального размера отхода " + uf::NumberText(least) + L" мм");
    }
    if (std::any_of(m_wastes.begin(), m_wastes.end(),
                    [&](const WastePtr& kept) { return SameView(*kept, *waste) && kept->CheckIntersect(*waste); })) {
        Discard(waste);
        return refuse(L"область заходит на другой отход");
    }
    return waste;
}

WastePtr NestingModel::GetWasteAtPoint(const NPoint& point)
{
    const SheetPtr sheet = SheetHolding(m_sheets, point);
    if (!sheet)
        return {};
    // The point is carried into the sheet's view; the view the point was
    // given in is made current again.
    const int active = vrnApi::GetActiveView();
    const WastePtr found = WasteHolding(m_wastes, *sheet, IntoSheetView(sheet, point));
    if (vrnApi::GetActiveView() != active) {
        if (const vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(active)) {
            view->SetCurrent(true);
            view->Update();
        }
    }
    return found;
}

void NestingModel::AddWaste(WastePtr waste)
{
    // Only a remnant drawn in this drawing, and not one whose macro the list
    // has already: another drawing's remnant, or a second entry of one
    // macro, would be renamed, cleared and deleted under its own list.
    if (!waste || !waste->m_macro || !vrnApi::InActiveDrawing(*waste->m_macro) ||
        GetWasteByRef(waste->GetReference()))
        return;
    m_wastes.push_back(std::move(waste));
    UpdateWastesNames();
}

void NestingModel::DelWaste(int ref)
{
    WastePtr waste = GetWasteByRef(ref);
    DelWaste(waste);
    UpdateWastesNames();
}

void NestingModel::UpdateWastesNames()
{
    // A remnant is of its sheet's stock, also after the sheets' thickness or
    // material changed.
    for (const WastePtr& waste : m_wastes) {
        waste->m_thickness = m_thicknessSheet;
        waste->m_material = m_materialSheet;
    }
    // The remnants of each view, in the model's order, each view asked once.
    std::map<int, std::vector<WastePtr>> inView;
    for (const WastePtr& waste : m_wastes)
        inView[waste->GetView()].push_back(waste);
    int total = 0;
    for (const SheetPtr& sheet : m_sheets) {
        MakeCurrent(sheet);
        int index = 0;
        for (const WastePtr& waste : inView[sheet->GetView()]) {
            waste->m_number = ++total;
            waste->m_subNumber = ++index;
            waste->UpdateName(index, total);
            waste->UpdateSizeText(m_textSize);
            waste->CorrectTextPosition();
        }
    }
    if (!m_sheets.empty())
        MakeCurrent(m_sheets.front());
}

double NestingModel::RemnantMinimum(bool rectangles) const
{
    if (m_wastRectSize >= EPS)
        return m_wastRectSize;
    return rectangles ? 0.5 * std::min(m_widthSheet, m_heightSheet) : kDefaultRemnantMinimum;
}

void NestingModel::DecomposeWastesToRectangles()
{
    // The default that stands for a minimum not given is no value of the
    // user's: the drawing keeps none, and the other builds keep theirs.
    const double least = RemnantMinimum(true);
    std::vector<SheetPtr> sheets;
    std::copy_if(m_sheets.begin(), m_sheets.end(), std::back_inserter(sheets), [this](const SheetPtr& sheet) {
        return m_wasteMethod || std::any_of(m_wastes.begin(), m_wastes.end(),
                                            [&sheet](const WastePtr& waste) { return SameView(*waste, *sheet); });
    });
    for (const WastePtr& waste : m_wastes)
        Discard(waste);
    m_wastes.clear();
    // Owners are derived again: a part hanging over the sheet's edge has
    // none from the placement, yet no remnant may be cut through it.
    TieFiguresToSheetViews(m_figures, m_sheets);
    // Sheet by sheet on the host's progress bar.
    CreateProgressIndicator();
    for (size_t k = 0; k < sheets.size(); ++k) {
        UpdateProgressIndicator(static_cast<double>(k) * 100.0 / static_cast<double>(sheets.size()));
        if (!GoingOn()) {
            DeleteProgressIndicator();
            return;
        }
        const SheetPtr& sheet = sheets[k];
        MakeCurrent(sheet);
        WasteBuilder builder;
        builder.Init(m_figureGap, m_sheetGap);
        std::vector<WastePtr> made;
        builder.CreateWastesByRectangles(sheet, FiguresOf(m_figures, sheet), least, made);
        FinishNewWastes(made, sheet, std::max(least, kLeastRemnantSide));
    }
    DeleteProgressIndicator();
    UpdateWastesNames();
}

void NestingModel::CalculateWastes()
{
    if (!m_wasteMethod)
        return;
    for (const WastePtr& waste : m_wastes) {
        if (waste->m_method)
            waste->m_edit = false;
    }
    ClearWastesByMethod(true);
    TieFiguresToSheetViews(m_figures, m_sheets);
    const double least = std::max(RemnantMinimum(false), kLeastRemnantSide);
    CreateProgressIndicator();
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        UpdateProgressIndicator(static_cast<double>(k) * 100.0 / static_cast<double>(m_sheets.size()));
        if (!GoingOn()) {
            DeleteProgressIndicator();
            return;
        }
        const SheetPtr& sheet = m_sheets[k];
        MakeCurrent(sheet);
        const std::vector<FigurePtr> figures = FiguresOf(m_figures, sheet);
        if (figures.empty())
            continue;
        WasteBuilder builder;
        builder.Init(m_figureGap, m_sheetGap);
        std::vector<WastePtr> made;
        builder.CreateWastesAutomatically(sheet, figures, m_wastSize, least, made);
        FinishNewWastes(made, sheet, least);
    }
    DeleteProgressIndicator();
    for (WastePtr& waste : OverlappedByNewWastes(m_wastes))
        DelWaste(waste);
    UpdateWastesNames();
}

void NestingModel::FinishNewWastes(const std::vector<WastePtr>& wastes, const SheetPtr& sheet, double least)
{
    const std::pair<int32_t, uint32_t> layout = PartsLayout(*sheet);
    for (const WastePtr& waste : wastes) {
        InitWasteParams(waste, sheet, false, layout);
        if (TooNarrow(*waste, least))
            Discard(waste);
        else
            m_wastes.push_back(waste);
    }
}
