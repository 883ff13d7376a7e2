// What the model asks of the active drawing beyond its macros: the style
// libraries of the drawing's pages (which tell whether the drawing has a real
// layout) and ready texts shown as information or as an error.
#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {

void GetLayoutStyleLibraries(std::vector<std::wstring>& libraries)
{
    vlapi::ILayoutSheetsPtr sheets = detail::ActiveLayoutSheets();
    if (!sheets)
        return;
    for (int i = 0; i < sheets->GetCount(); ++i) {
        if (vlapi::ILayoutSheetPtr sheet = sheets->GetItem(i))
            libraries.push_back(sheet->GetStyleLibrary());
    }
}

void ShowInformText(std::wstring text)
{
    if (application)
        application->MessageBox(text, std::wstring(), vlapi::vlMBIconInformation, 0, 0);
}

void ShowErrorText(std::wstring text)
{
    if (application)
        application->MessageBox(text, std::wstring(), vlapi::vlMBIconError, 0, 0);
}

void ShowOpenFailure(const std::wstring& path, const std::wstring& why)
{
    ShowErrorText(OpenFailureText(path, why));
}

void ShowWarningText(std::wstring text)
{
    if (application)
        application->MessageBox(text, std::wstring(), vlapi::vlMBIconWarning, 0, 0);
}

}  // namespace vrnApi
