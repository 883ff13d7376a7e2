#include "engine/LinearNesting/LayoutKnapsack.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace {

// Search nodes allowed per call; past it the best layout found so far is
// returned.
constexpr size_t NodeBudget = 1'000'000;
// Work of a search node and of a table cell, in about nanoseconds.
constexpr double NodeWork = 15.0;
constexpr double CellWork = 1.0;
// The largest table (cells of the length grid times pieces' binary parts)
// dynamic programming takes on.
constexpr double LargestTable = 2e7;
// A length is on a grid when it is within this share of a step from it.
constexpr double GridTolerance = 1e-7;

// The number of steps of 1/`scale` in `length`, or -1 when it is not a
// whole number of them.
long long OnGrid(double length, double scale)
{
    const double steps = length * scale;
    const double whole = std::round(steps);
    return std::fabs(steps - whole) <= GridTolerance * std::max(1.0, whole) ? static_cast<long long>(whole) : -1;
}

// The greatest value within the capacity by dynamic programming over a grid
// of lengths; false (and nothing changed) when no grid fits or the table is
// too large. Each item's pieces are split into binary parts (1, 2, 4, ...),
// so that an item allowed many pieces costs a few rows of the table. With
// `sizeOnly`, only the table's cells are given, in `result.work`.
bool SolveOnGrid(const std::vector<KnapsackItem>& items, double capacity, KnapsackResult& result, bool sizeOnly)
{
    std::vector<size_t> taking;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].value > 0.0 && items[i].length > 0.0 && items[i].maxCount > 0 && items[i].length <= capacity)
            taking.push_back(i);
    for (const double scale : {1.0, 10.0, 100.0, 1000.0}) {
        std::vector<long long> steps;
        for (size_t i : taking) {
            steps.push_back(OnGrid(items[i].length, scale));
            if (steps.back() <= 0)
                break;
        }
        if (steps.size() != taking.size() || (!steps.empty() && steps.back() <= 0))
            continue;
        // The capacity may carry a tolerance above its grid value.
        const long long room = static_cast<long long>(std::floor(capacity * scale + GridTolerance));
        struct Part {
            size_t item;
            int32_t pieces;
            long long length;
            double value;
        };
        std::vector<Part> parts;
        for (size_t p = 0; p < taking.size(); ++p) {
            const KnapsackItem& item = items[taking[p]];
            long long left = std::min<long long>(item.maxCount, room / steps[p]);
            for (long long part = 1; left > 0; part *= 2) {
                const long long pieces = std::min(part, left);
                parts.push_back({taking[p], static_cast<int32_t>(pieces), pieces * steps[p], pieces * item.value});
                left -= pieces;
            }
        }
        const double cells = static_cast<double>(room + 1) * static_cast<double>(parts.size());
        if (cells > LargestTable)
            return false;
        if (sizeOnly) {
            result.work = cells * CellWork;
            return true;
        }
        const size_t width = static_cast<size_t>(room) + 1;
        std::vector<double> best(width, 0.0);
        std::vector<char> taken(parts.size() * width, 0);
        for (size_t k = 0; k < parts.size(); ++k) {
            const size_t length = static_cast<size_t>(parts[k].length);
            char* take = &taken[k * width];
            for (size_t c = width; c-- > length;) {
                const double value = best[c - length] + parts[k].value;
                if (value > best[c]) {
                    best[c] = value;
                    take[c] = 1;
                }
            }
        }
        result.counts.assign(items.size(), 0);
        size_t c = width - 1;
        for (size_t k = parts.size(); k-- > 0;) {
            if (taken[k * width + c]) {
                result.counts[parts[k].item] += parts[k].pieces;
                c -= static_cast<size_t>(parts[k].length);
            }
        }
        result.value = 0.0;
        for (size_t i = 0; i < items.size(); ++i)
            result.value += result.counts[i] * items[i].value;
        result.complete = true;
        result.work = cells * CellWork;
        return true;
    }
    return false;
}

// Depth-first branch and bound: items by falling price per unit of length,
// the most pieces first, each branch cut when its bound (the rest of the bar
// filled greedily by price density with fractions of pieces allowed, each
// item at most its count) cannot beat the best layout found, or the
// threshold.
class KnapsackSearch {
public:
    KnapsackSearch(const std::vector<KnapsackItem>& items, double capacity, double threshold, size_t others,
                   size_t nodeBudget)
        : m_current(items.size(), 0), m_threshold(threshold), m_others(others), m_nodeBudget(nodeBudget)
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
        m_result.complete = m_nodes < m_nodeBudget;
        m_result.work = static_cast<double>(m_nodes) * NodeWork;
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
        if (pos == m_order.size() || room < m_shortest[pos] || m_nodes >= m_nodeBudget)
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
    const size_t m_nodeBudget;
    size_t m_nodes = 0;
};

} // namespace

KnapsackResult SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                             size_t others)
{
    // The search first, when it ends within the time the table would take
    // (prices of distinct densities prune it at once); else the table.
    KnapsackResult table;
    if (SolveOnGrid(items, capacity, table, true)) {
        const size_t nodes = static_cast<size_t>(table.work / NodeWork) + 1;
        KnapsackSearch quick(items, capacity, threshold, others, nodes);
        if (quick.Result().complete)
            return std::move(quick.Result());
        const double spent = quick.Result().work;
        SolveOnGrid(items, capacity, table, false);
        table.work += spent;
        return table;
    }
    KnapsackSearch search(items, capacity, threshold, others, NodeBudget);
    return std::move(search.Result());
}
