#include "geometry/UtilityFunctions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

NPolygonPtr Poly(const std::vector<NPoint>& pts) { return std::make_shared<NPolygon>(NPoint{}, pts); }

// ---------------------------------------------------------------- polygon block

TEST(PolygonBlockTest, RoundTripKeepsVerticesAndOffsets)
{
    const VectorPolygon saved{Poly({{0, 0}, {1.5, 0}, {0, 2.25}}), Poly({{-1, -1}, {3, -1}, {3, 4}, {-1, 4e-300}})};
    std::vector<uint8_t> block(7, 0xAB);  // other data before the block
    size_t size = 7;
    uf::SavePolygons(block, saved, size);
    EXPECT_EQ(size, 7u + 124u);
    ASSERT_GE(block.size(), size);
    block.resize(size + 5, 0xCD);  // and after it

    VectorPolygon loaded{Poly({{9, 9}})};
    size_t offset = 7;
    ASSERT_TRUE(uf::LoadPolygons(block, loaded, offset));
    EXPECT_EQ(offset, 7u + 124u);
    ASSERT_EQ(loaded.size(), 3u);
    for (size_t k = 0; k < saved.size(); ++k) {
        EXPECT_EQ(loaded[k + 1]->m_points.size(), saved[k]->m_points.size());
        for (size_t v = 0; v < saved[k]->m_points.size(); ++v) {
            EXPECT_EQ(loaded[k + 1]->m_points[v].x, saved[k]->m_points[v].x);
            EXPECT_EQ(loaded[k + 1]->m_points[v].y, saved[k]->m_points[v].y);
        }
    }
    EXPECT_DOUBLE_EQ(loaded[2]->GetGabarit().pTop.y, 4.0);
    EXPECT_EQ(block[0], 0xAB);
    EXPECT_EQ(block.back(), 0xCD);
}

TEST(PolygonBlockTest, LayoutIsCountsThenCoordinates)
{
    std::vector<uint8_t> block;
    size_t size = 0;
    uf::SavePolygons(block, {Poly({{1, 2}})}, size);
    ASSERT_EQ(block.size(), 4u + 4u + 16u);
    uint32_t count = 0, n = 0;
    double x = 0, y = 0;
    std::memcpy(&count, block.data(), 4);
    std::memcpy(&n, block.data() + 4, 4);
    std::memcpy(&x, block.data() + 8, 8);
    std::memcpy(&y, block.data() + 16, 8);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 2.0);
}

TEST(PolygonBlockTest, EmptyListsAndEmptyPolygons)
{
    std::vector<uint8_t> block;
    size_t size = 0;
    uf::SavePolygons(block, {}, size);
    EXPECT_EQ(size, 4u);
    VectorPolygon loaded;
    size_t offset = 0;
    ASSERT_TRUE(uf::LoadPolygons(block, loaded, offset));
    EXPECT_EQ(offset, 4u);
    EXPECT_TRUE(loaded.empty());

    block.clear();
    size = 0;
    uf::SavePolygons(block, {Poly({{0, 0}, {1, 0}, {1, 1}}), std::make_shared<NPolygon>(), nullptr}, size);
    EXPECT_EQ(size, 4u + 52u + 4u + 4u);
    offset = 0;
    ASSERT_TRUE(uf::LoadPolygons(block, loaded, offset));
    EXPECT_EQ(offset, size);
    EXPECT_EQ(loaded.size(), 1u);
}

TEST(PolygonBlockTest, TruncatedOrCorruptBlocksFailCleanly)
{
    std::vector<uint8_t> good;
    size_t size = 0;
    uf::SavePolygons(good, {Poly({{0, 0}, {1, 0}, {1, 1}}), Poly({{5, 5}, {6, 5}, {6, 6}})}, size);

    const VectorPolygon before{Poly({{7, 7}})};
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        VectorPolygon loaded = before;
        size_t offset = 0;
        EXPECT_FALSE(uf::LoadPolygons(truncated, loaded, offset)) << "cut at " << cut;
        EXPECT_EQ(offset, 0u);
        EXPECT_EQ(loaded, before);
    }

    std::vector<uint8_t> hugeCount = good;
    const uint32_t bad = 0xFFFFFFFFu;
    std::memcpy(hugeCount.data() + 4, &bad, 4);  // first polygon claims 4 billion vertices
    VectorPolygon loaded;
    size_t offset = 0;
    EXPECT_FALSE(uf::LoadPolygons(hugeCount, loaded, offset));
    std::memcpy(hugeCount.data(), &bad, 4);  // 4 billion polygons
    EXPECT_FALSE(uf::LoadPolygons(hugeCount, loaded, offset));
    offset = good.size() + 100;  // offset beyond the vector
    EXPECT_FALSE(uf::LoadPolygons(good, loaded, offset));
    EXPECT_EQ(offset, good.size() + 100);
    EXPECT_TRUE(loaded.empty());
}

TEST(PolygonBlockTest, SaveGrowsOnlyWhenNeeded)
{
    std::vector<uint8_t> block(100, 0xEE);
    size_t size = 10;
    uf::SavePolygons(block, {Poly({{1, 1}})}, size);
    EXPECT_EQ(block.size(), 100u);
    EXPECT_EQ(size, 34u);
    EXPECT_EQ(block[34], 0xEE);
    size = 90;
    uf::SavePolygons(block, {Poly({{1, 1}})}, size);
    EXPECT_EQ(block.size(), 114u);
    EXPECT_EQ(size, 114u);
}

// ---------------------------------------------------------------- scale strings

TEST(ScaleStringTest, ParsesPairsAndSingles)
{
    double a = 0, b = 0;
    ASSERT_TRUE(uf::GetScaleFromString(L"1:100", a, b));
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(b, 100.0);
    ASSERT_TRUE(uf::GetScaleFromString(L"2.5", a, b));
    EXPECT_EQ(a, 2.5);
    EXPECT_EQ(b, 2.5);
    ASSERT_TRUE(uf::GetScaleFromString(L"  1 : 50", a, b));
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(b, 50.0);
    ASSERT_TRUE(uf::GetScaleFromString(L"1:0.01", a, b));
    EXPECT_EQ(b, 0.01);
    ASSERT_TRUE(uf::GetScaleFromString(L"100 mm:1", a, b));
    EXPECT_EQ(a, 100.0);
}

TEST(ScaleStringTest, RefusalsKeepTheOutputs)
{
    for (const wchar_t* text : {L"", L"1:100.0001", L"1:0.0099", L":5", L"1:2:3", L"abc", L"1:", L"1:x", L"1e999:1",
                                L"nan:1", L"0:1"}) {
        double a = 7, b = 8;
        EXPECT_FALSE(uf::GetScaleFromString(text, a, b)) << "text " << std::wstring(text).size();
        EXPECT_EQ(a, 7.0);
        EXPECT_EQ(b, 8.0);
    }
}

// ---------------------------------------------------------------- strings and names

TEST(StringTest, ReplaceSubString)
{
    const struct {
        const wchar_t *text, *from, *to, *expected;
    } cases[] = {
        {L"aaaa", L"aa", L"a", L"a"},
        {L"Map {N} of {N}", L"{N}", L"12", L"Map 12 of 12"},
        {L"xyz", L"", L"q", L"xyz"},
        {L"a-b-c", L"-", L"--", L"a--b--c"},  // the replacement holds the text searched for
        {L"abab", L"ab", L"xaby", L"xabyxaby"},
        {L"none", L"zz", L"", L"none"},
    };
    for (const auto& c : cases) {
        std::wstring s = c.text;
        uf::ReplaceSubString(s, c.from, c.to);
        EXPECT_EQ(s, c.expected);
    }
}

TEST(StringTest, DeleteIllegalSymbols)
{
    std::wstring s = L"a/b:c?.txt";
    uf::DeleteIllegalSymbolsFromStr(s, L'_');
    EXPECT_EQ(s, L"a_b_c_.txt");
    s = L"\"*<>|\\ ok";
    uf::DeleteIllegalSymbolsFromStr(s, L' ');
    EXPECT_EQ(s, L"       ok");
    s = std::wstring(L"a?\0b?", 5);
    uf::DeleteIllegalSymbolsFromStr(s, L'_');
    EXPECT_EQ(s, std::wstring(L"a_\0b?", 5));
}

TEST(StringTest, FileNameFromPath)
{
    EXPECT_EQ(uf::GetFileNameFromPath(L""), L"");
    EXPECT_EQ(uf::GetFileNameFromPath(L"D:\\work\\part.dxf"), L"part");
    EXPECT_EQ(uf::GetFileNameFromPath(L"D:\\dir.old\\part"), L"part");
    EXPECT_EQ(uf::GetFileNameFromPath(L"archive.tar.gz"), L"archive.tar");
    EXPECT_EQ(uf::GetFileNameFromPath(L"/home/u/dir.old/part"), L"part");
    EXPECT_EQ(uf::GetFileNameFromPath(L"/home/u/Деталь 1.vdw"), L"Деталь 1");
    EXPECT_EQ(uf::GetFileNameFromPath(L"C:\\mixed/dir\\name.ext"), L"name");
}

TEST(StringTest, DxfExtension)
{
    EXPECT_TRUE(uf::IsFileExtentionDFX(L"a.DXF"));
    EXPECT_TRUE(uf::IsFileExtentionDFX(L"abdxf"));
    EXPECT_TRUE(uf::IsFileExtentionDFX(L"part.dXf"));
    EXPECT_FALSE(uf::IsFileExtentionDFX(L".dxf"));
    EXPECT_FALSE(uf::IsFileExtentionDFX(L"a.dwg"));
}

TEST(TimingTest, MicrosecondsOfTheMonotonicClock)
{
    const int64_t t0 = uf::MeasureTimeMS();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int64_t t1 = uf::MeasureTimeMS();
    EXPECT_GE(t1 - t0, 20000);
    EXPECT_LT(t1 - t0, 2000000);
}

}  // namespace

// "%g" as users read it: the same texts, but never an exponent.
TEST(StringTest, NumberTextHasNoExponent)
{
    const std::pair<double, const wchar_t*> cases[] = {
        {3000.0, L"3000"},      {2450.55, L"2450.55"},     {0.1, L"0.1"},    {-12.5, L"-12.5"},
        {1e6, L"1000000"},      {1234567.4, L"1234567"},   {-2e9, L"-2000000000"},
        {0.00005, L"0.00005"},  {1.234567e-7, L"0.000000123457"},          {1e-15, L"0"}, {-1e-15, L"0"},
        {999999999999999.0, L"999999999999999"}, {1e15, L"1e+15"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(uf::NumberText(value), text) << value;
}
