// Rings that cross themselves or one another, against rings that only touch.
#include "geometry/RingCrossings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using Ring = std::vector<NPoint>;

const Ring kSquare{{0, 0}, {100, 0}, {100, 100}, {0, 100}};

TEST(RingCrossings, CrossingsAreFoundWhereTheyAreAndTouchesPass)
{
    struct Case {
        const char* what;
        std::vector<Ring> rings;
        bool crosses;
        bool self;
        NPoint at;
    };
    const Case cases[] = {
        {"square", {kSquare}, false, false, {}},
        {"square with a repeated vertex", {{{0, 0}, {100, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}}, false, false, {}},
        {"bow-tie", {{{0, 0}, {100, 60}, {100, 0}, {0, 60}}}, true, true, {50, 30}},
        {"figure-eight through a vertex", {{{0, 0}, {50, 50}, {100, 100}, {100, 0}, {50, 50}, {0, 100}}}, true, true,
         {50, 50}},
        {"two lobes touching at a vertex", {{{0, 0}, {50, 50}, {100, 0}, {100, 100}, {50, 50}, {0, 100}}}, false,
         false, {}},
        {"a vertex on an edge of the same ring, the ring passing through",
         {{{0, 0}, {100, 0}, {100, 100}, {50, 100}, {50, -20}, {40, -20}, {40, 100}, {0, 100}}}, true, true, {40, 0}},
        // A spike holds no material: the ring runs back over it, not across.
        {"a spike running back over itself", {{{0, 0}, {100, 0}, {100, 50}, {150, 50}, {100, 50}, {100, 100}, {0, 100}}},
         false, false, {}},
        {"a spike with vertices on its way out and back",
         {{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 50}, {50, 50}, {60, 50}, {30, 50}, {0, 50}}}, false, false, {}},
        {"a spike where the ring closes", {{{100, 50}, {100, 100}, {0, 100}, {0, 0}, {100, 0}, {100, 50}, {150, 50}}},
         false, false, {}},
        // Sides closer than the point tolerance: a sliver, no material, even
        // where it comes back a hair beside its start and so crosses it.
        {"a sliver 1e-5 wide out along an edge and back beside its start",
         {{{0, 0}, {100, 0}, {130, 0}, {100, -1e-5}, {100, 100}, {0, 100}}}, false, false, {}},
        {"a sliver 1e-6 wide into the ring, back over the edge it left",
         {{{0, 0}, {100, 0}, {100, 100}, {50, 100}, {50.000001, 20}, {50.000001, 100}, {0, 100}}}, false, false, {}},
        {"a spike 1e-3 wide coming back across its start",
         {{{0, 0}, {100, 0}, {130, 0}, {100, -1e-3}, {100, 100}, {0, 100}}}, true, true, {100, 0}},
        {"an edge run twice, around a hole", {{{0, 0}, {100, 0}, {100, 50}, {70, 50}, {70, 70}, {30, 70}, {30, 30},
                                              {70, 30}, {70, 50}, {100, 50}, {100, 100}, {0, 100}}},
         true, true, {100, 50}},
        {"hole inside", {kSquare, {{10, 10}, {20, 10}, {20, 20}}}, false, false, {}},
        {"hole across the edge", {kSquare, {{90, 40}, {110, 40}, {110, 60}, {90, 60}}}, true, false, {100, 40}},
        {"hole touching the edge at a point", {kSquare, {{100, 50}, {90, 60}, {90, 40}}}, false, false, {}},
        {"hole sharing a piece of the edge", {kSquare, {{100, 40}, {100, 60}, {90, 60}, {90, 40}}}, false, false, {}},
        {"hole passing out through the outline's vertices", {kSquare, {{100, 100}, {110, 50}, {100, 0}, {90, 50}}}, true,
         false, {100, 0}},
        {"two holes crossing", {kSquare, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}, {{20, 20}, {40, 20}, {40, 40}, {20, 40}}},
         true, false, {20, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<RingCrossing> found = FindRingCrossing(c.rings);
        ASSERT_EQ(found.has_value(), c.crosses);
        if (!found)
            continue;
        EXPECT_EQ(found->ring1 == found->ring2, c.self);
        EXPECT_NEAR(found->at.x, c.at.x, 1e-9);
        EXPECT_NEAR(found->at.y, c.at.y, 1e-9);
    }
}

// A ring of many short edges is checked edge against neighbour, not every
// pair. (Two neighbours swapped, where the ring is straight but for 10^-6 mm,
// twist it by a sliver of that width, which holds no material.)
TEST(RingCrossings, AWavyRingOf100000VerticesIsSimpleAndItsTwistFound)
{
    Ring ring;
    const size_t n = 100000;
    for (size_t k = 0; k < n; ++k) {
        const double t = 2.0 * PI * static_cast<double>(k) / static_cast<double>(n);
        const double r = 1000.0 + 5.0 * std::sin(40.0 * t);
        ring.push_back({r * std::cos(t), r * std::sin(t)});
    }
    EXPECT_FALSE(FindRingCrossing({ring}));
    std::swap(ring[100], ring[101]);
    EXPECT_FALSE(FindRingCrossing({ring}));
    std::swap(ring[100], ring[101]);
    std::swap(ring[100], ring[140]);
    const std::optional<RingCrossing> found = FindRingCrossing({ring});
    ASSERT_TRUE(found);
    // Within the run the swap turned back.
    EXPECT_LT(std::hypot(found->at.x - ring[120].x, found->at.y - ring[120].y),
              std::hypot(ring[100].x - ring[120].x, ring[100].y - ring[120].y));
}

// A plate of many round holes: those that stand apart are passed over, and
// still a hole across the outline, or across another hole, is found where it
// crosses.
TEST(RingCrossings, AFieldOfHolesIsSimpleAndAStrayHoleFound)
{
    const auto round = [](double x, double y, double r) {
        Ring ring;
        for (int k = 0; k < 84; ++k)
            ring.push_back({x + r * std::cos(2 * PI * k / 84), y + r * std::sin(2 * PI * k / 84)});
        return ring;
    };
    std::vector<Ring> rings{kSquare};
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j)
            rings.push_back(round(2.5 + 5 * i, 2.5 + 5 * j, 2));
    EXPECT_FALSE(FindRingCrossing(rings));
    std::vector<Ring> across = rings;
    across[20] = round(2.5 + 5 * 0, 2.5 + 5 * 19 + 1, 2);  // through the top of the square
    std::optional<RingCrossing> found = FindRingCrossing(across);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->ring1, 0u);
    EXPECT_EQ(found->ring2, 20u);
    EXPECT_NEAR(found->at.y, 100, 1e-6);
    std::vector<Ring> overlapping = rings;
    overlapping[201] = round(2.5 + 5 * 10 + 2, 2.5, 2);  // over its neighbour in the row
    found = FindRingCrossing(overlapping);
    ASSERT_TRUE(found);
    EXPECT_EQ(std::min(found->ring1, found->ring2), 201u);
    EXPECT_EQ(std::max(found->ring1, found->ring2), 221u);
}

}  // namespace
