// The sheet-metal elements of a part that lie on one body: the sheet's
// thickness and one bend description per element.
#include "io/AssemblyReader.h"
#include "io/SheetMetalObjects.h"

#include <algorithm>

namespace {

// The part's elements, in the container's own order of its eighteen collections.
std::vector<vlapi::IAPIObjectPtr> Elements(const vlapi::ISheetMetalContainerPtr& c)
{
    std::vector<vlapi::IAPIObjectPtr> all;
    GetMetalObjects(c->GetSheetMetalBodies(), all);
    GetMetalObjects(c->GetSheetMetalBends(), all);
    GetMetalObjects(c->GetSheetMetalLineBends(), all);
    GetMetalObjects(c->GetSheetMetalHoles(), all);
    GetMetalObjects(c->GetSheetMetalCuts(), all);
    GetMetalObjects(c->GetSheetMetalSketchBends(), all);
    GetMetalObjects(c->GetSheetMetalClosedCorners(), all);
    GetMetalObjects(c->GetSheetMetalPlates(), all);
    GetMetalObjects(c->GetSheetMetalJogs(), all);
    GetMetalObjects(c->GetSheetMetalBendedStraightens(), all);
    GetMetalObjects(c->GetSheetMetalPressFormings(), all);
    GetMetalObjects(c->GetSheetMetalShoulders(), all);
    GetMetalObjects(c->GetSheetMetalJalousies(), all);
    GetMetalObjects(c->GetSheetMetalRibs(), all);
    GetMetalObjects(c->GetSheetMetalLoftedBodies(), all);
    GetMetalObjects(c->GetSheetMetalPunchs(), all);
    GetMetalObjects(c->GetSheetMetalEdgeBends(), all);
    GetMetalObjects(c->GetConvertsToSheetMetal(), all);
    return all;
}

double AngleOf(const vlapi::IAPIObjectPtr& candidate)
{
    if (vlapi::ISheetMetalBendPtr bend{candidate})
        return bend->GetAngle();
    if (vlapi::ISheetMetalLineBendPtr bend{candidate})
        return bend->GetAngle();
    return 0.0;
}

}  // namespace

void AssemblyReader::GetSheetMetalFromPart(vlapi::IPartPtr part, int64_t idFinBody, double& thickness,
                                           std::vector<BendParam>& params)
{
    auto all = SheetMetalOfBodies(part);
    const auto found = all.find(idFinBody);
    if (found == all.end())
        return;
    thickness = found->second.thickness;
    params = std::move(found->second.params);
}

std::unordered_map<int64_t, AssemblyReader::SheetMetal> AssemblyReader::SheetMetalOfBodies(vlapi::IPartPtr part)
{
    std::unordered_map<int64_t, SheetMetal> bodies;
    vlapi::ISheetMetalContainerPtr container{part};
    if (!container)
        return bodies;
    vlapi::ISheetMetalBendUnfoldParametersPtr unfoldParameters = container->GetUnfoldParameters();
    const bool unfold = unfoldParameters && unfoldParameters->GetUnfold();
    const std::vector<vlapi::IAPIObjectPtr> candidates =
        unfold ? std::vector<vlapi::IAPIObjectPtr>{vlapi::IAPIObjectPtr(unfoldParameters)} : Elements(container);

    for (const vlapi::IAPIObjectPtr& candidate : candidates) {
        vlapi::IFeaturePtr feature{candidate};
        if (!feature)
            continue;
        // The unfold parameters hold the faces of every sheet body of the
        // part: the element lies on each body any of its faces lies on.
        std::vector<int64_t> onBodies;
        for (const vlapi::IModelObjectPtr& object : feature->GetModelObjects(vlapi::o3d_face)) {
            const vlapi::IFacePtr face{object};
            const vlapi::IBodyPtr faceBody = face ? face->GetBody() : nullptr;
            if (faceBody && std::find(onBodies.begin(), onBodies.end(), faceBody->GetId()) == onBodies.end())
                onBodies.push_back(faceBody->GetId());
        }
        for (const int64_t id : onBodies) {
            vlapi::IBodyPtr finBody = part->GetBody(id);
            vlapi::IFeaturePtr bodyFeature{finBody};
            if (!bodyFeature)
                continue;
            const vlapi::FeatureList related = bodyFeature->GetRelatedFeatures(true, true, true);
            vlapi::ISheetMetalBodyPtr sheet = related.empty() ? nullptr : vlapi::ISheetMetalBodyPtr(related.front());
            if (!sheet)
                continue;
            SheetMetal& body = bodies[id];
            body.thickness = sheet->GetThickness();
            body.params.push_back(
                {unfold, AngleOf(candidate), 0.0, sheet->GetBendCoefficient(), sheet->GetBendRadius()});
        }
    }
    return bodies;
}
