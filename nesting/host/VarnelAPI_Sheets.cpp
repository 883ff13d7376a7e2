// Sheet views on the pages of the nesting drawing: the scale at which a sheet
// fits its page, the page format, the job's format and style library on every
// page, the placement of a sheet's view on its page, and pages and views added
// and deleted.
#include "host/VarnelAPI_Detail.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace vrnApi {
namespace {

constexpr double kMarginAcross = 45.0;
constexpr double kMarginUpDown = 60.0;
constexpr double kViewLeft = 30.0;
constexpr double kViewBottom = 20.0;
constexpr int kJobStyle = 1;
constexpr int kPlainStyle = 15;
constexpr double kScaleTolerance = 0.0001;

// How many times a side fits into the free length of the page; a side that is
// not positive does not limit the scale.
double FitRatio(double free, double side)
{
    return side > 0.0 ? free / side : HUGE_VAL;
}

double ScaleForRatio(double k)
{
    if (k > standartScale.back())
        return standartScale.back();
    for (auto it = standartScale.rbegin(); it != standartScale.rend(); ++it) {
        if (k >= *it - kScaleTolerance)
            return *it;
    }
    return standartScale.front();
}

vlapi::ISheetFormatPtr FormatOf(const vlapi::ILayoutSheetsPtr& sheets, int index)
{
    vlapi::ILayoutSheetPtr sheet = sheets ? sheets->GetItem(index) : nullptr;
    return sheet ? sheet->GetFormat() : nullptr;
}

void SetStyle(const vlapi::ILayoutSheetPtr& sheet, const std::wstring& library, int style)
{
    sheet->SetStyleLibrary(library);
    sheet->SetStyleNumber(style);
    sheet->Update();
}

template <class Change>
void ForEachLayoutSheet(Change change)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets)
        return;
    for (int i = 0; i < sheets->GetCount(); ++i) {
        if (vlapi::ILayoutSheetPtr sheet = sheets->GetItem(i))
            change(sheet);
    }
}

// Places the container view by its one rule and gives it the sheets' scale.
void PlaceContainerView(double height, double scale)
{
    vlapi::IViewPtr container = GetViewPtrByNumber(detail::ContainerView());
    if (!container)
        return;
    const NPoint origin = detail::ContainerViewOrigin(height);
    container->SetX(origin.x);
    container->SetY(origin.y);
    container->SetScale(scale);
    container->Update();
}

// Puts the view on page `index` when the drawing has that page.
void PlaceOnPage(const vlapi::IViewPtr& view, int index, double height, double scale)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets || sheets->GetCount() <= index)
        return;
    double offsetX = 0.0;
    for (int i = 0; i < index; ++i) {
        if (vlapi::ISheetFormatPtr format = FormatOf(sheets, i))
            offsetX += format->GetWidth();
    }
    if (vlapi::ISheetFormatPtr format = FormatOf(sheets, index)) {
        view->SetX(offsetX + kViewLeft);
        view->SetY(std::ceil(format->GetHeight() - scale * height) * 0.5 + kViewBottom);
    }
}

}  // namespace

double CalculateSheetViewScale(double width, double height, bool& isHeight)
{
    if (NestingSetting::m_withoutLayout)
        return 1.0;
    double formatWidth = 0.0, formatHeight = 0.0;
    GetDocumentFormatSizes(formatWidth, formatHeight);
    const double kx = FitRatio(formatWidth - kMarginAcross, width);
    const double ky = FitRatio(formatHeight - kMarginUpDown, height);
    if (kx > ky)
        isHeight = true;
    return ScaleForRatio(std::min(kx, ky));
}

void GetDocumentFormatSizes(double& width, double& height)
{
    if (vlapi::ISheetFormatPtr format = FormatOf(detail::ActiveLayoutSheets(), 0)) {
        width = format->GetWidth();
        height = format->GetHeight();
    }
}

void DeleteDocumentLayout()
{
    const std::wstring plain = detail::TextOf(detail::PathOf(GetSystemPathToSystemFiles()) / "GRAPHIC.vst");
    ForEachLayoutSheet([&plain](const vlapi::ILayoutSheetPtr& sheet) { SetStyle(sheet, plain, kPlainStyle); });
}

void UpdateSheetsParams(std::wstring lytPath, int format, bool vertical)
{
    if (NestingSetting::m_withoutLayout) {
        DeleteDocumentLayout();
        return;
    }
    ForEachLayoutSheet([&](const vlapi::ILayoutSheetPtr& sheet) {
        if (vlapi::ISheetFormatPtr sheetFormat = sheet->GetFormat()) {
            sheetFormat->SetFormat(format);
            sheetFormat->SetVertical(vertical);
        }
        SetStyle(sheet, lytPath, kJobStyle);
    });
}

void UpdateSheetView(int numView, int index, double width, double height)
{
    bool isHeight = false;
    const double scale = CalculateSheetViewScale(width, height, isHeight);
    PlaceContainerView(height, scale);
    if (NestingSetting::m_withoutLayout)
        return;
    vlapi::IViewPtr view = GetViewPtrByNumber(numView);
    if (!view)
        return;
    PlaceOnPage(view, index, height, scale);
    view->SetScale(scale);
    view->Update();
}

int GetViewByName(std::wstring name)
{
    vlapi::IViewsPtr views = detail::ActiveViews();
    vlapi::IViewPtr view = views ? views->FindView(name) : nullptr;
    return view ? view->GetNumber() : -1;
}

int AddView(std::wstring name)
{
    vlapi::IViewPtr view = detail::NewView();
    if (!view)
        return -1;
    view->SetName(name);
    view->Update();
    return view->GetNumber();
}

void AddDocumentSheet(std::wstring lyt, int numView, int format, double width, double height, bool vertical,
                      bool add)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets)
        return;
    if (add)
        sheets->Add();
    const int count = sheets->GetCount();
    UpdateSheetsParams(lyt, format, vertical);
    UpdateSheetView(numView, count - 1, width, height);
}

void DelDocumentSheet(int index)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets || sheets->GetCount() < 2 || index < 0 || index >= sheets->GetCount())
        return;
    if (vlapi::ILayoutSheetPtr page = sheets->GetItem(index))
        page->Delete();
}

void DelEmptyDocumentSheets(int sheetsCount)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets)
        return;
    std::vector<vlapi::ILayoutSheetPtr> surplus;
    for (int i = std::max(sheetsCount, 1); i < sheets->GetCount(); ++i)
        surplus.push_back(sheets->GetItem(i));
    for (const vlapi::ILayoutSheetPtr& sheet : surplus) {
        if (sheet)
            sheet->Delete();
    }
}

int GetActiveView(vlapi::IVarnelDocument2DPtr doc)
{
    vlapi::IViewsPtr views = detail::ViewsOf(doc);
    vlapi::IViewPtr view = views ? views->GetActiveView() : nullptr;
    return view ? view->GetNumber() : -1;
}

}  // namespace vrnApi
