// The cutting-stock solver against GLPK on small random instances whose
// layouts can all be listed: the programme's optimum must match GLPK's, and
// the whole-bar plan must be exact and never use fewer bars than GLPK's
// integer optimum.
#include "engine/LinearNesting/DetailPacker.h"
#include "engine/LinearNesting/SimplexMethodSolver.h"

#include "linear_test_support.h"

#include <glpk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

using linear_test::IsExactPlan;
using linear_test::MakeDetail;
using linear_test::SolveAndRound;
using linear_test::SumOfBars;

namespace {

struct Instance {
    std::vector<Detail> details;
    double barLength = 0.0;
};

Instance RandomInstance(std::mt19937& generator)
{
    Instance instance;
    instance.barLength = std::uniform_int_distribution<int>(10, 24)(generator);
    const int types = std::uniform_int_distribution<int>(1, 6)(generator);
    for (int i = 0; i < types; ++i) {
        const double length = std::uniform_int_distribution<int>(2, static_cast<int>(instance.barLength) - 1)(generator) + 0.5 * (i % 2);
        const int count = std::uniform_int_distribution<int>(1, 9)(generator);
        instance.details.push_back(MakeDetail(std::wstring(1, static_cast<wchar_t>(L'A' + i)), length, count));
    }
    return instance;
}

// Every layout within the demand, listed by the detail packer.
std::vector<Layout> AllLayouts(const Instance& instance)
{
    DetailPacker packer;
    std::vector<Layout> layouts;
    for (const Combination& combination : packer.GetUniqueCombinations(instance.details, instance.barLength)) {
        Layout layout(instance.details.size(), 0);
        for (const Detail& piece : combination)
            ++layout[piece.name[0] - L'A'];
        bool withinDemand = true;
        for (size_t j = 0; j < layout.size(); ++j)
            withinDemand = withinDemand && layout[j] <= instance.details[j].count;
        if (withinDemand)
            layouts.push_back(layout);
    }
    return layouts;
}

// Least number of bars by GLPK: the programme's optimum, or the integer one.
double GlpkBars(const Instance& instance, const std::vector<Layout>& layouts, bool integer)
{
    glp_term_out(GLP_OFF);
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MIN);
    const int rows = static_cast<int>(instance.details.size());
    const int cols = static_cast<int>(layouts.size());
    glp_add_rows(lp, rows);
    for (int i = 0; i < rows; ++i)
        glp_set_row_bnds(lp, i + 1, GLP_FX, instance.details[i].count, instance.details[i].count);
    glp_add_cols(lp, cols);
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (int k = 0; k < cols; ++k) {
        glp_set_col_bnds(lp, k + 1, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp, k + 1, 1.0);
        if (integer)
            glp_set_col_kind(lp, k + 1, GLP_IV);
        for (int i = 0; i < rows; ++i) {
            if (layouts[k][i] == 0)
                continue;
            ia.push_back(i + 1);
            ja.push_back(k + 1);
            ar.push_back(layouts[k][i]);
        }
    }
    glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp simplex;
    glp_init_smcp(&simplex);
    glp_simplex(lp, &simplex);
    double bars = glp_get_obj_val(lp);
    if (integer) {
        glp_iocp options;
        glp_init_iocp(&options);
        glp_intopt(lp, &options);
        bars = glp_mip_obj_val(lp);
    }
    glp_delete_prob(lp);
    return bars;
}

} // namespace

TEST(LinearSolverOracle, MatchesGlpkOnSmallInstances)
{
    std::mt19937 generator(2026);
    int atOptimum = 0;
    constexpr int Instances = 300;
    for (int t = 0; t < Instances; ++t) {
        const Instance instance = RandomInstance(generator);
        SimplexMethodSolver solver;
        size_t code = 99;
        const MapLayout plan = SolveAndRound(solver, instance.details, instance.barLength, code);
        const std::vector<Layout> layouts = AllLayouts(instance);
        SCOPED_TRACE(::testing::Message() << "instance " << t << ", bar " << instance.barLength);
        ASSERT_EQ(code, SimplexMethodSolver::Solved);
        EXPECT_NEAR(SumOfBars(solver.GetResult()), GlpkBars(instance, layouts, false), 1e-6);
        EXPECT_TRUE(IsExactPlan(instance.details, instance.barLength, plan));
        const double best = GlpkBars(instance, layouts, true);
        EXPECT_GE(SumOfBars(plan), best);
        atOptimum += SumOfBars(plan) == best;
    }
    // The bounded search over roundings reaches the integer optimum on all of them.
    EXPECT_EQ(atOptimum, Instances);
}

// Too many layouts to list for the solver (it starts from random layouts and
// prices the rest in), but few enough for GLPK to take them all.
TEST(LinearSolverOracle, PricedLayoutsReachGlpkOptimum)
{
    std::mt19937 generator(77);
    for (int t = 0; t < 3; ++t) {
        Instance instance;
        instance.barLength = 80;
        for (int i = 0; i < 8; ++i) {
            const int count = std::uniform_int_distribution<int>(2, 9)(generator);
            instance.details.push_back(
                MakeDetail(std::wstring(1, static_cast<wchar_t>(L'A' + i)), 7 + i + 0.25 * t, count));
        }
        SimplexMethodSolver solver;
        solver.Init(instance.details, 0, instance.barLength, 0);
        ASSERT_FALSE(solver.CreateAllCombinations(instance.details));
        size_t code = 99;
        const MapLayout plan = SolveAndRound(solver, instance.details, instance.barLength, code);
        ASSERT_EQ(code, SimplexMethodSolver::Solved);
        const double optimum = GlpkBars(instance, AllLayouts(instance), false);
        EXPECT_NEAR(SumOfBars(solver.GetResult()), optimum, 1e-6);
        EXPECT_TRUE(IsExactPlan(instance.details, instance.barLength, plan));
        EXPECT_EQ(SumOfBars(plan), std::ceil(optimum - 1e-6));
    }
}
