// Points with ids filed in square cells, so that the points near a point are
// found among a few cells instead of all points: every point within `reach`
// of the query in each coordinate stands in the query's cell or in a
// neighbour of it that the square of side 2 reach about the query meets. The
// cells are four reaches wide, so that most queries look into one cell, and
// a neighbour is looked into a little before that square meets it, so that
// rounding never hides a point. Points that are not finite are never filed.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <cstdint>
#include <limits>
#include <set>
#include <unordered_map>
#include <utility>

class PointGrid {
public:
    static constexpr size_t kNone = std::numeric_limits<size_t>::max();

    explicit PointGrid(double reach) : m_cell(4 * reach) {}

    void Add(const NPoint& p, size_t id);
    // Takes out the entry `id` filed at `p`; nothing when there is none.
    void Remove(const NPoint& p, size_t id);

    // The smallest id filed near `p` (every id within `reach` and some
    // farther) for which `accept(id)` holds; kNone when there is none.
    template <class F>
    size_t FirstNear(const NPoint& p, F accept) const
    {
        size_t best = kNone;
        ForEachCell(p, [&](const std::set<size_t>& ids) {
            for (size_t id : ids) {
                if (id >= best)
                    break;
                if (accept(id)) {
                    best = id;
                    break;
                }
            }
        });
        return best;
    }

    // Every id filed near `p` (every id within `reach` and some farther), cell by cell.
    template <class F>
    void ForEachNear(const NPoint& p, F visit) const
    {
        ForEachCell(p, [&](const std::set<size_t>& ids) {
            for (size_t id : ids)
                visit(id);
        });
    }

private:
    using Key = std::pair<uint64_t, uint64_t>;
    struct KeyHash {
        size_t operator()(const Key& k) const
        {
            return std::hash<uint64_t>()(k.first) * 0x9E3779B97F4A7C15ull ^ std::hash<uint64_t>()(k.second);
        }
    };

    bool KeyOf(const NPoint& p, Key& key) const;
    // The cells to look into along one axis: from the cell of `v` one step
    // down and one up, each when the query's square may reach it.
    void Span(double v, int64_t& low, int64_t& high) const;

    template <class F>
    void ForEachCell(const NPoint& p, F visit) const
    {
        Key key;
        if (!KeyOf(p, key))
            return;
        int64_t x0, x1, y0, y1;
        Span(p.x, x0, x1);
        Span(p.y, y0, y1);
        for (int64_t dx = x0; dx <= x1; ++dx) {
            for (int64_t dy = y0; dy <= y1; ++dy) {
                auto it = m_cells.find({key.first + static_cast<uint64_t>(dx), key.second + static_cast<uint64_t>(dy)});
                if (it != m_cells.end())
                    visit(it->second);
            }
        }
    }

    double m_cell;
    std::unordered_map<Key, std::set<size_t>, KeyHash> m_cells;
};
