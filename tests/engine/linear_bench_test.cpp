// The check of linear_bench on the cutting-stock instances kept with the
// tests (Falkenauer T and U, Scholl): every plan is exact and uses the proven
// least number of bars. The full collection stays a benchmark.
#include "linear_instances.h"

#include <gtest/gtest.h>

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

// Many distinct lengths (the generated family of the benchmark): the solver
// ends with an exact plan, never at its iteration limit.
TEST(LinearBench, ManyDistinctLengthsEndWithAPlan)
{
    const linear_instances::Instance instance = linear_instances::GeneratedInstance(1);
    ASSERT_GE(instance.details.size(), 130u);
    const linear_instances::Outcome outcome = linear_instances::Solve(instance, 20261207);
    EXPECT_EQ(outcome.code, SimplexMethodSolver::Solved);
    EXPECT_TRUE(outcome.planValid);
    EXPECT_GE(outcome.bars, std::ceil(outcome.lpBars - 1e-6));
}
