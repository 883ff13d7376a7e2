// The lay-out of sheet views: recognised from the views' origins, and the
// origins a lay-out gives.
#include "model/SheetLayout.h"

#include <gtest/gtest.h>

namespace {

SheetViewPlace Place(double x, double y, double width = 3000.0, double height = 1500.0, double scale = 1.0) {
    return SheetViewPlace{{x, y}, scale, width, height};
}

SheetSchemeParams Recognized(const std::vector<SheetViewPlace>& places, SheetSchemeParams scheme = {}) {
    RecognizeSheetLayout(places, scheme);
    return scheme;
}

}  // namespace

TEST(SheetLayoutRecognition, EvenGapsAlongOneLineMakeARow) {
    const SheetSchemeParams row = Recognized({Place(0, 0), Place(3100, 0), Place(6200, 0)});
    EXPECT_EQ(row.sheetScheme, 1);
    EXPECT_EQ(row.countColumns, 3);  // untouched
    // Sheets of different widths keep the gap after each one.
    EXPECT_EQ(Recognized({Place(0, 0, 1000), Place(1100, 0, 2000), Place(3200, 0)}).sheetScheme, 1);
}

TEST(SheetLayoutRecognition, ABrokenRowWithALoneTailIsRowsOfTheBrokenLength) {
    const SheetSchemeParams s = Recognized({Place(0, 0), Place(3100, 0), Place(6250, 0)});
    EXPECT_EQ(s.sheetScheme, 3);
    EXPECT_EQ(s.countColumns, 2);
}

TEST(SheetLayoutRecognition, GridOfTwoByTwoIsRowsOfTwo) {
    const SheetSchemeParams s = Recognized({Place(0, 0), Place(3100, 0), Place(0, -1600), Place(3100, -1600)});
    EXPECT_EQ(s.sheetScheme, 3);
    EXPECT_EQ(s.countColumns, 2);
}

TEST(SheetLayoutRecognition, EvenGapsDownwardsMakeAColumn) {
    EXPECT_EQ(Recognized({Place(0, 0), Place(0, -1600), Place(0, -3200)}).sheetScheme, 2);
}

TEST(SheetLayoutRecognition, UnevenPlacesAreUserDefined) {
    // The second row has an uneven gap.
    EXPECT_EQ(Recognized({Place(0, 0), Place(3100, 0), Place(0, -1600), Place(3300, -1600)}).sheetScheme, 0);
    // A view of another scale among the sheets.
    EXPECT_EQ(Recognized({Place(0, 0), Place(3100, 0, 3000, 1500, 0.5)}).sheetScheme, 0);
}

TEST(SheetLayoutRecognition, OneSheetKeepsTheSchemeItHad) {
    const SheetSchemeParams before{true, 2, 5};
    const SheetSchemeParams after = Recognized({Place(0, 0, 3000, 1500, 0.5)}, before);
    EXPECT_EQ(after.sheetScheme, 2);
    EXPECT_EQ(after.countColumns, 5);
    EXPECT_EQ(Recognized({}, before).sheetScheme, 2);
}

TEST(SheetLayoutOrigins, RowsGoRightThenDown) {
    const SheetSchemeParams rows{true, 3, 3};
    const NPoint first{10, 20};
    const std::vector<NPoint> expected = {{10, 20}, {2060, 20}, {4110, 20}, {10, -1030}, {2060, -1030}};
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::optional<NPoint> origin = SheetViewOrigin(rows, i, first, 2000, 1000, 50);
        ASSERT_TRUE(origin.has_value());
        EXPECT_DOUBLE_EQ(origin->x, expected[i].x) << i;
        EXPECT_DOUBLE_EQ(origin->y, expected[i].y) << i;
    }
}

TEST(SheetLayoutOrigins, RowColumnAndUnknownSchemes) {
    const NPoint first{0, 0};
    for (int32_t scheme : {0, 1}) {
        const std::optional<NPoint> origin = SheetViewOrigin({true, scheme, 3}, 2, first, 2000, 1000, 50);
        ASSERT_TRUE(origin.has_value());
        EXPECT_DOUBLE_EQ(origin->x, 4100);
        EXPECT_DOUBLE_EQ(origin->y, 0);
    }
    const std::optional<NPoint> down = SheetViewOrigin({true, 2, 3}, 2, first, 2000, 1000, 50);
    ASSERT_TRUE(down.has_value());
    EXPECT_DOUBLE_EQ(down->x, 0);
    EXPECT_DOUBLE_EQ(down->y, -2100);
    EXPECT_FALSE(SheetViewOrigin({true, 7, 3}, 1, first, 2000, 1000, 50).has_value());
}

TEST(SheetLayoutOrigins, RowsWithoutAColumnPlaceNothing) {
    // Rows of zero (or fewer) columns would divide by zero.
    EXPECT_FALSE(SheetViewOrigin({true, 3, 0}, 4, {}, 2000, 1000, 50).has_value());
    EXPECT_FALSE(SheetViewOrigin({true, 3, -2}, 0, {}, 2000, 1000, 50).has_value());
}
