#include "host/BorderRings.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/PointGrid.h"
#include "geometry/RingCrossings.h"
#include "geometry/RingThinning.h"
#include "host/NestingMacro.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>
#include <numeric>

namespace vrnApi {

bool ReadCurveChord(const vlapi::IDrawingObjectPtr& obj, CurveChord& out)
{
    // A line is read from its ends (a part drawn as a polyline of a million
    // vertices brings a million of them), as its curve would give them.
    if (const vlapi::ILineSegmentPtr line{obj}) {
        const NPoint p1{line->GetX1(), line->GetY1()};
        const NPoint d{line->GetX2() - p1.x, line->GetY2() - p1.y};
        const NPoint p2{p1.x + d.x, p1.y + d.y};
        out.middle = {p1.x + d.x * 0.5, p1.y + d.y * 0.5};
        out.chord = std::make_shared<NSegment>(p1, p2, 0);
        out.chord->m_ref = hostAccess::ReferenceOf(obj);
        return true;
    }
    // An arc likewise from its ends, its centre and its way round: the middle
    // of its sweep.
    if (const vlapi::IArcPtr arc{obj}) {
        const NPoint centre{arc->GetXc(), arc->GetYc()};
        const NPoint p1{arc->GetX1(), arc->GetY1()}, p2{arc->GetX2(), arc->GetY2()};
        const double radius = arc->GetRadius();
        const double from = std::atan2(p1.y - centre.y, p1.x - centre.x);
        double sweep = std::atan2(p2.y - centre.y, p2.x - centre.x) - from;
        if (arc->GetDirection())
            sweep = sweep <= 0.0 ? sweep + 2.0 * PI : sweep;
        else
            sweep = sweep >= 0.0 ? sweep - 2.0 * PI : sweep;
        if (std::isfinite(sweep) && std::isfinite(radius)) {
            const double half = from + sweep * 0.5;
            out.middle = {centre.x + radius * std::cos(half), centre.y + radius * std::sin(half)};
            out.chord = std::make_shared<NSegment>(p1, p2, 0);
            out.chord->m_ref = hostAccess::ReferenceOf(obj);
            return true;
        }
    }
    vlapi::ICurve2DPtr curve = obj ? obj->GetCurve() : vlapi::ICurve2DPtr{};
    if (!curve)
        return false;
    const double t0 = curve->GetParamMin();
    const double t1 = curve->GetParamMax();
    NPoint p1, p2;
    if (!curve->GetPoint(t0, p1.x, p1.y) || !curve->GetPoint(t1, p2.x, p2.y) ||
        !curve->GetPoint((t0 + t1) / 2, out.middle.x, out.middle.y))
        return false;
    out.chord = std::make_shared<NSegment>(p1, p2, 0);
    out.chord->m_ref = hostAccess::ReferenceOf(obj);
    return true;
}

bool IsPointSized(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& curves, bool moved)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (!doc || curves.empty() || !doc->GetObjectsBox(curves, x1, y1, x2, y2))
        return false;
    // Smaller by more than the rounding of the coordinates: circles of one
    // radius are all points or all rings wherever they stand.
    const double far = std::max({1.0, std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)});
    const double rounding = 64.0 * std::numeric_limits<double>::epsilon() * far;
    const double size = kPointRing - (moved ? 2.0 : 1.0) * rounding;
    return x2 - x1 < size && y2 - y1 < size;
}

bool IsPointChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& chain)
{
    // Ends a point's size apart are no point, whatever the curves between.
    double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
    for (const NSegmentPtr& chord : chain.m_segments) {
        for (const NPoint& p : {chord->p1, chord->p2}) {
            x1 = std::min(x1, p.x), x2 = std::max(x2, p.x);
            y1 = std::min(y1, p.y), y2 = std::max(y2, p.y);
        }
        if (!(x2 - x1 < kPointRing && y2 - y1 < kPointRing))
            return false;
    }
    vlapi::APIObjectList curves;
    for (const NSegmentPtr& chord : chain.m_segments)
        curves.emplace_back(hostAccess::ObjectOf(doc, chord->m_ref));
    return IsPointSized(doc, curves, true);
}

NPolygonPtr BorderRing(NContour& chain, NPolygon& approximation, bool outer, double arrow, double& strayed)
{
    approximation.UpdateGabarit();
    if (approximation.CheckDirection() != outer)
        chain.Invert();
    NPolygonPtr ring = ApproximateByTangentialPoligon(chain.m_segments, arrow);
    if (!ring)
        return {};
    // Repeated and straight vertices go only where that leaves the ring
    // within the point tolerance of where it ran, never across a vertex
    // that stands out less than the repeat tolerance (the figure's outline
    // would cut into the part there). A hole runs clockwise here, with the
    // material on its left, and comes back counter-clockwise.
    // Spikes narrower than the point tolerance go before a dense ring is
    // thinned: thinned, their sides would part, and a sliver become a spike
    // of material.
    if (ring->m_points.size() > kDenseRing)
        ring->m_points = RingWithoutSpikes(ring->m_points);
    // A ring is dense by the vertices that shape it: the straight ones
    // (within half the point tolerance, as the cleaning drops them) go first,
    // so that edges given in many collinear pieces do not make it dense.
    if (ring->m_points.size() > kDenseRing)
        strayed = std::max(strayed, ThinRing(ring->m_points, 0.5 * EPS));
    if (ring->m_points.size() > kDenseRing)
        strayed = std::max(strayed, ThinRing(ring->m_points, kFineChordSag));
    if (!CleanOutline(ring->m_points, outer))
        return {};
    ring->UpdateGabarit();
    if (!outer)
        ring->Invert();
    return ring->m_points.empty() ? NPolygonPtr{} : ring;
}


bool IsClosedChain(const NContour& contour)
{
    if (contour.m_segments.empty())
        return false;
    const NPoint& start = contour.m_segments.front()->p1;
    const NPoint& end = contour.m_segments.back()->p2;
    return std::fabs(start.x - end.x) < 0.0001 && std::fabs(start.y - end.y) < 0.0001;
}

NPolygonPtr ApproximateChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour)
{
    // Each chord gives its vertices from its start up to the next chord's.
    std::vector<NPoint> points;
    points.reserve(contour.m_segments.size());
    std::vector<NSegmentPtr> fine;
    for (const NSegmentPtr& chord : contour.m_segments) {
        vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chord->m_ref)};
        if (!obj)
            return {};
        if (obj->GetType() == vlapi::vlDrLineSeg) {
            points.push_back(chord->p1);
            continue;
        }
        if (AppendArcChordPoints(obj, *chord, points))
            continue;
        fine.clear();
        ApproximateCurvePieces(obj, fine);
        if (!fine.empty() && !(fine.front()->p1 == chord->p1)) {
            for (const NSegmentPtr& piece : fine)
                piece->Invert();
            std::reverse(fine.begin(), fine.end());
        }
        for (const NSegmentPtr& piece : fine)
            points.push_back(piece->p1);
    }
    if (points.empty())
        return {};
    auto ring = std::make_shared<NPolygon>();
    ring->m_points = std::move(points);
    ring->UpdateGabarit();
    return ring;
}

bool HasRepeatedCurve(const std::vector<CurveChord>& curves)
{
    PointGrid starts(EPS);
    for (size_t i = 0; i < curves.size(); ++i) {
        const NSegment& a = *curves[i].chord;
        auto same = [&](size_t j) {
            const NSegment& b = *curves[j].chord;
            return a.p1 == b.p1 && a.p2 == b.p2 && curves[i].middle == curves[j].middle;
        };
        if (starts.FirstNear(a.p1, same) != PointGrid::kNone)
            return true;
        starts.Add(a.p1, i);
    }
    return false;
}

namespace {

// A coordinate in millimetres to a thousandth, without trailing zeros (six
// significant digits, written out, beyond a thousand kilometres).
std::wstring Millimetres(double v)
{
    if (std::fabs(v) >= 1e9)
        return uf::NumberText(v);
    wchar_t buffer[64];
    const int n = std::swprintf(buffer, 64, L"%.3f", std::fabs(v) < 0.0005 ? 0.0 : v);
    std::wstring text(buffer, n < 0 ? 0 : static_cast<size_t>(n));
    while (!text.empty() && text.back() == L'0')
        text.pop_back();
    if (!text.empty() && text.back() == L'.')
        text.pop_back();
    return text;
}

}  // namespace

std::wstring CrossingReason(const std::vector<NPolygonPtr>& rings)
{
    static const std::vector<NPoint> kNone;
    std::vector<const std::vector<NPoint>*> points;
    for (const NPolygonPtr& ring : rings)
        points.push_back(ring ? &ring->m_points : &kNone);
    const std::optional<RingCrossing> crossing = FindRingCrossing(points);
    if (!crossing)
        return {};
    const wchar_t* what = crossing->ring1 == crossing->ring2 ? L"контур пересекает сам себя" : L"контуры пересекаются";
    return std::wstring(what) + L" в точке (" + Millimetres(crossing->at.x) + L"; " + Millimetres(crossing->at.y) +
           L")";
}

std::vector<NPolygonPtr> WithoutSpikes(const std::vector<NPolygonPtr>& rings)
{
    std::vector<NPolygonPtr> out;
    for (const NPolygonPtr& ring : rings) {
        if (ring && !RingHasSpikes(ring->m_points)) {
            out.push_back(ring);
            continue;
        }
        std::vector<NPoint> points = ring ? RingWithoutSpikes(ring->m_points) : std::vector<NPoint>{};
        if (points.size() < 3 || points.size() == ring->m_points.size()) {
            out.push_back(ring);
            continue;
        }
        NPolygonPtr copy = std::make_shared<NPolygon>(*ring);
        copy->m_points = std::move(points);
        copy->UpdateGabarit();
        out.push_back(copy);
    }
    return out;
}

namespace {

// The gabarit that holds the gabarits of `rings` (all but `except`).
NRect Bounds(const std::vector<NPolygonPtr>& rings, size_t except)
{
    NRect all{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k == except)
            continue;
        const NRect& r = rings[k]->GetGabarit();
        all.pBot = {std::min(all.pBot.x, r.pBot.x), std::min(all.pBot.y, r.pBot.y)};
        all.pTop = {std::max(all.pTop.x, r.pTop.x), std::max(all.pTop.y, r.pTop.y)};
    }
    return all;
}

}  // namespace

size_t FindOuterRing(const std::vector<NPolygonPtr>& rings)
{
    // Only a ring whose gabarit holds every gabarit may hold every ring: a
    // drawing of many thousand loose rings has none, and is told so at once.
    const NRect all = Bounds(rings, NOT_FOUND_INDEX);
    std::vector<size_t> order;
    for (size_t k = 0; k < rings.size(); ++k) {
        if (CheckRectContainRect(rings[k]->GetGabarit(), all))
            order.push_back(k);
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return rings[a]->GetGabaritArea() > rings[b]->GetGabaritArea();
    });
    for (size_t candidate : order) {
        // Each ring is looked for among the edges of the candidate near it.
        const NPolygonIndex outer(*rings[candidate]);
        bool holdsAll = true;
        for (size_t k = 0; k < rings.size() && holdsAll; ++k)
            holdsAll = k == candidate || outer.ContainsPolygon(*rings[k], true);
        if (holdsAll)
            return candidate;
    }
    return NOT_FOUND_INDEX;
}

std::pair<size_t, size_t> RingsApart(const std::vector<NPolygonPtr>& rings)
{
    size_t largest = 0;
    for (size_t k = 1; k < rings.size(); ++k) {
        if (rings[k]->GetGabaritArea() > rings[largest]->GetGabaritArea())
            largest = k;
    }
    // Each ring is looked for among the largest one's edges near it.
    const NPolygonIndex holder(*rings[largest]);
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k != largest && !holder.ContainsPolygon(*rings[k], true))
            return {largest, k};
    }
    return {largest, largest == 0 && rings.size() > 1 ? 1 : 0};
}

std::optional<std::pair<size_t, size_t>> RingInHole(const std::vector<NPolygonPtr>& rings, size_t outer)
{
    // Rings times vertices beyond which a ring is indexed before the others are looked for in it.
    constexpr size_t kPlainTests = 4096;
    if (rings.size() < 3)
        return std::nullopt;
    // A ring within another has its gabarit's middle within the other's
    // gabarit: the middles are put on a grid of about one cell a ring, and a
    // ring is compared with those whose middles fall in the cells it covers.
    const NRect all = Bounds(rings, outer);
    const size_t side = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(rings.size()))));
    const double width = std::max((all.pTop.x - all.pBot.x) / static_cast<double>(side), EPS);
    const double height = std::max((all.pTop.y - all.pBot.y) / static_cast<double>(side), EPS);
    auto cell = [side](double v, double low, double step) {
        const double at = std::floor((v - low) / step);
        return at <= 0 ? size_t{0} : std::min(side - 1, static_cast<size_t>(at));
    };
    std::vector<std::vector<size_t>> cells(side * side);
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k == outer)
            continue;
        const NRect& r = rings[k]->GetGabarit();
        cells[cell((r.pBot.y + r.pTop.y) / 2, all.pBot.y, height) * side +
              cell((r.pBot.x + r.pTop.x) / 2, all.pBot.x, width)]
            .push_back(k);
    }
    std::vector<size_t> near;
    for (size_t a = 0; a < rings.size(); ++a) {
        if (a == outer)
            continue;
        const NRect& r = rings[a]->GetGabarit();
        const size_t x1 = cell(r.pBot.x - EPS, all.pBot.x, width), x2 = cell(r.pTop.x + EPS, all.pBot.x, width);
        const size_t y1 = cell(r.pBot.y - EPS, all.pBot.y, height), y2 = cell(r.pTop.y + EPS, all.pBot.y, height);
        near.clear();
        for (size_t y = y1; y <= y2; ++y) {
            for (size_t x = x1; x <= x2; ++x) {
                for (size_t b : cells[y * side + x]) {
                    if (b != a)
                        near.push_back(b);
                }
            }
        }
        // A large ring round many others (a hole shaped like a C about a
        // field of small ones) finds each among its edges near it.
        if (near.size() * rings[a]->m_points.size() > kPlainTests) {
            const NPolygonIndex holder(*rings[a]);
            for (size_t b : near) {
                if (holder.ContainsPolygon(*rings[b], true))
                    return std::pair{a, b};
            }
        } else {
            for (size_t b : near) {
                if (rings[a]->CheckContainPoligon(*rings[b], true))
                    return std::pair{a, b};
            }
        }
    }
    return std::nullopt;
}

}  // namespace vrnApi
