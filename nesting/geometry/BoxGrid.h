// Boxes with ids filed in the squares of a grid over an area, so that the
// boxes that may hold a point, or meet another box, are found among a few
// squares instead of all of them. A box is filed, grown by twice the point
// tolerance, in every square it reaches; what lies off the area counts as in
// the squares along its edge, so a query anywhere finds every box within the
// point tolerance of it (and some farther, which the caller tests). Squares
// are never so small that the area holds more than a budget of them, and a
// box that would reach very many is kept in a list of its own that every
// query looks at. Ids are filed in increasing order; queries give them so,
// each once.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <cstdint>
#include <vector>

class BoxGrid {
public:
    // The grid over `area` in squares of side `square` at least (and as
    // large as the budget needs; a side that is not finite is none). An
    // area that is not finite, or holds no point, is one square.
    BoxGrid(const NRect& area, double square);

    // Files the box `id` (greater than every id filed before).
    void Add(size_t id, const NRect& box);
    size_t Size() const { return m_filed; }

    // Calls `visit(id)` for every box filed that may hold `p`, ascending.
    template <class F>
    void ForEachAt(const NPoint& p, F visit) const
    {
        const uint32_t* node = m_head.empty() ? nullptr : At(Column(p.x), Row(p.y));
        uint32_t k = node ? *node : kEnd;
        size_t large = 0;
        while (k != kEnd || large < m_large.size()) {
            if (k != kEnd && (large == m_large.size() || m_nodes[k].id < m_large[large])) {
                visit(m_nodes[k].id);
                k = m_nodes[k].next;
            } else {
                visit(m_large[large++]);
            }
        }
    }

    // The boxes filed that may meet `box`, ascending, each once.
    const std::vector<size_t>& Meeting(const NRect& box);

private:
    static constexpr uint32_t kEnd = UINT32_MAX;
    static constexpr int32_t kMostSquares = 1 << 16;  // of the area
    static constexpr int32_t kLargeSquares = 64;      // a box reaching more goes in the large list

    struct Node {
        size_t id;
        uint32_t next;
    };

    int32_t Column(double x) const;
    int32_t Row(double y) const;
    const uint32_t* At(int32_t column, int32_t row) const
    {
        return &m_head[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)];
    }

    NPoint m_origin;
    double m_square = 1.0;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    std::vector<uint32_t> m_head;  // per square, its first node (kEnd for none)
    std::vector<uint32_t> m_tail;  // and its last
    std::vector<Node> m_nodes;
    std::vector<size_t> m_large;
    size_t m_filed = 0;
    std::vector<size_t> m_found;
};
