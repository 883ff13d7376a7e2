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
    // The work the search took, in about nanoseconds of this machine.
    double work = 0.0;
};

// Only values above `threshold` matter: branches that cannot exceed it are
// not searched. When every length and the capacity are whole multiples of a
// common step (a millimetre, or a tenth, hundredth or thousandth of one) and
// the table is small, the best layout comes from dynamic programming over
// that grid of lengths, which takes the same time however alike the prices
// are; otherwise from a branch and bound search.
KnapsackResult SolveKnapsack(const std::vector<KnapsackItem>& items, double capacity, double threshold,
                             size_t others = 0);
