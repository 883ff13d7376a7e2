// The model's sheets as a set: the common sheet size, names and views, the
// lay-out of the sheet views, the recognition of an existing lay-out,
// selection and look-up, and the sheet thickness and material taken from the
// figures.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/BridgeAnchors.h"
#include "model/NestingSetting.h"
#include "model/SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr double kThicknessTolerance = 0.001;
constexpr double kSheetGapShare = 0.025;
// A page whose style library is this one has no real layout.
constexpr std::wstring_view kPlainLayout = L"GRAPHIC";

SheetViewPlace PlaceOf(const Sheet& sheet) {
    SheetViewPlace place{{}, 0.0, sheet.GetWidth(), sheet.GetHeight()};
    vrnApi::GetViewParams(sheet.GetView(), place.origin.x, place.origin.y, place.scale);
    return place;
}

}  // namespace

bool IsPlainLayout(const std::wstring& library) {
    const size_t slash = library.find_last_of(L"/\\");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    return library.find(kPlainLayout, nameStart) != std::wstring::npos;
}

// The bridges on a sheet's edge that moves go with it.
void NestingModel::SetWidthSheet(double w) {
    m_widthSheet = w;
    m_sheetSized = 1;
    const SheetEdgeBridges::Drawing drawing = SheetEdgeBridges::Drawing::Active();
    for (const SheetPtr& sheet : m_sheets) {
        const SheetEdgeBridges bridges(*sheet, drawing);
        sheet->SetWidth(w);
        bridges.Follow(*sheet);
    }
}

void NestingModel::SetHeightSheet(double h) {
    m_heightSheet = h;
    m_sheetSized = 1;
    const SheetEdgeBridges::Drawing drawing = SheetEdgeBridges::Drawing::Active();
    for (const SheetPtr& sheet : m_sheets) {
        const SheetEdgeBridges bridges(*sheet, drawing);
        sheet->SetHeight(h);
        bridges.Follow(*sheet);
    }
}

std::wstring NestingModel::GetSheetName(size_t i) const {
    return i < m_sheets.size() ? m_sheets[i]->m_name : std::wstring();
}

void NestingModel::UpdateViews() {
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        vrnApi::UpdateSheetView(m_sheets[i]->GetView(), static_cast<int>(i), m_widthSheet, m_heightSheet);
    }
}

void NestingModel::ArrangeSheets() {
    if (NestingSetting::m_withoutLayout) {
        ArrangeSheetsEx();
        return;
    }
    if (m_sheets.empty()) {
        return;
    }
    double x0 = 0.0, y0 = 0.0, scale0 = 0.0;
    vrnApi::GetViewParams(m_sheets.front()->GetView(), x0, y0, scale0);
    double formatWidth = 0.0, formatHeight = 0.0;
    vrnApi::GetDocumentFormatSizes(formatWidth, formatHeight);
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet& sheet = *m_sheets[i];
        const int view = sheet.GetView();
        double x = 0.0, y = 0.0, scale = 0.0;
        vrnApi::GetViewParams(view, x, y, scale);
        vrnApi::SetViewParams(view, x0 + static_cast<double>(i) * formatWidth, y, scale);
        sheet.DeleteResultTable();
        sheet.Choose(false);
    }
}

void NestingModel::ArrangeSheetsEx() {
    if (m_sheets.empty()) {
        return;
    }
    const Sheet& first = *m_sheets.front();
    const double gap = kSheetGapShare * m_widthSheet + first.GetResultTableHeight();
    NPoint origin;
    double scale = 0.0;
    vrnApi::GetViewParams(first.GetView(), origin.x, origin.y, scale);
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        const std::optional<NPoint> place = SheetViewOrigin(m_scheme, i, origin, m_widthSheet, m_heightSheet, gap);
        if (place) {
            vrnApi::SetViewParams(m_sheets[i]->GetView(), place->x, place->y, 1.0);
        }
    }
    for (const SheetPtr& sheet : m_sheets) {
        sheet->CreateResultTable();
        sheet->Choose(false);
    }
    vrnApi::CreateContainerView(m_widthSheet, m_heightSheet);
}

void NestingModel::RecognizeSheetScheme() {
    std::vector<std::wstring> layouts;
    vrnApi::GetLayoutStyleLibraries(layouts);
    if (layouts.empty()) {
        return;  // no active drawing
    }
    m_scheme.withoutLayout = IsPlainLayout(layouts.back());
    NestingSetting::m_withoutLayout = m_scheme.withoutLayout;
    std::vector<SheetViewPlace> places;
    for (const SheetPtr& sheet : m_sheets) {
        places.push_back(PlaceOf(*sheet));
    }
    RecognizeSheetLayout(places, m_scheme);
    SheetSchemeParams kept;
    if (SheetSchemeOfNumber(vrnApi::GetPropertyFromDocument(kSheetSchemeProperty), kept)) {
        PreferKeptScheme(kept, places.size(), m_scheme);
    }
}

void NestingModel::SelectSheet(size_t i, bool on) {
    if (i < m_sheets.size()) {
        m_sheets[i]->Choose(on);
    }
}

void NestingModel::InvertSelectSheet(size_t i) {
    if (i < m_sheets.size()) {
        m_sheets[i]->InvertChoose();
    }
}

bool NestingModel::GetSheetSelect(size_t i) const { return i < m_sheets.size() && m_sheets[i]->m_choose; }

int NestingModel::GetIndexSheetByRef(int ref) const {
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i]->CheckReference(ref)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

SheetPtr NestingModel::GetSheetByRef(int ref) const {
    const int index = ref != 0 ? GetIndexSheetByRef(ref) : -1;
    return index >= 0 ? m_sheets[static_cast<size_t>(index)] : SheetPtr();
}

void NestingModel::InitSheetThickness() {
    if (m_thicknessSheet != 0.0 || m_figures.empty()) {
        return;
    }
    const double thickness = m_figures.front()->m_thickness;
    const bool common = std::all_of(m_figures.begin(), m_figures.end(), [thickness](const FigurePtr& figure) {
        return std::fabs(figure->m_thickness - thickness) <= kThicknessTolerance;
    });
    if (common) {
        m_thicknessSheet = thickness;
    }
}

void NestingModel::InitSheetMaterial() {
    if (!m_materialSheet.empty() || m_figures.empty()) {
        return;
    }
    const std::wstring& material = m_figures.front()->m_material;
    const bool common = std::all_of(m_figures.begin(), m_figures.end(),
                                    [&material](const FigurePtr& figure) { return figure->m_material == material; });
    if (common) {
        m_materialSheet = material;
    }
}
