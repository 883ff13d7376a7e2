// No-fit polygons of a figure against a sheet and the figures already on it:
// the free region of the figure's placement point.
#include "engine/HodographBuilder.h"

#include "model/NestingFigure.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>

namespace {

// The external and inner no-fit polygons of one subtraction: `source` is the
// sheet's inner-fit rectangle or one inner no-fit polygon.
struct HodographsGroup {
    bool external = false;
    NPolygonPtr source;
    VectorPolygon hodographs;
};

double Width(const NRect& rc) { return rc.pTop.x - rc.pBot.x; }
double Height(const NRect& rc) { return rc.pTop.y - rc.pBot.y; }

bool HasShapes(const Figure& figure)
{
    return !figure.m_poligons.empty() && figure.m_poligons[0] && !figure.m_borders.empty() && figure.m_borders[0];
}

// A rectangle whose sides run along the axes: its gap polygon's rectangle is
// its own grown by half the gap. (CheckRectangle takes turned ones too.) The
// route is chosen by the outline: a rectangle's gap polygon follows the
// gap's round at its corners.
bool UprightRectangle(const NPolygon& polygon)
{
    if (!polygon.CheckRectangle())
        return false;
    const NRect& box = polygon.GetGabarit();
    return std::all_of(polygon.m_points.begin(), polygon.m_points.end(), [&](const NPoint& p) {
        return (std::fabs(p.x - box.pBot.x) < EPS || std::fabs(p.x - box.pTop.x) < EPS) &&
               (std::fabs(p.y - box.pBot.y) < EPS || std::fabs(p.y - box.pTop.y) < EPS);
    });
}

bool PolygonCrossesOrHolds(const NPolygon& a, const NPolygon& b)
{
    return a.CheckIntersection(b, false) || a.CheckContainPoligon(b, false);
}

// The groups of the call: one per inner no-fit polygon with the external ones
// that reach into it, then the sheet's group with all external ones.
std::vector<HodographsGroup> MakeGroups(const NPolygonPtr& sheetHodograph, cMapHodographPoligon& externs,
                                        cMapHodographPoligon& inners)
{
    std::vector<HodographsGroup> groups;
    for (const auto& [inner, innerOwner] : inners) {
        HodographsGroup group{false, inner, {}};
        for (const auto& [external, externalOwner] : externs) {
            // The external polygon of the hole's own figure holds the hole's
            // region; it does not take part.
            if (PolygonCrossesOrHolds(*inner, *external) ||
                (externalOwner != innerOwner && external->CheckContainPoligon(*inner, false)))
                group.hodographs.push_back(external);
        }
        groups.push_back(std::move(group));
    }
    if (!externs.empty()) {
        HodographsGroup group{true, sheetHodograph, {}};
        for (const auto& entry : externs)
            group.hodographs.push_back(entry.first);
        groups.push_back(std::move(group));
    }
    return groups;
}

} // namespace

void HodographBuilder::CreateHodographs(double x, double y, const VectorFigure& figures,
                                        std::shared_ptr<Figure> figure, std::shared_ptr<Sheet> sheet,
                                        VectorPolygon& outs, bool useInners, bool /*test*/)
{
    for (const NPolygonPtr& drawn : testHodographs)
        drawn->Clear();
    testHodographs.clear();
    if (!figure || !sheet || !HasShapes(*figure))
        return;
    const NRect& sheetRect = sheet->m_rect;
    const NRect& figureRect = figure->m_rect;
    // A figure as large as the room the edge gap leaves but for rounding fits
    // (within the point tolerance, as the inner-fit rectangle says).
    const double sheetGap = SheetInset(m_figureGap, m_sheetGap);
    if (Width(figureRect) > Width(sheetRect) - 2.0 * sheetGap + EPS ||
        Height(figureRect) > Height(sheetRect) - 2.0 * sheetGap + EPS)
        return;

    const NPoint p{x, y};
    auto createRectHodograph = [&p](const NRect& rc1, const NRect& rc2, double gap, bool internal) {
        HodographRect rect(rc1, rc2, p, gap, internal);
        return std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{rect.p1, rect.p2, rect.p3, rect.p4});
    };

    // A figure that fits the sheet only without its sheet gap has no inner-fit
    // region: its crossed-over rectangle would hold points off the sheet.
    if (HodographRect(sheetRect, figureRect, p, sheetGap, true).IsCrossed())
        return;
    NPolygonPtr sheetHodograph = createRectHodograph(sheetRect, figureRect, sheetGap, true);
    sheetHodograph->DelEquilPoints();

    MapHodographPoligon extAllHodographs;
    MapHodographPoligon innAllHodographs;
    std::vector<VectorPolygon> placedPolygons;
    for (const std::shared_ptr<Figure>& placed : figures) {
        if (!placed || placed == figure || !HasShapes(*placed))
            continue;
        placedPolygons.push_back(placed->m_poligons);
        CreateFigureHodographs(*placed, *figure, useInners, extAllHodographs, innAllHodographs);
    }
    if (extAllHodographs.empty() && innAllHodographs.empty()) {
        outs.push_back(sheetHodograph);
    } else {
        for (HodographsGroup& group : MakeGroups(sheetHodograph, extAllHodographs, innAllHodographs)) {
            VectorPolygon poligons;
            if (group.hodographs.size() < 2) {
                poligons = group.hodographs;
            } else {
                CreateBooleanPoligons(group.hodographs, BooleanType::Union, poligons, false);
                CheckHodographs(placedPolygons, poligons, false);
            }
            if (!poligons.empty()) {
                for (const NPolygonPtr& h : poligons)
                    h->m_used = false;
                CreateDifferenceHodographs(group.source, poligons, outs, false);
            }
            if (!group.external && group.hodographs.empty())
                outs.push_back(group.source);
        }
    }
    if (m_testHodograph) {
        for (const NPolygonPtr& polygon : outs) {
            polygon->Draw(3);
            testHodographs.push_back(polygon);
        }
    }
}

void HodographBuilder::CreateFigureHodographs(const Figure& placed, const Figure& figure, bool useInners,
                                              MapHodographPoligon& extAll, MapHodographPoligon& innAll)
{
    const NPolygonPtr& polygon1 = placed.m_poligons[0];
    const NPolygonPtr& polygon2 = figure.m_poligons[0];
    const NPolygonPtr& border1 = placed.m_borders[0];
    const NPolygonPtr& border2 = figure.m_borders[0];
    VectorPolygon innerPolygons;
    if (useInners)
        innerPolygons.assign(placed.m_poligons.begin() + 1, placed.m_poligons.end());
    double x0 = 0.0, y0 = 0.0, angle = 0.0;
    figure.GetPlacement(x0, y0, angle);
    const NPoint p0{x0, y0};

    MapHodographPoligon extHodographs;
    MapHodographPoligon innHodographs;
    if (const HodographCash* cash = FindCash(polygon1, polygon2, p0, innerPolygons)) {
        cash->GetHodographs(polygon1, polygon2, extHodographs, innHodographs);
        extAll.insert(extAll.end(), extHodographs.begin(), extHodographs.end());
        innAll.insert(innAll.end(), innHodographs.begin(), innHodographs.end());
        return;
    }
    if (FindTurnedCash(polygon1, polygon2, p0, innerPolygons, extAll, innAll))
        return;

    // Null for an internal rectangle that holds no position.
    auto rectHodograph = [&p0](const NRect& rc1, const NRect& rc2, double gap, bool internal = false) -> NPolygonPtr {
        HodographRect rect(rc1, rc2, p0, gap, internal);
        if (rect.IsCrossed())
            return nullptr;
        return std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{rect.p1, rect.p2, rect.p3, rect.p4});
    };
    VectorPolygon list;
    if ((UprightRectangle(*border1) && UprightRectangle(*border2)) || m_buildMethod == 0) {
        extHodographs.emplace_back(rectHodograph(placed.m_rect, border2->GetGabarit(), 0.5 * m_figureGap), border1);
    } else {
        // The outline's no-fit polygon is the same with holes or without:
        // the holes give their regions back below.
        if (placed.m_convex && figure.m_convex) {
            CreateConvexHodograph(polygon1, polygon2, list);
            for (const NPolygonPtr& h : list)
                h->Offset(p0);
        } else {
            // Only dents narrower than the moving figure by more than the
            // repeat tolerance at either side of their mouth may close: one
            // as wide as the figure may hold it exactly, and a width equal
            // but for rounding, or for a vertex repeated a hair's breadth
            // inside the mouth, must not decide. Of those, the ones a leg or
            // a tooth of the figure can enter stay open.
            const NRect& rc2 = polygon2->GetGabarit();
            const double size = std::min(Width(rc2), Height(rc2)) - 2.0 * EPS_REPEATED;
            CreatePairHodograph(p0, WithoutDents(polygon1, *polygon2, size), polygon2, false, list);
        }
        for (const NPolygonPtr& h : list)
            extHodographs.emplace_back(h, border1);
        if (extHodographs.empty())
            extHodographs.emplace_back(rectHodograph(placed.m_rect, figure.m_rect, 0.0), border1);
    }
    // A hole is free space on every route: the positions that keep the
    // moving gap polygon (its rectangle, where figures are taken as their
    // rectangles) inside the hole's gap polygon.
    const NRect& box2 = polygon2->GetGabarit();
    const bool movingUpright = m_buildMethod == 0 || UprightRectangle(*border2);
    NPolygonPtr moving = polygon2;
    if (m_buildMethod == 0 && !innerPolygons.empty())
        moving = std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{box2.pBot, {box2.pTop.x, box2.pBot.y},
                                                                          box2.pTop, {box2.pBot.x, box2.pTop.y}});
    for (const NPolygonPtr& hole : innerPolygons) {
        VectorPolygon inner;
        if (movingUpright && UprightRectangle(*hole)) {
            if (NPolygonPtr rect = rectHodograph(hole->GetGabarit(), box2, 0.0, true))
                inner.push_back(rect);
        } else {
            CreatePairHodograph(p0, hole, moving, true, inner);
        }
        for (const NPolygonPtr& h : inner)
            innHodographs.emplace_back(h, border1);
    }
    if (!extHodographs.empty()) {
        HodographCash cash;
        cash.Insert(polygon1, polygon2, p0, innerPolygons, extHodographs, innHodographs);
        m_hodographsContainer.push_back(std::move(cash));
    }
    extAll.insert(extAll.end(), extHodographs.begin(), extHodographs.end());
    innAll.insert(innAll.end(), innHodographs.begin(), innHodographs.end());
}

NPolygonPtr HodographBuilder::WithoutDents(const NPolygonPtr& polygon, const NPolygon& moving, double size)
{
    // A placed figure meets the moving figure in every rotation try, and
    // equal figures: the dents of a shape are found once.
    if (m_outlineDents.Size() > kDentShapesKept)
        m_outlineDents.Clear();
    OutlineDents::Shape& shape = m_outlineDents.Of(*polygon);
    std::vector<DentEdit> edits = DentsNarrowerThan(shape.choices, size);
    std::erase_if(edits, [&](const DentEdit& edit) {
        return EntersDent(moving.m_points, OutlineDents::Mouth(shape, edit));
    });
    return OutlineDents::Closed(shape, polygon, edits);
}

const HodographCash* HodographBuilder::FindCash(const NPolygonPtr& polygon1, const NPolygonPtr& polygon2,
                                               const NPoint& p0, const VectorPolygon& innerPolygons)
{
    // The cache is a public list that its owner may empty or refill: the
    // index starts again when its last entry is no longer there.
    if (m_cashIndexed > m_hodographsContainer.size() ||
        (m_cashIndexed > 0 && m_hodographsContainer[m_cashIndexed - 1].polygon1 != m_cashLast)) {
        m_cashIndex.clear();
        m_cashIndexed = 0;
    }
    for (; m_cashIndexed < m_hodographsContainer.size(); ++m_cashIndexed) {
        const HodographCash& cash = m_hodographsContainer[m_cashIndexed];
        if (cash.polygon1 && cash.polygon2)
            m_cashIndex[{cash.polygon1->m_points.size(), cash.polygon2->m_points.size(), cash.innPolygons.size()}]
                .push_back(m_cashIndexed);
        m_cashLast = cash.polygon1;
    }
    const auto entries =
        m_cashIndex.find({polygon1->m_points.size(), polygon2->m_points.size(), innerPolygons.size()});
    if (entries == m_cashIndex.end())
        return nullptr;
    for (size_t k : entries->second)
        if (m_hodographsContainer[k].IsContain(polygon1, polygon2, p0, innerPolygons))
            return &m_hodographsContainer[k];
    return nullptr;
}

namespace {

// The gap rectangles of the placed figures but the moving one.
std::vector<NRect> PlacedRects(const VectorFigure& figures, const std::shared_ptr<Figure>& figure)
{
    std::vector<NRect> rects;
    rects.reserve(figures.size());
    for (const std::shared_ptr<Figure>& placed : figures)
        if (placed && placed != figure)
            rects.push_back(placed->m_rect);
    return rects;
}

// The sheet's rectangle moved to the origin.
NRect SheetRect(const Sheet& sheet) { return {{0.0, 0.0}, {sheet.GetWidth(), sheet.GetHeight()}}; }

}  // namespace

void HodographBuilder::CreateRectHodographs(double x, double y, const VectorFigure& figures,
                                            std::shared_ptr<Figure> figure, std::shared_ptr<Sheet> sheet,
                                            std::vector<HodographRectPtr>& outs) const
{
    if (figure && sheet)
        CreateRectHodographs(x, y, PlacedRects(figures, figure), figure->m_rect, SheetRect(*sheet), outs);
}

void HodographBuilder::RectCandidatePoints(double x, double y, const VectorFigure& figures,
                                           std::shared_ptr<Figure> figure, std::shared_ptr<Sheet> sheet, double band,
                                           RectLayout& layout, std::vector<NPoint>& points) const
{
    if (figure && sheet)
        layout.CandidatePoints(x, y, figures, *figure, figure->m_rect, SheetRect(*sheet), RectSheetGap(), band, points);
}
