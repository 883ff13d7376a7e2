#include "geometry/Polygon.h"
#include "support/ring_distance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using Points = std::vector<NPoint>;

NPolygon Poly(const Points& pts) { return NPolygon(NPoint{}, pts); }
NPolygon Square(double x, double y, double side)
{
    return Poly({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

// ---------------------------------------------------------------- point in ring

TEST(PointInPolygonTest, BoundaryGivesTouch)
{
    const NPolygon sq = Square(0, 0, 4);
    EXPECT_TRUE(sq.CheckContainPoint({2, 2}, false));
    EXPECT_TRUE(sq.CheckContainPoint({4, 1}, true));
    EXPECT_FALSE(sq.CheckContainPoint({4, 1}, false));
    EXPECT_TRUE(sq.CheckContainPoint({0, 0}, true));
    EXPECT_FALSE(sq.CheckContainPoint({0, 0}, false));
    EXPECT_FALSE(sq.CheckContainPoint({4.0001, 1}, true));  // outside the gabarit
    EXPECT_FALSE(sq.CheckContainPoint({5, 1}, true));
    EXPECT_FALSE(CheckPoligonContainPoint({}, {0, 0}, true));
    EXPECT_TRUE(sq.CheckContainPointOn({4, 3}));
    EXPECT_FALSE(sq.CheckContainPointOn({3, 3}));
    EXPECT_FALSE(CheckPoligonContainPointOn({}, {0, 0}));
}

// Points off the boundary whose rays run through vertices, along edges or
// just past a vertex, each judged inside or not.
TEST(PointInPolygonTest, RaysThroughVerticesAndAlongEdges)
{
    const struct {
        const char* what;
        Points ring;
        std::vector<std::pair<NPoint, bool>> probes;  // the point, inside
    } cases[] = {
        // Convex corner: the boundary returns to the side it came from.
        {"triangle", {{0, 0}, {4, 0}, {2, 2}}, {{{0, 2}, false}, {{2, 1}, true}}},
        // The boundary passes from below to above at a vertex on the ray.
        {"diamond", {{2, 0}, {4, 2}, {2, 4}, {0, 2}}, {{{1, 2}, true}, {{-1, 2}, false}, {{5, 2}, false}}},
        {"diamond from the top", {{2, 4}, {0, 2}, {2, 0}, {4, 2}}, {{{1, 2}, true}, {{-1, 2}, false}}},
        // A run along the ray followed by a change of side counts once.
        {"step", {{0, 0}, {4, 0}, {4, 2}, {6, 2}, {6, 4}, {0, 4}}, {{{1, 2}, true}, {{-1, 2}, false}}},
        // A run that returns to the side it came from counts nothing.
        {"notch", {{0, 0}, {4, 0}, {4, 2}, {6, 2}, {6, 0}, {8, 0}, {8, 4}, {0, 4}},
         {{{1, 2}, true}, {{-1, 2}, false}, {{5, 1}, false}}},
        // A fine chain that crosses the ray in steps each shorter than the
        // tolerance (a curve followed closely) still passes from side to side.
        {"fine chain", {{0, 0}, {4, 0}, {4, 1.99985}, {4, 1.99995}, {4, 2.00004}, {4, 2.00012}, {4, 4}, {0, 4}},
         {{{1, 2}, true}, {{-1, 2}, false}}},
        // Rays passing a vertex just outside the equality tolerance cross its
        // two edges at distinct points, however close together: a point far
        // from the boundary is judged by every crossing. 5 away, level with
        // the tip; just above and below the valley (5, 3).
        {"peak", {{0, 0}, {20, 0}, {20, 10}, {12, 10}, {10, 17}, {8, 10}, {0, 10}},
         {{{-5, 16.9994}, false}, {{10, 16.99}, true}}},
        {"valley", {{0, 0}, {10, 0}, {10, 10}, {6, 10}, {5, 3}, {4, 10}, {0, 10}},
         {{{1, 3.0005}, true}, {{1, 2.9995}, true}}},
        // An edge leaving a vertex on the ray meets the ray only at that
        // vertex, however shallow the edge is.
        {"shallow edge", {{4, -3}, {5, -0.00005}, {100, 2}, {100, -10}}, {{{0, 0}, false}, {{50, 0}, true}}},
        // A run along the ray over the ring's seam: the walk starts away from it.
        {"run over the seam", {{7, 0}, {10, 0}, {10, 5}, {-10, 5}, {-10, -5}, {5, -5}, {5, 0}},
         {{{0, 0}, true}, {{-11, 0}, false}}},
    };
    for (const auto& c : cases)
        for (const auto& [p, inside] : c.probes)
            EXPECT_EQ(CheckPoligonContainPoint(c.ring, p, false), inside) << c.what << " at " << p.x << ", " << p.y;
}

// Star-shaped rings on a coarse grid, cleaned of repeated and collinear
// vertices: the ray often runs through vertices and along horizontal edges,
// and some rings pass through one point twice. Each ring is probed at 40
// points from `probe`; points nearer its boundary than `clearance` are left
// out. Returns how many points were compared.
template <class Probe>
int CompareWithEvenOddOnGridStars(std::mt19937& rng, int maxRadius, int trials, double clearance, Probe probe)
{
    std::uniform_int_distribution<int> radius(1, maxRadius);
    int tested = 0;
    for (int trial = 0; trial < trials; ++trial) {
        Points ring;
        const int n = 5 + trial % 12;
        for (int k = 0; k < n; ++k) {
            const double a = 2 * PI * k / n;
            const int r = radius(rng);
            ring.push_back({std::round(r * std::cos(a)), std::round(r * std::sin(a))});
        }
        NPolygon poly = Poly(ring);
        poly.DelEquilPoints();
        poly.DelColinearPoints();
        if (poly.m_points.size() < 3)
            continue;
        for (int q = 0; q < 40; ++q) {
            const NPoint p = probe(q);
            if (ringtest::PointRingDistance(poly.m_points, p) < clearance)
                continue;
            ++tested;
            EXPECT_EQ(CheckPoligonContainPoint(poly.m_points, p, false), ringtest::EvenOddInside(poly.m_points, p))
                << "trial " << trial << " point " << p.x << "," << p.y;
        }
    }
    return tested;
}

TEST(PointInPolygonTest, AgreesWithEvenOddRuleOnGridStars)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-7, 7);
    const auto halfGrid = [&](int) { return NPoint{coord(rng) * 0.5, coord(rng) * 0.5}; };
    EXPECT_GT(CompareWithEvenOddOnGridStars(rng, 6, 300, 1e-3, halfGrid), 5000);
}

// Grid stars probed just above and below their vertices' levels.
TEST(PointInPolygonTest, AgreesWithEvenOddRuleNextToVertexLevels)
{
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> coord(-9, 9);
    std::uniform_int_distribution<int> offset(1, 9);
    const auto nextToLevel = [&](int q) {
        const double off = (q % 2 ? 1 : -1) * offset(rng) * 0.0001;
        return NPoint{coord(rng) * 0.5, coord(rng) + off};
    };
    EXPECT_GT(CompareWithEvenOddOnGridStars(rng, 9, 200, 0.01, nextToLevel), 3000);
}

// ---------------------------------------------------------------- crossings

TEST(IntersectionTest, SharedVertexIsReportedOnce)
{
    const NPolygon a = Square(0, 0, 1);
    const NPolygon b = Square(1, 1, 1);
    std::vector<NIndexPoint> hits;
    ASSERT_TRUE(a.Intersection(b, hits));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE((hits[0] == NPoint{1, 1}));
    EXPECT_EQ(hits[0].i, 3u);
    EXPECT_EQ(hits[0].j, 1u);
    EXPECT_EQ(hits[0].type, Simple);
}

TEST(IntersectionTest, CrossingAtLastVertexIsListedAtBothEnds)
{
    const NPolygon a = Square(0, 0, 2);
    const NPolygon b = Poly({{0, 2}, {3, 0.5}, {3, 3}});
    std::vector<NIndexPoint> hits;
    ASSERT_TRUE(a.Intersection(b, hits));
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_TRUE((hits[0] == NPoint{0, 2}));
    EXPECT_EQ(hits[0].i, 0u);
    EXPECT_TRUE((hits[1] == NPoint{2, 1}));
    EXPECT_EQ(hits[1].i, 2u);
    EXPECT_TRUE((hits[2] == NPoint{0, 2}));
    EXPECT_EQ(hits[2].i, 0u);
}

TEST(IntersectionTest, HitsOfOneEdgeAreOrderedFromItsStart)
{
    const NPolygon bar = Poly({{0, 1}, {0, 0}, {10, 0}, {10, 1}});  // edge 3 runs (10,0) -> (10,1)
    const NPolygon comb = Poly({{1, -1}, {2, -1}, {2, 2}, {5, 2}, {5, -1}, {6, -1}, {6, 3}, {1, 3}});
    std::vector<NIndexPoint> hits;
    ASSERT_TRUE(bar.Intersection(comb, hits));
    // The bottom edge (edge 2) meets the comb's legs at x = 1, 2, 5, 6, in that order.
    std::vector<double> bottom;
    for (const NIndexPoint& h : hits)
        if (h.i == 2 && std::fabs(h.y) < 1e-9)
            bottom.push_back(h.x);
    EXPECT_EQ(bottom, (std::vector<double>{1, 2, 5, 6}));
}

TEST(IntersectionTest, CollinearOverlapWithoutCommonVertexGivesNoHit)
{
    const NPolygon sq = Square(0, 0, 4);
    const NPolygon flat = Poly({{1, 0}, {3, 0}});
    std::vector<NIndexPoint> hits;
    EXPECT_FALSE(sq.Intersection(flat, hits));
    EXPECT_TRUE(hits.empty());
    EXPECT_FALSE(sq.Intersection(Square(10, 10, 1), hits));
    EXPECT_FALSE(sq.Intersection(NPolygon(), hits));
}

TEST(IntersectionTest, SegmentCrossingsAreSortedAndDeduplicated)
{
    const NPolygon sq = Square(0, 0, 4);
    std::vector<NIndexPoint> hits{NIndexPoint{{4, 2}, 7, 7, Simple}};
    ASSERT_TRUE(sq.Intersection(NSegment({6, 2}, {-2, 2}, 0), hits));
    ASSERT_EQ(hits.size(), 3u);  // the first new hit is not merged with what was there
    EXPECT_TRUE((hits[1] == NPoint{4, 2}));
    EXPECT_EQ(hits[1].i, 1u);  // edge 2 starts at vertex 1
    EXPECT_TRUE((hits[2] == NPoint{0, 2}));
    EXPECT_EQ(hits[2].i, 3u);
    // Through a corner: the two edges meeting there give one hit.
    hits.clear();
    ASSERT_TRUE(sq.Intersection(NSegment({-1, -1}, {5, 5}, 0), hits));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_TRUE((hits[0] == NPoint{0, 0}));
    EXPECT_TRUE((hits[1] == NPoint{4, 4}));
    EXPECT_FALSE(NPolygon().Intersection(NSegment({0, 0}, {1, 1}, 0), hits));
}

TEST(IntersectionTest, CheckIntersection)
{
    const NPolygon a = Square(0, 0, 2);
    EXPECT_TRUE(a.CheckIntersection(Square(1, 1, 2), false));
    EXPECT_TRUE(a.CheckIntersection(Square(0, 0, 2), false));  // a copy of itself
    EXPECT_FALSE(a.CheckIntersection(Square(5, 5, 2), true));
    // Sharing a whole edge: contact only when touching counts.
    EXPECT_TRUE(a.CheckIntersection(Square(2, 0, 2), true));
    EXPECT_FALSE(a.CheckIntersection(Square(2, 0, 2), false));
    // Sharing one vertex: a single hit is never a crossing.
    EXPECT_FALSE(a.CheckIntersection(Square(2, 2, 2), true));
    EXPECT_FALSE(a.CheckIntersection(Square(2, 2, 2), false));
    EXPECT_FALSE(a.CheckIntersection(NPolygon(), true));
    // Both crossings on one edge of a bar, the notch of the other outline
    // between them: the rest of the bar lies inside the other.
    const NPolygon bar(NPoint{}, {{0, 0}, {100, 0}, {100, 25}, {0, 25}});
    const NPolygon notched(NPoint{},
                           {{-60, -10}, {140, -10}, {140, 40}, {90, 40}, {40, 15}, {10, 15}, {-10, 40}, {-90, 40}});
    EXPECT_TRUE(bar.CheckIntersection(notched, false));
}

TEST(ContainmentTest, CheckContainPoligon)
{
    const NPolygon big = Square(0, 0, 10);
    EXPECT_TRUE(big.CheckContainPoligon(Square(2, 2, 3), false));
    EXPECT_TRUE(big.CheckContainPoligon(Square(0, 0, 3), true));   // touching the boundary
    EXPECT_FALSE(big.CheckContainPoligon(Square(8, 8, 3), true));  // sticking out
    EXPECT_FALSE(big.CheckContainPoligon(Square(0, 0, 10), true)); // a copy of itself
    const NPolygon u = Poly({{0, 0}, {10, 0}, {10, 10}, {7, 10}, {7, 3}, {3, 3}, {3, 10}, {0, 10}});
    EXPECT_FALSE(u.CheckContainPoligon(Square(4, 5, 2), true));    // in the notch
    EXPECT_FALSE(u.CheckContainPoligon(Square(1, 1, 8.5), true));  // across the notch
    EXPECT_FALSE(big.CheckContainPoligon(NPolygon(), true));
}

TEST(ContainmentTest, CheckContainPoligonOn)
{
    const NPolygon sq = Square(0, 0, 4);
    EXPECT_TRUE(sq.CheckContainPoligonOn(Poly({{0, 0}, {4, 0}})));
    EXPECT_TRUE(sq.CheckContainPoligonOn(Square(0, 0, 4)));
    EXPECT_FALSE(sq.CheckContainPoligonOn(Poly({{0, 0}, {4, 4}})));  // the mid point is inside
    EXPECT_FALSE(sq.CheckContainPoligonOn(NPolygon()));              // its gabarit is not inside
}

// ---------------------------------------------------------------- sliding distance

TEST(DistanceTest, SlidesAlongAnAxisUntilContact)
{
    const NPolygon fixed = Square(0, 0, 1);
    const NPolygon moving = Square(6, 0, 1);
    EXPECT_NEAR(fixed.Distance(moving, {-1, 0}, false), -5.0, 1e-6);
    EXPECT_EQ(fixed.Distance(moving, {1, 0}, false), 0.0);
    EXPECT_EQ(fixed.Distance(moving, {0.7, 0.7}, false), 0.0);
    const NPolygon above = Square(0.5, 3, 1);
    EXPECT_NEAR(fixed.Distance(above, {0, -1}, false), -2.0, 1e-6);
    const NPolygon left = Square(-4, 0.2, 2);
    EXPECT_NEAR(fixed.Distance(left, {1, 0}, false), 2.0, 1e-6);
}

TEST(DistanceTest, InsideAContainerSlidesToItsWall)
{
    const NPolygon sheet = Square(0, 0, 100);
    const NPolygon part = Square(40, 40, 10);
    // Inside a container the wall is seen at first contact, so the final
    // margin leaves the part 0.0001 clear of it.
    const double left = sheet.Distance(part, {-1, 0}, true);
    EXPECT_NEAR(left, -40.0, 2e-4);
    EXPECT_GT(left, -40.0);
    const double up = sheet.Distance(part, {0, 1}, true);
    EXPECT_NEAR(up, 50.0, 2e-4);
    EXPECT_LT(up, 50.0);
}

TEST(DistanceTest, SmallObstacleSwallowedByAJumpStillStopsTheSlide)
{
    // The mover jumps by its own width (10); its first probe lies wholly over
    // the small obstacle, which no crossing test sees.
    const NPolygon obstacle = Square(12.2, 0.2, 0.6);
    NPolygon mover = Square(20, 0, 10);
    const double d = obstacle.Distance(mover, {-1, 0}, false);
    EXPECT_NEAR(d, -7.2, 1e-5);
    mover.Offset({d, 0});
    EXPECT_FALSE(mover.CheckIntersection(obstacle, false));
    EXPECT_FALSE(mover.CheckContainPoligon(obstacle, false));
}

// A comb jumping by its own width would carry a thin post through its slot
// at every probe; the slide still stops where the comb's tooth meets the post.
TEST(DistanceTest, ThinObstacleCannotSlipThroughASlot)
{
    const NPolygon post = Poly({{-0.25, 1}, {0.25, 1}, {0.25, 5}, {-0.25, 5}});
    NPolygon comb = Poly({{15, 0}, {19, 0}, {19, 8}, {21, 8}, {21, 0}, {25, 0}, {25, 10}, {15, 10}});
    const double d = post.Distance(comb, {-1, 0}, false);
    EXPECT_NEAR(d, -14.75, 1e-4);
    comb.Offset({d, 0});
    EXPECT_FALSE(comb.CheckIntersection(post, false));
    EXPECT_NEAR(comb.Distance(post, {1, 0}, false), 0.0, 1e-3);
}

// ---------------------------------------------------------------- orientation

TEST(DirectionTest, CounterClockwiseRings)
{
    EXPECT_TRUE(Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).CheckDirection());
    EXPECT_FALSE(Poly({{0, 1}, {1, 1}, {1, 0}, {0, 0}}).CheckDirection());
    EXPECT_TRUE(Poly({{1, 0}, {1, 1}, {0, 1}, {0, 0}}).CheckDirection());  // first vertex on the right
    EXPECT_FALSE(Poly({{1, 1}, {1, 0}, {0, 0}, {0, 1}}).CheckDirection());
    EXPECT_TRUE(Poly({{5, 0}, {10, 5}, {5, 10}, {0, 5}}).CheckDirection());  // first vertex in the middle
    EXPECT_FALSE(Poly({{5, 0}, {0, 5}, {5, 10}, {10, 5}}).CheckDirection());
    const NPolygon l = Poly({{0, 0}, {6, 0}, {6, 2}, {2, 2}, {2, 6}, {0, 6}});
    EXPECT_TRUE(l.CheckDirection());
    NPolygon lReversed = l;
    lReversed.Invert();
    EXPECT_FALSE(lReversed.CheckDirection());
    EXPECT_FALSE(NPolygon().CheckDirection());
}

// A test line through a slot crosses the ring four times; listed from the
// slot's inner corner, the lowest crossing is not the earliest edge.
TEST(DirectionTest, RingsCrossingTheTestLineMoreThanTwice)
{
    NPolygon slotted = Poly({{4, 6}, {10, 6}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 4}, {4, 4}});
    EXPECT_TRUE(slotted.CheckDirection());
    slotted.Invert();
    EXPECT_FALSE(slotted.CheckDirection());
    NPolygon star = Poly({{27, -2}, {116, 28}, {-7, 31}, {-25, 54}, {-28, -22}, {-14, -19}, {9, -81}, {103, -42},
                          {44, -16}});
    EXPECT_TRUE(star.CheckDirection());
    star.Invert();
    EXPECT_FALSE(star.CheckDirection());
}

TEST(DirectionTest, RingsWithoutAreaAreNotCounterClockwise)
{
    EXPECT_FALSE(Poly({{3, 3}}).CheckDirection());
    EXPECT_FALSE(Poly({{0, 0}, {2, 1}}).CheckDirection());
    EXPECT_FALSE(Poly({{0, 0}, {1, 0}, {2, 0}, {1, 0}}).CheckDirection());
}

// Every edge pair tested in order, hits of one edge sorted from its start and
// merged with the last hit kept: the plain form of the crossing search.
std::vector<NIndexPoint> AllPairsCrossings(const NPolygon& a, const NPolygon& b)
{
    std::vector<NIndexPoint> out;
    const size_t n = a.m_points.size();
    const size_t m = b.m_points.size();
    for (size_t k = 0; k < n; ++k) {
        const NPoint& p = a.m_points[(k + n - 1) % n];
        const NPoint& q = a.m_points[k];
        std::vector<std::pair<double, NIndexPoint>> edge;
        for (size_t j = 0; j < m; ++j) {
            NPoint x;
            if (CheckIntersectionSegments(p, q, b.m_points[(j + m - 1) % m], b.m_points[j]) &&
                IntersectionLines(p, q, b.m_points[(j + m - 1) % m], b.m_points[j], x))
                edge.push_back({Distance2(p, x), NIndexPoint{x, x == q ? (k + 1) % n : k, j, Simple}});
        }
        std::stable_sort(edge.begin(), edge.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
        for (const auto& h : edge) {
            if (!out.empty() && out.back() == h.second)
                out.back() = h.second;
            else
                out.push_back(h.second);
        }
    }
    return out;
}

// Large outlines go through an edge index; it must find every crossing the
// plain search finds, in the same order, vertex touchings included.
TEST(IntersectionTest, LargeOutlinesGiveTheSameCrossingsAsAllPairs)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> wobble(-3, 3);
    for (int trial = 0; trial < 40; ++trial) {
        const size_t n = 24 + static_cast<size_t>(trial) * 7;
        auto outline = [&](double cx, double cy, bool snap) {
            Points pts;
            for (size_t k = 0; k < n; ++k) {
                const double t = 2 * PI * static_cast<double>(k) / static_cast<double>(n);
                const double r = 20 + 6 * std::sin(5 * t) + wobble(rng);
                NPoint p{cx + r * std::cos(t), cy + r * std::sin(t)};
                if (snap)
                    p = {std::round(p.x), std::round(p.y)};
                pts.push_back(p);
            }
            NPolygon poly = Poly(pts);
            poly.DelEquilPoints();
            return poly;
        };
        const bool snap = trial % 2 == 0;
        const NPolygon a = outline(0, 0, snap);
        const NPolygon b = outline(15 + trial % 5, 3, snap);
        std::vector<NIndexPoint> hits;
        a.Intersection(b, hits);
        const std::vector<NIndexPoint> expected = AllPairsCrossings(a, b);
        ASSERT_EQ(hits.size(), expected.size()) << "trial " << trial;
        for (size_t h = 0; h < hits.size(); ++h) {
            EXPECT_TRUE(hits[h] == expected[h]) << "trial " << trial << " hit " << h;
            EXPECT_EQ(hits[h].i, expected[h].i);
            EXPECT_EQ(hits[h].j, expected[h].j);
        }
        EXPECT_GT(hits.size(), 1u);
    }
}

// A polygon indexed for many containment tests answers as the polygon
// itself, on rings whose vertices fall on a coarse grid (points on edges, on
// the ray's line and on vertices) and on rings of many vertices.
TEST(ContainmentTest, AnIndexedPolygonAnswersAsThePolygon)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> grid(0, 8);
    std::uniform_real_distribution<double> any(0, 8);
    size_t held = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        const bool snap = trial % 3 != 0;
        auto point = [&] { return snap ? NPoint{double(grid(rng)), double(grid(rng))} : NPoint{any(rng), any(rng)}; };
        Points ring;
        const int n = 3 + trial % 200;
        for (int k = 0; k < n; ++k) {
            const double t = 2 * PI * k / n, r = 2 + any(rng) / 3;
            ring.push_back(trial % 2 ? point() : NPoint{std::round(8 + 2 * r * std::cos(t)) / 2, std::round(8 + 2 * r * std::sin(t)) / 2});
        }
        const NPolygon polygon = Poly(ring);
        const NPolygonIndex index(polygon);
        for (int q = 0; q < 20; ++q) {
            const NPoint p = point();
            Points small;
            const int m = 3 + q;
            for (int k = 0; k < m; ++k)
                small.push_back(k % 2 && snap ? point()
                                              : NPoint{p.x + 0.6 * std::cos(2 * PI * k / m), p.y + 0.6 * std::sin(2 * PI * k / m)});
            const NPolygon other = Poly(small);
            for (const bool touch : {false, true}) {
                ASSERT_EQ(index.ContainsPoint(p, touch), polygon.CheckContainPoint(p, touch)) << trial << " " << q;
                ASSERT_EQ(index.ContainsPolygon(other, touch), polygon.CheckContainPoligon(other, touch)) << trial << " " << q;
                held += polygon.CheckContainPoligon(other, touch);
            }
        }
    }
    EXPECT_GT(held, 500u);
}

}  // namespace
