// Helpers shared by the linear cutting-stock tests.
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"

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

// True when every bar of `plan` fits `barLength`, every number of bars is a
// positive whole number, no layout is empty and the pieces meet every demand
// exactly.
inline bool IsExactPlan(const std::vector<Detail>& details, double barLength, const MapLayout& plan)
{
    std::vector<long> cut(details.size(), 0);
    for (const auto& [layout, number] : plan) {
        if (layout.size() != details.size() || number < 1.0 || number != static_cast<long>(number))
            return false;
        double length = 0.0;
        long pieces = 0;
        for (size_t j = 0; j < layout.size(); ++j) {
            length += layout[j] * details[j].length;
            pieces += layout[j];
            cut[j] += layout[j] * static_cast<long>(number);
        }
        if (pieces <= 0 || length > barLength + 1e-6)
            return false;
    }
    for (size_t j = 0; j < details.size(); ++j)
        if (cut[j] != details[j].count)
            return false;
    return true;
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
