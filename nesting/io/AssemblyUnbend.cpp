// Unbending a host body to its flat pattern in the geometric kernel: the bends
// found from the sheet's faces, a fixed face kept in place, every bend
// developed at the radius and angle its faces measure.
#include "io/AssemblyReader.h"

#include "host/VarnelAPI.h"

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

}  // namespace

bool AssemblyReader::UnbendSheetBody(vlapi::IBodyPtr body, const std::wstring& partName,
                                     const std::vector<BendParam>& params, CurvesVector& curves, CurvesVector& bends)
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
        fixedFace = GetMaxFaceFromSolid(solid);
    } else if (!fixedFace) {
        // Nothing may stay in place: the body is not unbent.
        ShowFailure(partName, kNotUnbent);
        return false;
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
            ShowFailure(partName, kNotUnbent);
            return false;
        }
        unbent = made;
    }
    if (!unbent)
        return false;
    if (fixedFace)
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
