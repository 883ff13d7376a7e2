// Preparing the model's figures for placement: their outlines and gap
// polygons, with the host's progress bar, and their source placements.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"

#include <algorithm>

namespace {

// The smaller side of the smallest figure: a notch narrower than this (with
// the gaps) cannot hold any figure of the model.
double SmallestFigureSide(const std::vector<FigurePtr>& figures)
{
    double side = 2147483647.0;
    for (const FigurePtr& figure : figures) {
        const NRect& rc = figure->m_rectBorder;
        side = std::min(side, std::min(rc.pTop.x - rc.pBot.x, rc.pTop.y - rc.pBot.y));
    }
    return side;
}

// The first earlier figure whose outline rings equal this one's up to a
// translation.
FigurePtr PatternFigure(const std::vector<FigurePtr>& figures, size_t i)
{
    for (size_t j = 0; j < i; ++j) {
        if (figures[j]->IsEquilBorders(*figures[i]))
            return figures[j];
    }
    return {};
}

}  // namespace

void NestingModel::InitFigureBorders()
{
    for (const FigurePtr& figure : m_figures) {
        figure->ClearPolygons();
        figure->InitBorders();
    }
}

void NestingModel::InitFigurePolygons()
{
    const double size = SmallestFigureSide(m_figures);
    CreateProgressIndicator();
    const size_t n = m_figures.size();
    for (size_t i = 0; i < n; ++i) {
        UpdateProgressIndicator(static_cast<double>(i) * 100.0 / static_cast<double>(n));
        const FigurePtr& figure = m_figures[i];
        figure->InitPolygons(2.0 * m_figureGap + size, m_figureGap, PatternFigure(m_figures, i));
        figure->SaveParams();
    }
    DeleteProgressIndicator();
}

void NestingModel::InitMissingFigurePolygons()
{
    bool missing = false;
    for (const FigurePtr& figure : m_figures) {
        if (!figure->m_poligons.empty())
            continue;
        missing = true;
        if (figure->m_borders.empty())
            figure->InitBorders();
    }
    if (missing)
        InitFigurePolygons();
}

void NestingModel::SetAllFiguresInSourcePlacement()
{
    for (const FigurePtr& figure : m_figures) {
        double x = 0.0;
        double y = 0.0;
        double angle = 0.0;
        figure->GetPlacement(x, y, angle);
        figure->SetPlacement(-x, -y, -angle, false);
    }
}
