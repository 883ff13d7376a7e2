// Rebuilding the figures' outlines and gap polygons for a new figure gap, as
// the gap update needs it. Joining figures into compounds is not done here:
// the figures stay single.
#include "model/NestingModel.h"

#include <algorithm>

namespace {

double SmallestFigureSide(const std::vector<FigurePtr>& figures)
{
    double side = 2147483647.0;
    for (const FigurePtr& figure : figures) {
        const NRect& rc = figure->m_rectBorder;
        side = std::min(side, std::min(rc.pTop.x - rc.pBot.x, rc.pTop.y - rc.pBot.y));
    }
    return side;
}

FigurePtr EarlierEqualFigure(const std::vector<FigurePtr>& figures, size_t i)
{
    for (size_t j = 0; j < i; ++j)
        if (figures[j]->IsEquilBorders(*figures[i]))
            return figures[j];
    return nullptr;
}

} // namespace

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
    for (size_t i = 0; i < m_figures.size(); ++i) {
        m_figures[i]->InitPolygons(2.0 * m_figureGap + size, m_figureGap, EarlierEqualFigure(m_figures, i));
        m_figures[i]->SaveParams();
    }
}

void NestingModel::CreateCompoundFigures() {}

void NestingModel::DestroyCompoundFigures()
{
    std::vector<FigurePtr> single;
    for (const FigurePtr& figure : m_figures) {
        std::vector<FigurePtr> members;
        figure->DestroyCompoundFigures(members);
        if (members.empty())
            single.push_back(figure);
        else
            single.insert(single.end(), members.begin(), members.end());
    }
    m_figures = single;
}
