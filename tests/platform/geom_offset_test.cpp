#include "geom/Offset.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace vlhost::geom;

double ringArea(const Ring& ring)
{
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i)
        sum += cross(ring[i], ring[(i + 1) % ring.size()]);
    return sum / 2;
}

double regionArea(const std::vector<Ring>& rings)
{
    double sum = 0;
    for (const Ring& r : rings)
        sum += ringArea(r);   // holes run clockwise and count negative
    return sum;
}

// An L of arms 100 x 40 with a round hole of radius 10 about (20, 20).
std::vector<Contour> lShapeWithHole()
{
    const std::vector<Point> l{{0, 0}, {100, 0}, {100, 40}, {40, 40}, {40, 100}, {0, 100}};
    std::vector<Curve> curves;
    for (std::size_t i = 0; i < l.size(); ++i)
        curves.push_back(Segment{l[i], l[(i + 1) % l.size()]});
    curves.push_back(Circle{{20, 20}, 10});
    return chainContours(curves);
}

constexpr double kArea = 6400;
constexpr double kPerimeter = 400;
constexpr double kSag = 1e-4;

// Area of the L eroded by d with sharp inner corners: the union of its two shrunk arms.
double shrunkArms(double d)
{
    return 2 * (100 - 2 * d) * (40 - 2 * d) - (40 - 2 * d) * (40 - 2 * d);
}

TEST(GeomOffset, LShapeWithHoleGrows)
{
    const std::vector<Contour> region = lShapeWithHole();
    ASSERT_EQ(region.size(), 2u);
    const double d = 2;
    const double hole = kPi * (10 - d) * (10 - d);
    // Five convex corners get quarter discs (or squares), the re-entrant one loses a d x d overlap.
    const std::vector<Ring> round = offsetContours(region, d, Corners::Round, kSag);
    ASSERT_EQ(round.size(), 2u);
    EXPECT_GT(ringArea(round[0]), 0);
    EXPECT_LT(ringArea(round[1]), 0);
    EXPECT_NEAR(regionArea(round), kArea + kPerimeter * d + (1.25 * kPi - 1) * d * d - hole, 0.01);
    const std::vector<Ring> sharp = offsetContours(region, d, Corners::Sharp, kSag);
    ASSERT_EQ(sharp.size(), 2u);
    EXPECT_NEAR(regionArea(sharp), kArea + kPerimeter * d + 4 * d * d - hole, 0.01);
}

TEST(GeomOffset, LShapeWithHoleShrinks)
{
    const std::vector<Contour> region = lShapeWithHole();
    const double d = 3;
    const double hole = kPi * (10 + d) * (10 + d);
    const std::vector<Ring> sharp = offsetContours(region, -d, Corners::Sharp, kSag);
    ASSERT_EQ(sharp.size(), 2u);
    EXPECT_NEAR(regionArea(sharp), shrunkArms(d) - hole, 0.01);
    // Round corners keep the points within d of the re-entrant corner out: a square less a quarter disc comes back.
    const std::vector<Ring> round = offsetContours(region, -d, Corners::Round, kSag);
    EXPECT_NEAR(regionArea(round), shrunkArms(d) + d * d * (1 - kPi / 4) - hole, 0.01);
}

TEST(GeomOffset, HolesAndRegionsVanishCleanly)
{
    const std::vector<Contour> region = lShapeWithHole();
    // Growing by more than the hole's radius closes the hole.
    const std::vector<Ring> closed = offsetContours(region, 11, Corners::Round, 1e-3);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_GT(ringArea(closed[0]), kArea);
    // Shrinking the 40-wide arms by 20 or more leaves nothing.
    EXPECT_TRUE(offsetContours(region, -20, Corners::Round, 1e-3).empty());
    EXPECT_TRUE(offsetContours(region, -25, Corners::Sharp, 1e-3).empty());
    // A hole close to the border splits the shrunk arm where the wall is thinner than twice the distance.
    const std::vector<Ring> bar{{{0, 0}, {100, 0}, {100, 20}, {0, 20}}, {{45, 3}, {55, 3}, {55, 17}, {45, 17}}};
    const std::vector<Ring> split = offsetRings(bar, -2, Corners::Sharp, 1e-3);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_NEAR(regionArea(split), 2 * 41 * 16, 1e-6);
}

TEST(GeomOffset, RingDirectionDoesNotMatter)
{
    const std::vector<Ring> ccw{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
    const std::vector<Ring> cw{{{0, 0}, {0, 10}, {10, 10}, {10, 0}}};
    EXPECT_NEAR(regionArea(offsetRings(ccw, 1, Corners::Sharp, 1e-3)), 144, 1e-6);
    EXPECT_NEAR(regionArea(offsetRings(cw, 1, Corners::Sharp, 1e-3)), 144, 1e-6);
    EXPECT_NEAR(regionArea(offsetRings(cw, 0, Corners::Sharp, 1e-3)), 100, 1e-6);
}

TEST(GeomOffset, DegenerateInputGivesNothing)
{
    EXPECT_TRUE(offsetRings(std::vector<Ring>{}, 5, Corners::Round, 0.01).empty());
    const std::vector<Ring> flat{{{0, 0}, {10, 0}, {20, 0}}, {{1, 1}, {2, 2}}};
    EXPECT_TRUE(offsetRings(flat, -1, Corners::Round, 0.01).empty());
    const std::vector<Ring> square{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
    EXPECT_TRUE(offsetRings(square, std::nan(""), Corners::Round, 0.01).empty());
    EXPECT_TRUE(offsetRings(square, 1, Corners::Round, 0).empty());
    const std::vector<Ring> bad{{{0, 0}, {std::nan(""), 0}, {10, 10}}};
    EXPECT_TRUE(offsetRings(bad, 1, Corners::Round, 0.01).empty());
}

}  // namespace
