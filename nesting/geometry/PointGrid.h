// Points with ids filed in square cells, so that the points near a point are
// found among a few cells instead of all points: every point within `reach`
// of the query in each coordinate stands in the query's cell or in a
// neighbour of it that the square of side 2 reach about the query meets. The
// cells are eight reaches wide, so that most queries look into one cell, and
// a neighbour is looked into a little before that square meets it, so that
// rounding never hides a point. Points that are not finite are never filed.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class PointGrid {
public:
    static constexpr size_t kNone = std::numeric_limits<size_t>::max();

    explicit PointGrid(double reach) : m_cell(kCellReaches * reach) {}

    void Add(const NPoint& p, size_t id);
    // Takes out the entry `id` filed at `p`; nothing when there is none.
    void Remove(const NPoint& p, size_t id);

    // The smallest id filed near `p` (every id within `reach` and some
    // farther) for which `accept(id)` holds; kNone when there is none.
    template <class F>
    size_t FirstNear(const NPoint& p, F accept) const
    {
        size_t best = kNone;
        ForEachCell(p, [&](const Cell& cell) {
            cell.Each([&](size_t id) {
                if (id >= best)
                    return false;
                if (accept(id)) {
                    best = id;
                    return false;
                }
                return true;
            });
        });
        return best;
    }

    // Every id filed near `p` (every id within `reach` and some farther), cell by cell.
    template <class F>
    void ForEachNear(const NPoint& p, F visit) const
    {
        ForEachCell(p, [&](const Cell& cell) {
            cell.Each([&](size_t id) {
                visit(id);
                return true;
            });
        });
    }

private:
    static constexpr double kCellReaches = 8;

    using Key = std::pair<uint64_t, uint64_t>;

    // The ids of a cell in increasing order: two in the cell itself (most
    // cells hold one point or two), more in a tree, so that a cell where
    // thousands of ends meet still takes and gives one in logarithmic time.
    class Cell {
    public:
        void Insert(size_t id);
        void Erase(size_t id);
        // Calls `f(id)` in increasing order of ids while it returns true.
        template <class F>
        void Each(F f) const
        {
            if (m_many) {
                for (size_t id : *m_many)
                    if (!f(id))
                        return;
                return;
            }
            for (size_t k = 0; k < m_count; ++k)
                if (!f(m_two[k]))
                    return;
        }

        Key key;  // of the cell

    private:
        size_t m_two[2] = {0, 0};
        size_t m_count = 0;                       // of m_two, without a tree
        std::unique_ptr<std::set<size_t>> m_many;
    };

    // The cells are found in a table of open addressing, each slot holding
    // bits of its key's hash and the place of its cell: the slots of a
    // million points fit in a few megabytes, a look-up of an empty cell (the
    // most usual, of the neighbours) reads one or two of them, and cells
    // filed one after another (as the ends of a chain are) lie side by side.
    struct Slot {
        uint32_t tag = 0;
        uint32_t cell = kFree;
    };
    static constexpr uint32_t kFree = std::numeric_limits<uint32_t>::max();

    static uint64_t Hash(const Key& key);
    // The slot of `key`: its own, or the free one where it would go.
    size_t SlotOf(const Key& key, uint64_t hash) const;
    const Cell* Find(const Key& key) const;
    void Grow();

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
                if (const Cell* cell = Find({key.first + static_cast<uint64_t>(dx), key.second + static_cast<uint64_t>(dy)}))
                    visit(*cell);
            }
        }
    }

    double m_cell;
    std::vector<Slot> m_slots;  // a power of two of them, at most half taken
    std::vector<Cell> m_cells;
};
