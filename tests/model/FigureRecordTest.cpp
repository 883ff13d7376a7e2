#include "model/FigureRecord.h"

#include "model/ByteAccess.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>

namespace {

NPolygonPtr Square(double x, double y, double side) {
    return std::make_shared<NPolygon>(
        NPoint{}, std::vector<NPoint>{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

FigureRecord SquareFigure() {
    FigureRecord record;
    record.object.m_objectType = NestingObjectType::Figure;
    record.figure.m_thickness = 2.0;
    record.figure.m_count = 3;
    record.texts = {{5.0}};
    record.borders = {Square(0, 0, 10)};
    record.poligons = {Square(-1, -1, 12)};
    record.controls = {Square(-0.9, -0.9, 11.8)};
    return record;
}

std::vector<NPoint> PointsOf(const NPolygonPtr& polygon) { return polygon->m_points; }

}  // namespace

TEST(FigureRecord, EmptyFigureGivesTheBareBlock) {
    const ByteBlock bytes = SaveFigureRecord(FigureRecord{});
    ASSERT_EQ(bytes.size(), 252u);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 224), 0);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 228), 0u);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 232), 0u);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 236), 0u);
    for (size_t i = 240; i < 252; ++i) {
        EXPECT_EQ(bytes[i], 0);
    }
}

TEST(FigureRecord, OneTextAndOneSquarePerList) {
    const FigureRecord source = SquareFigure();
    const ByteBlock bytes = SaveFigureRecord(source);
    ASSERT_EQ(bytes.size(), 476u);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 32), 2);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 224), 1);
    EXPECT_EQ(ReadAt<double>(bytes, 228), 5.0);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 236), 1u);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 240), 4u);
    EXPECT_EQ(ReadAt<double>(bytes, 244), 0.0);

    FigureRecord loaded;
    ASSERT_TRUE(LoadFigureRecord(bytes, loaded));
    EXPECT_EQ(loaded.figure.m_count, 3);
    EXPECT_EQ(loaded.figure.m_thickness, 2.0);
    ASSERT_EQ(loaded.texts.size(), 1u);
    EXPECT_EQ(loaded.texts[0].height, 5.0);
    ASSERT_EQ(loaded.borders.size(), 1u);
    ASSERT_EQ(loaded.poligons.size(), 1u);
    ASSERT_EQ(loaded.controls.size(), 1u);
    EXPECT_EQ(PointsOf(loaded.borders[0]), PointsOf(source.borders[0]));
    EXPECT_EQ(PointsOf(loaded.poligons[0]), PointsOf(source.poligons[0]));
    EXPECT_EQ(PointsOf(loaded.controls[0]), PointsOf(source.controls[0]));
}

TEST(FigureRecord, EveryTruncationIsRefusedAndLeavesTheRecord) {
    const ByteBlock bytes = SaveFigureRecord(SquareFigure());
    const size_t used = bytes.size() - (12 + 4 * 3);  // the zero tail is not read
    for (size_t length = 0; length < used; ++length) {
        FigureRecord record;
        record.figure.m_count = 9;
        record.texts = {{1.0}, {2.0}};
        ByteBlock cut(bytes.begin(), bytes.begin() + length);
        EXPECT_FALSE(LoadFigureRecord(cut, record)) << "length " << length;
        EXPECT_EQ(record.figure.m_count, 9);
        EXPECT_EQ(record.texts.size(), 2u);
        EXPECT_TRUE(record.borders.empty());
    }
    FigureRecord record;
    EXPECT_TRUE(LoadFigureRecord(ByteBlock(bytes.begin(), bytes.begin() + used), record));
}

TEST(FigureRecord, CorruptCountsAndValuesAreRefused) {
    const ByteBlock good = SaveFigureRecord(SquareFigure());

    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const ByteBlock corrupt[] = {
        Patched<int32_t>(good, 224, -1),                                   // negative text count
        Patched<int32_t>(good, 224, std::numeric_limits<int32_t>::max()),  // huge text count
        Patched(good, 228, nan),                                           // text height
        Patched<uint32_t>(good, 236, 0xFFFFFFFFu),                         // huge polygon count
        Patched<uint32_t>(good, 240, 0x7FFFFFFFu),                         // huge point count
        Patched<uint8_t>(good, 216, 2),                                    // a flag
        // A vertex of the outline, of a gap polygon and of a control polygon.
        Patched(good, 244, nan),
        Patched(good, 324, inf),
        Patched(good, 388, -inf),
    };
    for (size_t i = 0; i < std::size(corrupt); ++i) {
        SCOPED_TRACE(i);
        FigureRecord record;
        record.figure.m_gap = 4.0;
        EXPECT_FALSE(LoadFigureRecord(corrupt[i], record));
        EXPECT_EQ(record.figure.m_gap, 4.0);
    }
}

TEST(FigureRecord, ReservesAndUnknownObjectTypesTravel) {
    FigureRecord source;
    source.object.m_objectType = NestingObjectType(42);
    source.object.reserve1[3] = 1.5;
    source.figure.reserve2[4] = -8;
    source.figure.m_reserve3[0] = 0xC3;
    source.figure.m_fileUnits = 6;
    FigureRecord loaded;
    ASSERT_TRUE(LoadFigureRecord(SaveFigureRecord(source), loaded));
    EXPECT_EQ(loaded.figure.m_fileUnits, 6);
    EXPECT_EQ(int32_t(loaded.object.m_objectType), 42);
    EXPECT_EQ(loaded.object.reserve1[3], 1.5);
    EXPECT_EQ(loaded.figure.reserve2[4], -8);
    EXPECT_EQ(loaded.figure.m_reserve3[0], 0xC3);
}
