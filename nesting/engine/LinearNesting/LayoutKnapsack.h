// The pricing step of the cutting-stock solver: the bar layout of greatest
// total price (a bounded knapsack over real lengths).
#pragma once

#include <cstdint>
#include <vector>

struct KnapsackItem {
    double value = 0.0;   // price of one piece
    double length = 0.0;  // length of one piece
    int32_t maxCount = 0; // pieces allowed at most
};

// Counts per item (in the items' order) of greatest total value whose total
// length stays within `capacity`; `value` receives that total. Only values
// above `threshold` matter: when no layout exceeds it, the result is one that
// does not (all zeros when nothing better was met). `complete`, when given,
// tells whether the search ran to its end (false when it stopped at its
// node budget, so that a better layout may exist).
std::vector<int32_t> SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                                   double& value, bool* complete = nullptr);
