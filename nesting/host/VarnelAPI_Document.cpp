// The drawing as a whole: layers shown and hidden by object or for the
// labels, the title block of a page, documents made or opened for the export
// and the assembly reader, and closing the active drawing.
#include "host/VarnelAPI_Detail.h"
#include "host/NestingResources.h"
#include "host/WorkingDrawing.h"

namespace vrnApi {
namespace {

constexpr int kSizeCell = 1101;
constexpr int kLengthCell = 1103;
constexpr int kUtilisationCell = 1104;

vlapi::IDocumentsPtr Documents()
{
    return application ? application->GetDocuments() : nullptr;
}

void WriteCell(const vlapi::IStampPtr& stamp, int cell, const std::wstring& text)
{
    if (vlapi::ITextPtr cellText = stamp->GetCellText(cell))
        cellText->SetText(text);
}

}  // namespace

void ShowHideObject(vlapi::IDrawingObjectPtr obj, bool hide)
{
    if (!obj)
        return;
    const int number = obj->GetLayer();
    // The system layer holds the drawing's own content: it is never hidden.
    if (hide && number == 0)
        return;
    vlapi::IViewPtr view = obj->GetView();
    vlapi::ILayersPtr layers = view ? view->GetLayers() : nullptr;
    if (vlapi::ILayerPtr layer = layers ? layers->GetLayer(number) : nullptr) {
        layer->SetVisible(!hide);
        layer->Update();
    }
}

void ShowHideText(bool hide)
{
    ShowHideLayer(LoadStr(IDS_NAME_TEXT_LAYER), hide);
}

void UpdateStamp(int index, std::wstring gabarit, std::wstring length, std::wstring KIM)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    vlapi::ILayoutSheetPtr sheet = sheets ? sheets->GetItem(index) : nullptr;
    vlapi::IStampPtr stamp = sheet ? sheet->GetStamp() : nullptr;
    if (!stamp)
        return;
    WriteCell(stamp, kSizeCell, gabarit);
    WriteCell(stamp, kLengthCell, length);
    WriteCell(stamp, kUtilisationCell, KIM);
    stamp->Update();
}

void UserStampCells::Take()
{
    const vlapi::IVarnelDocument2DPtr drawing = GetActiveDocument2D();
    if (!hostAccess::SameObject(drawing, m_drawing))
        m_pages.clear();
    m_drawing = drawing;
    const vlapi::ILayoutSheetsPtr pages = m_drawing ? m_drawing->GetLayoutSheets() : nullptr;
    for (int i = 0; pages && i < pages->GetCount(); ++i) {
        if (m_pages.size() <= static_cast<size_t>(i))
            m_pages.resize(static_cast<size_t>(i) + 1);
        std::map<int, std::wstring>& cells = m_pages[static_cast<size_t>(i)];
        cells.clear();
        const vlapi::ILayoutSheetPtr page = pages->GetItem(i);
        const vlapi::IStampPtr stamp = page ? page->GetStamp() : nullptr;
        for (const int cell : stamp ? stamp->GetCellNumbers() : std::vector<int>()) {
            const vlapi::ITextPtr text = cell == kSizeCell || cell == kLengthCell || cell == kUtilisationCell
                                             ? nullptr
                                             : stamp->GetCellText(cell);
            if (text && !text->GetText().empty())
                cells[cell] = text->GetText();
        }
    }
}

void UserStampCells::Put() const
{
    const vlapi::ILayoutSheetsPtr pages =
        m_drawing && IsOpenDocument(m_drawing) ? m_drawing->GetLayoutSheets() : nullptr;
    for (int i = 0; pages && i < pages->GetCount() && i < static_cast<int>(m_pages.size()); ++i) {
        const vlapi::ILayoutSheetPtr page = pages->GetItem(i);
        const vlapi::IStampPtr stamp = page ? page->GetStamp() : nullptr;
        if (!stamp || m_pages[static_cast<size_t>(i)].empty())
            continue;
        for (const auto& [cell, text] : m_pages[static_cast<size_t>(i)])
            WriteCell(stamp, cell, text);
        stamp->Update();
    }
}

vlapi::IVarnelDocument2DPtr CreateSleep2DDocument(bool visible)
{
    vlapi::IDocumentsPtr documents = Documents();
    return documents ? vlapi::IVarnelDocument2DPtr(documents->Add(vlapi::vlDocumentFragment, visible)) : nullptr;
}

vlapi::IVarnelDocument3DPtr CreateSleep3DDocument()
{
    vlapi::IDocumentsPtr documents = Documents();
    return documents ? vlapi::IVarnelDocument3DPtr(documents->Add(vlapi::vlDocumentPart, false)) : nullptr;
}

vlapi::IVarnelDocument3DPtr GetVarnel3DDocument(std::wstring path, bool& visible)
{
    if (!Documents())
        return {};
    std::wstring why;
    vlapi::IVarnelDocument3DPtr doc = detail::FindOrOpenDocument<vlapi::IVarnelDocument3DPtr>(path, visible, &why);
    if (!doc)
        ShowOpenFailure(path, why);
    return doc;
}

void DeleteActiveDocument()
{
    if (vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D())
        doc->Close(0);
}

}  // namespace vrnApi
