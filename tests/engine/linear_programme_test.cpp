// The cutting-stock programme repaired from its previous basis after bars
// are taken off the demand (dual simplex) reaches the same optimum as the
// programme solved anew, over the same layouts.
#include "engine/LinearNesting/DetailPacker.h"
#include "engine/LinearNesting/LayoutProgramme.h"

#include "linear_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Stop = LayoutProgramme::Stop;

// The programme over `columns` solved from the artificial basis.
LayoutProgramme Solved(const std::vector<LayoutProgramme::Column>& columns, const std::vector<double>& demand)
{
    LayoutProgramme programme(1000);
    for (const auto& column : columns)
        programme.AddColumn(column);
    programme.InitSimplexTable(demand);
    EXPECT_EQ(programme.RunPhaseOne(1e-6), Stop::Optimal);
    EXPECT_EQ(programme.RunPhaseTwo(), Stop::Optimal);
    return programme;
}

} // namespace

TEST(LinearProgramme, WarmStartAfterTakingBarsMatchesASolveAnew)
{
    std::mt19937 generator(5);
    for (int t = 0; t < 200; ++t) {
        // Details of 2-9 units on bars of 20, wanted 1-6 times; every layout.
        std::vector<Detail> details;
        std::vector<double> demand;
        const int types = std::uniform_int_distribution<int>(2, 6)(generator);
        for (int i = 0; i < types; ++i) {
            details.push_back(linear_test::MakeDetail(std::wstring(1, wchar_t(L'A' + i)),
                                                      std::uniform_int_distribution<int>(2, 9)(generator),
                                                      std::uniform_int_distribution<int>(1, 6)(generator)));
            demand.push_back(details.back().count);
        }
        std::vector<LayoutProgramme::Column> columns;
        for (const Combination& combination : DetailPacker().GetUniqueCombinations(details, 20)) {
            LayoutProgramme::Column column(details.size(), 0);
            for (const Detail& piece : combination)
                ++column[piece.name[0] - L'A'];
            columns.push_back(column);
        }
        LayoutProgramme programme = Solved(columns, demand);
        programme.SetPerturbation(t % 2 ? 1e-6 : 0.0);

        // Take one bar of a used layout, trimmed to the demand, twice over.
        for (int step = 0; step < 2; ++step) {
            const auto used = programme.BasicLayouts(1e-9);
            if (used.empty())
                break;
            LayoutProgramme::Column taken = programme.GetColumn(used[t % used.size()].first);
            for (size_t j = 0; j < taken.size(); ++j) {
                taken[j] = std::min<int32_t>(taken[j], static_cast<int32_t>(demand[j]));
                demand[j] -= taken[j];
            }
            SCOPED_TRACE(::testing::Message() << "instance " << t << ", step " << step);
            ASSERT_EQ(programme.TakeBars(taken, 1.0), Stop::Optimal);
            ASSERT_EQ(programme.RunPhaseTwo(), Stop::Optimal);
            EXPECT_NEAR(programme.Bars(), Solved(columns, demand).Bars(), 1e-4);
            for (const auto& [k, bars] : programme.BasicLayouts(1e-9))
                for (size_t j = 0; j < demand.size(); ++j)
                    EXPECT_LE(programme.GetColumn(k)[j], demand[j]) << "a layout that no longer fits is in use";
        }
    }
}
