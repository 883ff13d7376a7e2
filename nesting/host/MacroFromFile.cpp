// The figure of a drawing file brought into the active drawing as one macro.
#include "host/NestingMacro.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostAccess.h"
#include "host/MacroFactorySteps.h"
#include "host/VarnelAPI.h"

namespace {

// The objects that draw the part count for its centre; they and its texts
// become the figure's members.
bool IsOutline(const vlapi::IDrawingObjectPtr& obj)
{
    return obj && obj->IsGraphic();
}

bool IsKept(const vlapi::IDrawingObjectPtr& obj)
{
    return IsOutline(obj) || (obj && obj->GetType() == vlapi::vlDrDrawText);
}

std::vector<vlapi::IDrawingObjectPtr> Select(const vlapi::DrawingObjectList& objects,
                                             bool (*test)(const vlapi::IDrawingObjectPtr&), bool wanted)
{
    std::vector<vlapi::IDrawingObjectPtr> chosen;
    for (const vlapi::IDrawingObjectPtr& obj : objects) {
        if (obj && test(obj) == wanted)
            chosen.push_back(obj);
    }
    return chosen;
}

// Moves the group so that the centre of the outline's box comes to the origin.
void CentreOnOrigin(vlapi::IVarnelDocument2D& doc, const vlapi::IDrawingGroupPtr& group,
                    const std::vector<vlapi::IDrawingObjectPtr>& outline)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    doc.GetObjectsBox(vlapi::APIObjectList(outline.begin(), outline.end()), x1, y1, x2, y2);
    doc.MoveObjects(hostAccess::ListOf(group), -0.5 * (x1 + x2), -0.5 * (y1 + y2));
}

INestingMacroObjectPtr MakeFigureMacro(const FileMetaParams& par, int command,
                                       const std::vector<vlapi::IDrawingObjectPtr>& kept)
{
    vlapi::IMacroObjectPtr macro = factorySteps::AddMacro(vrnApi::GetActiveDrawingContainer());
    if (!macro)
        return {};
    macro->SetPlacement(0.0, 0.0, 0.0, 0, 0);
    return factorySteps::StampOrDiscard(macro, uf::GetFileNameFromPath(par.m_path), command, kept);
}

}  // namespace

namespace vrnApi {

INestingMacroObjectPtr CreateMacroFromFile(FileMetaParams& par, int command)
{
    vlapi::IVarnelDocument2DPtr target = GetActiveDocument2D();
    if (!target)
        return {};
    MacroLayers layers;
    if (!ReadFileAndWriteToClip(par, layers))
        return {};
    target->Activate();
    vlapi::IDrawingGroupPtr group = CreateGroupInActiveDoc(true);
    if (!group)
        return {};
    group->ReadFromClipboard(0, 0);
    const vlapi::DrawingObjectList pasted = group->GetObjects({vlapi::vlAllObj});
    CentreOnOrigin(*target.get(), group, Select(pasted, IsOutline, true));
    const std::vector<vlapi::IDrawingObjectPtr> kept = Select(pasted, IsKept, true);
    INestingMacroObjectPtr result;
    if (!kept.empty()) {
        AddLayersToView(GetActiveView(), layers);
        result = MakeFigureMacro(par, command, kept);
    }
    if (!result) {
        group->Delete();
        return {};
    }
    // The members live on in the macro; what was not kept goes.
    hostAccess::ReleaseGroup(group);
    factorySteps::DeleteObjects(Select(pasted, IsKept, false));
    return result;
}

}  // namespace vrnApi
