// Cutting-stock instances for the linear solver's benchmark and its test on
// a subset: reading BPPLIB files and their proven optima, generating
// instances with many distinct lengths, solving one and checking the plan.
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace linear_instances {

struct Instance {
    std::string name;
    double barLength = 0.0;
    std::vector<Detail> details;
};

// One BPPLIB file: the number of distinct lengths, the bar length, then one
// "length demand" line per length. False with a message when it cannot be read.
bool ReadInstance(const std::filesystem::path& file, Instance& instance, std::string& error);
// optimum.txt: "instance lower upper" lines; only proven optima (lower ==
// upper) are kept.
std::map<std::string, long> ReadOptima(const std::filesystem::path& file);
// Every instance file under `dir`, sorted.
std::vector<std::filesystem::path> InstanceFiles(const std::filesystem::path& dir);

// Instance `index` of a family with 130-200 distinct lengths, as a user's
// job list gives them: bars of 6 m or 12 m, lengths in millimetres (every
// other instance to a tenth, as a cut gap makes them), demands 1-40.
// With `lengths`, instance `index` of a family with that many distinct
// lengths of 100-2900 mm to a tenth, demands 1-5, cut from bars of 6 m with
// a 3 mm cut, as the linear-nesting editor hands them to the solver (each
// length and the bar with the cut added). `spread` names another spread of
// lengths, with cuts of 0-5 mm in turn: "long" 1,500-3,500 mm, "third"
// many just over a third of the bar, "half" many just over half of it,
// "short" 20-800 mm, "any" 100-5,900 mm ("wide" is the default); "sixth"
// 1,000-1,500 mm (a sixth to a quarter of the bar), one piece each, 3 mm cut.
Instance GeneratedInstance(uint32_t index, size_t lengths = 0, const std::string& spread = {});
// The names of the spreads, "wide" first.
const std::vector<std::string>& SpreadNames();

// Instance `index` of four families made like published ones, in turn: 100
// or 120 pieces of 150-200 on bars of 1,000 (lengths close to each other);
// 57-239 pieces of 150-3,000 on bars of 10,000; 160-200 pieces of 1-800 or
// 200-800 on bars of 1,000 (hard to round); and 67 bars of 1,000 or 2,500
// each cut into three pieces of a quarter to a half of it without waste
// (triplets). The optimum is unknown but for the triplets (67 bars).
Instance LookalikeInstance(uint32_t index);

struct Outcome {
    size_t code = 0;        // RunCalculate's code
    long bars = 0;          // bars of the whole-bar plan
    bool planValid = false; // every bar fits and every demand is met exactly
    double lpBars = 0.0;    // bars of the fractional solution
    long bound = 0;         // the least number of bars the solver proved
    double ms = 0.0;
};

// Solves, rounds to whole bars and checks the plan; `seconds` is the
// solver's own time limit (none when 0).
Outcome Solve(const Instance& instance, uint32_t seed, double seconds = 0.0);

// True when every bar of `plan` fits `barLength`, every number of bars is a
// positive whole number, no layout is empty and the pieces meet every demand
// exactly; `bars` receives the number of bars.
bool CheckPlan(const std::vector<Detail>& details, double barLength, const MapLayout& plan, long& bars);

} // namespace linear_instances
