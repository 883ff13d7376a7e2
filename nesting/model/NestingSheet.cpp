#include "model/NestingSheet.h"

#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingSetting.h"
#include "model/ResultTexts.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

namespace {

constexpr double kFarAway = 2147483647.0;
constexpr int kContourStyle = 4;
const wchar_t* const kCountProperty = L"Count";

NRect Shifted(const NRect& rect, const NPoint& by) { return NRect{rect.pBot + by, rect.pTop + by}; }

// Sheet i of the drawing stands on page i: the page of the sheet in `view` is
// its position among the drawing's sheets (one per view, in the host's
// order); -1 when no sheet stands in that view.
int PageIndex(int view) {
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    std::vector<int> views;
    for (const INestingMacroObjectPtr& macro : macros) {
        const int number = macro->GetMacroViewNumber();
        if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Sheet) &&
            std::find(views.begin(), views.end(), number) == views.end()) {
            views.push_back(number);
        }
    }
    const auto it = std::find(views.begin(), views.end(), view);
    return it == views.end() ? -1 : static_cast<int>(it - views.begin());
}

// Figure area in percent of the sheet area; a sheet without area holds nothing.
double Utilisation(double figuresArea, double sheetArea) {
    return sheetArea > 0.0 ? figuresArea * 100.0 / sheetArea : 0.0;
}

}  // namespace

Sheet::Sheet(INestingMacroObjectPtr macro) : NObject(std::move(macro)) {
    InitObjectParams();
    m_objectType = NestingObjectType::Sheet;
    m_command = MacroCommand::Sheet;
    m_rect = NRect{};
}

SheetPtr Sheet::Create(INestingMacroObjectPtr macro) { return std::make_shared<Sheet>(std::move(macro)); }

void Sheet::UpdateGabarit() {
    if (!m_polygon) {
        return;
    }
    m_polygon->UpdateGabarit();
    m_rect = m_polygon->GetGabarit();
}

void Sheet::GetViewParams(double& x, double& y, double& scale) const {
    x = 0.0;
    y = 0.0;
    scale = 0.0;
    vrnApi::GetViewParams(GetView(), x, y, scale);
}

void Sheet::InitParams() {
    if (!m_macro) {
        return;
    }
    m_name = m_macro->GetName();
    VectorPolygon borders;
    m_macro->InitBordersFromMacro(borders);
    if (borders.empty() || !borders.front()) {
        return;
    }
    // The host binding reports the outline in its view's own millimetres,
    // whatever the view's scale on the page: it is taken at that size.
    m_polygon = borders.front();
    UpdateGabarit();
    m_polygon->Offset(NPoint{-m_rect.pBot.x, -m_rect.pBot.y});
    UpdateGabarit();
}

void Sheet::SetWidth(double width) {
    if (m_macro && m_polygon && m_polygon->CheckRectangle()) {
        m_macro->SetRectangleWidth(width);
        InitParams();
    }
}

void Sheet::SetHeight(double height) {
    if (m_macro && m_polygon && m_polygon->CheckRectangle()) {
        m_macro->SetRectangleHeight(height);
        InitParams();
    }
}

void Sheet::SetPlacement(double x, double y, double /*angle*/) {
    if (!m_macro || !m_polygon) {
        return;
    }
    m_macro->SetMacroPlacement(x, y, 0.0, false);
    m_polygon->SetPlacement(x, y, 0.0);
    UpdateGabarit();
}

bool Sheet::HoldsFigure(const Figure& figure) const {
    std::optional<int> figureView;
    return HoldsFigure(figure, GetView(), figureView);
}

bool Sheet::HoldsFigure(const Figure& figure, int view, std::optional<int>& figureView) const {
    if (!CheckRectContainRect(m_rect, figure.m_rectBorder)) {
        return false;
    }
    if (view == 0) {
        return true;
    }
    if (!figureView) {
        figureView = figure.GetView();
    }
    return *figureView == view;
}

SheetOwners::SheetOwners(const std::vector<SheetPtr>& sheets) : m_sheets(sheets) {
    m_views.reserve(sheets.size());
    for (const SheetPtr& sheet : sheets) {
        m_views.push_back(sheet ? sheet->GetView() : 0);
    }
}

SheetPtr SheetOwners::Of(const Figure& figure) const {
    std::optional<int> figureView;
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        if (m_sheets[k] && m_sheets[k]->HoldsFigure(figure, m_views[k], figureView)) {
            return m_sheets[k];
        }
    }
    return nullptr;
}

bool Sheet::CheckContainFigure(FigurePtr figure) const { return figure && HoldsFigure(*figure); }

bool Sheet::CheckContainFigureEx(FigurePtr figure, double reach) const {
    if (!figure) {
        return false;
    }
    reach = std::max(0.0, reach);
    NRect area{m_rect.pBot - NPoint{reach, reach}, m_rect.pTop + NPoint{reach, reach}};
    if (GetView() != figure->GetView()) {
        double x = 0.0, y = 0.0, scale = 0.0;
        GetViewParams(x, y, scale);
        if (scale > EPS) {
            area = Shifted(area, NPoint{x / scale, y / scale});
        }
    }
    return CheckRectContainRect(area, figure->m_rect);
}

bool Sheet::CheckContainPoint(const NPoint& p) const {
    double x0 = 0.0, y0 = 0.0, scale = 0.0;
    GetViewParams(x0, y0, scale);
    if (scale <= EPS || !m_polygon) {
        return false;
    }
    NPoint onSheet = p;
    vrnApi::TransformFromViewToSheet(onSheet);
    const NPoint inFrame{(onSheet.x - x0) / scale, (onSheet.y - y0) / scale};
    return m_polygon->CheckContainPoint(inFrame, false);
}

bool Sheet::GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const {
    if (!m_polygon) {
        return false;
    }
    const NPoint q = GetProjectionPointToPoligon(*m_polygon, p);
    if (maxdist > ::Distance(q, p)) {
        pp = q;
        return true;
    }
    return false;
}

bool Sheet::CheckContainPointOnBorders(const NPoint& p, double maxdist) const {
    NPoint unused;
    return GetProjectionPoint(p, maxdist, unused);
}

bool Sheet::GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const {
    return m_polygon && m_polygon->Normal(p, pn1, pn2);
}

bool Sheet::GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0, NPoint& pi) const {
    double nearest = kFarAway;
    return m_polygon && m_polygon->NearIntersectionToPoint(segm, p0, pi, nearest);
}

double Sheet::Distance(const Figure& figure, const NPoint& direction) const {
    if (!m_polygon || figure.m_borders.empty() || !figure.m_borders.front()) {
        return 0.0;
    }
    return m_polygon->Distance(*figure.m_borders.front(), direction, true);
}

bool Sheet::IsEquilSheet(const Sheet& other) const {
    return m_polygon && other.m_polygon && *m_polygon == *other.m_polygon;
}

void Sheet::Clear() {
    if (m_edit || !m_macro) {
        return;
    }
    const int view = GetView();
    const int page = PageIndex(view);
    vrnApi::DeleteView(view);
    vrnApi::DelDocumentSheet(page);
}

void Sheet::SaveParams() {
    if (m_macro) {
        m_macro->SetPropertyMacro(kCountProperty, m_count);
    }
}

void Sheet::LoadParams() {
    if (!m_macro) {
        return;
    }
    // A count edited in the drawing into what counts no sheets (less than
    // none, not a number, past any stock) is not taken: registers add it up.
    constexpr double kMostSheets = 1.0e15;
    double count = m_count;
    m_macro->GetPropertyMacro(kCountProperty, count);
    if (std::isfinite(count) && count >= 0.0 && count <= kMostSheets) {
        m_count = count;
    }
}

void Sheet::UpdateName() {
    if (m_macro) {
        m_macro->SetName(m_name);
    }
    vrnApi::SetViewName(GetView(), m_name);
}

void Sheet::DrawContour() {
    if (m_polygon) {
        m_polygon->Draw(kContourStyle);
    }
}

void Sheet::CreateResultTable() {
    if (NestingSetting::m_withoutLayout && m_macro) {
        m_macro->CreateTableInMacro(m_tableParams);
    }
}

void Sheet::DeleteResultTable() {
    if (m_macro) {
        m_macro->DeleteTableInMacro();
    }
}

double Sheet::GetResultTableHeight() const {
    const double tableWidth = m_tableParams.countCols * m_tableParams.cellWidth;
    if (!m_macro || tableWidth <= 0.0) {
        return 0.0;
    }
    return std::ceil(2.0 * m_tableParams.cellHeight * (GetWidth() * m_tableParams.kofWidth) / tableWidth);
}

void Sheet::CalculateSheetResult(const std::vector<FigurePtr>& figures) {
    m_result = SheetResult{};
    m_result.sheetArea = GetWidth() * GetHeight();
    for (const FigurePtr& figure : figures) {
        // A figure over another takes its area of the sheet and has its cut
        // all the same: the parts' area over the sheet's needs no union of
        // them. The overlap is shown by the figures' style, and the
        // documentation names the sheets whose parts overlap.
        if (!figure || !HoldsFigure(*figure)) {
            continue;
        }
        m_result.figuresArea += figure->m_area;
        m_result.length += figure->m_length;
    }
    m_result.KIM = Utilisation(m_result.figuresArea, m_result.sheetArea);
}

void Sheet::UpdateResultTable(const SheetParams& params) {
    if (!m_macro || !NestingSetting::m_withoutLayout) {
        return;
    }
    const std::wstring values[] = {params.name, params.material,
                                   params.size.empty() ? SheetSizeText(params.width, params.height, params.thickness)
                                                       : params.size,
                                   TwoDecimalsText(m_result.KIM), TwoDecimalsText(m_result.length)};
    for (int column = 0; column < static_cast<int>(std::size(values)); ++column) {
        m_macro->UpdateTableInMacro(1, column, values[column]);
    }
    m_macro->ResizeTableInMacro(m_tableParams);
}
