// The closed borders of a figure macro: outer border and holes as polygons
// that never cut into the part, with the host-measured area and cut length.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/BorderRings.h"
#include "host/ContourMeasure.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>

namespace {


// One closed ring: its chain of chords and the straight approximation used to
// tell which ring is which.
struct Pair {
    NContourPtr contour;
    NPolygonPtr polygon;
};

bool PointAt(vlapi::ICurve2D& curve, double t, NPoint& p)
{
    return curve.GetPoint(t, p.x, p.y);
}

// The chord of one host curve, with the curve's middle point.
bool ReadChord(const vlapi::IDrawingObjectPtr& obj, vrnApi::CurveChord& out)
{
    vlapi::ICurve2DPtr curve = obj ? obj->GetCurve() : vlapi::ICurve2DPtr{};
    if (!curve)
        return false;
    const double t0 = curve->GetParamMin();
    const double t1 = curve->GetParamMax();
    NPoint p1, p2;
    if (!PointAt(*curve.get(), t0, p1) || !PointAt(*curve.get(), t1, p2) || !PointAt(*curve.get(), (t0 + t1) / 2, out.middle))
        return false;
    out.chord = std::make_shared<NSegment>(p1, p2, 0);
    out.chord->m_ref = hostAccess::ReferenceOf(obj);
    return true;
}

bool IsClosed(const NContour& contour)
{
    const NPoint& start = contour.m_segments.front()->p1;
    const NPoint& end = contour.m_segments.back()->p2;
    return std::fabs(start.x - end.x) < 0.0001 && std::fabs(start.y - end.y) < 0.0001;
}

// The straight approximation of a closed chain (curves within the configured sag).
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
        vrnApi::ApproximateObjectByLineSegments(obj, fine);
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

// Outer ring first, then the holes by decreasing gabarit area.
bool OrderRings(std::vector<Pair>& pairs)
{
    std::vector<NPolygonPtr> rings;
    for (const Pair& pair : pairs)
        rings.push_back(pair.polygon);
    const size_t outer = vrnApi::FindOuterRing(rings);
    if (outer == NOT_FOUND_INDEX)
        return false;
    std::rotate(pairs.begin(), pairs.begin() + static_cast<ptrdiff_t>(outer),
                pairs.begin() + static_cast<ptrdiff_t>(outer) + 1);
    std::stable_sort(pairs.begin() + 1, pairs.end(), [](const Pair& a, const Pair& b) {
        return a.polygon->GetGabaritArea() > b.polygon->GetGabaritArea();
    });
    return true;
}

// The ring as a tangential polygon running counter-clockwise; empty when it
// cannot be built.
NPolygonPtr TangentialRing(Pair& pair, bool outer, double arrow)
{
    pair.polygon->UpdateGabarit();
    if (pair.polygon->CheckDirection() != outer)
        pair.contour->Invert();
    NPolygonPtr ring = vrnApi::ApproximateByTangentialPoligon(pair.contour->m_segments, arrow);
    if (!ring)
        return {};
    ring->DelEquilPoints();
    ring->DelColinearPoints();
    if (!outer)
        ring->Invert();
    return ring->m_points.empty() ? NPolygonPtr{} : ring;
}

}  // namespace

void NMacroObject::InitConvexBordersFromMacro(std::vector<NPolygonPtr>& borders, double& area, double& length)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !doc)
        return;
    const double arrow = NestingSetting::m_instance.m_tolerance;
    std::vector<vlapi::IDrawingObjectPtr> curves;
    vrnApi::GetCurveObjectsFromMacro(m_macro, curves, arrow);
    if (curves.empty())
        return;
    const auto refuse = [this](int id) {
        application->MessageBox(vrnApi::LoadStr(id) + L" " + GetName(), L"", vlapi::vlMBIconError, 0, 0);
    };

    std::vector<vrnApi::CurveChord> chords(curves.size());
    for (size_t i = 0; i < curves.size(); ++i) {
        if (!ReadChord(curves[i], chords[i]))
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
    }
    if (vrnApi::HasRepeatedCurve(chords))
        return refuse(IDS_MESS_ERROR_IMPORT_BORDER);
    std::vector<NSegmentPtr> segments;
    for (const vrnApi::CurveChord& c : chords)
        segments.push_back(c.chord);
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);
    for (const NContourPtr& contour : contours) {
        if (contour->m_segments.empty())
            return;
        if (!IsClosed(*contour))
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
    }

    std::vector<Pair> pairs;
    for (const NContourPtr& contour : contours) {
        NPolygonPtr polygon = ApproximateChain(doc, *contour);
        if (!polygon)
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
        pairs.push_back({contour, polygon});
    }
    if (!OrderRings(pairs))
        return refuse(IDS_MESS_ERROR_IMPORT_BORDER);

    double netArea = 0.0;
    double cutLength = 0.0;
    for (size_t k = 0; k < pairs.size(); ++k) {
        double ringArea = 0.0;
        if (!vrnApi::MeasureContour(*pairs[k].contour, ringArea, cutLength))
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
        netArea += k == 0 ? ringArea : -ringArea;
    }
    std::vector<NPolygonPtr> rings;
    for (size_t k = 0; k < pairs.size(); ++k) {
        NPolygonPtr ring = TangentialRing(pairs[k], k == 0, arrow);
        if (!ring)
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
        rings.push_back(ring);
    }
    borders.insert(borders.end(), rings.begin(), rings.end());
    area = netArea;
    length += cutLength;
}

void NMacroObject::GetBoundaryContours(std::vector<NContourPtr>& contours)
{
    if (!m_macro || !vrnApi::GetActiveDocument2D())
        return;
    std::vector<vlapi::IDrawingObjectPtr> objs;
    vrnApi::GetGeomObjectsFromMacro(m_macro, objs, true);
    std::vector<NSegmentPtr> chords;
    for (const vlapi::IDrawingObjectPtr& obj : objs) {
        vrnApi::CurveChord chord;
        if (ReadChord(obj, chord))
            chords.push_back(chord.chord);
    }
    if (!chords.empty())
        CreateContinuousContours(chords, contours);
}
