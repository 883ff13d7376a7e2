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
        // The remnants' labels name the sheets' stock on a page layout too.
        UpdateWastesNames();
        return;
    }
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        const Sheet& sheet = *m_sheets[k];
        SheetParams params;
        params.number = static_cast<int32_t>(k + 1);
        params.name = sheet.GetName();
        params.width = sheet.GetWidth();
        params.height = sheet.GetHeight();
        params.thickness = m_thicknessSheet;
        params.material = m_materialSheet;
        params.size = SizeText(sheet);
        m_sheets[k]->UpdateResultTable(params);
    }
    vrnApi::SetMaterialPropertyToDocument(m_materialSheet);
    UpdateWastesNames();
    vrnApi::ShowHideText(m_hideText);
}
