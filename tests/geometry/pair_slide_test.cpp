// Two equal right triangles side by side, the second the first turned half
// round with its longest edge a gap off the first one's: the slide found puts
// the pair's rectangle, grown as the gap polygons grow it, in the room (turned
// a quarter where that is allowed), the two the gap apart; none is found only
// where a scan of slides finds none either.
#include "geometry/PairSlide.h"
#include "support/ring_distance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct SlideCase {
    const char* name;
    double a, b;       // the legs, along x and y from the right angle
    int turn;          // degrees the triangle is drawn turned by
    bool mirror;       // drawn mirrored across the y axis first
    double width, height, gap, grow;
    bool quarterTurns;
    bool fits;
};

const SlideCase kSlides[] = {
    {"the shop's pair", 2960, 1470, 0, false, 2986, 1486, 10, 10, false, true},
    {"turned half round", 2960, 1470, 180, false, 2986, 1486, 10, 10, false, true},
    {"mirrored", 2960, 1470, 0, true, 2986, 1486, 10, 10, false, true},
    {"mirrored and turned", 2960, 1470, 180, true, 2986, 1486, 10, 10, false, true},
    {"upright, quarter turns", 2960, 1470, 90, false, 2986, 1486, 10, 10, true, true},
    {"upright, no quarter turns", 2960, 1470, 90, false, 2986, 1486, 10, 10, false, false},
    {"much room along", 2000, 1470, 0, false, 2986, 1486, 10, 10, false, true},
    {"no room either way", 2975, 1475, 0, false, 2990, 1490, 10, 10, false, false},
    {"a tenth of the shop's", 296, 147, 0, true, 298.6, 148.6, 1, 1, false, true},
};

std::vector<NPoint> Drawn(const SlideCase& c)
{
    std::vector<NPoint> ring{{0, 0}, {c.mirror ? -c.a : c.a, 0}, {0, c.b}};
    if (c.mirror)
        std::swap(ring[1], ring[2]);  // counter-clockwise still
    for (NPoint& p : ring)
        p.Rotate(NPoint{}, c.turn * DR);
    return ring;
}

// The pair's rectangle, grown, fits the room at the slide.
bool Fits(const SlideCase& c, const NPolygon& first, double slide)
{
    std::vector<NPoint> both = first.m_points;
    for (const NPoint& p : PartnerRing(first, c.gap, slide))
        both.push_back(p);
    const NRect box = PointsBox(both);
    const double w = box.pTop.x - box.pBot.x + c.grow;
    const double h = box.pTop.y - box.pBot.y + c.grow;
    return (w <= c.width && h <= c.height) || (c.quarterTurns && h <= c.width && w <= c.height);
}

TEST(PairSlide, PutsThePairInTheRoomWhereAnySlideDoes)
{
    for (const SlideCase& c : kSlides) {
        SCOPED_TRACE(c.name);
        const NPolygon first(NPoint{}, Drawn(c));
        bool any = false;
        for (int k = -40000; k <= 40000 && !any; ++k)
            any = Fits(c, first, k * 0.01);
        EXPECT_EQ(any, c.fits);
        const std::optional<double> slide = PairSlide(first, c.gap, c.grow, {{c.width, c.height}}, c.quarterTurns);
        ASSERT_EQ(slide.has_value(), c.fits);
        if (!slide)
            continue;
        EXPECT_TRUE(Fits(c, first, *slide)) << *slide;
        const NPolygon second(NPoint{}, PartnerRing(first, c.gap, *slide));
        EXPECT_NEAR(ringtest::BoundaryDistance(first, second), c.gap, 1e-6);
        for (const NPoint& p : second.m_points)
            EXPECT_FALSE(ringtest::EvenOddInside(first.m_points, p));
        // The second is the first turned half round: its longest edge runs
        // back along the first one's.
        const std::optional<PairEdge> mine = LongestEdgeOf(first);
        const std::optional<PairEdge> theirs = LongestEdgeOf(second);
        ASSERT_TRUE(mine && theirs);
        EXPECT_NEAR(mine->along.x + theirs->along.x, 0.0, 1e-9);
        EXPECT_NEAR(mine->along.y + theirs->along.y, 0.0, 1e-9);
    }
}

}  // namespace
