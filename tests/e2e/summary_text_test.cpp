// job_check's summary words the counts a reader could take wrongly.
#include "job_check/SummaryText.h"

#include <gtest/gtest.h>

namespace {

using namespace jobcheck;

// The bars a linear plan needs at least: the pieces with their cuts over
// the bar with one cut, rounded up, a bar filled exactly being one bar.
TEST(SummaryText, LeastBarsRoundUpButNotPastAnExactFill)
{
    struct Case {
        double pieces;
        int count;
        double bar, gap;
        int least;
    } cases[] = {
        {6000, 1, 6000, 3, 1},          // one piece as long as the bar
        {12000, 4, 6000, 3, 3},         // 4 × 3000: a cut more than two bars hold...
        {11994, 4, 6000, 3, 2},         // ...unless the pieces are 1.5 mm shorter
        {53960, 72, 6000, 3, 10},       // the sample job's profile list
        {0.1 * 3 * 20001, 3, 6000.3, 0, 1},  // tenths adding up to the bar
        {0, 0, 6000, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeastBars(c.pieces, c.count, c.bar, c.gap), c.least) << c.pieces << " in " << c.count;
}

// The least shown is as sharp as the solver proves it: 150 pieces of 18 and
// 150 of 23 take 61.5 bars of 100 by length, but a bar takes a fifth piece
// only of the shorter ones, so 63 bars are the minimum.
TEST(SummaryText, LeastShownIsTheRelaxationsWhereTheLengthFallsShort)
{
    EXPECT_EQ(ProvenLeastBars({{18, 150}, {23, 150}}, 100, 0, 63), 63);
    EXPECT_EQ(ProvenLeastBars({{2997, 4}}, 6000, 3, 2), 2);
}

TEST(SummaryText, CountsReadOneWayOnly)
{
    EXPECT_EQ(BarsAgainstLeast(10, 10), "10 bars, the minimum");
    EXPECT_EQ(BarsAgainstLeast(11, 10), "11 bars, at least 10 needed");
    EXPECT_EQ(LayoutBars(1, 1), "1 bar of 1 piece");
    EXPECT_EQ(LayoutBars(2, 5), "2 bars, each of 5 pieces");
    const std::map<std::wstring, int> imported = {{L"A", 2}, {L"B", 1}};
    EXPECT_EQ(ImportedAgainstNested(imported, imported), "3 pieces imported, all to nest");
    EXPECT_EQ(ImportedAgainstNested(imported, {{L"A", 2}, {L"B", 3}}),
              "3 pieces imported, 5 to nest: counts set in source data");
    EXPECT_EQ(ImportedAgainstNested(imported, {{L"A", 2}, {L"C", 1}}),
              "3 pieces imported, 3 to nest: 1 part not taken into source data, 1 part not imported");
}

}  // namespace
