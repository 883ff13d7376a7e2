// The model's remnant commands that run a builder or place labels: making a
// remnant at a point, rebuilding the remnants of every sheet, numbering and
// naming them.
#include "engine/WasteBuilder.h"
#include "host/VarnelAPI.h"
#include "model/NestingModel.h"

#include <algorithm>

namespace {


bool SameView(const NObject& a, const NObject& b)
{
    return a.GetView() == b.GetView();
}

std::vector<FigurePtr> FiguresOf(const std::vector<FigurePtr>& figures, const SheetPtr& sheet)
{
    std::vector<FigurePtr> own;
    std::copy_if(figures.begin(), figures.end(), std::back_inserter(own),
                 [&sheet](const FigurePtr& figure) { return figure->m_owner == sheet; });
    return own;
}

void MakeCurrent(const SheetPtr& sheet)
{
    if (sheet->m_macro)
        sheet->m_macro->SetCurrentMacroView();
}

// The point of the active view carried into the sheet's view, which becomes current.
NPoint IntoSheetView(const SheetPtr& sheet, NPoint point)
{
    if (sheet->GetView() == vrnApi::GetActiveView())
        return point;
    vrnApi::TransformFromViewToSheet(point);
    MakeCurrent(sheet);
    vrnApi::TransformFromSheetToView(point);
    return point;
}

// Each figure belongs to the first sheet in whose view it lies; a figure in
// no sheet's view keeps its owner.
void TieFiguresToSheetViews(const std::vector<FigurePtr>& figures, const std::vector<SheetPtr>& sheets)
{
    for (const FigurePtr& figure : figures) {
        const auto it = std::find_if(sheets.begin(), sheets.end(),
                                     [&figure](const SheetPtr& sheet) { return SameView(*sheet, *figure); });
        if (it != sheets.end())
            figure->m_owner = *it;
    }
}

// The remnants of the other method that a new one overlaps, once per overlap.
std::vector<WastePtr> OverlappedByNewWastes(const std::vector<WastePtr>& wastes)
{
    std::vector<WastePtr> overlapped;
    for (const WastePtr& made : wastes) {
        if (!made->m_method)
            continue;
        for (const WastePtr& kept : wastes) {
            if (!kept->m_method && made->CheckIntersect(*kept))
                overlapped.push_back(kept);
        }
    }
    return overlapped;
}

// The remnant of the sheet's view whose area holds the point of that view:
// inside its outline (or on it), not in a hole.
WastePtr WasteHolding(const std::vector<WastePtr>& wastes, const Sheet& sheet, const NPoint& p)
{
    for (const WastePtr& waste : wastes) {
        if (!SameView(*waste, sheet) || waste->m_polygons.empty() ||
            !waste->m_polygons.front()->CheckContainPoint(p, true))
            continue;
        if (std::none_of(waste->m_polygons.begin() + 1, waste->m_polygons.end(),
                         [&p](const NPolygonPtr& hole) { return hole && hole->CheckContainPoint(p, false); }))
            return waste;
    }
    return nullptr;
}

SheetPtr SheetHolding(const std::vector<SheetPtr>& sheets, const NPoint& point)
{
    const auto it = std::find_if(sheets.begin(), sheets.end(),
                                 [&point](const SheetPtr& sheet) { return sheet->CheckContainPoint(point); });
    return it == sheets.end() ? nullptr : *it;
}

}  // namespace

WastePtr NestingModel::CreateWaste(const NPoint& point)
{
    const SheetPtr sheet = SheetHolding(m_sheets, point);
    if (!sheet)
        return {};
    const NPoint inView = IntoSheetView(sheet, point);
    if (WasteHolding(m_wastes, *sheet, inView))
        return {};
    WasteBuilder builder;
    builder.Init(m_figureGap, m_sheetGap);
    WastePtr waste = builder.CreateWasteManually(FiguresOf(m_figures, sheet), inView);
    InitWasteParams(waste, sheet, true);
    // No area becomes a remnant twice.
    if (waste && std::any_of(m_wastes.begin(), m_wastes.end(), [&](const WastePtr& kept) {
            return SameView(*kept, *waste) && kept->CheckIntersect(*waste);
        })) {
        waste->m_edit = false;
        waste->Clear();
        return {};
    }
    return waste;
}

WastePtr NestingModel::GetWasteAtPoint(const NPoint& point)
{
    const SheetPtr sheet = SheetHolding(m_sheets, point);
    if (!sheet)
        return {};
    // The point is carried into the sheet's view; the view the point was
    // given in is made current again.
    const int active = vrnApi::GetActiveView();
    const WastePtr found = WasteHolding(m_wastes, *sheet, IntoSheetView(sheet, point));
    if (vrnApi::GetActiveView() != active) {
        if (const vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(active)) {
            view->SetCurrent(true);
            view->Update();
        }
    }
    return found;
}

void NestingModel::AddWaste(WastePtr waste)
{
    if (!waste)
        return;
    m_wastes.push_back(std::move(waste));
    UpdateWastesNames();
}

void NestingModel::DelWaste(int ref)
{
    WastePtr waste = GetWasteByRef(ref);
    DelWaste(waste);
    UpdateWastesNames();
}

void NestingModel::UpdateWastesNames()
{
    // A remnant is of its sheet's stock, also after the sheets' thickness or
    // material changed.
    for (const WastePtr& waste : m_wastes) {
        waste->m_thickness = m_thicknessSheet;
        waste->m_material = m_materialSheet;
    }
    int total = 0;
    for (const SheetPtr& sheet : m_sheets) {
        MakeCurrent(sheet);
        int index = 0;
        for (const WastePtr& waste : m_wastes) {
            if (!SameView(*waste, *sheet))
                continue;
            waste->m_number = ++total;
            waste->m_subNumber = ++index;
            waste->UpdateName(index, total);
            waste->UpdateSizeText(m_textSize);
            waste->CorrectTextPosition();
        }
    }
    if (!m_sheets.empty())
        MakeCurrent(m_sheets.front());
}

void NestingModel::DecomposeWastesToRectangles()
{
    if (m_wastRectSize < EPS)
        m_wastRectSize = 0.5 * std::min(m_widthSheet, m_heightSheet);
    std::vector<SheetPtr> sheets;
    std::copy_if(m_sheets.begin(), m_sheets.end(), std::back_inserter(sheets), [this](const SheetPtr& sheet) {
        return m_wasteMethod || std::any_of(m_wastes.begin(), m_wastes.end(),
                                            [&sheet](const WastePtr& waste) { return SameView(*waste, *sheet); });
    });
    for (const WastePtr& waste : m_wastes) {
        waste->m_edit = false;
        waste->Clear();
        waste->m_owner.reset();
    }
    m_wastes.clear();
    // Owners are derived again: a part hanging over the sheet's edge has
    // none from the placement, yet no remnant may be cut through it.
    TieFiguresToSheetViews(m_figures, m_sheets);
    for (const SheetPtr& sheet : sheets) {
        MakeCurrent(sheet);
        WasteBuilder builder;
        builder.Init(m_figureGap, m_sheetGap);
        std::vector<WastePtr> made;
        builder.CreateWastesByRectangles(sheet, FiguresOf(m_figures, sheet), m_wastRectSize, made);
        FinishNewWastes(made, sheet);
    }
    UpdateWastesNames();
}

void NestingModel::CalculateWastes()
{
    if (!m_wasteMethod)
        return;
    for (const WastePtr& waste : m_wastes) {
        if (waste->m_method)
            waste->m_edit = false;
    }
    ClearWastesByMethod(true);
    TieFiguresToSheetViews(m_figures, m_sheets);
    for (const SheetPtr& sheet : m_sheets) {
        MakeCurrent(sheet);
        const std::vector<FigurePtr> figures = FiguresOf(m_figures, sheet);
        if (figures.empty())
            continue;
        WasteBuilder builder;
        builder.Init(m_figureGap, m_sheetGap);
        std::vector<WastePtr> made;
        builder.CreateWastesAutomatically(sheet, figures, m_wastSize, made);
        FinishNewWastes(made, sheet);
    }
    for (WastePtr& waste : OverlappedByNewWastes(m_wastes))
        DelWaste(waste);
    UpdateWastesNames();
}

void NestingModel::FinishNewWastes(const std::vector<WastePtr>& wastes, const SheetPtr& sheet)
{
    for (const WastePtr& waste : wastes) {
        InitWasteParams(waste, sheet, false);
        m_wastes.push_back(waste);
    }
}
