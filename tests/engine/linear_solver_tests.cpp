#include "engine/LinearNesting/BarBounds.h"
#include "engine/LinearNesting/PieceExchange.h"
#include "engine/LinearNesting/SimplexMethodSolver.h"

#include "linear_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

using linear_test::IsExactPlan;
using linear_test::MakeDetail;
using linear_test::SolveAndRound;
using linear_test::SumOfBars;

TEST(LinearDetail, OrdersByNameThenLengthIgnoringCount)
{
    EXPECT_TRUE(MakeDetail(L"A", 9, 1) < MakeDetail(L"B", 1, 1));
    EXPECT_TRUE(MakeDetail(L"A", 9, 1) < MakeDetail(L"AA", 1, 1)); // a proper prefix first
    EXPECT_TRUE(MakeDetail(L"A", 1, 5) < MakeDetail(L"A", 2, 1));
    EXPECT_FALSE(MakeDetail(L"A", 2, 1) < MakeDetail(L"A", 2, 9));
    EXPECT_FALSE(MakeDetail(L"A", 2, 9) < MakeDetail(L"A", 2, 1));
    EXPECT_TRUE(MakeDetail(L"Б", 1, 1) < MakeDetail(L"В", 1, 1));
}

// Stock 10, one detail of length 3 wanted 7 times: 7/3 bars of {3}, rounded to
// two bars of {3} and one bar holding the last piece.
TEST(LinearSolver, OneDetailIsSolvedAndRounded)
{
    const std::vector<Detail> details{MakeDetail(L"A", 3, 7)};
    SimplexMethodSolver solver;
    size_t code = 99;
    const MapLayout plan = SolveAndRound(solver, details, 10, code);
    ASSERT_EQ(code, SimplexMethodSolver::Solved);
    ASSERT_EQ(solver.GetResult().size(), 1u);
    EXPECT_NEAR(solver.GetResult().at({3}), 7.0 / 3.0, 1e-9);
    EXPECT_EQ(plan, (MapLayout{{{1}, 1.0}, {{3}, 2.0}}));
    // The fractional solution stays what the programme gave.
    EXPECT_NEAR(SumOfBars(solver.GetResult()), 7.0 / 3.0, 1e-9);
}

// A detail longer than the bar, a count below 0, a length not above 0 or
// none, a bar not above 0 or none: no result.
TEST(LinearSolver, LongDetailOrInvalidInputIsInfeasible)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Detail a = MakeDetail(L"A", 3, 2);
    const std::pair<std::vector<Detail>, double> jobs[] = {
        {{a, MakeDetail(L"B", 11, 1)}, 10}, {{a, MakeDetail(L"B", 2, -1)}, 10}, {{a, MakeDetail(L"B", 0, 1)}, 10},
        {{a, MakeDetail(L"B", -2, 1)}, 10}, {{a, MakeDetail(L"B", nan, 1)}, 10}, {{a}, 0.0}, {{a}, -10.0}, {{a}, nan}};
    for (const auto& [details, bar] : jobs) {
        SimplexMethodSolver solver;
        solver.Init(details, 0, bar, 0);
        EXPECT_EQ(solver.RunCalculate(details), SimplexMethodSolver::Infeasible) << details.back().length << " " << bar;
        EXPECT_TRUE(solver.GetResult().empty());
    }
}

// Every detail is covered by the enumeration: counts run up to the most a bar
// holds, a layout that fills the bar exactly is taken, and each detail has a
// layout of its own.
TEST(LinearSolver, EnumerationCoversEveryDetail)
{
    const std::vector<Detail> pair{MakeDetail(L"A", 4, 1), MakeDetail(L"B", 6, 1)};
    SimplexMethodSolver solver;
    size_t code = 99;
    const MapLayout plan = SolveAndRound(solver, pair, 10, code);
    ASSERT_EQ(code, SimplexMethodSolver::Solved);
    EXPECT_EQ(plan, (MapLayout{{{1, 1}, 1.0}}));
    EXPECT_TRUE(solver.GetLayouts().contains({1, 0}));
    EXPECT_TRUE(solver.GetLayouts().contains({0, 1}));

    // {3, 1} fills the bar exactly and takes the most pieces of A a bar holds.
    const std::vector<Detail> full{MakeDetail(L"A", 3, 6), MakeDetail(L"B", 1, 2)};
    SimplexMethodSolver enumerator;
    enumerator.Init(full, 0, 10, 0);
    ASSERT_TRUE(enumerator.CreateAllCombinations(full));
    EXPECT_TRUE(enumerator.GetLayouts().contains({3, 1}));
    EXPECT_TRUE(enumerator.GetLayouts().contains({0, 2}));
    for (const auto& [layout, value] : enumerator.GetLayouts())
        EXPECT_LE(layout[0] * 3 + layout[1] * 1, 10);
}

std::vector<Detail> ThirtyDetails()
{
    std::vector<Detail> details;
    for (int i = 0; i < 30; ++i)
        details.push_back(MakeDetail(L"D" + std::to_wstring(i), 11 + i, 4));
    return details;
}

// A run stopped by the iteration limit still ends with a plan: with any
// limit the solver either reaches the programme's optimum or falls back on
// its first-fit plan, and the rounded plan is exact either way. The small
// case stops in the first phase, the larger one (30 details, whose layouts
// come from pricing) also in the second.
TEST(LinearSolver, IterationLimitNeverLeavesAJobWithoutAPlan)
{
    const std::vector<Detail> small{MakeDetail(L"A", 6, 4), MakeDetail(L"B", 4, 9), MakeDetail(L"C", 3, 5)};
    const std::vector<std::pair<std::vector<Detail>, double>> cases{{small, 12}, {ThirtyDetails(), 100}};
    for (const auto& [details, bar] : cases) {
        SimplexMethodSolver reference;
        reference.SetRandomSeed(7);
        reference.Init(details, 0, bar, 0);
        ASSERT_EQ(reference.RunCalculate(details), SimplexMethodSolver::Solved);
        const double optimum = SumOfBars(reference.GetResult());
        size_t stopped = 0;
        for (size_t limit = 1; limit <= 120; limit += limit < 10 ? 1 : 10) {
            SimplexMethodSolver solver(1e-6, limit);
            size_t code = 99;
            const MapLayout plan = SolveAndRound(solver, details, bar, code);
            ASSERT_EQ(code, SimplexMethodSolver::Solved) << "limit " << limit;
            EXPECT_TRUE(IsExactPlan(details, bar, plan)) << "limit " << limit;
            EXPECT_GE(SumOfBars(plan), std::ceil(optimum - 1e-6)) << "limit " << limit;
            stopped += std::fabs(SumOfBars(solver.GetResult()) - optimum) > 1e-6;
        }
        EXPECT_GT(stopped, 0u);
    }
}

TEST(LinearSolver, NoDetailsOrNoDemandGiveAnEmptyResult)
{
    SimplexMethodSolver solver;
    size_t code = 99;
    EXPECT_TRUE(SolveAndRound(solver, {}, 10, code).empty());
    EXPECT_EQ(code, SimplexMethodSolver::Solved);
    EXPECT_TRUE(solver.GetResult().empty());

    const std::vector<Detail> unwanted{MakeDetail(L"A", 4, 0)};
    EXPECT_TRUE(SolveAndRound(solver, unwanted, 10, code).empty());
    EXPECT_EQ(code, SimplexMethodSolver::Solved);
}

// Too many layouts to list: random layouts (repeatable with a fixed seed)
// start the programme, and the pricing step still reaches the optimum.
TEST(LinearSolver, RandomLayoutsRepeatWithAFixedSeed)
{
    const std::vector<Detail> details = ThirtyDetails();
    SimplexMethodSolver first;
    first.Init(details, 0, 100, 0);
    EXPECT_FALSE(first.CreateAllCombinations(details));
    EXPECT_TRUE(first.GetLayouts().empty());

    first.SetRandomSeed(42);
    first.CreateRandomCombinations(details);
    SimplexMethodSolver second;
    second.Init(details, 0, 100, 0);
    second.SetRandomSeed(42);
    second.CreateRandomCombinations(details);
    EXPECT_FALSE(first.GetLayouts().empty());
    EXPECT_EQ(first.GetLayouts(), second.GetLayouts());
    for (const auto& [layout, rest] : first.GetLayouts()) {
        double length = 0.0;
        for (size_t j = 0; j < details.size(); ++j) {
            EXPECT_LE(layout[j], details[j].count);
            length += layout[j] * details[j].length;
        }
        EXPECT_LE(length, 100 + 1e-9);
        EXPECT_NEAR(rest, 100 - length, 1e-9);
    }

    size_t code = 99;
    const MapLayout plan = SolveAndRound(first, details, 100, code);
    ASSERT_EQ(code, SimplexMethodSolver::Solved);
    EXPECT_TRUE(IsExactPlan(details, 100, plan));
    EXPECT_GE(SumOfBars(plan), SumOfBars(first.GetResult()) - 1e-9);
}

namespace {

// Two instances of the Scholl collection (bar 120), as length and count.
const std::vector<std::pair<double, int32_t>> SchollN1C2W4N{
    {98, 1}, {96, 1}, {93, 1}, {92, 1}, {91, 3}, {90, 3}, {89, 2}, {88, 2}, {84, 1}, {82, 1},
    {77, 1}, {76, 2}, {75, 1}, {74, 1}, {73, 1}, {72, 1}, {69, 2}, {66, 1}, {65, 1}, {59, 2},
    {58, 1}, {57, 1}, {56, 1}, {54, 1}, {53, 1}, {52, 2}, {51, 2}, {49, 1}, {48, 1}, {47, 2},
    {46, 1}, {42, 1}, {41, 1}, {40, 1}, {39, 1}, {36, 1}, {35, 1}, {33, 1}};
const std::vector<std::pair<double, int32_t>> SchollN1C2W1R{
    {100, 1}, {99, 1}, {98, 1}, {96, 1}, {95, 2}, {92, 1}, {91, 1}, {87, 1}, {85, 2}, {84, 1},
    {78, 2}, {77, 1}, {76, 1}, {74, 1}, {69, 1}, {68, 1}, {67, 1}, {65, 1}, {64, 1}, {62, 1},
    {55, 1}, {52, 1}, {45, 1}, {43, 1}, {41, 1}, {40, 1}, {38, 1}, {33, 1}, {29, 1}, {27, 2},
    {26, 1}, {24, 3}, {23, 1}, {22, 2}, {21, 1}, {14, 1}, {13, 1}, {12, 1}, {10, 1}, {8, 1},
    {2, 1}, {1, 2}};

std::vector<Detail> DetailsOf(const std::vector<std::pair<double, int32_t>>& rows)
{
    std::vector<Detail> details;
    for (const auto& [length, count] : rows)
        details.push_back(MakeDetail(L"D" + std::to_wstring(details.size()), length, count));
    return details;
}

} // namespace

// Jobs rounded to an exact plan of the least bars, the programme's
// fractional bars where given: the second phase minimises them (75 units on
// bars of 12: 6.25); a demand row no layout touches (a detail longer than the
// bar, wanted 0 times) stays out of the pivoting instead of dividing by zero;
// a rounded-down solution that meets the demand stores no empty layout; a
// layout taken at two steps of the rounding (1.8 bars of {1, 2}, 0.4 of
// {3, 1}) is counted once with both numbers added; counts above 65535 do not
// overflow; where rounding down, or up at the largest fraction, misses the
// least bars by one, the search over roundings reaches them.
TEST(LinearSolver, RoundedPlansAreExactAndTakeTheLeastBars)
{
    const struct {
        const char* name;
        std::vector<Detail> details;
        double bar, programme, bars;  // programme: its fractional bars; < 0: not looked at
        MapLayout plan{};             // the plan itself, where given
    } cases[] = {
        {"second phase", {MakeDetail(L"A", 6, 4), MakeDetail(L"B", 4, 9), MakeDetail(L"C", 3, 5)}, 12, 6.25, 7},
        {"redundant row", {MakeDetail(L"A", 4, 5), MakeDetail(L"Long", 20, 0), MakeDetail(L"C", 2, 3)}, 10, 2.6, 3},
        {"no empty layout", {MakeDetail(L"A", 5, 4)}, 10, -1, 2, {{{2}, 2.0}}},
        {"a layout taken twice", {MakeDetail(L"A", 2, 3), MakeDetail(L"B", 4, 4)}, 11, 2.2, 3},
        {"a count above 65535", {MakeDetail(L"A", 1, 70000)}, 100000, -1, 1, {{{70000}, 1.0}}},
        {"counts above 65535", {MakeDetail(L"A", 1, 250000), MakeDetail(L"B", 30000, 3)}, 100000, -1, 4},
        {"Scholl N1C2W4_N", DetailsOf(SchollN1C2W4N), 120, -1, 32},
        {"Scholl N1C2W1_R", DetailsOf(SchollN1C2W1R), 120, -1, 23},
    };
    for (const auto& c : cases) {
        SimplexMethodSolver solver;
        size_t code = 99;
        const MapLayout plan = SolveAndRound(solver, c.details, c.bar, code);
        ASSERT_EQ(code, SimplexMethodSolver::Solved) << c.name;
        if (c.programme >= 0) {
            EXPECT_NEAR(SumOfBars(solver.GetResult()), c.programme, 1e-6) << c.name;
        }
        EXPECT_TRUE(IsExactPlan(c.details, c.bar, plan)) << c.name;
        EXPECT_EQ(SumOfBars(plan), c.bars) << c.name;
        if (!c.plan.empty()) {
            EXPECT_EQ(plan, c.plan) << c.name;
        }
    }
}

// The bounds that count what long pieces forbid: exact values on small jobs
// (a piece of exactly half a bar pairs with another), and on random jobs of
// pieces about a half, a third or a quarter of the bar never above the bars
// of an exact plan.
TEST(LinearSolver, DualFunctionBoundsCountLongPiecesAndNeverPassAPlan)
{
    const struct {
        std::vector<BarPieces> pieces;
        double bound;
    } cases[] = {
        {{{60, 3}}, 3.0},           {{{35, 3}}, 1.5}, {{{50, 4}}, 2.0}, {{{40, 2}, {61, 1}}, 2.0},
        {{{25, 4}, {100, 1}}, 2.0}, {{}, 0.0},        {{{30, 0}}, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(DualFunctionBound(c.pieces, 100.0), c.bound) << c.pieces.size();
    std::mt19937 random(20261207);
    for (int round = 0; round < 150; ++round) {
        const double bar = 1000.0;
        std::vector<Detail> details;
        for (int j = 0; j < 6; ++j) {
            const double share = 1.0 / static_cast<double>(2 + random() % 3);
            const double length = std::round(bar * share) + static_cast<double>(random() % 21) - 10.0;
            details.push_back(MakeDetail(L"P" + std::to_wstring(j), length, static_cast<int32_t>(1 + random() % 4)));
        }
        SimplexMethodSolver solver;
        size_t code = 99;
        const MapLayout plan = SolveAndRound(solver, details, bar, code);
        ASSERT_EQ(code, SimplexMethodSolver::Solved);
        ASSERT_TRUE(IsExactPlan(details, bar, plan));
        EXPECT_GE(SumOfBars(plan), std::ceil(solver.LowerBound() - 1e-6)) << round;
    }
}

// The linear relaxation proves more than the pieces' length where a bar
// takes a fifth piece only of the shorter ones (5 × 18 + 5 × 23 over 100
// needs 62.5 bars in fractions, 63 whole, their length 61.5), never passes
// the bars of an exact plan, with every length its own class or lengths
// taken together, and proves nothing of no pieces.
TEST(LinearSolver, RelaxationBoundBeatsTheLengthAndNeverPassesAPlan)
{
    const std::vector<BarPieces> fifths = {{18, 150}, {23, 150}};
    EXPECT_EQ(std::ceil(DualFunctionBound(fifths, 100.0) - 1e-6), 62.0);
    EXPECT_EQ(std::ceil(RelaxationBound(fifths, 100.0 + 1e-6, 0.0, 1e9).bars - 1e-6), 63.0);
    EXPECT_EQ(RelaxationBound({}, 100.0, 0.0, 1e9).bars, 0.0);
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        const double bar = 1000.0;
        std::vector<Detail> details;
        std::vector<BarPieces> pieces;
        for (int j = 0; j < 6; ++j) {
            const double length = 160.0 + static_cast<double>(random() % 1000) / 10.0;
            const int32_t count = static_cast<int32_t>(1 + random() % 9);
            details.push_back(MakeDetail(L"P" + std::to_wstring(j), length, count));
            pieces.push_back({length, static_cast<double>(count)});
        }
        SimplexMethodSolver solver;
        size_t code = 99;
        const MapLayout plan = SolveAndRound(solver, details, bar, code);
        ASSERT_EQ(code, SimplexMethodSolver::Solved);
        ASSERT_TRUE(IsExactPlan(details, bar, plan));
        for (const size_t classes : {size_t{6}, size_t{2}})
            EXPECT_LE(std::ceil(RelaxationBound(pieces, bar + 1e-6, 0.0, 1e9, classes).bars - 1e-6), SumOfBars(plan))
                << round << " in " << classes;
    }
}

// Pieces exchanged between the bars of a plan: every piece stays, each bar
// fits, the bars never grow in number, and they fall to what can be reached
// where the plan pairs its pieces badly (three 30s a bar beside 70s alone,
// on bars of 100: pairs of 30 and 70 need 30 bars, not 40) or holds a piece
// a bar (26 bars of 646 in all: 7); a plan whose improvement is stopped at
// once stays as it was.
TEST(LinearSolver, PieceExchangeKeepsEveryPieceAndSavesBars)
{
    const std::vector<Detail> pairs{MakeDetail(L"a", 30, 30), MakeDetail(L"b", 70, 30)};
    const MapLayout threes{{{3, 0}, 10}, {{0, 1}, 30}};
    const struct {
        const char* name;
        std::vector<Detail> details;
        MapLayout plan;
        double reached;  // bars at most afterwards, on bars of 100
        bool stopped;
    } cases[] = {
        {"threes beside singles", pairs, threes, 30, false},
        {"stopped at once", pairs, threes, 40, true},
        {"one piece a bar, fifths and more", {MakeDetail(L"a", 18, 12), MakeDetail(L"b", 23, 8), MakeDetail(L"c", 41, 6)},
         {{{1, 0, 0}, 12}, {{0, 1, 0}, 8}, {{0, 0, 1}, 6}}, 7, false},
    };
    for (const auto& c : cases) {
        std::vector<double> lengths;
        for (const Detail& d : c.details)
            lengths.push_back(d.length);
        PieceExchange exchange(lengths, 100.0, c.plan);
        exchange.Improve(0, 7, [&](double) { return c.stopped; });
        EXPECT_TRUE(IsExactPlan(c.details, 100.0, exchange.Plan())) << c.name;
        EXPECT_LE(SumOfBars(exchange.Plan()), c.reached) << c.name;
        EXPECT_EQ(static_cast<double>(exchange.Bars()), SumOfBars(exchange.Plan())) << c.name;
    }
    // Random plans of a bar a piece: never more bars, every piece kept.
    std::mt19937 random(20261209);
    for (int round = 0; round < 40; ++round) {
        std::vector<Detail> details;
        std::vector<double> lengths;
        MapLayout plan;
        for (size_t j = 0; j < 12; ++j) {
            details.push_back(MakeDetail(L"p", 5.0 + static_cast<double>(random() % 600) / 10.0, 1 + random() % 4));
            lengths.push_back(details.back().length);
            Layout one(12, 0);
            one[j] = 1;
            plan[one] = details.back().count;
        }
        PieceExchange exchange(lengths, 100.0, plan);
        size_t calls = 0;
        exchange.Improve(0, round, [&](double) { return ++calls > 300; });
        EXPECT_TRUE(IsExactPlan(details, 100.0, exchange.Plan())) << round;
        EXPECT_LE(static_cast<double>(exchange.Bars()), SumOfBars(plan)) << round;
    }
}
