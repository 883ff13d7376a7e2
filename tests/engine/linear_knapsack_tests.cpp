#include "engine/LinearNesting/LayoutKnapsack.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Best value by trying every count vector.
double BruteForce(const std::vector<KnapsackItem>& items, size_t i, double room)
{
    if (i == items.size())
        return 0.0;
    double best = 0.0;
    for (int32_t c = 0; c <= items[i].maxCount && c * items[i].length <= room; ++c)
        best = std::max(best, c * items[i].value + BruteForce(items, i + 1, room - c * items[i].length));
    return best;
}

} // namespace

TEST(LinearKnapsack, FindsTheLayoutOfGreatestPriceAboveTheThreshold)
{
    std::mt19937 generator(11);
    for (int t = 0; t < 300; ++t) {
        std::vector<KnapsackItem> items;
        const int size = std::uniform_int_distribution<int>(1, 6)(generator);
        for (int i = 0; i < size; ++i)
            items.push_back({std::uniform_real_distribution<double>(-0.2, 1.0)(generator),
                             static_cast<double>(std::uniform_int_distribution<int>(1, 12)(generator)),
                             std::uniform_int_distribution<int>(0, 5)(generator)});
        const double capacity = std::uniform_int_distribution<int>(5, 30)(generator);
        const KnapsackResult result = SolveKnapsack(items, capacity, 0.0, 2);
        const std::vector<int32_t>& counts = result.counts;
        const double value = result.value;
        ASSERT_EQ(counts.size(), items.size());
        double length = 0.0;
        double total = 0.0;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_GE(counts[i], 0);
            EXPECT_LE(counts[i], items[i].maxCount);
            length += counts[i] * items[i].length;
            total += counts[i] * items[i].value;
        }
        EXPECT_LE(length, capacity);
        EXPECT_NEAR(total, value, 1e-9);
        const double best = BruteForce(items, 0, capacity);
        EXPECT_NEAR(value, best, 1e-9) << "case " << t;
        // The other layouts met on the way fit too, and none beats the best.
        EXPECT_LE(result.others.size(), 2u);
        for (const std::vector<int32_t>& other : result.others) {
            double otherLength = 0.0;
            double otherValue = 0.0;
            for (size_t i = 0; i < items.size(); ++i) {
                EXPECT_LE(other[i], items[i].maxCount);
                otherLength += other[i] * items[i].length;
                otherValue += other[i] * items[i].value;
            }
            EXPECT_LE(otherLength, capacity);
            EXPECT_LT(otherValue, value);
        }

        // With a threshold the search only has to tell whether it is beaten.
        const double threshold = best * std::uniform_real_distribution<double>(0.5, 1.5)(generator);
        const double above = SolveKnapsack(items, capacity, threshold).value;
        if (best > threshold + 1e-9)
            EXPECT_NEAR(above, best, 1e-9) << "case " << t;
        else
            EXPECT_LE(above, threshold + 1e-9) << "case " << t;
    }
}
