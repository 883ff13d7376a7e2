// Whether a shape can go into a notch of an outline.
#include "geometry/DentEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using Ring = std::vector<NPoint>;

// A plate 100 x 60 with a notch `width` wide and `depth` deep in the middle
// of its top side.
Ring Slotted(double width, double depth)
{
    const double l = 50 - width / 2, r = 50 + width / 2;
    return {{0, 0}, {100, 0}, {100, 60}, {r, 60}, {r, 60 - depth}, {l, 60 - depth}, {l, 60}, {0, 60}};
}

// A plate with a notch whose mouth, 8 wide, opens into a chamber 40 x 30.
Ring Bottled()
{
    return {{0, 0}, {100, 0}, {100, 60}, {54, 60}, {54, 50}, {70, 50}, {70, 20},
            {30, 20}, {30, 50}, {46, 50}, {46, 60}, {0, 60}};
}

Ring Box(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

// A bar 100 x 20 with a leg `leg` wide and 40 long under its middle.
Ring Legged(double leg)
{
    const double l = 50 - leg / 2, r = 50 + leg / 2;
    return {{l, 0}, {r, 0}, {r, 40}, {100, 40}, {100, 60}, {0, 60}, {0, 40}, {l, 40}};
}

// A T standing on its head: a head 40 x 10 under a stem 10 x 30.
Ring HeadFirst() { return {{0, 0}, {40, 0}, {40, 10}, {25, 10}, {25, 40}, {15, 40}, {15, 10}, {0, 10}}; }

// A square of side `side` set on its corner.
Ring Diamond(double side)
{
    const double h = side / std::sqrt(2.0);
    return {{h, 0}, {2 * h, h}, {h, 2 * h}, {0, h}};
}

// The notch of the ring: the dent that closes the fewest vertices.
DentMouth TheDent(const Ring& ring)
{
    const NPolygon polygon(NPoint{}, ring);
    const std::vector<DentEdit> edits = FindDentsStraight(polygon, 31.0);
    const auto least = std::min_element(edits.begin(), edits.end(),
                                        [](const DentEdit& a, const DentEdit& b) { return a.j - a.i < b.j - b.i; });
    EXPECT_NE(least, edits.end());
    return least == edits.end() ? DentMouth{} : MeasureDent(polygon, *least);
}

TEST(EntersDent, APartNarrowEnoughGoesInAndNothingWiderDoes)
{
    const struct {
        std::string what;
        Ring outline;
        Ring moving;
        double clearance;
        bool enters;
    } cases[] = {
        {"leg narrower than the notch", Slotted(30, 40), Legged(20), 0, true},
        {"leg wider than the notch", Slotted(15, 40), Legged(20), 0, false},
        {"block wider than the notch", Slotted(30, 40), Box(0, 0, 40, 40), 0, false},
        {"tooth as wide as the notch", Slotted(30, 40), Box(5, 5, 30, 50), 0, true},
        {"tooth wider by a hair", Slotted(30, 40), Box(5, 5, 30.01, 50), 0, false},
        {"corner of a turned square", Slotted(10, 40), Diamond(40), 0, true},
        {"notch shallower than the reach", Slotted(30, 0.005), Diamond(5), 0, false},
        {"leg with the gap at both sides", Slotted(30, 40), Legged(20), 5, true},
        {"leg with more than the gap left", Slotted(28, 40), Legged(20), 5, false},
        {"head wider than the notch first", Slotted(30, 40), HeadFirst(), 0, false},
        {"part whole in the chamber", Bottled(), Box(0, 0, 20, 20), 0, true},
        {"part wider than the chamber", Bottled(), Box(0, 0, 45, 20), 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntersDent(c.moving, TheDent(c.outline), c.clearance), c.enters) << c.what;
}

TEST(DentsHoldingNone, KeepsOpenTheNotchesAShapeFitsInWhole)
{
    const struct {
        Ring outline;
        double narrowest;
        size_t closed;
    } cases[] = {
        {Bottled(), 20, 0},
        {Bottled(), 41, 1},
        {Slotted(8, 40), 10, 1},
    };
    for (const auto& c : cases) {
        const NPolygon polygon(NPoint{}, c.outline);
        EXPECT_EQ(DentsHoldingNone(polygon, FindDentsStraight(polygon, 10.0), c.narrowest).size(), c.closed)
            << c.narrowest;
    }
}

}  // namespace
