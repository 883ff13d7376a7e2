#include "engine/LinearNesting/DetailPacker.h"

#include "linear_test_support.h"

#include <gtest/gtest.h>

using linear_test::MakeDetail;

namespace {

std::vector<std::wstring> Names(const std::vector<Combination>& combinations)
{
    std::vector<std::wstring> names;
    for (const Combination& combination : combinations) {
        std::wstring name;
        for (const Detail& piece : combination)
            name += piece.name;
        names.push_back(name);
    }
    return names;
}

} // namespace

TEST(LinearDetailPacker, ListsEveryCombinationThatFits)
{
    const std::vector<Detail> details{MakeDetail(L"A", 4, 1), MakeDetail(L"B", 3, 1)};
    DetailPacker packer;
    // A A B is 11 long and is left out; A B B fills the bar exactly and is kept.
    EXPECT_EQ(Names(packer.GetUniqueCombinations(details, 10)),
              (std::vector<std::wstring>{L"A", L"AA", L"AB", L"ABB", L"B", L"BB", L"BBB"}));
}

TEST(LinearDetailPacker, LeavesOutDetailsLongerThanTheLimit)
{
    const std::vector<Detail> details{MakeDetail(L"A", 12, 1), MakeDetail(L"B", 5, 1)};
    DetailPacker packer;
    EXPECT_EQ(Names(packer.GetUniqueCombinations(details, 10)), (std::vector<std::wstring>{L"B", L"BB"}));
    EXPECT_TRUE(packer.GetUniqueCombinations({}, 10).empty());
}

// A piece of no length (or a negative one) would recurse without end.
TEST(LinearDetailPacker, RefusesNonPositiveLengths)
{
    DetailPacker packer;
    for (double length : {0.0, -3.0}) {
        const std::vector<Detail> details{MakeDetail(L"A", 4, 1), MakeDetail(L"B", length, 1)};
        EXPECT_TRUE(packer.GetUniqueCombinations(details, 10).empty());
    }
}
