// Unbending a host body to its flat pattern in the geometric kernel: the bends
// found from the sheet's faces, a side of the sheet kept in place, every bend
// developed at the radius and angle its faces measure, and the result taken
// only when it is one flat sheet of the body's thickness.
#include "io/AssemblyReader.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr wchar_t kNotUnbent[] = L"Не удалось выполнить разгибание листового тела.";
constexpr wchar_t kNotRectified[] = L"Не удалось выполнить построение развертки.";

void ShowFailure(const std::wstring& partName, const wchar_t* text)
{
    if (application)
        application->MessageBox(partName + L"\n" + text, std::wstring(), vlapi::vlMBIconWarning, 0, 0);
}

// The kernel solid of a host body; empty when it has none.
SPtr<MbSolid> SolidOf(const vlapi::IBodyPtr& body)
{
    vlapi::ITransferServicePtr transfer = GetTransferService();
    if (!transfer || !body)
        return {};
    MbRefItem* item = transfer->GetKernelObject(body.get(), 0);
    return SPtr<MbSolid>(dynamic_cast<MbSolid*>(item));
}

MbCartPoint MiddleOfRanges(const MbSurface& surface)
{
    return {(surface.GetUMin() + surface.GetUMax()) / 2, (surface.GetVMin() + surface.GetVMax()) / 2};
}

// How far a measured thickness may stray from the sheet's own.
double ThicknessSlack(double thickness)
{
    return std::min(1e-3, 0.01 * thickness) + 1e-9 * thickness;
}

// A plane face of a solid: its plane, Z the outward normal.
struct PlaneFace {
    MbFace* face = nullptr;
    MbPlacement3D place;
    double key = 0.0;  // equal for parallel planes whichever way they face
};

double DirectionKey(const MbVector3D& n)
{
    return std::fabs(n.x) + 1.4142135623730951 * std::fabs(n.y) + 2.6457513110645907 * std::fabs(n.z);
}

// A side of the sheet among the solid's faces: a plane face that faces away
// from a plane face of the other side `thickness` behind it, one of the pair
// the thickness separates. When the kernel marks the sides of the sheet only
// marked faces are taken, the first in shell order. Otherwise a face along
// the edge of a strip no wider than it is thick may pair too: the face with
// more loops comes first (holes go through the sheet, not along it), then the
// larger. Null when no face pairs.
MbFace* SheetSide(const MbFaceShell& shell, double thickness)
{
    std::vector<PlaneFace> planes;
    bool marked = false;
    for (size_t i = 0; i < shell.GetFacesCount(); ++i) {
        MbFace* face = shell.GetFace(i);
        PlaneFace plane;
        if (!face || face->GetLoopsCount() == 0 || !face->GetPlacement(plane.place))
            continue;
        plane.face = face;
        plane.key = DirectionKey(plane.place.axisZ);
        planes.push_back(plane);
        marked = marked || IsSuitableForFixed(*face);
    }
    std::vector<size_t> byKey(planes.size());
    for (size_t i = 0; i < byKey.size(); ++i)
        byKey[i] = i;
    std::stable_sort(byKey.begin(), byKey.end(), [&](size_t a, size_t b) { return planes[a].key < planes[b].key; });
    const double slack = ThicknessSlack(thickness);
    auto facesAnOtherSide = [&](const PlaneFace& side) {
        auto from = std::lower_bound(byKey.begin(), byKey.end(), side.key - 1e-6,
                                     [&](size_t i, double key) { return planes[i].key < key; });
        for (; from != byKey.end() && planes[*from].key <= side.key + 1e-6; ++from) {
            const PlaneFace& other = planes[*from];
            if (Cross(other.place.axisZ, side.place.axisZ).Length() > Math::angleRegion ||
                Dot(other.place.axisZ, side.place.axisZ) > 0.0)
                continue;
            if (std::fabs(side.place.Height(other.place.origin) + thickness) <= slack)
                return true;
        }
        return false;
    };
    std::vector<std::pair<const PlaneFace*, double>> candidates;  // with their areas
    for (const PlaneFace& plane : planes) {
        if (!marked || IsSuitableForFixed(*plane.face))
            candidates.emplace_back(&plane, marked ? 0.0 : plane.face->GetArea());
    }
    if (!marked) {
        std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
            const size_t loopsA = a.first->face->GetLoopsCount();
            const size_t loopsB = b.first->face->GetLoopsCount();
            return loopsA != loopsB ? loopsA > loopsB : a.second > b.second;
        });
    }
    for (const auto& candidate : candidates) {
        if (facesAnOtherSide(*candidate.first))
            return candidate.first->face;
    }
    return nullptr;
}

// The solid's extent along the normal of a plane face.
double DepthBehind(const MbSolid& solid, const MbFace& face)
{
    MbPlacement3D place;
    face.GetPlacement(place);
    const MbMatrix3D motion = MbMatrix3D::FromTo(place, MbPlacement3D());
    MbCube box;
    const MbFaceShell& shell = *solid.GetShell();
    for (size_t f = 0; f < shell.GetFacesCount(); ++f) {
        const MbFace* other = shell.GetFace(f);
        for (size_t l = 0; other && l < other->GetLoopsCount(); ++l) {
            const MbLoop* loop = other->GetLoop(l);
            for (size_t e = 0; loop && e < loop->GetEdgesCount(); ++e) {
                const SPtr<MbCurve3D> moved(loop->GetOrientedEdge(e)->GetCurveEdge().GetSpaceCurve().Transformed(motion));
                moved->AddYourGabaritTo(box);
            }
        }
    }
    return box.GetLengthZ();
}

std::wstring Millimetres(double value)
{
    return uf::NumberText(value) + L" мм";
}

std::wstring NoSheetSide(double thickness)
{
    return L"Не найдены стороны листа: ни одна пара плоских граней тела не отстоит друг от друга на толщину листа " +
           Millimetres(thickness) + L".";
}

std::wstring NotFlat(double depth, double thickness)
{
    return L"Развёртка не плоская: поперёк листа толщиной " + Millimetres(thickness) + L" тело имеет размер " +
           Millimetres(depth) + L".";
}

}  // namespace

bool AssemblyReader::UnbendSheetBody(vlapi::IBodyPtr body, const std::wstring& partName,
                                     const std::vector<BendParam>& params, double thickness, CurvesVector& curves,
                                     CurvesVector& bends, bool report)
{
    const SPtr<MbSolid> solid = SolidOf(body);
    const SPtr<MbFaceShell> shell(solid ? solid->GetShell() : nullptr);
    if (!shell)
        return false;
    FacesVector innerFaces;
    FacesVector outerFaces;
    SPtr<MbFace> fixedFace;
    MbCartPoint fixedPoint;
    GetBendGeomFromSolid(shell, innerFaces, outerFaces, fixedFace, fixedPoint);
    // The pattern lies in a side of the sheet, never in the largest face,
    // which for a strip thicker than it is wide runs along its edge.
    MbFace* side = SheetSide(*shell, thickness);
    if (!side) {
        if (report)
            ShowFailure(partName, NoSheetSide(thickness).c_str());
        return false;
    }
    fixedFace = SPtr<MbFace>(side);
    fixedPoint = MiddleOfRanges(fixedFace->GetSurface());
    RPArray<MbFace> inner;
    RPArray<MbFace> outer;
    for (const SPtr<MbFace>& face : innerFaces)
        inner.Add(face.get());
    for (const SPtr<MbFace>& face : outerFaces)
        outer.Add(face.get());
    PArray<MbSheetMetalBend> sheetBends;
    CollectBends(*shell, inner, outer, sheetBends);

    SPtr<MbSolid> unbent;
    if (sheetBends.Count() == 0 || params.empty()) {
        unbent = solid;
    } else {
        // Each bend keeps the radius and angle its faces measure; the host
        // gives one coefficient for the whole sheet body.
        for (size_t i = 0; i < sheetBends.Count(); ++i)
            sheetBends[i]->kof = params.front().kof;
        MbSolid* result = nullptr;
        const MbResultType rc = UnbendSheetSolid(*solid, cm_KeepHistory, sheetBends, *fixedFace, fixedPoint,
                                                 MbSNameMaker(0), result);
        SPtr<MbSolid> made(result);
        if (rc != rt_Success || !made) {
            if (report)
                ShowFailure(partName, kNotUnbent);
            return false;
        }
        unbent = made;
    }
    // A bend the kernel did not find, or anything else standing out of the
    // sheet, would be lost from a pattern read in one plane.
    const double depth = DepthBehind(*unbent, *fixedFace);
    if (!(std::fabs(depth - thickness) <= ThicknessSlack(thickness))) {
        if (report)
            ShowFailure(partName, NotFlat(depth, thickness).c_str());
        return false;
    }
    GetCurvesFromSolid(unbent, fixedFace, curves, bends);
    return !curves.empty();
}

void AssemblyReader::GetBendGeomFromSolid(const SPtr<MbFaceShell>& shell, FacesVector& innerFaces,
                                          FacesVector& outerFaces, SPtr<MbFace>& fixedFace, MbCartPoint& fixedPoint)
{
    if (!shell)
        return;
    for (size_t i = 0; i < shell->GetFacesCount(); ++i) {
        MbFace* face = shell->GetFace(i);
        if (!face || !(face->GetAttributes() & fa_SheetSide))
            continue;
        if (face->GetAttributes() & fa_InnerBend)
            innerFaces.emplace_back(face);
        else if (face->GetAttributes() & fa_OuterBend)
            outerFaces.emplace_back(face);
        if (!fixedFace && IsSuitableForFixed(*face)) {
            fixedFace = SPtr<MbFace>(face);
            fixedPoint = MiddleOfRanges(face->GetSurface());
        }
    }
}

SPtr<MbFace> AssemblyReader::GetMaxFaceFromSolid(const SPtr<MbSolid>& solid)
{
    MbFaceShell* shell = solid ? solid->GetShell() : nullptr;
    if (!shell)
        return {};
    SPtr<MbFace> result;
    double maxVolume = 0.0;
    for (size_t i = 0; i < shell->GetFacesCount(); ++i) {
        MbFace* face = shell->GetFace(i);
        if (!face)
            continue;
        MbCube box;
        face->AddYourGabaritTo(box);
        const double volume = box.GetVolume(Math::metricRegion);
        if (volume > maxVolume) {
            maxVolume = volume;
            result = SPtr<MbFace>(face);
        }
    }
    return result;
}

bool AssemblyReader::UnbendBodyByRectifyFace(vlapi::IBodyPtr body, const std::wstring& partName,
                                             CurvesVector& curves, CurvesVector& bends)
{
    const SPtr<MbSolid> solid = SolidOf(body);
    const SPtr<MbFace> face = GetMaxFaceFromSolid(solid);
    if (!face)
        return false;
    if (face->IsPlanar(1e-8)) {
        GetCurvesFromSolid(solid, face, curves, bends);
        return true;
    }
    const MbSurface& surface = face->GetSurface();
    const MbCartPoint uv = MiddleOfRanges(surface);
    RectifyValues values;
    values.place = MbPlacement3D(surface.PointOn(uv.x, uv.y), surface.Normal(uv.x, uv.y), false);
    values.init = uv;
    values.stepData = MbStepData(ist_SpaceStep, Math::visualSag, nullptr);
    values.myu = 0.0;
    values.faceted = false;
    MbSolid* result = nullptr;
    const MbResultType rc = RectifyFace(*face, values, result);
    const SPtr<MbSolid> flat(result);
    if (rc != rt_Success || !flat) {
        ShowFailure(partName, kNotRectified);
        return false;
    }
    if (const SPtr<MbFace> fixedFace = GetMaxFaceFromSolid(flat))
        GetCurvesFromSolid(flat, fixedFace, curves, bends);
    return !curves.empty();
}
