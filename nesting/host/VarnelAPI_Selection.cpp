// Running this library's commands through the host, the running process,
// the selection, point conversions between view and sheet, and the object
// found at a point.
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {
namespace {

vlapi::ISelectionManagerPtr ActiveSelection()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    return doc ? doc->GetSelectionManager() : nullptr;
}

vlapi::IViewPtr ActiveViewPtr()
{
    return GetViewPtrByNumber(GetActiveView());
}

}  // namespace

void RunLibraryCommand(int command)
{
    vlapi::ILibraryPtr library(GetProceduresLibrary());
    if (!library)
        return;
    vlapi::IVarnelAPIObjectPtr result;
    library->RunCommand(command, 1, result);
}

bool CheckActiveProcessRunnig()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    return doc && doc->IsProcessRunning();
}

reference GetFirstSelectedObj()
{
    vlapi::ISelectionManagerPtr selection = ActiveSelection();
    if (!selection)
        return 0;
    const vlapi::APIObjectList selected = selection->GetSelectedObjects();
    if (selected.empty() || !selected.front() ||
        selected.front()->GetAPIObjectType() != vlapi::vlObjectMacroObject)
        return 0;
    return hostAccess::ReferenceOf(selected.front());
}

void SelectObjects(const std::vector<reference>& refs)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    vlapi::ISelectionManagerPtr selection = doc ? doc->GetSelectionManager() : nullptr;
    if (!selection)
        return;
    vlapi::APIObjectList objects;
    for (reference ref : refs) {
        if (vlapi::IVarnelAPIObjectPtr object{hostAccess::ObjectOf(doc, ref)})
            objects.push_back(object);
    }
    selection->Select(objects);
}

void UnSelectAll()
{
    if (vlapi::ISelectionManagerPtr selection = ActiveSelection())
        selection->UnselectAll();
}

void TransformFromViewToSheet(NPoint& p)
{
    if (vlapi::IViewPtr view = ActiveViewPtr())
        view->TransformViewToSheet(p.x, p.y);
}

void TransformFromSheetToView(NPoint& p)
{
    if (vlapi::IViewPtr view = ActiveViewPtr())
        view->TransformSheetToView(p.x, p.y);
}

reference FindObjByPoint(const NPoint& p)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return 0;
    vlapi::IFindObjectParametersPtr param(doc->CreateAPIObject(vlapi::vlObjectFindObjectParameters));
    const double tolerance = doc->GetSearchTolerance();
    return hostAccess::ReferenceOf(doc->FindObject(p.x, p.y, tolerance, param.get()));
}

}  // namespace vrnApi
