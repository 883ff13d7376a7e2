// Views and layers of the active drawing.
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {

int GetActiveView()
{
    return GetActiveView(GetActiveDocument2D());
}

void SetActiveSysLayer(int numView)
{
    vlapi::ILayersPtr layers = detail::LayersOfView(numView);
    vlapi::ILayerPtr system = layers ? layers->GetLayer(0) : vlapi::ILayerPtr{};
    if (!system)
        return;
    system->MakeCurrent();
    system->Update();
}

}  // namespace vrnApi
