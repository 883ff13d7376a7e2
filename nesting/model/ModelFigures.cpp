// Preparing the model's figures for placement: their outlines and gap
// polygons, with the host's progress bar, and their source placements.
#include "model/NestingModel.h"

#include "geometry/DentEntry.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <limits>

namespace {

// The figures by the width of their first outline ring, to find the ones a
// figure may equal: equal rings have widths within EPS, and straightening a
// ring (which its polygons do) moves its sides by less than EPS_REPEATED.
// The figures are asked for in their order; those asked for before are
// looked at earliest first (a tree of the least figure over runs of widths),
// so that figures of other shapes as wide are passed over once each.
class FiguresByWidth {
public:
    explicit FiguresByWidth(const std::vector<FigurePtr>& figures)
        : m_figures(figures), m_place(figures.size()), m_size(std::max<size_t>(figures.size(), 1)),
          m_least(2 * m_size, figures.size())
    {
        for (size_t i = 0; i < figures.size(); ++i)
            m_byWidth.emplace_back(Width(*figures[i]), i);
        std::sort(m_byWidth.begin(), m_byWidth.end());
        for (size_t k = 0; k < m_byWidth.size(); ++k)
            m_place[m_byWidth[k].second] = k;
    }
    // The first earlier figure whose outline rings equal figure i's up to a
    // translation; figures are asked for in their order.
    FigurePtr Pattern(size_t i)
    {
        const double w = Width(*m_figures[i]);
        const double reach = EPS + 2.0 * EPS_REPEATED;
        const auto first = std::lower_bound(m_byWidth.begin(), m_byWidth.end(), std::make_pair(w - reach, size_t{0}));
        const auto last =
            std::partition_point(first, m_byWidth.end(), [&](const auto& entry) { return entry.first <= w + reach; });
        const size_t lo = static_cast<size_t>(first - m_byWidth.begin());
        const size_t hi = static_cast<size_t>(last - m_byWidth.begin());
        FigurePtr found;
        std::vector<size_t> passed;
        for (size_t j = Least(lo, hi); j < i; j = Least(lo, hi)) {
            if (m_figures[j]->IsEquilBorders(*m_figures[i])) {
                found = m_figures[j];
                break;
            }
            Put(m_place[j], m_figures.size());
            passed.push_back(j);
        }
        for (const size_t j : passed)
            Put(m_place[j], j);
        Put(m_place[i], i);
        return found;
    }

private:
    static double Width(const Figure& figure)
    {
        if (figure.m_borders.empty())
            return 0.0;
        const NRect rect = figure.m_borders.front()->GetGabarit();
        return rect.pTop.x - rect.pBot.x;
    }

    void Put(size_t place, size_t index)
    {
        size_t k = place + m_size;
        m_least[k] = index;
        for (k /= 2; k >= 1; k /= 2)
            m_least[k] = std::min(m_least[2 * k], m_least[2 * k + 1]);
    }

    // The least figure put in the places [lo, hi); the figures' count for none.
    size_t Least(size_t lo, size_t hi) const
    {
        size_t least = m_figures.size();
        for (lo += m_size, hi += m_size; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1)
                least = std::min(least, m_least[lo++]);
            if (hi & 1)
                least = std::min(least, m_least[--hi]);
        }
        return least;
    }

    const std::vector<FigurePtr>& m_figures;
    std::vector<std::pair<double, size_t>> m_byWidth;
    std::vector<size_t> m_place;  // of each figure in m_byWidth
    size_t m_size;
    std::vector<size_t> m_least;  // the tree: the least figure put under each node
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
    CreateProgressIndicator();
    const size_t n = m_figures.size();
    FiguresByWidth byWidth(m_figures);
    std::vector<FigurePtr> patterns(n);
    for (size_t i = 0; i < n; ++i)
        patterns[i] = byWidth.Pattern(i);
    // A notch is closed only where no figure, turned any way, can go into
    // it: its mouth too narrow for anything to pass it a gap off either
    // side, and no figure fitting in it whole.
    double narrowest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < n; ++i)
        if (!patterns[i] && !m_figures[i]->m_borders.empty() && m_figures[i]->m_borders.front())
            narrowest = std::min(narrowest, NarrowestWidth(m_figures[i]->m_borders.front()->m_points));
    for (size_t i = 0; i < n; ++i) {
        UpdateProgressIndicator(static_cast<double>(i) * 100.0 / static_cast<double>(n));
        const FigurePtr& figure = m_figures[i];
        figure->InitPolygons(2.0 * m_figureGap, m_figureGap, patterns[i], narrowest);
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
