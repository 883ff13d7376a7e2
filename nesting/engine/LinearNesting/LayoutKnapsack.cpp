#include "engine/LinearNesting/LayoutKnapsack.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Search nodes allowed per call; past it the best layout found so far is
// returned.
constexpr size_t NodeBudget = 1'000'000;

// Depth-first branch and bound: items by falling price per unit of length,
// the most pieces first, each branch cut when even filling the rest of the
// bar at the current price density cannot beat the best layout found, or the
// threshold.
class KnapsackSearch {
public:
    KnapsackSearch(const std::vector<KnapsackItem>& items, double capacity, double threshold)
        : m_items(items), m_current(items.size(), 0), m_best(items.size(), 0), m_threshold(threshold)
    {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].value > 0.0 && items[i].length > 0.0 && items[i].maxCount > 0)
                m_order.push_back(i);
        std::stable_sort(m_order.begin(), m_order.end(), [&](size_t a, size_t b) {
            return items[a].value * items[b].length > items[b].value * items[a].length;
        });
        m_shortest.assign(m_order.size() + 1, std::numeric_limits<double>::infinity());
        for (size_t p = m_order.size(); p-- > 0;)
            m_shortest[p] = std::min(m_shortest[p + 1], items[m_order[p]].length);
        Search(0, capacity, 0.0);
    }

    const std::vector<int32_t>& Best() const { return m_best; }
    double BestValue() const { return m_bestValue; }
    bool Complete() const { return m_nodes < NodeBudget; }

private:
    void Search(size_t pos, double room, double value)
    {
        if (value > m_bestValue) {
            m_bestValue = value;
            m_best = m_current;
        }
        // Items too long for what is left take no part.
        while (pos < m_order.size() && m_items[m_order[pos]].length > room)
            ++pos;
        if (pos == m_order.size() || room < m_shortest[pos] || m_nodes >= NodeBudget)
            return;
        ++m_nodes;
        const KnapsackItem& item = m_items[m_order[pos]];
        if (value + room * item.value / item.length <= std::max(m_bestValue * (1.0 + 1e-12), m_threshold))
            return;
        const double fit = std::floor(room / item.length);
        const int32_t most = static_cast<int32_t>(std::min<double>(fit, item.maxCount));
        int32_t& count = m_current[m_order[pos]];
        for (count = most; count >= 0; --count)
            Search(pos + 1, room - count * item.length, value + count * item.value);
        count = 0;
    }

    const std::vector<KnapsackItem>& m_items;
    std::vector<size_t> m_order;
    std::vector<double> m_shortest; // the shortest item from each position of m_order on
    std::vector<int32_t> m_current;
    std::vector<int32_t> m_best;
    const double m_threshold;
    double m_bestValue = 0.0;
    size_t m_nodes = 0;
};

} // namespace

std::vector<int32_t> SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                                   double& value, bool* complete)
{
    const KnapsackSearch search(items, capacity, threshold);
    value = search.BestValue();
    if (complete)
        *complete = search.Complete();
    return search.Best();
}
