// The model's results: every sheet measured, the title block written per
// sheet, and the results of linear nesting kept for the automation model.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/ResultTexts.h"

#include <algorithm>
#include <string>

void NestingModel::CalculateNestingResult() {
    if (m_sheets.empty()) {
        return;
    }
    m_result.sheet_results.clear();
    m_result.KIM = 0.0;
    for (const SheetPtr& sheet : m_sheets) {
        sheet->CalculateSheetResult(m_figures);
        m_result.sheet_results.push_back(sheet->m_result);
    }
    m_sheets.front()->SetCurrentView();
}

void NestingModel::UpdateTablesInStamp() {
    const std::wstring size = SheetSizeText(m_widthSheet, m_heightSheet, m_thicknessSheet);
    // A sheet added after the last computation has no result to show yet.
    const size_t count = std::min(m_sheets.size(), m_result.sheet_results.size());
    for (size_t i = 0; i < count; ++i) {
        const SheetResult& result = m_result.sheet_results[i];
        vrnApi::UpdateStamp(static_cast<int>(i), size, ThreeDecimalsText(result.length),
                            TwoDecimalsText(result.KIM));
    }
}

void NestingModel::SetLinearCutInfo(const std::vector<std::tuple<double, double, double>>& info) {
    m_linearCutInfo = info;
    vrnApi::ShowInformText(std::to_wstring(m_linearCutInfo.size()));
}
