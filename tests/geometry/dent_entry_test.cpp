// Whether a shape can go into a notch of an outline.
#include "geometry/DentEntry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Ring = std::vector<NPoint>;

// A plate 100 x 60 with a notch `w` wide and `d` deep in the middle of its top.
Ring Slotted(double w, double d)
{
    const double l = 50 - w / 2, r = 50 + w / 2;
    return {{0, 0}, {100, 0}, {100, 60}, {r, 60}, {r, 60 - d}, {l, 60 - d}, {l, 60}, {0, 60}};
}

// A plate with a notch whose mouth, 8 wide, opens into a chamber 40 x 30.
const Ring kBottled = {{0, 0},   {100, 0}, {100, 60}, {54, 60}, {54, 50}, {70, 50},
                       {70, 20}, {30, 20}, {30, 50},  {46, 50}, {46, 60}, {0, 60}};

Ring Box(double w, double h) { return {{0, 0}, {w, 0}, {w, h}, {0, h}}; }

// A bar 100 x 20 with a leg `w` wide and 40 long under its middle.
Ring Legged(double w)
{
    const double l = 50 - w / 2, r = 50 + w / 2;
    return {{l, 0}, {r, 0}, {r, 40}, {100, 40}, {100, 60}, {0, 60}, {0, 40}, {l, 40}};
}

// The notch of the ring: the first dent found.
DentMouth TheDent(const Ring& ring)
{
    const NPolygon polygon(NPoint{}, ring);
    const std::vector<DentEdit> edits = FindDentsStraight(polygon, 31.0);
    EXPECT_FALSE(edits.empty());
    return edits.empty() ? DentMouth{} : MeasureDent(polygon, edits.front());
}

TEST(EntersDent, APartNarrowEnoughGoesInAndNothingWiderDoes)
{
    const double h = 20 * std::sqrt(2.0); // a square of side 40 on its corner
    const struct {
        const char* what;
        Ring outline, moving;
        bool enters;
    } cases[] = {
        {"leg narrower than the notch", Slotted(30, 40), Legged(20), true},
        {"leg wider than the notch", Slotted(15, 40), Legged(20), false},
        {"tooth as wide as the notch", Slotted(30, 40), Box(30, 50), true},
        {"tooth wider by a hair", Slotted(30, 40), Box(30.01, 50), false},
        {"corner of a turned square", Slotted(10, 40), {{h, 0}, {2 * h, h}, {h, 2 * h}, {0, h}}, true},
        {"notch shallower than the reach", Slotted(30, 0.005), {{5, 0}, {10, 5}, {5, 10}, {0, 5}}, false},
        {"head wider than the notch first", Slotted(30, 40),
         {{0, 0}, {40, 0}, {40, 10}, {25, 10}, {25, 40}, {15, 40}, {15, 10}, {0, 10}}, false},
        {"part whole in the chamber", kBottled, Box(20, 20), true},
        {"part wider than the chamber", kBottled, Box(45, 20), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntersDent(c.moving, TheDent(c.outline)), c.enters) << c.what;
}

TEST(DentsHoldingNone, KeepsOpenTheNotchesAShapeFitsInWhole)
{
    const NPolygon polygon(NPoint{}, kBottled);
    const std::vector<DentEdit> dents = FindDentsStraight(polygon, 10.0);
    EXPECT_EQ(DentsHoldingNone(polygon, dents, 20).size(), 0u);
    EXPECT_EQ(DentsHoldingNone(polygon, dents, 41).size(), 1u);
}

}  // namespace
