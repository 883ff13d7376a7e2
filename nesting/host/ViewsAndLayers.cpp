// Views and layers of the active drawing.
#include "host/VarnelAPI.h"

namespace vrnApi {

int GetActiveView()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return -1;
    vlapi::IViewsAndLayersManagerPtr manager = doc->GetViewsAndLayersManager();
    vlapi::IViewsPtr views = manager ? manager->GetViews() : vlapi::IViewsPtr{};
    vlapi::IViewPtr view = views ? views->GetActiveView() : vlapi::IViewPtr{};
    return view ? view->GetNumber() : -1;
}

void SetActiveSysLayer(int numView)
{
    vlapi::IViewPtr view = GetViewPtrByNumber(numView);
    vlapi::ILayersPtr layers = view ? view->GetLayers() : vlapi::ILayersPtr{};
    vlapi::ILayerPtr system = layers ? layers->GetLayer(0) : vlapi::ILayerPtr{};
    if (!system)
        return;
    system->MakeCurrent();
    system->Update();
}

}  // namespace vrnApi
