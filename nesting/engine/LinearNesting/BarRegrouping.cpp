#include "engine/LinearNesting/BarRegrouping.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

// A group takes the emptiest bars until they leave this many bars free (at
// most MostEmptiest of them, drawn from the Candidates emptiest, each passed
// over one time in SkipOneIn so that groups vary), then RandomBars bars drawn
// from the whole plan, as long as it holds no more than MostLengths lengths.
constexpr double FreeBars = 1.05;
constexpr size_t MostEmptiest = 24;
constexpr size_t Candidates = 64;
constexpr uint32_t SkipOneIn = 4;
constexpr size_t RandomBars = 12;
constexpr size_t MostLengths = 150;
// Groups in a row that bring no bar less before the improvement gives up.
constexpr size_t StallGroups = 400;
// The bookkeeping of one group, per group of equal bars in the plan, in
// about nanoseconds.
constexpr double WorkPerGroup = 20.0;

} // namespace

BarRegrouping::BarRegrouping(const std::vector<Detail>& details, double capacity, const MapLayout& plan)
    : m_details(details), m_capacity(capacity)
{
    for (const auto& [layout, number] : plan) {
        Pieces pieces;
        for (size_t j = 0; j < layout.size(); ++j)
            if (layout[j] > 0)
                pieces.emplace_back(static_cast<uint32_t>(j), layout[j]);
        Add(pieces, static_cast<int64_t>(number));
    }
}

double BarRegrouping::Load(const Pieces& pieces) const
{
    double load = 0.0;
    for (const auto& [j, count] : pieces)
        load += count * m_details[j].length;
    return load;
}

void BarRegrouping::Add(const Pieces& pieces, int64_t bars)
{
    if (pieces.empty() || bars <= 0)
        return;
    m_bars += static_cast<double>(bars);
    if (const auto found = m_index.find(pieces); found != m_index.end()) {
        m_groups[found->second].bars += bars;
        return;
    }
    size_t g = m_groups.size();
    if (!m_unused.empty()) {
        g = m_unused.back();
        m_unused.pop_back();
    } else {
        m_groups.emplace_back();
    }
    m_groups[g] = {pieces, Load(pieces), bars};
    m_index.emplace(pieces, g);
}

void BarRegrouping::Remove(size_t g, int64_t bars)
{
    m_groups[g].bars -= bars;
    m_bars -= static_cast<double>(bars);
    if (m_groups[g].bars == 0) {
        m_index.erase(m_groups[g].pieces);
        m_unused.push_back(g);
    }
}

MapLayout BarRegrouping::Plan() const
{
    MapLayout plan;
    for (const Group& group : m_groups) {
        if (group.bars <= 0)
            continue;
        Layout layout(m_details.size(), 0);
        for (const auto& [j, count] : group.pieces)
            layout[j] = count;
        plan[layout] += static_cast<double>(group.bars);
    }
    return plan;
}

double BarRegrouping::Improve(double target, uint32_t seed, const PlanGroup& planGroup, const Stop& stop)
{
    std::mt19937 generator(seed);
    double work = 0.0;
    for (size_t since = 0; m_bars > target + 0.5 && since < StallGroups; ++since) {
        const double bookkeeping = WorkPerGroup * static_cast<double>(m_groups.size());
        work += bookkeeping;
        if (stop(bookkeeping))
            break;
        // The bars of the group, as (group, bars taken), and its lengths.
        std::vector<std::pair<size_t, int64_t>> taken;
        std::map<uint32_t, int64_t> pieces;
        double free = 0.0;
        size_t bars = 0;
        auto take = [&](size_t g) {
            auto found = std::find_if(taken.begin(), taken.end(), [&](const auto& t) { return t.first == g; });
            if (found == taken.end())
                found = taken.insert(taken.end(), {g, 0});
            if (found->second >= m_groups[g].bars)
                return false;
            ++found->second;
            for (const auto& [j, count] : m_groups[g].pieces)
                pieces[j] += count;
            free += m_capacity - m_groups[g].load;
            ++bars;
            return true;
        };

        std::vector<size_t> order;
        for (size_t g = 0; g < m_groups.size(); ++g)
            if (m_groups[g].bars > 0)
                order.push_back(g);
        const size_t candidates = std::min(Candidates, order.size());
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(candidates), order.end(),
                          [&](size_t a, size_t b) {
                              return m_groups[a].load != m_groups[b].load ? m_groups[a].load < m_groups[b].load : a < b;
                          });
        auto room = [&](size_t most) { return bars < most && pieces.size() < MostLengths; };
        for (size_t c = 0; c < candidates && free < FreeBars * m_capacity && room(MostEmptiest); ++c) {
            const size_t g = order[c];
            for (int64_t b = 0; b < m_groups[g].bars && free < FreeBars * m_capacity && room(MostEmptiest); ++b)
                if (generator() % SkipOneIn != 0)
                    take(g);
        }
        std::vector<double> upTo; // bars of the groups so far
        double all = 0.0;
        for (const Group& group : m_groups)
            upTo.push_back(all += static_cast<double>(group.bars));
        for (size_t r = 0, most = bars + RandomBars; r < 2 * RandomBars && room(most); ++r) {
            const double at = std::uniform_real_distribution<double>(0.0, all)(generator);
            const size_t g = static_cast<size_t>(std::upper_bound(upTo.begin(), upTo.end(), at) - upTo.begin());
            if (g < m_groups.size())
                take(g);
        }
        if (bars < 2)
            continue;

        std::vector<Detail> group;
        std::vector<uint32_t> index;
        for (const auto& [j, count] : pieces) {
            group.push_back({m_details[j].name, m_details[j].length, static_cast<int32_t>(count)});
            index.push_back(j);
        }
        double workOfGroup = 0.0;
        const MapLayout plan = planGroup(group, generator(), workOfGroup);
        work += workOfGroup;
        double newBars = 0.0;
        double newSquares = 0.0;
        double oldSquares = 0.0;
        for (const auto& [layout, number] : plan) {
            double load = 0.0;
            for (size_t k = 0; k < layout.size(); ++k)
                load += layout[k] * group[k].length;
            newBars += number;
            newSquares += number * load * load;
        }
        for (const auto& [g, count] : taken)
            oldSquares += static_cast<double>(count) * m_groups[g].load * m_groups[g].load;
        const double oldBars = static_cast<double>(bars);
        if (plan.empty() || newBars > oldBars || (newBars == oldBars && newSquares <= oldSquares * (1.0 + 1e-12)))
            continue;
        for (const auto& [g, count] : taken)
            Remove(g, count);
        for (const auto& [layout, number] : plan) {
            Pieces bar;
            for (size_t k = 0; k < layout.size(); ++k)
                if (layout[k] > 0)
                    bar.emplace_back(index[k], layout[k]);
            Add(bar, static_cast<int64_t>(number));
        }
        if (newBars < oldBars) {
            since = 0;
        }
    }
    return work;
}
