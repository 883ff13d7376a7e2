// A new figure gap: every figure rebuilt at the origin and laid out again in
// the container.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"

void NestingModel::UpdateGaps()
{
    const int view = vrnApi::GetSystemView();
    for (const FigurePtr& figure : m_figures)
        figure->ChangeView(view, true);
    DestroyCompoundFigures();
    for (const FigurePtr& figure : m_figures) {
        double x = 0.0, y = 0.0, angle = 0.0;
        figure->GetPlacement(x, y, angle);
        figure->SetPlacement(-x, -y, -angle, false);
    }
    InitFigureBorders();
    InitFigurePolygons();
    if (m_uniteFigures)
        CreateCompoundFigures();
    ArrangeFiguresInContainer(true, true);
    // Every figure lies in the container now: none is cut from a sheet yet.
    CheckIntersectAllFigures(nullptr, false);
    UpdateResultTables(nullptr);
    for (const FigurePtr& figure : m_figures) {
        figure->m_gap = m_figureGap;
        figure->SaveParams();
    }
}
