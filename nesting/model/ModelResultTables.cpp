// Writing the results back after a placement or on demand: each sheet's
// result table (or the title block when the drawing has a page layout), the
// document's material, the remnants' numbers and the labels' visibility.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

#include <algorithm>

void NestingModel::UpdateResultTables(FigurePtr figure) {
    // A figure already in the list is not counted twice.
    if (figure && std::find(m_figures.begin(), m_figures.end(), figure) == m_figures.end()) {
        m_figures.push_back(figure);
    }
    CalculateNestingResult();
    if (!NestingSetting::m_withoutLayout) {
        UpdateTablesInStamp();
        return;
    }
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        const Sheet& sheet = *m_sheets[k];
        SheetParams params;
        params.number = static_cast<int32_t>(k + 1);
        params.name = sheet.GetName();
        params.width = m_widthSheet;
        params.height = m_heightSheet;
        params.thickness = m_thicknessSheet;
        params.material = m_materialSheet;
        m_sheets[k]->UpdateResultTable(params);
    }
    vrnApi::SetMaterialPropertyToDocument(m_materialSheet);
    UpdateWastesNames();
    vrnApi::ShowHideText(m_hideText);
}

// Remnants are numbered through all sheets in sheet order (n) and within
// their sheet (k); a remnant in no sheet's view keeps its numbers. Rebuilding
// the remnant's shown name and label position from these numbers belongs to
// the remnant itself and is not done here.
void NestingModel::UpdateWastesNames() {
    for (const WastePtr& waste : m_wastes) {
        waste->m_material = m_materialSheet;
    }
    int32_t n = 0;
    for (const SheetPtr& sheet : m_sheets) {
        sheet->SetCurrentView();
        int32_t k = 0;
        for (const WastePtr& waste : m_wastes) {
            if (waste->GetView() != sheet->GetView()) {
                continue;
            }
            waste->m_number = ++n;
            waste->m_subNumber = ++k;
            if (waste->m_macro) {
                waste->m_macro->SetFontParams({FontParams{m_textSize}}, false, false);
            }
        }
    }
    if (!m_sheets.empty()) {
        m_sheets.front()->SetCurrentView();
    }
}
