// The curves of a flat pattern: every edge of the faces lying in the fixed
// face's plane, projected into its coordinates; an edge two such faces share
// is a bend line, every other edge belongs to the outline.
#include "io/AssemblyReader.h"

#include "geometry/PointGrid.h"

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

namespace {

// Two curves are one (a bend line two faces share) when they lie within this.
constexpr double kSame = 1e-4;

// The curves a flat pattern keeps, with their ends filed in a grid: a curve
// drawn twice is looked for only among the curves with an end near one of
// its ends (a plate of thousands of holes or an outline of a hundred thousand
// edges has as many curves). A curve found twice leaves the list as a bend
// line; the list keeps its order.
class PatternCurves {
public:
    explicit PatternCurves(CurvesVector& curves) : m_curves(curves)
    {
        for (size_t i = 0; i < m_curves.size(); ++i)
            File(i);
    }
    PatternCurves(const PatternCurves&) = delete;
    PatternCurves& operator=(const PatternCurves&) = delete;
    ~PatternCurves() { std::erase(m_curves, SPtr<MbCurve>()); }

    void Add(const SPtr<MbCurve>& curve, CurvesVector& bends)
    {
        const Ends these = EndsOf(*curve);
        const size_t twin = m_ends.FirstNear(Point(these.first), [&](size_t i) {
            return m_curves[i] && Meet(EndsOf(*m_curves[i]), these) && m_curves[i]->IsSame(*curve, kSame);
        });
        if (twin != PointGrid::kNone) {
            bends.push_back(curve);
            m_curves[twin] = nullptr;
            return;
        }
        if (SPtr<MbCurve> kept = OutlineForm(curve)) {
            m_curves.push_back(kept);
            File(m_curves.size() - 1);
        }
    }

private:
    using Ends = std::pair<MbCartPoint, MbCartPoint>;

    static Ends EndsOf(const MbCurve& c) { return {c.GetLimitPoint(1), c.GetLimitPoint(2)}; }
    static NPoint Point(const MbCartPoint& p) { return {p.x, p.y}; }
    static bool Near(const MbCartPoint& p, const MbCartPoint& q)
    {
        const double dx = p.x - q.x, dy = p.y - q.y;
        return dx * dx + dy * dy <= 4 * kSame * kSame;
    }
    static bool Meet(const Ends& a, const Ends& b)
    {
        return (Near(a.first, b.first) && Near(a.second, b.second)) || (Near(a.first, b.second) && Near(a.second, b.first));
    }
    void File(size_t i)
    {
        if (!m_curves[i])
            return;
        const Ends ends = EndsOf(*m_curves[i]);
        m_ends.Add(Point(ends.first), i);
        m_ends.Add(Point(ends.second), i);
    }

    CurvesVector& m_curves;
    PointGrid m_ends{2 * kSame};
};

void CurvesOfFace(const MbFace& face, const MbPlacement3D& place, PatternCurves& curves, CurvesVector& bends)
{
    for (size_t l = 0; l < face.GetLoopsCount(); ++l) {
        const MbLoop* loop = face.GetLoop(l);
        for (size_t e = 0; loop && e < loop->GetEdgesCount(); ++e) {
            const MbOrientedEdge* edge = loop->GetOrientedEdge(e);
            if (!edge)
                continue;
            SPtr<MbCurve> curve(edge->GetCurveEdge().GetSpaceCurve().GetProjection(place, GetCurrentMathFileVersion()));
            if (curve)
                curves.Add(curve, bends);
        }
    }
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
    PatternCurves kept(curves);
    for (size_t i = 0; i < shell->GetFacesCount(); ++i) {
        MbFace* face = shell->GetFace(i);
        MbPlacement3D place;
        // Only plane faces lie in the plane: a curved face's tangent plane may touch it.
        if (face && face->GetPlacement(place) && place.Complanar(fixedPlace, Math::angleRegion))
            CurvesOfFace(*face, fixedPlace, kept, bends);
    }
}

void AssemblyReader::GetCurvesFromFace(const SPtr<MbFace>& face, const MbPlacement3D& place, CurvesVector& curves,
                                       CurvesVector& bends)
{
    if (!face)
        return;
    PatternCurves kept(curves);
    CurvesOfFace(*face, place, kept, bends);
}
