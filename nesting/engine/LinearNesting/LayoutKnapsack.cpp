#include "engine/LinearNesting/LayoutKnapsack.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace {

// Search nodes allowed per call; past it the best layout found so far is
// returned.
constexpr size_t NodeBudget = 1'000'000;

// Depth-first branch and bound: items by falling price per unit of length,
// the most pieces first, each branch cut when its bound (the rest of the bar
// filled greedily by price density with fractions of pieces allowed, each
// item at most its count) cannot beat the best layout found, or the
// threshold.
class KnapsackSearch {
public:
    KnapsackSearch(const std::vector<KnapsackItem>& items, double capacity, double threshold, size_t others)
        : m_current(items.size(), 0), m_threshold(threshold), m_others(others)
    {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].value > 0.0 && items[i].length > 0.0 && items[i].maxCount > 0)
                m_order.push_back(i);
        std::stable_sort(m_order.begin(), m_order.end(), [&](size_t a, size_t b) {
            return items[a].value * items[b].length > items[b].value * items[a].length;
        });
        for (size_t i : m_order) {
            m_value.push_back(items[i].value);
            m_length.push_back(items[i].length);
            m_count.push_back(items[i].maxCount);
        }
        m_shortest.assign(m_order.size() + 1, std::numeric_limits<double>::infinity());
        for (size_t p = m_order.size(); p-- > 0;)
            m_shortest[p] = std::min(m_shortest[p + 1], m_length[p]);
        m_result.counts = m_current;
        Search(0, capacity, 0.0);
        m_result.complete = m_nodes < NodeBudget;
        // The layouts kept are the best ones met, the best last.
        if (!m_kept.empty())
            m_kept.pop_back();
        m_result.others.assign(m_kept.rbegin(), m_kept.rend());
    }

    KnapsackResult& Result() { return m_result; }

private:
    // The greatest value of the rest with fractions of pieces allowed; items
    // longer than the room at this node can take no part in it.
    double Bound(size_t pos, double room, double value) const
    {
        double left = room;
        for (size_t p = pos; p < m_order.size() && left > 0.0; ++p) {
            if (m_length[p] > room)
                continue;
            const double pieces = std::min<double>(m_count[p], left / m_length[p]);
            value += pieces * m_value[p];
            left -= pieces * m_length[p];
        }
        return value;
    }

    void Search(size_t pos, double room, double value)
    {
        if (value > m_result.value) {
            m_result.value = value;
            m_result.counts = m_current;
            if (m_others > 0 && value > m_threshold) {
                m_kept.push_back(m_current);
                if (m_kept.size() > m_others + 1)
                    m_kept.pop_front();
            }
        }
        while (pos < m_order.size() && m_length[pos] > room)
            ++pos;
        if (pos == m_order.size() || room < m_shortest[pos] || m_nodes >= NodeBudget)
            return;
        ++m_nodes;
        const double beat = std::max(m_result.value * (1.0 + 1e-12), m_threshold);
        // The bound at the best density first: cheap, and often enough.
        if (value + room * m_value[pos] / m_length[pos] <= beat || Bound(pos, room, value) <= beat)
            return;
        const int32_t most = static_cast<int32_t>(std::min<double>(std::floor(room / m_length[pos]), m_count[pos]));
        int32_t& count = m_current[m_order[pos]];
        for (count = most; count >= 0; --count)
            Search(pos + 1, room - count * m_length[pos], value + count * m_value[pos]);
        count = 0;
    }

    std::vector<size_t> m_order; // items taking part, by falling price density
    std::vector<double> m_value; // of the items in m_order
    std::vector<double> m_length;
    std::vector<int32_t> m_count;
    std::vector<double> m_shortest; // the shortest item from each position of m_order on
    std::vector<int32_t> m_current;
    const double m_threshold;
    const size_t m_others;
    std::deque<std::vector<int32_t>> m_kept;
    KnapsackResult m_result;
    size_t m_nodes = 0;
};

} // namespace

KnapsackResult SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                             size_t others)
{
    KnapsackSearch search(items, capacity, threshold, others);
    return std::move(search.Result());
}
