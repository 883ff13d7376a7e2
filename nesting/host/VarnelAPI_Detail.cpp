#include "host/VarnelAPI_Detail.h"

#include <pugixml.hpp>

namespace vrnApi::detail {

vlapi::IViewsPtr ViewsOf(const vlapi::IVarnelDocument2DPtr& doc)
{
    vlapi::IViewsAndLayersManagerPtr manager = doc ? doc->GetViewsAndLayersManager() : nullptr;
    return manager ? manager->GetViews() : nullptr;
}

vlapi::IViewsPtr ActiveViews()
{
    return ViewsOf(GetActiveDocument2D());
}

vlapi::ILayoutSheetsPtr ActiveLayoutSheets()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    return doc ? doc->GetLayoutSheets() : nullptr;
}

vlapi::ILayersPtr LayersOfView(int numView)
{
    vlapi::IViewPtr view = GetViewPtrByNumber(numView);
    return view ? view->GetLayers() : nullptr;
}

std::filesystem::path PathOf(const std::wstring& text)
{
    return std::filesystem::path(pugi::as_utf8(text));
}

std::wstring TextOf(const std::filesystem::path& path)
{
    return pugi::as_wide(path.string());
}

}  // namespace vrnApi::detail
