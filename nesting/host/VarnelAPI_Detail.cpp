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

std::vector<vlapi::IViewPtr> ActiveDrawingViews()
{
    std::vector<vlapi::IViewPtr> views;
    GetAllViews(GetActiveDocument2D(), views);
    return views;
}

vlapi::DrawingObjectList ActiveDrawingObjects(const vlapi::TypeList& types)
{
    vlapi::DrawingObjectList objects;
    for (const vlapi::IViewPtr& view : ActiveDrawingViews()) {
        if (vlapi::IDrawingContainerPtr container{view}) {
            const vlapi::DrawingObjectList found = container->GetObjects(types);
            objects.insert(objects.end(), found.begin(), found.end());
        }
    }
    return objects;
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
