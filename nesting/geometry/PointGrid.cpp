#include "geometry/PointGrid.h"

#include <bit>
#include <cmath>

namespace {

// Beyond 2^51 cells from the origin neighbouring doubles lie more than a
// reach apart, so only equal points can be near each other: there a point's
// cell is its own value (its bits, which no cell number below takes).
constexpr double kFarCells = 2251799813685248.0;  // 2^51

uint64_t CellOf(double v, double cell)
{
    const double q = v / cell;
    if (std::fabs(q) >= kFarCells)
        return std::bit_cast<uint64_t>(v);
    return static_cast<uint64_t>(static_cast<int64_t>(std::floor(q)));
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
    // a cell more covers the rounding of the division. Far out a point has
    // no neighbours.
    const double q = v / m_cell;
    const double f = q - std::floor(q);
    const bool far = std::fabs(q) >= kFarCells;
    low = !far && f < 0.26 ? -1 : 0;
    high = !far && f > 0.74 ? 1 : 0;
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
