// The check of linear_bench on the cutting-stock instances kept with the
// tests (Falkenauer T and U, Scholl): every plan is exact and uses the proven
// least number of bars. The full collection stays a benchmark.
#include "linear_instances.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace fs = std::filesystem;

TEST(LinearBench, KeptInstancesReachTheProvenOptimum)
{
    const fs::path dir = fs::path(NESTING_SOURCE_DIR) / "tests" / "data" / "cutting-stock";
    const std::map<std::string, long> optima = linear_instances::ReadOptima(dir / "optimum.txt");
    const std::vector<fs::path> files = linear_instances::InstanceFiles(dir);
    ASSERT_EQ(files.size(), optima.size());
    for (const fs::path& file : files) {
        linear_instances::Instance instance;
        std::string error;
        ASSERT_TRUE(linear_instances::ReadInstance(file, instance, error)) << error;
        ASSERT_EQ(optima.count(instance.name), 1u) << instance.name;
        const linear_instances::Outcome outcome = linear_instances::Solve(instance, 20261207);
        EXPECT_EQ(outcome.code, SimplexMethodSolver::Solved) << instance.name;
        EXPECT_TRUE(outcome.planValid) << instance.name;
        EXPECT_EQ(outcome.bars, optima.at(instance.name)) << instance.name;
    }
}

// Many distinct lengths (the generated families of the benchmark, up to the
// 2,000 lengths of a large job list, many pieces just over a third or a half
// of the bar among them, or most of them long, where the bound of the pieces'
// lengths alone stays bars below what can be reached): the solver ends with an exact plan,
// never at its iteration limit, at most one bar above the bound it proved;
// lengths of a sixth to a quarter of the bar, one piece each (a bar takes
// five of the shorter ones only), with a third of the work, at most as many
// bars above as given; with little work allowed it still ends with an exact
// plan, and its progress only grows.
TEST(LinearBench, SlowManyDistinctLengthsEndWithAPlanWithinOneBar)
{
    using linear_instances::GeneratedInstance;
    const struct {
        linear_instances::Instance instance;
        double work;
        long above; // bars above the bound at most; -1: any
    } cases[] = {{GeneratedInstance(1), 1.0, 1}, {GeneratedInstance(0, 1000), 1.0, 1},
                 {GeneratedInstance(1, 1000, "third"), 1.0, 1}, {GeneratedInstance(1, 1000, "half"), 1.0, 1},
                 {GeneratedInstance(1, 2000, "short"), 1.0, 1}, {GeneratedInstance(0, 500, "long"), 1.0, 1},
                 {GeneratedInstance(0, 1000, "sixth"), 0.3, 0}, {GeneratedInstance(0, 5000, "sixth"), 0.3, 2},
                 {GeneratedInstance(2), 0.01, -1}};
    for (const auto& [instance, work, above] : cases) {
        SCOPED_TRACE(instance.name);
        SimplexMethodSolver solver;
        solver.SetRandomSeed(20261207);
        solver.SetWorkScale(work);
        std::vector<double> progress;
        solver.SetProgress([&](double percent) { progress.push_back(percent); });
        solver.Init(instance.details, 0.0, instance.barLength, 0.0);
        ASSERT_EQ(solver.RunCalculate(instance.details), SimplexMethodSolver::Solved);
        const MapLayout plan = solver.ReduceResultToDiscreteValues(instance.details);
        long bars = 0;
        EXPECT_TRUE(linear_instances::CheckPlan(instance.details, instance.barLength, plan, bars));
        const double bound = std::ceil(solver.LowerBound() - 1e-6);
        EXPECT_GE(bars, bound);
        if (above >= 0) {
            EXPECT_LE(bars, bound + above);
        }
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_TRUE(progress.empty() || progress.back() < 100.0);
    }
}
