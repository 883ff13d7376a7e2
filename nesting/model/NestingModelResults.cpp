// The model's results: every sheet measured, the title block written per
// sheet, and the results of linear nesting kept for the automation model.
#include "model/NestingModel.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"
#include "model/ResultTexts.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

void NestingModel::CalculateNestingResult() {
    if (m_sheets.empty()) {
        return;
    }
    m_result.sheet_results.clear();
    // The job's utilisation: the figure area placed over the area of the
    // sheets that hold a figure (an empty sheet is not used).
    double figuresArea = 0.0;
    double usedArea = 0.0;
    // The figures by the view they lie in, each figure asked once: a sheet
    // holds only figures of its own view (of any view when it has none).
    std::map<int, std::vector<FigurePtr>> inView;
    for (const FigurePtr& figure : m_figures)
        if (figure)
            inView[figure->GetView()].push_back(figure);
    for (const SheetPtr& sheet : m_sheets) {
        const int view = sheet->GetView();
        const std::vector<FigurePtr>& figures = view == 0 ? m_figures : inView[view];
        // A part of other stock is not cut from the sheet: it takes none of
        // its area. One over another still does, each whole.
        std::vector<FigurePtr> ofStock;
        std::copy_if(figures.begin(), figures.end(), std::back_inserter(ofStock), [this](const FigurePtr& figure) {
            return figure && figure->OfStock(m_thicknessSheet, m_materialSheet);
        });
        sheet->CalculateSheetResult(ofStock);
        m_result.sheet_results.push_back(sheet->m_result);
        const bool used = std::any_of(figures.begin(), figures.end(),
                                      [&sheet](const FigurePtr& figure) { return sheet->CheckContainFigure(figure); });
        if (used) {
            figuresArea += sheet->m_result.figuresArea;
            usedArea += sheet->m_result.sheetArea;
        }
    }
    m_result.KIM = usedArea > 0.0 ? figuresArea * 100.0 / usedArea : 0.0;
    m_sheets.front()->SetCurrentView();
}

void NestingModel::UpdateTablesInStamp() {
    // A sheet added after the last computation has no result to show yet.
    const size_t count = std::min(m_sheets.size(), m_result.sheet_results.size());
    for (size_t i = 0; i < count; ++i) {
        const Sheet& sheet = *m_sheets[i];
        const SheetResult& result = m_result.sheet_results[i];
        vrnApi::UpdateStamp(static_cast<int>(i), SizeText(sheet),
                            ThreeDecimalsText(result.length), TwoDecimalsText(result.KIM));
    }
}

std::wstring NestingModel::SizeText(const Sheet& sheet) const {
    if (m_nestingMethod == 0 || m_barSized == kBarsBefore)
        return SheetSizeText(sheet.GetWidth(), sheet.GetHeight(), m_thicknessSheet);
    return BarSizeText(uf::NumberText(sheet.GetWidth()),
                       m_barSized == kBarWidthGiven ? uf::NumberText(sheet.GetHeight()) : std::wstring(),
                       m_thicknessSheet > 0.0 ? uf::NumberText(m_thicknessSheet) : std::wstring());
}

void NestingModel::SetLinearCutInfo(const std::vector<std::tuple<double, double, double>>& info) {
    m_linearCutInfo = info;
    vrnApi::ShowInformText(std::to_wstring(m_linearCutInfo.size()));
}
