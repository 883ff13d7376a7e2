#include "geom/Contour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace vlhost::geom;

std::vector<Curve> squareSides(Point lo, double side)
{
    const Point a = lo, b = lo + Point{side, 0}, c = lo + Point{side, side}, d = lo + Point{0, side};
    return {Segment{a, b}, Segment{b, c}, Segment{c, d}, Segment{d, a}};
}

// Rounded rectangle [0, w] x [0, h] with corner radius r, its pieces shuffled and partly reversed.
std::vector<Curve> roundedRectangle(double w, double h, double r)
{
    return {
        Segment{{w - r, 0}, {r, 0}},
        Arc{{w - r, h - r}, r, 0, kPi / 2, true},
        Segment{{0, r}, {0, h - r}},
        Arc{{r, r}, r, 1.5 * kPi, kPi, false},
        Segment{{w, r}, {w, h - r}},
        Arc{{r, h - r}, r, kPi / 2, kPi, true},
        Segment{{r, h}, {w - r, h}},
        Arc{{w - r, r}, r, -kPi / 2, 0, true},
    };
}

TEST(GeomContourArea, SquareWithRoundHoleMeasuredOnTheCurves)
{
    const std::vector<Curve> outerCurves = squareSides({0, 0}, 100);
    const std::vector<Contour> outer = chainContours(outerCurves);
    const std::vector<Curve> holeCurves{Circle{{50, 50}, 10}};
    const std::vector<Contour> hole = chainContours(holeCurves);
    ASSERT_EQ(outer.size(), 1u);
    ASSERT_EQ(hole.size(), 1u);
    EXPECT_NEAR(area(outer[0]) - area(hole[0]), 10000 - 100 * kPi, 1e-9);
    EXPECT_NEAR(area(outer[0]) - area(hole[0]), 9685.84, 0.005);
    EXPECT_NEAR(length(outer[0]) + length(hole[0]), 462.83, 0.005);

    // The same hole drawn as two arcs, and the same square as one closed polyline.
    const std::vector<Curve> halves{Arc{{50, 50}, 10, 0, kPi, true}, Arc{{50, 50}, 10, 0, kPi, false}};
    const std::vector<Contour> arcs = chainContours(halves);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NEAR(area(arcs[0]), 100 * kPi, 1e-9);
    const std::vector<Curve> polyline{Polyline{{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true}};
    EXPECT_NEAR(area(chainContours(polyline)[0]), 10000, 1e-9);
}

TEST(GeomContourArea, SplineContoursAreIntegratedOnTheCurve)
{
    const std::vector<Curve> ellipse{Ellipse{{5, 5}, 30, 10, 0.7}};
    EXPECT_NEAR(area(chainContours(ellipse)[0]), kPi * 300, 1e-9);
    // A half ellipse closed by its diameter.
    const std::vector<Curve> half{EllipticArc{Ellipse{{0, 0}, 30, 10, 0}, 0, kPi, true}, Segment{{-30, 0}, {30, 0}}};
    EXPECT_NEAR(area(chainContours(half)[0]), kPi * 150, 1e-9);
}

TEST(GeomChaining, JoinsShuffledReversedCurvesWithinTheTolerance)
{
    std::vector<Curve> curves = roundedRectangle(80, 50, 10);
    // A gap below the tolerance is bridged.
    std::get<Segment>(curves[2]).start.y += 5e-5;
    const std::vector<Contour> contours = chainContours(curves);
    ASSERT_EQ(contours.size(), 1u);
    const Contour& c = contours[0];
    EXPECT_EQ(c.edges.size(), 8u);
    EXPECT_TRUE(isClosed(c));
    for (std::size_t i = 1; i < c.edges.size(); ++i)
        EXPECT_TRUE(near(endPoint(c.edges[i - 1].curve), startPoint(c.edges[i].curve), 1e-4));
    std::vector<std::size_t> sources;
    for (const ContourEdge& e : c.edges) {
        sources.push_back(e.source);
        EXPECT_TRUE(near(startPoint(e.curve), e.reversed ? endPoint(curves[e.source]) : startPoint(curves[e.source]), 1e-12));
    }
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(sources, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_NEAR(area(c), 80 * 50 - (4 - kPi) * 100, 1e-3);
    EXPECT_NEAR(length(c), 2 * (60 + 30) + 20 * kPi, 1e-3);
    EXPECT_NE(isCounterClockwise(c), isCounterClockwise(reversed(c)));
    // The gap is bridged straight, so the area does not depend on where the drawing lies.
    std::vector<Curve> far;
    for (const Curve& curve : curves)
        far.push_back(transformed(curve, Transform::move(1e4, -2e4)));
    EXPECT_NEAR(area(chainContours(far)[0]), area(c), 1e-6);
    EXPECT_NEAR(signedArea(c), -signedArea(reversed(c)), 1e-9);
}

TEST(GeomChaining, KeepsOpenChainsAndSeparatesLoops)
{
    std::vector<Curve> curves = squareSides({0, 0}, 10);
    curves.push_back(Segment{{20, 0}, {30, 0}});
    curves.push_back(Segment{{40, 0}, {30, 0}});
    curves.push_back(Circle{{0, 0}, 5});   // touches the square at no end: a loop of its own
    curves.push_back(Segment{{7, 7}, {7, 7}});
    const std::vector<Contour> contours = chainContours(curves);
    ASSERT_EQ(contours.size(), 3u);
    EXPECT_TRUE(isClosed(contours[0]));
    EXPECT_EQ(contours[1].edges.size(), 2u);
    EXPECT_FALSE(isClosed(contours[1]));
    EXPECT_TRUE(contours[1].edges[1].reversed);
    EXPECT_EQ(contours[2].edges[0].source, 6u);
    // A gap wider than the tolerance leaves the chain open (and its ends at the gap).
    std::vector<Curve> gap = squareSides({0, 0}, 10);
    std::get<Segment>(gap[1]).start.x += 1e-3;
    const std::vector<Contour> open = chainContours(gap);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(isClosed(open[0]));
    EXPECT_EQ(open[0].edges.front().source, 1u);
    EXPECT_EQ(open[0].edges.back().source, 0u);
    EXPECT_TRUE(chainContours(std::vector<Curve>{}).empty());
}

TEST(GeomEncloses, FollowsArcsExactly)
{
    const std::vector<Curve> curves = roundedRectangle(80, 50, 10);
    const Contour c = chainContours(curves)[0];
    EXPECT_TRUE(encloses(c, {40, 25}));
    EXPECT_TRUE(encloses(c, {1, 10}));          // between the corner's chord and its arc
    EXPECT_FALSE(encloses(c, {1, 1}));          // cut off by the rounded corner
    EXPECT_FALSE(encloses(c, {90, 25}));
    EXPECT_TRUE(encloses(reversed(c), {40, 25}));
    const std::vector<Curve> circle{Circle{{0, 0}, 5}};
    const Contour round = chainContours(circle)[0];
    EXPECT_TRUE(encloses(round, {4.9, 0}));
    EXPECT_FALSE(encloses(round, {5.1, 0}));
    const std::vector<Curve> ellipse{Ellipse{{0, 0}, 10, 2, 0}};
    EXPECT_TRUE(encloses(chainContours(ellipse)[0], {9.9, 0}));
    EXPECT_FALSE(encloses(chainContours(ellipse)[0], {0, 2.1}));
}

TEST(GeomEncloses, RingPointsCloseTheContourOnce)
{
    const std::vector<Curve> curves = roundedRectangle(80, 50, 10);
    const std::vector<Point> ring = ringPoints(chainContours(curves)[0], 0.01);
    ASSERT_GT(ring.size(), 8u);
    EXPECT_GT(distance(ring.front(), ring.back()), 1e-6);
    for (std::size_t i = 1; i < ring.size(); ++i)
        EXPECT_GT(distance(ring[i - 1], ring[i]), 1e-9);
}

// Lines x = 0, 10, 20, 30 and y = 0, 10, 20, 30, each running past the grid.
std::vector<Curve> grid()
{
    std::vector<Curve> lines;
    for (double k : {0.0, 10.0, 20.0, 30.0}) {
        lines.push_back(Segment{{k, -5}, {k, 35}});
        lines.push_back(Segment{{35, k}, {-5, k}});
    }
    return lines;
}

TEST(GeomEnclosing, FindsTheGridCellAroundAPoint)
{
    const std::vector<Curve> lines = grid();
    const std::vector<Contour> found = enclosingContours(lines, {15, 12});
    ASSERT_EQ(found.size(), 1u);
    const Contour& cell = found[0];
    EXPECT_TRUE(isCounterClockwise(cell));
    EXPECT_NEAR(area(cell), 100, 1e-9);
    EXPECT_EQ(cell.edges.size(), 4u);
    const Box box = boundingBox(cell);
    EXPECT_TRUE(near(box.min, {10, 10}, 1e-9));
    EXPECT_TRUE(near(box.max, {20, 20}, 1e-9));
    // Its sides come from the lines x = 10, y = 10, x = 20 and y = 20; the bottom one
    // runs against its line, which was drawn right to left.
    std::vector<std::size_t> sources;
    for (const ContourEdge& e : cell.edges) {
        sources.push_back(e.source);
        if (e.source == 3) {
            EXPECT_TRUE(e.reversed);
        }
    }
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(sources, (std::vector<std::size_t>{2, 3, 4, 5}));
    EXPECT_TRUE(enclosingContours(lines, {-3, 12}).empty());
    EXPECT_TRUE(enclosingContours(lines, {50, 50}).empty());
    EXPECT_NEAR(area(enclosingContours(lines, {29, 1})[0]), 100, 1e-9);
}

TEST(GeomEnclosing, RegionsWithHolesCurvesAndGaps)
{
    std::vector<Curve> curves = grid();
    curves.push_back(Circle{{15, 15}, 2});
    curves.push_back(Segment{{13, 12}, {17, 12}});   // inside the cell but touching nothing: ignored
    const std::vector<Contour> withHole = enclosingContours(curves, {11, 11});
    ASSERT_EQ(withHole.size(), 2u);
    EXPECT_NEAR(area(withHole[0]), 100, 1e-9);
    EXPECT_NEAR(area(withHole[1]), 4 * kPi, 1e-9);
    EXPECT_FALSE(isCounterClockwise(withHole[1]));
    EXPECT_EQ(withHole[1].edges[0].source, 8u);
    // Inside the circle, the circle itself is the region.
    const std::vector<Contour> inCircle = enclosingContours(curves, {15, 15});
    ASSERT_EQ(inCircle.size(), 1u);
    EXPECT_NEAR(area(inCircle[0]), 4 * kPi, 1e-9);

    // An arc cutting a corner off a cell, and a line ending within the tolerance of another.
    std::vector<Curve> cut = grid();
    cut.push_back(Arc{{10, 10}, 5, 0, kPi / 2, true});
    cut.push_back(Segment{{20, 25}, {30 - 5e-5, 25}});
    EXPECT_NEAR(area(enclosingContours(cut, {11, 11})[0]), 25 * kPi / 4, 1e-9);
    EXPECT_NEAR(area(enclosingContours(cut, {19, 19})[0]), 100 - 25 * kPi / 4, 1e-9);
    // The region follows the curves as drawn, so the gap shows in its area.
    EXPECT_NEAR(area(enclosingContours(cut, {25, 29})[0]), 50, 1e-3);

    // Curves other than lines and arcs take part through their decomposition.
    const std::vector<Curve> ellipse{Ellipse{{0, 0}, 20, 10, 0}, Segment{{-30, 0}, {30, 0}}};
    const std::vector<Contour> upper = enclosingContours(ellipse, {0, 5}, 1e-4, 1e-4);
    ASSERT_EQ(upper.size(), 1u);
    EXPECT_NEAR(area(upper[0]), 100 * kPi, 0.05);
    for (const ContourEdge& e : upper[0].edges)
        EXPECT_LE(e.source, 1u);
}

TEST(GeomEnclosing, OverlapsAndTangencies)
{
    // A square whose bottom is drawn as two overlapping lines and whose left side is drawn twice.
    std::vector<Curve> overlapping = squareSides({0, 0}, 10);
    overlapping[0] = Segment{{0, 0}, {7, 0}};
    overlapping.push_back(Segment{{3, 0}, {10, 0}});
    overlapping.push_back(Segment{{0, 0}, {0, 10}});
    const std::vector<Contour> square = enclosingContours(overlapping, {5, 5});
    ASSERT_EQ(square.size(), 1u);
    EXPECT_NEAR(area(square[0]), 100, 1e-9);
    EXPECT_NEAR(length(square[0]), 40, 1e-9);

    // A circle touching all four sides of its square: the corners and the disc are separate regions.
    std::vector<Curve> inscribed = squareSides({0, 0}, 10);
    inscribed.push_back(Circle{{5, 5}, 5});
    EXPECT_NEAR(area(enclosingContours(inscribed, {0.5, 0.5})[0]), (100 - 25 * kPi) / 4, 1e-6);
    EXPECT_NEAR(area(enclosingContours(inscribed, {9.5, 9.5})[0]), (100 - 25 * kPi) / 4, 1e-6);
    EXPECT_NEAR(area(enclosingContours(inscribed, {5, 5})[0]), 25 * kPi, 1e-6);

    // Two circles touching each other inside a box: one hole shaped like an eight.
    std::vector<Curve> pair = squareSides({0, 0}, 20);
    pair.push_back(Circle{{6, 10}, 4});
    pair.push_back(Circle{{14, 10}, 4});
    const std::vector<Contour> around = enclosingContours(pair, {10, 2});
    ASSERT_EQ(around.size(), 2u);
    EXPECT_NEAR(area(around[0]) - area(around[1]), 400 - 32 * kPi, 1e-6);
    EXPECT_NEAR(length(around[1]), 16 * kPi, 1e-6);
    EXPECT_NEAR(area(enclosingContours(pair, {15, 10})[0]), 16 * kPi, 1e-6);
    // Moved to touch the box's sides as well, they cut it in two.
    pair[4] = Circle{{5, 10}, 5};
    pair[5] = Circle{{15, 10}, 5};
    const std::vector<Contour> below = enclosingContours(pair, {10, 2});
    ASSERT_EQ(below.size(), 1u);
    EXPECT_NEAR(area(below[0]), (400 - 50 * kPi) / 2, 1e-6);

    // A disc with a polygon drawn round it, each side touching it at its
    // middle, at slants where the touching points come out a little off the
    // circle: outside, the box less the polygon; between them, the slivers.
    for (const int sides : {16, 100, 800}) {
        for (const double turn : {0.0, 0.1234}) {
            SCOPED_TRACE(std::to_string(sides) + " sides turned by " + std::to_string(turn));
            std::vector<Curve> round = squareSides({0, 0}, 1000);
            const Point centre{400.123, 401.77};
            const double radius = 261;
            round.push_back(Circle{centre, radius});
            std::vector<Point> corners;
            for (int k = 0; k < sides; ++k) {
                const double a = turn + 2 * kPi * k / sides;
                corners.push_back(centre + Point{std::cos(a), std::sin(a)} * (radius / std::cos(kPi / sides)));
            }
            for (int k = 0; k < sides; ++k)
                round.push_back(Segment{corners[k], corners[(k + 1) % sides]});
            const double polygon = sides * radius * radius * std::tan(kPi / sides);
            const std::vector<Contour> outside = enclosingContours(round, {5, 5});
            ASSERT_EQ(outside.size(), 2u);
            EXPECT_NEAR(area(outside[0]) - area(outside[1]), 1e6 - polygon, 1e-3);
            const double a = turn + kPi / sides * 1.5;  // between a corner and a touching point
            const double between = radius * (1 + 1 / std::cos(kPi / sides * 0.5)) / 2;
            const std::vector<Contour> sliver =
                enclosingContours(round, centre + Point{std::cos(a), std::sin(a)} * between);
            ASSERT_EQ(sliver.size(), 1u);
            EXPECT_NEAR(area(sliver[0]), (polygon - kPi * radius * radius) / sides, 1e-3);
        }
    }
}

TEST(GeomEnclosing, DegenerateInputFindsNothing)
{
    EXPECT_TRUE(enclosingContours(std::vector<Curve>{}, {0, 0}).empty());
    const std::vector<Curve> junk{Segment{{1, 1}, {1, 1}}, Circle{{0, 0}, 0}, Arc{{0, 0}, 3, 1, 1, true}};
    EXPECT_TRUE(enclosingContours(junk, {0, 0}).empty());
    const std::vector<Curve> lines = grid();
    EXPECT_TRUE(enclosingContours(lines, {std::nan(""), 1}).empty());
}

}  // namespace
