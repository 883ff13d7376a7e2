#include "geometry/PointGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cell numbers stay far from the ends of int64 so that a neighbour's number
// never overflows; points beyond share the outermost cells.
constexpr double kFarthestCell = 4.0e18;

int64_t CellOf(double v, double cell)
{
    return static_cast<int64_t>(std::clamp(std::floor(v / cell), -kFarthestCell, kFarthestCell));
}

}  // namespace

bool PointGrid::KeyOf(const NPoint& p, Key& key) const
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return false;
    key = {CellOf(p.x, m_cell), CellOf(p.y, m_cell)};
    return true;
}

void PointGrid::Span(double v, int64_t& low, int64_t& high) const
{
    // The query's square reaches a quarter cell on each side; a hundredth of
    // a cell more covers the rounding of the division.
    const double q = v / m_cell;
    const double f = q - std::floor(q);
    low = f < 0.26 ? -1 : 0;
    high = f > 0.74 ? 1 : 0;
}

void PointGrid::Add(const NPoint& p, size_t id)
{
    Key key;
    if (KeyOf(p, key))
        m_cells[key].insert(id);
}

void PointGrid::Remove(const NPoint& p, size_t id)
{
    Key key;
    if (!KeyOf(p, key))
        return;
    auto it = m_cells.find(key);
    if (it == m_cells.end())
        return;
    it->second.erase(id);
    if (it->second.empty())
        m_cells.erase(it);
}
