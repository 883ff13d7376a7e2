// Shape tests, convex hull, minimal-gabarit angle and the joining of two
// outlines into a rectangle.
#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

NPolygon Ring(std::vector<NPoint> points) { return NPolygon(NPoint{}, std::move(points)); }

// The rectangle w x h with its first edge turned by `degrees` about the origin.
std::vector<NPoint> TurnedRectangle(double w, double h, double degrees)
{
    std::vector<NPoint> points{{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (NPoint& p : points)
        p.Rotate(NPoint{}, degrees * DR);
    return points;
}

void ExpectPoints(const std::vector<NPoint>& actual, const std::vector<NPoint>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_TRUE(actual[k] == expected[k]) << "point " << k << ": (" << actual[k].x << ", " << actual[k].y << ")";
}

TEST(CheckRectangle, AcceptsRectanglesInAnyOrientationOnly)
{
    double w = 0;
    double h = 0;
    EXPECT_TRUE(Ring(TurnedRectangle(10, 10, 30)).CheckRectangle(w, h));
    EXPECT_NEAR(w, 10, 1e-9);
    EXPECT_NEAR(h, 10, 1e-9);
    EXPECT_TRUE(Ring({{0, 0}, {0, 3}, {8, 3}, {8, 0}}).CheckRectangle(w, h));
    EXPECT_DOUBLE_EQ(w, 8);
    EXPECT_DOUBLE_EQ(h, 3);

    w = h = -1;
    EXPECT_FALSE(Ring({{0, 0}, {2, 1}, {4, 0}, {2, -3}}).CheckRectangle(w, h));  // rhombus
    EXPECT_FALSE(Ring({{0, 0}, {2, 0}, {3, 1}, {1, 2}, {-1, 1}}).CheckRectangle(w, h));
    EXPECT_EQ(w, -1);
    EXPECT_FALSE(Ring({}).CheckRectangle());
}

TEST(CheckTriangularity, RightTrianglesOfUsableProportions)
{
    EXPECT_TRUE(Ring({{0, 0}, {40, 0}, {0, 30}}).CheckTriangularity());
    EXPECT_TRUE(Ring({{0, 0}, {10, 0}, {0, 10}}).CheckTriangularity());
    EXPECT_FALSE(Ring({{0, 0}, {100, 0}, {0, 10}}).CheckTriangularity());  // about 5.7 degrees
    EXPECT_FALSE(Ring({{0, 0}, {10, 0}, {10, 5}, {0, 5}}).CheckTriangularity());
    EXPECT_FALSE(Ring({}).CheckTriangularity());
    EXPECT_FALSE(Ring({{0, 0}, {1, 0}}).CheckTriangularity());
    // Rings whose three longest edges stand as a right triangle's do but
    // that hold more: a triangle with its acute corner cut, and a disc on
    // chords (the longest spanning 32 degrees, the next two 30 degrees and a
    // quarter turn apart).
    EXPECT_FALSE(Ring({{0, 0}, {40, 0}, {4, 27}, {0, 27}}).CheckTriangularity());
    std::vector<NPoint> disc;
    for (const double degrees : {0, 30, 44, 76, 90, 120, 140, 160, 180, 200, 220, 240, 260, 280, 300, 320, 340})
        disc.push_back({100 * std::cos(degrees * DR), 100 * std::sin(degrees * DR)});
    EXPECT_FALSE(Ring(disc).CheckTriangularity());
}

TEST(FindMaxSegment, FirstLongestEdgeFromItsStartVertex)
{
    size_t ind1 = 0;
    size_t ind2 = 0;
    const NSegment seg = Ring({{0, 0}, {10, 0}, {10, 1}, {0, 1}}).FindMaxSegment(ind1, ind2);
    EXPECT_EQ(ind1, 0u);
    EXPECT_EQ(ind2, 1u);
    EXPECT_TRUE(seg.p1 == (NPoint{0, 0}));
    EXPECT_TRUE(seg.p2 == (NPoint{10, 0}));

    ind1 = ind2 = 0;
    Ring({{0, 0}, {1, 0}, {1, 9}}).FindMaxSegment(ind1, ind2);
    EXPECT_EQ(ind1, 2u);  // the closing edge
    EXPECT_EQ(ind2, 0u);
}

TEST(CheckMirror, LongestEdgesRunningTheSameWayAreNotMirrored)
{
    const NPolygon triangle = Ring({{0, 0}, {40, 0}, {0, 30}});
    EXPECT_FALSE(triangle.CheckMirror(Ring({{5, 5}, {45, 5}, {5, 35}})));
    EXPECT_TRUE(triangle.CheckMirror(Ring({{0, 0}, {0, 30}, {-40, 0}})));
    EXPECT_FALSE(triangle.CheckMirror(Ring({})));
}

TEST(CreateConvexHull, MonotoneChainCounterClockwise)
{
    std::vector<NPoint> hull;
    CreateConvexHull({{0, 0}, {2, 0}, {1, 0}, {2, 2}, {0, 2}, {1, 1}}, hull);
    ExpectPoints(hull, {{0, 0}, {2, 0}, {2, 2}, {0, 2}});

    std::vector<NPoint> few;
    CreateConvexHull({{2, 0}, {0, 0}, {1, 0}}, few);
    ExpectPoints(few, {{2, 0}, {0, 0}, {1, 0}});
}

TEST(CheckConvexHull, TrianglesAndSquaresAreConvexAnLShapeIsNot)
{
    EXPECT_TRUE(CheckConvexHull({{0, 0}, {5, 1}, {2, 7}}));
    EXPECT_TRUE(CheckConvexHull({{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    EXPECT_FALSE(CheckConvexHull({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}));
    // A cross: every edge that crosses another's line does so at a vertex.
    EXPECT_FALSE(CheckConvexHull(
        {{0, 0}, {2, 0}, {2, -2}, {4, -2}, {4, 0}, {6, 0}, {6, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}, {0, 2}}));
    EXPECT_TRUE(CheckConvexHull({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 1}, {0, 1}}));
    EXPECT_FALSE(CheckConvexHull({}));
}

TEST(CorrectMinGabaritAngle, SnapsWithinOneDegreeOfAQuarterTurn)
{
    EXPECT_DOUBLE_EQ(CorrectMinGabaritAngle(-1.5707), -PI / 2);
    EXPECT_DOUBLE_EQ(CorrectMinGabaritAngle(0.3), 0.3);
    EXPECT_DOUBLE_EQ(CorrectMinGabaritAngle(0.5 * DR), 0.0);
    EXPECT_DOUBLE_EQ(CorrectMinGabaritAngle(89.5 * DR), PI / 2);
    EXPECT_DOUBLE_EQ(CorrectMinGabaritAngle(-359.5 * DR), 0.0);
}

TEST(CalculateAngleMinGabarit, TurnThatMakesTheSmallestBoxAxisParallel)
{
    EXPECT_NEAR(Ring({{0, 0}, {10, 0}, {10, 5}, {0, 5}}).CalculateAngleMinGabarit(), 0, 1e-9);
    EXPECT_NEAR(Ring(TurnedRectangle(10, 5, 30)).CalculateAngleMinGabarit(), 330, 1e-9);
    EXPECT_NEAR(Ring({{10, 0}, {0, 0}, {0, 5}, {10, 5}}).CalculateAngleMinGabarit(), 180, 1e-9);
    EXPECT_EQ(Ring({}).CalculateAngleMinGabarit(), 0.0);
}

// From 20 vertices the calipers on the hull take over from the edge search;
// both find the same turn.
TEST(CalculateAngleMinGabarit, CalipersAgreeWithTheEdgeSearch)
{
    for (size_t count : {19u, 20u, 40u}) {
        std::vector<NPoint> points;
        for (size_t k = 0; k < count; ++k) {
            const double t = static_cast<double>(k) / static_cast<double>(count);
            points.push_back(t < 0.5 ? NPoint{40 * t, 0} : NPoint{40 * (1 - t), 3 + std::sin(t * 20)});
        }
        for (NPoint& p : points)
            p.Rotate(NPoint{}, 25 * DR);
        NPolygon polygon = Ring(points);
        const double degrees = polygon.CalculateAngleMinGabarit();
        EXPECT_NEAR(degrees, 335, 1e-6) << count << " vertices";
        EXPECT_TRUE(polygon.m_points == points);
    }
}

// A 100 x 20 rectangle turned by 30 degrees with a notch in every side: no
// edge of the ring runs along a side of the smallest box, the hull's do.
TEST(CalculateAngleMinGabarit, NotchedOutlineTurnsLikeItsHull)
{
    const std::vector<NPoint> notched{{0, 0},  {50, 5},  {100, 0}, {98, 10}, {100, 20}, {50, 15},
                                      {0, 20}, {2, 10}};
    std::vector<NPoint> turned = notched;
    for (NPoint& p : turned)
        p.Rotate(NPoint{}, 30 * DR);
    NPolygon polygon = Ring(turned);
    polygon.Rotate(polygon.CalculateAngleMinGabarit() * DR);
    EXPECT_NEAR(polygon.GetGabaritArea(), 2000, 1e-6);
}

TEST(CalculateAngleMinGabarit, DegenerateRingsGiveNoTurn)
{
    EXPECT_EQ(Ring({{3, 3}}).CalculateAngleMinGabarit_N2(), 0.0);
    EXPECT_EQ(Ring({{3, 3}, {3, 3}, {3, 3}}).CalculateAngleMinGabarit_N2(), 0.0);
    EXPECT_EQ(CalculateMinGabarit({}), 0.0);
}

// Right triangle with legs 30 and 40, centred on its box.
NPolygon CentredTriangle() { return Ring({{-15, -20}, {15, -20}, {-15, 20}}); }

// The outputs of CompoundPolygonsToRectangle, starting from the given values.
struct Joint {
    double dx = 0, dy = 0, angle = 0;
    NPolygonPtr ring;
};

Joint Join(const NPolygon& a, const NPolygon& b, double gap, Joint j = {})
{
    j.ring = CompoundPolygonsToRectangle(a, b, gap, j.dx, j.dy, j.angle);
    return j;
}

TEST(CompoundPolygonsToRectangle, TwoTrianglesGapZeroGiveTheirBox)
{
    const Joint j = Join(CentredTriangle(), CentredTriangle(), 0, {7, 7, 7, nullptr});
    ASSERT_TRUE(j.ring);
    EXPECT_DOUBLE_EQ(j.angle, -180);
    EXPECT_NEAR(j.dx, 0, 1e-9);
    EXPECT_NEAR(j.dy, 0, 1e-9);
    ExpectPoints(j.ring->m_points, {{-15, -20}, {15, -20}, {15, 20}, {-15, 20}});
}

TEST(CompoundPolygonsToRectangle, GapAcrossASteepHypotenuseShiftsSideways)
{
    const Joint j = Join(CentredTriangle(), CentredTriangle(), 10);
    ASSERT_TRUE(j.ring);
    EXPECT_DOUBLE_EQ(j.angle, -180);
    EXPECT_NEAR(j.dx, 12.5, 1e-9);
    EXPECT_NEAR(j.dy, 0, 1e-9);
    ExpectPoints(j.ring->m_points, {{-15, 20}, {-15, -20}, {27.5, -20}, {27.5, 20}});
}

TEST(CompoundPolygonsToRectangle, GapAcrossAShallowHypotenuseShiftsUpwards)
{
    const NPolygon shallow = Ring({{-20, -15}, {20, -15}, {-20, 15}});
    const Joint j = Join(shallow, shallow, 10);
    ASSERT_TRUE(j.ring);
    EXPECT_NEAR(j.dx, 0, 1e-9);
    EXPECT_NEAR(j.dy, 12.5, 1e-9);
}

TEST(CompoundPolygonsToRectangle, TurnOfNearlyPerpendicularEdgesIsFolded)
{
    const NPolygon flat = Ring({{0, 0}, {10, 0}, {0, 1}});
    const auto turnFor = [&](double degrees) {
        NPolygon other = flat;
        for (NPoint& p : other.m_points)
            p.Rotate(NPoint{}, degrees * DR);
        return Join(flat, other, 0).angle;
    };
    EXPECT_NEAR(turnFor(60), -120, 1e-6);
    EXPECT_NEAR(turnFor(89.5), 89.5, 1e-6);
    EXPECT_NEAR(turnFor(88), -92, 1e-6);
}

// Longest edges already running opposite ways need no turn; folding that to
// a half turn would lay the second edge the wrong way along the first.
TEST(CompoundPolygonsToRectangle, OppositeLongestEdgesKeepATurnOfZero)
{
    NPolygon turned = CentredTriangle();
    for (NPoint& p : turned.m_points)
        p.Rotate(NPoint{}, PI);
    const Joint j = Join(CentredTriangle(), turned, 0, {0, 0, 99, nullptr});
    ASSERT_TRUE(j.ring);
    EXPECT_EQ(j.angle, 0.0);
    EXPECT_NEAR(j.dx, 0, 1e-9);
    EXPECT_NEAR(j.dy, 0, 1e-9);
    EXPECT_EQ(j.ring->m_points.size(), 4u);
}

TEST(CompoundPolygonsToRectangle, RefusesEmptyOrPointLikeOutlines)
{
    double dx = 1;
    double dy = 2;
    double angle = 3;
    EXPECT_FALSE(CompoundPolygonsToRectangle(Ring({}), CentredTriangle(), 0, dx, dy, angle));
    EXPECT_FALSE(CompoundPolygonsToRectangle(Ring({{4, 4}, {4, 4}, {4, 4}}), CentredTriangle(), 5, dx, dy, angle));
    EXPECT_EQ(dx, 1);
    EXPECT_EQ(dy, 2);
    EXPECT_EQ(angle, 3);
}

TEST(CompoundPolygonsToRectangle, LongerOutlinesDropTheEndsOfTheirLongestEdge)
{
    const NPolygon quad = Ring({{0, 0}, {10, 0}, {10, 1}, {0, 30}});
    const Joint j = Join(quad, CentredTriangle(), 0);
    ASSERT_TRUE(j.ring);
    for (const NPoint& p : j.ring->m_points)
        EXPECT_FALSE(p == (NPoint{10, 1}) || p == (NPoint{0, 30}));
}

}  // namespace
