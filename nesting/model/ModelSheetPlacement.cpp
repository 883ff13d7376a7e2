// Sheets made and removed by the placement: a new sheet in a view and page of
// its own, the document's pages in line with the model, empty sheets dropped.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <string>

namespace {

void MakeViewCurrent(int number)
{
    if (vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(number)) {
        view->SetCurrent(true);
        view->Update();
    }
}

} // namespace

SheetPtr NestingModel::AddSheet()
{
    const size_t n = m_sheets.size();
    const std::wstring name = m_sheetPattern + std::to_wstring(n + 1);
    const int view = vrnApi::AddView(name);
    // Every page is given the format again: in the orientation chosen for
    // the job's pages, not turned horizontal by a sheet added.
    vrnApi::AddDocumentSheet(m_lytPath, view, m_sheetFormat, m_widthSheet, m_heightSheet, m_sheetOrient, n != 0);
    // The sheet macro is made in the current view: the new one, not the view
    // of another sheet.
    MakeViewCurrent(view);
    INestingMacroObjectPtr macro =
        vrnApi::CreateMacroByRectangle(name, m_widthSheet, m_heightSheet, static_cast<int>(MacroCommand::Sheet));
    if (!macro)
        return nullptr;
    SheetPtr sheet = Sheet::Create(macro);
    sheet->InitParams();
    sheet->SaveParams();
    if (NestingSetting::m_withoutLayout)
        macro->CreateTableInMacro(sheet->m_tableParams);
    m_sheets.push_back(sheet);
    return sheet;
}

void NestingModel::UpdateSheets()
{
    vrnApi::DelEmptyDocumentSheets(static_cast<int>(m_sheets.size()));
    vrnApi::UpdateSheetsParams(m_lytPath, m_sheetFormat, m_sheetOrient);
    for (size_t i = 0; i < m_sheets.size(); ++i)
        vrnApi::UpdateSheetView(m_sheets[i]->GetView(), static_cast<int>(i), m_widthSheet, m_heightSheet);
    ArrangeSheets();
    if (!m_sheets.empty() && m_sheets.front()->m_macro)
        m_sheets.front()->m_macro->SetCurrentMacroView();
}

void NestingModel::DeleteEmptySheets()
{
    if (m_sheets.size() < 2)
        return;
    std::vector<SheetPtr> empty;
    for (const SheetPtr& sheet : m_sheets) {
        const bool owns = std::any_of(m_figures.begin(), m_figures.end(),
                                      [&](const FigurePtr& figure) { return figure->m_owner == sheet; });
        if (!owns)
            empty.push_back(sheet);
    }
    if (empty.empty())
        return;
    const int firstView = empty.front()->GetView();
    const bool sharedView = std::any_of(empty.begin() + 1, empty.end(),
                                        [&](const SheetPtr& sheet) { return sheet->GetView() == firstView; });
    if (sharedView)
        return;
    // Every sheet empty: the first one stays, so that the job keeps a sheet.
    if (empty.size() == m_sheets.size())
        empty.erase(empty.begin());
    for (const SheetPtr& sheet : empty)
        DelSheet(sheet);
}
