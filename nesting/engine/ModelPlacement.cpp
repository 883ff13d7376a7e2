// The model's operations that run the placement driver: single figures, and
// the figures that found no sheet laid out in the container view.
#include "engine/NestingOptimizer.h"

#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kContainerWidth = 1000000.0;
constexpr double kContainerHeightFactor = 1.25;

double FigureHeight(const Figure& figure) { return figure.m_rect.pTop.y - figure.m_rect.pBot.y; }
double FigureWidth(const Figure& figure) { return figure.m_rect.pTop.x - figure.m_rect.pBot.x; }

// Every sheet whose macro is a rectangle gets the size and re-reads itself.
void ResizeRectangularSheets(const std::vector<SheetPtr>& sheets, const double* width, const double* height)
{
    for (const SheetPtr& sheet : sheets) {
        if (!sheet->m_macro || !sheet->m_polygon || !sheet->m_polygon->CheckRectangle())
            continue;
        if (height)
            sheet->m_macro->SetRectangleHeight(*height);
        if (width)
            sheet->m_macro->SetRectangleWidth(*width);
        sheet->InitParams();
    }
}

} // namespace

bool NestingModel::SetAutoPlacementFigure(FigurePtr figure, NestingMode mode)
{
    NestingOptimizer optimizer;
    optimizer.Init(m_figures, m_sheets);
    optimizer.SetGaps(m_figureGap, m_sheetGap);
    return optimizer.SetAutoPlacementFigure(figure, mode);
}

std::vector<FigurePtr> NestingModel::MoveMismatchedFiguresToContainer()
{
    std::vector<FigurePtr> moved;
    for (const FigurePtr& figure : m_figures) {
        const int view = figure->GetView();
        const bool onSheet = std::any_of(m_sheets.begin(), m_sheets.end(),
                                         [&](const SheetPtr& sheet) { return sheet->GetView() == view; });
        const bool matches = figure->CheckOwnerThickness(m_thicknessSheet) && figure->CheckOwnerMaterial(m_materialSheet);
        if (onSheet && !matches)
            moved.push_back(figure);
    }
    if (!moved.empty())
        ArrangeFiguresInContainer(false, false, moved);
    CheckIntersectAllFigures(nullptr, false);
    return moved;
}

void NestingModel::ArrangeFiguresInContainer(bool allFigures, bool delWastes, const std::vector<FigurePtr>& unplaced)
{
    if (delWastes) {
        for (const WastePtr& waste : m_wastes) {
            waste->m_edit = false;
            waste->Clear();
        }
        m_wastes.clear();
    }
    const std::vector<FigurePtr> saved = m_figures;
    if (allFigures) {
        for (const SheetPtr& sheet : m_sheets)
            sheet->m_occupied = false;
        for (const FigurePtr& figure : m_figures)
            figure->m_owner.reset();
    } else {
        std::vector<FigurePtr> loose;
        const SheetOwners owners(m_sheets);
        for (const FigurePtr& figure : m_figures) {
            const bool left = std::find(unplaced.begin(), unplaced.end(), figure) != unplaced.end();
            figure->m_owner = left || !figure ? nullptr : owners.Of(*figure);
            if (!figure->m_owner)
                loose.push_back(figure);
        }
        m_figures = loose;
    }
    SortFiguresByAreasDecrease();
    if (!m_figures.empty()) {
        const double savedWidth = m_widthSheet;
        const double savedHeight = m_heightSheet;
        // The container is high enough for the highest figure with the edge
        // gaps: one that fits the sheet only without them would stay piled
        // with the others where they stood.
        double h = 0.0;
        for (const FigurePtr& figure : m_figures)
            h = std::max(h, FigureHeight(*figure) + 2.0 * SheetInset(m_figureGap, m_sheetGap));
        if (h > m_heightSheet) {
            m_heightSheet = kContainerHeightFactor * h;
            ResizeRectangularSheets(m_sheets, nullptr, &m_heightSheet);
        }
        // The container is long enough for every figure side by side: one
        // that found no place would stay where it stood, all such piled on
        // one another (a thousand parts a metre wide, or parts of a drawing
        // in metres).
        double w = 2.0 * m_sheetGap;
        for (const FigurePtr& figure : m_figures)
            w += FigureWidth(*figure) + m_figureGap;
        m_widthSheet = std::max(kContainerWidth, std::ceil(w));
        ResizeRectangularSheets(m_sheets, &m_widthSheet, nullptr);
        {
            // The sheets only lend the container their stretched rectangle. A
            // run that added sheets leaves them all marked occupied when the
            // last one got nothing: the first then takes the leftovers all the
            // same, or they would stay piled where they stood.
            const bool allOccupied = !m_sheets.empty() && std::all_of(m_sheets.begin(), m_sheets.end(),
                                                                      [](const SheetPtr& s) { return s->m_occupied; });
            if (allOccupied)
                m_sheets.front()->m_occupied = false;
            NestingOptimizer optimizer;
            optimizer.Init(m_figures, m_sheets);
            optimizer.SetGaps(m_figureGap, m_sheetGap);
            optimizer.SetAutoPlacementAllFiguresOnSheets(NestingMode::AutoArrange);
            if (allOccupied)
                m_sheets.front()->m_occupied = true;
        }
        m_heightSheet = savedHeight;
        ResizeRectangularSheets(m_sheets, nullptr, &m_heightSheet);
        m_widthSheet = savedWidth;
        ResizeRectangularSheets(m_sheets, &m_widthSheet, nullptr);
        const int container = vrnApi::CreateContainerView(m_widthSheet, m_heightSheet);
        for (const FigurePtr& figure : m_figures) {
            figure->ChangeView(container, false);
            figure->m_owner.reset();
        }
    }
    m_figures = saved;
    for (const FigurePtr& figure : m_figures)
        if (figure->m_macro)
            figure->m_macro->InitTextLayer();
    FollowBridges();
}
