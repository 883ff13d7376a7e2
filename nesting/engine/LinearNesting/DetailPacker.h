// Lists every combination of details that fits into one stock bar, as lists
// of pieces (a detail repeated once per piece).
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"

#include <set>
#include <vector>

using Combination = std::vector<Detail>;

class DetailPacker {
public:
    void InitPacker(const std::vector<Detail>& details, double width, double length);

    // All distinct non-empty combinations no longer than `length`, ordered
    // piece by piece; empty when some detail has no positive length.
    std::vector<Combination> GetUniqueCombinations(const std::vector<Detail>& details, double length) const;

private:
    void FindCombinations(const std::vector<Detail>& details, double limit, int start, Combination& current,
                          double total, std::set<Combination>& combinations) const;

    double m_sheetLength = 0.0;
    double m_sheetWidht = 0.0;
    std::vector<Detail> m_details;
};
