// The outer ring of a figure's closed borders and islands within its holes,
// among rings in any order and in numbers a DXF drawing may bring.
#include "host/BorderRings.h"

#include <gtest/gtest.h>

namespace {

NPolygonPtr Square(double x, double y, double side)
{
    auto ring = std::make_shared<NPolygon>(
        NPoint{x, y}, std::vector<NPoint>{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
    ring->UpdateGabarit();
    return ring;
}

// A plate 3200 mm square with a grid of `holes` square holes, 4 mm a side on a 10 mm pitch.
std::vector<NPolygonPtr> Plate(size_t holes)
{
    std::vector<NPolygonPtr> rings;
    for (size_t i = 0; i < holes; ++i)
        rings.push_back(Square(3.0 + 10.0 * static_cast<double>(i % 316), 3.0 + 10.0 * static_cast<double>(i / 316), 4.0));
    rings.push_back(Square(0, 0, 3200));
    return rings;
}

TEST(BorderRingsTest, OuterRingAndIslandsInHoles)
{
    struct Case {
        const char* name;
        std::vector<NPolygonPtr> rings;
        size_t outer;
        bool island;
    };
    std::vector<Case> cases = {
        {"one ring", {Square(0, 0, 10)}, 0, false},
        {"hole first", {Square(2, 2, 2), Square(0, 0, 10)}, 1, false},
        {"island in a hole", {Square(0, 0, 100), Square(10, 10, 50), Square(20, 20, 5)}, 0, true},
        {"island listed before its hole", {Square(20, 20, 5), Square(0, 0, 100), Square(10, 10, 50)}, 1, true},
        {"hole touching a hole's edge from inside", {Square(0, 0, 100), Square(10, 10, 50), Square(10, 10, 5)}, 0, true},
        {"two loose rings", {Square(0, 0, 10), Square(20, 0, 10)}, NOT_FOUND_INDEX, false},
        {"many holes", Plate(100000), 100000, false},
    };
    Case island{"an island among many holes", Plate(100000), 100000, true};
    island.rings.push_back(Square(3.5, 3.5, 1));
    cases.push_back(island);
    for (const Case& c : cases) {
        const size_t outer = vrnApi::FindOuterRing(c.rings);
        EXPECT_EQ(outer, c.outer) << c.name;
        if (outer != NOT_FOUND_INDEX) {
            EXPECT_EQ(vrnApi::HasRingInHole(c.rings, outer), c.island) << c.name;
        }
    }
}

}  // namespace
