// The number formats of the result tables and the title block.
#include "model/ResultTexts.h"

#include <gtest/gtest.h>

TEST(ResultTexts, SizeUsesTheShortestNotationWithoutExponents) {
    EXPECT_EQ(SheetSizeText(3000, 1500, 2), L"3000x1500x2");
    EXPECT_EQ(SheetSizeText(2.5, 1234567, 0), L"2.5x1234567x0");
    EXPECT_EQ(SheetSizeText(1e6, 2450.55, 0.00005), L"1000000x2450.55x0.00005");
}

TEST(ResultTexts, FixedDecimals) {
    EXPECT_EQ(TwoDecimalsText(100.0 / 3.0), L"33.33");
    EXPECT_EQ(TwoDecimalsText(0.0), L"0.00");
    EXPECT_EQ(ThreeDecimalsText(7000.0), L"7000.000");
    EXPECT_EQ(ThreeDecimalsText(1.0005), L"1.000");  // 1.0005 is stored just below
}

TEST(ResultTexts, HugeNumbersAreCutToTheTableCell) {
    const std::wstring text = TwoDecimalsText(1e300);
    EXPECT_EQ(text.size(), 254u);
    EXPECT_EQ(text.substr(0, 4), L"1000");
}
