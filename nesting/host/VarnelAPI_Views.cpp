// Views and layers of the active drawing: listing, making, placing, naming
// and deleting views; making, recolouring, showing, hiding, reading and
// deleting layers by name.
#include "host/VarnelAPI_Detail.h"
#include "host/NestingResources.h"
#include "model/NestingSetting.h"

namespace vrnApi {
namespace {


// Calls `change` on the layer called `name` of every view that has one.
template <class Change>
void ForLayerInViews(const std::vector<vlapi::IViewPtr>& views, const std::wstring& name, Change change)
{
    for (const vlapi::IViewPtr& view : views) {
        vlapi::ILayersPtr layers = view ? view->GetLayers() : nullptr;
        if (vlapi::ILayerPtr layer = layers ? layers->FindLayer(name) : nullptr)
            change(layer);
    }
}

vlapi::ILayerPtr ActiveViewLayer(const std::wstring& name)
{
    vlapi::ILayersPtr layers = detail::LayersOfView(GetActiveView());
    return layers ? layers->FindLayer(name) : nullptr;
}

}  // namespace

namespace detail {

NPoint ContainerViewOrigin(double height)
{
    if (NestingSetting::m_withoutLayout)
        return {0.0, 1.1 * height};
    double formatWidth = 0.0, formatHeight = 0.0;
    GetDocumentFormatSizes(formatWidth, formatHeight);
    return {30.0, formatHeight + 30.0};
}

vlapi::IViewPtr NewView()
{
    vlapi::IViewsPtr views = ActiveViews();
    return views ? views->Add(1) : nullptr;
}

int ContainerView()
{
    return GetViewByName(LoadStr(IDS_DETAIL_CONTAINER));
}

}  // namespace detail

void GetAllViews(vlapi::IVarnelDocument2DPtr doc, std::vector<vlapi::IViewPtr>& views)
{
    vlapi::IViewsPtr collection = detail::ViewsOf(doc);
    if (!collection)
        return;
    for (int i = 0; i < collection->GetCount(); ++i)
        views.emplace_back(collection->GetItem(i));
}

int CreateView()
{
    vlapi::IViewPtr view = detail::NewView();
    if (!view)
        return -1;
    view->Update();
    return view->GetNumber();
}

int GetSystemView()
{
    vlapi::IViewsPtr views = detail::ActiveViews();
    vlapi::IViewPtr view = views ? views->GetView(0) : nullptr;
    return view ? view->GetNumber() : -1;
}

int SetActiveSystemView()
{
    const int number = GetSystemView();
    if (vlapi::IViewPtr view = GetViewPtrByNumber(number)) {
        view->SetCurrent(true);
        view->Update();
    }
    return number;
}

int CreateContainerView(double width, double height)
{
    const NPoint origin = detail::ContainerViewOrigin(height);
    vlapi::IViewPtr view = GetViewPtrByNumber(detail::ContainerView());
    if (!view) {
        bool rotate = false;
        const double scale = CalculateSheetViewScale(width, height, rotate);
        view = detail::NewView();
        if (!view)
            return -1;
        view->SetScale(scale);
        view->SetName(LoadStr(IDS_DETAIL_CONTAINER));
        view->Update();
    }
    view->SetX(origin.x);
    view->SetY(origin.y);
    view->Update();
    return view->GetNumber();
}

void GetViewParams(int numView, double& x, double& y, double& scale)
{
    vlapi::IViewPtr view = GetViewPtrByNumber(numView);
    if (!view)
        return;
    x = view->GetX();
    y = view->GetY();
    scale = view->GetScale();
}

void SetViewParams(int numView, double x, double y, double scale)
{
    vlapi::IViewPtr view = GetViewPtrByNumber(numView);
    if (!view)
        return;
    view->SetX(x);
    view->SetY(y);
    view->SetScale(scale);
    view->Update();
}

void SetViewName(int numView, std::wstring name)
{
    if (vlapi::IViewPtr view = GetViewPtrByNumber(numView)) {
        view->SetName(name);
        view->Update();
    }
}

void DeleteView(int numView)
{
    if (vlapi::IViewPtr view = GetViewPtrByNumber(numView))
        view->Delete();
}

int CreateLayer(std::wstring name, int color, bool hide)
{
    vlapi::ILayersPtr layers = detail::LayersOfView(GetActiveView());
    if (!layers)
        return -1;
    if (vlapi::ILayerPtr existing = layers->FindLayer(name))
        return existing->GetNumber();
    vlapi::ILayerPtr layer = layers->Add();
    if (!layer)
        return -1;
    layer->SetName(name);
    layer->SetColor(color);
    layer->SetVisible(!hide);
    layer->Update();
    const int number = layer->GetNumber();
    if (vlapi::ILayerPtr first{layers->GetItem(0)}) {
        first->MakeCurrent();
        first->Update();
    }
    return number;
}

void ChangeLayerColor(std::wstring name, int color)
{
    ForLayerInViews(detail::ActiveDrawingViews(), name, [color](const vlapi::ILayerPtr& layer) {
        layer->SetColor(color);
        layer->Update();
    });
}

void ShowHideLayer(std::wstring name, bool hide)
{
    ForLayerInViews(detail::ActiveDrawingViews(), name, [hide](const vlapi::ILayerPtr& layer) {
        layer->SetVisible(!hide);
        layer->Update();
    });
}

void GetLayerParams(std::wstring name, int& color, bool& hide)
{
    if (vlapi::ILayerPtr layer = ActiveViewLayer(name)) {
        color = layer->GetColor();
        hide = !layer->GetVisible();
    }
}

void DeleteLayer(vlapi::IVarnelDocument2DPtr doc, std::wstring name)
{
    std::vector<vlapi::IViewPtr> views;
    GetAllViews(doc, views);
    ForLayerInViews(views, name, [](const vlapi::ILayerPtr& layer) { layer->Delete(); });
}

}  // namespace vrnApi
