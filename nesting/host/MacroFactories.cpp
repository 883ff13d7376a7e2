// The factories that make stamped library macros, and the wrappers of existing macros.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/MacroFactorySteps.h"
#include "host/VarnelAPI.h"

namespace factorySteps {

vlapi::IMacroObjectPtr AddMacro(const vlapi::IDrawingContainerPtr& container)
{
    vlapi::IMacroObjectsPtr macros = container ? container->GetMacroObjects() : vlapi::IMacroObjectsPtr{};
    return macros ? macros->AddMacro(1) : vlapi::IMacroObjectPtr{};
}

INestingMacroObjectPtr StampOrDiscard(const vlapi::IMacroObjectPtr& macro, const std::wstring& name, int command,
                                      const std::vector<vlapi::IDrawingObjectPtr>& members)
{
    if (SetMacroParams(macro, name, command, members))
        return NMacroObject::Create(macro);
    // Broken up rather than deleted: members it may have taken stay free.
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc || !doc->DestroyMacroObjects(hostAccess::ListOf(macro)))
        macro->Delete();
    return {};
}

void DeleteObjects(const std::vector<vlapi::IDrawingObjectPtr>& objects)
{
    for (const vlapi::IDrawingObjectPtr& obj : objects) {
        if (obj)
            obj->Delete();
    }
}

}  // namespace factorySteps

namespace vrnApi {

INestingMacroObjectPtr CreateMacroByObject(vlapi::IVarnelAPIObjectPtr obj)
{
    vlapi::IMacroObjectPtr macro(obj);
    return macro ? NMacroObject::Create(macro) : INestingMacroObjectPtr{};
}

INestingMacroObjectPtr CreateMacroByReference(reference ref)
{
    return NMacroObject::Create(ref);
}

bool InActiveDrawing(const INestingMacroObject& macro)
{
    const auto* own = dynamic_cast<const NMacroObject*>(&macro);
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!own || !own->GetMacro() || !doc)
        return false;
    const vlapi::IMacroObjectPtr there(hostAccess::ObjectOf(doc, own->GetReference()));
    return there && there.get() == own->GetMacro().get();
}

INestingMacroObjectPtr CreateMacroByRectangle(std::wstring name, double width, double height, int command)
{
    vlapi::IDrawingContainerPtr container = GetActiveDrawingContainer();
    vlapi::IRectanglePtr rect = CreateRectangle(container, 0.0, 0.0, width, height, 4);
    if (!rect)
        return {};
    vlapi::IMacroObjectPtr macro = factorySteps::AddMacro(container);
    if (!macro) {
        rect->Delete();
        return {};
    }
    macro->SetPlacement(rect->GetX(), rect->GetY(), 0.0, 0, 0);
    INestingMacroObjectPtr result = factorySteps::StampOrDiscard(macro, name, command, {rect});
    if (!result)
        rect->Delete();
    return result;
}

INestingMacroObjectPtr CreateMacroByEncloseContours(const NPoint& point, int command)
{
    vlapi::IDrawingContainerPtr container = GetActiveDrawingContainer();
    vlapi::IDrawingContoursPtr contours = container ? container->GetDrawingContours() : vlapi::IDrawingContoursPtr{};
    vlapi::IDrawingGroupPtr group = contours ? contours->CreateEnclosingContours(point.x, point.y, {}, 0)
                                             : vlapi::IDrawingGroupPtr{};
    if (!group)
        return {};
    const vlapi::DrawingObjectList objects = group->GetObjects({vlapi::vlAllObj});
    vlapi::IMacroObjectPtr macro = objects.empty() ? vlapi::IMacroObjectPtr{} : factorySteps::AddMacro(container);
    INestingMacroObjectPtr result =
        macro ? factorySteps::StampOrDiscard(macro, LoadStr(IDS_WASTE), command, objects) : INestingMacroObjectPtr{};
    if (result)
        hostAccess::ReleaseGroup(group);
    else
        group->Delete();
    return result;
}

INestingMacroObjectPtr CreateMacroByPolygon(const NPolygon& polygon, std::wstring name, int command)
{
    if (polygon.m_points.empty())
        return {};
    vlapi::IDrawingGroupPtr group = CreateGroupInActiveDoc(true);
    if (!group)
        return {};
    {
        hostAccess::OpenGroup open(group);
        polygon.DrawByLineSeg(1);
    }
    vlapi::IMacroObjectPtr macro = factorySteps::AddMacro(GetActiveDrawingContainer());
    INestingMacroObjectPtr result =
        macro ? factorySteps::StampOrDiscard(macro, name, command, group->GetObjects({vlapi::vlAllObj}))
              : INestingMacroObjectPtr{};
    if (result)
        hostAccess::ReleaseGroup(group);
    else
        group->Delete();
    return result;
}

}  // namespace vrnApi
