// The curves of a flat pattern: every edge of the faces lying in the fixed
// face's plane, projected into its coordinates; an edge two such faces share
// is a bend line, every other edge belongs to the outline.
#include "io/AssemblyReader.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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
    // The ends of the curves kept, beside them: a curve drawn twice has the
    // same ends, so the curves are compared only where their ends meet (a
    // plate of thousands of holes has thousands of curves).
    constexpr double kSame = 1e-4;
    using Ends = std::pair<MbCartPoint, MbCartPoint>;
    const auto endsOf = [](const MbCurve& c) { return Ends{c.GetLimitPoint(1), c.GetLimitPoint(2)}; };
    std::vector<Ends> ends;
    for (const SPtr<MbCurve>& c : curves)
        ends.push_back(c ? endsOf(*c) : Ends{});
    const auto meet = [](const Ends& a, const Ends& b) {
        const auto near = [](const MbCartPoint& p, const MbCartPoint& q) { return std::hypot(p.x - q.x, p.y - q.y) <= 2 * kSame; };
        return (near(a.first, b.first) && near(a.second, b.second)) || (near(a.first, b.second) && near(a.second, b.first));
    };
    for (size_t l = 0; l < face->GetLoopsCount(); ++l) {
        const MbLoop* loop = face->GetLoop(l);
        for (size_t e = 0; loop && e < loop->GetEdgesCount(); ++e) {
            const MbOrientedEdge* edge = loop->GetOrientedEdge(e);
            if (!edge)
                continue;
            SPtr<MbCurve> curve(edge->GetCurveEdge().GetSpaceCurve().GetProjection(place, GetCurrentMathFileVersion()));
            if (!curve)
                continue;
            const Ends these = endsOf(*curve);
            size_t twin = 0;
            while (twin < curves.size() &&
                   !(curves[twin] && meet(ends[twin], these) && curves[twin]->IsSame(*curve, kSame)))
                ++twin;
            if (twin < curves.size()) {
                bends.push_back(curve);
                curves.erase(curves.begin() + static_cast<std::ptrdiff_t>(twin));
                ends.erase(ends.begin() + static_cast<std::ptrdiff_t>(twin));
                continue;
            }
            if (SPtr<MbCurve> kept = OutlineForm(curve)) {
                curves.push_back(kept);
                ends.push_back(endsOf(*kept));
            }
        }
    }
}
