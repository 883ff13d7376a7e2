#include "engine/LinearNesting/DetailPacker.h"

#include <algorithm>

void DetailPacker::InitPacker(const std::vector<Detail>& details, double width, double length)
{
    m_details = details;
    m_sheetWidht = width;
    m_sheetLength = length;
}

std::vector<Combination> DetailPacker::GetUniqueCombinations(const std::vector<Detail>& details,
                                                             double length) const
{
    // A piece of no length would fit without end.
    if (std::any_of(details.begin(), details.end(), [](const Detail& d) { return !(d.length > 0.0); }))
        return {};
    std::set<Combination> combinations;
    Combination current;
    FindCombinations(details, length, 0, current, 0.0, combinations);
    return {combinations.begin(), combinations.end()};
}

// Pieces are added in the order of the details vector only, so each multiset
// of details is reached once per non-decreasing sequence of indices.
void DetailPacker::FindCombinations(const std::vector<Detail>& details, double limit, int start,
                                    Combination& current, double total,
                                    std::set<Combination>& combinations) const
{
    if (total > limit)
        return;
    if (!current.empty())
        combinations.insert(current);
    for (int i = start; i < static_cast<int>(details.size()); ++i) {
        current.push_back(details[i]);
        FindCombinations(details, limit, i, current, total + details[i].length, combinations);
        current.pop_back();
    }
}
