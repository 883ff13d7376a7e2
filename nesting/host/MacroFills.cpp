// Hatches and colourings inside a library macro.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace {

constexpr int COLOURING_LAYER = 3;

// The number of the colouring layer of the macro's view, made when the view
// lacks it. The view's current layer stays as it was.
int EnsureColouringLayer(const vlapi::IMacroObjectPtr& macro)
{
    vlapi::IViewPtr view = macro->GetView();
    vlapi::ILayersPtr layers = view ? view->GetLayers() : vlapi::ILayersPtr{};
    const int number = hostAccess::EnsureLayer(layers, COLOURING_LAYER, vrnApi::LoadStr(IDS_COLORING));
    return number < 0 ? COLOURING_LAYER : number;
}

}  // namespace

void NMacroObject::CreateHatchInMacro(const std::vector<NPolygonPtr>& poligons)
{
    vlapi::IDrawingContainerPtr container(m_macro);
    if (poligons.empty() || !container)
        return;
    vlapi::IDrawingObjectsPtr hatches = container->GetCollection(vlapi::vlDrHatch);
    vlapi::IDrawingObjectPtr hatch = hatches ? hatches->Add() : vlapi::IDrawingObjectPtr{};
    if (!hatch)
        return;
    if (vlapi::IBoundariesObjectPtr boundaries{hatch}) {
        vlapi::DrawingObjectList outlines;
        for (const NPolygonPtr& polygon : poligons) {
            if (vlapi::IPolyLine2DPtr polyline = vrnApi::CreatePolyLine(container, *polygon, 1))
                outlines.emplace_back(polyline);
        }
        boundaries->SetBoundaries(outlines, 1);
    }
    hatch->Update();
    m_macro->Update();
}

void NMacroObject::CreateColouringInMacro(const std::vector<NPolygonPtr>& /*poligons*/, int color)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !doc)
        return;
    // The drawing objects of the macro's borders, one per boundary segment.
    std::vector<NContourPtr> contours;
    vlapi::DrawingObjectList borders;
    BoundaryContours(contours, &borders);
    const int layer = EnsureColouringLayer(m_macro);

    vlapi::IDrawingContainerPtr container(m_macro);
    vlapi::IColouringsPtr colourings = container ? container->GetColourings() : vlapi::IColouringsPtr{};
    if (!colourings || colourings->GetCount() != 0)
        return;
    vlapi::IColouringPtr colouring(colourings->Add());
    if (!colouring)
        return;
    colouring->SetColor(color);
    colouring->SetTransparency(50);
    if (vlapi::IBoundariesObjectPtr boundaries{colouring})
        boundaries->SetBoundaries(borders, 0);
    colouring->SetLayer(layer);
    colouring->Update();
    m_macro->Update();
}

void NMacroObject::DeleteColouringInMacro(int color)
{
    vlapi::IDrawingContainerPtr container(m_macro);
    vlapi::IColouringsPtr colourings = container ? container->GetColourings() : vlapi::IColouringsPtr{};
    if (!colourings)
        return;
    for (int i = 0; i < colourings->GetCount(); ++i) {
        vlapi::IColouringPtr colouring(colourings->GetItem(i));
        if (colouring && colouring->GetColor() == color) {
            colouring->Delete();
            m_macro->Update();
            return;
        }
    }
}
