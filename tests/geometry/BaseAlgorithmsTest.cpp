#include "geometry/BaseAlgorithms.h"
#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TEST(PointTest, EqualityIsStrictWithinOneTenThousandth)
{
    EXPECT_TRUE((NPoint{1, 1} == NPoint{1.00009, 0.99991}));
    EXPECT_FALSE((NPoint{0, 1} == NPoint{0.0001, 1}));
    EXPECT_FALSE((NPoint{1, 1} == NPoint{1, 1.0002}));
    EXPECT_FALSE((NPoint{1, 1}.IsEquil(NPoint{1, 1}, 0.0)));
    EXPECT_TRUE((NPoint{1, 1}.IsEquil(NPoint{1.0009, 1}, 0.001)));
    EXPECT_TRUE(CheckEquilPoints(0, 0, 0.00005, -0.00005));
    NIndexPoint a{{2, 3}, 1, 2, Simple};
    NIndexPoint b{{2, 3}, 7, 9, Intersect};
    EXPECT_TRUE(a == b);  // indices and type are not compared
}

TEST(PointTest, ArithmeticAndRotation)
{
    NPoint p{1, 2};
    p += {1, 1};
    p *= 2;
    p /= 4;
    EXPECT_DOUBLE_EQ(p.x, 1.0);
    EXPECT_DOUBLE_EQ(p.y, 1.5);
    NPoint q{2, 1};
    q.Rotate({1, 1}, PI / 2);
    EXPECT_NEAR(q.x, 1.0, 1e-12);
    EXPECT_NEAR(q.y, 2.0, 1e-12);
    EXPECT_NEAR(DR * RD, 1.0, 1e-15);
}

TEST(SegmentTest, EqualityInversionAndPoints)
{
    NSegment s({0, 0}, {1, 0}, 3);
    EXPECT_EQ(s.dir, 3);
    EXPECT_EQ(s.m_ref, 0);
    EXPECT_TRUE((s == NSegment({1, 0}, {0, 0}, 0)));
    EXPECT_FALSE((s == NSegment({1, 0}, {0, 1}, 0)));
    s.Invert();
    EXPECT_TRUE(s.invert);
    EXPECT_DOUBLE_EQ(s.p1.x, 1.0);
    s.Invert();
    EXPECT_FALSE(s.invert);
    EXPECT_DOUBLE_EQ(s.p1.x, 0.0);
    s.Offset({1, 1});
    s.Scale(2);
    EXPECT_DOUBLE_EQ(s.p2.x, 4.0);
    EXPECT_DOUBLE_EQ(s.p2.y, 2.0);
    std::vector<NPoint> pts{{9, 9}};
    s.GetPoints(pts);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_TRUE((pts[1] == NPoint{2, 2}));
}

TEST(LineTest, IntersectionLines)
{
    NPoint p{-7, -7};
    // A shared end point wins, even on collinear segments.
    EXPECT_TRUE(IntersectionLines({0, 0}, {1, 0}, {1, 0}, {2, 0}, p));
    EXPECT_TRUE((p == NPoint{1, 0}));
    p = {-7, -7};
    EXPECT_FALSE(IntersectionLines({0, 0}, {1, 0}, {0, 1}, {1, 1}, p));
    EXPECT_TRUE((p == NPoint{-7, -7}));
    EXPECT_TRUE(IntersectionLines({0, 0}, {2, 2}, {0, 2}, {2, 0}, p));
    EXPECT_TRUE((p == NPoint{1, 1}));
    // The point may lie outside both segments.
    EXPECT_TRUE(IntersectionLines({0, 0}, {1, 0}, {5, 1}, {5, 2}, p));
    EXPECT_TRUE((p == NPoint{5, 0}));
}

TEST(LineTest, SideOfLineAndDistance)
{
    EXPECT_NEAR(DistancePointToLine({0, 0}, {10, 0}, {3, 4}), 4.0, 1e-12);
    EXPECT_NEAR(DistancePointToLine({1, 1}, {2, 2}, {0, 2}), std::sqrt(2.0), 1e-12);
    EXPECT_GT(GetPlacementPointLine({0, 0}, {1, 0}, {0.5, 1}), 0.0);
    EXPECT_LT(GetPlacementPointLine({0, 0}, {1, 0}, {0.5, -1}), 0.0);
    EXPECT_EQ(GetPlacementPointLine({0, 0}, {1, 0}, {0.5, 0.00005}), 0.0);
    // A point 0.00005 left of a line 1000 long keeps its cross product 0.05.
    EXPECT_NEAR(GetPlacementPointLine({0, 0}, {1000, 0}, {500, 0.00005}), 0.05, 1e-9);
    EXPECT_TRUE(CheckLineContainPoint({0, 0}, {1, 1}, {5, 5}));
    EXPECT_FALSE(CheckLineContainPoint({0, 0}, {1, 1}, {5, 5.01}));
}

// A direction component below the tolerance is dropped, but the line still
// runs through the segment's first point: far from the origin a short,
// nearly level edge keeps its own end points on its line.
TEST(LineTest, NearlyLevelShortEdgeFarFromTheOrigin)
{
    const NPoint a{1000, 500};
    const NPoint b{1001, 500.00009};
    EXPECT_LT(DistancePointToLine(a, b, a), EPS);
    EXPECT_LT(DistancePointToLine(a, b, b), EPS);
    EXPECT_NEAR(DistancePointToLine(a, b, {1002, 499.91}), 0.09, 1e-9);
    EXPECT_FALSE(CheckLineContainPoint(a, {1000.002, 500.00009}, {1000.001, 455}));
}

TEST(LineTest, DegenerateSegmentGivesPointDistanceAndFirstPoint)
{
    const NPoint a{3, 4};
    EXPECT_DOUBLE_EQ(DistancePointToLine(a, a, {0, 0}), 5.0);
    EXPECT_DOUBLE_EQ(DistancePointToLine(a, {3.00005, 4.00005}, {0, 0}), 5.0);
    const NPoint q = GetProjectionPointToLine(a, a, {0, 0});
    EXPECT_FALSE(std::isnan(q.x) || std::isnan(q.y));
    EXPECT_TRUE(q == a);
}

TEST(LineTest, ProjectionOntoLine)
{
    EXPECT_TRUE((GetProjectionPointToLine({0, 0}, {10, 0}, {3, 4}) == NPoint{3, 0}));
    EXPECT_TRUE((GetProjectionPointToLine({0, 0}, {10, 0}, {3, -4}) == NPoint{3, 0}));
    EXPECT_TRUE((GetProjectionPointToLine({0, 0}, {0, 10}, {2, 7}) == NPoint{0, 7}));
    EXPECT_TRUE((GetProjectionPointToLine({0, 0}, {2, 2}, {0, 2}) == NPoint{1, 1}));
    // Points within the tolerance of a long line, on either side, land on it
    // (stepping away from it, they missed the edge the nearest point is on).
    const struct {
        NPoint p1, p2, p, foot;
    } hairs[] = {
        {{87.4, 78.94757}, {207.4, 78.94757}, {120, 78.947633}, {120, 78.94757}},
        {{87.4, 78.94757}, {207.4, 78.94757}, {120, 78.947507}, {120, 78.94757}},
        {{0, 0}, {0, 300}, {-0.00006, 50}, {0, 50}},
        {{0, 0}, {300, 300}, {100, 100.00008}, {100.00004, 100.00004}},
    };
    for (const auto& h : hairs) {
        const NPoint q = GetProjectionPointToLine(h.p1, h.p2, h.p);
        EXPECT_NEAR(q.x, h.foot.x, 1e-9);
        EXPECT_NEAR(q.y, h.foot.y, 1e-9);
        NPolygon triangle;
        triangle.m_points = {h.p1, h.p2, {h.p2.x + 500, h.p2.y - 500}};
        EXPECT_LT(Distance(GetProjectionPointToPoligon(triangle, h.p), h.foot), 1e-9);
    }
}

TEST(SegmentTest, SegmentContainsPoint)
{
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {4, 2}, {0, 0}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {4, 2}, {4, 2}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {4, 2}, {2, 1}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {4, 2}, {1, 0.5}));
    EXPECT_FALSE(CheckSegmentContainPoint({0, 0}, {4, 2}, {6, 3}));
    EXPECT_FALSE(CheckSegmentContainPoint({0, 0}, {0, 5}, {0, 5.0002}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {0, 5}, {0.00005, 5.00005}));
    EXPECT_FALSE(CheckSegmentContainPoint({0, 0}, {5, 0}, {-0.0002, 0}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {5, 0}, {3, -0.00009}));
}

// The side test bounds the raw cross product, not the distance: off a short
// slanted edge the band is wider than the equality tolerance (up to the
// edge's widened box), off a long one it is that tolerance.
TEST(SegmentTest, BandAroundAnEdgeFollowsTheRawCrossProduct)
{
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {0.0014, 0.0014}, {0.0014, 0}));  // about 0.001 away
    EXPECT_FALSE(CheckSegmentContainPoint({0, 0}, {0.0014, 0.0014}, {0.0017, 0}));  // outside the box
    EXPECT_FALSE(CheckSegmentContainPoint({0, 0}, {10, 10}, {5.001, 4.999}));
    EXPECT_TRUE(CheckSegmentContainPoint({0, 0}, {10, 10}, {5.00005, 4.99995}));
}

TEST(SegmentTest, SegmentsMeet)
{
    EXPECT_TRUE(CheckIntersectionSegments({0, 0}, {2, 2}, {0, 2}, {2, 0}));
    EXPECT_TRUE(CheckIntersectionSegments({0, 0}, {1, 0}, {1, 0}, {1, 1}));   // shared end
    EXPECT_TRUE(CheckIntersectionSegments({0, 0}, {2, 0}, {1, 0}, {1, 1}));   // touching
    EXPECT_TRUE(CheckIntersectionSegments({0, 0}, {2, 0}, {1, 0}, {3, 0}));   // collinear overlap
    EXPECT_FALSE(CheckIntersectionSegments({0, 0}, {1, 0}, {2, 0}, {3, 0}));  // collinear apart
    EXPECT_FALSE(CheckIntersectionSegments({0, 0}, {2, 0}, {1, 0.1}, {1, 1}));
    EXPECT_FALSE(CheckIntersectionSegments({0, 0}, {2, 2}, {3, 0}, {2, 1.1}));
}

TEST(AngleTest, AnglePointAndAngleBetweenLines)
{
    EXPECT_DOUBLE_EQ(AnglePoint(0, 0, 0, 0), PI);
    EXPECT_DOUBLE_EQ(AnglePoint(0, 0, 1, 0), 0.0);
    EXPECT_DOUBLE_EQ(AnglePoint(0, 0, 0, 1), PI / 2);
    EXPECT_DOUBLE_EQ(AnglePoint(0, 0, 0, -1), 3 * PI / 2);
    const NSegment x({0, 0}, {1, 0}, 0);
    EXPECT_EQ(AngleBetweenTwoLines(x, NSegment({0, 0}, {0.005, 0.005}, 0)), 0.0);
    EXPECT_NEAR(AngleBetweenTwoLines(x, NSegment({5, 5}, {7, 5}, 0)), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(AngleBetweenTwoLines(x, NSegment({5, 5}, {3, 5}, 0)), PI);
    EXPECT_NEAR(AngleBetweenTwoLines(x, NSegment({0, 0}, {-1, 1}, 0)), PI / 4, 1e-12);
    // Nearly parallel long segments: rounding must not produce NaN.
    const NSegment a({0.1, 0.3}, {1234.7, 2469.7}, 0);
    const NSegment b({5.3, 1.1}, {5.3 + 1234.6 * 3, 1.1 + 2469.4 * 3}, 0);
    EXPECT_FALSE(std::isnan(AngleBetweenTwoLines(a, b)));
    // Into one turn, a whole turn and a tiny negative angle to 0.
    for (const auto& [angle, normal] : {std::pair{823.25, 103.25}, {-90.0, 270.0}, {360.0, 0.0}, {-1e-15, 0.0},
                                        {-1080.5, 359.5}, {1e7 + 90, 10.0}})
        EXPECT_DOUBLE_EQ(NormalizeAngle(angle), normal) << angle;
    EXPECT_DOUBLE_EQ(NormalizeAngle(-PI / 2, 2 * PI), 1.5 * PI);
}

TEST(CircleTest, CircleThroughThreePoints)
{
    double x0 = 9, y0 = 9, r = 9;
    GetParamCircleBy3Points({2, 0}, {0, 2}, {-2, 0}, x0, y0, r);
    EXPECT_NEAR(x0, 0.0, 1e-12);
    EXPECT_NEAR(y0, 0.0, 1e-12);
    EXPECT_NEAR(r, 4.0, 1e-12);
    x0 = 9, y0 = 9;
    GetParamCircleBy3Points_(0, 0, 1, 1, 2, 2, x0, y0, r);
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(x0, 9.0);
    EXPECT_EQ(y0, 9.0);
    GetParamCircleBy3Points_(4, 3, 8, 1, 6, 3, x0, y0, r);  // centre (5, 0), radius sqrt(10)
    EXPECT_NEAR(x0, 5.0, 1e-9);
    EXPECT_NEAR(y0, 0.0, 1e-9);
    EXPECT_NEAR(r, 10.0, 1e-9);
}

TEST(RectTest, ContainmentAndOverlap)
{
    const NRect unit{{0, 0}, {1, 1}};
    EXPECT_TRUE(CheckRectContainPoint(unit, {1.00009, 0}));
    EXPECT_FALSE(CheckRectContainPoint(unit, {1.0001, 0}));
    EXPECT_TRUE(CheckRectContainRect(unit, NRect{{0, 0}, {1, 1}}));
    EXPECT_FALSE(CheckRectContainRect(unit, NRect{{0, 0}, {1.1, 1}}));
    EXPECT_TRUE(CheckIntersectRects(unit, NRect{{1, 0}, {2, 1}}));  // shared edge
    EXPECT_FALSE(CheckIntersectRects(unit, NRect{{1.001, 0}, {2, 1}}));
    const NRect tall{{0.4, -5}, {0.6, 5}};
    const NRect wide{{-5, 0.4}, {5, 0.6}};
    EXPECT_TRUE(CheckIntersectRects(tall, wide));
    EXPECT_TRUE(CheckIntersectRects(wide, tall));
    EXPECT_TRUE(CheckEquilRects(unit, NRect{{7, 7}, {8, 8.00005}}));
    EXPECT_FALSE(CheckEquilRects(unit, NRect{{7, 7}, {8, 8.1}}));
}

TEST(RectTest, ExtentAndOffset)
{
    NRect r{{0, 0}, {10, 4}};
    ExtentRectX(r, 10);
    EXPECT_DOUBLE_EQ(r.pBot.x, -5.0);
    EXPECT_DOUBLE_EQ(r.pTop.x, 15.0);
    ExtentRectY(r, -2);
    EXPECT_DOUBLE_EQ(r.pBot.y, 1.0);
    EXPECT_DOUBLE_EQ(r.pTop.y, 3.0);
    OffsetRect(r, {1, 1});
    EXPECT_DOUBLE_EQ(r.pBot.x, -4.0);
    EXPECT_DOUBLE_EQ(r.pTop.y, 4.0);
}

// The segment crossing test rejects on the two segments' boxes with a quick
// interval test; it must agree with the rectangle overlap test on every pair
// of boxes, ties and zero-size boxes included.
TEST(RectTest, SegmentBoxRejectAgreesWithRectangleOverlap)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 4);
    for (int trial = 0; trial < 20000; ++trial) {
        const NPoint p1{coord(rng) * 0.5, coord(rng) * 0.5}, p2{coord(rng) * 0.5, coord(rng) * 0.5};
        const NPoint p3{coord(rng) * 0.5, coord(rng) * 0.5}, p4{coord(rng) * 0.5, coord(rng) * 0.5};
        const NRect r1{{std::min(p1.x, p2.x), std::min(p1.y, p2.y)}, {std::max(p1.x, p2.x), std::max(p1.y, p2.y)}};
        const NRect r2{{std::min(p3.x, p4.x), std::min(p3.y, p4.y)}, {std::max(p3.x, p4.x), std::max(p3.y, p4.y)}};
        if (!CheckIntersectRects(r1, r2)) {
            ASSERT_FALSE(CheckIntersectionSegments(p1, p2, p3, p4));
        } else if (p1 == p3 || p1 == p4 || p2 == p3 || p2 == p4) {
            ASSERT_TRUE(CheckIntersectionSegments(p1, p2, p3, p4));
        }
    }
}

}  // namespace
