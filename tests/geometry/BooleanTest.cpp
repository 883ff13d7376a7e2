// Worked cases of the polygon booleans: exact rings, fragment order, and the
// degenerate contacts that no-fit polygons produce.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

NPolygonPtr Poly(std::vector<NPoint> points) { return std::make_shared<NPolygon>(NPoint{}, std::move(points)); }

NPolygonPtr Square(double x, double y, double side)
{
    return Poly({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

void ExpectRing(const NPolygon& ring, const std::vector<NPoint>& expected)
{
    ASSERT_EQ(ring.m_points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_TRUE(ring.m_points[k] == expected[k])
            << "vertex " << k << ": (" << ring.m_points[k].x << ", " << ring.m_points[k].y << ")";
    }
}

// The ring runs through the expected vertices in their order, from whichever
// of them it starts at.
void ExpectCycle(const NPolygon& ring, const std::vector<NPoint>& expected)
{
    ASSERT_EQ(ring.m_points.size(), expected.size());
    const auto start = std::find(expected.begin(), expected.end(), ring.m_points.front());
    ASSERT_NE(start, expected.end()) << "(" << ring.m_points.front().x << ", " << ring.m_points.front().y << ")";
    const size_t offset = static_cast<size_t>(start - expected.begin());
    for (size_t k = 0; k < expected.size(); ++k) {
        const NPoint& got = ring.m_points[k];
        EXPECT_TRUE(got == expected[(k + offset) % expected.size()]) << "vertex " << k << ": (" << got.x << ", " << got.y << ")";
    }
}

NPolygonPtr Inverted(NPolygonPtr ring)
{
    ring->Invert();
    return ring;
}

VectorPolygon Combine(const VectorPolygon& operands, BooleanType type, bool expected = true)
{
    VectorPolygon outs;
    EXPECT_EQ(CreateBooleanPoligons(operands, type, outs, false), expected);
    return outs;
}

// Regions of several rings: the hole of a framed square stays a hole of the
// union, an island in it stays an island, and a region reaching into the
// hole fills what it covers.
TEST(BooleanPoligons, RegionsWithHolesAreUnitedAsRegions)
{
    const auto area = [](const VectorPolygon& rings) {
        double sum = 0.0;
        for (const NPolygonPtr& r : rings)
            sum += SignedArea(r->m_points);
        return std::fabs(sum);
    };
    const VectorPolygon frame{Square(0, 0, 10), Inverted(Square(2, 2, 6))};
    VectorPolygon united;
    ASSERT_TRUE(CreateBooleanRegions({frame, {Square(4, 4, 2)}}, BooleanType::Union, united));
    EXPECT_EQ(united.size(), 3u);
    EXPECT_NEAR(area(united), 100 - 36 + 4, 1e-9);
    united.clear();
    ASSERT_TRUE(CreateBooleanRegions({frame, {Square(6, 6, 6)}}, BooleanType::Union, united));
    EXPECT_NEAR(area(united), 100 - 36 + 4 + 20, 1e-9);
    VectorPolygon left;
    ASSERT_TRUE(CreateBooleanRegions({{Square(0, 0, 10)}, frame}, BooleanType::Difference, left));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NEAR(area(left), 36, 1e-9);
}

TEST(BooleanPoligons, FewerThanTwoOperandsGiveNothing)
{
    VectorPolygon outs{Square(9, 9, 1)};
    EXPECT_FALSE(CreateBooleanPoligons({Square(0, 0, 1)}, BooleanType::Union, outs, false));
    EXPECT_FALSE(CreateBooleanPoligons({}, BooleanType::Union, outs, false));
    EXPECT_EQ(outs.size(), 1u);
}

// Each result ring runs through its expected vertices in their order.
void ExpectRings(const VectorPolygon& outs, const std::vector<std::vector<NPoint>>& expected)
{
    ASSERT_EQ(outs.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        ExpectCycle(*outs[k], expected[k]);
}

// Operands that share a whole or partial edge unite into one ring with no
// stray piece; disjoint ones are kept from their first vertex.
TEST(BooleanPoligons, WorkedUnionsAndDifferencesGiveTheseRings)
{
    const struct {
        const char* name;
        VectorPolygon operands;
        BooleanType type;
        std::vector<std::vector<NPoint>> rings;
    } cases[] = {
        {"union of disjoint squares keeps both from their first vertex", {Square(0, 0, 1), Square(5, 0, 1)},
         BooleanType::Union, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{5, 0}, {6, 0}, {6, 1}, {5, 1}}}},
        {"union of overlapping squares is one ring", {Square(0, 0, 2), Square(1, 1, 2)}, BooleanType::Union,
         {{{1, 3}, {1, 2}, {0, 2}, {0, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 3}}}},
        {"difference of overlapping squares is the L shape", {Square(0, 0, 4), Square(2, 2, 4)},
         BooleanType::Difference, {{{2, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 2}, {2, 2}}}},
        {"union across a shared edge is one rectangle", {Square(0, 0, 1), Square(1, 0, 1)}, BooleanType::Union,
         {{{0, 1}, {0, 0}, {2, 0}, {2, 1}}}},
        {"union across a partly shared edge is one ring", {Poly({{0, 0}, {2, 0}, {2, 3}, {0, 3}}), Square(2, 1, 1)},
         BooleanType::Union, {{{2, 2}, {2, 3}, {0, 3}, {0, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 2}}}},
        {"union of oppositely listed operands sharing an edge", {Square(0, 0, 1), Inverted(Square(1, 0, 1))},
         BooleanType::Union, {{{0, 1}, {0, 0}, {2, 0}, {2, 1}}}},
        {"union of equal operands is the operand", {Square(0, 0, 1), Square(0, 0, 1)}, BooleanType::Union,
         {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}},
        {"difference along a shared edge leaves the minuend", {Square(0, 0, 1), Square(1, 0, 1)},
         BooleanType::Difference, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRings(Combine(c.operands, c.type), c.rings);
    }
}

TEST(BooleanPoligons, OperandsAreLeftUnchanged)
{
    const NPolygonPtr a = Square(0, 0, 2);
    const NPolygonPtr b = Square(1, 1, 2);
    Combine({a, b}, BooleanType::Union);
    ExpectRing(*a, {{0, 0}, {2, 0}, {2, 2}, {0, 2}});
    ExpectRing(*b, {{1, 1}, {3, 1}, {3, 3}, {1, 3}});
}

TEST(BooleanPoligons, UnionOfSquaresTouchingAtACornerGivesTwoRings)
{
    const VectorPolygon outs = Combine({Square(0, 0, 1), Square(1, 1, 1)}, BooleanType::Union);
    ASSERT_EQ(outs.size(), 2u);
    for (const NPolygonPtr& ring : outs)
        EXPECT_EQ(ring->m_points.size(), 4u);
}

TEST(BooleanPoligons, DifferenceOfAnInnerStripSharingTwoEdgesSplitsTheMinuend)
{
    const NPolygonPtr strip = Poly({{1, 0}, {2, 0}, {2, 3}, {1, 3}});
    const VectorPolygon outs = Combine({Poly({{0, 0}, {3, 0}, {3, 3}, {0, 3}}), strip}, BooleanType::Difference);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_DOUBLE_EQ(outs[0]->GetGabaritArea() + outs[1]->GetGabaritArea(), 6.0);
}

TEST(BooleanPoligons, DifferenceByACoveringOperandIsEmpty)
{
    const VectorPolygon outs = Combine({Square(1, 1, 1), Square(0, 0, 3)}, BooleanType::Difference, false);
    EXPECT_TRUE(outs.empty());
}

// The intersection is a real overlay result, not the overlay of all outlines.
TEST(BooleanPoligons, IntersectionIsTheCommonPart)
{
    const VectorPolygon outs = Combine({Square(0, 0, 2), Square(1, 1, 2)}, BooleanType::Intersection);
    ASSERT_EQ(outs.size(), 1u);
    NPolygon ring = *outs[0];
    ring.UpdateGabarit();
    EXPECT_EQ(ring.m_points.size(), 4u);
    EXPECT_TRUE(ring.GetGabarit().pBot == (NPoint{1, 1}));
    EXPECT_TRUE(ring.GetGabarit().pTop == (NPoint{2, 2}));
}

TEST(BooleanPoligons, IntersectionOfDisjointOperandsReportsNothing)
{
    EXPECT_TRUE(Combine({Square(0, 0, 1), Square(3, 0, 1)}, BooleanType::Intersection, false).empty());
}

TEST(BooleanPoligons, ResultFollowsTheFirstOperandsDirection)
{
    const VectorPolygon outs = Combine({Inverted(Square(0, 0, 2)), Inverted(Square(1, 1, 2))}, BooleanType::Union);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_FALSE(outs[0]->CheckDirection());
}

TEST(SortPolygonFragments, SplitsAFragmentWhereAnotherEnds)
{
    VectorPolygon fragments{Poly({{0, 0}, {1, 0}, {2, 0}, {3, 0}}), Poly({{1, 0}, {1, 5}})};
    SortPolygonFragments(fragments);
    ASSERT_EQ(fragments.size(), 3u);
    ExpectRing(*fragments[0], {{1, 0}, {1, 5}});
    ExpectRing(*fragments[1], {{0, 0}, {1, 0}});
    ExpectRing(*fragments[2], {{1, 0}, {2, 0}, {3, 0}});
}

TEST(SortPolygonFragments, NeverSplitsATwoPointFragment)
{
    VectorPolygon fragments{Poly({{0, 0}, {2, 0}}), Poly({{0, 0}, {0, 5}})};
    SortPolygonFragments(fragments);
    ASSERT_EQ(fragments.size(), 2u);
    EXPECT_EQ(fragments[0]->m_points.size(), 2u);
}

}  // namespace
