#include "geometry/BoxGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// The index of the square of `v` along one axis, within [0, count): what lies
// off the area (and what is not a number) counts as in the squares at its edge.
int32_t SquareOf(double v, double base, double square, int32_t count)
{
    const double t = std::floor((v - base) / square);
    if (!(t > 0.0))
        return 0;
    return t >= static_cast<double>(count - 1) ? count - 1 : static_cast<int32_t>(t);
}

bool Finite(const NRect& box)
{
    return std::isfinite(box.pBot.x) && std::isfinite(box.pBot.y) && std::isfinite(box.pTop.x) &&
           std::isfinite(box.pTop.y);
}

} // namespace

BoxGrid::BoxGrid(const NRect& area, double square)
{
    if (!std::isfinite(square))
        square = 0.0;
    if (!Finite(area))
        square = HUGE_VAL;
    const double width = std::max(area.pTop.x - area.pBot.x, 0.0);
    const double height = std::max(area.pTop.y - area.pBot.y, 0.0);
    // Squares no smaller than the area allows for the budget.
    m_square = std::max({square, std::sqrt(width * height / kMostSquares), width / kMostSquares,
                         height / kMostSquares, EPS});
    if (!std::isfinite(m_square)) {
        m_columns = m_rows = 1;
        m_square = 1.0;
    } else {
        m_origin = area.pBot;
        m_columns = static_cast<int32_t>(std::clamp(std::ceil(width / m_square), 1.0, double{kMostSquares}));
        m_rows = static_cast<int32_t>(std::clamp(std::ceil(height / m_square), 1.0, double{kMostSquares}));
    }
    m_head.assign(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows), kEnd);
    m_tail = m_head;
}

int32_t BoxGrid::Column(double x) const { return SquareOf(x, m_origin.x, m_square, m_columns); }
int32_t BoxGrid::Row(double y) const { return SquareOf(y, m_origin.y, m_square, m_rows); }

void BoxGrid::Add(size_t id, const NRect& box)
{
    ++m_filed;
    const int32_t c0 = Column(box.pBot.x - 2.0 * EPS), c1 = Column(box.pTop.x + 2.0 * EPS);
    const int32_t r0 = Row(box.pBot.y - 2.0 * EPS), r1 = Row(box.pTop.y + 2.0 * EPS);
    if (!Finite(box) || c1 < c0 || r1 < r0 ||
        static_cast<int64_t>(c1 - c0 + 1) * static_cast<int64_t>(r1 - r0 + 1) > kLargeSquares) {
        m_large.push_back(id);
        return;
    }
    for (int32_t r = r0; r <= r1; ++r) {
        for (int32_t c = c0; c <= c1; ++c) {
            const size_t square = static_cast<size_t>(r) * static_cast<size_t>(m_columns) + static_cast<size_t>(c);
            const auto node = static_cast<uint32_t>(m_nodes.size());
            m_nodes.push_back({id, kEnd});
            if (m_tail[square] == kEnd)
                m_head[square] = node;
            else
                m_nodes[m_tail[square]].next = node;
            m_tail[square] = node;
        }
    }
}

const std::vector<size_t>& BoxGrid::Meeting(const NRect& box)
{
    m_found.assign(m_large.begin(), m_large.end());
    const int32_t c0 = Column(box.pBot.x - 2.0 * EPS), c1 = Column(box.pTop.x + 2.0 * EPS);
    const int32_t r0 = Row(box.pBot.y - 2.0 * EPS), r1 = Row(box.pTop.y + 2.0 * EPS);
    if (!Finite(box)) {
        for (const Node& node : m_nodes)
            m_found.push_back(node.id);
    } else {
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t c = c0; c <= c1; ++c)
                for (uint32_t k = *At(c, r); k != kEnd; k = m_nodes[k].next)
                    m_found.push_back(m_nodes[k].id);
    }
    std::sort(m_found.begin(), m_found.end());
    m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
    return m_found;
}
