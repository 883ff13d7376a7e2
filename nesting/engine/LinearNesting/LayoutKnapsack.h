// The pricing step of the cutting-stock solver: the bar layout of greatest
// total price (a bounded knapsack over real lengths).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct KnapsackItem {
    double value = 0.0;   // price of one piece
    double length = 0.0;  // length of one piece
    int32_t maxCount = 0; // pieces allowed at most
};

struct KnapsackResult {
    // Counts per item (in the items' order) of greatest total value whose
    // total length stays within the capacity, and that value. When no layout
    // exceeds the threshold, a layout that does not (all zeros when nothing
    // better was met).
    std::vector<int32_t> counts;
    double value = 0.0;
    // Whether the search ran to its end (false when it stopped at its node
    // budget, so that a better layout may exist).
    bool complete = true;
    // Further layouts above the threshold met on the way, best first, at
    // most as many as asked for.
    std::vector<std::vector<int32_t>> others;
};

// Only values above `threshold` matter: branches that cannot exceed it are
// not searched.
KnapsackResult SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                             size_t others = 0);
