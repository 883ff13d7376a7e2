#include "host/BorderRings.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/PointGrid.h"
#include "geometry/RingCrossings.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numeric>

namespace vrnApi {

bool ReadCurveChord(const vlapi::IDrawingObjectPtr& obj, CurveChord& out)
{
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
    std::vector<NSegmentPtr> pieces;
    for (const NSegmentPtr& chord : contour.m_segments) {
        vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chord->m_ref)};
        if (!obj)
            return {};
        if (obj->GetType() == vlapi::vlDrLineSeg) {
            pieces.push_back(chord);
            continue;
        }
        std::vector<NSegmentPtr> fine;
        ApproximateObjectByLineSegments(obj, fine);
        if (!fine.empty() && !(fine.front()->p1 == chord->p1)) {
            for (const NSegmentPtr& piece : fine)
                piece->Invert();
            std::reverse(fine.begin(), fine.end());
        }
        pieces.insert(pieces.end(), fine.begin(), fine.end());
    }
    NContour chain;
    chain.InitSegments(pieces);
    return chain.CreatePolygon();
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
    std::vector<std::vector<NPoint>> points;
    for (const NPolygonPtr& ring : rings)
        points.push_back(ring ? ring->m_points : std::vector<NPoint>{});
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
        const NPolygon& outer = *rings[candidate];
        bool holdsAll = true;
        for (size_t k = 0; k < rings.size() && holdsAll; ++k)
            holdsAll = k == candidate || outer.CheckContainPoligon(*rings[k], true);
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
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k != largest && !rings[largest]->CheckContainPoligon(*rings[k], true))
            return {largest, k};
    }
    return {largest, largest == 0 && rings.size() > 1 ? 1 : 0};
}

std::optional<std::pair<size_t, size_t>> RingInHole(const std::vector<NPolygonPtr>& rings, size_t outer)
{
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
    for (size_t a = 0; a < rings.size(); ++a) {
        if (a == outer)
            continue;
        const NRect& r = rings[a]->GetGabarit();
        const size_t x1 = cell(r.pBot.x - EPS, all.pBot.x, width), x2 = cell(r.pTop.x + EPS, all.pBot.x, width);
        const size_t y1 = cell(r.pBot.y - EPS, all.pBot.y, height), y2 = cell(r.pTop.y + EPS, all.pBot.y, height);
        for (size_t y = y1; y <= y2; ++y) {
            for (size_t x = x1; x <= x2; ++x) {
                for (size_t b : cells[y * side + x]) {
                    if (b != a && rings[a]->CheckContainPoligon(*rings[b], true))
                        return std::pair{a, b};
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace vrnApi
