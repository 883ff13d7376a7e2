#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Points = std::vector<NPoint>;

NPolygon Poly(const Points& pts) { return NPolygon(NPoint{}, pts); }

void ExpectPoints(const NPolygon& p, const Points& expected)
{
    ASSERT_EQ(p.m_points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_TRUE(p.m_points[k] == expected[k]) << "vertex " << k << ": " << p.m_points[k].x << "," << p.m_points[k].y;
}

TEST(SelfIntersectionTest, SimpleRingReportsItsLastVertexOnly)
{
    const NPolygon triangle = Poly({{0, 0}, {4, 0}, {0, 3}});
    std::vector<NIndexPoint> hits;
    ASSERT_TRUE(triangle.SelfIntersection(hits));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE((hits[0] == NPoint{0, 3}));
    EXPECT_EQ(hits[0].i, 0u);
    EXPECT_EQ(hits[0].j, 2u);
    VectorPolygon subs;
    triangle.GetSubPolygons(subs);
    EXPECT_TRUE(subs.empty());
    EXPECT_FALSE(Poly({{1, 1}}).SelfIntersection(hits));
}

TEST(SelfIntersectionTest, BowTieFallsIntoTwoTriangles)
{
    const NPolygon bowTie = Poly({{0, 0}, {2, 2}, {2, 0}, {0, 2}});
    std::vector<NIndexPoint> hits;
    ASSERT_TRUE(bowTie.SelfIntersection(hits));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_TRUE((hits[1] == NPoint{1, 1}));
    EXPECT_EQ(hits[1].i, 1u);
    EXPECT_EQ(hits[1].j, 3u);
    VectorPolygon subs;
    bowTie.GetSubPolygons(subs);
    ASSERT_EQ(subs.size(), 2u);
    ExpectPoints(*subs[0], {{0, 2}, {0, 0}, {1, 1}});
    ExpectPoints(*subs[1], {{1, 1}, {2, 2}, {2, 0}});
    EXPECT_TRUE((subs[0]->m_pole == NPoint{0, 0}));
}

TEST(SelfIntersectionTest, RingTouchingItselfSplitsAtTheTouchingPoint)
{
    // Two squares joined at the corner (2, 2), drawn as one ring.
    const NPolygon eight = Poly({{0, 0}, {2, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}, {0, 2}});
    VectorPolygon subs;
    eight.GetSubPolygons(subs);
    ASSERT_EQ(subs.size(), 2u);
    ExpectPoints(*subs[0], {{0, 2}, {0, 0}, {2, 0}, {2, 2}});
    ExpectPoints(*subs[1], {{2, 2}, {4, 2}, {4, 4}, {2, 4}});
}

TEST(NormalTest, AtVerticesAndOnEdges)
{
    const NPolygon sq = Poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    NPoint pn1, pn2;
    ASSERT_TRUE(sq.Normal({2, 0}, pn1, pn2));
    EXPECT_NEAR(pn1.x, 2.0, 1e-6);
    EXPECT_NEAR(pn2.x, 2.0, 1e-6);
    EXPECT_LT(pn1.y, -1e9);  // p minus the edge turned counter-clockwise
    EXPECT_GT(pn2.y, 1e9);
    ASSERT_TRUE(sq.Normal({4, 4}, pn1, pn2));
    EXPECT_NEAR(pn2.x - 4, pn2.y - 4, 1e-3);  // along the corner's bisector
    EXPECT_GT(pn2.x, 1e9);
    EXPECT_FALSE(sq.Normal({2, 2}, pn1, pn2));
    EXPECT_FALSE(NPolygon().Normal({0, 0}, pn1, pn2));
}

TEST(NormalTest, StraightVertexAndZeroLengthNeighbours)
{
    const NPolygon straight = Poly({{0, 0}, {2, 0}, {4, 0}, {4, 4}});
    NPoint pn1, pn2;
    ASSERT_TRUE(straight.Normal({2, 0}, pn1, pn2));
    EXPECT_TRUE((pn1 == NPoint{2, 0}));
    EXPECT_TRUE((pn2 == NPoint{2, 0}));
    // A repeated vertex next to p gives no direction: the next distinct one is used.
    const NPolygon repeated = Poly({{0, 0}, {4, 0}, {4, 0}, {4, 4}, {0, 4}});
    ASSERT_TRUE(repeated.Normal({4, 0}, pn1, pn2));
    EXPECT_FALSE(std::isnan(pn1.x) || std::isnan(pn1.y) || std::isnan(pn2.x) || std::isnan(pn2.y));
    EXPECT_NEAR(pn2.x - 4, -pn2.y, 1e-3);  // bisector of the corner (4, 0)
    const NPolygon point = Poly({{1, 1}, {1, 1}});
    EXPECT_FALSE(point.Normal({1, 1}, pn1, pn2));
}

TEST(NearestCrossingTest, NearIntersectionToPoint)
{
    const NPolygon sq = Poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    const NSegment across({-10, 2}, {10, 2}, 0);
    NPoint pi{-1, -1};
    double min = 1e9;
    ASSERT_TRUE(sq.NearIntersectionToPoint(across, {5, 2}, pi, min));
    EXPECT_TRUE((pi == NPoint{4, 2}));
    EXPECT_NEAR(min, 1.0, 1e-9);
    // A crossing at p0 itself is ignored; nothing nearer than min keeps the outputs.
    pi = {-1, -1};
    min = 1e9;
    ASSERT_TRUE(sq.NearIntersectionToPoint(across, {4, 2}, pi, min));
    EXPECT_TRUE((pi == NPoint{0, 2}));
    min = 0.5;
    pi = {-1, -1};
    EXPECT_FALSE(sq.NearIntersectionToPoint(across, {5, 2}, pi, min));
    EXPECT_EQ(min, 0.5);
    EXPECT_TRUE((pi == NPoint{-1, -1}));
}

TEST(ProjectionTest, NearestBoundaryPoint)
{
    const NPolygon sq = Poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    EXPECT_TRUE((GetProjectionPointToPoligon(sq, {1, 1.5}) == NPoint{0, 1.5}));
    EXPECT_TRUE((GetProjectionPointToPoligon(sq, {6, 7}) == NPoint{4, 4}));
    EXPECT_TRUE((GetProjectionPointToPoligon(sq, {2, -3}) == NPoint{2, 0}));
}

TEST(ProjectionTest, FarPointsDegenerateEdgesAndEmptyRings)
{
    const NPolygon sq = Poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    EXPECT_TRUE((GetProjectionPointToPoligon(sq, {1e5, 2}) == NPoint{4, 2}));
    EXPECT_TRUE((GetProjectionPointToPoligon(sq, {-1e6, -1e6}) == NPoint{0, 0}));
    const NPolygon repeated = Poly({{0, 0}, {4, 0}, {4, 0}, {4, 4}});
    const NPoint q = GetProjectionPointToPoligon(repeated, {5, -1});
    EXPECT_TRUE((q == NPoint{4, 0}));
    EXPECT_TRUE((GetProjectionPointToPoligon(NPolygon(), {3, 3}) == NPoint{3, 3}));
}

}  // namespace
