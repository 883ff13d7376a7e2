// Improves a plan of many bars where no programme over all the lengths can
// be solved in time: again and again a small group of its bars (the emptiest
// ones, until they leave more than a bar free, and a few drawn at random) is
// planned anew as a job of its own, and the group's new bars replace the old
// ones when they are fewer, or as many but fuller at the top (the free length
// gathered in fewer bars, so that a later group can empty one). Bars are kept
// as groups of equal bars, so that counts may be large.
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <vector>

class BarRegrouping {
public:
    // Plans `details` (a group's pieces) with the seed given; returns the plan
    // (empty when none) and adds the work it took to `work`.
    using PlanGroup = std::function<MapLayout(const std::vector<Detail>& details, uint32_t seed, double& work)>;
    // Called with the work done so far; true stops the improvement.
    using Stop = std::function<bool(double work)>;

    using Pieces = std::vector<std::pair<uint32_t, int32_t>>; // detail, pieces; by detail

    BarRegrouping(const std::vector<Detail>& details, double capacity, const MapLayout& plan = {});
    // Adds `bars` bars that each hold `pieces`.
    void Add(const Pieces& pieces, int64_t bars);

    // Regroups until the plan has `target` bars, `stop` says so, or so many
    // groups in a row brought no bar less; returns the work done.
    double Improve(double target, uint32_t seed, const PlanGroup& planGroup, const Stop& stop);

    double Bars() const { return m_bars; }
    MapLayout Plan() const;

private:
    struct Group {
        Pieces pieces;
        double load = 0.0;
        int64_t bars = 0;
    };

    void Remove(size_t g, int64_t bars);
    double Load(const Pieces& pieces) const;

    const std::vector<Detail>& m_details;
    const double m_capacity;
    std::vector<Group> m_groups;
    std::map<Pieces, size_t> m_index; // the group of each bar that has bars
    std::vector<size_t> m_unused;     // groups without bars
    double m_bars = 0.0;
};
