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

size_t FindOuterRing(const std::vector<NPolygonPtr>& rings)
{
    std::vector<size_t> order(rings.size());
    std::iota(order.begin(), order.end(), size_t{0});
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

}  // namespace vrnApi
