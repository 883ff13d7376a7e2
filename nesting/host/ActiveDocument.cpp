// The active 2D document, its groups, its active container, views by number
// and the layers of a view.
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {

vlapi::IVarnelDocument2DPtr GetActiveDocument2D()
{
    if (!application)
        return {};
    return vlapi::IVarnelDocument2DPtr(application->GetActiveDocument());
}

vlapi::IDrawingGroupPtr CreateGroupInActiveDoc(bool temp)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return {};
    vlapi::IDrawingGroupsPtr groups = doc->GetDrawingGroups();
    if (!groups)
        return {};
    vlapi::IDrawingGroupPtr group = groups->Add(temp, L"");
    if (group)
        group->Close();
    return group;
}

vlapi::IDrawingContainerPtr GetActiveDrawingContainer()
{
    vlapi::IViewsPtr views = detail::ActiveViews();
    if (!views)
        return {};
    return vlapi::IDrawingContainerPtr(views->GetActiveView());
}

vlapi::IViewPtr GetViewPtrByNumber(int numView)
{
    vlapi::IViewsPtr views = detail::ActiveViews();
    return views ? views->GetView(numView) : vlapi::IViewPtr{};
}

void GetLayersFromView(int numView, MacroLayers& layers)
{
    vlapi::ILayersPtr collection = detail::LayersOfView(numView);
    if (!collection)
        return;
    for (int i = 0; i < collection->GetCount(); ++i) {
        vlapi::ILayerPtr layer(collection->GetItem(i));
        if (layer)
            layers.emplace(layer->GetNumber(), layer->GetName());
    }
}

void AddLayersToView(int numView, const MacroLayers& layers)
{
    vlapi::ILayersPtr collection = detail::LayersOfView(numView);
    if (!collection)
        return;
    for (const auto& [number, name] : layers)
        hostAccess::EnsureLayer(collection, number, name);
    SetActiveSysLayer(numView);
}

}  // namespace vrnApi
