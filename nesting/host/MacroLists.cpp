// Listing the drawing's macros and composing library macros of existing content.
#include "host/NestingMacro.h"

#include "host/HostAccess.h"
#include "host/MacroFactorySteps.h"
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {
namespace {

void AppendWrapper(const vlapi::IMacroObjectPtr& macro, std::vector<INestingMacroObjectPtr>& macros)
{
    INestingMacroObjectPtr wrapper = NMacroObject::Create(macro);
    wrapper->CancelEditMode();
    macros.push_back(wrapper);
}

vlapi::IMacroObjectPtr HostMacro(const INestingMacroObjectPtr& object)
{
    auto wrapper = std::dynamic_pointer_cast<NMacroObject>(object);
    return wrapper ? wrapper->GetMacro() : vlapi::IMacroObjectPtr{};
}

}  // namespace

void GetMacrosFromActiveDoc(std::vector<INestingMacroObjectPtr>& macros)
{
    for (const vlapi::IDrawingObjectPtr& obj : detail::ActiveDrawingObjects({vlapi::vlDrMacro}))
        AppendWrapper(vlapi::IMacroObjectPtr(obj), macros);
}

void GetMacrosFromDoc(const vlapi::IVarnelDocument2DPtr& doc, std::vector<INestingMacroObjectPtr>& macros)
{
    std::vector<vlapi::IViewPtr> views;
    GetAllViews(doc, views);
    for (const vlapi::IViewPtr& view : views) {
        if (const vlapi::IDrawingContainerPtr container{view}) {
            for (const vlapi::IDrawingObjectPtr& obj : container->GetObjects({vlapi::vlDrMacro}))
                AppendWrapper(vlapi::IMacroObjectPtr(obj), macros);
        }
    }
}

void GetSelectedMacrosFromActiveDoc(MacroCommand command, std::vector<INestingMacroObjectPtr>& macros)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    vlapi::ISelectionManagerPtr selection = doc ? doc->GetSelectionManager() : vlapi::ISelectionManagerPtr{};
    if (!selection)
        return;
    for (const vlapi::IVarnelAPIObjectPtr& selected : selection->GetSelectedObjects()) {
        vlapi::IMacroObjectPtr macro(selected);
        if (macro && CheckLibraryStamp(macro, command))
            AppendWrapper(macro, macros);
    }
}

INestingMacroObjectPtr CreateMacroByMacros(INestingMacroObjectPtr object1, INestingMacroObjectPtr object2,
                                           std::wstring name)
{
    vlapi::IMacroObjectPtr first = HostMacro(object1);
    vlapi::IMacroObjectPtr second = HostMacro(object2);
    if (!first || !second)
        return {};
    vlapi::IMacroObjectPtr macro = factorySteps::AddMacro(GetActiveDrawingContainer());
    if (!macro)
        return {};
    macro->SetPlacement(0.0, 0.0, 0.0, 0, 0);
    return factorySteps::StampOrDiscard(macro, name, static_cast<int>(MacroCommand::Figure),
                                        {vlapi::IDrawingObjectPtr(first), vlapi::IDrawingObjectPtr(second)});
}

INestingMacroObjectPtr CreateMacroByObjects(const std::vector<vlapi::IDrawingObjectPtr>& objects, const NPoint& p,
                                            int32_t command)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return {};
    vlapi::IMacroObjectPtr macro = factorySteps::AddMacro(GetActiveDrawingContainer());
    if (!macro)
        return {};
    const vlapi::APIObjectList list(objects.begin(), objects.end());
    doc->MoveObjects(list, -p.x, -p.y);
    macro->SetPlacement(p.x, p.y, 0.0, 1, 0);
    INestingMacroObjectPtr result = factorySteps::StampOrDiscard(macro, L"", command, objects);
    if (!result)
        doc->MoveObjects(list, p.x, p.y);  // the objects go back where they stood
    return result;
}

}  // namespace vrnApi
