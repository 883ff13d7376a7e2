#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Points = std::vector<NPoint>;

NPolygon Poly(const Points& pts) { return NPolygon(NPoint{}, pts); }

void ExpectPoints(const NPolygon& p, const Points& expected)
{
    ASSERT_EQ(p.m_points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(p.m_points[k].x, expected[k].x, 1e-9) << "vertex " << k;
        EXPECT_NEAR(p.m_points[k].y, expected[k].y, 1e-9) << "vertex " << k;
    }
}

const Points kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};

TEST(PolygonModelTest, ConstructionCopyAndGabarit)
{
    NPolygon p({5, 5}, {{1, 2}, {4, -1}, {3, 6}});
    EXPECT_FALSE(p.m_used);
    EXPECT_FALSE(p.m_inner);
    EXPECT_DOUBLE_EQ(p.GetGabarit().pBot.x, 1.0);
    EXPECT_DOUBLE_EQ(p.GetGabarit().pBot.y, -1.0);
    EXPECT_DOUBLE_EQ(p.GetGabarit().pTop.x, 4.0);
    EXPECT_DOUBLE_EQ(p.GetGabarit().pTop.y, 6.0);
    EXPECT_DOUBLE_EQ(p.GetGabaritArea(), 21.0);

    p.m_used = true;
    p.m_segments.push_back(12);
    p.m_relatives.push_back(std::make_shared<NPolygon>());
    const NPolygonPtr copy = p.GetCopy();
    ExpectPoints(*copy, p.m_points);
    EXPECT_TRUE((copy->m_pole == NPoint{0, 0}));
    EXPECT_FALSE(copy->m_used);
    EXPECT_TRUE(copy->m_segments.empty());
    EXPECT_TRUE(copy->m_relatives.empty());
    copy->m_points[0].x = 100;
    EXPECT_DOUBLE_EQ(p.m_points[0].x, 1.0);
}

TEST(PolygonModelTest, EmptyRingHasInvertedGabarit)
{
    NPolygon empty;
    EXPECT_DOUBLE_EQ(empty.GetGabarit().pBot.x, 2147483647.0);
    EXPECT_DOUBLE_EQ(empty.GetGabarit().pTop.y, -2147483648.0);
    EXPECT_DOUBLE_EQ(empty.GetGabaritArea(), 4294967295.0 * 4294967295.0);
    EXPECT_EQ(empty.FindFirstIndexMinimumY(), NOT_FOUND_INDEX);
    EXPECT_EQ(empty.FindFirstIndexMaximumY(), NOT_FOUND_INDEX);
    EXPECT_EQ(empty.CalculateLength(), 0.0);
    EXPECT_FALSE(empty == empty);
}

TEST(PolygonModelTest, EqualityUpToTranslation)
{
    NPolygon a = Poly(kSquare);
    NPolygon b = Poly({{100, 50}, {110, 50}, {110, 60}, {100, 60}});
    EXPECT_TRUE(a == b);
    NPolygon fromSecond = Poly({{10, 0}, {10, 10}, {0, 10}, {0, 0}});
    EXPECT_FALSE(a == fromSecond);
    NPolygon reversed = Poly({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    EXPECT_FALSE(a == reversed);
    NPolygon bigger = Poly({{0, 0}, {10.001, 0}, {10.001, 10}, {0, 10}});
    EXPECT_FALSE(a == bigger);
}

TEST(PolygonModelTest, MeasuresAndSearches)
{
    EXPECT_DOUBLE_EQ(Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).CalculateLength(), 4.0);
    EXPECT_EQ(Poly({{5, 0}, {0, 0}, {0, 3}}).FindFirstIndexMinimumY(), 0u);
    EXPECT_EQ(Poly({{5, 0}, {0, 3}, {0, 3}}).FindFirstIndexMaximumY(), 1u);
    NPolygon p = Poly(kSquare);
    NIndexPoint hit{{10, 4}, 2, 0, Simple};
    const NPoint mid = p.GetMidPoint(hit, hit);
    EXPECT_TRUE((mid == NPoint{10, 7}));
    // The fan from vertex 0: (5, 5) lies on the diagonal to vertex 2.
    EXPECT_EQ(p.GetIndexPoint(NIndexPoint{{5, 5}, 0, 0, Simple}), 1u);
    EXPECT_EQ(p.GetIndexPoint(NIndexPoint{{5, 5}, 2, 0, Simple}), NOT_FOUND_INDEX);
}

TEST(PolygonModelTest, BadIndicesAreHarmless)
{
    NPolygon p = Poly(kSquare);
    NIndexPoint far{{3, 3}, 99, 0, Simple};
    EXPECT_TRUE((p.GetMidPoint(far, far) == NPoint{3, 3}));
    p.InsertPoint(4, {5, 5});
    p.InsertPoint(NOT_FOUND_INDEX, {5, 5});
    ExpectPoints(p, kSquare);
    NPolygon empty;
    empty.InsertPoint(0, {1, 1});
    EXPECT_TRUE(empty.m_points.empty());
    EXPECT_TRUE((empty.GetMidPoint(far, far) == NPoint{3, 3}));
    p.ChangeFirstPoint(4);
    ExpectPoints(p, kSquare);
}

TEST(PolygonModelTest, Relatives)
{
    auto a = std::make_shared<NPolygon>(Poly(kSquare));
    auto b = std::make_shared<NPolygon>(Poly(kSquare));
    auto c = std::make_shared<NPolygon>(Poly(kSquare));
    b->m_relatives = {c};
    a->AddRelatives(b);
    EXPECT_TRUE(a->CheckRelatives(c));
    EXPECT_FALSE(a->CheckRelatives(b));
    a->AddRelatives(a);  // appends its own list once more
    EXPECT_EQ(a->m_relatives.size(), 2u);
    a->AddRelatives(nullptr);
    EXPECT_EQ(a->m_relatives.size(), 2u);
}

TEST(PolygonEditTest, AddInsertDelete)
{
    NPolygon p = Poly({{0, 0}, {10, 0}});
    p.AddPoint({10.00005, 0});
    p.AddPoint({10, 10});
    ExpectPoints(p, {{0, 0}, {10, 0}, {10, 10}});
    p.InsertPoint(2, {10, 5});
    ExpectPoints(p, {{0, 0}, {10, 0}, {10, 5}, {10, 10}});
    p.DelPoint({10.00009, 5});
    ExpectPoints(p, {{0, 0}, {10, 0}, {10, 10}});
    p.DelPoint({3, 3});
    EXPECT_EQ(p.m_points.size(), 3u);
}

TEST(PolygonEditTest, InsertGoesBeforeTheFirstEqualVertex)
{
    NPolygon p = Poly({{0, 0}, {5, 0}, {5, 5}, {5, 0}});
    p.InsertPoint(3, {9, 9});
    ExpectPoints(p, {{0, 0}, {9, 9}, {5, 0}, {5, 5}, {5, 0}});
}

TEST(PolygonCleanTest, DelEquilPoints)
{
    NPolygon p = Poly({{0, 0}, {0.0005, 0}, {10, 0}, {10, 10}});
    p.DelEquilPoints();
    ExpectPoints(p, {{0, 0}, {10, 0}, {10, 10}});
    NPolygon closing = Poly({{0, 0}, {10, 0}, {10, 10}, {0.0009, 0.0009}});
    closing.DelEquilPoints();
    ExpectPoints(closing, {{10, 0}, {10, 10}, {0.0009, 0.0009}});
    NPolygon same = Poly({{1, 1}, {1, 1}, {1, 1}});
    same.DelEquilPoints();
    EXPECT_EQ(same.m_points.size(), 1u);
}

TEST(PolygonCleanTest, DelColinearPoints)
{
    NPolygon p = Poly({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(p.DelColinearPoints());
    ExpectPoints(p, kSquare);
    EXPECT_FALSE(p.DelColinearPoints());
    NPolygon spike = Poly({{0, 0}, {10, 0}, {15, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(spike.DelColinearPoints());
    ExpectPoints(spike, kSquare);
    NPolygon two = Poly({{0, 0}, {1, 1}});
    EXPECT_FALSE(two.DelColinearPoints());
}

// Far from the origin, after a short edge that is level within the
// tolerance, a corner turning by about five degrees is a corner.
TEST(PolygonCleanTest, DelColinearPointsKeepsCornersFarFromTheOrigin)
{
    NPolygon p = Poly({{1000, 500}, {1001, 500.00009}, {1002, 499.91}, {1002, 510}, {1000, 510}});
    EXPECT_FALSE(p.DelColinearPoints());
    EXPECT_EQ(p.m_points.size(), 5u);
}

// Near-axis edges become exact where the moved vertex stays outside the
// material (on the right of the ring) or within EPS of it.
TEST(PolygonCleanTest, SimplifyStraightensNearAxisEdgesOutwards)
{
    const struct {
        const char* what;
        std::vector<NPoint> ring, expected;
    } cases[] = {
        {"outwards", {{0, 0}, {10, 0}, {10, 10}, {-0.0005, 10}}, {{-0.0005, 0}, {10, 0}, {10, 10}, {-0.0005, 10}}},
        {"inwards within EPS", {{0, 0}, {10, 0}, {10, 10}, {0.00005, 10}}, {{0.00005, 0}, {10, 0}, {10, 10}, {0.00005, 10}}},
        // The end of a nearly level edge would go 2 mm into the part.
        {"inwards", {{5214, 1000}, {7598, 1000}, {7598, 2447}, {5214, 2449}},
         {{5214, 1000}, {7598, 1000}, {7598, 2447}, {5214, 2449}}},
        // A hole (clockwise): its top edge goes level into the hole, the
        // left one would go into the material.
        {"hole", {{0, 0}, {0.0005, 10}, {10, 10.002}, {10, 0}}, {{0, 0}, {0.0005, 10}, {10, 10}, {10, 0}}},
        {"steep", {{0, 0}, {10, 0}, {10, 10}, {0.5, 10}}, {{0, 0}, {10, 0}, {10, 10}, {0.5, 10}}},
    };
    for (const auto& c : cases) {
        NPolygon p = Poly(c.ring);
        p.Simplify();
        SCOPED_TRACE(c.what);
        ExpectPoints(p, c.expected);
    }
}

TEST(PolygonCleanTest, TransformCoordsToLong)
{
    NPolygon p = Poly({{3.00005, 3.0002}, {-2.5, 3.00021}, {7.9, 0.1}});
    p.TransformCoordsToLong();
    ExpectPoints(p, {{3, 4}, {-2, 4}, {8, 1}});
}

TEST(PolygonEditTest, ChangeFirstPointAndInvert)
{
    NPolygon p = Poly(kSquare);
    p.ChangeFirstPoint(2);
    ExpectPoints(p, {{10, 10}, {0, 10}, {0, 0}, {10, 0}});
    p.Invert();
    ExpectPoints(p, {{10, 0}, {0, 0}, {0, 10}, {10, 10}});
}

TEST(PolygonEditTest, AppendRingExtendsRunsAndDropsTheClosingRepeat)
{
    NPolygon p = Poly({{0, 0}, {1, 0}});
    p += Poly({{2, 0}, {3, 0}, {3, 1}, {0, 0}});
    ExpectPoints(p, {{0, 0}, {3, 0}, {3, 1}});
    NPolygon single = Poly({{0, 0}});
    single += Poly({{0.00001, 0}, {1, 1}});
    ExpectPoints(single, {{0, 0}, {1, 1}});
}

TEST(PolygonEditTest, AppendToEmptyRingTakesTheVertices)
{
    NPolygon empty;
    empty += Poly({{0, 0}, {1, 0}, {2, 0}, {2, 2}});
    ExpectPoints(empty, {{0, 0}, {2, 0}, {2, 2}});
    NPolygon self = Poly({{0, 0}, {1, 0}, {1, 1}});
    self += self;
    ExpectPoints(self, {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}});
}

TEST(PolygonTransformTest, OffsetRotatePlacement)
{
    NPolygon p({0, 0}, {{1, 0}, {2, 0}, {2, 1}});
    p.SetPlacement(10, 0, PI / 2);
    EXPECT_TRUE((p.m_pole == NPoint{10, 0}));
    EXPECT_TRUE((p.m_points[0] == NPoint{10, 1}));
    EXPECT_NEAR(p.GetGabarit().pBot.x, 9.0, 1e-9);
    EXPECT_NEAR(p.GetGabarit().pTop.y, 2.0, 1e-9);
    p.SetPlacement(-10, 0, 0);
    p.Rotate(std::cos(-PI / 2), std::sin(-PI / 2));  // about the pole, now (0, 0)
    ExpectPoints(p, {{1, 0}, {2, 0}, {2, 1}});
    p.Offset({1, 1});
    EXPECT_TRUE((p.m_pole == NPoint{1, 1}));
    EXPECT_NEAR(p.GetGabarit().pBot.y, 1.0, 1e-9);
}

TEST(PolygonTransformTest, ScaleAndMirrorLeaveGabaritAndPole)
{
    NPolygon p({1, 1}, kSquare);
    p.Scale(2);
    EXPECT_TRUE((p.m_points[2] == NPoint{20, 20}));
    EXPECT_DOUBLE_EQ(p.GetGabarit().pTop.x, 10.0);
    EXPECT_TRUE((p.m_pole == NPoint{1, 1}));
    NPolygon ccw = Poly({{0, 0}, {4, 0}, {4, 1}, {1, 3}});
    ASSERT_TRUE(ccw.CheckDirection());
    ccw.MirrorX();
    ExpectPoints(ccw, {{1, -3}, {4, -1}, {4, 0}, {0, 0}});
    ccw.UpdateGabarit();
    EXPECT_TRUE(ccw.CheckDirection());
}

TEST(PolygonEditTest, ResizeRectangleListedUpThenRight)
{
    NPolygon rect = Poly({{1, 1}, {1, 6}, {11, 6}, {11, 1}});
    rect.SetWidthIfRectangle(20);
    rect.SetHeightIfRectangle(8);
    ExpectPoints(rect, {{1, 1}, {1, 9}, {21, 9}, {21, 1}});
    EXPECT_DOUBLE_EQ(rect.GetGabarit().pTop.x, 11.0);  // the gabarit is left as it was
    NPolygon triangle = Poly({{0, 0}, {0, 5}, {10, 0}});
    triangle.SetWidthIfRectangle(20);
    triangle.SetHeightIfRectangle(20);
    ExpectPoints(triangle, {{0, 0}, {0, 5}, {10, 0}});
}

}  // namespace
