// Closing narrow dents and flattening short ledges of outlines.
#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

NPolygonPtr Poly(std::vector<NPoint> points) { return std::make_shared<NPolygon>(NPoint{}, std::move(points)); }

void ExpectPoints(const std::vector<NPoint>& actual, const std::vector<NPoint>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_TRUE(actual[k] == expected[k]) << "point " << k << ": (" << actual[k].x << ", " << actual[k].y << ")";
}

// A 10 x 10 square with a notch 2 wide and 2 deep in its top side.
std::vector<NPoint> NotchedSquare()
{
    return {{0, 0}, {10, 0}, {10, 10}, {6, 10}, {6, 8}, {4, 8}, {4, 10}, {0, 10}};
}

TEST(RemoveDentsStraight, ClosesANotchNarrowerThanTheDistance)
{
    const NPolygonPtr notched = Poly(NotchedSquare());
    const NPolygonPtr result = RemoveDentsStraight(notched, 3);
    ASSERT_TRUE(result);
    EXPECT_NE(result, notched);
    ExpectPoints(result->m_points, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    ExpectPoints(notched->m_points, NotchedSquare());
}

TEST(RemoveDentsStraight, KeepsANotchAsWideAsTheDistance)
{
    const NPolygonPtr notched = Poly(NotchedSquare());
    EXPECT_EQ(RemoveDentsStraight(notched, 2), notched);
}

TEST(RemoveDentsStraight, LeavesAGapWhoseChordRunsThroughThePart)
{
    // The gap from (9,10) to (8,10) is narrow, but the chord from (10,10)
    // along the side would cut through the raised block above it.
    const NPolygonPtr part = Poly({{0, 0}, {10, 0}, {10, 10}, {9, 10}, {9, 12}, {8, 12}, {8, 10}, {0, 10}});
    EXPECT_EQ(RemoveDentsStraight(part, 3), part);
}

// The closing edge from the last vertex to the first is searched too, and
// the search never reads past the ring.
TEST(RemoveDentsStraight, ClosesANotchBehindTheClosingEdge)
{
    std::vector<NPoint> points = NotchedSquare();
    std::rotate(points.begin(), points.begin() + 3, points.end());  // starts at (6,10): the notch follows (10,10)
    const NPolygonPtr result = RemoveDentsStraight(Poly(points), 3);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->m_points.size(), 4u);
}

TEST(RemoveDentsStraight, NullAndEmptyInput)
{
    EXPECT_EQ(RemoveDentsStraight(nullptr, 3), nullptr);
    const NPolygonPtr empty = Poly({});
    const NPolygonPtr result = RemoveDentsStraight(empty, 3);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->m_points.empty());
}

// A step 1 high at the top of a 10 x 10 block: the short end faces of the
// ledge, tested at the seam of the ring as well.
std::vector<NPoint> Ledge() { return {{0, 0}, {10, 0}, {10, 10}, {6, 10}, {6, 11}, {0, 11}}; }

// Every width's dents are the first of each edge's choices narrower than
// it, as FindDentsStraight finds them; no point of the outline closed there
// lies further from the outline than half the widest closing.
TEST(DentChoices, GiveTheDentsOfEveryWidthAndBoundWhatClosingAdds)
{
    const auto distance = [](const NPoint& a, const NPoint& b, const NPoint& p) {
        const NPoint e = b - a;
        const double length2 = e.x * e.x + e.y * e.y;
        const double t = length2 > 0 ? std::clamp(((p.x - a.x) * e.x + (p.y - a.y) * e.y) / length2, 0.0, 1.0) : 0.0;
        return std::hypot(p.x - a.x - t * e.x, p.y - a.y - t * e.y);
    };
    const std::vector<std::vector<NPoint>> outlines = {
        NotchedSquare(),
        // A comb: four teeth 2 wide with gaps of 1, 2 and 3 between them.
        {{0, 0}, {13, 0}, {13, 6}, {11, 6}, {11, 2}, {8, 2}, {8, 6}, {6, 6}, {6, 2}, {4, 2}, {4, 6}, {2, 6},
         {2, 2}, {1, 2}, {1, 6}, {0, 6}},
        // Notches nested in a wide one, and a triangle's tip.
        {{0, 0}, {20, 0}, {20, 10}, {15, 10}, {15, 4}, {12, 4}, {12, 6}, {11, 6}, {11, 4}, {5, 4}, {5, 10},
         {0, 10}},
        {{0, 0}, {10, 0}, {5, 8}},
    };
    for (size_t o = 0; o < outlines.size(); ++o) {
        const NPolygonPtr outline = Poly(outlines[o]);
        const auto choices = DentChoices(*outline);
        size_t closing = 0;
        for (const double width : {0.5, 1.5, 2.5, 3.5, 7.0, 11.0, 100.0}) {
            SCOPED_TRACE(testing::Message() << "outline " << o << ", width " << width);
            const std::vector<DentEdit> edits = DentsNarrowerThan(choices, width);
            EXPECT_EQ(edits, FindDentsStraight(*outline, width));
            const double widest = WidestClosing(*outline, edits);
            closing += edits.size();
            const NPolygonPtr closed = CloseDentsStraight(Poly(outlines[o]), edits);
            const std::vector<NPoint>& v = outline->m_points;
            for (size_t k = 0; k < closed->m_points.size(); ++k) {
                const NPoint& a = closed->m_points[k];
                const NPoint& b = closed->m_points[(k + 1) % closed->m_points.size()];
                for (double t = 0.0; t <= 1.0; t += 0.125) {
                    const NPoint p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
                    double nearest = std::numeric_limits<double>::infinity();
                    for (size_t m = 0; m < v.size(); ++m)
                        nearest = std::min(nearest, distance(v[m], v[(m + 1) % v.size()], p));
                    EXPECT_LE(nearest, 0.5 * widest + 1e-9) << p.x << " " << p.y;
                }
            }
        }
        EXPECT_EQ(closing > 0, o + 1 < outlines.size()) << "outline " << o;
    }
}

TEST(CutRectangularProtrusionsAlt, MovesShortFacesUpOrRightOnly)
{
    std::vector<NPoint> points = Ledge();
    CutRectangularProtrusionsAlt(points, 2);
    ExpectPoints(points, {{0, 0}, {10, 0}, {10, 10}, {10, 10}, {10, 11}, {0, 11}});

    std::vector<NPoint> leftwards{{0, 0}, {10, 0}, {10, 9}, {4, 9}, {4, 10}, {0, 10}};
    const std::vector<NPoint> before = leftwards;
    CutRectangularProtrusionsAlt(leftwards, 2);
    EXPECT_TRUE(leftwards == before);
}

TEST(CutRectangularProtrusionsAlt, SeamEdgesUseTheirRingNeighbours)
{
    for (size_t start = 0; start < 6; ++start) {
        std::vector<NPoint> points = Ledge();
        std::rotate(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(start), points.end());
        CutRectangularProtrusionsAlt(points, 2);
        NPolygon flattened(NPoint{}, points);
        flattened.DelEquilPoints();
        flattened.DelColinearPoints();
        EXPECT_EQ(flattened.m_points.size(), 4u) << "ring starting at vertex " << start;
    }
}

TEST(CutRectangularProtrusionsAlt, IgnoresShortRings)
{
    std::vector<NPoint> points{{0, 0}, {1, 0}, {1, 1}, {0.5, 1}, {0, 1}};
    const std::vector<NPoint> before = points;
    CutRectangularProtrusionsAlt(points, 5);
    EXPECT_TRUE(points == before);
}

TEST(RemoveLedgesTarvel, NewPolygonWithoutCleanUpAndNullForNull)
{
    const NPolygonPtr ledge = Poly(Ledge());
    const NPolygonPtr result = RemoveLedgesTarvel(ledge, 2);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->m_points.size(), 6u);
    ExpectPoints(ledge->m_points, Ledge());
    EXPECT_EQ(RemoveLedgesTarvel(nullptr, 2), nullptr);
}

// A rectangular tooth 60 wide on a long side: pairs (i, i+3) of the tooth.
std::vector<NPoint> Tooth(double width)
{
    return {{0, 0}, {100, 0}, {200, 0}, {200, 10}, {200 + width, 10}, {200 + width, 0}, {400, 0}, {400, -50}};
}

TEST(RemoveLedgesOnce, CollapsesProtrusionsInPassesOfFifty)
{
    const std::vector<std::pair<int, int>> pairs = findRectangularProtrusions(Tooth(60));
    ASSERT_FALSE(pairs.empty());
    EXPECT_EQ(pairs.front(), (std::pair<int, int>{2, 5}));
    EXPECT_TRUE(findRectangularProtrusions({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).empty());

    EXPECT_TRUE(removeLedgesOnce(Tooth(60), 50) == Tooth(60));
    const std::vector<NPoint> cut = removeLedgesOnce(Tooth(60), 120);
    EXPECT_TRUE(std::none_of(cut.begin(), cut.end(), [](const NPoint& p) { return p.y == 10; }));
    EXPECT_TRUE(cut[2] == (NPoint{100, 0}));  // collapsed again by the second pass
    EXPECT_TRUE(removeLedgesOnce(Tooth(130), 120) == Tooth(130));
}

// Once a pass changes nothing the later ones cannot either: a huge or
// infinite tolerance ends as soon as the outline is settled.
TEST(RemoveLedgesOnce, HugeTolerancesEndOnceNothingChanges)
{
    const std::vector<NPoint> settled = removeLedgesOnce(Tooth(60), 1000);
    EXPECT_TRUE(removeLedgesOnce(Tooth(60), 1e12) == settled);
    EXPECT_TRUE(removeLedgesOnce(Tooth(60), std::numeric_limits<double>::infinity()) == settled);
}

TEST(SearchLedges, RunsOutsideTheHullClosedByAVertexInside)
{
    const std::vector<NPoint> hull{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<NPoint> contour{{5, 5}, {20, 5}, {20, 6}, {5, 6}, {6, 6}, {30, 30}};
    const auto runs = SearchLedges(contour, hull);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (std::pair<size_t, size_t>{1, 2}));
}

TEST(FlattenLedges, CopiesThePreviousVertexAndStaysInsideTheList)
{
    std::vector<NPoint> contour{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 0}};
    FlattenLedges(contour, 2, 3);
    EXPECT_TRUE(contour[2] == (NPoint{1, 0}) && contour[3] == (NPoint{1, 0}));

    std::vector<NPoint> seam{{0, 0}, {1, 0}, {1, 1}, {2, 2}};
    FlattenLedges(seam, 0, 1);
    EXPECT_TRUE(seam[0] == (NPoint{2, 2}) && seam[1] == (NPoint{2, 2}));
    const std::vector<NPoint> before = seam;
    FlattenLedges(seam, 2, 9);
    FlattenLedges(seam, 3, 2);
    EXPECT_TRUE(seam == before);
}

TEST(LedgePredicates, SegmentsAndAngles)
{
    EXPECT_TRUE(onSegment({0, 0}, {1, 1}, {2, 2}));
    EXPECT_FALSE(onSegment({0, 0}, {3, 1}, {2, 2}));
    EXPECT_TRUE(arePerpendicular({0, 0}, {1, 0}, {1, 5}));
    EXPECT_FALSE(arePerpendicular({0, 0}, {1, 0}, {2, 1}));
    EXPECT_DOUBLE_EQ(cross({0, 0}, {1, 0}, {0, 1}), 1.0);
    EXPECT_TRUE(areSegmentsCollinear({0, 0}, {1, 0}, {0, 5}, {3, 5}));
    EXPECT_TRUE(areSegmentsCollinear({0, 0}, {1, 0}, {2, 0}, {3, 0}));
    EXPECT_FALSE(areSegmentsCollinear({0, 0}, {1, 0}, {0, 5}, {3, 6}));
}

}  // namespace
