#include "geometry/PointGrid.h"

#include <algorithm>
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
    // The query's square reaches an eighth of a cell on each side; a
    // hundredth of a cell more covers the rounding of the division. Far out a
    // point has no neighbours.
    constexpr double kReach = 1.0 / kCellReaches + 0.01;
    const double q = v / m_cell;
    const double f = q - std::floor(q);
    const bool far = std::fabs(q) >= kFarCells;
    low = !far && f < kReach ? -1 : 0;
    high = !far && f > 1.0 - kReach ? 1 : 0;
}

void PointGrid::Cell::Insert(size_t id)
{
    if (m_many) {
        m_many->insert(id);
        return;
    }
    if (std::find(m_two, m_two + m_count, id) != m_two + m_count)
        return;
    if (m_count < 2) {
        m_two[m_count++] = id;
        if (m_count == 2 && m_two[1] < m_two[0])
            std::swap(m_two[0], m_two[1]);
        return;
    }
    m_many = std::make_unique<std::set<size_t>>(m_two, m_two + 2);
    m_many->insert(id);
    m_count = 0;
}

void PointGrid::Cell::Erase(size_t id)
{
    if (m_many) {
        m_many->erase(id);
        return;
    }
    if (m_count > 0 && m_two[0] == id) {
        m_two[0] = m_two[1];
        --m_count;
    } else if (m_count == 2 && m_two[1] == id) {
        --m_count;
    }
}

uint64_t PointGrid::Hash(const Key& key)
{
    // Both cell numbers mixed into every bit.
    uint64_t h = key.first * 0x9E3779B97F4A7C15ull + key.second;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}

size_t PointGrid::SlotOf(const Key& key, uint64_t hash) const
{
    // The low bits of the hash choose the slot, the high ones are its tag.
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    const size_t mask = m_slots.size() - 1;
    for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.cell == kFree || (slot.tag == tag && m_cells[slot.cell].key == key))
            return at;
    }
}

const PointGrid::Cell* PointGrid::Find(const Key& key) const
{
    if (m_slots.empty())
        return nullptr;
    const Slot& slot = m_slots[SlotOf(key, Hash(key))];
    return slot.cell == kFree ? nullptr : &m_cells[slot.cell];
}

void PointGrid::Grow()
{
    std::vector<Slot> old(std::max<size_t>(64, 2 * m_slots.size()));
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.cell == kFree)
            continue;
        // Every key is filed once: its free slot is the first free one.
        size_t at = static_cast<size_t>(Hash(m_cells[slot.cell].key)) & mask;
        while (m_slots[at].cell != kFree)
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

void PointGrid::Add(const NPoint& p, size_t id)
{
    Key key;
    if (!KeyOf(p, key))
        return;
    if (2 * (m_cells.size() + 1) > m_slots.size())
        Grow();
    const uint64_t hash = Hash(key);
    Slot& slot = m_slots[SlotOf(key, hash)];
    if (slot.cell == kFree) {
        slot = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(m_cells.size())};
        m_cells.emplace_back().key = key;
    }
    m_cells[slot.cell].Insert(id);
}

void PointGrid::Remove(const NPoint& p, size_t id)
{
    Key key;
    if (!KeyOf(p, key) || m_slots.empty())
        return;
    const Slot& slot = m_slots[SlotOf(key, Hash(key))];
    if (slot.cell != kFree)
        m_cells[slot.cell].Erase(id);
}
