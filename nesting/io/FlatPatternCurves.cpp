// The curves of a flat pattern: every edge of the faces lying in the fixed
// face's plane, projected into its coordinates; an edge two such faces share
// is a bend line, every other edge belongs to the outline.
#include "io/AssemblyReader.h"

#include <algorithm>

namespace {

// The curve as the outline keeps it: segments and whole circles as they are,
// every other curve as its NURBS form; empty when the kernel cannot convert it.
SPtr<MbCurve> OutlineForm(const SPtr<MbCurve>& curve)
{
    if (curve->IsA() == pt_LineSegment)
        return curve;
    if (curve->IsA() == pt_Arc) {
        const MbArc* arc = dynamic_cast<const MbArc*>(curve.get());
        if (arc && arc->IsCircle(1e-7))
            return curve;
    }
    return SPtr<MbCurve>(curve->NurbsCurve());
}

}  // namespace

void AssemblyReader::GetCurvesFromSolid(const SPtr<MbSolid>& solid, const SPtr<MbFace>& fixedFace,
                                        CurvesVector& curves, CurvesVector& bends)
{
    MbFaceShell* shell = solid && fixedFace ? solid->GetShell() : nullptr;
    if (!shell)
        return;
    MbPlacement3D fixedPlace;
    fixedFace->GetPlacement(fixedPlace);
    for (size_t i = 0; i < shell->GetFacesCount(); ++i) {
        MbFace* face = shell->GetFace(i);
        MbPlacement3D place;
        // Only plane faces lie in the plane: a curved face's tangent plane may touch it.
        if (face && face->GetPlacement(place) && place.Complanar(fixedPlace, Math::angleRegion))
            GetCurvesFromFace(SPtr<MbFace>(face), fixedPlace, curves, bends);
    }
}

void AssemblyReader::GetCurvesFromFace(const SPtr<MbFace>& face, const MbPlacement3D& place, CurvesVector& curves,
                                       CurvesVector& bends)
{
    if (!face)
        return;
    for (size_t l = 0; l < face->GetLoopsCount(); ++l) {
        const MbLoop* loop = face->GetLoop(l);
        for (size_t e = 0; loop && e < loop->GetEdgesCount(); ++e) {
            const MbOrientedEdge* edge = loop->GetOrientedEdge(e);
            if (!edge)
                continue;
            SPtr<MbCurve> curve(edge->GetCurveEdge().GetSpaceCurve().GetProjection(place, GetCurrentMathFileVersion()));
            if (!curve)
                continue;
            auto twin = std::find_if(curves.begin(), curves.end(),
                                     [&](const SPtr<MbCurve>& c) { return c && c->IsSame(*curve, 1e-4); });
            if (twin != curves.end()) {
                bends.push_back(curve);
                curves.erase(twin);
                continue;
            }
            if (SPtr<MbCurve> kept = OutlineForm(curve))
                curves.push_back(kept);
        }
    }
}
