// Roads into the active drawing shared by the vrnApi sources.
#pragma once

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vrnApi::detail {

// The view collection of `doc`; empty without the document or its manager.
vlapi::IViewsPtr ViewsOf(const vlapi::IVarnelDocument2DPtr& doc);
// The view collection of the active 2D drawing.
vlapi::IViewsPtr ActiveViews();
// Every view of the active 2D drawing, in the collection's order.
std::vector<vlapi::IViewPtr> ActiveDrawingViews();
// The objects of the types `types` in every view of the active 2D drawing,
// view after view.
vlapi::DrawingObjectList ActiveDrawingObjects(const vlapi::TypeList& types);
// The layout sheets of the active 2D drawing.
vlapi::ILayoutSheetsPtr ActiveLayoutSheets();
// The layer collection of the view `numView` of the active 2D drawing.
vlapi::ILayersPtr LayersOfView(int numView);

// The property manager of the active 2D drawing.
vlapi::IPropertyMngPtr ActivePropertyMng();
// The double property `name` of the active drawing, defined when missing;
// empty without the manager or when the host defines none.
vlapi::IPropertyPtr FindOrCreateDoubleProperty(const std::wstring& name);
// The built-in material property of the active drawing.
vlapi::IPropertyPtr MaterialProperty();

// A new view of the active drawing (the host's add with the value 1).
vlapi::IViewPtr NewView();

// The one rule that places the container view: without a layout 1.1 times
// the container's height above the origin, with a layout 30 mm right of the
// format's origin and 30 mm above its top edge.
NPoint ContainerViewOrigin(double height);
// The number of the container view, found by its name; -1 when none.
int ContainerView();

// Host folders and file names cross as wide strings; paths are made from
// their UTF-8 form (the wide conversions of std::filesystem depend on the
// locale and refuse non-Latin names here).
std::filesystem::path PathOf(const std::wstring& text);
std::wstring TextOf(const std::filesystem::path& path);

// Largest bounding rectangle first; rings of equal size keep their order.
void SortByGabaritArea(std::vector<NPolygonPtr>& polygons);

// The document of kind `DocPtr` at `path`: one already open (`visible` set to
// true), or the file opened with the window flag `visible`. A document of
// another kind that this call opened is closed again, so nothing is left open
// without a window. Empty without the host's document collection.
template <class DocPtr>
DocPtr FindOrOpenDocument(const std::wstring& path, bool& visible, std::wstring* why = nullptr)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    if (!documents)
        return {};
    vlapi::IVarnelDocumentPtr found = documents->FindDocument(path);
    if (DocPtr open{found}) {
        visible = true;
        return open;
    }
    vlapi::IVarnelErrorPtr error = application->GetLastError();
    if (error)
        error->Clear();
    vlapi::IVarnelDocumentPtr opened = documents->Open(path, visible, 1);
    DocPtr result{opened};
    if (opened && !result && !found)
        opened->Close(0);
    if (why && !result)
        *why = opened || found ? L"документ другого вида" : error ? error->GetDescription() : std::wstring();
    return result;
}

}  // namespace vrnApi::detail
