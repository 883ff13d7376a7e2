#include "model/Params.h"

#include "model/ByteAccess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

ModelParams OddModelParams() {
    ModelParams p;
    p.m_scale1 = 2.0;
    p.m_scale2 = 5.0;
    p.m_thicknessSheet = 3.5;
    p.m_textSize = 7.0;
    p.m_wastSize = 120.0;
    p.m_wastRectSize = 200.0;
    p.m_figureGap = 3.0;
    p.m_sheetGap = 12.5;
    p.KeepLinearMinimum(400.0);
    p.reserve1[10] = -1.25;
    p.m_wastesColor = 0x123456;
    p.m_nestingMethod = 1;
    p.reserve2[0] = 77;
    p.m_rectSheet = false;
    p.m_hideText = true;
    p.m_uniteFigures = false;
    p.m_uniteMirrors = true;
    p.m_wasteMethod = true;
    p.m_wastesRect = true;
    p.m_wastesHide = true;
    p.m_checkOrient = true;
    p.reserve3[12] = 0xAB;
    return p;
}

// What a record's Save writes after `bytes`; the offset it is given ends at the block's end.
template <class Record, class Save>
ByteBlock Saved(const Record& record, Save save, ByteBlock bytes = {}) {
    size_t offset = bytes.size();
    (record.*save)(bytes, offset);
    EXPECT_EQ(offset, bytes.size());
    return bytes;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(ModelBlock, DefaultsAreWrittenAtTheirOffsets) {
    ModelParams p;
    p.InitModelParams();
    const ByteBlock bytes = Saved(p, &ModelParams::SaveModelParams);

    ASSERT_EQ(bytes.size(), 224u);
    EXPECT_EQ(ReadAt<double>(bytes, 0), 1.0);
    EXPECT_EQ(ReadAt<double>(bytes, 8), 1.0);
    EXPECT_EQ(ReadAt<double>(bytes, 16), 0.0);
    EXPECT_EQ(ReadAt<double>(bytes, 24), 5.0);
    EXPECT_EQ(ReadAt<double>(bytes, 48), 5.0);
    EXPECT_EQ(ReadAt<double>(bytes, 56), 10.0);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 160), 13160960);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 164), 0);
    const uint8_t flags[8] = {1, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data() + 200, flags, 8), 0);
    for (size_t at : {64u, 100u, 159u, 168u, 199u, 208u, 223u}) {
        EXPECT_EQ(bytes[at], 0) << "reserve byte " << at;
    }
    // Drawings saved before the shortest linear remnant was kept keep none,
    // nor does one whose value no one could have set.
    EXPECT_FALSE(p.LinearMinimum());
    p.KeepLinearMinimum(kNaN);
    EXPECT_FALSE(p.LinearMinimum());
}

TEST(ModelBlock, RoundTripKeepsEveryByteReservesIncluded) {
    const ModelParams source = OddModelParams();
    // something before the block
    const ByteBlock bytes = Saved(source, &ModelParams::SaveModelParams, ByteBlock(10, 0xEE));
    ASSERT_EQ(bytes.size(), 234u);

    ModelParams loaded;
    size_t readAt = 10;
    ASSERT_TRUE(loaded.LoadModelParams(bytes, readAt));
    EXPECT_EQ(readAt, 234u);
    EXPECT_EQ(std::memcmp(&loaded, &source, sizeof source), 0);
    EXPECT_EQ(loaded.m_figureGap, 3.0);
    EXPECT_EQ(loaded.reserve3[12], 0xAB);
    EXPECT_EQ(loaded.LinearMinimum(), 400.0);
    EXPECT_TRUE(loaded.m_checkOrient);
}

TEST(ModelBlock, ShortOrCorruptBlocksAreRefusedAndChangeNothing) {
    const ByteBlock good = Saved(OddModelParams(), &ModelParams::SaveModelParams);
    const ByteBlock refused[] = {
        ByteBlock(good.begin(), good.end() - 1),  // short
        Patched<uint8_t>(good, 203, 2),           // a flag
        Patched(good, 48, kNaN),
        Patched(good, 0, kInf),
        // Measures no setter takes: a negative gap, a text of no height, a
        // remnant size beyond any sheet, a scale of 0.
        Patched(good, offsetof(ModelParams, m_figureGap), -5.0),
        Patched(good, offsetof(ModelParams, m_textSize), 0.0),
        Patched(good, offsetof(ModelParams, m_wastSize), 5e8),
        Patched(good, offsetof(ModelParams, m_scale2), 0.0),
    };
    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(i);
        ModelParams p;
        size_t at = 0;
        EXPECT_FALSE(p.LoadModelParams(refused[i], at));
        EXPECT_EQ(at, 0u);
        EXPECT_EQ(p.m_figureGap, 5.0);
        EXPECT_TRUE(p.m_rectSheet);
    }

    ModelParams p;
    size_t pastEnd = good.size() + 5;
    EXPECT_FALSE(p.LoadModelParams(good, pastEnd));
    EXPECT_EQ(pastEnd, good.size() + 5);
}

TEST(ModelBlock, LongerBlockGivesItsFirst224Bytes) {
    ByteBlock bytes = Saved(OddModelParams(), &ModelParams::SaveModelParams);
    bytes.resize(300, 0x7F);
    ModelParams p;
    size_t at = 0;
    ASSERT_TRUE(p.LoadModelParams(bytes, at));
    EXPECT_EQ(p.m_sheetGap, 12.5);
}

TEST(ObjectAndFigureParams, LayoutOfAFigureHead) {
    ObjectParams object;
    object.m_objectType = NestingObjectType::CompoundFigure;
    object.m_symmetry = true;
    FigureParams figure;
    figure.m_thickness = 2.0;
    figure.m_gap = 5.0;
    figure.m_area = 1000.0;
    figure.m_length = 130.0;
    figure.m_count = 7;
    figure.m_child = true;
    figure.m_convex = true;

    const ByteBlock bytes =
        Saved(figure, &FigureParams::SaveFigureParams, Saved(object, &ObjectParams::SaveObjectParams));
    ASSERT_EQ(bytes.size(), 224u);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 32), 3);
    EXPECT_EQ(bytes[56], 1);
    EXPECT_EQ(ReadAt<double>(bytes, 64), 2.0);
    EXPECT_EQ(ReadAt<double>(bytes, 72), 1.0);
    EXPECT_EQ(ReadAt<double>(bytes, 80), 1.0);
    EXPECT_EQ(ReadAt<double>(bytes, 88), 5.0);
    EXPECT_EQ(ReadAt<double>(bytes, 96), 1000.0);
    EXPECT_EQ(ReadAt<double>(bytes, 104), 130.0);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 176), 7);
    EXPECT_EQ(bytes[216], 1);
    EXPECT_EQ(bytes[217], 1);

    ObjectParams objectBack;
    FigureParams figureBack;
    size_t at = 0;
    ASSERT_TRUE(objectBack.LoadObjectParams(bytes, at));
    ASSERT_TRUE(figureBack.LoadFigureParams(bytes, at));
    EXPECT_EQ(at, 224u);
    EXPECT_EQ(objectBack.m_objectType, NestingObjectType::CompoundFigure);
    EXPECT_EQ(std::memcmp(&figureBack, &figure, sizeof figure), 0);
}

TEST(ObjectAndFigureParams, CorruptHeadsAreRefused) {
    const ByteBlock bytes =
        Saved(FigureParams{}, &FigureParams::SaveFigureParams, Saved(ObjectParams{}, &ObjectParams::SaveObjectParams));

    ObjectParams object;
    size_t at = 0;
    EXPECT_FALSE(object.LoadObjectParams(Patched<uint8_t>(bytes, 56, 9), at));  // a bad symmetry flag
    EXPECT_EQ(at, 0u);

    FigureParams figure;
    figure.m_count = 4;
    at = 64;
    EXPECT_FALSE(figure.LoadFigureParams(Patched<uint8_t>(bytes, 216, 0xFF), at));  // a bad child flag
    EXPECT_EQ(at, 64u);
    EXPECT_EQ(figure.m_count, 4);

    ByteBlock truncated(bytes.begin(), bytes.begin() + 200);
    at = 64;
    EXPECT_FALSE(figure.LoadFigureParams(truncated, at));
}

TEST(JumperRecord, NewBridgeRecordBytes) {
    JumperParams p;
    p.InitJumperParams();
    const ByteBlock bytes = Saved(p, &JumperParams::SaveFigureParams);
    ASSERT_EQ(bytes.size(), 40u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(bytes[i], 0);
    }
    EXPECT_EQ(ReadAt<double>(bytes, 8), 50.0);
    EXPECT_EQ(ReadAt<double>(bytes, 16), 25.0);
    EXPECT_EQ(ReadAt<double>(bytes, 24), 25.0);
    EXPECT_EQ(bytes[32], 1);
    EXPECT_EQ(bytes[33], 1);
    EXPECT_EQ(bytes[34], 0);
    for (size_t i = 35; i < 40; ++i) {
        EXPECT_EQ(bytes[i], 0);
    }
}

TEST(JumperRecord, AlignmentBytesTravelAndBadBlocksAreRefused) {
    ByteBlock bytes = Saved(JumperParams{}, &JumperParams::SaveFigureParams);
    WriteAt<int32_t>(bytes, 0, 4);
    bytes[5] = 0x11;
    bytes[38] = 0x22;

    JumperParams p;
    size_t at = 0;
    ASSERT_TRUE(p.LoadFigureParams(bytes, at));
    EXPECT_EQ(p.m_type, 4);
    EXPECT_EQ(Saved(p, &JumperParams::SaveFigureParams), bytes);

    for (const ByteBlock& block : {ByteBlock(bytes.begin(), bytes.begin() + 39), Patched<uint8_t>(bytes, 34, 3)}) {
        JumperParams q;
        q.m_width = 12.0;
        size_t from = 0;
        EXPECT_FALSE(q.LoadFigureParams(block, from));
        EXPECT_EQ(q.m_width, 12.0);
        EXPECT_EQ(from, 0u);
    }
}

TEST(WasteRecord, LayoutRoundTripAndRefusals) {
    WasteParams p;
    p.m_width = 500.0;
    p.m_height = 300.7;
    p.m_startPoint = {10.0, -20.0};
    p.m_ownerRef = 4711;
    p.m_builtWidth = 1200.0;
    p.m_builtHeight = 600.0;
    p.m_builtParts = 7;
    p.m_builtLayout = 0x89ABCDEFu;
    p.reserve2[6] = -3;
    p.m_rectform = true;
    p.m_method = true;
    p.m_builtKnown = 1;
    p.reserve3[4] = 0x5A;

    const ByteBlock bytes = Saved(p, &WasteParams::SaveWasteParams);
    ASSERT_EQ(bytes.size(), 144u);
    EXPECT_EQ(ReadAt<double>(bytes, 0), 500.0);
    EXPECT_EQ(ReadAt<double>(bytes, 8), 300.7);
    EXPECT_EQ(ReadAt<double>(bytes, 80), 10.0);
    EXPECT_EQ(ReadAt<double>(bytes, 88), -20.0);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 96), 4711);
    EXPECT_EQ(ReadAt<double>(bytes, 16), 1200.0);
    EXPECT_EQ(ReadAt<double>(bytes, 24), 600.0);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 100), 7);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 104), 0x89ABCDEFu);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 132), -3);
    EXPECT_EQ(bytes[136], 1);
    EXPECT_EQ(bytes[137], 1);
    EXPECT_EQ(bytes[138], 1);
    EXPECT_EQ(bytes[143], 0x5A);

    WasteParams back;
    size_t at = 0;
    ASSERT_TRUE(back.LoadWasteParams(bytes, at));
    EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);

    for (const ByteBlock& block :
         {ByteBlock(bytes.begin(), bytes.begin() + 143), Patched(bytes, 88, kInf), Patched<uint8_t>(bytes, 137, 7)}) {
        WasteParams q;
        size_t from = 0;
        EXPECT_FALSE(q.LoadWasteParams(block, from));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(q.m_width, 0.0);
        EXPECT_FALSE(q.m_rectform);
    }
}
