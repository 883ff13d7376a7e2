#include "engine/HodographBuilder.h"

#include "geometry/RingArea.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>

void HodographBuilder::Init(double figureGap, double sheetGap, int buildMethod, bool testHodograph)
{
    m_figureGap = figureGap;
    m_sheetGap = sheetGap;
    m_buildMethod = buildMethod;
    m_testHodograph = testHodograph;
}

namespace {

// The ring turned to start at its lowest vertex (the leftmost of the lowest).
void StartAtLowest(std::vector<NPoint>& ring)
{
    auto lowest = std::min_element(ring.begin(), ring.end(), [](const NPoint& a, const NPoint& b) {
        return a.y < b.y || (a.y == b.y && a.x < b.x);
    });
    std::rotate(ring.begin(), lowest, ring.end());
}

// Polygons beyond which a union is made in pairs.
constexpr size_t kUnitedAtOnce = 32;
// Neighbours united at once before their regions are united in pairs.
constexpr size_t kFirstGroup = 8;

// The place of a point along a Z-curve through its box: points near each
// other mostly lie near each other along it.
uint64_t ZOrder(const NPoint& p, const NRect& box)
{
    const auto scaled = [](double v, double low, double high) {
        const double t = high > low ? (v - low) / (high - low) : 0.0;
        return static_cast<uint64_t>((t > 0.0 ? std::min(t, 1.0) : 0.0) * 65535.0);
    };
    const uint64_t x = scaled(p.x, box.pBot.x, box.pTop.x), y = scaled(p.y, box.pBot.y, box.pTop.y);
    uint64_t code = 0;
    for (int bit = 0; bit < 16; ++bit)
        code |= ((x >> bit) & 1) << (2 * bit) | ((y >> bit) & 1) << (2 * bit + 1);
    return code;
}

// The union of many polygons (the no-fit polygons of a label about a field
// of small holes, overlapping by the hundred when the label is large):
// neighbours along a Z-curve through their gabarits' middles are united in
// pairs, then the pairs' regions in pairs, and so on, so that each overlay
// settles the overlaps of a few regions, never of all the polygons at once.
VectorPolygon UniteInPairs(const VectorPolygon& polygons)
{
    NRect all{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    std::vector<NPoint> middles;
    for (const NPolygonPtr& p : polygons) {
        p->UpdateGabarit();
        const NRect& r = p->GetGabarit();
        middles.push_back({(r.pBot.x + r.pTop.x) / 2, (r.pBot.y + r.pTop.y) / 2});
        all.pBot = {std::min(all.pBot.x, middles.back().x), std::min(all.pBot.y, middles.back().y)};
        all.pTop = {std::max(all.pTop.x, middles.back().x), std::max(all.pTop.y, middles.back().y)};
    }
    std::vector<std::pair<uint64_t, size_t>> order;
    for (size_t k = 0; k < polygons.size(); ++k)
        order.push_back({ZOrder(middles[k], all), k});
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // First the neighbours in groups of a few, each united at once.
    std::vector<VectorPolygon> regions;
    for (size_t first = 0; first < order.size(); first += kFirstGroup) {
        VectorPolygon group;
        for (size_t k = first; k < std::min(order.size(), first + kFirstGroup); ++k)
            group.push_back(polygons[order[k].second]);
        VectorPolygon united;
        if (group.size() < 2)
            united = group;
        else
            CreateBooleanPoligons(group, BooleanType::Union, united, false);
        regions.push_back(std::move(united));
    }
    while (regions.size() > 1) {
        std::vector<VectorPolygon> next;
        for (size_t i = 0; i + 1 < regions.size(); i += 2) {
            VectorPolygon united;
            CreateBooleanRegions({regions[i], regions[i + 1]}, BooleanType::Union, united);
            next.push_back(std::move(united));
        }
        if (regions.size() % 2 == 1)
            next.push_back(std::move(regions.back()));
        regions = std::move(next);
    }
    return regions.empty() ? VectorPolygon{} : regions.front();
}

} // namespace

void HodographBuilder::CreateConvexHodograph(std::shared_ptr<const NPolygon> polygon1,
                                             std::shared_ptr<const NPolygon> polygon2, VectorPolygon& outs) const
{
    if (!polygon1 || !polygon2)
        return;
    // The hull of every difference a - b is the Minkowski sum of the hulls of
    // the first polygon and of the second turned half round. Its vertices are
    // found by merging the two hulls' edges in the order of their directions,
    // and the hull of those is taken as of every difference: n + m points
    // instead of n × m. Where two edges are nearly parallel both ways on are
    // kept, so that rounding in the order drops no vertex.
    std::vector<NPoint> hull1;
    std::vector<NPoint> hull2;
    CreateConvexHull(polygon1->m_points, hull1);
    std::vector<NPoint> negated;
    negated.reserve(polygon2->m_points.size());
    for (const NPoint& b : polygon2->m_points)
        negated.push_back(NPoint{} - b);
    CreateConvexHull(negated, hull2);
    std::vector<NPoint> differences;
    if (hull1.size() < 3 || hull2.size() < 3) {
        differences.reserve(polygon1->m_points.size() * polygon2->m_points.size());
        for (const NPoint& a : polygon1->m_points)
            for (const NPoint& b : polygon2->m_points)
                differences.push_back(a - b);
    } else {
        StartAtLowest(hull1);
        StartAtLowest(hull2);
        const size_t n = hull1.size();
        const size_t m = hull2.size();
        differences.reserve(2 * (n + m) + 1);
        size_t i = 0;
        size_t j = 0;
        differences.push_back(hull1[0] + hull2[0]);
        while (i < n || j < m) {
            const NPoint e1 = hull1[(i + 1) % n] - hull1[i % n];
            const NPoint e2 = hull2[(j + 1) % m] - hull2[j % m];
            const double cross = e1.x * e2.y - e1.y * e2.x;
            const double scale = std::hypot(e1.x, e1.y) * std::hypot(e2.x, e2.y);
            const bool nearlyParallel = std::fabs(cross) <= 1e-9 * scale;
            if (i < n && (nearlyParallel || j == m))
                differences.push_back(hull1[(i + 1) % n] + hull2[j % m]);
            if (j < m && (nearlyParallel || i == n))
                differences.push_back(hull1[i % n] + hull2[(j + 1) % m]);
            if (j == m || (i < n && !nearlyParallel && cross > 0.0)) {
                ++i;
            } else if (i == n || (!nearlyParallel && cross < 0.0)) {
                ++j;
            } else {
                ++i;
                ++j;
            }
            differences.push_back(hull1[i % n] + hull2[j % m]);
        }
    }
    std::vector<NPoint> hull;
    CreateConvexHull(differences, hull);
    if (!hull.empty())
        outs.push_back(std::make_shared<NPolygon>(NPoint{}, hull));
}

void HodographBuilder::CreatePairHodograph(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1,
                                           std::shared_ptr<const NPolygon> polygon2, bool inner,
                                           VectorPolygon& outs) const
{
    if (!polygon1 || !polygon2)
        return;
    NFP_Builder builder;
    builder.Init(p0, polygon1, polygon2, inner);
    builder.RunCalculate();
    const VectorPolygon& rings = builder.GetNfpPolygons();
    outs.insert(outs.end(), rings.begin(), rings.end());
}

void HodographBuilder::CheckHodographs(const std::vector<VectorPolygon>& placed, VectorPolygon& hodographs,
                                       bool useInners) const
{
    auto insideFigure = [&](const NPolygonPtr& h) {
        for (const VectorPolygon& polygons : placed) {
            if (polygons.empty() || (!useInners && polygons.size() > 1))
                continue;
            if (!polygons[0]->CheckContainPoligon(*h, false))
                continue;
            bool inHole = std::any_of(polygons.begin() + 1, polygons.end(),
                                      [&](const NPolygonPtr& hole) { return hole->CheckContainPoligon(*h, false); });
            if (!inHole)
                return true;
        }
        return false;
    };
    hodographs.erase(std::remove_if(hodographs.begin(), hodographs.end(), insideFigure), hodographs.end());
}

void HodographBuilder::CreateDifferenceHodographs(NPolygonPtr source, VectorPolygon& hodographs, VectorPolygon& outs,
                                                  bool test) const
{
    if (hodographs.empty() || !source)
        return;
    // Islands wholly inside the free region stay as rings of their own.
    auto island = [&](const NPolygonPtr& h) { return source->CheckContainPoligon(*h, false); };
    std::copy_if(hodographs.begin(), hodographs.end(), std::back_inserter(outs), island);
    hodographs.erase(std::remove_if(hodographs.begin(), hodographs.end(), island), hodographs.end());

    bool keep = true;
    for (const NPolygonPtr& h : hodographs) {
        if (h->CheckContainPoligon(*source, false)) {
            keep = false;
            continue;
        }
        VectorPolygon pieces;
        if (!CreateBooleanPoligons({source, h}, BooleanType::Difference, pieces, false)) {
            if (!h->m_points.empty() && source->CheckContainPoint(h->m_points.front(), false)) {
                outs.push_back(h);
                keep = false;
            }
            continue;
        }
        h->m_used = true;
        if (pieces.size() == 1) {
            source = pieces.front();
            continue;
        }
        // The region fell apart: every piece loses what is still to be
        // subtracted, each from the same list.
        VectorPolygon rest;
        std::copy_if(hodographs.begin(), hodographs.end(), std::back_inserter(rest),
                     [](const NPolygonPtr& p) { return !p->m_used; });
        for (const NPolygonPtr& piece : pieces) {
            for (const NPolygonPtr& r : rest)
                r->m_used = false;
            VectorPolygon pieceRest = rest;
            if (pieceRest.empty())
                outs.push_back(piece);
            else
                CreateDifferenceHodographs(piece, pieceRest, outs, test);
        }
        keep = false;
        break;
    }
    if (keep)
        outs.push_back(source);
}

void HodographBuilder::CreateInsideHodographs(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1,
                                              std::shared_ptr<const NPolygon> polygon2, const VectorPolygon& holes,
                                              VectorPolygon& outs) const
{
    if (!polygon1 || !polygon2)
        return;
    VectorPolygon innHodographs;
    CreatePairHodograph(p0, polygon1, polygon2, true, innHodographs);
    if (innHodographs.empty())
        return;
    // The positions of polygon2 over each hole, for those that can reach an
    // inner region: from a hole's box and polygon2's about p0, the box of
    // the positions where they meet. A convex hole about a convex polygon2
    // gives them as the sum of the two.
    NRect reach{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    for (const NPolygonPtr& inner : innHodographs) {
        inner->UpdateGabarit();
        const NRect& r = inner->GetGabarit();
        reach.pBot = {std::min(reach.pBot.x, r.pBot.x), std::min(reach.pBot.y, r.pBot.y)};
        reach.pTop = {std::max(reach.pTop.x, r.pTop.x), std::max(reach.pTop.y, r.pTop.y)};
    }
    const NRect moving = PointsBox(polygon2->m_points);
    const bool convexMoving = BoundsItsHull(polygon2->m_points);
    VectorPolygon extHodographs;
    for (const NPolygonPtr& hole : holes) {
        if (!hole || hole->m_points.empty())
            continue;
        const NRect box = PointsBox(hole->m_points);
        const double margin = 16 * EPS;
        if (box.pBot.x + p0.x - moving.pTop.x > reach.pTop.x + margin ||
            box.pTop.x + p0.x - moving.pBot.x < reach.pBot.x - margin ||
            box.pBot.y + p0.y - moving.pTop.y > reach.pTop.y + margin ||
            box.pTop.y + p0.y - moving.pBot.y < reach.pBot.y - margin)
            continue;
        if (convexMoving && BoundsItsHull(hole->m_points)) {
            VectorPolygon sum;
            CreateConvexHodograph(hole, polygon2, sum);
            for (const NPolygonPtr& h : sum)
                h->Offset(p0);
            extHodographs.insert(extHodographs.end(), sum.begin(), sum.end());
        } else {
            CreatePairHodograph(p0, hole, polygon2, false, extHodographs);
        }
    }
    for (const NPolygonPtr& h : extHodographs)
        h->UpdateGabarit();
    for (const NPolygonPtr& inner : innHodographs) {
        // Within the positions over one hole there is no place.
        if (std::any_of(extHodographs.begin(), extHodographs.end(),
                        [&](const NPolygonPtr& h) { return h->CheckContainPoligon(*inner, false); }))
            continue;
        VectorPolygon united;
        if (extHodographs.size() < 2)
            united = extHodographs;
        else if (extHodographs.size() > kUnitedAtOnce)
            united = UniteInPairs(extHodographs);
        else
            CreateBooleanPoligons(extHodographs, BooleanType::Union, united, false);
        if (united.empty()) {
            outs.push_back(inner);
            continue;
        }
        for (const NPolygonPtr& u : united)
            u->m_used = false;
        VectorPolygon diffPolygons;
        CreateDifferenceHodographs(inner, united, diffPolygons, false);
        outs.insert(outs.end(), diffPolygons.begin(), diffPolygons.end());
    }
}

double HodographBuilder::RectSheetGap() const { return SheetInset(m_figureGap, m_sheetGap); }

void HodographBuilder::CreateRectHodographs(double x, double y, const std::vector<NRect>& placedRects,
                                            const NRect& figureRect, const NRect& sheetRect,
                                            std::vector<HodographRectPtr>& outs) const
{
    // A figure as large as the room the edge gap leaves but for rounding fits
    // (within the point tolerance, as the inner-fit rectangle says).
    const double inset = RectSheetGap();
    if (figureRect.pTop.x - figureRect.pBot.x > sheetRect.pTop.x - sheetRect.pBot.x - 2.0 * inset + EPS ||
        figureRect.pTop.y - figureRect.pBot.y > sheetRect.pTop.y - sheetRect.pBot.y - 2.0 * inset + EPS)
        return;
    NPoint p0{x, y};
    auto inner = std::make_shared<HodographRect>(sheetRect, figureRect, p0, inset, true);
    if (inner->IsCrossed())
        return;
    std::vector<HodographRectPtr> rects{inner};
    for (const NRect& placed : placedRects)
        rects.push_back(std::make_shared<HodographRect>(placed, figureRect, p0, 0.0, false));
    // Every rectangle is clipped by every other, in order. Sides only shrink
    // within their own rectangle, and another rectangle changes them only
    // where they come within the tolerance of it: each is clipped by the
    // sheet's and by the placed ones whose rectangles reach its own (found
    // among them sorted by their left sides).
    std::vector<size_t> byLeft;
    double widest = 0.0;
    for (size_t k = 1; k < rects.size(); ++k) {
        byLeft.push_back(k);
        widest = std::max(widest, rects[k]->p3.x - rects[k]->p1.x);
    }
    const auto left = [&](size_t k) { return rects[k]->p1.x; };
    std::stable_sort(byLeft.begin(), byLeft.end(), [&](size_t a, size_t b) { return left(a) < left(b); });
    const double slack = 2.0 * EPS;
    std::vector<size_t> clipping;
    for (size_t i = 0; i < rects.size(); ++i) {
        const HodographRect& h = *rects[i];
        clipping.clear();
        if (i != 0)
            clipping.push_back(0);
        const auto first = std::lower_bound(byLeft.begin(), byLeft.end(), h.p1.x - widest - slack,
                                            [&](size_t k, double x) { return left(k) < x; });
        for (auto it = first; it != byLeft.end() && left(*it) <= h.p3.x + slack; ++it) {
            const HodographRect& k = *rects[*it];
            if (*it != i && k.p3.x >= h.p1.x - slack && k.p1.y <= h.p3.y + slack && k.p3.y >= h.p1.y - slack)
                clipping.push_back(*it);
        }
        std::sort(clipping.begin(), clipping.end());
        for (size_t k : clipping)
            *rects[i] -= *rects[k];
    }
    outs.insert(outs.end(), rects.begin(), rects.end());
}
