// The closed borders of a figure macro: outer border and holes as polygons
// that never cut into the part, with the host-measured area and cut length.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/BorderRings.h"
#include "host/ContourMeasure.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "geometry/RingCrossings.h"
#include "geometry/RingThinning.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// One closed ring: its chain of chords and the straight approximation used to
// tell which ring is which.
struct Pair {
    NContourPtr contour;
    NPolygonPtr polygon;
};

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

}  // namespace

void NMacroObject::InitConvexBordersFromMacro(std::vector<NPolygonPtr>& borders, double& area, double& length,
                                              double& sag, double& beyond)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !doc)
        return;
    const double arrow = NestingSetting::m_instance.m_tolerance;
    std::vector<vlapi::IDrawingObjectPtr> curves;
    vrnApi::GetCurveObjectsFromMacro(m_macro, curves, kPieceSag);
    if (curves.empty())
        return;
    const auto refuse = [this](int id) {
        application->MessageBox(vrnApi::LoadStr(id) + L" " + GetName(), L"", vlapi::vlMBIconError, 0, 0);
    };

    // A curve that is a point (a line from a vertex to itself or to one
    // within the point tolerance, as exports repeat vertices, or a run of
    // them) bounds nothing: its ends are one joint with its neighbours', and
    // the chains run from joint to joint. A chain that does not come back to
    // its first joint is refused.
    std::vector<vrnApi::CurveChord> chords;
    for (const vlapi::IDrawingObjectPtr& curve : curves) {
        vrnApi::CurveChord chord;
        if (vrnApi::ReadCurveChord(curve, chord))
            chords.push_back(chord);
    }
    std::vector<size_t> joints;
    vrnApi::CollapsePointCurves(chords, joints);
    if (chords.empty())
        return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
    if (vrnApi::HasRepeatedCurve(chords, joints))
        return refuse(IDS_MESS_ERROR_IMPORT_BORDER);
    size_t open = 0;
    const std::vector<NContourPtr> contours = vrnApi::ChainByJoints(chords, joints, open);
    if (open > 0)
        return refuse(IDS_MESS_ERROR_CLOSED_BORDER);

    std::vector<Pair> pairs;
    for (const NContourPtr& contour : contours) {
        // A ring within a point's box is a point, as the import takes it (it
        // writes none): it bounds nothing.
        if (vrnApi::IsPointChain(doc, *contour))
            continue;
        NPolygonPtr polygon = vrnApi::ApproximateChain(doc, *contour);
        if (!polygon)
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
        pairs.push_back({contour, polygon});
    }
    if (pairs.empty())
        return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
    // Which ring holds which, and whether they cross, is decided without
    // spikes: a hole's spike may run past the outline, or the outline's
    // across a hole. (The chains keep them: the cleaning of each ring drops
    // them below.)
    std::vector<NPolygonPtr> approximations;
    for (const Pair& pair : pairs)
        approximations.push_back(pair.polygon);
    approximations = vrnApi::WithoutSpikes(approximations);
    for (size_t k = 0; k < pairs.size(); ++k)
        pairs[k].polygon = approximations[k];
    // A self-crossing outline bounds no part: its area would count lobes
    // against each other.
    if (const std::wstring crossing = vrnApi::CrossingReason(approximations); !crossing.empty()) {
        application->MessageBox(GetName() + L": " + crossing, L"", vlapi::vlMBIconError, 0, 0);
        return;
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
    double strayed = 0.0;
    for (size_t k = 0; k < pairs.size(); ++k) {
        NPolygonPtr ring = vrnApi::BorderRing(*pairs[k].contour, *pairs[k].polygon, k == 0, arrow, strayed);
        if (!ring)
            return refuse(IDS_MESS_ERROR_CLOSED_BORDER);
        rings.push_back(ring);
    }
    borders.insert(borders.end(), rings.begin(), rings.end());
    area = netArea;
    length += cutLength;
    // Lines, arcs and circles are followed exactly; other curves on chords.
    const bool chorded = std::any_of(curves.begin(), curves.end(), [](const vlapi::IDrawingObjectPtr& curve) {
        const int type = curve ? curve->GetType() : vlapi::vlDrLineSeg;
        return type != vlapi::vlDrLineSeg && type != vlapi::vlDrArc && type != vlapi::vlDrCircle;
    });
    sag = std::max(chorded ? kFineChordSag : 0.0, strayed);
    // Chords of other curves may pass inside their extremes; thinning keeps
    // every ring's extreme vertices.
    beyond = chorded ? kFineChordSag : 0.0;
}

void NMacroObject::GetBoundaryContours(std::vector<NContourPtr>& contours) { BoundaryContours(contours, nullptr); }

void NMacroObject::GetCutPieces(std::vector<clearance::CutPiece>& pieces)
{
    if (!m_macro || !vrnApi::GetActiveDocument2D())
        return;
    // The curves the borders are made of: those of the cut layer, pieced
    // objects read as lines and arcs.
    std::vector<vlapi::IDrawingObjectPtr> curves;
    vrnApi::GetCurveObjectsFromMacro(m_macro, curves, kPieceSag);
    for (const vlapi::IDrawingObjectPtr& curve : curves)
        vrnApi::AppendCutPieces(curve, pieces);
}

void NMacroObject::BoundaryContours(std::vector<NContourPtr>& contours, vlapi::DrawingObjectList* objects)
{
    if (!m_macro || !vrnApi::GetActiveDocument2D())
        return;
    std::vector<vlapi::IDrawingObjectPtr> objs;
    vrnApi::GetGeomObjectsFromMacro(m_macro, objs, true);
    std::vector<NSegmentPtr> chords;
    std::unordered_map<reference, const vlapi::IDrawingObjectPtr*> source;
    for (const vlapi::IDrawingObjectPtr& obj : objs) {
        vrnApi::CurveChord chord;
        if (vrnApi::ReadCurveChord(obj, chord)) {
            chords.push_back(chord.chord);
            if (objects)
                source.emplace(chord.chord->m_ref, &obj);
        }
    }
    if (!chords.empty())
        CreateContinuousContours(chords, contours);
    if (!objects)
        return;
    for (const NContourPtr& contour : contours)
        for (const NSegmentPtr& segment : contour->m_segments) {
            const auto found = source.find(segment->m_ref);
            objects->emplace_back(found != source.end() ? *found->second : vlapi::IDrawingObjectPtr{});
        }
}
