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

// The figures by the width of their first outline ring, to find the ones a
// figure may equal: equal rings have widths within EPS, and straightening a
// ring (which its polygons do) moves its sides by less than EPS_REPEATED.
class FiguresByWidth {
public:
    explicit FiguresByWidth(const std::vector<FigurePtr>& figures) : m_figures(figures)
    {
        for (size_t i = 0; i < figures.size(); ++i)
            m_byWidth.emplace_back(Width(*figures[i]), i);
        std::sort(m_byWidth.begin(), m_byWidth.end());
        m_leastAfter.resize(m_byWidth.size() + 1, figures.size());
        for (size_t k = m_byWidth.size(); k-- > 0;)
            m_leastAfter[k] = std::min(m_leastAfter[k + 1], m_byWidth[k].second);
    }
    // The first earlier figure whose outline rings equal figure i's up to a
    // translation.
    FigurePtr Pattern(size_t i) const
    {
        const double w = Width(*m_figures[i]);
        const double reach = EPS + 2.0 * EPS_REPEATED;
        size_t best = i;
        auto at = std::lower_bound(m_byWidth.begin(), m_byWidth.end(), std::make_pair(w - reach, size_t{0}));
        for (; at != m_byWidth.end() && at->first <= w + reach; ++at) {
            // None further on comes earlier in the model than the one found.
            if (m_leastAfter[static_cast<size_t>(at - m_byWidth.begin())] >= best)
                break;
            if (at->second >= best || !m_figures[at->second]->IsEquilBorders(*m_figures[i]))
                continue;
            best = at->second;
            // The others of this very width come later in the model.
            while (std::next(at) != m_byWidth.end() && std::next(at)->first == at->first)
                ++at;
        }
        return best < i ? m_figures[best] : FigurePtr{};
    }

private:
    static double Width(const Figure& figure)
    {
        if (figure.m_borders.empty())
            return 0.0;
        const NRect rect = figure.m_borders.front()->GetGabarit();
        return rect.pTop.x - rect.pBot.x;
    }

    const std::vector<FigurePtr>& m_figures;
    std::vector<std::pair<double, size_t>> m_byWidth;
    std::vector<size_t> m_leastAfter;  // the earliest figure from each place of m_byWidth on
};

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
    const FiguresByWidth byWidth(m_figures);
    for (size_t i = 0; i < n; ++i) {
        UpdateProgressIndicator(static_cast<double>(i) * 100.0 / static_cast<double>(n));
        const FigurePtr& figure = m_figures[i];
        figure->InitPolygons(2.0 * m_figureGap + size, m_figureGap, byWidth.Pattern(i));
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
