// Helpers shared by the linear cutting-stock tests.
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"
#include "linear_instances.h"

#include <string>
#include <vector>

namespace linear_test {

inline Detail MakeDetail(const std::wstring& name, double length, int32_t count)
{
    return Detail{name, length, count};
}

// Bars of the fractional solution.
inline double SumOfBars(const MapLayout& layouts)
{
    double sum = 0.0;
    for (const auto& [layout, number] : layouts)
        sum += number;
    return sum;
}

inline bool IsExactPlan(const std::vector<Detail>& details, double barLength, const MapLayout& plan)
{
    long bars = 0;
    return linear_instances::CheckPlan(details, barLength, plan, bars);
}

// Solves, rounds and returns the plan; `code` receives RunCalculate's code.
inline MapLayout SolveAndRound(SimplexMethodSolver& solver, const std::vector<Detail>& details,
                               double barLength, size_t& code)
{
    solver.SetRandomSeed(7);
    solver.Init(details, 0.0, barLength, 0.0);
    code = solver.RunCalculate(details);
    return code == SimplexMethodSolver::Solved ? solver.ReduceResultToDiscreteValues(details) : MapLayout{};
}

} // namespace linear_test
